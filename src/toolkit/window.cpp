// Toolkit windows: classes, opening, centring and closing, the MDI frame layout and the
// event pump.
#include "toolkit/window.h"

#include "runtime/dll_safety.h"
#include "toolkit/controls_private.h"
#include "toolkit/display_scale.h"
#include "toolkit/gdi_owner.h"
#include "toolkit/toolkit_state.h"

namespace tk {

ATOM g_wndClassAtom = 0;
ATOM g_frameClassAtom = 0;
ATOM g_dlgClassAtom = 0;
uint16_t g_mdiClientAtom = 0;
Window* g_windowUnderConstruction = nullptr;

namespace {

constexpr char kWndClassName[] = "TessaroWndClass";
constexpr char kFrameClassName[] = "TessaroFrameClass";
constexpr char kAccelTableProperty[] = "_ACCEL_TABLE";

constexpr int kClassIconResource = 101;
constexpr UINT_PTR kMdiClientId = 0xCAC;
constexpr UINT kFirstMdiChildId = 0x4050;
constexpr uint16_t kNoMdiClientAtom = 0xFFFF;
// Common-control placement styles (commctrl.h) of tool bars.
constexpr LONG kBarTop = 0x1;     // CCS_TOP
constexpr LONG kBarBottom = 0x3;  // CCS_BOTTOM
constexpr LONG kBarVertical = 0x80;  // CCS_VERT

// Bits 0x10 to 0x400 of OpenWindow's flags are the toolkit's; 0x800 is removed apart.
constexpr uint32_t kToolkitStyleBits = 0x7F0;

HICON ClassIcon(HINSTANCE module) {
    HICON icon = LoadIconA(module, MAKEINTRESOURCEA(kClassIconResource));
    return icon ? icon : LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
}

ATOM RegisterToolkitClass(HINSTANCE module, const char* name, UINT style, HBRUSH background) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = ToolkitWindowProc;
    wc.cbWndExtra = sizeof(void*);  // the Window record's address
    wc.hInstance = module;
    wc.hIcon = ClassIcon(module);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    return RegisterClassExA(&wc);
}

void RegisterClasses(HINSTANCE module) {
    if (!g_wndClassAtom) {
        g_wndClassAtom =
            RegisterToolkitClass(module, kWndClassName, CS_DBLCLKS | CS_BYTEALIGNCLIENT,
                                 static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    if (!g_frameClassAtom) {
        g_frameClassAtom =
            RegisterToolkitClass(module, kFrameClassName, CS_DBLCLKS | CS_BYTEALIGNWINDOW,
                                 reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1));
    }
}

uint16_t ClassAtomOf(HWND hwnd) { return hwnd ? GetClassWord(hwnd, GCW_ATOM) : 0; }

// The menu bar of an MDI frame: one "&Window" popup; returns the popup.
HMENU AttachWindowMenu(HWND frame) {
    HMENU bar = CreateMenu();
    HMENU popup = CreatePopupMenu();
    AppendMenuA(popup, MF_STRING, kMenuCascade, "&Cascade");
    AppendMenuA(popup, MF_STRING, kMenuTile, "&Tile");
    AppendMenuA(popup, MF_STRING, kMenuArrangeIcons, "&Arrange Icons");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), "&Window");
    SetMenu(frame, bar);
    return popup;
}

void CreateMdiClient(Window& record, HINSTANCE module) {
    HMENU windowMenu = AttachWindowMenu(record.hwnd);
    RECT client{};
    GetClientRect(record.hwnd, &client);
    CLIENTCREATESTRUCT ccs{};
    ccs.hWindowMenu = windowMenu;
    ccs.idFirstChild = kFirstMdiChildId;
    record.mdiClient = CreateWindowExA(
        0, "MDICLIENT", "", WS_CHILD | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL, 0, 0,
        client.right, client.bottom, record.hwnd, reinterpret_cast<HMENU>(kMdiClientId),
        module, &ccs);
    if (!record.mdiClient) return;
    g_mdiClientAtom = GetClassWord(record.mdiClient, GCW_ATOM);
    ShowWindow(record.mdiClient, SW_SHOW);
}

// Fills a rectangle with a colour: an opaque ExtTextOutA without text.
void FillWithColour(HDC dc, COLORREF colour, int width, int height) {
    SetBkColor(dc, colour);
    const RECT area{0, 0, width, height};
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &area, "", 0, nullptr);
}

// The backing bitmap's size for OpenWindow's flags.
SIZE BackingSize(HWND hwnd, uint32_t flags, int width, int height) {
    if (flags & kOpenBackingClientSized) {
        RECT client{};
        GetClientRect(hwnd, &client);
        return {client.right, client.bottom};
    }
    if (flags & kOpenBackingWindowSized) return {width + 1, height + 1};
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

// Copies the memory DC's defaults (position, pen, font, modes) into the record. A
// handler that drew while the window was being created left a pen and font of its own
// there; they are freed.
void TakeDrawingDefaults(Window& record, HDC dc) {
    if (record.pen) DeleteObject(record.pen);
    if (record.font) DeleteObject(record.font);
    POINT pos{};
    GetCurrentPositionEx(dc, &pos);
    record.posX = pos.x;
    record.posY = pos.y;
    LOGPEN pen{};
    GetObjectA(GetCurrentObject(dc, OBJ_PEN), sizeof pen, &pen);
    record.pen = CreatePenIndirect(&pen);
    LOGFONTA font{};
    GetObjectA(GetCurrentObject(dc, OBJ_FONT), sizeof font, &font);
    record.font = CreateFontIndirectA(&font);
    record.bkMode = GetBkMode(dc);
    record.bkColor = GetBkColor(dc);
    record.rop2 = GetROP2(dc);
}

// Makes the backing bitmap and the drawing state; false when the window gave no DC.
bool PrepareDrawingState(Window& record, uint32_t flags, int width, int height) {
    WindowDc windowDc(record.hwnd);
    if (!windowDc.get()) return false;
    OwnedMemoryDc memoryDc(CreateCompatibleDC(windowDc.get()));
    record.backColor = GetSysColor(COLOR_WINDOW);
    if (record.backingMode) {
        const SIZE size = BackingSize(record.hwnd, flags, width, height);
        record.backingBitmap = CreateCompatibleBitmap(windowDc.get(), size.cx, size.cy);
        if (record.backingBitmap) SelectObject(memoryDc.get(), record.backingBitmap);
        // The whole bitmap, so that no pixel of it is left undefined.
        FillWithColour(memoryDc.get(), record.backColor, size.cx, size.cy);
        record.backingUniform = 1;
        record.uniformColour = GetPixel(memoryDc.get(), 0, 0);
        TakeDrawingDefaults(record, memoryDc.get());
        record.backingDc = memoryDc.release();  // it keeps the bitmap until CloseWindow
    } else {
        FillWithColour(windowDc.get(), record.backColor, width, height);
        TakeDrawingDefaults(record, memoryDc.get());
    }
    record.cursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    record.penWidth = 1;
    record.penStyle = 0;
    record.dialogKeys = 0;
    return true;
}

// A window that opened on a display of another DPI than the system's (per-monitor
// awareness) takes that display's DPI, and its size follows.
void FollowWindowDpi(Window& record, int32_t& width, int32_t& height) {
    const uint32_t dpi = WindowDpi(record.hwnd);
    if (dpi == record.dpi) return;
    width = Rescaled(width, dpi, record.dpi);
    height = Rescaled(height, dpi, record.dpi);
    record.dpi = dpi;
    SetWindowPos(record.hwnd, nullptr, 0, 0, width, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ClearOpenState(Window& record, HandlerRoutine handler) {
    record.handler = handler;
    record.mdiClient = nullptr;
    record.paintDc = nullptr;
    record.drawDc = nullptr;
    record.drawDepth = 0;
    record.isDialog = 0;
    record.surfaceMode = 0;
    record.surface = nullptr;
    record.hostHooks = nullptr;
    record.forcedDc = nullptr;
    record.backingDc = nullptr;
    record.backingUniform = 0;
    record.uniformColour = 0;
    record.pageKeys = 0;
    record.forwardId = 0;
}

// The Win32 style and extended style for OpenWindow's flags; parentHwnd becomes the
// MDI client for an MDI child.
void ComposeStyles(uint32_t flags, Window* parent, HWND& parentHwnd, DWORD& style,
                   DWORD& exStyle) {
    style = flags & ~kToolkitStyleBits;
    if (!(style & kOpenHidden)) style |= WS_VISIBLE;
    style &= ~kOpenHidden;
    exStyle = 0;
    if (parent) {
        if (parent->mdiClient) {
            parentHwnd = parent->mdiClient;
            exStyle |= WS_EX_MDICHILD;
        }
        style |= WS_CHILD | WS_CLIPSIBLINGS;
    } else {
        style |= WS_POPUP | WS_CLIPCHILDREN;
    }
    if (!(flags & kOpenNoCaption)) style |= WS_CAPTION | WS_SYSMENU;
    if (flags & kOpenToolWindow) exStyle |= WS_EX_TOOLWINDOW;
    if (flags & kOpenTopmost) exStyle |= WS_EX_TOPMOST;
}

}  // namespace

Window* RecordOf(HWND hwnd) {
    if (!hwnd) return nullptr;
    const uint16_t atom = ClassAtomOf(hwnd);
    if (!atom) return nullptr;
    if (atom == g_wndClassAtom || atom == g_frameClassAtom) {
        return reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, 0));
    }
    // A dialog's window words belong to the dialog manager; its record is a property.
    if (atom == g_dlgClassAtom) return static_cast<Window*>(GetPropA(hwnd, kPropDialogRecord));
    return nullptr;
}

bool IsToolkitWindow(HWND hwnd) {
    const uint16_t atom = ClassAtomOf(hwnd);
    return atom && (atom == g_wndClassAtom || atom == g_frameClassAtom || atom == g_dlgClassAtom);
}

bool HasMdiClientParent(HWND hwnd) {
    // A window without a parent (GetClassWord of none gives 0) is never an MDI child,
    // even before the first OpenWindow has set the atom.
    const uint16_t atom = ClassAtomOf(GetParent(hwnd));
    return atom && atom == g_mdiClientAtom;
}

int32_t OpenWindow(Window& record, int32_t x, int32_t y, int32_t width, int32_t height,
                   uint32_t flags, Window* parent, const char* title, HandlerRoutine handler) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    RegisterClasses(module);

    HWND parentHwnd = parent ? parent->hwnd : nullptr;
    record.backingMode = 0;
    if (!(flags & kOpenNoBacking)) {
        record.backingMode = kBackingPresent;
        if (flags & kOpenBackingClientSized) record.backingMode |= kBackingClientSized;
    }
    DWORD style = 0;
    DWORD exStyle = 0;
    ComposeStyles(flags, parent, parentHwnd, style, exStyle);

    ClearOpenState(record, handler);
    // The 96-DPI layout at the display's scale, known before the window exists so that
    // the handler's creation events already see it.
    record.dpi = SystemDpi();
    x = Scaled(record, x);
    y = Scaled(record, y);
    width = Scaled(record, width);
    height = Scaled(record, height);
    g_windowUnderConstruction = &record;
    HWND hwnd = CreateWindowExA(exStyle, (flags & kOpenMdiFrame) ? kFrameClassName : kWndClassName,
                                title ? title : "", style, x, y, width, height, parentHwnd,
                                nullptr, module, nullptr);
    g_windowUnderConstruction = nullptr;
    // Events caused by the remaining steps do not reach the page.
    record.handler = nullptr;
    record.hwnd = hwnd;
    if (!hwnd) return 0;
    FollowWindowDpi(record, width, height);

    if (style & WS_MAXIMIZE) {
        ShowWindow(hwnd, SW_SHOWMAXIMIZED);
    } else if (style & WS_MINIMIZE) {
        ShowWindow(hwnd, SW_MINIMIZE);
    }
    if (flags & kOpenMdiFrame) {
        CreateMdiClient(record, module);
    } else if (!g_mdiClientAtom) {
        g_mdiClientAtom = kNoMdiClientAtom;
    }
    if (PrepareDrawingState(record, flags, width, height)) record.handler = handler;
    SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(&record));
    return 1;
}

void PrepareDisplay() {
    if (HDC screen = GetDC(nullptr)) ReleaseDC(nullptr, screen);
    // Loaded for the rest of the process, as picture objects would load it.
    rt::LoadSystemLibrary("oleaut32.dll");
}

int32_t CenterWindow(Window& record) {
    HWND hwnd = record.hwnd;
    if (!hwnd) return 0;
    RECT reference{};
    RECT limit{};
    if (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD) {
        GetClientRect(GetParent(hwnd), &reference);
        limit = reference;
    } else {
        HWND owner = GetWindow(hwnd, GW_OWNER);
        if (owner && (!IsWindowVisible(owner) || IsIconic(owner))) owner = nullptr;
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &limit, 0);
        if (owner) {
            GetWindowRect(owner, &reference);
        } else {
            reference = limit;
        }
    }
    RECT own{};
    GetWindowRect(hwnd, &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    int x = (reference.left + reference.right) / 2 - width / 2;
    int y = (reference.top + reference.bottom) / 2 - height / 2;
    if (x < limit.left) {
        x = limit.left;
    } else if (x + width > limit.right) {
        x = limit.right - width;
    }
    if (y < limit.top) {
        y = limit.top;
    } else if (y + height > limit.bottom) {
        y = limit.bottom - height;
    }
    SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

int32_t CloseWindow(Window& record) {
    HWND hwnd = record.hwnd;
    if (!hwnd || record.isDialog) return 0;
    if (HACCEL accel = static_cast<HACCEL>(GetPropA(hwnd, kAccelTableProperty))) {
        DestroyAcceleratorTable(accel);
        RemovePropA(hwnd, kAccelTableProperty);
    }
    FreeHandlerTable(hwnd);
    if (HasMdiClientParent(hwnd)) {
        SendMessageA(GetParent(hwnd), WM_MDIDESTROY, reinterpret_cast<WPARAM>(hwnd), 0);
    } else {
        DestroyWindow(hwnd);
    }
    record.hwnd = nullptr;
    ReleaseDrawingObjects(record);
    return 0;
}

void ReleaseDrawingObjects(Window& record) {
    if (record.backingDc) DeleteDC(record.backingDc);  // first: it holds the bitmap
    record.backingDc = nullptr;
    if (record.backingBitmap) DeleteObject(record.backingBitmap);
    if (record.pen) DeleteObject(record.pen);
    if (record.font) DeleteObject(record.font);
    record.backingBitmap = nullptr;
    record.pen = nullptr;
    record.font = nullptr;
}

// ---- Tool-bar and status-bar layout of an MDI frame --------------------------------------

namespace {

struct FrameLayout {
    RECT remaining;
    bool found;
};

BOOL CALLBACK PlaceBar(HWND child, LPARAM param) {
    auto* layout = reinterpret_cast<FrameLayout*>(param);
    char name[21] = {};
    GetClassNameA(child, name, sizeof name);
    CharUpperA(name);
    RECT bar{};
    GetWindowRect(child, &bar);
    const LONG barWidth = bar.right - bar.left;
    const LONG barHeight = bar.bottom - bar.top;
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    RECT& r = layout->remaining;
    if (lstrcmpA(name, "TOOLBARWINDOW32") == 0) {
        const LONG placement = style & 3;
        const bool vertical = (style & kBarVertical) != 0;
        if (placement == kBarTop) {
            if (vertical) r.left += barWidth; else r.top += barHeight;
            layout->found = true;
        } else if (placement == kBarBottom) {
            if (vertical) r.right -= barWidth; else r.bottom -= barHeight;
            layout->found = true;
        }
    } else if (lstrcmpA(name, "MSCTLS_STATUSBAR32") == 0) {
        r.bottom -= barHeight;
        layout->found = true;
    }
    return TRUE;
}

}  // namespace

bool LayoutMdiFrame(Window& frame) {
    if (!frame.hwnd || !frame.mdiClient) return false;
    FrameLayout layout{};
    GetClientRect(frame.hwnd, &layout.remaining);
    EnumChildWindows(frame.hwnd, PlaceBar, reinterpret_cast<LPARAM>(&layout));
    if (!layout.found) return false;
    const RECT& r = layout.remaining;
    MoveWindow(frame.mdiClient, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    return true;
}

// ---- Event pump -----------------------------------------------------------------------

namespace {

// The toolkit window a message belongs to: its own window or the nearest ancestor.
Window* OwningRecord(HWND hwnd) {
    for (HWND w = hwnd; w; w = GetParent(w)) {
        if (IsToolkitWindow(w)) return RecordOf(w);
    }
    return nullptr;
}

// True when the message was taken by an accelerator or dialog-key translation.
bool TakenBeforeDispatch(MSG& msg) {
    if (Window* record = OwningRecord(msg.hwnd)) {
        if (!record->hwnd) return false;
        if (HACCEL accel = static_cast<HACCEL>(GetPropA(record->hwnd, kAccelTableProperty))) {
            // A translated accelerator has become WM_COMMAND; the key itself goes no further.
            if (TranslateAcceleratorA(record->hwnd, accel, &msg)) return true;
        }
        if (record->pageKeys && TakePageKey(*record, msg)) return true;
        return record->dialogKeys && IsDialogMessageA(record->hwnd, &msg);
    }
    HWND active = GetActiveWindow();
    if (active && (GetWindowLongA(active, GWL_EXSTYLE) & WS_EX_CONTROLPARENT)) {
        return IsDialogMessageA(active, &msg) != FALSE;
    }
    return false;
}

}  // namespace

int32_t WaitEvents(int32_t noWait) {
    if (noWait == 0) WaitMessage();
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (TakenBeforeDispatch(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

}  // namespace tk
