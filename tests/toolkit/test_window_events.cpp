// Windows and events: creation, event translation and delivery, re-entrant handlers,
// the handler table, the event pump and the MDI frame, on real windows.
#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "gui_support.h"
#include "runtime/win.h"
#include "toolkit/controls.h"
#include "toolkit/drawing.h"
#include "toolkit/toolkit_state.h"
#include "toolkit/window.h"

#include <commctrl.h>

using namespace tk;

namespace {

constexpr uint32_t kPageFlags = 0x70000;

// What a handler saw of one event.
struct Seen {
    uint32_t id;
    WPARAM wParam;
    LPARAM lParam;
    int32_t controlId;
    int32_t notifyCode;
    int32_t menuId;
    int32_t x, y;
    Window* window;
    HWND recordHwnd;  // the record's hwnd while the event ran
};

std::vector<Seen> g_seen;
bool g_closeOnClose = false;

Seen Snapshot() {
    return Seen{g_event.EventId,        g_event.EventWParam,     g_event.EventLParam,
                g_event.EventControlId, g_event.EventNotifyCode, g_event.EventMenuId,
                g_event.EventX,         g_event.EventY,          g_event.EventWindow,
                g_event.EventWindow ? g_event.EventWindow->hwnd : nullptr};
}

int32_t RecordingHandler() {
    g_seen.push_back(Snapshot());
    if (g_event.EventId == EV_CLOSE && g_closeOnClose) CloseWindow(*g_event.EventWindow);
    return 0;
}

const Seen* FindSeen(uint32_t id) {
    for (const Seen& s : g_seen) {
        if (s.id == id) return &s;
    }
    return nullptr;
}

struct Page {
    Window record{};
    explicit Page(uint32_t flags = kPageFlags, int32_t (*handler)() = RecordingHandler) {
        g_seen.clear();
        g_closeOnClose = false;
        REQUIRE(OpenWindow(record, 200, 150, 450, 300, flags, nullptr, "events", handler) == 1);
        gui::PumpFor(100);
        g_seen.clear();
    }
    ~Page() { CloseWindow(record); }
};

HWND AddButton(const Window& w, int id, int x, int y) {
    return CreateWindowExA(0, "BUTTON", "Go", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, x, y, 100, 30,
                           w.hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
}

}  // namespace

TEST_CASE("OpenWindow: creation events reach the handler; the record is attached") {
    g_seen.clear();
    Window w{};
    REQUIRE(OpenWindow(w, 10, 10, 300, 200, kPageFlags, nullptr, "open", RecordingHandler) == 1);
    const Seen* create = FindSeen(WM_CREATE);
    REQUIRE(create != nullptr);
    CHECK(create->window == &w);
    CHECK(create->recordHwnd == w.hwnd);  // the handle was stored before delivery
    CHECK(FindSeen(WM_NCCREATE) != nullptr);
    CHECK(RecordOf(w.hwnd) == &w);
    CHECK(GetWindowLongPtrA(w.hwnd, 0) == reinterpret_cast<LONG_PTR>(&w));
    CHECK(g_windowUnderConstruction == nullptr);
    CHECK(reinterpret_cast<void*>(w.handler) == reinterpret_cast<void*>(RecordingHandler));

    char name[64] = {};
    GetClassNameA(w.hwnd, name, sizeof name);
    CHECK(std::string(name) == "TessaroWndClass");
    const LONG style = GetWindowLongA(w.hwnd, GWL_STYLE);
    CHECK((style & (WS_POPUP | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_VISIBLE)) ==
          (WS_POPUP | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_VISIBLE));
    CHECK((style & 0x70000) == 0x70000);
    CHECK(GetClassLongPtrA(w.hwnd, GCL_CBWNDEXTRA) == static_cast<LONG_PTR>(sizeof(void*)));
    CHECK(GetClassLongPtrA(w.hwnd, GCL_STYLE) == 0x1008);
    CHECK(w.backColor == GetSysColor(COLOR_WINDOW));
    CHECK(w.penWidth == 1);
    CHECK(w.penStyle == 0);
    CHECK(w.cursor == LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));
    CHECK(g_mdiClientAtom != 0);
    // The test program has no icon 101: the system application icon.
    CHECK(reinterpret_cast<HICON>(GetClassLongPtrA(w.hwnd, GCLP_HICON)) ==
          LoadIconA(nullptr, MAKEINTRESOURCEA(32512)));
    CHECK(GetClassLongPtrA(w.hwnd, GCLP_HCURSOR) == 0);
    CHECK(reinterpret_cast<HGDIOBJ>(GetClassLongPtrA(w.hwnd, GCLP_HBRBACKGROUND)) ==
          GetStockObject(WHITE_BRUSH));
    CloseWindow(w);
    CHECK(w.hwnd == nullptr);
}

TEST_CASE("OpenWindow flags: no caption, tool window, topmost, hidden") {
    Window w{};
    REQUIRE(OpenWindow(w, 10, 10, 200, 100, 0x40 | 0x200 | 0x400 | 0x800, nullptr, "flags",
                       RecordingHandler) == 1);
    const LONG style = GetWindowLongA(w.hwnd, GWL_STYLE);
    const LONG exStyle = GetWindowLongA(w.hwnd, GWL_EXSTYLE);
    CHECK((style & WS_CAPTION) == 0);
    CHECK((style & WS_SYSMENU) == 0);
    CHECK((style & WS_VISIBLE) == 0);
    CHECK((style & 0xFF0) == 0);  // the toolkit's bits are not window styles
    CHECK((exStyle & WS_EX_TOOLWINDOW) != 0);
    CHECK((exStyle & WS_EX_TOPMOST) != 0);
    CloseWindow(w);

    SUBCASE("a failed creation leaves the record closed") {
        Window child{};
        Window closedParent{};
        CHECK(OpenWindow(child, 0, 0, 10, 10, 0, &closedParent, "orphan", RecordingHandler) == 0);
        CHECK(child.hwnd == nullptr);
    }
}

TEST_CASE("a real mouse click on a button arrives as EV_CONTROL with its id and code 0") {
    Page page;
    HWND button = AddButton(page.record, 77, 40, 40);
    REQUIRE(button != nullptr);
    gui::PumpFor(100);
    gui::ClickAt(gui::CentreOf(button));
    REQUIRE(gui::PumpUntil([] { return FindSeen(EV_CONTROL) != nullptr; }));
    const Seen& click = *FindSeen(EV_CONTROL);
    CHECK(click.controlId == 77);
    CHECK(click.notifyCode == 0);
    CHECK(click.lParam == reinterpret_cast<LPARAM>(button));
    CHECK(click.window == &page.record);
    // The click reached the button, so the page window's mouse messages did not fire.
    CHECK(FindSeen(WM_LBUTTONDOWN) == nullptr);

    SUBCASE("a click on the page itself gives client coordinates and key flags") {
        g_seen.clear();
        RECT client{};
        GetClientRect(page.record.hwnd, &client);
        POINT at{300, 200};
        ClientToScreen(page.record.hwnd, &at);
        gui::ClickAt(at);
        REQUIRE(gui::PumpUntil([] { return FindSeen(WM_LBUTTONUP) != nullptr; }));
        const Seen& down = *FindSeen(WM_LBUTTONDOWN);
        CHECK(down.lParam == MK_LBUTTON);
        CHECK(down.x == 300);
        CHECK(down.y == 200);
        CHECK(g_event.EventX == 0);  // restored after delivery (the previous event's values)
        CHECK(GetFocus() == page.record.hwnd);
    }
}

TEST_CASE("mouse events: coordinates and flags in the Event record") {
    Page page;
    static int32_t x = -1, y = -1;
    static LPARAM flags = -1;
    struct Probe {
        static int32_t Handler() {
            if (g_event.EventId == WM_RBUTTONDOWN) {
                x = g_event.EventX;
                y = g_event.EventY;
                flags = g_event.EventLParam;
            }
            return 0;
        }
    };
    page.record.handler = Probe::Handler;
    SendMessageA(page.record.hwnd, WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT, MAKELPARAM(0xFFF0, 12));
    CHECK(x == 0xFFF0);  // unsigned 16 bits, as the message carries them
    CHECK(y == 12);
    CHECK(flags == (MK_RBUTTON | MK_SHIFT));
}

TEST_CASE("the close box gives EV_CLOSE; the window stays open unless the handler closes it") {
    Page page;
    // WM_CLOSE, and the system command that the close box and the system menu send.
    const struct { UINT message; WPARAM wParam; } closers[] = {{WM_CLOSE, 0}, {WM_SYSCOMMAND, SC_CLOSE}};
    for (const auto& closer : closers) {
        CAPTURE(closer.message);
        g_seen.clear();
        SendMessageA(page.record.hwnd, closer.message, closer.wParam, 0);
        CHECK(FindSeen(EV_CLOSE) != nullptr);
        CHECK(FindSeen(WM_CLOSE) == nullptr);
        CHECK(FindSeen(WM_DESTROY) == nullptr);
        gui::PumpFor(50);
        CHECK(IsWindow(page.record.hwnd));
        CHECK(page.record.hwnd != nullptr);
    }
}

TEST_CASE("a real click on the close box gives EV_CLOSE and closes nothing") {
    Page page;
    // The virtual desktop draws the frame: find a point of the close box by hit-testing
    // the caption from its right end.
    RECT frame{};
    GetWindowRect(page.record.hwnd, &frame);
    POINT closeBox{-1, -1};
    for (int y = frame.top + 2; y < frame.top + 40 && closeBox.x < 0; y += 2) {
        for (int x = frame.right - 2; x > frame.right - 80; x -= 2) {
            const LRESULT hit = SendMessageA(page.record.hwnd, WM_NCHITTEST, 0, MAKELPARAM(x, y));
            if (hit == HTCLOSE) {
                closeBox = {x - 3, y + 3};
                break;
            }
        }
    }
    REQUIRE(closeBox.x >= 0);
    g_seen.clear();
    gui::ClickAt(closeBox);
    REQUIRE(gui::PumpUntil([] { return FindSeen(EV_CLOSE) != nullptr; }));
    CHECK(FindSeen(EV_CLOSE)->window == &page.record);
    gui::PumpFor(100);
    CHECK(FindSeen(WM_DESTROY) == nullptr);
    CHECK(IsWindow(page.record.hwnd));
    CHECK(IsWindowVisible(page.record.hwnd));
}

TEST_CASE("a handler that closes its window on EV_CLOSE ends the page loop") {
    Page page;
    g_closeOnClose = true;
    HWND hwnd = page.record.hwnd;
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    int rounds = 0;
    while (page.record.hwnd && rounds < 100) {
        WaitEvents(0);
        ++rounds;
    }
    CHECK(page.record.hwnd == nullptr);
    CHECK_FALSE(IsWindow(hwnd));
    CHECK(FindSeen(WM_DESTROY) != nullptr);
}

TEST_CASE("WM_SIZE gives EV_RESIZE with the window handle, then WM_SIZE with the size") {
    Page page;
    SetWindowPos(page.record.hwnd, nullptr, 0, 0, 500, 320, SWP_NOMOVE | SWP_NOZORDER);
    RECT client{};
    GetClientRect(page.record.hwnd, &client);
    size_t i = 0;
    while (i < g_seen.size() && g_seen[i].id != EV_RESIZE) ++i;
    REQUIRE(i + 1 < g_seen.size());
    CHECK(g_seen[i].lParam == reinterpret_cast<LPARAM>(page.record.hwnd));
    CHECK(g_seen[i].wParam == SIZE_RESTORED);
    CHECK(g_seen[i].window == &page.record);
    CHECK(g_seen[i + 1].id == WM_SIZE);
    CHECK(g_seen[i + 1].lParam == MAKELPARAM(client.right, client.bottom));

    SUBCASE("WM_EXITSIZEMOVE likewise") {
        g_seen.clear();
        SendMessageA(page.record.hwnd, WM_EXITSIZEMOVE, 0, 0);
        REQUIRE(g_seen.size() == 2);
        CHECK(g_seen[0].id == EV_RESIZE);
        CHECK(g_seen[0].lParam == reinterpret_cast<LPARAM>(page.record.hwnd));
        CHECK(g_seen[1].id == WM_EXITSIZEMOVE);
    }
}

TEST_CASE("scroll and notify events name the control") {
    Page page;
    HWND bar = CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | WS_VISIBLE, 10, 10, 100, 16,
                               page.record.hwnd, reinterpret_cast<HMENU>(31), nullptr, nullptr);
    SendMessageA(page.record.hwnd, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 40),
                 reinterpret_cast<LPARAM>(bar));
    SendMessageA(page.record.hwnd, WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    NMHDR header{bar, 31, static_cast<UINT>(-2)};  // NM_CLICK
    SendMessageA(page.record.hwnd, WM_NOTIFY, 31, reinterpret_cast<LPARAM>(&header));
    REQUIRE(g_seen.size() >= 3);
    const Seen& h = g_seen[g_seen.size() - 3];
    CHECK(h.id == WM_HSCROLL);
    CHECK(h.controlId == 31);
    CHECK(h.wParam == SB_THUMBTRACK);
    CHECK(h.lParam == 40);
    const Seen& v = g_seen[g_seen.size() - 2];
    CHECK(v.id == WM_VSCROLL);
    const Seen& n = g_seen.back();
    CHECK(n.id == EV_CONTROL);
    CHECK(n.controlId == 31);
    CHECK(n.notifyCode == -2);

    SUBCASE("a posted 0x8004 is a control command; without a control it is a menu command") {
        g_seen.clear();
        PostMessageA(page.record.hwnd, EV_CONTROL, MAKEWPARAM(12, 3), reinterpret_cast<LPARAM>(bar));
        PostMessageA(page.record.hwnd, WM_COMMAND, 44, 0);
        WaitEvents(1);
        REQUIRE(g_seen.size() == 2);
        CHECK(g_seen[0].id == EV_CONTROL);
        CHECK(g_seen[0].controlId == 12);
        CHECK(g_seen[0].notifyCode == 3);
        CHECK(g_seen[1].id == EV_MENU);
        CHECK(g_seen[1].menuId == 44);
    }
}

namespace {

struct NestState {
    HWND page = nullptr;
    HWND otherButton = nullptr;
    bool nestedSeen = false;
    bool outerIntact = false;
    int32_t menuIdAfter = 0;
};
NestState g_nest;

void CALLBACK NestTimer(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    // Events of the page while the box is up: a control command, a menu command, a move.
    SendMessageA(g_nest.page, WM_COMMAND, MAKEWPARAM(88, 5),
                 reinterpret_cast<LPARAM>(g_nest.otherButton));
    SendMessageA(g_nest.page, WM_COMMAND, 55, 0);
    SendMessageA(g_nest.page, WM_MOUSEMOVE, 0, MAKELPARAM(7, 9));
    if (HWND box = FindWindowA("#32770", "nested")) PostMessageA(box, WM_COMMAND, IDOK, 0);
}

int32_t NestingHandler() {
    if (g_event.EventId == EV_CONTROL && g_event.EventControlId == 88) g_nest.nestedSeen = true;
    if (g_event.EventId != EV_CONTROL || g_event.EventControlId != 77) return 0;
    const EventRecord before = g_event;
    SetTimer(nullptr, 0, 50, NestTimer);
    MessageBoxA(g_event.EventWindow->hwnd, "A nested event arrives meanwhile.", "nested", MB_OK);
    g_nest.outerIntact = g_event.EventId == before.EventId &&
                         g_event.EventWParam == before.EventWParam &&
                         g_event.EventLParam == before.EventLParam &&
                         g_event.EventControlId == before.EventControlId &&
                         g_event.EventNotifyCode == before.EventNotifyCode &&
                         g_event.EventX == before.EventX && g_event.EventY == before.EventY &&
                         g_event.EventWindow == before.EventWindow;
    g_nest.menuIdAfter = g_event.EventMenuId;
    return 0;
}

}  // namespace

TEST_CASE("a handler that opens a message box finds its Event record intact afterwards") {
    Page page(kPageFlags, NestingHandler);
    g_nest = {};
    g_nest.page = page.record.hwnd;
    HWND button = AddButton(page.record, 77, 40, 40);
    g_nest.otherButton = AddButton(page.record, 88, 40, 90);
    g_event.EventMenuId = 0;
    PostMessageA(page.record.hwnd, WM_COMMAND, MAKEWPARAM(77, 0), reinterpret_cast<LPARAM>(button));
    gui::PumpFor(300);
    CHECK(g_nest.nestedSeen);
    CHECK(g_nest.outerIntact);
    CHECK(g_nest.menuIdAfter == 55);  // the one field a nested event leaves changed
}

namespace {

constexpr UINT kChainMessage = WM_APP + 1;
constexpr int kChainLength = 50;
int g_chainCount = 0;

int32_t ChainHandler() {
    if (g_event.EventId == kChainMessage && ++g_chainCount < kChainLength) {
        PostMessageA(g_event.EventWindow->hwnd, kChainMessage, 0, 0);
    }
    return 0;
}

}  // namespace

TEST_CASE("WaitEvents(0) returns only when the queue is empty, posted follow-ups included") {
    Page page(kPageFlags, ChainHandler);
    gui::PumpFor(100);
    g_chainCount = 0;
    PostMessageA(page.record.hwnd, kChainMessage, 0, 0);
    WaitEvents(0);
    CHECK(g_chainCount == kChainLength);
    MSG msg{};
    CHECK_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));

    SUBCASE("WaitEvents(1) dispatches what is queued and does not wait") {
        g_chainCount = kChainLength - 2;
        PostMessageA(page.record.hwnd, kChainMessage, 0, 0);
        WaitEvents(1);
        CHECK(g_chainCount == kChainLength);
        WaitEvents(1);  // an empty queue: returns at once
    }
}

TEST_CASE("the pump: accelerator table and dialog keys") {
    Page page;
    Window& w = page.record;
    AddButton(w, 5, 10, 10);
    SUBCASE("an accelerator becomes a menu command and its key goes no further") {
        ACCEL accel{FVIRTKEY, 'K', 500};
        HACCEL table = CreateAcceleratorTableA(&accel, 1);
        SetPropA(w.hwnd, "_ACCEL_TABLE", table);
        PostMessageA(w.hwnd, WM_KEYDOWN, 'K', 0);
        WaitEvents(1);
        REQUIRE(FindSeen(EV_MENU) != nullptr);
        CHECK(FindSeen(EV_MENU)->menuId == 500);
        CHECK(FindSeen(WM_KEYDOWN) == nullptr);
    }
    SUBCASE("dialog keys: Tab moves the focus only when the record asks for it") {
        HWND first = GetDlgItem(w.hwnd, 5);
        HWND second = AddButton(w, 6, 10, 60);
        SetWindowLongA(first, GWL_STYLE, GetWindowLongA(first, GWL_STYLE) | WS_TABSTOP);
        SetWindowLongA(second, GWL_STYLE, GetWindowLongA(second, GWL_STYLE) | WS_TABSTOP);
        ::SetFocus(first);
        PostMessageA(first, WM_KEYDOWN, VK_TAB, 0);
        WaitEvents(1);
        CHECK(GetFocus() == first);
        w.dialogKeys = 1;
        PostMessageA(first, WM_KEYDOWN, VK_TAB, 0);
        WaitEvents(1);
        CHECK(GetFocus() == second);
    }
}

// A page's keys: the focus after each key, and the clicks and closes they cause.
TEST_CASE("the pump: a page's keys") {
    Page page;
    Window& w = page.record;
    // Made out of reading order: the check box reads first, the Next button last.
    AddControl(w, kPushButton, "Next", 300, 200, 70, 25, 0, 10);
    AddControl(w, kPushButton, "Exit", 20, 200, 70, 25, 0, 11);
    AddControl(w, kCheckBox, "Box", 20, 20, 200, 25, 0, 12);
    AddControl(w, kRadioButton, "A", 20, 60, 200, 25, 0, 13);
    AddControl(w, kRadioButton, "B", 20, 90, 200, 25, 0, 14);
    AddControl(w, kStaticText, "Label", 20, 120, 200, 25, 0, 15);
    AddControl(w, kPushButton, "Hidden", 150, 200, 70, 25, kStartHidden, 16);
    auto id = [&] { return GetFocus() == w.hwnd ? 0 : GetDlgCtrlID(GetFocus()); };
    auto key = [&](WPARAM vk, bool shift = false) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(keys);
        PostMessageA(GetFocus(), WM_KEYDOWN, vk, 0);
        WaitEvents(1);
        keys[VK_SHIFT] = 0;
        SetKeyboardState(keys);
    };
    auto clicked = [&](int32_t control) {
        for (const Seen& s : g_seen) {
            if (s.id == EV_CONTROL && s.controlId == control && s.notifyCode == 0) return true;
        }
        return false;
    };
    ::SetFocus(w.hwnd);
    key(VK_TAB);
    CHECK(id() == 0);  // nothing until the page asks for its keys
    SetPageKeys(w, 10);
    g_seen.clear();

    SUBCASE("Tab in reading order, round and round; a radio group is one stop") {
        std::vector<int> order;
        for (int i = 0; i < 5; ++i) {
            key(VK_TAB);
            order.push_back(id());
        }
        CHECK(order == std::vector<int>{12, 13, 11, 10, 12});
        key(VK_TAB, true);
        CHECK(id() == 10);
        SendMessageA(GetDlgItem(w.hwnd, 14), BM_SETCHECK, BST_CHECKED, 0);
        key(VK_TAB);
        key(VK_TAB);
        CHECK(id() == 14);  // the group's checked button
    }
    SUBCASE("the arrows move within the group and check the button reached") {
        ::SetFocus(GetDlgItem(w.hwnd, 13));
        key(VK_DOWN);
        CHECK(id() == 14);
        CHECK(SendMessageA(GetDlgItem(w.hwnd, 14), BM_GETCHECK, 0, 0) == BST_CHECKED);
        CHECK(SendMessageA(GetDlgItem(w.hwnd, 13), BM_GETCHECK, 0, 0) == BST_UNCHECKED);
        CHECK(clicked(14));
        key(VK_DOWN);
        CHECK(id() == 13);
        key(VK_UP);
        CHECK(id() == 14);
        ::SetFocus(GetDlgItem(w.hwnd, 12));
        key(VK_DOWN);
        CHECK(id() == 12);  // a check box is no group
    }
    SUBCASE("Space and Enter work the focused push button; Enter else the forward button") {
        ::SetFocus(GetDlgItem(w.hwnd, 11));
        PostMessageA(GetFocus(), WM_KEYDOWN, VK_SPACE, 0);
        PostMessageA(GetFocus(), WM_KEYUP, VK_SPACE, 0xC0000001);
        WaitEvents(1);
        CHECK(clicked(11));
        g_seen.clear();
        key(VK_RETURN);
        CHECK(clicked(11));
        CHECK_FALSE(clicked(10));
        ::SetFocus(GetDlgItem(w.hwnd, 12));
        key(VK_RETURN);
        CHECK(clicked(10));
        CHECK(SendMessageA(GetDlgItem(w.hwnd, 12), BM_GETCHECK, 0, 0) == BST_UNCHECKED);
        ::SetFocus(GetDlgItem(w.hwnd, 12));
        g_seen.clear();
        SetPageKeys(w, 16);  // hidden
        key(VK_RETURN);
        SetPageKeys(w, 0);
        ::SetFocus(w.hwnd);
        key(VK_RETURN);
        CHECK(FindSeen(EV_CONTROL) == nullptr);
    }
    SUBCASE("Escape is the close box; a letter typed on a button reaches the page") {
        ::SetFocus(GetDlgItem(w.hwnd, 11));
        key(VK_ESCAPE);
        REQUIRE(FindSeen(EV_CLOSE) != nullptr);
        PostMessageA(GetDlgItem(w.hwnd, 11), WM_CHAR, 'y', 0);
        WaitEvents(1);
        REQUIRE(FindSeen(WM_CHAR) != nullptr);
        CHECK(FindSeen(WM_CHAR)->wParam == 'y');
    }
}

namespace {

int g_tableCalls = 0;
int32_t g_seenResultWord = -1;

int32_t ClickRoutine(int32_t* result) {
    ++g_tableCalls;
    g_seenResultWord = *result;
    return 5;
}
int32_t SilentRoutine(int32_t*) {
    ++g_tableCalls;
    return 0;
}
int32_t MessageRoutine(int32_t*) { return 9; }
int32_t MenuRoutine(int32_t*) { return 3; }
int32_t HandledByPage() { return g_event.EventId == WM_APP + 7 ? 0x10 : 0; }

}  // namespace

TEST_CASE("the handler table: control, menu and message routines") {
    Page page(kPageFlags, HandledByPage);
    Window& w = page.record;
    HWND button = AddButton(w, 77, 40, 40);
    const LPARAM control = reinterpret_cast<LPARAM>(button);
    g_tableCalls = 0;
    REQUIRE(AddControlHandler(w, 77, 0, ClickRoutine));
    REQUIRE(AddControlHandler(w, 77, 9, SilentRoutine));
    REQUIRE(AddMenuHandler(w, 300, MenuRoutine));
    REQUIRE(AddMessageHandler(w, EV_CONTROL, MessageRoutine));
    REQUIRE(AddMessageHandler(w, WM_APP + 7, MessageRoutine));
    CHECK(GetPropA(w.hwnd, "TS_HANDLERS") != nullptr);

    // A click (code 0) is found under the key -1; its result is the message's result.
    CHECK(SendMessageA(w.hwnd, WM_COMMAND, MAKEWPARAM(77, 0), control) == 5);
    CHECK(g_seenResultWord == 0);
    // A routine that leaves the result 0: the message map answers for the event number.
    CHECK(SendMessageA(w.hwnd, WM_COMMAND, MAKEWPARAM(77, 9), control) == 9);
    CHECK(g_tableCalls == 2);
    // A code without a routine, another control: the message map again.
    CHECK(SendMessageA(w.hwnd, WM_COMMAND, MAKEWPARAM(78, 0), control) == 9);
    CHECK(SendMessageA(w.hwnd, WM_COMMAND, 300, 0) == 3);
    CHECK(SendMessageA(w.hwnd, WM_COMMAND, 301, 0) == 0);
    // The page's own result and the table's are combined.
    CHECK(SendMessageA(w.hwnd, WM_APP + 7, 0, 0) == (0x10 | 9));
    // Registering again replaces the routine.
    REQUIRE(AddMenuHandler(w, 300, MessageRoutine));
    CHECK(SendMessageA(w.hwnd, WM_COMMAND, 300, 0) == 9);
    for (int id = 1000; id < 1100; ++id) REQUIRE(AddControlHandler(w, id, 1, ClickRoutine));
    CHECK(SendMessageA(w.hwnd, WM_COMMAND, MAKEWPARAM(1099, 1), control) == 5);
    CloseWindow(w);
    CHECK_FALSE(AddMenuHandler(w, 1, MenuRoutine));  // closed: nothing to attach to
}

TEST_CASE("each window's table answers for it alone, while other tables come and go") {
    Page first(kPageFlags, HandledByPage);
    Page second(kPageFlags, HandledByPage);
    Page plain(kPageFlags, HandledByPage);
    REQUIRE(AddMenuHandler(first.record, 300, MenuRoutine));
    REQUIRE(AddMenuHandler(second.record, 300, MessageRoutine));
    CHECK(SendMessageA(first.record.hwnd, WM_COMMAND, 300, 0) == 3);
    CHECK(SendMessageA(second.record.hwnd, WM_COMMAND, 300, 0) == 9);
    CHECK(SendMessageA(plain.record.hwnd, WM_COMMAND, 300, 0) == 0);
    // Closing one window frees its table only; the other's still answers.
    CloseWindow(first.record);
    CHECK(SendMessageA(second.record.hwnd, WM_COMMAND, 300, 0) == 9);
    CHECK(SendMessageA(plain.record.hwnd, WM_COMMAND, 300, 0) == 0);
    // With every table gone, a table made afterwards is found at once.
    CloseWindow(second.record);
    REQUIRE(AddMenuHandler(plain.record, 300, MenuRoutine));
    CHECK(SendMessageA(plain.record.hwnd, WM_COMMAND, 300, 0) == 3);
}

namespace {

Window* g_closedByRoutine = nullptr;
int g_messageRoutineCalls = 0;

int32_t ClosesItsWindow(int32_t*) {
    CloseWindow(*g_closedByRoutine);
    return 0;
}
int32_t CountsMessages(int32_t*) {
    ++g_messageRoutineCalls;
    return 0;
}

}  // namespace

TEST_CASE("a table routine that closes its window ends the dispatch there") {
    Page page(kPageFlags, HandledByPage);
    Window& w = page.record;
    HWND button = AddButton(w, 77, 40, 40);
    g_closedByRoutine = &w;
    g_messageRoutineCalls = 0;
    REQUIRE(AddControlHandler(w, 77, 0, ClosesItsWindow));
    REQUIRE(AddMessageHandler(w, EV_CONTROL, CountsMessages));
    HWND hwnd = w.hwnd;
    // The control routine frees the table with the window; the message map is not read.
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(77, 0), reinterpret_cast<LPARAM>(button));
    CHECK(w.hwnd == nullptr);
    CHECK_FALSE(IsWindow(hwnd));
    CHECK(g_messageRoutineCalls == 0);
}

namespace {

int32_t SetsCursor() { return 0; }

}  // namespace

TEST_CASE("WM_SETCURSOR over the client area shows the record's cursor") {
    Page page(kPageFlags, SetsCursor);
    Window& w = page.record;
    w.cursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32514));  // IDC_WAIT
    CHECK(SendMessageA(w.hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(w.hwnd),
                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)) == TRUE);
    CHECK(GetCursor() == w.cursor);
    CHECK(SendMessageA(w.hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(w.hwnd),
                       MAKELPARAM(HTCAPTION, WM_MOUSEMOVE)) == FALSE);
}

TEST_CASE("colour requests and WM_DRAWITEM are answered by the control") {
    Page page;
    static UINT reflected = 0;
    struct Control {
        static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
            if (m == 0x19 || m == WM_DRAWITEM) {
                reflected = m;
                return 0x1234;
            }
            return DefWindowProcA(h, m, wp, lp);
        }
    };
    HWND control = AddButton(page.record, 5, 10, 10);
    SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Control::Proc));
    CHECK(SendMessageA(page.record.hwnd, WM_CTLCOLORSTATIC, 0, reinterpret_cast<LPARAM>(control)) ==
          0x1234);
    CHECK(reflected == 0x19);
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.CtlID = 5;
    item.hwndItem = control;
    reflected = 0;
    CHECK(SendMessageA(page.record.hwnd, WM_DRAWITEM, 5, reinterpret_cast<LPARAM>(&item)) == 0x1234);
    CHECK(reflected == WM_DRAWITEM);
    // WM_CTLCOLORDLG is the window's own: delivered, not reflected.
    g_seen.clear();
    SendMessageA(page.record.hwnd, WM_CTLCOLORDLG, 0, reinterpret_cast<LPARAM>(control));
    CHECK(FindSeen(WM_CTLCOLORDLG) != nullptr);
    SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcA));
}

TEST_CASE("MDI frame: the Window menu, the MDI client, children and a status bar") {
    g_seen.clear();
    Window frame{};
    REQUIRE(OpenWindow(frame, 20, 20, 600, 400, 0x20 | WS_THICKFRAME, nullptr, "frame",
                       RecordingHandler) == 1);
    char name[64] = {};
    GetClassNameA(frame.hwnd, name, sizeof name);
    CHECK(std::string(name) == "TessaroFrameClass");
    CHECK(GetClassLongPtrA(frame.hwnd, GCL_STYLE) == 0x2008);
    CHECK(GetClassLongPtrA(frame.hwnd, GCLP_HBRBACKGROUND) == COLOR_APPWORKSPACE + 1);

    HMENU bar = GetMenu(frame.hwnd);
    REQUIRE(bar != nullptr);
    CHECK(GetMenuItemCount(bar) == 1);
    GetMenuStringA(bar, 0, name, sizeof name, MF_BYPOSITION);
    CHECK(std::string(name) == "&Window");
    HMENU popup = GetSubMenu(bar, 0);
    REQUIRE(popup != nullptr);
    const struct { UINT id; const char* text; } items[] = {
        {0x8005, "&Cascade"}, {0x8006, "&Tile"}, {0x8007, "&Arrange Icons"}};
    for (const auto& item : items) {
        GetMenuStringA(popup, item.id, name, sizeof name, MF_BYCOMMAND);
        CHECK(std::string(name) == item.text);
    }

    REQUIRE(frame.mdiClient != nullptr);
    GetClassNameA(frame.mdiClient, name, sizeof name);
    CHECK(std::string(name) == "MDIClient");
    CHECK(GetDlgCtrlID(frame.mdiClient) == 0xCAC);
    CHECK(g_mdiClientAtom == GetClassWord(frame.mdiClient, GCW_ATOM));
    CHECK((GetWindowLongA(frame.mdiClient, GWL_STYLE) & WS_VISIBLE) != 0);
    RECT client{};
    RECT mdi{};
    GetClientRect(frame.hwnd, &client);
    GetWindowRect(frame.mdiClient, &mdi);
    MapWindowPoints(nullptr, frame.hwnd, reinterpret_cast<POINT*>(&mdi), 2);
    CHECK(mdi.bottom == client.bottom);

    Window child{};
    REQUIRE(OpenWindow(child, 10, 10, 200, 150, 0, &frame, "child", RecordingHandler) == 1);
    CHECK(GetParent(child.hwnd) == frame.mdiClient);
    CHECK((GetWindowLongA(child.hwnd, GWL_EXSTYLE) & WS_EX_MDICHILD) != 0);
    CHECK(HasMdiClientParent(child.hwnd));
    CHECK_FALSE(HasMdiClientParent(frame.hwnd));

    SUBCASE("a menu command of the frame names the MDI child's record") {
        g_seen.clear();
        SendMessageA(frame.hwnd, WM_COMMAND, 0x8005, 0);
        REQUIRE(FindSeen(EV_MENU) != nullptr);
        CHECK(FindSeen(EV_MENU)->window == &child);
        CHECK(FindSeen(EV_MENU)->menuId == 0x8005);
    }
    SUBCASE("a status bar moves the MDI client's bottom edge, also after a resize") {
        InitCommonControls();
        HWND status = CreateWindowExA(0, "msctls_statusbar32", "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                                      frame.hwnd, reinterpret_cast<HMENU>(9), nullptr, nullptr);
        REQUIRE(status != nullptr);
        RECT s{};
        GetWindowRect(status, &s);
        const int statusHeight = s.bottom - s.top;
        REQUIRE(statusHeight > 0);
        CHECK(LayoutMdiFrame(frame));
        GetWindowRect(frame.mdiClient, &mdi);
        MapWindowPoints(nullptr, frame.hwnd, reinterpret_cast<POINT*>(&mdi), 2);
        CHECK(mdi.bottom == client.bottom - statusHeight);
        CHECK(mdi.top == 0);

        SetWindowPos(frame.hwnd, nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
        GetClientRect(frame.hwnd, &client);
        GetWindowRect(status, &s);
        GetWindowRect(frame.mdiClient, &mdi);
        MapWindowPoints(nullptr, frame.hwnd, reinterpret_cast<POINT*>(&mdi), 2);
        CHECK(mdi.bottom == client.bottom - (s.bottom - s.top));
    }
    SUBCASE("a frame without bars leaves the layout to the platform") {
        CHECK_FALSE(LayoutMdiFrame(frame));
    }

    HWND childHwnd = child.hwnd;
    CloseWindow(child);
    CHECK(child.hwnd == nullptr);
    CHECK_FALSE(IsWindow(childHwnd));
    CloseWindow(frame);
}
