// The fixed waits of a program without an event loop. In a file of its own, so that a
// program that measures the work around the waits can stand in for it.
#include "toolkit/window.h"

namespace tk {

void WaitPainted(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg{};
        while (PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE | PM_QS_PAINT)) {
            DispatchMessageA(&msg);
        }
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= milliseconds) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_PAINT | QS_SENDMESSAGE);
    }
}

}  // namespace tk
