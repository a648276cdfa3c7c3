// Attaching controls: their colour properties and the four subclass procedures that
// answer colour requests, draw push buttons, make statics transparent and free each
// control's brush, font and image when it is destroyed.
#include <ole2.h>
#include <richedit.h>
#include <richole.h>

#include <cstring>

#include "runtime/strings.h"
#include "toolkit/controls.h"
#include "toolkit/controls_private.h"
#include "toolkit/display_scale.h"
#include "toolkit/drawing.h"

namespace tk {

namespace {

// ---- Shared pieces of the procedures ---------------------------------------------

// True while every control attached so far was subclassed straight from its class's
// procedure, as AttachControl checks. The procedures pass most messages on, and under
// Wine each property read is a round trip to the window server; the class's procedure
// is read inside the process. "LPFN" keeps the procedure all the same, and WM_DESTROY
// puts back the one it holds.
bool g_previousIsClassProc = true;

WNDPROC PreviousProcedure(HWND hwnd) {
    if (g_previousIsClassProc) {
        return reinterpret_cast<WNDPROC>(GetClassLongPtrA(hwnd, GCLP_WNDPROC));
    }
    return reinterpret_cast<WNDPROC>(GetPropA(hwnd, kPropLpfn));
}

LRESULT CallPrevious(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC previous = PreviousProcedure(hwnd);
    return previous ? CallWindowProcA(previous, hwnd, message, wParam, lParam) : 0;
}

// Puts the class's procedure back and hands it the message (WM_DESTROY).
LRESULT RestoreAndPass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto previous = reinterpret_cast<WNDPROC>(RemovePropA(hwnd, kPropLpfn));
    if (!previous) return 0;
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    return CallWindowProcA(previous, hwnd, message, wParam, lParam);
}

LONG StyleOf(HWND hwnd) { return GetWindowLongA(hwnd, GWL_STYLE); }

void DeleteOwnedObject(HANDLE object) {
    if (object) DeleteObject(object);
}

// Only the font SetFont made is ours: a control may hold a font that it made itself
// (a list view's, tree view's or status bar's default) or that its dialog gave it and
// frees, so any other WM_GETFONT answer is never deleted.
void DeleteControlFont(HWND hwnd) { DeleteToolkitFont(ToolkitFontOf(hwnd)); }

// The brush, the colours and the key notifications; the brush belongs to the control.
void RemoveCommonProperties(HWND hwnd) {
    DeleteAccessibleName(hwnd);
    DeleteOwnedObject(RemovePropA(hwnd, kPropBbrush));
    RemovePropA(hwnd, kPropBgrnd);
    RemovePropA(hwnd, kPropFgrnd);
    RemovePropA(hwnd, kPropNotifyTab);
    RemovePropA(hwnd, kPropNotifyEnter);
}

// Text and background colour from the control's properties; its brush is the answer.
LRESULT AnswerColour(HWND hwnd, HDC dc) {
    SetTextColor(dc, PropColour(hwnd, kPropFgrnd));
    SetBkColor(dc, PropColour(hwnd, kPropBgrnd));
    return reinterpret_cast<LRESULT>(GetPropA(hwnd, kPropBbrush));
}

// Tab and Enter reported to the parent as WM_COMMAND with notification 0x0A01 / 0x0A00.
bool NotifyKey(HWND hwnd, WPARAM key) {
    WORD code;
    if (key == VK_TAB && GetPropA(hwnd, kPropNotifyTab)) {
        code = 0x0A01;
    } else if (key == VK_RETURN && GetPropA(hwnd, kPropNotifyEnter)) {
        code = 0x0A00;
    } else {
        return false;
    }
    const WORD id = static_cast<WORD>(GetDlgCtrlID(hwnd));
    SendMessageA(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(hwnd));
    return true;
}

// Replaces the image of a BS_BITMAP button or SS_BITMAP static by the bitmap its new
// text names.
void ReplaceNamedImage(HWND hwnd, UINT getImage, UINT setImage, const char* text) {
    DeleteOwnedObject(reinterpret_cast<HANDLE>(SendMessageA(hwnd, getImage, IMAGE_BITMAP, 0)));
    HBITMAP bitmap = LoadNamedBitmap(text);
    SendMessageA(hwnd, setImage, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    // A control of another type refuses the bitmap; it would otherwise be lost.
    if (bitmap &&
        reinterpret_cast<HBITMAP>(SendMessageA(hwnd, getImage, IMAGE_BITMAP, 0)) != bitmap) {
        DeleteObject(bitmap);
    }
}

// width nested one-pixel rectangles, inwards from r.
void DrawHollowRect(HDC dc, RECT r, int width = 1) {
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    for (int i = 0; i < width; ++i, InflateRect(&r, -1, -1)) {
        Rectangle(dc, r.left, r.top, r.right, r.bottom);
    }
    SelectObject(dc, oldBrush);
}

// An opaque ExtTextOutA without text fills the rectangle in the colour.
void FillSolid(HDC dc, const RECT& r, COLORREF colour) {
    const COLORREF old = SetBkColor(dc, colour);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    SetBkColor(dc, old);
}

// ---- Push buttons ------------------------------------------------------------------

// DC_HASDEFID is required too: a toolkit window answers DM_GETDEFID with 0, which would
// otherwise make a button with id 0 the default.
bool IsParentsDefault(HWND hwnd, UINT id) {
    const LRESULT answer = SendMessageA(GetParent(hwnd), DM_GETDEFID, 0, 0);
    return HIWORD(answer) == DC_HASDEFID && LOWORD(answer) == static_cast<WORD>(id);
}

// Embossed grey text, centred by its extent and one pixel higher.
void DrawDisabledText(HDC dc, const RECT& r, const char* text, int length) {
    SIZE extent = {};
    GetTextExtentPoint32A(dc, text, length, &extent);
    const int x = (r.left + r.right) / 2 - extent.cx / 2;
    const int y = (r.top + r.bottom) / 2 - extent.cy / 2 - 1;
    DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(text), length, x, y, 0, 0,
               DST_TEXT | DSS_DISABLED);
}

void DrawButtonText(HWND hwnd, HDC dc, RECT textRect, UINT state, bool multiline) {
    char text[255] = {};
    const int length = GetWindowTextA(hwnd, text, sizeof text);
    if (length <= 0) return;

    const int oldMode = SetBkMode(dc, TRANSPARENT);
    UINT format = DT_CENTER | DT_VCENTER;
    if (multiline) {
        RECT measured = textRect;
        DrawTextA(dc, text, length, &measured, format | DT_CALCRECT | DT_WORDBREAK);
        textRect.top += (textRect.bottom - textRect.top) / 2 - (measured.bottom - measured.top) / 2;
        format |= DT_WORDBREAK;
    } else {
        format |= DT_SINGLELINE;
    }
    const bool disabled = (state & ODS_DISABLED) != 0;
    const COLORREF oldColour =
        SetTextColor(dc, disabled ? GetSysColor(COLOR_GRAYTEXT) : PropColour(hwnd, kPropFgrnd));
    if (disabled && !multiline) {
        DrawDisabledText(dc, textRect, text, length);
    } else {
        DrawTextA(dc, text, length, &textRect, format);
    }
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldColour);
}

// The ring around a focused or default button, in the button's text colour: the pen
// the DC happens to hold is black, which does not show on a black page.
void DrawRing(HDC dc, const RECT& r, int width, COLORREF colour) {
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ old = SelectObject(dc, pen);
    DrawHollowRect(dc, r, width);
    SelectObject(dc, old);
    DeleteObject(pen);
}

void DrawPushButton(HWND hwnd, const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    UINT state = item.itemState;
    if (IsParentsDefault(hwnd, item.CtlID)) state |= ODS_DEFAULT;
    const LONG style = StyleOf(hwnd);
    const bool multiline = (style & BS_MULTILINE) != 0;
    const bool selected = (state & ODS_SELECTED) != 0;
    // The focus shows as the platform shows its focus cues: not while they are hidden
    // (a window the mouse has worked so far).
    const bool focusShown = (state & ODS_FOCUS) && !(state & ODS_NOFOCUSRECT);
    const bool ring = focusShown || (state & ODS_DEFAULT);
    const int ringWidth = ScaledLineWidth(hwnd, 1);

    RECT frame = item.rcItem;
    RECT text = item.rcItem;
    if (multiline) {
        InflateRect(&text, -2 * GetSystemMetrics(SM_CXEDGE), -2 * GetSystemMetrics(SM_CYEDGE));
    }
    if (selected) OffsetRect(&text, 1, 1);
    if (ring) InflateRect(&frame, -ringWidth, -ringWidth);

    if (style & BS_FLAT) {
        DrawHollowRect(dc, frame);
        InflateRect(&frame, -1, -1);
    } else {
        DrawFrameControl(dc, &frame, DFC_BUTTON,
                         DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (selected ? DFCS_PUSHED : 0));
    }
    FillSolid(dc, frame, PropColour(hwnd, kPropBgrnd));
    if (ring) DrawRing(dc, item.rcItem, ringWidth, PropColour(hwnd, kPropFgrnd));
    DrawButtonText(hwnd, dc, text, state, multiline);
}

void DestroyImagedControl(HWND hwnd, UINT getImage) {
    DeleteControlFont(hwnd);
    DeleteOwnedObject(reinterpret_cast<HANDLE>(SendMessageA(hwnd, getImage, IMAGE_BITMAP, 0)));
    RemoveCommonProperties(hwnd);
}

// ---- Statics -------------------------------------------------------------------------

bool IsTransparentStatic(HWND hwnd) { return (StyleOf(hwnd) & kTransparentStatic) != 0; }

bool IsBitmapStatic(HWND hwnd) { return (StyleOf(hwnd) & SS_BITMAP) == SS_BITMAP; }

// Copies the parent's picture behind the static into the static's erase DC.
void CopyParentPicture(HWND hwnd, HDC target) {
    HWND parent = GetParent(hwnd);
    Window* record = RecordOf(parent);
    if (!record) return;
    RECT r;
    GetWindowRect(hwnd, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    HDC source = BeginDraw(*record);
    if (source) {
        BitBlt(target, 0, 0, r.right - r.left, r.bottom - r.top, source, r.left, r.top, SRCCOPY);
    }
    EndDraw(*record, source, true);
}

LRESULT AnswerStaticColour(HWND hwnd, HDC dc) {
    SetTextColor(dc, PropColour(hwnd, kPropFgrnd));
    if (IsTransparentStatic(hwnd)) {
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    }
    SetBkColor(dc, PropColour(hwnd, kPropBgrnd));
    return reinterpret_cast<LRESULT>(GetPropA(hwnd, kPropBbrush));
}

// ---- Hot-tracking bitmap button --------------------------------------------------------
// Its face is drawn in "HBRUSH" (or "HTCLR") while the mouse is over it and "DOHOT" is
// set, with "HOTBMP", "SELBMP" or "NORBMP" centred on it and a border of "BORDERWIDTH"
// pixels in the text colour. Every handle in its properties belongs to the control.

HWND g_hotButton = nullptr;  // the button under the mouse, at most one

// Asks for WM_MOUSELEAVE unless that is asked for already. The platform drops the request
// when it still places the pointer elsewhere (a move on its way from the display), and
// the button would stay hot, so every move over the button renews it.
void TrackLeave(HWND hwnd) {
    TRACKMOUSEEVENT query = {sizeof query, TME_QUERY, nullptr, 0};
    if (TrackMouseEvent(&query) && query.hwndTrack == hwnd && (query.dwFlags & TME_LEAVE)) return;
    TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, hwnd, 0};
    TrackMouseEvent(&track);
}

void DrawCentredBitmap(HDC dc, const RECT& r, HBITMAP bitmap) {
    BITMAP info;
    if (!GetObjectA(bitmap, sizeof info, &info)) return;
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const int x = (r.left + r.right - info.bmWidth) / 2;
    const int y = (r.top + r.bottom - info.bmHeight) / 2;
    BitBlt(dc, x, y, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

void DrawBorder(HDC dc, RECT r, int width, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    for (int i = 0; i < width; ++i) {
        FrameRect(dc, &r, brush);
        InflateRect(&r, -1, -1);
    }
    DeleteObject(brush);
}

void DrawHotButton(HWND hwnd, const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    const bool hot = g_hotButton == hwnd && GetPropA(hwnd, kPropDoHot);
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    RECT r = item.rcItem;

    auto hotBrush = static_cast<HBRUSH>(GetPropA(hwnd, kPropHotBrush));
    if (hot && hotBrush) {
        FillRect(dc, &r, hotBrush);
    } else {
        FillSolid(dc, r, PropColour(hwnd, hot ? kPropHotColour : kPropBgrnd));
    }
    auto bitmap = static_cast<HBITMAP>(GetPropA(hwnd, kPropNormalBitmap));
    if (selected && GetPropA(hwnd, kPropSelectedBitmap)) {
        bitmap = static_cast<HBITMAP>(GetPropA(hwnd, kPropSelectedBitmap));
    } else if (hot && GetPropA(hwnd, kPropHotBitmap)) {
        bitmap = static_cast<HBITMAP>(GetPropA(hwnd, kPropHotBitmap));
    }
    RECT inner = r;
    if (selected) OffsetRect(&inner, 1, 1);
    if (bitmap) {
        DrawCentredBitmap(dc, inner, bitmap);
    } else {
        DrawButtonText(hwnd, dc, inner, item.itemState, false);
    }
    if (hot || selected || (item.itemState & ODS_FOCUS)) {
        const auto width =
            static_cast<int>(reinterpret_cast<uintptr_t>(GetPropA(hwnd, kPropBorderWidth)));
        DrawBorder(dc, r, ScaledLineWidth(hwnd, width), PropColour(hwnd, kPropFgrnd));
    }
}

void DestroyHotButton(HWND hwnd) {
    if (g_hotButton == hwnd) g_hotButton = nullptr;
    DeleteControlFont(hwnd);
    HANDLE normal = RemovePropA(hwnd, kPropNormalBitmap);
    HANDLE hotBitmap = RemovePropA(hwnd, kPropHotBitmap);
    HANDLE selectedBitmap = RemovePropA(hwnd, kPropSelectedBitmap);
    DeleteOwnedObject(normal);
    if (hotBitmap != normal) DeleteOwnedObject(hotBitmap);
    if (selectedBitmap != normal && selectedBitmap != hotBitmap) DeleteOwnedObject(selectedBitmap);
    DeleteOwnedObject(RemovePropA(hwnd, kPropHotBrush));
    RemovePropA(hwnd, kPropHotColour);
    RemovePropA(hwnd, kPropBorderWidth);
    RemovePropA(hwnd, kPropDoHot);
    RemoveCommonProperties(hwnd);
}

// ---- The four procedures ---------------------------------------------------------------

LRESULT CALLBACK CommonControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
            DeleteControlFont(hwnd);
            RemoveCommonProperties(hwnd);
            return RestoreAndPass(hwnd, message, wParam, lParam);
        case WM_CTLCOLOR:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
            return AnswerColour(hwnd, reinterpret_cast<HDC>(wParam));
        case WM_CHAR:
            if (NotifyKey(hwnd, wParam)) return 1;
            break;
        case WM_GETOBJECT:
            if (const LRESULT named = AnswerNamedObject(hwnd, wParam, lParam)) return named;
            break;
        default:
            break;
    }
    return CallPrevious(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK PushButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETTEXT:
            if (StyleOf(hwnd) & BS_BITMAP) {
                ReplaceNamedImage(hwnd, BM_GETIMAGE, BM_SETIMAGE,
                                  reinterpret_cast<const char*>(lParam));
            }
            break;
        case WM_DESTROY:
            DestroyImagedControl(hwnd, BM_GETIMAGE);
            return RestoreAndPass(hwnd, message, wParam, lParam);
        case WM_CTLCOLOR:
            return AnswerColour(hwnd, reinterpret_cast<HDC>(wParam));
        case WM_DRAWITEM:
            if (lParam) DrawPushButton(hwnd, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            break;
        default:
            break;
    }
    return CallPrevious(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETTEXT:
            if (IsBitmapStatic(hwnd)) {
                ReplaceNamedImage(hwnd, STM_GETIMAGE, STM_SETIMAGE,
                                  reinterpret_cast<const char*>(lParam));
                if (IsTransparentStatic(hwnd)) InvalidateRect(hwnd, nullptr, TRUE);
            }
            break;
        case WM_DESTROY:
            DestroyImagedControl(hwnd, STM_GETIMAGE);
            return RestoreAndPass(hwnd, message, wParam, lParam);
        case WM_ERASEBKGND:
            if (IsTransparentStatic(hwnd)) CopyParentPicture(hwnd, reinterpret_cast<HDC>(wParam));
            break;
        case WM_CTLCOLOR:
            return AnswerStaticColour(hwnd, reinterpret_cast<HDC>(wParam));
        default:
            break;
    }
    return CallPrevious(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK HotButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEMOVE:
            if (!GetPropA(hwnd, kPropDoHot)) break;
            if (g_hotButton != hwnd) {
                if (g_hotButton) InvalidateRect(g_hotButton, nullptr, FALSE);
                g_hotButton = hwnd;
                InvalidateRect(hwnd, nullptr, FALSE);
            }
            TrackLeave(hwnd);
            break;
        case WM_MOUSELEAVE:
            if (g_hotButton == hwnd) {
                g_hotButton = nullptr;
                InvalidateRect(hwnd, nullptr, FALSE);
            }
            break;
        case WM_DESTROY:
            DestroyHotButton(hwnd);
            return RestoreAndPass(hwnd, message, wParam, lParam);
        case WM_CTLCOLOR:
            return AnswerColour(hwnd, reinterpret_cast<HDC>(wParam));
        case WM_DRAWITEM:
            if (lParam) DrawHotButton(hwnd, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            break;
        default:
            break;
    }
    return CallPrevious(hwnd, message, wParam, lParam);
}

// ---- The rich-edit OLE callback ----------------------------------------------------------
// Lets the rich edit hold embedded objects in memory storage; everything else is left
// to the control's defaults.

constexpr IID kIidRichEditOleCallback = {0x00020D03, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

class RichEditCallback final : public IRichEditOleCallback {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, kIidRichEditOleCallback)) {
            *object = static_cast<IRichEditOleCallback*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    STDMETHODIMP GetNewStorage(LPSTORAGE* storage) override {
        if (!storage) return E_INVALIDARG;
        *storage = nullptr;
        ILockBytes* bytes = nullptr;
        HRESULT hr = CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes);
        if (FAILED(hr)) return hr;
        hr = StgCreateDocfileOnILockBytes(
            bytes, STGM_SHARE_EXCLUSIVE | STGM_CREATE | STGM_READWRITE, 0, storage);
        bytes->Release();
        return hr;
    }
    STDMETHODIMP GetInPlaceContext(LPOLEINPLACEFRAME*, LPOLEINPLACEUIWINDOW*,
                                   LPOLEINPLACEFRAMEINFO) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP ShowContainerUI(WINBOOL) override { return E_NOTIMPL; }
    STDMETHODIMP QueryInsertObject(LPCLSID, LPSTORAGE, LONG) override { return S_OK; }
    STDMETHODIMP DeleteObject(LPOLEOBJECT) override { return S_OK; }
    STDMETHODIMP QueryAcceptData(LPDATAOBJECT, CLIPFORMAT*, DWORD, WINBOOL, HGLOBAL) override {
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(WINBOOL) override { return S_OK; }
    // E_NOTIMPL: the control puts its own data on the clipboard.
    STDMETHODIMP GetClipboardData(CHARRANGE*, DWORD, LPDATAOBJECT* data) override {
        if (data) *data = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetDragDropEffect(WINBOOL, DWORD, LPDWORD) override { return S_OK; }
    STDMETHODIMP GetContextMenu(WORD, LPOLEOBJECT, CHARRANGE*, HMENU* menu) override {
        if (menu) *menu = nullptr;
        return E_NOTIMPL;
    }

    // On the process heap: the C++ library's allocation operators would bring its whole
    // exception machinery into a program that has no exceptions.
    static void* operator new(size_t size) noexcept { return HeapAlloc(GetProcessHeap(), 0, size); }
    static void operator delete(void* block) noexcept { HeapFree(GetProcessHeap(), 0, block); }

private:
    ~RichEditCallback() = default;
    LONG refs_ = 1;
};

// The control keeps its own reference; ours is dropped at once.
void GiveOleCallback(HWND control) {
    auto* callback = new RichEditCallback;
    if (!callback) return;
    SendMessageA(control, EM_SETOLECALLBACK, 0, reinterpret_cast<LPARAM>(callback));
    callback->Release();
}

// ---- Attaching -----------------------------------------------------------------------------

int BackgroundColourIndex(int32_t kind) {
    switch (kind) {
        case kPushButton:
        case kCheckBox:
        case kRadioButton:
        case kStaticText:
        case kGroupBox:
        case kPlainPushButton:
        case kHotButton:
            return COLOR_BTNFACE;
        case kScrollBar:
            return COLOR_SCROLLBAR;
        default:
            return COLOR_WINDOW;
    }
}

WNDPROC ProcedureOfKind(int32_t kind) {
    switch (kind) {
        case kPushButton:
            return PushButtonProc;
        case kStaticText:
            return StaticProc;
        case kHotButton:
            return HotButtonProc;
        default:
            return CommonControlProc;
    }
}

}  // namespace

HBITMAP LoadNamedBitmap(const char* text) {
    if (!text || !*text) return nullptr;
    constexpr UINT kFlags = LR_CREATEDIBSECTION;
    if (std::strchr(text, ':')) {
        return static_cast<HBITMAP>(
            LoadImageA(nullptr, text, IMAGE_BITMAP, 0, 0, kFlags | LR_LOADFROMFILE));
    }
    HINSTANCE module = GetModuleHandleA(nullptr);
    const double value = rt::Val(text);
    if (value >= 0.5) {
        // Resource numbers are 16-bit; a larger number would be taken for a name pointer.
        if (value >= 65535.5) return nullptr;
        const auto number = static_cast<WORD>(value + 0.5);
        return static_cast<HBITMAP>(
            LoadImageA(module, MAKEINTRESOURCEA(number), IMAGE_BITMAP, 0, 0, kFlags));
    }
    return static_cast<HBITMAP>(LoadImageA(module, text, IMAGE_BITMAP, 0, 0, kFlags));
}

int32_t AttachControl(HWND control, int32_t kind) {
    if (!control) return 0;
    const int index = BackgroundColourIndex(kind);
    SetPropValue(control, kPropFgrnd, GetSysColor(COLOR_BTNTEXT));
    SetPropValue(control, kPropBgrnd, GetSysColor(index));
    if (kind != kScrollBar) SetPropA(control, kPropBbrush, CreateSolidBrush(GetSysColor(index)));
    if (kind == kHotButton) {
        SetPropValue(control, kPropHotColour, GetSysColor(index));
        SetPropValue(control, kPropBorderWidth, 1);
    }
    if (kind == kRichEdit) GiveOleCallback(control);
    const LONG_PTR previous =
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ProcedureOfKind(kind)));
    SetPropA(control, kPropLpfn, reinterpret_cast<HANDLE>(previous));
    if (static_cast<ULONG_PTR>(previous) != GetClassLongPtrA(control, GCLP_WNDPROC)) {
        g_previousIsClassProc = false;
    }
    return 1;
}

}  // namespace tk
