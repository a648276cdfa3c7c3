#include "runtime/process.h"

// The shell's header needs <windows.h> first.
// clang-format off
#include "runtime/win.h"
#include <shellapi.h>
// clang-format on

namespace rt {

int32_t RunProgram(const char* file, const char* parameters) {
    ShellExecuteA(nullptr, "open", file ? file : "", parameters, nullptr, SW_SHOWNORMAL);
    return 0;
}

}  // namespace rt
