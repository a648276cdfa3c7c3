// Adding controls to toolkit windows, and the operations on one control by its id.
#include "toolkit/controls.h"

#include <cstring>

#include "runtime/dll_safety.h"
#include "toolkit/controls_private.h"
#include "toolkit/message_box.h"
#include "toolkit/toolkit_state.h"

namespace tk {

namespace {

// What a kind of control is made of.
struct KindClass {
    int32_t kind;
    const char* className;
    uint32_t addedStyle;
    uint32_t exStyle;
    bool ownerDrawn;      // BS_OWNERDRAW is added unless the style has BS_BITMAP
    bool edgeWithBorder;  // WS_EX_CLIENTEDGE only when the style has WS_BORDER
};

constexpr KindClass kKindClasses[] = {
    {kPushButton, "BUTTON", 0, 0, true, false},
    {kCheckBox, "BUTTON", BS_AUTOCHECKBOX, 0, false, false},
    {kRadioButton, "BUTTON", BS_AUTORADIOBUTTON, 0, false, false},
    {kEditBox, "EDIT", WS_BORDER, WS_EX_CLIENTEDGE, false, false},
    {kListBox, "LISTBOX", WS_BORDER | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS, WS_EX_CLIENTEDGE,
     false, false},
    {kComboBox, "COMBOBOX", WS_BORDER | CBS_NOINTEGRALHEIGHT | CBS_HASSTRINGS, WS_EX_CLIENTEDGE,
     false, false},
    {kStaticText, "STATIC", 0, 0, false, false},
    {kScrollBar, "SCROLLBAR", 0, 0, false, false},
    {kGroupBox, "BUTTON", BS_GROUPBOX, 0, false, false},
    {kRichEdit, "RichEdit", 0, 0, false, true},
    {kListView, "SysListView32", 0, 0, false, false},
    {kStatusBar, "msctls_statusbar32", 0, 0, false, false},
    {kPlainPushButton, "BUTTON", 0, 0, false, false},
    {kTreeView, "SysTreeView32", 0, 0, false, true},
    {kHotButton, "BUTTON", 0, 0, true, false},
};

const KindClass* FindKind(int32_t kind) {
    for (const KindClass& k : kKindClasses) {
        if (k.kind == kind) return &k;
    }
    return nullptr;
}

// The common control classes. comctl32 is loaded by full path rather than imported: it is
// not among the DLLs Windows always takes from the system folder, and an import would be
// looked for in the program's folder before the program's first line runs.
void InitCommonControlsOnce() {
    static bool done = false;
    if (done) return;
    done = true;
    const HMODULE module = rt::LoadSystemLibrary("comctl32.dll");
    using InitCommonControlsProc = void(WINAPI*)();
    const auto init = reinterpret_cast<InitCommonControlsProc>(
        reinterpret_cast<void*>(module ? GetProcAddress(module, "InitCommonControls") : nullptr));
    if (init) init();
}

// The rich-edit class exists only once its DLL is loaded, from the system folder. A
// failure is not reported: the control is then simply not created.
void LoadRichEditOnce() {
    static bool tried = false;
    if (tried) return;
    tried = true;
    rt::LoadSystemLibrary("riched32.dll");
}

void PrepareClassOfKind(int32_t kind) {
    if (kind == kRichEdit || kind == kListView || kind == kStatusBar || kind == kTreeView) {
        InitCommonControlsOnce();
    }
    if (kind == kRichEdit) LoadRichEditOnce();
}

bool CanBeDefault(int32_t kind) {
    return kind == kPushButton || kind == kPlainPushButton || kind == kHotButton;
}

}  // namespace

HWND FindControl(const Window& record, int32_t id) {
    if (!record.hwnd) return nullptr;
    return GetDlgItem(record.hwnd, id);
}

bool HasClassName(HWND hwnd, const char* upperName) {
    char name[64] = {};
    if (!GetClassNameA(hwnd, name, sizeof name)) return false;
    CharUpperA(name);
    return std::strcmp(name, upperName) == 0;
}

int32_t AddControl(Window& record, int32_t kind, const char* text, int32_t x, int32_t y,
                   int32_t width, int32_t height, uint32_t style, int32_t id) {
    const bool dialog = record.isDialog && record.dialogInfo;
    if (!dialog && (!record.hwnd || FindControl(record, id))) return 0;

    const KindClass* kc = FindKind(kind);
    if (!kc) return 0;
    PrepareClassOfKind(kind);

    uint32_t fullStyle = style | kc->addedStyle | WS_CHILD | WS_VISIBLE;
    if (kc->ownerDrawn && !(style & BS_BITMAP)) fullStyle |= BS_OWNERDRAW;
    if (style & kStartHidden) fullStyle &= ~(WS_VISIBLE | kStartHidden);
    uint32_t exStyle = kc->exStyle;
    if (kc->edgeWithBorder && (style & WS_BORDER)) exStyle |= WS_EX_CLIENTEDGE;

    if (dialog) {
        const int32_t isDefault = (CanBeDefault(kind) && (style & BS_DEFPUSHBUTTON)) ? 1 : 0;
        return AddDialogItem(*record.dialogInfo, kc->className, text, fullStyle, exStyle, x, y,
                             width, height, id, kind, isDefault);
    }

    HWND control = CreateWindowExA(
        exStyle, kc->className, text ? text : "", fullStyle, Scaled(record, x), Scaled(record, y),
        Scaled(record, width), Scaled(record, height), record.hwnd,
        reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), GetModuleHandleA(nullptr), nullptr);
    if (!control) return 0;
    AttachControl(control, kind);
    if (kind == kStatusBar && record.mdiClient) LayoutMdiFrame(record);
    return 1;
}

int32_t SetControlColor(Window& record, int32_t id, COLORREF textColour, COLORREF backColour) {
    HWND control = FindControl(record, id);
    if (!control) return 0;
    SetPropValue(control, kPropFgrnd, textColour);
    SetPropValue(control, kPropBgrnd, backColour);
    // The control keeps answering with a valid brush until the new one is stored.
    HBRUSH brush = CreateSolidBrush(backColour);
    HANDLE old = GetPropA(control, kPropBbrush);
    SetPropA(control, kPropBbrush, brush);
    if (old) DeleteObject(old);
    InvalidateRect(control, nullptr, TRUE);
    return 0;
}

int32_t SetWindowIcon(Window& record, HICON icon) {
    if (!record.hwnd) return 0;
    SetClassLongPtrA(record.hwnd, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
    // A window already on the screen keeps showing the old icon until its frame is drawn.
    RedrawWindow(record.hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
    return 0;
}

COLORREF Rgb(int32_t red, int32_t green, int32_t blue) {
    return static_cast<uint32_t>(red) | static_cast<uint32_t>(green) << 8 |
           static_cast<uint32_t>(blue) << 16;
}

int32_t SetFocus(Window& record, int32_t id) {
    if (!record.hwnd) return 0;
    HWND target = id ? FindControl(record, id) : record.hwnd;
    if (target) ::SetFocus(target);
    return 0;
}

int32_t ShowControl(Window& record, int32_t showCommand, int32_t id) {
    if (!record.hwnd) return 0;
    HWND target = id ? FindControl(record, id) : record.hwnd;
    if (target) ShowWindow(target, showCommand);
    return 0;
}

int32_t SetButtonState(Window& record, int32_t id, int32_t state) {
    HWND control = FindControl(record, id);
    if (control && HasClassName(control, "BUTTON")) {
        SendMessageA(control, BM_SETCHECK, static_cast<WPARAM>(state), 0);
    }
    return 0;
}

int32_t GetButtonState(Window& record, int32_t id) {
    HWND control = FindControl(record, id);
    if (!control || !HasClassName(control, "BUTTON")) return -1;
    return static_cast<int32_t>(SendMessageA(control, BM_GETCHECK, 0, 0));
}

int32_t AddString(Window& record, int32_t id, const char* text) {
    HWND control = FindControl(record, id);
    if (!control) return 0;
    const LPARAM string = reinterpret_cast<LPARAM>(text ? text : "");
    if (HasClassName(control, "LISTBOX")) {
        SendMessageA(control, LB_ADDSTRING, 0, string);
    } else if (HasClassName(control, "COMBOBOX")) {
        SendMessageA(control, CB_ADDSTRING, 0, string);
    }
    return 0;
}

int32_t SetControlRedraw(Window& record, int32_t id, int32_t redraw) {
    HWND control = FindControl(record, id);
    if (!control) return 0;
    SendMessageA(control, WM_SETREDRAW, redraw ? TRUE : FALSE, 0);
    // The client area only: a list or combo box brings its own scroll bars up to date when
    // drawing resumes; repainting its frame as well drew them a second time, and themed
    // scroll bars are slow to draw.
    if (redraw) RedrawWindow(control, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE);
    return 0;
}

}  // namespace tk
