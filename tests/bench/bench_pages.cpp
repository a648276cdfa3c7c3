// bench_pages: the measurement page built by the setup program's own code (open, fill,
// logo, controls, colours, fonts, then its first paint) and repainted in full from its
// backing bitmap, against the same window made and painted by plain Win32 calls in the
// same process. The repaint is also set against the plain one plus the window-property
// reads that ours makes, counted in the run. With --requests it builds one page of each
// side between marks that the Wine server's trace shows, for bench.py to count the
// requests each side makes (a figure that does not move with the machine), and ends.
//
//   bench_pages [--rounds N] [--requests]
#include <cstdio>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include <ole2.h>
#include <olectl.h>

#include "bench/bench_support.h"
#include "runtime/strings.h"
#include "setup/pages.h"
#include "record/setup_state.h"
#include "toolkit/window.h"

namespace {

using setup::g_setup;

// ---- The same page by plain calls ----------------------------------------------------

struct PlainControl {
    int id;
    const char* className;
    const char* text;
    DWORD style;
    int x, y, width, height;
    COLORREF back;
};
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
const PlainControl kPlainControls[] = {
    {1, "STATIC", " Please select your measurement preferences", kChild | SS_CENTER, 0, 170, 450,
     25, setup::kPaleYellow},
    {2, "BUTTON", " Miles Per Hour", kChild | WS_TABSTOP | BS_AUTOCHECKBOX, 150, 200, 416, 25,
     setup::kWhite},
    {3, "BUTTON", " Kilometers Per Hour", kChild | WS_TABSTOP | BS_AUTOCHECKBOX, 150, 230, 416,
     25, setup::kWhite},
    {4, "BUTTON", " Degrees C", kChild | WS_TABSTOP | BS_AUTOCHECKBOX, 150, 290, 416, 25,
     setup::kWhite},
    {5, "BUTTON", " Degrees F", kChild | WS_TABSTOP | BS_AUTOCHECKBOX, 150, 320, 416, 25,
     setup::kWhite},
    {303, "BUTTON", "< Back", kChild | BS_OWNERDRAW, 270, 380, 70, 25, setup::kWhite},
    {301, "BUTTON", "Next >", kChild | BS_OWNERDRAW, 350, 380, 70, 25, setup::kWhite},
    {302, "BUTTON", "Exit", kChild | BS_OWNERDRAW, 20, 380, 70, 25, setup::kWhite},
};

struct PlainPage {
    HWND hwnd = nullptr;
    HFONT font = nullptr;
    HBRUSH brushes[std::size(kPlainControls)] = {};
};
PlainPage g_plain;

HBRUSH BrushOf(HWND control) {
    const int id = GetDlgCtrlID(control);
    for (size_t i = 0; i < std::size(kPlainControls); ++i) {
        if (kPlainControls[i].id == id) return g_plain.brushes[i];
    }
    return static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
}

LRESULT CALLBACK PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            RECT client;
            GetClientRect(hwnd, &client);
            FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            auto* logo = static_cast<IPicture*>(g_setup.ImageTable[3]);
            if (logo) {
                OLE_XSIZE_HIMETRIC w = 0;
                OLE_YSIZE_HIMETRIC h = 0;
                logo->get_Width(&w);
                logo->get_Height(&h);
                logo->Render(dc, 70, 10, 300, 145, 0, h, w, -h, nullptr);
            }
            SetTextColor(dc, setup::kWhite);
            SetBkColor(dc, setup::kBlack);
            TextOutA(dc, 600, 85, "\xAE", 1);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, setup::kBlack);
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<LRESULT>(BrushOf(reinterpret_cast<HWND>(lParam)));
        }
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            RECT r = item->rcItem;
            FillRect(item->hDC, &r, BrushOf(item->hwndItem));
            DrawEdge(item->hDC, &r, EDGE_RAISED, BF_RECT);
            char text[32];
            GetWindowTextA(item->hwndItem, text, sizeof text);
            SetBkMode(item->hDC, TRANSPARENT);
            DrawTextA(item->hDC, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            return TRUE;
        }
        default:
            return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

// shownFirst: in the toolkit's order, the window on the screen before anything is put
// into it, every control drawn as it comes; otherwise the plain way, shown when built.
void OpenPlainPage(bool shownFirst) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = PlainProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
        wc.lpszClassName = "PlainPage";
        RegisterClassA(&wc);
        registered = true;
    }
    HWND hwnd = CreateWindowExA(0, "PlainPage", " Quorvex Plenar Measurements.",
                                WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | 0x70000 |
                                    (shownFirst ? WS_VISIBLE : 0),
                                250, 200, 450, 450, nullptr, nullptr, GetModuleHandleA(nullptr),
                                nullptr);
    g_plain.hwnd = hwnd;
    RECT work, own;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(hwnd, &own);
    SetWindowPos(hwnd, nullptr, (work.left + work.right - (own.right - own.left)) / 2,
                 (work.top + work.bottom - (own.bottom - own.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    HDC dc = GetDC(hwnd);
    g_plain.font = CreateFontA(-MulDiv(12, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0,
                               g_setup.FontWeight, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0,
                               g_setup.FontName.c_str());
    ReleaseDC(hwnd, dc);
    for (size_t i = 0; i < std::size(kPlainControls); ++i) {
        const PlainControl& c = kPlainControls[i];
        g_plain.brushes[i] = CreateSolidBrush(c.back);
        HWND control = CreateWindowExA(0, c.className, c.text, c.style, c.x, c.y, c.width,
                                       c.height, hwnd, reinterpret_cast<HMENU>(INT_PTR{c.id}),
                                       GetModuleHandleA(nullptr), nullptr);
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(g_plain.font), shownFirst);
        if (shownFirst) UpdateWindow(control);
    }
    CheckDlgButton(hwnd, 2, BST_CHECKED);
    CheckDlgButton(hwnd, 4, BST_CHECKED);
    ShowWindow(hwnd, SW_SHOW);
}

void ClosePlainPage() {
    DestroyWindow(g_plain.hwnd);
    DeleteObject(g_plain.font);
    for (HBRUSH& brush : g_plain.brushes) DeleteObject(brush);
    g_plain = PlainPage{};
}

// ---- Counting the property reads of a repaint ----------------------------------------

// Each GetPropA of this program's own code (the toolkit is linked in) goes through its
// import slot; pointing the slot at a counter sees every one, and none of the system's
// own reads inside user32, which are the plain page's as much as ours.
struct PropertyRead {
    HWND hwnd;
    LPCSTR name;
};
std::vector<PropertyRead> g_reads;
using GetPropProc = HANDLE(WINAPI*)(HWND, LPCSTR);
GetPropProc g_getProp = nullptr;

HANDLE WINAPI CountedGetProp(HWND hwnd, LPCSTR name) {
    g_reads.push_back({hwnd, name});
    return g_getProp(hwnd, name);
}

// The slot of this program's import table that holds the function's address.
void** ImportSlot(const char* dll, const char* function) {
    const void* target = reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(dll), function));
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!target || !imports.VirtualAddress) return nullptr;
    for (auto* entry =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         entry->Name; ++entry) {
        for (auto** slot = reinterpret_cast<void**>(base + entry->FirstThunk); *slot; ++slot) {
            if (*slot == target) return slot;
        }
    }
    return nullptr;
}

// The property reads our code makes while work() runs, in their order; false when the
// program's import of GetPropA was not found.
template <typename Work>
bool PropertyReadsOf(Work work, std::vector<PropertyRead>& reads) {
    void** slot = ImportSlot("user32.dll", "GetPropA");
    DWORD protection = 0;
    if (!slot || !VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection)) return false;
    g_getProp = reinterpret_cast<GetPropProc>(*slot);
    *slot = reinterpret_cast<void*>(CountedGetProp);
    g_reads.clear();
    work();
    *slot = reinterpret_cast<void*>(g_getProp);
    VirtualProtect(slot, sizeof *slot, protection, &protection);
    reads = g_reads;
    return true;
}

void PrintPropertyNames(const std::vector<PropertyRead>& reads) {
    std::map<std::string, int> names;
    for (const PropertyRead& read : reads) {
        ++names[IS_INTRESOURCE(read.name)
                    ? "#" + std::to_string(reinterpret_cast<uintptr_t>(read.name))
                    : std::string(read.name)];
    }
    std::printf(" ");
    for (const auto& [name, count] : names) std::printf(" %s %d", name.c_str(), count);
    std::printf("\n");
}

// ---- Timing --------------------------------------------------------------------------

// Serves every pending paint of the window and its controls.
void PaintNow(HWND hwnd) { RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }

void FullRepaint(HWND hwnd) {
    RedrawWindow(hwnd, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

// Lets the window manager's messages of a closed page pass before the next round.
void Settle() {
    MSG msg;
    for (int i = 0; i < 10; ++i) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(3);
    }
}

template <typename Step>
double Timed(Step step) {
    const double start = bench::NowMs();
    step();
    return bench::NowMs() - start;
}

// One round of each side: the page built and painted (timed), then closed.
void BuildAndPaintToolkitPage() {
    setup::BuildMeasurementPage();
    PaintNow(setup::g_windows.PageWindow.hwnd);
}

double BuildToolkitPage() {
    const double t = Timed(BuildAndPaintToolkitPage);
    tk::CloseWindow(setup::g_windows.PageWindow);
    Settle();
    return t;
}

double BuildPlainPage(bool shownFirst) {
    const double t = Timed([&] {
        OpenPlainPage(shownFirst);
        PaintNow(g_plain.hwnd);
    });
    ClosePlainPage();
    Settle();
    return t;
}

// A mark in the Wine server's trace: looking an atom up by name is one request, which the
// trace prints with the name ("find_atom( ... name=L\"qp-bench toolkit begins\" )").
void Mark(const char* side, const char* what) {
    char name[64];
    std::snprintf(name, sizeof name, "qp-bench %s %s", side, what);
    GlobalFindAtomA(name);
}

// One page of each side between marks, as in the rounds (the plain page built the plain
// way), closed outside them.
void MarkOnePageEach() {
    Mark("toolkit", "begins");
    BuildAndPaintToolkitPage();
    Mark("toolkit", "ends");
    tk::CloseWindow(setup::g_windows.PageWindow);
    Settle();
    Mark("plain", "begins");
    OpenPlainPage(false);
    PaintNow(g_plain.hwnd);
    Mark("plain", "ends");
    ClosePlainPage();
    Settle();
}

}  // namespace

int main(int argc, char** argv) {
    rt::RuntimeStart();
    CoInitialize(nullptr);
    g_setup.FontName = "Arial";
    setup::LoadPageImages();
    tk::Window& page = setup::g_windows.PageWindow;

    // The first window of a process costs what the system needs to set up its display
    // connection; it belongs to neither side of the comparison.
    const double first = Timed([] {
        HWND h = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr,
                                 nullptr, nullptr, nullptr);
        DestroyWindow(h);
    });
    std::printf("first window of the process (display set-up): %.1f ms\n", first);
    Settle();

    // Unmeasured rounds first: the fonts, classes and caches of both sides warm up.
    for (int i = 0; i < 3; ++i) {
        BuildToolkitPage();
        BuildPlainPage(i % 2 == 0);
    }

    if (bench::HasOption(argc, argv, "--requests")) {
        MarkOnePageEach();
        setup::ReleasePageImages();
        rt::RuntimeStop();
        return 0;
    }

    const int rounds = bench::Rounds(argc, argv, 21);
    bench::Compare("page build and first paint", rounds, 1.5, BuildToolkitPage,
                   [] { return BuildPlainPage(false); });
    // How much of the difference is the order the toolkit builds a page in.
    bench::Compare("page build, plain calls shown first", rounds, 1.5, BuildToolkitPage,
                   [] { return BuildPlainPage(true); });

    setup::BuildMeasurementPage();
    OpenPlainPage(false);
    PaintNow(page.hwnd);
    PaintNow(g_plain.hwnd);
    // The third side replays our repaint's reads, same windows and names, after the plain
    // repaint: what the plain page would cost if it kept its state where ours does.
    std::vector<PropertyRead> reads, plainReads;
    if (!PropertyReadsOf([&] { FullRepaint(page.hwnd); }, reads) ||
        !PropertyReadsOf([] { FullRepaint(g_plain.hwnd); }, plainReads)) {
        std::printf("this program's import of GetPropA was not found\n");
        return 1;
    }
    std::printf("property reads in a full repaint: ours %zu, plain page %zu; ours by name:\n",
                reads.size(), plainReads.size());
    PrintPropertyNames(reads);
    bench::CompareTwice(
        "full repaint of the page", 1.5, "full repaint, plain plus our property reads", 1.15,
        bench::Rounds(argc, argv, 41), [&] { return Timed([&] { FullRepaint(page.hwnd); }); },
        [&] { return Timed([] { FullRepaint(g_plain.hwnd); }); },
        [&] {
            return Timed([&] {
                FullRepaint(g_plain.hwnd);
                for (const PropertyRead& read : reads) GetPropA(read.hwnd, read.name);
            });
        });
    tk::CloseWindow(page);
    ClosePlainPage();

    // The toolkit's part of opening: OpenWindow with its screen-size backing bitmap
    // against CreateWindowExA of the same window.
    bench::Compare(
        "OpenWindow alone (screen-size backing)", rounds, 1.5,
        [&] {
            const double t = Timed([&] {
                tk::OpenWindow(page, 250, 200, 450, 450, setup::kDarkPageFlags, nullptr, "bench",
                               nullptr);
            });
            tk::CloseWindow(page);
            Settle();
            return t;
        },
        [&] {
            HWND h = nullptr;
            const double t = Timed([&] {
                h = CreateWindowExA(0, "PlainPage", "bench",
                                    WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | 0x70000, 250,
                                    200, 450, 450, nullptr, nullptr, GetModuleHandleA(nullptr),
                                    nullptr);
            });
            DestroyWindow(h);
            Settle();
            return t;
        });

    setup::ReleasePageImages();
    rt::RuntimeStop();
    return 0;
}
