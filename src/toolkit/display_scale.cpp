// Display scaling: the DPI of windows, the one routine that scales a 96-DPI length, and
// laying a window out again when it moves to a display of another DPI.
#include "toolkit/display_scale.h"

#include "toolkit/controls_private.h"
#include "toolkit/gdi_owner.h"
#include "toolkit/toolkit_state.h"

namespace tk {

namespace {

using DpiOfWindowProc = UINT(WINAPI*)(HWND);
using DpiOfSystemProc = UINT(WINAPI*)();

// Found in user32 at run time: systems before Windows 10 (1607) lack them. Plain
// globals, not guarded function statics, which would bring the C++ runtime's exception
// support into the program.
bool g_dpiProcsLooked = false;
DpiOfWindowProc g_dpiOfWindow = nullptr;
DpiOfSystemProc g_dpiOfSystem = nullptr;

template <typename Proc>
Proc User32Proc(HMODULE user32, const char* name) {
    return reinterpret_cast<Proc>(
        reinterpret_cast<void*>(user32 ? GetProcAddress(user32, name) : nullptr));
}

void LookUpDpiProcs() {
    if (g_dpiProcsLooked) return;
    g_dpiProcsLooked = true;
    HMODULE user32 = GetModuleHandleA("user32.dll");
    g_dpiOfWindow = User32Proc<DpiOfWindowProc>(user32, "GetDpiForWindow");
    g_dpiOfSystem = User32Proc<DpiOfSystemProc>(user32, "GetDpiForSystem");
}

uint32_t ScreenDpi() {
    HDC screen = GetDC(nullptr);
    if (!screen) return kDefaultDpi;
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<uint32_t>(dpi) : kDefaultDpi;
}

// A font of the same description at the new DPI; the caller owns it.
HFONT RescaledFont(HFONT font, uint32_t to, uint32_t from) {
    LOGFONTA description{};
    if (!font || !GetObjectA(font, sizeof description, &description)) return nullptr;
    description.lfHeight = Rescaled(description.lfHeight, to, from);
    description.lfWidth = Rescaled(description.lfWidth, to, from);
    return CreateFontIndirectA(&description);
}

// Moves and refonts one control; only the font the toolkit made for it is replaced.
void RescaleControl(HWND parent, HWND control, uint32_t to, uint32_t from) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    const int left = Rescaled(r.left, to, from), top = Rescaled(r.top, to, from);
    SetWindowPos(control, nullptr, left, top, Rescaled(r.right, to, from) - left,
                 Rescaled(r.bottom, to, from) - top, SWP_NOZORDER | SWP_NOACTIVATE);
    const HFONT old = ToolkitFontOf(control);
    if (HFONT font = RescaledFont(old, to, from)) {
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        KeepToolkitFont(font);
        DeleteToolkitFont(old);
    }
}

// What the page drew cannot be drawn again by the toolkit, so its picture is stretched
// smoothly to the new scale, into a bitmap of the same size.
void RescaleBacking(Window& record, uint32_t to, uint32_t from) {
    BITMAP info{};
    if (!record.backingDc || !record.backingBitmap ||
        !GetObjectA(record.backingBitmap, sizeof info, &info)) {
        return;
    }
    WindowDc windowDc(record.hwnd);
    if (!windowDc.get()) return;
    HBITMAP scaled = CreateCompatibleBitmap(windowDc.get(), info.bmWidth, info.bmHeight);
    if (!scaled) return;
    {
        HDC source = record.backingDc;  // holds the bitmap
        OwnedMemoryDc target(CreateCompatibleDC(windowDc.get()));
        Selection heldTarget(target.get(), scaled);
        OwnedBrush back(CreateSolidBrush(record.backColor));
        const RECT all{0, 0, info.bmWidth, info.bmHeight};
        FillRect(target.get(), &all, back.get());
        SetStretchBltMode(target.get(), HALFTONE);
        SetBrushOrgEx(target.get(), 0, 0, nullptr);
        StretchBlt(target.get(), 0, 0, Rescaled(info.bmWidth, to, from),
                   Rescaled(info.bmHeight, to, from), source, 0, 0, info.bmWidth,
                   info.bmHeight, SRCCOPY);
    }
    SelectObject(record.backingDc, scaled);
    DeleteObject(record.backingBitmap);
    record.backingBitmap = scaled;
    record.backingUniform = 0;
}

}  // namespace

int32_t Rescaled(int32_t length, uint32_t to, uint32_t from) {
    return MulDiv(length, static_cast<int>(to), static_cast<int>(from));
}

int32_t Scaled(const Window& record, int32_t length) {
    if (record.dpi == 0 || record.dpi == kDefaultDpi) return length;
    return Rescaled(length, record.dpi, kDefaultDpi);
}

uint32_t SystemDpi() {
    LookUpDpiProcs();
    const uint32_t dpi = g_dpiOfSystem ? g_dpiOfSystem() : 0;
    return dpi ? dpi : ScreenDpi();
}

uint32_t WindowDpi(HWND hwnd) {
    LookUpDpiProcs();
    const uint32_t dpi = (g_dpiOfWindow && hwnd) ? g_dpiOfWindow(hwnd) : 0;
    return dpi ? dpi : SystemDpi();
}

uint32_t FontDpi(const Window& record, HDC dc) {
    if (record.dpi) return record.dpi;
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
    return dpi > 0 ? static_cast<uint32_t>(dpi) : kDefaultDpi;
}

int32_t ScaledLineWidth(HWND control, int32_t width) {
    const Window* record = RecordOf(GetParent(control));
    return record ? Scaled(*record, width) : width;
}

LRESULT ApplyDpiChange(HWND hwnd, Window* record, WPARAM wParam, LPARAM lParam) {
    const auto* suggested = reinterpret_cast<const RECT*>(lParam);
    const uint32_t to = HIWORD(wParam);
    const uint32_t from = record ? record->dpi : to;
    if (record && to && from && to != from) {
        record->dpi = to;
        for (HWND c = GetWindow(hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            RescaleControl(hwnd, c, to, from);
        }
        if (HFONT font = RescaledFont(record->font, to, from)) {
            DeleteObject(record->font);
            record->font = font;
        }
        record->posX = Rescaled(record->posX, to, from);
        record->posY = Rescaled(record->posY, to, from);
        if (!record->drawDc) RescaleBacking(*record, to, from);
    }
    if (suggested) {
        SetWindowPos(hwnd, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    return 0;
}

}  // namespace tk
