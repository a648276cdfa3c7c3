// The drawing surface: backing bitmap, drawing operations, text output and repainting,
// on real windows of the virtual display.
#include <doctest/doctest.h>

#include <cstring>
#include <string>

#include "gui_support.h"
#include "runtime/win.h"
#include "toolkit/controls.h"
#include "toolkit/drawing.h"
#include "toolkit/window.h"

using namespace tk;

namespace {

constexpr uint32_t kPageFlags = 0x70000;  // sizing border, minimise and maximise boxes
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kGreen = 0x00FF00;
constexpr COLORREF kBlue = 0xFF0000;
constexpr COLORREF kGrey = 0x808080;

int g_paintEvents = 0;
int g_eraseEvents = 0;

int32_t CountingHandler() {
    if (g_event.EventId == WM_PAINT) ++g_paintEvents;
    if (g_event.EventId == EV_ERASE) ++g_eraseEvents;
    return 0;
}

// A page window at a fixed place, closed when the test ends.
struct Page {
    Window record{};
    Page(int x, int y, int w, int h, uint32_t flags = kPageFlags) {
        g_paintEvents = g_eraseEvents = 0;
        REQUIRE(OpenWindow(record, x, y, w, h, flags, nullptr, "drawing", CountingHandler) == 1);
        gui::PumpFor(150);
    }
    ~Page() {
        CloseWindow(record);
        // PrintText remembers the window it printed to; this record is about to go.
        const PrintItem none[] = {{9, static_cast<Window*>(nullptr)}};
        PrintText(1, none);
    }
};

// Width of a text in the record's drawing font.
int TextWidth(const Window& record, const char* text) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, record.font);
    SIZE size{};
    GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &size);
    SelectObject(dc, old);
    DeleteDC(dc);
    return size.cx;
}

RECT Box(int left, int top, int right, int bottom) { return RECT{left, top, right, bottom}; }

}  // namespace

TEST_CASE("PrintText without a print window writes to the standard output handle") {
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    REQUIRE(CreatePipe(&readEnd, &writeEnd, nullptr, 1 << 16));
    HANDLE saved = GetStdHandle(STD_OUTPUT_HANDLE);
    SetStdHandle(STD_OUTPUT_HANDLE, writeEnd);

    const PrintItem none[] = {{9, static_cast<Window*>(nullptr)}, {2, 42}, {0, "\r\n"}};
    PrintText(3, none);
    // Longer output is cut at the buffer's end, never written past it.
    std::string longText(3000, 'x');
    const PrintItem many[] = {{0, longText.c_str()}, {2, 7}};
    PrintText(2, many);

    SetStdHandle(STD_OUTPUT_HANDLE, saved);
    CloseHandle(writeEnd);
    std::string got;
    char chunk[4096];
    DWORD n = 0;
    while (ReadFile(readEnd, chunk, sizeof chunk, &n, nullptr) && n) got.append(chunk, n);
    CloseHandle(readEnd);
    CHECK(got == "42 \r\n" + std::string(kPrintTextMax, 'x'));
}

TEST_CASE("PrintText formats each type code") {
    struct Case {
        PrintItem item;
        const char* expected;
    };
    const Case cases[] = {
        {{0, "text"}, "text"},
        {{0, static_cast<const char*>(nullptr)}, ""},
        {{32, L"w\u00AE"}, "w\xAE"},
        {{1, 'A'}, "A"},
        {{31, 0x1AE}, "\xAE"},  // a byte: the low 8 bits
        {{2, -5}, "-5 "},
        {{2, 0}, "0 "},
        {{19, 4000000000u}, "4000000000 "},
        {{19, -1}, "4294967295 "},
        {{13, 70000}, "4464 "},  // unsigned 16-bit: 70000 & 0xFFFF
        {{30, 65535}, "-1 "},
        {{14, 3.14159}, " 3.14"},
        {{14, -2.5}, "-2.50"},
        {{14, 0.005}, " 0.01"},
        {{3, 1.25f}, " 1.25"},
        {{17, INT64_MIN}, "-9223372036854775808 "},
        {{17, int64_t{1} << 40}, "1099511627776 "},
        {{18, UINT64_MAX}, "18446744073709551615 "},
        {{77, 12}, "12 "},  // codes not listed: unsigned 32-bit
        {{0x10002, 8}, "8 "},  // only the low 16 bits of a type word count
        {{2, 3.7}, "3 "},      // a code reads the value the way it expects
        {{14, 5}, " 5.00"},
        {{17, 1e30}, "9223372036854775807 "},
        {{0, 5}, ""},          // a number where a text belongs prints nothing
    };
    for (const Case& c : cases) {
        char buffer[64];
        CAPTURE(c.expected);
        FormatPrintItems(1, &c.item, buffer, sizeof buffer);
        CHECK(std::string(buffer) == c.expected);
    }
    SUBCASE("a record first selects the window; elsewhere it is a number") {
        Window record{};
        const PrintItem items[] = {{9, &record}, {2, 1}, {9, &record}};
        char buffer[64];
        FormatPrintItems(3, items, buffer, sizeof buffer);
        const auto low = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&record));
        CHECK(std::string(buffer) == "1 " + std::to_string(low) + " ");
    }
    SUBCASE("output is cut at the buffer") {
        const PrintItem items[] = {{2, 12345}, {0, "abc"}};
        char buffer[5];
        CHECK(FormatPrintItems(2, items, buffer, sizeof buffer) == 4);
        CHECK(std::string(buffer) == "1234");
        char wide[4];
        const PrintItem w[] = {{32, L"abcdef"}};
        CHECK(FormatPrintItems(1, w, wide, sizeof wide) == 3);
        CHECK(std::string(wide) == "abc");
    }
}

TEST_CASE("a page flood-filled black is black in the whole backing bitmap") {
    Page page(250, 200, 450, 450);
    Window& w = page.record;
    REQUIRE(w.backingBitmap != nullptr);
    CHECK(w.backingMode == kBackingPresent);
    const gui::Pixels before = gui::ReadBitmap(w.backingBitmap);
    CHECK(before.width == GetSystemMetrics(SM_CXSCREEN));
    CHECK(before.height == GetSystemMetrics(SM_CYSCREEN));
    CHECK(before.CountOther(Box(0, 0, before.width, before.height), GetSysColor(COLOR_WINDOW)) == 0);

    FloodFill(w, 1, 1, 0);
    const gui::Pixels after = gui::ReadBitmap(w.backingBitmap);
    CHECK(after.CountOther(Box(0, 0, after.width, after.height), 0) == 0);
    // The visible part follows at once.
    gui::PumpFor(100);
    const gui::Pixels screen = gui::ReadClientOnScreen(w.hwnd);
    CHECK(screen.CountOther(Box(0, 0, screen.width, screen.height), 0) == 0);
    CHECK(g_paintEvents == 0);
}

TEST_CASE("FloodFill stops at what was drawn, also after fills of the whole page") {
    // The first fills of a fresh page reach every pixel; once something else is drawn,
    // a fill must stop at it again.
    Page page(100, 100, 300, 200, 0x40);
    Window& w = page.record;
    const RECT all = Box(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    const struct {
        const char* step;
        COLORREF fill;
        bool outline;  // a hollow red square at 40, 40 drawn before the fill
        bool wholePage;  // the fill covers every pixel
    } steps[] = {
        {"fresh page", kGrey, false, true},
        {"second fill of the whole page", kGreen, false, true},
        {"fill around a square", kBlue, true, false},
        {"fill inside the square", kWhite, false, false},
    };
    for (const auto& step : steps) {
        CAPTURE(step.step);
        if (step.outline) DrawRect(w, 40, 40, 20, 20, kRed, -1);
        const int32_t x = step.fill == kWhite ? 50 : 1;
        FloodFill(w, x, x, step.fill);
        const gui::Pixels p = gui::ReadBitmap(w.backingBitmap);
        if (step.wholePage) CHECK(p.CountOther(all, step.fill) == 0);
        CHECK(p.At(x, x) == step.fill);
    }
    const gui::Pixels p = gui::ReadBitmap(w.backingBitmap);
    CHECK(p.At(40, 40) == kRed);    // the outline stopped both fills
    CHECK(p.At(1, 1) == kBlue);     // the inside fill stayed inside
    CHECK(p.At(50, 50) == kWhite);
}

TEST_CASE("DrawRect: filled, hollow and in the text colour") {
    Page page(100, 100, 300, 200, 0x40);
    Window& w = page.record;
    DrawRect(w, 10, 10, 20, 20, kRed, kGreen);   // filled
    DrawRect(w, 50, 10, 20, 20, kBlue, -1);      // hollow, outline in the pen colour
    SetPenColor(w, kGreen);                      // text colour green
    DrawRect(w, 90, 10, 20, 20, -1, kRed);       // outline in the text colour, never filled
    DrawRect(w, 130, 10, 20, 20, 0, 0);          // filled black

    const gui::Pixels p = gui::ReadBitmap(w.backingBitmap);
    // Rectangle() covers x .. x + width - 1: the right and bottom ends are exclusive.
    CHECK(p.At(10, 10) == kRed);
    CHECK(p.At(29, 29) == kRed);
    CHECK(p.At(30, 30) == kWhite);
    CHECK(p.CountOther(Box(11, 11, 29, 29), kGreen) == 0);
    CHECK(p.At(50, 20) == kBlue);
    CHECK(p.At(69, 20) == kBlue);
    CHECK(p.CountOther(Box(51, 11, 69, 29), kWhite) == 0);
    CHECK(p.At(90, 15) == kGreen);
    CHECK(p.At(100, 10) == kGreen);
    CHECK(p.CountOther(Box(91, 11, 109, 29), kWhite) == 0);
    CHECK(p.CountOther(Box(130, 10, 150, 30), 0) == 0);

    gui::PumpFor(100);
    const gui::Pixels screen = gui::ReadClientOnScreen(w.hwnd);
    CHECK(screen.At(20, 20) == kGreen);
    CHECK(screen.At(60, 20) == kWhite);
    CHECK(screen.At(90, 20) == kGreen);
    CHECK(screen.At(140, 20) == 0);
}

TEST_CASE("PrintText of the registered mark and CR LF") {
    Page page(120, 120, 300, 200, 0x40);
    Window& w = page.record;
    FloodFill(w, 1, 1, kGrey);
    MoveTo(w, 20, 85);
    SetPenColor(w, kWhite);
    SetTextBackColor(w, 0);
    const PrintItem mark[] = {{9, &w}, {0, "\xAE"}, {0, "\r\n"}};
    PrintText(3, mark);

    const int width = TextWidth(w, "\xAE");
    REQUIRE(width > 0);
    CHECK(w.posX == 20 + width);
    CHECK(w.posY == 85);
    const gui::Pixels p = gui::ReadBitmap(w.backingBitmap);
    const RECT glyph = Box(20, 85, 20 + width, 95);
    // White strokes on an opaque black background: no grey is left in the cell.
    CHECK(p.CountOther(glyph, kGrey) == width * 10);
    CHECK(p.CountOther(glyph, 0) > 0);
    CHECK(p.CountOther(glyph, kWhite) > 0);
    // Nothing after the mark: no boxes for the carriage return or line feed.
    CHECK(p.CountOther(Box(20 + width, 80, 200, 120), kGrey) == 0);

    SUBCASE("a lone carriage return is drawn as a character") {
        const int before = w.posX;
        const PrintItem cr[] = {{9, &w}, {0, "\xAE\r"}};
        PrintText(2, cr);
        CHECK(w.posX == before + TextWidth(w, "\xAE\r"));
    }
    SUBCASE("a later call prints to the same window; numbers move the position on") {
        const int before = w.posX;
        const PrintItem number[] = {{2, 12}};
        PrintText(1, number);
        CHECK(w.posX == before + TextWidth(w, "12 "));
    }
    SUBCASE("only a line feed: nothing drawn, the position stays") {
        const int before = w.posX;
        const PrintItem lf[] = {{0, "\r\n"}};
        PrintText(1, lf);
        CHECK(w.posX == before);
    }
}

namespace {

LRESULT CALLBACK CoverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND OpenCover(const RECT& r) {
    static ATOM atom = 0;
    if (!atom) {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = CoverProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = CreateSolidBrush(kRed);
        wc.lpszClassName = "TkcoreCover";
        atom = RegisterClassExA(&wc);
    }
    return CreateWindowExA(WS_EX_TOPMOST, "TkcoreCover", "", WS_POPUP | WS_VISIBLE, r.left, r.top,
                           r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

}  // namespace

TEST_CASE("covering and uncovering repaints from the backing bitmap, without the page") {
    Page page(200, 150, 400, 300, 0x40);
    Window& w = page.record;
    FloodFill(w, 1, 1, kGrey);
    DrawRect(w, 40, 40, 100, 60, kBlue, kGreen);
    gui::PumpFor(100);
    const int paintsBefore = g_paintEvents;

    RECT client{};
    GetClientRect(w.hwnd, &client);
    MapWindowPoints(w.hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    HWND cover = OpenCover(RECT{client.left + 20, client.top + 20, client.left + 250, client.top + 200});
    REQUIRE(cover != nullptr);
    gui::PumpFor(200);
    const gui::Pixels covered = gui::ReadClientOnScreen(w.hwnd);
    REQUIRE(covered.At(60, 60) == kRed);  // the cover really lies over the page

    SetWindowPos(cover, nullptr, 700, 600, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    gui::PumpFor(300);
    const gui::Pixels shown = gui::ReadClientOnScreen(w.hwnd);
    const gui::Pixels backing = gui::ReadBitmap(w.backingBitmap);
    int differing = 0;
    for (int y = 0; y < shown.height; ++y) {
        for (int x = 0; x < shown.width; ++x) differing += shown.At(x, y) != backing.At(x, y);
    }
    CHECK(differing == 0);
    CHECK(shown.At(60, 60) == kGreen);
    CHECK(g_paintEvents == paintsBefore);  // the handler never drew
    DestroyWindow(cover);
}

namespace {

WNDPROC g_toolkitProc = nullptr;
int g_paints = 0;

LRESULT CALLBACK CountPaints(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) ++g_paints;
    return CallWindowProcA(g_toolkitProc, hwnd, message, wParam, lParam);
}

}  // namespace

TEST_CASE("a client-size backing bitmap is stretched to the client area") {
    Page page(50, 50, 200, 100, 0x40 | 0x100);
    Window& w = page.record;
    CHECK(w.backingMode == (kBackingPresent | kBackingClientSized));
    const gui::Pixels initial = gui::ReadBitmap(w.backingBitmap);
    CHECK(initial.width == 200);
    CHECK(initial.height == 100);
    DrawRect(w, 0, 0, 100, 100, kRed, kRed);  // the left half

    SetWindowPos(w.hwnd, nullptr, 0, 0, 400, 200, SWP_NOMOVE | SWP_NOZORDER);
    gui::PumpFor(200);
    const gui::Pixels screen = gui::ReadClientOnScreen(w.hwnd);
    REQUIRE(screen.width == 400);
    CHECK(screen.At(50, 100) == kRed);
    CHECK(screen.At(190, 100) == kRed);
    CHECK(screen.At(210, 100) == kWhite);
    CHECK(screen.At(390, 100) == kWhite);

    // Drawing after the resize shows up scaled as well.
    DrawRect(w, 150, 0, 50, 100, kBlue, kBlue);
    gui::PumpFor(100);
    const gui::Pixels after = gui::ReadClientOnScreen(w.hwnd);
    CHECK(after.At(350, 100) == kBlue);
    CHECK(after.At(250, 100) == kWhite);

    // Only what was drawn is repainted: an operation that draws nothing repaints nothing.
    g_toolkitProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(w.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountPaints)));
    g_paints = 0;
    MoveTo(w, 10, 10);
    SetTextBackColor(w, kGrey);
    CHECK(g_paints == 0);
    DrawRect(w, 20, 20, 10, 10, kBlue, kBlue);
    CHECK(g_paints == 1);
    SetWindowLongPtrA(w.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_toolkitProc));
}

TEST_CASE("a window without backing bitmap is drawn by its page and on the screen directly") {
    Page page(60, 60, 200, 120, 0x40 | 0x10);
    Window& w = page.record;
    CHECK(w.backingBitmap == nullptr);
    CHECK(w.backingMode == 0);
    CHECK(g_paintEvents > 0);  // WM_PAINT goes to the handler
    DrawRect(w, 10, 10, 50, 50, kBlue, kBlue);
    gui::PumpFor(100);  // Wine hands window drawing to the display when it pumps
    const gui::Pixels screen = gui::ReadClientOnScreen(w.hwnd);
    CHECK(screen.At(30, 30) == kBlue);
    CHECK(screen.At(100, 30) == kWhite);
}

namespace {

struct EraseSeen {
    int events = 0;
    bool paintDcWasTheEraseDc = false;
    bool beginDrawGaveTheEraseDc = false;
    HFONT fonts[2] = {};
    bool firstFontFreedAtOnce = false;
};
EraseSeen g_erase;

int32_t EraseDrawingHandler() {
    if (g_event.EventId != EV_ERASE) return 0;
    Window& w = *g_event.EventWindow;
    ++g_erase.events;
    HDC dc = reinterpret_cast<HDC>(g_event.EventWParam);
    g_erase.paintDcWasTheEraseDc = w.paintDc == dc;
    g_erase.beginDrawGaveTheEraseDc = BeginDraw(w) == dc;
    EndDraw(w, dc, true);
    // Two fonts in turn: the first is freed when the second replaces it.
    SetFont(w, "Arial", 30, 700, 0, 0);
    g_erase.fonts[0] = static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT));
    SetFont(w, "Arial", 20, 400, 0, 0);
    g_erase.fonts[1] = static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT));
    g_erase.firstFontFreedAtOnce = GetObjectType(g_erase.fonts[0]) == 0;
    SetPenColor(w, kRed);
    MoveTo(w, 5, 5);
    DrawRect(w, 10, 10, 40, 40, kBlue, kBlue);
    return 0;
}

}  // namespace

TEST_CASE("EV_ERASE: drawing goes onto the erase DC and leaves the record alone") {
    Window w{};
    REQUIRE(OpenWindow(w, 80, 80, 200, 120, 0x40 | 0x10, nullptr, "erase", EraseDrawingHandler));
    gui::PumpFor(150);
    g_erase = {};
    const HPEN pen = w.pen;
    const HFONT font = w.font;
    const int32_t x = w.posX;
    InvalidateRect(w.hwnd, nullptr, TRUE);
    UpdateWindow(w.hwnd);
    CHECK(g_erase.events == 1);
    CHECK(g_erase.paintDcWasTheEraseDc);
    CHECK(g_erase.beginDrawGaveTheEraseDc);
    CHECK(w.paintDc == nullptr);
    CHECK(w.pen == pen);
    CHECK(w.font == font);
    CHECK(w.posX == x);
    // The fonts were on the erase DC while the event ran, and are freed after it.
    CHECK(g_erase.fonts[0] != font);
    CHECK(g_erase.fonts[1] != g_erase.fonts[0]);
    CHECK(g_erase.firstFontFreedAtOnce);
    CHECK(GetObjectType(g_erase.fonts[1]) == 0);
    gui::PumpFor(100);
    const gui::Pixels screen = gui::ReadClientOnScreen(w.hwnd);
    CHECK(screen.At(30, 30) == kBlue);
    CHECK(screen.At(100, 30) == GetSysColor(COLOR_WINDOW));
    CloseWindow(w);
}

namespace {

HPEN g_penOfCreation = nullptr;
HFONT g_fontOfCreation = nullptr;

int32_t DrawsWhenCreated() {
    if (g_event.EventId == WM_CREATE) {
        SetPenColor(*g_event.EventWindow, kRed);
        g_penOfCreation = g_event.EventWindow->pen;
        g_fontOfCreation = g_event.EventWindow->font;
    }
    return 0;
}

}  // namespace

TEST_CASE("a pen and font a handler made while its window was created are freed") {
    Window w{};
    g_penOfCreation = nullptr;
    REQUIRE(OpenWindow(w, 100, 100, 300, 200, kPageFlags, nullptr, "created", DrawsWhenCreated));
    REQUIRE(g_penOfCreation != nullptr);
    CHECK(GetObjectType(g_penOfCreation) == 0);
    CHECK(GetObjectType(g_fontOfCreation) == 0);
    CHECK(GetObjectType(w.pen) == OBJ_PEN);
    CHECK(GetObjectType(w.font) == OBJ_FONT);
    CloseWindow(w);
}

TEST_CASE("nothing leaks: drawing objects are freed when replaced and on closing") {
    Window w{};
    REQUIRE(OpenWindow(w, 100, 100, 300, 200, kPageFlags, nullptr, "leaks", CountingHandler));
    HPEN firstPen = w.pen;
    HFONT firstFont = w.font;
    REQUIRE(GetObjectType(firstPen) == OBJ_PEN);
    REQUIRE(GetObjectType(firstFont) == OBJ_FONT);
    SetPenColor(w, kRed);
    CHECK(GetObjectType(firstPen) == 0);  // replaced by a copy of the new pen
    CHECK(GetObjectType(w.pen) == OBJ_PEN);
    LOGPEN logPen{};
    GetObjectA(w.pen, sizeof logPen, &logPen);
    CHECK(logPen.lopnColor == kRed);

    FloodFill(w, 1, 1, kGrey);
    DrawRect(w, 10, 10, 30, 30, kBlue, kGreen);
    DrawRect(w, 50, 10, 30, 30, -1, -1);
    const PrintItem text[] = {{9, &w}, {0, "abc"}, {14, 2.5}};
    PrintText(3, text);
    gui::PumpFor(100);

    const HBITMAP bitmap = w.backingBitmap;
    const HPEN pen = w.pen;
    const HFONT font = w.font;
    CHECK(GetObjectType(bitmap) == OBJ_BITMAP);
    CloseWindow(w);
    CHECK(w.hwnd == nullptr);
    CHECK(GetObjectType(bitmap) == 0);
    CHECK(GetObjectType(pen) == 0);
    CHECK(GetObjectType(font) == 0);
    // Operations on the closed record do nothing.
    CHECK(BeginDraw(w) == nullptr);
    CHECK(FloodFill(w, 1, 1, 0) == 0);
    CHECK(CloseWindow(w) == 0);
}

TEST_CASE("backing bitmap per flag: screen size, width + 1 by height + 1, client size, none") {
    struct Case {
        uint32_t flags;
        bool screen;
        int width, height;  // expected size when not the screen's; 0: no bitmap
    };
    const Case cases[] = {{0x40, true, 0, 0}, {0x40 | 0x80, false, 301, 201},
                          {0x40 | 0x100, false, 300, 200}, {0x40 | 0x10, false, 0, 0}};
    for (const Case& c : cases) {
        CAPTURE(c.flags);
        Window w{};
        REQUIRE(OpenWindow(w, 10, 10, 300, 200, c.flags, nullptr, "sizes", CountingHandler) == 1);
        if (c.screen) {
            REQUIRE(w.backingBitmap != nullptr);
            const gui::Pixels p = gui::ReadBitmap(w.backingBitmap);
            CHECK(p.width == GetSystemMetrics(SM_CXSCREEN));
            CHECK(p.height == GetSystemMetrics(SM_CYSCREEN));
        } else if (c.width == 0) {
            CHECK(w.backingBitmap == nullptr);
        } else {
            REQUIRE(w.backingBitmap != nullptr);
            const gui::Pixels p = gui::ReadBitmap(w.backingBitmap);
            CHECK(p.width == c.width);
            CHECK(p.height == c.height);
            // Filled in the erase colour throughout, the extra row and column included.
            CHECK(p.CountOther(Box(0, 0, p.width, p.height), w.backColor) == 0);
        }
        CloseWindow(w);
    }
}

TEST_CASE("nested drawing shares one DC; a pen set while it is held is neither lost nor freed twice") {
    Page page(150, 150, 300, 200, 0x40);
    Window& w = page.record;
    FloodFill(w, 1, 1, kWhite);
    gui::PumpFor(100);
    HDC outer = BeginDraw(w);
    REQUIRE(outer != nullptr);
    CHECK(BeginDraw(w) == outer);
    CHECK(w.drawDepth == 2);
    EndDraw(w, outer, false);
    CHECK(w.drawDepth == 1);
    CHECK(w.drawDc == outer);

    // A rectangle drawn while the DC is held reaches the screen through the held DC.
    DrawRect(w, 20, 20, 40, 40, kBlue, kBlue);
    gui::PumpFor(100);
    CHECK(gui::ReadClientOnScreen(w.hwnd).At(40, 40) == kBlue);

    const HPEN recordPen = w.pen;
    SetPenColor(w, kRed);
    CHECK(GetObjectType(recordPen) == 0);
    const HPEN nestedPen = w.pen;
    CHECK(GetObjectType(nestedPen) == OBJ_PEN);
    MoveTo(w, 70, 30);

    EndDraw(w, outer, true);
    CHECK(w.drawDc == nullptr);
    CHECK(w.drawDepth == 0);
    CHECK(GetObjectType(nestedPen) == 0);  // replaced by the record's own copy
    LOGPEN logPen{};
    REQUIRE(GetObjectA(w.pen, sizeof logPen, &logPen) == sizeof logPen);
    CHECK(logPen.lopnColor == kRed);
    CHECK(w.posX == 70);
    CHECK(w.posY == 30);
}
