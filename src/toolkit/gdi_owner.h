// Owners for handles used inside one routine: the close function is part of the type,
// and the handle goes back when the owner ends.
#pragma once

#include <utility>

#include "runtime/win.h"

namespace tk {

template <typename H, auto Close>
class Owned {
public:
    Owned() noexcept = default;
    explicit Owned(H h) noexcept : h_(h) {}
    Owned(Owned&& other) noexcept : h_(other.release()) {}
    Owned& operator=(Owned&& other) noexcept {
        reset(other.release());
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() { reset(); }

    H get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != H{}; }
    H release() noexcept { return std::exchange(h_, H{}); }
    void reset(H h = H{}) noexcept {
        if (h_) Close(h_);
        h_ = h;
    }

private:
    H h_{};
};

inline void DeleteGdiObject(HGDIOBJ object) { DeleteObject(object); }
using OwnedPen = Owned<HPEN, DeleteGdiObject>;
using OwnedBrush = Owned<HBRUSH, DeleteGdiObject>;
using OwnedMemoryDc = Owned<HDC, DeleteDC>;

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
