// A helper program of the runtime tests, started as a child process:
//   runtime_probe startpath OUT   writes what GetStartPath gives into OUT
//   runtime_probe marker OUT      writes "started" into OUT
//   runtime_probe widepaths OUT   writes GetStartPath, a line break, then in UTF-16
//                                 GetStartPathWide, a line break and GetProgramFileWide
// The result appears under its final name only when complete, so a waiting test never
// reads half of it.
#include <string>

#include "runtime/files.h"
#include "runtime/strings.h"
#include "runtime/win.h"

namespace {

bool WriteResult(const std::string& path, const std::string& text) {
    const std::string partial = path + ".part";
    HANDLE file =
        CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return written == text.size() &&
           MoveFileExA(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const std::string mode = argv[1];
    std::string text;
    if (mode == "startpath") {
        rt::RuntimeStart();
        text = rt::GetStartPath().c_str();
        rt::RuntimeStop();
    } else if (mode == "widepaths") {
        rt::RuntimeStart();
        const std::wstring wide = std::wstring(rt::GetStartPathWide().c_str()) + L"\n" +
                                  rt::GetProgramFileWide().c_str();
        text = std::string(rt::GetStartPath().c_str()) + "\n" +
               std::string(reinterpret_cast<const char*>(wide.data()),
                           wide.size() * sizeof(wchar_t));
        rt::RuntimeStop();
    } else if (mode == "marker") {
        text = "started";
    } else {
        return 2;
    }
    return WriteResult(argv[2], text) ? 0 : 1;
}
