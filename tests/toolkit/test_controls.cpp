// Controls on a toolkit page window: kinds, ids, states, strings, fonts, colours, the
// toolkit-drawn push buttons and transparent statics as the screen shows them, images
// drawn into the window, bitmaps named by a control's text, and that a closed page
// leaves none of its GDI objects behind.
#include <doctest/doctest.h>
#include <ole2.h>
#include <olectl.h>
#include <richedit.h>
#include <richole.h>

#include <cstring>
#include <string>
#include <vector>

#include "gui_support.h"
#include "runtime/win.h"
#include "toolkit/controls.h"
#include "toolkit/drawing.h"
#include "toolkit/window.h"

namespace {

std::vector<tk::EventRecord> g_controlEvents;

int32_t RecordControlEvents() {
    if (tk::g_event.EventId == tk::EV_CONTROL) g_controlEvents.push_back(tk::g_event);
    return 0;
}

// A page window like the setup's, 450 x 450 with a backing bitmap; without caption, so
// that closing it does not wait for a window manager the virtual display lacks.
struct Page {
    static constexpr uint32_t kFlags = 0x40;
    tk::Window record{};
    explicit Page(int x = 40, int y = 40) {
        REQUIRE(tk::OpenWindow(record, x, y, 450, 450, kFlags, nullptr, " Controls",
                               RecordControlEvents) == 1);
        g_controlEvents.clear();
        gui::PumpFor(30);
    }
    ~Page() { tk::CloseWindow(record); }
    HWND Control(int id) const { return GetDlgItem(record.hwnd, id); }
};

std::string UpperClassOf(HWND hwnd) {
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    CharUpperA(name);
    return name;
}

COLORREF PropColour(HWND hwnd, const char* name) {
    return static_cast<COLORREF>(reinterpret_cast<uintptr_t>(GetPropA(hwnd, name)));
}

LOGFONTA FontDescription(HFONT font) {
    LOGFONTA description{};
    GetObjectA(font, sizeof description, &description);
    return description;
}

HFONT FontOf(HWND hwnd) { return reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0)); }

gui::Pixels ReadControl(HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    return gui::ReadScreen(r);
}

int CountColour(const gui::Pixels& p, COLORREF colour) {
    int n = 0;
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) n += p.At(x, y) == colour;
    }
    return n;
}

std::vector<POINT> PixelsOf(const gui::Pixels& p, COLORREF colour) {
    std::vector<POINT> found;
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            if (p.At(x, y) == colour) found.push_back({x, y});
        }
    }
    return found;
}

// A 32-bit DIB section of one colour.
HBITMAP SolidBitmap(int width, int height, COLORREF colour) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* pixels = static_cast<uint32_t*>(bits);
    const uint32_t value = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    for (int i = 0; i < width * height; ++i) pixels[i] = value;
    return bitmap;
}

HBITMAP StaticImage(HWND control) {
    return reinterpret_cast<HBITMAP>(SendMessageA(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
}

COLORREF FirstPixel(HBITMAP bitmap) { return gui::ReadBitmap(bitmap).At(0, 0); }

constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kGreen = 0x00FF00;
constexpr COLORREF kBlue = 0xFF0000;
constexpr COLORREF kYellow = 0x00FFFF;
constexpr COLORREF kMagenta = 0xFF00FF;

}  // namespace

TEST_CASE("Rgb puts red, green and blue in place and does not mask them") {
    struct Case {
        int r, g, b;
        COLORREF expected;
    };
    const Case cases[] = {
        {255, 255, 255, 0xFFFFFF},    {0, 0, 0, 0},
        {1, 2, 3, 0x030201},          {0, 256, 0, 0x010000},
        {0, 0x1FF, 0, 0x01FF00},      {300, 0, 0, 0x00012C},
        {0x80, 0xFF, 0xFF, 0xFFFF80},
    };
    for (const Case& c : cases) {
        CAPTURE(c.r);
        CAPTURE(c.g);
        CAPTURE(c.b);
        CHECK(tk::Rgb(c.r, c.g, c.b) == c.expected);
    }
}

TEST_CASE("operations on a closed window do nothing") {
    tk::Window closed{};
    CHECK(tk::AddControl(closed, tk::kCheckBox, "x", 0, 0, 10, 10, 0, 2) == 0);
    CHECK(tk::GetButtonState(closed, 2) == -1);
    CHECK(tk::SetButtonState(closed, 2, 1) == 0);
    CHECK(tk::SetFont(closed, "Arial", 12, 0, 0, 0) == 0);
    CHECK(tk::ShowImage(closed, nullptr, 0, 0, 0, 1, 1, 0) == 0);

    Page page;
    REQUIRE(tk::AddControl(page.record, tk::kCheckBox, "Choice", 10, 10, 100, 20, 0, 2) == 1);
    tk::SetButtonState(page.record, 2, 1);
    REQUIRE(tk::GetButtonState(page.record, 2) == 1);
    tk::CloseWindow(page.record);
    CHECK(tk::GetButtonState(page.record, 2) == -1);
    CHECK(tk::AddControl(page.record, tk::kCheckBox, "Again", 10, 10, 100, 20, 0, 3) == 0);
}

namespace {

// The windows created on the page while the hook is in place: the control itself.
struct Created {
    HWND parent = nullptr;
    int count = 0;
    uint32_t style = 0;
    uint32_t exStyle = 0;
    std::string text;
} g_created;

LRESULT CALLBACK WatchCreate(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const CREATESTRUCTA* cs = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
        if (cs->hwndParent == g_created.parent && g_created.count++ == 0) {
            g_created.style = static_cast<uint32_t>(cs->style);
            g_created.exStyle = cs->dwExStyle;
            g_created.text = cs->lpszName ? cs->lpszName : "";
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

TEST_CASE("each kind makes its class, adds its styles and is attached") {
    struct Case {
        int32_t kind;
        uint32_t style;
        const char* upperClass;
        uint32_t addedStyle;
        bool clientEdge;
        int colourIndex;
        bool brush;
    };
    const Case cases[] = {
        {tk::kPushButton, 0, "BUTTON", BS_OWNERDRAW, false, COLOR_BTNFACE, true},
        {tk::kPushButton, BS_BITMAP, "BUTTON", 0, false, COLOR_BTNFACE, true},
        {tk::kCheckBox, 0, "BUTTON", BS_AUTOCHECKBOX, false, COLOR_BTNFACE, true},
        {tk::kRadioButton, 0, "BUTTON", BS_AUTORADIOBUTTON, false, COLOR_BTNFACE, true},
        {tk::kEditBox, 0, "EDIT", WS_BORDER, true, COLOR_WINDOW, true},
        {tk::kListBox, 0, "LISTBOX", 0x800140, true, COLOR_WINDOW, true},
        {tk::kComboBox, 0, "COMBOBOX", 0x800600, true, COLOR_WINDOW, true},
        {tk::kStaticText, 0, "STATIC", 0, false, COLOR_BTNFACE, true},
        {tk::kScrollBar, 0, "SCROLLBAR", 0, false, COLOR_SCROLLBAR, false},
        {tk::kGroupBox, 0, "BUTTON", BS_GROUPBOX, false, COLOR_BTNFACE, true},
        {tk::kRichEdit, 0, "RICHEDIT", 0, false, COLOR_WINDOW, true},
        {tk::kRichEdit, WS_BORDER, "RICHEDIT", 0, true, COLOR_WINDOW, true},
        {tk::kListView, 0, "SYSLISTVIEW32", 0, false, COLOR_WINDOW, true},
        {tk::kStatusBar, 0, "MSCTLS_STATUSBAR32", 0, false, COLOR_WINDOW, true},
        {tk::kPlainPushButton, 0, "BUTTON", 0, false, COLOR_BTNFACE, true},
        {tk::kTreeView, 0, "SYSTREEVIEW32", 0, false, COLOR_WINDOW, true},
        {tk::kTreeView, WS_BORDER, "SYSTREEVIEW32", 0, true, COLOR_WINDOW, true},
        {tk::kHotButton, 0, "BUTTON", BS_OWNERDRAW, false, COLOR_BTNFACE, true},
    };
    Page page;
    int id = 10;
    for (const Case& c : cases) {
        CAPTURE(c.kind);
        CAPTURE(c.style);
        ++id;
        g_created = {};
        g_created.parent = page.record.hwnd;
        HHOOK hook = SetWindowsHookExA(WH_CBT, WatchCreate, nullptr, GetCurrentThreadId());
        REQUIRE(tk::AddControl(page.record, c.kind, "Text", 10, 10, 120, 60, c.style, id) == 1);
        UnhookWindowsHookEx(hook);
        HWND control = page.Control(id);
        REQUIRE(control != nullptr);
        CHECK(UpperClassOf(control) == c.upperClass);
        // As asked of CreateWindowExA (some classes change their own styles afterwards).
        CHECK(g_created.count == 1);
        CHECK(g_created.style == (c.style | c.addedStyle | WS_CHILD | WS_VISIBLE));
        CHECK(g_created.exStyle == (c.clientEdge ? WS_EX_CLIENTEDGE : 0u));
        CHECK(g_created.text == "Text");
        // Attached: its colours, its brush and the subclass procedure.
        CHECK(PropColour(control, "FGRND") == GetSysColor(COLOR_BTNTEXT));
        CHECK(PropColour(control, "BGRND") == GetSysColor(c.colourIndex));
        CHECK((GetPropA(control, "BBRUSH") != nullptr) == c.brush);
        HANDLE previous = GetPropA(control, "LPFN");
        CHECK(previous != nullptr);
        CHECK(reinterpret_cast<HANDLE>(GetWindowLongPtrA(control, GWLP_WNDPROC)) != previous);
        if (c.kind == tk::kHotButton) {
            CHECK(PropColour(control, "HTCLR") == GetSysColor(COLOR_BTNFACE));
            CHECK(GetPropA(control, "BORDERWIDTH") == reinterpret_cast<HANDLE>(1));
        }
        DestroyWindow(control);
    }
}

namespace {

// What a control held right after the toolkit's procedure handled its WM_DESTROY.
struct AfterDestroy {
    WNDPROC toolkitProc = nullptr;
    LONG_PTR procedure = 0;
    std::vector<std::string> propertiesLeft;
} g_afterDestroy;

LRESULT CALLBACK WatchDestroy(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result =
        CallWindowProcA(g_afterDestroy.toolkitProc, hwnd, message, wParam, lParam);
    if (message == WM_DESTROY) {
        g_afterDestroy.procedure = GetWindowLongPtrA(hwnd, GWLP_WNDPROC);
        for (const char* name :
             {"LPFN", "FGRND", "BGRND", "BBRUSH", "NOTIFY_TAB", "NOTIFY_ENTER", "TS_FONT", "HTCLR",
              "BORDERWIDTH", "HBRUSH", "DOHOT", "NORBMP"}) {
            if (GetPropA(hwnd, name)) g_afterDestroy.propertiesLeft.push_back(name);
        }
    }
    return result;
}

}  // namespace

TEST_CASE("a destroyed control frees its brush, font and image and gives back its procedure") {
    struct Case {
        int32_t kind;
        uint32_t style;
    };
    const Case cases[] = {{tk::kCheckBox, 0},
                          {tk::kPushButton, 0},
                          {tk::kStaticText, SS_BITMAP},
                          {tk::kHotButton, 0},
                          {tk::kListBox, 0}};
    Page page;
    int id = 20;
    for (const Case& c : cases) {
        CAPTURE(c.kind);
        ++id;
        REQUIRE(tk::AddControl(page.record, c.kind, "", 10, 10, 100, 30, c.style, id) == 1);
        HWND control = page.Control(id);
        const auto original = reinterpret_cast<LONG_PTR>(GetPropA(control, "LPFN"));
        SetPropA(control, "NOTIFY_TAB", reinterpret_cast<HANDLE>(1));
        SetPropA(control, "NOTIFY_ENTER", reinterpret_cast<HANDLE>(1));
        tk::SetFont(page.record, "Arial", 12, 0, 0, id);
        HGDIOBJ brush = GetPropA(control, "BBRUSH");
        HGDIOBJ font = FontOf(control);
        HBITMAP image = nullptr;
        if (c.kind == tk::kStaticText) {
            SetWindowTextA(control, "77");
            image = StaticImage(control);
            REQUIRE(image != nullptr);
        }
        HBITMAP normal = nullptr;
        if (c.kind == tk::kHotButton) {
            normal = SolidBitmap(8, 8, kRed);
            SetPropA(control, "NORBMP", normal);
            SetPropA(control, "DOHOT", reinterpret_cast<HANDLE>(1));
        }
        g_afterDestroy = AfterDestroy{};
        g_afterDestroy.toolkitProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchDestroy)));
        DestroyWindow(control);
        CHECK(g_afterDestroy.procedure == original);
        CHECK(g_afterDestroy.propertiesLeft.empty());
        CHECK(GetObjectType(brush) == 0);
        CHECK(GetObjectType(font) == 0);
        if (image) CHECK(GetObjectType(image) == 0);
        if (normal) CHECK(GetObjectType(normal) == 0);
    }
}

namespace {

// Whether the control's default font was still alive when the toolkit, done with its
// part of WM_DESTROY, handed the message to the class's procedure (which, for a tree
// view or status bar, frees that font itself). The watcher stands in for the class's
// procedure in "LPFN".
struct FontWatch {
    WNDPROC classProc = nullptr;
    HFONT font = nullptr;
    bool seen = false;
    bool aliveAfterToolkit = false;
} g_fontWatch;

LRESULT CALLBACK WatchFontAtDestroy(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        g_fontWatch.seen = true;
        g_fontWatch.aliveAfterToolkit = GetObjectType(g_fontWatch.font) == OBJ_FONT;
    }
    return CallWindowProcA(g_fontWatch.classProc, hwnd, message, wParam, lParam);
}

// Destroys the control and reports what the watcher saw.
FontWatch DestroyWatchingFont(HWND control, HFONT font) {
    g_fontWatch = FontWatch{};
    g_fontWatch.classProc = reinterpret_cast<WNDPROC>(GetPropA(control, "LPFN"));
    g_fontWatch.font = font;
    SetPropA(control, "LPFN", reinterpret_cast<HANDLE>(WatchFontAtDestroy));
    DestroyWindow(control);
    return g_fontWatch;
}

}  // namespace

TEST_CASE("a control's own default font is left to the control") {
    const int32_t kinds[] = {tk::kListView, tk::kTreeView, tk::kStatusBar};
    Page page;
    int id = 40;
    for (int32_t kind : kinds) {
        CAPTURE(kind);
        REQUIRE(tk::AddControl(page.record, kind, "", 10, 10, 200, 100, 0, ++id) == 1);
        HWND plain = page.Control(id);
        REQUIRE(tk::AddControl(page.record, kind, "", 10, 150, 200, 100, 0, ++id) == 1);
        HWND changed = page.Control(id);
        const HFONT plainDefault = FontOf(plain);
        const HFONT changedDefault = FontOf(changed);
        REQUIRE(GetObjectType(plainDefault) == OBJ_FONT);
        REQUIRE(GetObjectType(changedDefault) == OBJ_FONT);

        // SetFont replaces the font in use, but the control still owns its default.
        tk::SetFont(page.record, "Arial", 12, 0, 0, id);
        const HFONT made = FontOf(changed);
        CHECK(made != changedDefault);
        CHECK(GetObjectType(changedDefault) == OBJ_FONT);
        tk::SetFont(page.record, "Arial", 14, 0, 0, id);
        CHECK(GetObjectType(made) == 0);  // the toolkit's own font is replaced and freed
        CHECK(GetObjectType(changedDefault) == OBJ_FONT);

        const FontWatch plainSeen = DestroyWatchingFont(plain, plainDefault);
        CHECK(plainSeen.seen);
        CHECK(plainSeen.aliveAfterToolkit);
        const HFONT last = FontOf(changed);
        const FontWatch changedSeen = DestroyWatchingFont(changed, changedDefault);
        CHECK(changedSeen.seen);
        CHECK(changedSeen.aliveAfterToolkit);
        CHECK(GetObjectType(last) == 0);
    }
}

TEST_CASE("a control with bit 0x80000 starts hidden") {
    Page page;
    REQUIRE(tk::AddControl(page.record, tk::kStaticText, "Later", 10, 10, 100, 20, 0x80000, 7) ==
            1);
    HWND control = page.Control(7);
    CHECK_FALSE(IsWindowVisible(control));
    CHECK((GetWindowLongA(control, GWL_STYLE) & 0x80000) == 0);
    tk::ShowControl(page.record, SW_RESTORE, 7);
    CHECK(IsWindowVisible(control));
    tk::ShowControl(page.record, SW_HIDE, 7);
    CHECK_FALSE(IsWindowVisible(control));
    tk::ShowControl(page.record, SW_HIDE, 0);
    CHECK_FALSE(IsWindowVisible(page.record.hwnd));
}

TEST_CASE("a second control with an id in use is refused") {
    Page page;
    REQUIRE(tk::AddControl(page.record, tk::kStaticText, "Heading", 10, 10, 200, 25, 0, 1) == 1);
    HWND first = page.Control(1);
    CHECK(tk::AddControl(page.record, tk::kStaticText, "Hint", 10, 50, 200, 25, 0, 1) == 0);
    CHECK(tk::AddControl(page.record, tk::kPushButton, "Button", 10, 90, 200, 25, 0, 1) == 0);
    int withId = 0;
    for (HWND c = GetWindow(page.record.hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        withId += GetDlgCtrlID(c) == 1;
    }
    CHECK(withId == 1);
    // Later operations on the id reach the first control.
    tk::SetControlColor(page.record, 1, 0x80FFFF, 0);
    tk::SetFont(page.record, "Arial", 12, 0, 0, 1);
    CHECK(page.Control(1) == first);
    CHECK(gui::TextOf(first) == "Heading");
    CHECK(PropColour(first, "FGRND") == 0x80FFFF);
    CHECK(PropColour(first, "BGRND") == 0);
    CHECK(std::string(FontDescription(FontOf(first)).lfFaceName) == "Arial");
}

TEST_CASE("GetButtonState is -1 for a missing control and for controls that are not buttons") {
    Page page;
    tk::AddControl(page.record, tk::kStaticText, "Label", 10, 10, 100, 20, 0, 1);
    tk::AddControl(page.record, tk::kListBox, "", 10, 40, 100, 60, 0, 5);
    tk::AddControl(page.record, tk::kPushButton, "Next >", 10, 120, 70, 25, 0, 301);
    CHECK(tk::GetButtonState(page.record, 99) == -1);
    CHECK(tk::GetButtonState(page.record, 1) == -1);
    CHECK(tk::GetButtonState(page.record, 5) == -1);
    CHECK(tk::GetButtonState(page.record, 301) == 0);
    // Setting the state of a non-button does nothing to it.
    tk::SetButtonState(page.record, 1, 1);
    CHECK(gui::TextOf(page.Control(1)) == "Label");
}

TEST_CASE("check boxes and radio buttons") {
    Page page;
    tk::AddControl(page.record, tk::kCheckBox, " Desktop shortcut", 20, 20, 300, 25, 0, 2);
    tk::AddControl(page.record, tk::kRadioButton, " Setup", 20, 100, 300, 25, 0, 3);
    tk::AddControl(page.record, tk::kRadioButton, " Repair", 20, 140, 300, 25, 0, 4);
    tk::AddControl(page.record, tk::kRadioButton, " Uninstall", 20, 180, 300, 25, 0, 5);

    SUBCASE("states set and read back") {
        for (int state : {1, 0, 1}) {
            tk::SetButtonState(page.record, 2, state);
            CHECK(tk::GetButtonState(page.record, 2) == state);
        }
    }
    SUBCASE("clicking a radio button clears the others of its group") {
        tk::SetButtonState(page.record, 3, 1);
        gui::ClickAt(gui::CentreOf(page.Control(4)));
        REQUIRE(gui::PumpUntil([&] { return tk::GetButtonState(page.record, 4) == 1; }));
        CHECK(tk::GetButtonState(page.record, 3) == 0);
        CHECK(tk::GetButtonState(page.record, 5) == 0);
        gui::ClickAt(gui::CentreOf(page.Control(5)));
        REQUIRE(gui::PumpUntil([&] { return tk::GetButtonState(page.record, 5) == 1; }));
        CHECK(tk::GetButtonState(page.record, 3) == 0);
        CHECK(tk::GetButtonState(page.record, 4) == 0);
    }
    SUBCASE("a click on a check box toggles it") {
        gui::ClickAt(gui::CentreOf(page.Control(2)));
        REQUIRE(gui::PumpUntil([&] { return tk::GetButtonState(page.record, 2) == 1; }));
        gui::ClickAt(gui::CentreOf(page.Control(2)));
        REQUIRE(gui::PumpUntil([&] { return tk::GetButtonState(page.record, 2) == 0; }));
    }
}

TEST_CASE("strings go to list boxes and combo boxes in order") {
    Page page;
    tk::AddControl(page.record, tk::kListBox, "", 10, 10, 300, 100, 0, 5);
    tk::AddControl(page.record, tk::kComboBox, "", 10, 120, 300, 100, 0, 6);
    tk::AddControl(page.record, tk::kStaticText, "Label", 10, 230, 100, 20, 0, 7);
    const char* lines[] = {"ZULU first", "alpha second", "", "Mike \xAE fourth"};
    for (const char* line : lines) {
        tk::AddString(page.record, 5, line);
        tk::AddString(page.record, 6, line);
        tk::AddString(page.record, 7, line);
    }
    REQUIRE(SendMessageA(page.Control(5), LB_GETCOUNT, 0, 0) == 4);
    REQUIRE(SendMessageA(page.Control(6), CB_GETCOUNT, 0, 0) == 4);
    for (int i = 0; i < 4; ++i) {
        char text[64] = {};
        SendMessageA(page.Control(5), LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        CHECK(std::string(text) == lines[i]);
        SendMessageA(page.Control(6), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        CHECK(std::string(text) == lines[i]);
    }
    CHECK(gui::TextOf(page.Control(7)) == "Label");
    tk::AddString(page.record, 99, "nowhere");

    // Filled with its drawing held back, the list is whole and repainted afterwards.
    RedrawWindow(page.record.hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    tk::SetControlRedraw(page.record, 5, 0);
    for (const char* line : lines) tk::AddString(page.record, 5, line);
    RECT update{};
    CHECK_FALSE(GetUpdateRect(page.Control(5), &update, FALSE));
    tk::SetControlRedraw(page.record, 5, 1);
    CHECK(SendMessageA(page.Control(5), LB_GETCOUNT, 0, 0) == 8);
    CHECK(GetUpdateRect(page.Control(5), &update, FALSE));
    tk::SetControlRedraw(page.record, 99, 1);

    // Past its height, a list filled the same way shows its scroll bar, drawn, with the
    // range of every line: the list box redraws its own frame when drawing resumes.
    tk::AddControl(page.record, tk::kListBox, "", 10, 260, 300, 60, WS_VSCROLL, 8);
    gui::PumpFor(100);
    tk::SetControlRedraw(page.record, 8, 0);
    for (int i = 0; i < 30; ++i) tk::AddString(page.record, 8, "line");
    tk::SetControlRedraw(page.record, 8, 1);
    gui::PumpFor(200);
    SCROLLBARINFO bar{};
    bar.cbSize = sizeof bar;
    REQUIRE(GetScrollBarInfo(page.Control(8), OBJID_VSCROLL, &bar));
    CHECK((bar.rgstate[0] & STATE_SYSTEM_INVISIBLE) == 0);
    SCROLLINFO range{};
    range.cbSize = sizeof range;
    range.fMask = SIF_RANGE;
    GetScrollInfo(page.Control(8), SB_VERT, &range);
    CHECK(range.nMax == 29);
    const gui::Pixels drawn = gui::ReadScreen(bar.rcScrollBar);
    CHECK(drawn.CountOther({0, 0, drawn.width, drawn.height}, RGB(255, 255, 255)) >
          drawn.width * drawn.height / 4);
}

TEST_CASE("SetFont makes the font from points at the display's resolution") {
    Page page;
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    REQUIRE(dpi == 96);
    tk::AddControl(page.record, tk::kStaticText, "Label", 10, 10, 200, 25, 0, 1);
    HWND label = page.Control(1);

    SUBCASE("12 points on a control, the setup's way") {
        tk::SetFont(page.record, "Arial", 12, 0, 0, 1);
        const LOGFONTA font = FontDescription(FontOf(label));
        CHECK(font.lfHeight == -16);
        CHECK(font.lfWeight == 0);
        CHECK(font.lfQuality == DRAFT_QUALITY);
        CHECK(font.lfItalic == 0);
        CHECK(font.lfCharSet == 0);
        CHECK(std::string(font.lfFaceName) == "Arial");
    }
    SUBCASE("10 points, weight 550, flags") {
        tk::SetFont(page.record, "Arial", 10, 550, 0x00020031, 1);
        const LOGFONTA font = FontDescription(FontOf(label));
        CHECK(font.lfHeight == -13);
        CHECK(font.lfWeight == 550);
        CHECK(font.lfCharSet == 2);
        CHECK(font.lfItalic == 1);
        CHECK(font.lfUnderline == 1);
        CHECK(font.lfStrikeOut == 1);
    }
    SUBCASE("a face longer than 31 characters is cut") {
        tk::SetFont(page.record, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789", 12, 0, 0, 1);
        CHECK(std::string(FontDescription(FontOf(label)).lfFaceName) ==
              "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234");
    }
    SUBCASE("the control's previous font is deleted") {
        tk::SetFont(page.record, "Arial", 12, 0, 0, 1);
        HFONT first = FontOf(label);
        tk::SetFont(page.record, "Arial", 14, 0, 0, 1);
        CHECK(FontOf(label) != first);
        CHECK(GetObjectType(first) == 0);
    }
    SUBCASE("id 0: the window's drawing font") {
        HFONT before = page.record.font;
        tk::SetFont(page.record, "Arial", 12, 700, 0, 0);
        CHECK(page.record.font != nullptr);
        CHECK(GetObjectType(before) == 0);
        const LOGFONTA font = FontDescription(page.record.font);
        CHECK(font.lfHeight == -16);
        CHECK(font.lfWeight == 700);
        CHECK(std::string(font.lfFaceName) == "Arial");
        CHECK(page.record.drawDc == nullptr);
    }
    SUBCASE("id 0 while drawing is under way") {
        HDC dc = tk::BeginDraw(page.record);
        tk::SetFont(page.record, "Arial", 12, 0, 0, 0);
        CHECK(FontDescription(static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT))).lfHeight == -16);
        tk::EndDraw(page.record, dc, false);
        CHECK(FontDescription(page.record.font).lfHeight == -16);
    }
    SUBCASE("a missing control") {
        tk::SetFont(page.record, "Arial", 12, 0, 0, 42);
        CHECK(FontOf(label) == nullptr);
    }
}

TEST_CASE("a real click on a push button reaches the handler as EV_CONTROL") {
    Page page;
    tk::AddControl(page.record, tk::kPushButton, "Next >", 350, 380, 70, 25, 0, 301);
    tk::SetControlColor(page.record, 301, 0xFFFFFF, 0);
    gui::PumpFor(50);
    gui::ClickAt(gui::CentreOf(page.Control(301)));
    REQUIRE(gui::PumpUntil([] { return !g_controlEvents.empty(); }));
    const tk::EventRecord& e = g_controlEvents.front();
    CHECK(e.EventId == tk::EV_CONTROL);
    CHECK(e.EventControlId == 301);
    CHECK(e.EventNotifyCode == 0);
    CHECK(e.EventWindow == &page.record);
}

TEST_CASE("a push button is drawn by the toolkit in its own colours") {
    constexpr COLORREF kFace = 0x603020;
    constexpr COLORREF kText = kYellow;
    Page page;
    tk::AddControl(page.record, tk::kPushButton, "HHHH", 40, 40, 120, 40, 0, 301);
    tk::AddControl(page.record, tk::kPushButton, "Other", 40, 120, 120, 40, 0, 302);
    tk::SetControlColor(page.record, 301, kText, kFace);
    tk::SetFont(page.record, "Arial", 12, 700, 0, 301);
    HWND button = page.Control(301);
    tk::SetFocus(page.record, 0);
    gui::PumpFor(100);
    const gui::Pixels plain = ReadControl(button);
    const int w = plain.width;
    const int h = plain.height;

    SUBCASE("face in BGRND, text in FGRND, no border without focus") {
        CHECK(CountColour(plain, kFace) > w * h / 2);
        CHECK(CountColour(plain, kText) > 20);
        CHECK(plain.At(w / 2, 0) != 0);
    }
    SUBCASE("the focused button gets a one-pixel border in its text colour") {
        tk::SetFocus(page.record, 301);
        gui::PumpFor(100);
        const gui::Pixels focused = ReadControl(button);
        CHECK(focused.At(w / 2, 0) == kText);
        CHECK(focused.At(0, h / 2) == kText);
        CHECK(focused.At(w - 1, h / 2) == kText);
        CHECK(focused.At(w / 2, h - 1) == kText);
        // The frame moved one pixel in; the face is still BGRND.
        CHECK(focused.At(w / 2, h / 2 + 8) == kFace);
        CHECK(focused.At(w / 2, 1) != 0);
    }
    SUBCASE("pressed, the text moves one pixel right and down") {
        SendMessageA(button, BM_SETSTATE, TRUE, 0);
        gui::PumpFor(100);
        const gui::Pixels pressed = ReadControl(button);
        SendMessageA(button, BM_SETSTATE, FALSE, 0);
        const std::vector<POINT> before = PixelsOf(plain, kText);
        const std::vector<POINT> after = PixelsOf(pressed, kText);
        REQUIRE(before.size() > 20);
        REQUIRE(after.size() == before.size());
        for (size_t i = 0; i < before.size(); ++i) {
            CHECK(after[i].x == before[i].x + 1);
            CHECK(after[i].y == before[i].y + 1);
        }
    }
    SUBCASE("disabled, the text is grey and FGRND is not used") {
        EnableWindow(button, FALSE);
        gui::PumpFor(100);
        const gui::Pixels disabled = ReadControl(button);
        CHECK(CountColour(disabled, kText) == 0);
        // Embossed: shadow-coloured text inside the face, away from the frame's shadow.
        int shadow = 0;
        for (int y = 5; y < h - 5; ++y) {
            for (int x = 5; x < w - 5; ++x)
                shadow += disabled.At(x, y) == GetSysColor(COLOR_3DSHADOW);
        }
        CHECK(shadow > 10);
        CHECK(CountColour(disabled, kFace) > w * h / 2);
    }
    SUBCASE("SetControlColor repaints it in the new colours") {
        tk::SetControlColor(page.record, 301, kRed, kGreen);
        gui::PumpFor(100);
        const gui::Pixels recoloured = ReadControl(button);
        CHECK(CountColour(recoloured, kFace) == 0);
        CHECK(CountColour(recoloured, kText) == 0);
        CHECK(CountColour(recoloured, kGreen) > w * h / 2);
        CHECK(CountColour(recoloured, kRed) > 20);
    }
}

TEST_CASE("a flat push button has a one-pixel frame in the pen with the face inside it") {
    Page page;
    tk::AddControl(page.record, tk::kPushButton, "", 40, 40, 100, 30, BS_FLAT, 301);
    tk::SetControlColor(page.record, 301, kYellow, kBlue);
    tk::SetFocus(page.record, 0);
    gui::PumpFor(100);
    const gui::Pixels p = ReadControl(page.Control(301));
    CHECK(p.At(p.width / 2, 0) == 0);
    CHECK(p.At(0, p.height / 2) == 0);
    CHECK(p.At(p.width / 2, 1) == kBlue);
    CHECK(p.At(1, p.height / 2) == kBlue);
}

TEST_CASE("SetControlColor changes a check box's colours at once") {
    Page page;
    tk::AddControl(page.record, tk::kCheckBox, " Box", 40, 40, 200, 30, 0, 2);
    tk::SetControlColor(page.record, 2, 0xFFFFFF, kBlue);
    gui::PumpFor(100);
    const gui::Pixels first = ReadControl(page.Control(2));
    CHECK(CountColour(first, kBlue) > first.width * first.height / 2);
    CHECK(CountColour(first, 0xFFFFFF) > 0);

    HANDLE firstBrush = GetPropA(page.Control(2), "BBRUSH");
    tk::SetControlColor(page.record, 2, kYellow, kMagenta);
    CHECK(GetObjectType(firstBrush) == 0);
    gui::PumpFor(100);
    const gui::Pixels second = ReadControl(page.Control(2));
    CHECK(CountColour(second, kBlue) == 0);
    CHECK(CountColour(second, kMagenta) > second.width * second.height / 2);
    CHECK(CountColour(second, kYellow) > 0);
}

TEST_CASE("a transparent static shows the window's picture behind its text") {
    Page page;
    tk::FloodFill(page.record, 1, 1, 0);
    tk::DrawRect(page.record, 50, 50, 300, 100, kRed, kRed);
    tk::AddControl(page.record, tk::kStaticText, "", 100, 80, 120, 40, tk::kTransparentStatic, 1);
    tk::AddControl(page.record, tk::kStaticText, "", 100, 200, 120, 40, 0, 2);
    tk::SetControlColor(page.record, 2, 0xFFFFFF, kBlue);
    gui::PumpFor(150);
    const gui::Pixels transparent = ReadControl(page.Control(1));
    CHECK(CountColour(transparent, kRed) == transparent.width * transparent.height);
    const gui::Pixels opaque = ReadControl(page.Control(2));
    CHECK(CountColour(opaque, kBlue) == opaque.width * opaque.height);
}

TEST_CASE("ShowImage draws each kind of image into the window") {
    Page page;
    tk::FloodFill(page.record, 1, 1, 0);
    auto pixels = [&] { return gui::ReadBitmap(page.record.backingBitmap); };

    SUBCASE("bitmap: width by height from its corner, with the raster operation") {
        HBITMAP red = SolidBitmap(10, 10, kRed);
        tk::ShowImage(page.record, red, rt::kImageBitmap, 10, 20, 10, 10, 0);
        tk::ShowImage(page.record, red, rt::kImageBitmap, 40, 20, 5, 10, NOTSRCCOPY);
        tk::ShowImage(page.record, red, rt::kImageBitmap, 60, 20, 0, 10, 0);
        tk::ShowImage(page.record, red, rt::kImageBitmap, 80, 20, 10, 0, 0);
        const gui::Pixels p = pixels();
        CHECK(p.At(10, 20) == kRed);
        CHECK(p.At(19, 29) == kRed);
        CHECK(p.At(20, 29) == 0);
        CHECK(p.At(19, 30) == 0);
        CHECK(p.At(40, 20) == (0xFFFFFF & ~kRed));
        CHECK(p.At(45, 20) == 0);
        CHECK(p.CountOther({55, 15, 100, 40}, 0) == 0);
        DeleteObject(red);
    }
    SUBCASE("icon: natural size, width and height ignored") {
        ICONINFO info{};
        info.fIcon = TRUE;
        info.hbmColor = SolidBitmap(32, 32, kBlue);
        info.hbmMask = CreateBitmap(32, 32, 1, 1, nullptr);  // all 0: opaque
        HICON icon = CreateIconIndirect(&info);
        REQUIRE(icon != nullptr);
        tk::ShowImage(page.record, icon, rt::kImageIcon, 100, 20, 5, 5, 0);
        tk::ShowImage(page.record, icon, rt::kImageCursor, 200, 20, 32, 32, 0);
        const gui::Pixels p = pixels();
        CHECK(p.At(100, 20) == kBlue);
        CHECK(p.At(131, 51) == kBlue);
        CHECK(p.At(132, 30) == 0);
        CHECK(p.CountOther({200, 20, 232, 52}, 0) == 0);  // a cursor draws nothing
        DestroyIcon(icon);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
    SUBCASE("metafile: played into the rectangle") {
        HDC recorder = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
        HBRUSH green = CreateSolidBrush(kGreen);
        const RECT all{0, 0, 100, 100};
        FillRect(recorder, &all, green);
        DeleteObject(green);
        HENHMETAFILE emf = CloseEnhMetaFile(recorder);
        REQUIRE(emf != nullptr);
        tk::ShowImage(page.record, emf, rt::kImageMetafile, 300, 20, 50, 50, 0);
        tk::ShowImage(page.record, nullptr, rt::kImageMetafile, 300, 100, 50, 50, 0);
        const gui::Pixels p = pixels();
        CHECK(p.At(325, 45) == kGreen);
        CHECK(p.At(360, 45) == 0);
        CHECK(p.At(325, 80) == 0);
        DeleteEnhMetaFile(emf);
    }
    SUBCASE("picture object: natural size when width and height are 0") {
        PICTDESC description{};
        description.cbSizeofstruct = sizeof description;
        description.picType = PICTYPE_BITMAP;
        description.bmp.hbitmap = SolidBitmap(20, 30, kYellow);
        IPicture* picture = nullptr;
        REQUIRE(SUCCEEDED(OleCreatePictureIndirect(&description, IID_IPicture, TRUE,
                                                   reinterpret_cast<void**>(&picture))));
        tk::ShowImage(page.record, picture, rt::kImagePicture, 100, 100, 0, 0, 0);
        tk::ShowImage(page.record, picture, rt::kImagePicture, 200, 100, 40, 40, 0);
        const gui::Pixels p = pixels();
        CHECK(p.At(100, 100) == kYellow);
        CHECK(p.At(119, 129) == kYellow);
        CHECK(p.At(121, 115) == 0);
        CHECK(p.At(110, 131) == 0);
        CHECK(p.At(238, 138) == kYellow);
        CHECK(p.At(241, 120) == 0);
        picture->Release();
    }
    SUBCASE("what was drawn reaches the screen") {
        HBITMAP red = SolidBitmap(30, 30, kRed);
        tk::ShowImage(page.record, red, rt::kImageBitmap, 60, 60, 30, 30, 0);
        gui::PumpFor(50);
        const gui::Pixels screen = gui::ReadClientOnScreen(page.record.hwnd);
        CHECK(screen.At(75, 75) == kRed);
        CHECK(screen.At(95, 75) == 0);
        DeleteObject(red);
    }
}

namespace {

// A 2 x 2 bitmap file of one colour; the path contains a drive colon.
std::string WriteBitmapFile(const char* name, COLORREF colour) {
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + name;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    const uint32_t pixel = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    const uint32_t pixels[4] = {pixel, pixel, pixel, pixel};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + sizeof pixels;
    info.biSize = sizeof info;
    info.biWidth = 2;
    info.biHeight = 2;
    info.biPlanes = 1;
    info.biBitCount = 32;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(h, &file, sizeof file, &written, nullptr);
    WriteFile(h, &info, sizeof info, &written, nullptr);
    WriteFile(h, pixels, sizeof pixels, &written, nullptr);
    CloseHandle(h);
    return path;
}

}  // namespace

TEST_CASE("the text of an SS_BITMAP static or BS_BITMAP button names its bitmap") {
    const std::string path = WriteBitmapFile("tk_controls_dot.bmp", kMagenta);
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    SetCurrentDirectoryA(folder);  // the file is also there under its bare name
    Page page;
    tk::AddControl(page.record, tk::kStaticText, "", 10, 10, 20, 20, SS_BITMAP, 1);
    HWND image = page.Control(1);

    struct Case {
        std::string text;
        bool loaded;
        COLORREF colour;
    };
    const Case cases[] = {
        {path, true, kMagenta},             // contains ":": a file
        {"77", true, kRed},                 // a number above 0: a resource number
        {"76.6", true, kRed},               // to the nearest whole number
        {"greendot", true, kGreen},         // otherwise a resource name
        {"dot.bmp", true, kBlue},           // a dot does not make it a file name
        {"tk_controls_dot.bmp", false, 0},  // ... so a file without a drive is not found
        {"0", false, 0},
        {"70000", false, 0},  // no resource number; never a name pointer
        {"", false, 0},
    };
    for (const Case& c : cases) {
        CAPTURE(c.text);
        SetWindowTextA(image, c.text.c_str());
        HBITMAP bitmap = StaticImage(image);
        CHECK((bitmap != nullptr) == c.loaded);
        if (bitmap && c.loaded) CHECK(FirstPixel(bitmap) == c.colour);
    }

    SUBCASE("the replaced image is deleted") {
        SetWindowTextA(image, "77");
        HBITMAP first = StaticImage(image);
        SetWindowTextA(image, "greendot");
        CHECK(GetObjectType(first) == 0);
        CHECK(StaticImage(image) != nullptr);
    }
    SUBCASE("a push button with BS_BITMAP") {
        tk::AddControl(page.record, tk::kPushButton, "", 60, 10, 40, 40, BS_BITMAP, 301);
        HWND button = page.Control(301);
        SetWindowTextA(button, path.c_str());
        auto bitmap = reinterpret_cast<HBITMAP>(SendMessageA(button, BM_GETIMAGE, IMAGE_BITMAP, 0));
        REQUIRE(bitmap != nullptr);
        CHECK(FirstPixel(bitmap) == kMagenta);
    }
    SUBCASE("a static without SS_BITMAP keeps its text") {
        tk::AddControl(page.record, tk::kStaticText, "", 60, 60, 100, 20, 0, 2);
        SetWindowTextA(page.Control(2), "77");
        CHECK(gui::TextOf(page.Control(2)) == "77");
        CHECK(StaticImage(page.Control(2)) == nullptr);
    }
    DeleteFileA(path.c_str());
}

TEST_CASE("a closed page leaves none of the GDI objects the toolkit made for it") {
    const std::string path = WriteBitmapFile("tk_controls_leak.bmp", kMagenta);
    HBITMAP shown = SolidBitmap(24, 24, kRed);
    std::vector<HGDIOBJ> made;
    {
        Page page;
        tk::Window& w = page.record;
        tk::FloodFill(w, 1, 1, 0);
        tk::ShowImage(w, shown, rt::kImageBitmap, 43, 286, 24, 24, 0);
        tk::SetFont(w, "Arial", 12, 0, 0, 0);
        tk::AddControl(w, tk::kStaticText, " Please select one option below:", 78, 170, 350, 25, 0,
                       1);
        tk::AddControl(w, tk::kStaticText, " Hint", 78, 140, 350, 25, 0, 1);  // refused
        tk::AddControl(w, tk::kCheckBox, " Desktop shortcut", 80, 200, 300, 25, 0, 2);
        tk::AddControl(w, tk::kRadioButton, " Setup", 80, 240, 300, 25, 0, 3);
        tk::AddControl(w, tk::kRadioButton, " Repair", 80, 280, 300, 25, 0, 4);
        tk::AddControl(w, tk::kListBox, "", 80, 20, 300, 100, 0, 5);
        tk::AddControl(w, tk::kStaticText, "", 20, 20, 40, 40, SS_BITMAP | tk::kTransparentStatic,
                       6);
        tk::AddControl(w, tk::kPushButton, "", 20, 320, 40, 40, BS_BITMAP, 7);
        tk::AddControl(w, tk::kPushButton, "Next >", 350, 380, 70, 25, 0, 301);
        tk::AddControl(w, tk::kPushButton, "Exit", 20, 380, 70, 25, 0, 302);
        tk::AddString(w, 5, "line");
        SetWindowTextA(page.Control(6), path.c_str());
        SetWindowTextA(page.Control(7), path.c_str());
        const int ids[] = {1, 2, 3, 4, 5, 6, 7, 301, 302};
        std::vector<HGDIOBJ> replaced;
        for (int id : ids) {
            tk::SetControlColor(w, id, 0xFFFFFF, 0);
            replaced.push_back(GetPropA(page.Control(id), "BBRUSH"));
            tk::SetControlColor(w, id, 0x80FFFF, 0);
            tk::SetFont(w, "Arial", 12, 0, 0, id);
            if (HFONT font = FontOf(page.Control(id))) replaced.push_back(font);
            tk::SetFont(w, "Arial", 12, 550, 0, id);
        }
        tk::SetButtonState(w, 3, 1);
        gui::PumpFor(100);
        for (int id : ids) {
            HWND c = page.Control(id);
            made.push_back(GetPropA(c, "BBRUSH"));
            // A bitmap static keeps no font.
            if (id != 6) made.push_back(FontOf(c));
        }
        made.push_back(StaticImage(page.Control(6)));
        made.push_back(
            reinterpret_cast<HGDIOBJ>(SendMessageA(page.Control(7), BM_GETIMAGE, IMAGE_BITMAP, 0)));
        made.push_back(w.backingBitmap);
        made.push_back(w.pen);
        made.push_back(w.font);
        for (HGDIOBJ object : made) REQUIRE(object != nullptr);
        for (HGDIOBJ object : made) CHECK(GetObjectType(object) != 0);
        // The replaced brushes and fonts are gone already.
        CHECK(replaced.size() == 2 * std::size(ids) - 1);
        for (HGDIOBJ object : replaced) CHECK(GetObjectType(object) == 0);
    }
    for (size_t i = 0; i < made.size(); ++i) {
        CAPTURE(i);
        CHECK(GetObjectType(made[i]) == 0);
    }
    CHECK(GetObjectType(shown) == OBJ_BITMAP);  // the caller's image stays the caller's
    DeleteObject(shown);
    DeleteFileA(path.c_str());
}

namespace {

// The OLE callback the toolkit hands a rich edit, inspected while the message returns
// and the toolkit still holds its own reference.
struct OleCallbackWatch {
    int messages = 0;
    LRESULT result = 0;
    HRESULT query = E_FAIL;
    ULONG references = 0;  // the toolkit's, the control's and the query's
    bool storage = false;  // GetNewStorage gave a storage
} g_oleWatch;

constexpr IID kIidRichEditOleCallback = {0x00020D03, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

LRESULT CALLBACK WatchOleCallback(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == EM_SETOLECALLBACK) {
        ++g_oleWatch.messages;
        g_oleWatch.result = call->lResult;
        if (auto* unknown = reinterpret_cast<IUnknown*>(call->lParam)) {
            IRichEditOleCallback* callback = nullptr;
            g_oleWatch.query = unknown->QueryInterface(kIidRichEditOleCallback,
                                                       reinterpret_cast<void**>(&callback));
            if (callback) {
                g_oleWatch.references = callback->AddRef() - 1;
                callback->Release();
                IStorage* storage = nullptr;
                g_oleWatch.storage = SUCCEEDED(callback->GetNewStorage(&storage)) && storage;
                if (storage) storage->Release();
                callback->Release();
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

TEST_CASE("a rich edit is given an OLE callback object and works") {
    Page page;
    g_oleWatch = OleCallbackWatch{};
    HHOOK hook =
        SetWindowsHookExA(WH_CALLWNDPROCRET, WatchOleCallback, nullptr, GetCurrentThreadId());
    REQUIRE(hook != nullptr);
    const int32_t added =
        tk::AddControl(page.record, tk::kRichEdit, "Rich text", 10, 10, 300, 100, WS_BORDER, 10);
    UnhookWindowsHookEx(hook);
    REQUIRE(added == 1);
    CHECK(g_oleWatch.messages == 1);
    CHECK(g_oleWatch.result != 0);  // the control took it
    CHECK(g_oleWatch.query == S_OK);
    CHECK(g_oleWatch.references == 3);
    CHECK(g_oleWatch.storage);

    HWND rich = page.Control(10);
    CHECK(gui::TextOf(rich) == "Rich text");
    SendMessageA(rich, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Changed"));
    CHECK(gui::TextOf(rich) == "Changed");
    // A second rich edit after the library is loaded.
    CHECK(tk::AddControl(page.record, tk::kRichEdit, "", 10, 120, 300, 100, 0, 11) == 1);
}

TEST_CASE("colour requests are answered from the control's properties") {
    struct Case {
        int32_t kind;
        uint32_t style;
        UINT message;  // WM_CTLCOLOR as reflected by the window, or a combo box's own parts
        bool transparent;
    };
    const Case cases[] = {
        {tk::kCheckBox, 0, tk::WM_CTLCOLOR, false},
        {tk::kPushButton, 0, tk::WM_CTLCOLOR, false},
        {tk::kStaticText, 0, tk::WM_CTLCOLOR, false},
        {tk::kStaticText, tk::kTransparentStatic, tk::WM_CTLCOLOR, true},
        {tk::kListBox, 0, tk::WM_CTLCOLOR, false},
        {tk::kComboBox, CBS_DROPDOWN, WM_CTLCOLOREDIT, false},
        {tk::kComboBox, 0, WM_CTLCOLORLISTBOX, false},
        {tk::kHotButton, 0, tk::WM_CTLCOLOR, false},
    };
    Page page;
    HDC dc = CreateCompatibleDC(nullptr);
    int id = 30;
    for (const Case& c : cases) {
        CAPTURE(c.kind);
        CAPTURE(c.message);
        ++id;
        tk::AddControl(page.record, c.kind, "", 10, 10, 100, 60, c.style, id);
        tk::SetControlColor(page.record, id, kYellow, kMagenta);
        HWND control = page.Control(id);
        SetTextColor(dc, 0);
        SetBkColor(dc, 0);
        SetBkMode(dc, OPAQUE);
        const LRESULT brush = SendMessageA(control, c.message, reinterpret_cast<WPARAM>(dc),
                                           reinterpret_cast<LPARAM>(control));
        CHECK(GetTextColor(dc) == kYellow);
        if (c.transparent) {
            CHECK(brush == reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
            CHECK(GetBkMode(dc) == TRANSPARENT);
        } else {
            CHECK(brush == reinterpret_cast<LRESULT>(GetPropA(control, "BBRUSH")));
            CHECK(GetBkColor(dc) == kMagenta);
        }
    }
    DeleteDC(dc);
}

TEST_CASE("Tab and Enter are reported to the window when the control asks for it") {
    Page page;
    tk::AddControl(page.record, tk::kEditBox, "", 10, 10, 200, 60, ES_MULTILINE | ES_WANTRETURN, 4);
    HWND edit = page.Control(4);
    auto keyEvents = [] {
        std::vector<tk::EventRecord> keys;  // the edit box's own notifications left out
        for (const tk::EventRecord& e : g_controlEvents) {
            if (e.EventNotifyCode == 0x0A00 || e.EventNotifyCode == 0x0A01) keys.push_back(e);
        }
        return keys;
    };
    SendMessageA(edit, WM_CHAR, VK_TAB, 0);
    SendMessageA(edit, WM_CHAR, VK_RETURN, 0);
    CHECK(keyEvents().empty());
    const int typed = GetWindowTextLengthA(edit);
    CHECK(typed > 0);  // without the properties the keys reach the edit box

    SetPropA(edit, "NOTIFY_TAB", reinterpret_cast<HANDLE>(1));
    SetPropA(edit, "NOTIFY_ENTER", reinterpret_cast<HANDLE>(1));
    CHECK(SendMessageA(edit, WM_CHAR, VK_TAB, 0) == 1);
    CHECK(SendMessageA(edit, WM_CHAR, VK_RETURN, 0) == 1);
    CHECK(GetWindowTextLengthA(edit) == typed);
    const std::vector<tk::EventRecord> keys = keyEvents();
    REQUIRE(keys.size() == 2);
    CHECK(keys[0].EventControlId == 4);
    CHECK(keys[0].EventNotifyCode == 0x0A01);
    CHECK(keys[1].EventControlId == 4);
    CHECK(keys[1].EventNotifyCode == 0x0A00);
}

TEST_CASE("the hot-tracking button shows its hot face while the mouse is over it") {
    Page page;
    tk::AddControl(page.record, tk::kHotButton, "", 40, 40, 60, 40, 0, 20);
    tk::AddControl(page.record, tk::kStaticText, "", 200, 200, 60, 40, 0, 21);
    HWND button = page.Control(20);
    tk::SetControlColor(page.record, 20, kYellow, kBlue);
    SetPropA(button, "HTCLR", reinterpret_cast<HANDLE>(static_cast<uintptr_t>(kGreen)));
    SetPropA(button, "DOHOT", reinterpret_cast<HANDLE>(1));
    SetPropA(button, "NORBMP", SolidBitmap(10, 10, kRed));
    tk::SetFocus(page.record, 0);
    gui::PumpFor(100);
    const gui::Pixels normal = ReadControl(button);
    CHECK(normal.At(5, 5) == kBlue);
    CHECK(normal.At(30, 20) == kRed);  // the normal bitmap, centred

    // Real pointer moves. The first move can reach the button while the platform still
    // places the pointer elsewhere, which drops the button's first request for a leave.
    POINT over = gui::CentreOf(button);
    over.x += 20;
    CHECK(gui::MovePointerTo(over));
    gui::PumpFor(150);
    const gui::Pixels hot = ReadControl(button);
    CHECK(hot.At(5, 5) == kGreen);
    CHECK(hot.At(0, 20) == kYellow);  // a one-pixel border in the text colour
    CHECK(hot.At(30, 20) == kRed);

    CHECK(gui::MovePointerTo(gui::CentreOf(page.Control(21))));
    // The platform reports the mouse leaving from a timer of its own.
    CHECK(gui::PumpUntil([&] { return ReadControl(button).At(5, 5) == kBlue; }));
}

TEST_CASE("a status bar added to an MDI frame makes room below the MDI client") {
    tk::Window frame{};
    REQUIRE(tk::OpenWindow(frame, 20, 20, 500, 400, 0x20 | 0x40, nullptr, " Frame",
                           RecordControlEvents) == 1);
    REQUIRE(frame.mdiClient != nullptr);
    REQUIRE(tk::AddControl(frame, tk::kStatusBar, "Ready", 0, 0, 0, 0, 0, 12) == 1);
    RECT client{};
    GetClientRect(frame.hwnd, &client);
    RECT bar{};
    GetWindowRect(GetDlgItem(frame.hwnd, 12), &bar);
    RECT mdi{};
    GetWindowRect(frame.mdiClient, &mdi);
    MapWindowPoints(nullptr, frame.hwnd, reinterpret_cast<POINT*>(&mdi), 2);
    CHECK(bar.bottom - bar.top > 0);
    CHECK(mdi.top == 0);
    CHECK(mdi.bottom == client.bottom - (bar.bottom - bar.top));
    tk::CloseWindow(frame);
}

TEST_CASE("SetWindowIcon shows the icon in the caption of a window already on the screen") {
    tk::Window w{};
    REQUIRE(tk::OpenWindow(w, 100, 100, 300, 200, 0x70000, nullptr, "icon", RecordControlEvents));
    gui::PumpFor(300);
    // A solid red icon: 16 x 16, colour bits red, mask all opaque.
    std::vector<uint32_t> red(16 * 16, 0x00FF0000);
    std::vector<uint8_t> opaque(16 * 16 / 8, 0);
    HICON icon = CreateIcon(GetModuleHandleA(nullptr), 16, 16, 1, 32, opaque.data(),
                            reinterpret_cast<const BYTE*>(red.data()));
    REQUIRE(icon != nullptr);
    tk::SetWindowIcon(w, icon);
    gui::PumpFor(300);
    // The caption band left of the title, where the small icon sits.
    RECT window{};
    GetWindowRect(w.hwnd, &window);
    POINT client{0, 0};
    ClientToScreen(w.hwnd, &client);
    const RECT band{window.left, window.top, window.left + 40, client.y};
    const gui::Pixels caption = gui::ReadScreen(band);
    CHECK(caption.CountOther({0, 0, caption.width, caption.height}, RGB(255, 0, 0)) <
          caption.width * caption.height);
    tk::CloseWindow(w);
    DestroyIcon(icon);
}

// A page opened at 96 DPI that the platform tells it now lies on a display of another
// DPI, as it does when the window is moved to another monitor: what was on it is laid out
// again, and what is added afterwards is laid out for the new DPI from the 96-DPI figures.
TEST_CASE("a window moved to a display of another DPI lays itself out again") {
    struct Row {
        UINT dpi;
        RECT label;     // the 96-DPI label at 10, 10, 200 x 25, in client coordinates
        LONG fontHeight;  // of 12 points
        RECT added;     // a button added afterwards at 20, 40, 100 x 30
        int ring;       // width of a focused push button's ring
    };
    const Row rows[] = {
        {144, {15, 15, 315, 53}, -24, {30, 60, 180, 105}, 2},
        {192, {20, 20, 420, 70}, -32, {40, 80, 240, 140}, 2},
    };
    for (const Row& row : rows) {
        CAPTURE(row.dpi);
        Page page;
        tk::AddControl(page.record, tk::kStaticText, "Label", 10, 10, 200, 25, 0, 1);
        tk::SetFont(page.record, "Arial", 12, 0, 0, 1);
        const RECT suggested{30, 20, 30 + MulDiv(450, row.dpi, 96), 20 + MulDiv(450, row.dpi, 96)};
        SendMessageA(page.record.hwnd, WM_DPICHANGED, MAKEWPARAM(row.dpi, row.dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        CHECK(page.record.dpi == row.dpi);
        RECT window{};
        GetWindowRect(page.record.hwnd, &window);
        CHECK(window.left == suggested.left);
        CHECK(window.right == suggested.right);
        CHECK(window.bottom == suggested.bottom);

        auto clientRect = [&](HWND control) {
            RECT r{};
            GetWindowRect(control, &r);
            MapWindowPoints(nullptr, page.record.hwnd, reinterpret_cast<POINT*>(&r), 2);
            return r;
        };
        auto corners = [](const RECT& r) {
            return std::vector<LONG>{r.left, r.top, r.right, r.bottom};
        };
        CHECK(corners(clientRect(page.Control(1))) == corners(row.label));
        CHECK(FontDescription(FontOf(page.Control(1))).lfHeight == row.fontHeight);

        tk::AddControl(page.record, tk::kPushButton, "Next >", 20, 40, 100, 30, 0, 301);
        tk::SetFont(page.record, "Arial", 12, 0, 0, 301);
        CHECK(corners(clientRect(page.Control(301))) == corners(row.added));
        CHECK(FontDescription(FontOf(page.Control(301))).lfHeight == row.fontHeight);

        // The ring's colour is the button's business; its width follows the scale.
        tk::SetFocus(page.record, 301);
        gui::PumpFor(100);
        const gui::Pixels focused = ReadControl(page.Control(301));
        const int mid = focused.width / 2;
        for (int y = 1; y < row.ring; ++y) CHECK(focused.At(mid, y) == focused.At(mid, 0));
        CHECK(focused.At(mid, row.ring) != focused.At(mid, 0));
    }
}
