// Dialogs whose template is built in memory: the dialog class, the template records,
// the template in wide strings, the dialog procedure and the process-wide dialog list.
#include <cstring>

#include "toolkit/controls.h"
#include "toolkit/controls_private.h"
#include "toolkit/message_box.h"
#include "toolkit/toolkit_state.h"

namespace tk {

namespace {

constexpr char kDialogClassName[] = "TessaroDlgClass";
constexpr char kDialogFontFace[] = "MS Sans Serif";
constexpr WORD kDialogFontPoints = 8;
constexpr WORD kDialogFontWeight = 400;
constexpr WORD kSystemDialogAtom = 0x8002;

struct DialogListEntry {
    DialogListEntry* next;
    DialogInfo* dialog;
};
DialogListEntry* g_firstDialog = nullptr;
DialogListEntry* g_lastDialog = nullptr;

// The record of the dialog being created, until its WM_INITDIALOG.
Window* g_dialogUnderConstruction = nullptr;

// ---- Records on the process heap ------------------------------------------------------

template <class T>
T* NewRecord() {
    return static_cast<T*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(T)));
}

void FreeRecord(void* block) {
    if (block) HeapFree(GetProcessHeap(), 0, block);
}

char* CopyText(const char* text) {
    if (!text) text = "";
    const size_t n = std::strlen(text) + 1;
    auto* copy = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, n));
    if (copy) std::memcpy(copy, text, n);
    return copy;
}

void FreeDialogInfo(DialogInfo* dialog) {
    for (DialogItem* item = dialog->firstItem; item;) {
        DialogItem* next = item->next;
        FreeRecord(item->className);
        FreeRecord(item->text);
        FreeRecord(item);
        item = next;
    }
    FreeRecord(dialog->title);
    FreeRecord(dialog);
}

// ---- Class and units -------------------------------------------------------------------

// A private copy of the system dialog class, so that the pump recognises our dialogs.
bool RegisterDialogClass() {
    if (g_dlgClassAtom) return true;
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExA(nullptr, MAKEINTATOM(kSystemDialogAtom), &wc)) return false;
    wc.cbSize = sizeof wc;
    wc.style &= ~CS_GLOBALCLASS;
    wc.lpfnWndProc = DefDlgProcA;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = nullptr;
    wc.hIconSm = nullptr;
    wc.hCursor = nullptr;
    wc.lpszClassName = kDialogClassName;
    g_dlgClassAtom = RegisterClassExA(&wc);
    return g_dlgClassAtom != 0;
}

// Average character width + 1 and character height of the template's font.
void MeasureBaseUnits(DialogInfo& dialog) {
    HDC screen = GetDC(nullptr);
    LOGFONTA description = {};
    description.lfHeight = -MulDiv(kDialogFontPoints, GetDeviceCaps(screen, LOGPIXELSY), 72);
    description.lfWeight = kDialogFontWeight;
    lstrcpynA(description.lfFaceName, kDialogFontFace, LF_FACESIZE);
    HFONT font = CreateFontIndirectA(&description);
    HGDIOBJ old = SelectObject(screen, font);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(screen, &metrics);
    SelectObject(screen, old);
    DeleteObject(font);
    ReleaseDC(nullptr, screen);
    dialog.baseWidth = metrics.tmAveCharWidth > 0 ? metrics.tmAveCharWidth + 1 : 1;
    dialog.baseHeight = metrics.tmHeight > 0 ? metrics.tmHeight : 1;
}

int16_t HorizontalUnits(const DialogInfo& dialog, int32_t pixels) {
    return static_cast<int16_t>(MulDiv(pixels, 4, dialog.baseWidth));
}
int16_t VerticalUnits(const DialogInfo& dialog, int32_t pixels) {
    return static_cast<int16_t>(MulDiv(pixels, 8, dialog.baseHeight));
}

// ---- The template (DLGTEMPLATEEX and DLGITEMTEMPLATEEX) ----------------------------------

// Writes the template into a block, or only measures it when the block is null.
class TemplateWriter {
public:
    explicit TemplateWriter(BYTE* block) : block_(block) {}
    size_t size() const { return pos_; }

    void Word(WORD v) { Put(&v, sizeof v); }
    void Dword(DWORD v) { Put(&v, sizeof v); }
    void Short(int16_t v) { Put(&v, sizeof v); }
    void Byte(BYTE v) { Put(&v, sizeof v); }
    void Align4() {
        while (pos_ % 4) Byte(0);
    }
    // The text as a zero-terminated wide string of the ANSI code page.
    void Wide(const char* text) {
        const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
        if (n <= 0) {
            Word(0);
            return;
        }
        if (block_) {
            MultiByteToWideChar(CP_ACP, 0, text, -1, reinterpret_cast<WCHAR*>(block_ + pos_), n);
        }
        pos_ += static_cast<size_t>(n) * sizeof(WCHAR);
    }

private:
    void Put(const void* v, size_t n) {
        if (block_) std::memcpy(block_ + pos_, v, n);
        pos_ += n;
    }
    BYTE* block_;
    size_t pos_ = 0;
};

void WriteHeader(TemplateWriter& out, const DialogInfo& dialog) {
    out.Word(1);       // dlgVer
    out.Word(0xFFFF);  // signature: extended template
    out.Dword(0);      // help id
    out.Dword(0);      // extended style
    out.Dword(dialog.style);
    out.Word(static_cast<WORD>(dialog.itemCount));
    out.Short(dialog.x);
    out.Short(dialog.y);
    out.Short(dialog.cx);
    out.Short(dialog.cy);
    out.Word(0);  // no menu
    out.Wide(kDialogClassName);
    out.Wide(dialog.title ? dialog.title : "");
    out.Word(kDialogFontPoints);
    out.Word(kDialogFontWeight);
    out.Byte(0);  // not italic
    out.Byte(DEFAULT_CHARSET);
    out.Wide(kDialogFontFace);
}

void WriteItem(TemplateWriter& out, const DialogItem& item) {
    out.Align4();
    out.Dword(0);  // help id
    out.Dword(item.exStyle);
    out.Dword(item.style);
    out.Short(item.x);
    out.Short(item.y);
    out.Short(item.cx);
    out.Short(item.cy);
    out.Dword(static_cast<DWORD>(item.id));
    out.Wide(item.className);
    out.Wide(item.text);
    out.Word(0);  // no creation data
}

size_t WriteTemplate(BYTE* block, const DialogInfo& dialog) {
    TemplateWriter out(block);
    WriteHeader(out, dialog);
    for (const DialogItem* item = dialog.firstItem; item; item = item->next) WriteItem(out, *item);
    return out.size();
}

// ---- The dialog procedure ---------------------------------------------------------------

// A handled message's result goes to the dialog manager through DWLP_MSGRESULT.
INT_PTR Answer(HWND hwnd, LRESULT result) {
    if (!result) return FALSE;
    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR InitDialog(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    Window* record = g_dialogUnderConstruction;
    g_dialogUnderConstruction = nullptr;
    if (!record) return TRUE;
    SetPropA(hwnd, kPropDialogRecord, record);
    record->hwnd = hwnd;
    const DialogInfo* dialog = record->dialogInfo;
    for (const DialogItem* item = dialog->firstItem; item; item = item->next) {
        AttachControl(GetDlgItem(hwnd, item->id), item->kind);
    }
    for (const DialogItem* item = dialog->firstItem; item; item = item->next) {
        if (item->isDefault) SendMessageA(hwnd, DM_SETDEFID, static_cast<WPARAM>(item->id), 0);
    }
    // A handler that handled the event has placed the focus itself.
    return DeliverEvent(record, WM_INITDIALOG, wParam, lParam) ? FALSE : TRUE;
}

// The drawing operations leave their pen and font copies in the record; CloseWindow,
// which frees a window's handler table, does not close dialogs.
void FinishDialog(HWND hwnd, Window& record) {
    FreeHandlerTable(hwnd);
    RemovePropA(hwnd, kPropDialogRecord);
    record.hwnd = nullptr;
    ReleaseDrawingObjects(record);
}

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return InitDialog(hwnd, wParam, lParam);
    auto* record = static_cast<Window*>(GetPropA(hwnd, kPropDialogRecord));
    if (!record) return FALSE;
    switch (message) {
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_DRAWITEM: {
            LRESULT reflected = 0;
            if (!ReflectToControl(message, wParam, lParam, &reflected)) return FALSE;
            // Colour answers are returned directly, not through DWLP_MSGRESULT.
            return message == WM_DRAWITEM ? TRUE : static_cast<INT_PTR>(reflected);
        }
        case WM_SIZE:
        case WM_SIZING:
            DeliverEvent(record, EV_RESIZE, wParam, lParam);
            return Answer(hwnd, DeliverEvent(record, message, wParam, lParam));
        case WM_CLOSE:
            if (record->dialogInfo && record->dialogInfo->modal) EndDialog(hwnd, 2);
            DeliverEvent(record, WM_CLOSE, wParam, lParam);
            return TRUE;  // the handler decides; the dialog manager adds nothing
        case WM_DESTROY:
            DeliverEvent(record, WM_DESTROY, wParam, lParam);
            FinishDialog(hwnd, *record);
            return FALSE;
        default:
            return Answer(hwnd, DeliverEvent(record, message, wParam, lParam));
    }
}

// Creates the dialog from a template in one global memory block.
int32_t RunTemplate(Window& record, DialogInfo& dialog, bool modal) {
    const size_t size = WriteTemplate(nullptr, dialog);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!block) return modal ? -1 : 0;
    auto* bytes = static_cast<BYTE*>(GlobalLock(block));
    if (!bytes) {
        GlobalFree(block);
        return modal ? -1 : 0;
    }
    WriteTemplate(bytes, dialog);
    const auto* dialogTemplate = reinterpret_cast<LPCDLGTEMPLATEA>(bytes);
    HWND owner = dialog.owner ? dialog.owner->hwnd : nullptr;
    HINSTANCE module = GetModuleHandleA(nullptr);
    dialog.modal = modal ? 1 : 0;
    g_dialogUnderConstruction = &record;

    int32_t result;
    if (modal) {
        result = static_cast<int32_t>(
            DialogBoxIndirectParamA(module, dialogTemplate, owner, DialogProc, 0));
    } else {
        HWND hwnd = CreateDialogIndirectParamA(module, dialogTemplate, owner, DialogProc, 0);
        // Shown only without the hidden flag 0x800, which would otherwise mean nothing.
        if (hwnd && (dialog.style & WS_VISIBLE)) ShowWindow(hwnd, SW_SHOW);
        result = hwnd ? 1 : 0;
    }
    g_dialogUnderConstruction = nullptr;
    GlobalUnlock(block);
    GlobalFree(block);
    return result;
}

}  // namespace

int32_t OpenDialog(Window& record, int32_t x, int32_t y, int32_t width, int32_t height,
                   uint32_t flags, Window* owner, const char* title, HandlerRoutine handler) {
    if (record.hwnd || !RegisterDialogClass()) return 0;
    auto* dialog = NewRecord<DialogInfo>();
    auto* entry = NewRecord<DialogListEntry>();
    if (dialog) dialog->title = CopyText(title);
    if (!dialog || !entry || !dialog->title) {
        if (dialog) FreeDialogInfo(dialog);
        FreeRecord(entry);
        return 0;
    }
    const uint32_t visible = (flags & kDialogHidden) ? 0 : WS_VISIBLE;
    dialog->style = (flags & ~kDialogHidden) | visible | WS_POPUP | DS_MODALFRAME | DS_SETFONT;
    dialog->owner = owner;
    MeasureBaseUnits(*dialog);
    dialog->x = HorizontalUnits(*dialog, x);
    dialog->y = VerticalUnits(*dialog, y);
    dialog->cx = HorizontalUnits(*dialog, width);
    dialog->cy = VerticalUnits(*dialog, height);

    entry->dialog = dialog;
    if (g_lastDialog) {
        g_lastDialog->next = entry;
    } else {
        g_firstDialog = entry;
    }
    g_lastDialog = entry;

    record = Window{};
    record.isDialog = 1;
    record.dialogKeys = 1;
    record.cursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    record.penWidth = 1;
    record.handler = handler;
    record.dialogInfo = dialog;
    return 1;
}

int32_t AddDialogItem(DialogInfo& dialog, const char* className, const char* text, uint32_t style,
                      uint32_t exStyle, int32_t x, int32_t y, int32_t width, int32_t height,
                      int32_t id, int32_t kind, int32_t isDefault) {
    for (const DialogItem* item = dialog.firstItem; item; item = item->next) {
        if (item->id == id) return 0;
    }
    auto* item = NewRecord<DialogItem>();
    if (!item) return 0;
    item->className = CopyText(className);
    item->text = CopyText(text);
    if (!item->className || !item->text) {
        FreeRecord(item->className);
        FreeRecord(item->text);
        FreeRecord(item);
        return 0;
    }
    item->style = style;
    item->exStyle = exStyle;
    item->x = HorizontalUnits(dialog, x);
    item->y = VerticalUnits(dialog, y);
    item->cx = HorizontalUnits(dialog, width);
    item->cy = VerticalUnits(dialog, height);
    item->id = id;
    item->kind = kind;
    item->isDefault = isDefault;
    if (dialog.lastItem) {
        dialog.lastItem->next = item;
    } else {
        dialog.firstItem = item;
    }
    dialog.lastItem = item;
    ++dialog.itemCount;
    return 1;
}

int32_t ShowDialog(Window& record, int32_t modal) {
    if (!record.isDialog || !record.dialogInfo || record.hwnd) return modal ? -1 : 0;
    return RunTemplate(record, *record.dialogInfo, modal != 0);
}

int32_t CloseDialog(Window& record, int32_t result) {
    if (!record.hwnd || !record.isDialog || !record.dialogInfo) return 0;
    if (record.dialogInfo->modal) {
        EndDialog(record.hwnd, result);
    } else {
        DestroyWindow(record.hwnd);
    }
    return 0;
}

void ReleaseDialogs() {
    for (DialogListEntry* entry = g_firstDialog; entry;) {
        DialogListEntry* next = entry->next;
        FreeDialogInfo(entry->dialog);
        FreeRecord(entry);
        entry = next;
    }
    g_firstDialog = nullptr;
    g_lastDialog = nullptr;
}

int32_t DialogListLength() {
    int32_t n = 0;
    for (const DialogListEntry* entry = g_firstDialog; entry; entry = entry->next) ++n;
    return n;
}

}  // namespace tk
