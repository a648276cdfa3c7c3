// Prints how long the toolkit's window and drawing operations take on this display.
// Not a test: run it by hand under Wine.
#include <cstdio>

#include "runtime/win.h"
#include "toolkit/drawing.h"
#include "toolkit/window.h"

using namespace tk;

namespace {

double Now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

int32_t Quiet() { return 0; }

void Drain() {
    for (int i = 0; i < 20; ++i) {
        WaitEvents(1);
        Sleep(5);
    }
}

template <typename F>
void Measure(const char* what, int repeat, F f) {
    const double start = Now();
    for (int i = 0; i < repeat; ++i) f(i);
    std::printf("%-48s %9.3f ms\n", what, (Now() - start) / repeat);
}

}  // namespace

int main() {
    Window many[5] = {};
    Measure("OpenWindow (screen-size backing bitmap)", 5, [&](int i) {
        OpenWindow(many[i], 100, 100, 450, 450, 0x70000, nullptr, "bench", Quiet);
    });
    Measure("CloseWindow of a visible window", 5, [&](int i) { CloseWindow(many[i]); });
    Measure("OpenWindow, hidden", 5, [&](int i) {
        OpenWindow(many[i], 100, 100, 450, 450, 0x70800, nullptr, "bench", Quiet);
    });
    Measure("CloseWindow of a hidden window", 5, [&](int i) { CloseWindow(many[i]); });
    Window w{};
    OpenWindow(w, 100, 100, 450, 450, 0x70000, nullptr, "bench", Quiet);
    Drain();
    Measure("FloodFill of the whole backing bitmap", 20,
            [&](int i) { FloodFill(w, 1, 1, (i & 1) ? 0 : 0xFFFFFF); });
    Measure("DrawRect 100 x 60, filled", 200,
            [&](int i) { DrawRect(w, 10 + i % 50, 10, 100, 60, 0xFF, 0xFF00); });
    Measure("SetPenColor", 200, [&](int i) { SetPenColor(w, static_cast<COLORREF>(i)); });
    const PrintItem items[] = {{9, &w}, {0, "\xAE"}, {0, "\r\n"}};
    Measure("MoveTo + PrintText of the registered mark", 200, [&](int) {
        MoveTo(w, 20, 85);
        PrintText(3, items);
    });
    Measure("full repaint (InvalidateRect + UpdateWindow)", 50, [&](int) {
        InvalidateRect(w.hwnd, nullptr, TRUE);
        UpdateWindow(w.hwnd);
    });
    CloseWindow(w);
    Measure("plain visible popup: create + destroy (platform)", 3, [&](int) {
        HWND h = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE | WS_CAPTION, 100, 100,
                                 300, 300, nullptr, nullptr, nullptr, nullptr);
        DestroyWindow(h);
    });
    Measure("plain hidden popup: create + destroy (platform)", 3, [&](int) {
        HWND h = CreateWindowExA(0, "STATIC", "", WS_POPUP, 100, 100, 300, 300, nullptr,
                                 nullptr, nullptr, nullptr);
        DestroyWindow(h);
    });
    return 0;
}
