// The toolkit's window procedure: Win32 messages become events in the Event record,
// handed to the page's Handler routine and to the window's handler table.
#include <new>

#include "toolkit/controls.h"
#include "toolkit/display_scale.h"
#include "toolkit/toolkit_state.h"

namespace tk {

EventRecord g_event{};

namespace {

constexpr char kHandlersProperty[] = "TS_HANDLERS";

// ---- Handler table --------------------------------------------------------------------

// A small map keyed by 32-bit integers, on the process heap; the tables are tiny.
template <typename V>
struct IntMap {
    struct Entry {
        int32_t key;
        V value;
    };
    Entry* entries = nullptr;
    int32_t count = 0;
    int32_t capacity = 0;

    V* Find(int32_t key) {
        for (int32_t i = 0; i < count; ++i) {
            if (entries[i].key == key) return &entries[i].value;
        }
        return nullptr;
    }
    bool Set(int32_t key, V value) {
        if (V* found = Find(key)) {
            *found = value;
            return true;
        }
        if (count == capacity && !Grow()) return false;
        entries[count++] = Entry{key, value};
        return true;
    }
    bool Grow() {
        const int32_t wanted = capacity ? capacity * 2 : 8;
        const SIZE_T bytes = sizeof(Entry) * static_cast<SIZE_T>(wanted);
        void* block = entries ? HeapReAlloc(GetProcessHeap(), 0, entries, bytes)
                              : HeapAlloc(GetProcessHeap(), 0, bytes);
        if (!block) return false;
        entries = static_cast<Entry*>(block);
        capacity = wanted;
        return true;
    }
    void Free() {
        if (entries) HeapFree(GetProcessHeap(), 0, entries);
        entries = nullptr;
        count = capacity = 0;
    }
};

using CodeMap = IntMap<TableRoutine>;  // notification code -> routine

struct HandlerTable {
    IntMap<CodeMap*> controls;  // control id -> its notification codes
    IntMap<TableRoutine> menus;
    IntMap<TableRoutine> messages;
};

// Tables made by EnsureTable and not yet freed. Only the toolkit makes a table, so while
// there is none no window has one, and the event path need not ask each window: a
// property read is a round trip to the window server under Wine, on every message.
int32_t g_handlerTables = 0;

HandlerTable* TableOf(HWND hwnd) {
    if (!hwnd || g_handlerTables == 0) return nullptr;
    return static_cast<HandlerTable*>(GetPropA(hwnd, kHandlersProperty));
}

HandlerTable* EnsureTable(Window& record) {
    if (!record.hwnd) return nullptr;
    if (HandlerTable* table = TableOf(record.hwnd)) return table;
    void* block = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(HandlerTable));
    if (!block) return nullptr;
    auto* table = new (block) HandlerTable{};
    if (!SetPropA(record.hwnd, kHandlersProperty, table)) {
        HeapFree(GetProcessHeap(), 0, block);
        return nullptr;
    }
    ++g_handlerTables;
    return table;
}

int32_t CallRoutine(TableRoutine* routine, int32_t result) {
    if (routine && *routine) result = (*routine)(&result);
    return result;
}

int32_t DispatchToTable(HWND hwnd) {
    HandlerTable* table = TableOf(hwnd);
    if (!table) return 0;
    int32_t result = 0;
    if (g_event.EventId == EV_CONTROL) {
        if (CodeMap** codes = table->controls.Find(g_event.EventControlId)) {
            const int32_t code = g_event.EventNotifyCode ? g_event.EventNotifyCode : -1;
            result = CallRoutine((*codes)->Find(code), result);
        }
    } else if (g_event.EventId == EV_MENU) {
        result = CallRoutine(table->menus.Find(g_event.EventMenuId), result);
    }
    // The routine may have closed the window, which frees the table.
    table = TableOf(hwnd);
    if (result == 0 && table) {
        result = CallRoutine(table->messages.Find(static_cast<int32_t>(g_event.EventId)), result);
    }
    return result;
}

// ---- Event translation ------------------------------------------------------------------

void TranslateMenuCommand(Window* record, WPARAM wParam) {
    g_event.EventId = EV_MENU;
    g_event.EventMenuId = LOWORD(wParam);
    if (!record->mdiClient) return;
    // A frame's menu commands belong to its active MDI child, when that is a toolkit window.
    if (HWND child = GetWindow(record->mdiClient, GW_CHILD)) {
        if (Window* childRecord = RecordOf(child)) g_event.EventWindow = childRecord;
    }
    switch (LOWORD(wParam)) {
    case kMenuCascade: SendMessageA(record->mdiClient, WM_MDICASCADE, 0, 0); break;
    case kMenuTile: SendMessageA(record->mdiClient, WM_MDITILE, MDITILE_HORIZONTAL, 0); break;
    case kMenuArrangeIcons: SendMessageA(record->mdiClient, WM_MDIICONARRANGE, 0, 0); break;
    default: break;
    }
}

void TranslateEvent(Window* record, UINT message, WPARAM wParam, LPARAM lParam) {
    g_event.EventId = message;
    switch (message) {
    case WM_CLOSE:
        g_event.EventId = EV_CLOSE;
        break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
        g_event.EventLParam = static_cast<LPARAM>(wParam);  // the key-state flags
        g_event.EventX = LOWORD(lParam);
        g_event.EventY = HIWORD(lParam);
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
        g_event.EventControlId = lParam ? GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) : 0;
        g_event.EventWParam = LOWORD(wParam);
        g_event.EventLParam = HIWORD(wParam);
        break;
    case WM_COMMAND:
    case EV_CONTROL:
        if (lParam) {
            g_event.EventId = EV_CONTROL;
            g_event.EventControlId = LOWORD(wParam);
            g_event.EventNotifyCode = HIWORD(wParam);
        } else {
            TranslateMenuCommand(record, wParam);
        }
        break;
    case WM_NOTIFY:
        if (const auto* header = reinterpret_cast<const NMHDR*>(lParam)) {
            g_event.EventId = EV_CONTROL;
            g_event.EventControlId = static_cast<int32_t>(header->idFrom);
            g_event.EventNotifyCode = static_cast<int32_t>(header->code);
        }
        break;
    case EV_RESIZE:
        g_event.EventLParam = reinterpret_cast<LPARAM>(record->hwnd);
        break;
    default:
        break;
    }
}

}  // namespace

LRESULT DeliverEvent(Window* record, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!record) return 0;
    const EventRecord saved = g_event;
    g_event.EventWParam = wParam;
    g_event.EventLParam = lParam;
    g_event.EventWindow = record;
    TranslateEvent(record, message, wParam, lParam);
    int32_t result = record->handler ? record->handler() : 0;
    result |= DispatchToTable(record->hwnd);
    // A nested event must not change what the outer handler reads; the menu id is the
    // one field that is left as the latest event set it.
    const int32_t menuId = g_event.EventMenuId;
    g_event = saved;
    g_event.EventMenuId = menuId;
    return result;
}

bool AddControlHandler(Window& record, int32_t controlId, int32_t notifyCode,
                       TableRoutine routine) {
    HandlerTable* table = EnsureTable(record);
    if (!table) return false;
    CodeMap** codes = table->controls.Find(controlId);
    if (!codes) {
        void* block = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(CodeMap));
        if (!block) return false;
        auto* fresh = new (block) CodeMap{};
        if (!table->controls.Set(controlId, fresh)) {
            HeapFree(GetProcessHeap(), 0, block);
            return false;
        }
        codes = table->controls.Find(controlId);
    }
    return (*codes)->Set(notifyCode ? notifyCode : -1, routine);
}

bool AddMenuHandler(Window& record, int32_t menuId, TableRoutine routine) {
    HandlerTable* table = EnsureTable(record);
    return table && table->menus.Set(menuId, routine);
}

bool AddMessageHandler(Window& record, uint32_t eventId, TableRoutine routine) {
    HandlerTable* table = EnsureTable(record);
    return table && table->messages.Set(static_cast<int32_t>(eventId), routine);
}

void FreeHandlerTable(HWND hwnd) {
    HandlerTable* table = TableOf(hwnd);
    if (!table) return;
    table->messages.Free();
    table->menus.Free();
    for (int32_t i = 0; i < table->controls.count; ++i) {
        CodeMap* codes = table->controls.entries[i].value;
        codes->Free();
        HeapFree(GetProcessHeap(), 0, codes);
    }
    table->controls.Free();
    HeapFree(GetProcessHeap(), 0, table);
    RemovePropA(hwnd, kHandlersProperty);
    --g_handlerTables;
}

// ---- Window procedure ---------------------------------------------------------------------

bool ReflectToControl(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        if (!lParam) return false;
        *result = SendMessageA(reinterpret_cast<HWND>(lParam), WM_CTLCOLOR, wParam, lParam);
        return true;
    case WM_DRAWITEM: {
        if (!wParam) return false;  // a menu item
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (!item || !item->hwndItem) return false;
        *result = SendMessageA(item->hwndItem, WM_DRAWITEM, wParam, lParam);
        return true;
    }
    default:
        return false;
    }
}

namespace {

// Delivery to the window's record, or during CreateWindowExA to the record under
// construction, which learns its window handle here.
LRESULT Deliver(HWND hwnd, Window* record, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!record) {
        record = g_windowUnderConstruction;
        if (!record) return 0;
        record->hwnd = hwnd;
    }
    return DeliverEvent(record, message, wParam, lParam);
}

LRESULT DefaultProcessing(HWND hwnd, Window* record, UINT message, WPARAM wParam,
                          LPARAM lParam) {
    if (record && GetClassWord(hwnd, GCW_ATOM) == g_frameClassAtom) {
        // DefFrameProcA would stretch the MDI client over the bars the layout left room for.
        if (message == WM_SIZE && wParam != SIZE_MINIMIZED && LayoutMdiFrame(*record)) return 0;
        return DefFrameProcA(hwnd, record->mdiClient, message, wParam, lParam);
    }
    if (HasMdiClientParent(hwnd)) return DefMDIChildProcA(hwnd, message, wParam, lParam);
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK ToolkitWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* record = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, 0));
    LRESULT result = 0;
    switch (message) {
    case WM_PAINT:
        return PaintWindow(hwnd, record);
    case WM_ERASEBKGND:
        return EraseWindow(hwnd, record, reinterpret_cast<HDC>(wParam));
    case WM_SIZE:
        if (record && (record->backingMode & kBackingClientSized)) {
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        Deliver(hwnd, record, EV_RESIZE, wParam, lParam);
        result = Deliver(hwnd, record, message, wParam, lParam);
        break;
    case WM_DPICHANGED:
        return ApplyDpiChange(hwnd, record, wParam, lParam);
    case WM_EXITSIZEMOVE:
        Deliver(hwnd, record, EV_RESIZE, wParam, lParam);
        result = Deliver(hwnd, record, message, wParam, lParam);
        break;
    case WM_CLOSE:
        // The page decides; the default procedure sees EV_CLOSE and closes nothing.
        message = EV_CLOSE;
        result = Deliver(hwnd, record, WM_CLOSE, wParam, lParam);
        break;
    case WM_LBUTTONDOWN:
        ::SetFocus(hwnd);
        SetActiveWindow(hwnd);
        result = Deliver(hwnd, record, message, wParam, lParam);
        break;
    default:
        if (ReflectToControl(message, wParam, lParam, &result)) return result;
        result = Deliver(hwnd, record, message, wParam, lParam);
        break;
    }
    if (result != 0) return result;
    result = DefaultProcessing(hwnd, record, message, wParam, lParam);
    if (message == WM_SETCURSOR && result == 0 && record && LOWORD(lParam) == HTCLIENT &&
        reinterpret_cast<HWND>(wParam) == hwnd) {
        SetCursor(record->cursor);
        result = TRUE;
    }
    return result;
}

}  // namespace tk
