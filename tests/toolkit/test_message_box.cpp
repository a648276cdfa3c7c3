// Message boxes: where they appear for each kind of owner, their default style, and
// nested boxes. The box is read while it is shown, from a thread timer that runs in
// the box's own modal loop, and then dismissed with the button the case chooses.
#include <doctest/doctest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gui_support.h"
#include "runtime/win.h"
#include "toolkit/message_box.h"
#include "toolkit/window.h"

namespace {

struct SeenBox {
    HWND box = nullptr;
    RECT rect = {};
    int buttons = 0;
    std::string firstButton;
    HICON icon = nullptr;
};

std::vector<SeenBox> g_seen;
WPARAM g_press = IDOK;      // the button each box is dismissed with
bool g_openNested = false;  // the first box opens a second one before it is dismissed
int g_nestedResult = -1;

bool AlreadySeen(HWND hwnd) {
    for (const SeenBox& s : g_seen) {
        if (s.box == hwnd) return true;
    }
    return false;
}

BOOL CALLBACK FindNewBox(HWND hwnd, LPARAM found) {
    char name[32] = {};
    GetClassNameA(hwnd, name, sizeof name);
    if (std::strcmp(name, "#32770") == 0 && IsWindowVisible(hwnd) && !AlreadySeen(hwnd)) {
        *reinterpret_cast<HWND*>(found) = hwnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK DescribeChild(HWND child, LPARAM param) {
    auto* seen = reinterpret_cast<SeenBox*>(param);
    char name[32] = {};
    GetClassNameA(child, name, sizeof name);
    CharUpperA(name);
    if (!IsWindowVisible(child)) return TRUE;
    if (std::strcmp(name, "BUTTON") == 0) {
        if (seen->buttons++ == 0) {
            char text[32] = {};
            GetWindowTextA(child, text, sizeof text);
            seen->firstButton = text;
        }
    } else if (std::strcmp(name, "STATIC") == 0 &&
               (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        seen->icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
    }
    return TRUE;
}

void CALLBACK InspectBox(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindNewBox, reinterpret_cast<LPARAM>(&box));
    if (!box) return;
    KillTimer(nullptr, timer);
    SeenBox seen;
    seen.box = box;
    GetWindowRect(box, &seen.rect);
    EnumChildWindows(box, DescribeChild, reinterpret_cast<LPARAM>(&seen));
    g_seen.push_back(seen);
    if (g_openNested) {
        g_openNested = false;
        SetTimer(nullptr, 0, 20, InspectBox);
        g_nestedResult = tk::MessageBox(nullptr, "A second message", "Nested", MB_OK);
    }
    PostMessageA(box, WM_COMMAND, g_press, 0);
}

// Shows a box and returns what was seen of it while it was up.
SeenBox ShowAndRead(tk::Window* owner, uint32_t style, int* result = nullptr) {
    g_seen.clear();
    SetTimer(nullptr, 0, 20, InspectBox);
    const int r = tk::MessageBox(owner, "Something went wrong while copying.", "Error", style);
    if (result) *result = r;
    REQUIRE(!g_seen.empty());
    return g_seen.front();
}

int32_t IgnoreEvents() { return 0; }

struct Page {
    tk::Window record{};
    Page(int x, int y, int width, int height) {
        REQUIRE(tk::OpenWindow(record, x, y, width, height, 0x70000, nullptr, " Page",
                               IgnoreEvents) == 1);
        gui::PumpFor(50);
    }
    ~Page() { tk::CloseWindow(record); }
    POINT Centre() const { return gui::CentreOf(record.hwnd); }
};

POINT CentreOf(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

void CheckCentredOn(const RECT& box, POINT centre) {
    const POINT c = CentreOf(box);
    CHECK(std::abs(c.x - centre.x) <= 1);
    CHECK(std::abs(c.y - centre.y) <= 1);
}

}  // namespace

TEST_CASE("a box without owner is centred on the desktop") {
    const SeenBox seen = ShowAndRead(nullptr, MB_ICONINFORMATION);
    CheckCentredOn(seen.rect,
                   {GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2});
}

TEST_CASE("a box without owner is kept inside the work area's right and bottom edges") {
    RECT saved = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &saved, 0);
    RECT small = {0, 0, 500, 420};  // the desktop's centre lies near its corner
    REQUIRE(SystemParametersInfoA(SPI_SETWORKAREA, 0, &small, 0));
    const SeenBox seen = ShowAndRead(nullptr, MB_ICONINFORMATION);
    SystemParametersInfoA(SPI_SETWORKAREA, 0, &saved, 0);
    CHECK(seen.rect.right == 500);
    CHECK(seen.rect.bottom == 420);
}

TEST_CASE("a box owned by a page window is centred on it") {
    SUBCASE("page on the screen") {
        Page page(100, 120, 500, 400);
        const SeenBox seen = ShowAndRead(&page.record, MB_ICONINFORMATION);
        CheckCentredOn(seen.rect, page.Centre());
    }
    SUBCASE("page partly left of the screen") {
        Page page(-100, 200, 700, 400);
        const SeenBox seen = ShowAndRead(&page.record, MB_ICONINFORMATION);
        REQUIRE(seen.rect.left > 0);
        CheckCentredOn(seen.rect, page.Centre());
    }
}

TEST_CASE("a box whose owner lies off the screen stays on it") {
    SUBCASE("above and left: moved to 0") {
        Page page(-350, -300, 400, 300);
        const SeenBox seen = ShowAndRead(&page.record, MB_ICONINFORMATION);
        CHECK(seen.rect.left == 0);
        CHECK(seen.rect.top == 0);
    }
    SUBCASE("below and right: inside the work area") {
        Page page(900, 650, 400, 300);
        const SeenBox seen = ShowAndRead(&page.record, MB_ICONINFORMATION);
        RECT work = {};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        CHECK(seen.rect.right == work.right);
        CHECK(seen.rect.bottom == work.bottom);
    }
}

TEST_CASE("style 0 is the exclamation icon with one OK button") {
    int result = 0;
    g_press = IDOK;
    const SeenBox seen = ShowAndRead(nullptr, 0, &result);
    CHECK(result == IDOK);
    CHECK(seen.buttons == 1);
    CHECK(seen.firstButton == "OK");
    CHECK(seen.icon != nullptr);
    CHECK(seen.icon == LoadIconA(nullptr, MAKEINTRESOURCEA(32515)));  // IDI_EXCLAMATION
}

TEST_CASE("the result is the button pressed") {
    int result = 0;
    g_press = IDNO;
    const SeenBox seen = ShowAndRead(nullptr, MB_YESNO | MB_ICONQUESTION, &result);
    g_press = IDOK;
    CHECK(seen.buttons == 2);
    CHECK(result == IDNO);
}

TEST_CASE("a box opened while another is shown is placed too, and both hooks go away") {
    Page page(60, 80, 400, 300);
    g_openNested = true;
    int result = 0;
    ShowAndRead(&page.record, MB_ICONINFORMATION, &result);
    CHECK(result == IDOK);
    CHECK(g_nestedResult == IDOK);
    REQUIRE(g_seen.size() == 2);
    CheckCentredOn(g_seen[0].rect, page.Centre());
    CheckCentredOn(g_seen[1].rect,
                   {GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2});

    // A popup made after the boxes is left where it asks to be.
    HWND popup = CreateWindowExA(0, "STATIC", "", WS_POPUP, 5, 7, 40, 30, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    RECT r = {};
    GetWindowRect(popup, &r);
    DestroyWindow(popup);
    CHECK(r.left == 5);
    CHECK(r.top == 7);
}
