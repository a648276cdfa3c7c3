// Helpers for toolkit tests on the virtual display: pumping, real mouse input and
// reading pixels back from the screen and from a backing bitmap.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/win.h"
#include "toolkit/window.h"

namespace gui {

// Dispatches events until the time has passed, through the toolkit's pump.
inline void PumpFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        tk::WaitEvents(1);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    tk::WaitEvents(1);
}

// Pumps until the condition holds or the time runs out; true when it held.
template <typename Condition>
bool PumpUntil(Condition done, DWORD milliseconds = 3000) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > milliseconds) return false;
        tk::WaitEvents(1);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

// A real mouse event at a screen point: SendInput feeds the platform's hardware queue.
inline void SendMouse(POINT screen, DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
}

// Moves the pointer and waits until the platform reports it there: under a virtual
// desktop, a pointer event of the display that is still on its way can move it back.
inline bool MovePointerTo(POINT screen) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        SendMouse(screen, MOUSEEVENTF_MOVE);
        PumpFor(50);
        POINT now{};
        GetCursorPos(&now);
        if (now.x == screen.x && now.y == screen.y) return true;
    }
    return false;
}

// A real left click at a screen point. The button goes down and up before anything is
// dispatched: a press on a caption button starts a modal loop that waits for the release.
inline void ClickAt(POINT screen) {
    MovePointerTo(screen);
    SendMouse(screen, MOUSEEVENTF_LEFTDOWN);
    SendMouse(screen, MOUSEEVENTF_LEFTUP);
}

// A window's text (up to 255 characters).
inline std::string TextOf(HWND hwnd) {
    char text[256] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

// The centre of a window on the screen.
inline POINT CentreOf(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// A copy of a bitmap's pixels as 32-bit 0x00RRGGBB values, top row first.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> data;

    // As a COLORREF (0x00BBGGRR), to compare with the toolkit's colours.
    COLORREF At(int x, int y) const {
        const uint32_t v = data[static_cast<size_t>(y) * width + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    // Number of pixels in the rectangle that are not the colour.
    int CountOther(const RECT& r, COLORREF colour) const {
        int count = 0;
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x) count += At(x, y) != colour;
        }
        return count;
    }
};

inline Pixels ReadBitmap(HBITMAP bitmap) {
    Pixels p;
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    p.width = info.bmWidth;
    p.height = info.bmHeight;
    p.data.resize(static_cast<size_t>(p.width) * p.height);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = p.width;
    bi.bmiHeader.biHeight = -p.height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, p.height, p.data.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return p;
}

// What the screen shows in a rectangle (screen coordinates).
inline Pixels ReadScreen(const RECT& r) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, r.right - r.left, r.bottom - r.top);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    Pixels p = ReadBitmap(bitmap);
    DeleteObject(bitmap);
    return p;
}

// A window's client area as the screen shows it.
inline Pixels ReadClientOnScreen(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return ReadScreen(r);
}

}  // namespace gui
