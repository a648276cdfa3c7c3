// CenterWindow: over a visible owner, the work area or the parent's client area, kept
// inside the limits, on real windows.
#include <doctest/doctest.h>

#include "gui_support.h"
#include "runtime/win.h"
#include "toolkit/window.h"

using namespace tk;

namespace {

int32_t Quiet() { return 0; }

RECT WorkArea() {
    RECT r{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}

HWND OpenOwner(int x, int y, int w, int h, bool visible) {
    return CreateWindowExA(0, "STATIC", "owner", WS_POPUP | (visible ? WS_VISIBLE : 0), x, y, w, h,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

// A hidden toolkit window of the size, owned by owner (or none).
void OpenOwned(Window& w, int width, int height, HWND owner) {
    REQUIRE(OpenWindow(w, 5, 5, width, height, 0x800, nullptr, "centred", Quiet) == 1);
    if (owner) SetWindowLongPtrA(w.hwnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
}

POINT TopLeft(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return {r.left, r.top};
}

// The expected place: centred on the reference, then kept inside the limit.
POINT Expected(const RECT& reference, const RECT& limit, int width, int height) {
    int x = (reference.left + reference.right) / 2 - width / 2;
    int y = (reference.top + reference.bottom) / 2 - height / 2;
    if (x < limit.left) x = limit.left; else if (x + width > limit.right) x = limit.right - width;
    if (y < limit.top) y = limit.top; else if (y + height > limit.bottom) y = limit.bottom - height;
    return {x, y};
}

}  // namespace

TEST_CASE("CenterWindow over an owner, the work area, and limited to the work area") {
    const RECT work = WorkArea();
    REQUIRE(work.right > 600);
    struct Case {
        const char* what;
        RECT owner;         // owner window rectangle; empty: no owner
        bool ownerVisible;
        bool ownerMinimised;
        int width, height;  // of the centred window
        POINT expected;     // computed below when x is -9999
    };
    const int wl = work.left, wt = work.top, wr = work.right, wb = work.bottom;
    const Case cases[] = {
        {"visible owner", {100, 100, 500, 400}, true, false, 200, 100, {200, 200}},
        {"odd sizes truncate", {101, 101, 500, 400}, true, false, 201, 101, {300 - 100, 250 - 50}},
        {"owner off the left and top", {-300, -250, 100, 50}, true, false, 200, 100, {wl, wt}},
        {"owner off the right and bottom", {wr - 100, wb - 50, wr + 300, wb + 250}, true, false, 200,
         100, {wr - 200, wb - 100}},
        {"hidden owner: the work area", {100, 100, 500, 400}, false, false, 200, 100,
         {(wl + wr) / 2 - 100, (wt + wb) / 2 - 50}},
        {"minimised owner: the work area", {100, 100, 500, 400}, true, true, 200, 100,
         {(wl + wr) / 2 - 100, (wt + wb) / 2 - 50}},
        {"no owner: the work area", {0, 0, 0, 0}, false, false, 300, 200,
         {(wl + wr) / 2 - 150, (wt + wb) / 2 - 100}},
        {"larger than the work area: its left and top", {0, 0, 0, 0}, false, false,
         (wr - wl) + 200, (wb - wt) + 150, {wl, wt}},
    };
    for (const Case& c : cases) {
        CAPTURE(c.what);
        HWND owner = nullptr;
        if (c.owner.right > c.owner.left) {
            owner = OpenOwner(c.owner.left, c.owner.top, c.owner.right - c.owner.left,
                              c.owner.bottom - c.owner.top, c.ownerVisible);
            REQUIRE(owner != nullptr);
            if (c.ownerMinimised) ShowWindow(owner, SW_MINIMIZE);
        }
        Window w{};
        OpenOwned(w, c.width, c.height, owner);
        RECT own{};
        GetWindowRect(w.hwnd, &own);
        REQUIRE(own.right - own.left == c.width);
        REQUIRE(own.bottom - own.top == c.height);
        if (c.ownerMinimised) REQUIRE(IsIconic(owner));
        CenterWindow(w);
        const POINT at = TopLeft(w.hwnd);
        CHECK(at.x == c.expected.x);
        CHECK(at.y == c.expected.y);
        CloseWindow(w);
        if (owner) DestroyWindow(owner);
    }
}

TEST_CASE("CenterWindow of a child window: centred in the parent's client area") {
    Window parent{};
    REQUIRE(OpenWindow(parent, 100, 100, 500, 400, 0, nullptr, "parent", Quiet) == 1);
    RECT client{};
    GetClientRect(parent.hwnd, &client);

    struct Case {
        int width, height;
    };
    const Case cases[] = {{100, 50}, {101, 51}, {900, 700}};  // the last is larger: left, top
    for (const Case& c : cases) {
        CAPTURE(c.width);
        Window child{};
        REQUIRE(OpenWindow(child, 3, 3, c.width, c.height, 0x40, &parent, "child", Quiet) == 1);
        CHECK((GetWindowLongA(child.hwnd, GWL_STYLE) & WS_CHILD) != 0);
        CenterWindow(child);
        RECT r{};
        GetWindowRect(child.hwnd, &r);
        MapWindowPoints(nullptr, parent.hwnd, reinterpret_cast<POINT*>(&r), 2);
        const POINT expected = Expected(client, client, c.width, c.height);
        CHECK(r.left == expected.x);
        CHECK(r.top == expected.y);
        CloseWindow(child);
    }
    // A closed record is left alone.
    Window closed{};
    CHECK(CenterWindow(closed) == 0);
    CloseWindow(parent);
}
