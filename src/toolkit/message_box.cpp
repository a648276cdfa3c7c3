// Message boxes centred on their owner (or the desktop) through a thread CBT hook.
#include "toolkit/message_box.h"

namespace tk {

namespace {

// The hook of the MessageBox call in progress, and the box it placed. A box opened by a
// handler while another is shown installs its own hook; each call restores the one
// before it.
HHOOK g_messageBoxHook = nullptr;
HWND g_placedBox = nullptr;

// Centred on the reference rectangle; kept right of and below 0 and inside the work
// area's right and bottom edges.
int Place(int refStart, int refSize, int size, int limitEnd) {
    int p = (refSize - size) / 2 + refStart;
    if (p < 0) {
        p = 0;
    } else if (p + size > limitEnd) {
        p = limitEnd - size;
    }
    return p;
}

// Where a box of the size goes: centred on the reference window (the owner), or on
// the desktop when there is none.
POINT PlaceBox(HWND reference, int width, int height) {
    RECT work = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT r = {};
    GetWindowRect(reference ? reference : GetDesktopWindow(), &r);
    return {Place(r.left, r.right - r.left, width, work.right),
            Place(r.top, r.bottom - r.top, height, work.bottom)};
}

// Wine's message box sizes itself and centres itself on the screen after creation, so
// the place written at creation is given again, for the final size, when the box is
// first activated. On Windows the box already has its final size and place then.
void PlaceBoxAgain(HWND box) {
    RECT r = {};
    GetWindowRect(box, &r);
    const POINT p = PlaceBox(GetWindow(box, GW_OWNER), r.right - r.left, r.bottom - r.top);
    SetWindowPos(box, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK MessageBoxHookProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        CREATESTRUCTA* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
        // Only the box itself is moved: its buttons, icon and text are neither popups
        // nor dialog frames.
        if (create && (create->style & (WS_DLGFRAME | WS_POPUP))) {
            const POINT p = PlaceBox(create->hwndParent, create->cx, create->cy);
            create->x = p.x;
            create->y = p.y;
            if (!g_placedBox) g_placedBox = reinterpret_cast<HWND>(wParam);
            return 0;
        }
    } else if (code == HCBT_ACTIVATE && g_placedBox &&
               reinterpret_cast<HWND>(wParam) == g_placedBox) {
        g_placedBox = nullptr;
        PlaceBoxAgain(reinterpret_cast<HWND>(wParam));
    }
    return CallNextHookEx(g_messageBoxHook, code, wParam, lParam);
}

}  // namespace

int32_t MessageBox(Window* owner, const char* text, const char* caption, uint32_t style) {
    HWND ownerWindow = owner ? owner->hwnd : nullptr;
    HHOOK outerHook = g_messageBoxHook;
    HWND outerBox = g_placedBox;
    // Without the hook the box still shows, where Windows places it.
    HHOOK hook = SetWindowsHookExA(WH_CBT, MessageBoxHookProc, nullptr, GetCurrentThreadId());
    g_messageBoxHook = hook;
    g_placedBox = nullptr;
    const int result = MessageBoxA(ownerWindow, text, caption, style ? style : MB_ICONEXCLAMATION);
    if (hook) UnhookWindowsHookEx(hook);
    g_messageBoxHook = outerHook;
    g_placedBox = outerBox;
    return result;
}

}  // namespace tk
