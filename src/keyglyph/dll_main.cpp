// The library's entry routine. It is the image's entry point itself (no C runtime
// start-up code is linked in), so the results below are what the loader sees.
#include "runtime/strings.h"
#include "runtime/win.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            // The library's own lock and private heap, separate from the host's.
            rt::RuntimeStart();
            return TRUE;
        case DLL_PROCESS_DETACH:
            // Only when the library is unloaded (reserved is null). When the process ends,
            // its other threads were stopped wherever they stood, perhaps inside the heap
            // or the lock, and the system takes the memory back anyway.
            if (!reserved) rt::RuntimeStop();
            return TRUE;
        default:
            return static_cast<BOOL>(reason);
    }
}
