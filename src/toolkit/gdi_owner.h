// Owners for handles used inside one routine: the close function is part of the type,
// and the handle goes back when the owner ends.
#pragma once

#include <utility>

#include "runtime/unique_handle.h"
#include "runtime/win.h"

namespace tk {

inline void DeleteGdiObject(HGDIOBJ object) { DeleteObject(object); }
using OwnedPen = rt::UniqueHandle<HPEN, DeleteGdiObject>;
using OwnedBrush = rt::UniqueHandle<HBRUSH, DeleteGdiObject>;
using OwnedMemoryDc = rt::UniqueHandle<HDC, DeleteDC>;

// Selects an object into a DC and puts the previous one back when it ends.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) noexcept
        : dc_(dc), previous_(dc && object ? SelectObject(dc, object) : nullptr) {}
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;
    ~Selection() {
        if (previous_) SelectObject(dc_, previous_);
    }
    HGDIOBJ previous() const noexcept { return previous_; }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A window DC from GetDC, released with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) noexcept : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() { reset(); }
    HDC get() const noexcept { return dc_; }
    void reset() noexcept {
        if (dc_) ReleaseDC(hwnd_, dc_);
        dc_ = nullptr;
    }

private:
    HWND hwnd_;
    HDC dc_;
};

}  // namespace tk
