// A page worked by the keyboard as a dialog box is: the focus moved with Tab and the
// arrows, Enter and Escape, and typed characters handed to the page.
//
// The platform's dialog manager (IsDialogMessageA) is not used: it goes through the
// controls in the order they were made rather than the order they are read in, and it
// turns Enter and Escape into commands for ids 1 and 2 (IDOK, IDCANCEL), which on a page
// are labels or nothing at all.
#include "toolkit/controls_private.h"
#include "toolkit/toolkit_state.h"

namespace tk {

namespace {

// More than any page holds; controls past it are not reached by Tab.
constexpr int kMaxStops = 64;

uint32_t ButtonType(HWND hwnd) { return GetWindowLongA(hwnd, GWL_STYLE) & BS_TYPEMASK; }

bool IsRadioButton(HWND hwnd) {
    if (!HasClassName(hwnd, "BUTTON")) return false;
    const uint32_t type = ButtonType(hwnd);
    return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

bool IsPushButton(HWND hwnd) {
    if (!HasClassName(hwnd, "BUTTON")) return false;
    const uint32_t type = ButtonType(hwnd);
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_OWNERDRAW;
}

// Controls that can be worked: buttons and boxes, lists, edit fields and views; labels,
// group frames and status bars only show something.
bool TakesFocus(HWND hwnd) {
    if (!IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd)) return false;
    if (HasClassName(hwnd, "BUTTON")) return ButtonType(hwnd) != BS_GROUPBOX;
    static const char* const kClasses[] = {"LISTBOX", "EDIT", "COMBOBOX", "RICHEDIT",
                                           "SYSLISTVIEW32", "SYSTREEVIEW32"};
    for (const char* name : kClasses) {
        if (HasClassName(hwnd, name)) return true;
    }
    return false;
}

// Controls that take typed characters as text keep them.
bool TakesText(HWND hwnd) {
    return HasClassName(hwnd, "EDIT") || HasClassName(hwnd, "COMBOBOX") ||
           HasClassName(hwnd, "RICHEDIT");
}

// The page's controls that take the focus, in reading order: top to bottom, then left to
// right.
struct Stops {
    HWND hwnd[kMaxStops];
    RECT rect[kMaxStops];
    int count;
};

bool ReadsBefore(const RECT& a, const RECT& b) {
    return a.top != b.top ? a.top < b.top : a.left < b.left;
}

void CollectStops(HWND page, Stops& stops) {
    stops.count = 0;
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (stops.count == kMaxStops || !TakesFocus(child)) continue;
        RECT r;
        GetWindowRect(child, &r);
        // Insertion keeps equal places in the order the controls were made.
        int i = stops.count++;
        for (; i > 0 && ReadsBefore(r, stops.rect[i - 1]); --i) {
            stops.hwnd[i] = stops.hwnd[i - 1];
            stops.rect[i] = stops.rect[i - 1];
        }
        stops.hwnd[i] = child;
        stops.rect[i] = r;
    }
}

int IndexOf(const Stops& stops, HWND hwnd) {
    for (int i = 0; i < stops.count; ++i) {
        if (stops.hwnd[i] == hwnd) return i;
    }
    return -1;
}

// Radio buttons next to each other in reading order are one group, reached by Tab once.
int GroupStart(const Stops& stops, int i) {
    while (i > 0 && IsRadioButton(stops.hwnd[i]) && IsRadioButton(stops.hwnd[i - 1])) --i;
    return i;
}

int GroupEnd(const Stops& stops, int i) {  // one past the group's last
    if (!IsRadioButton(stops.hwnd[i])) return i + 1;
    while (i + 1 < stops.count && IsRadioButton(stops.hwnd[i + 1])) ++i;
    return i + 1;
}

// Where Tab lands in a group: its checked radio button, else its first control.
HWND GroupTarget(const Stops& stops, int start) {
    const int end = GroupEnd(stops, start);
    for (int i = start; i < end; ++i) {
        if (IsRadioButton(stops.hwnd[i]) && SendMessageA(stops.hwnd[i], BM_GETCHECK, 0, 0) == BST_CHECKED) {
            return stops.hwnd[i];
        }
    }
    return stops.hwnd[start];
}

// The focus cues (the platform's dotted rectangles) show from the first navigation key.
void ShowFocusCues(HWND page) {
    SendMessageA(page, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

void MoveByTab(HWND page, HWND focus, bool backwards) {
    Stops stops;
    CollectStops(page, stops);
    if (stops.count == 0) return;
    const int at = IndexOf(stops, focus);
    int start;
    if (at < 0) {
        start = backwards ? GroupStart(stops, stops.count - 1) : 0;
    } else if (backwards) {
        const int before = GroupStart(stops, at) - 1;
        start = GroupStart(stops, before < 0 ? stops.count - 1 : before);
    } else {
        const int after = GroupEnd(stops, at);
        start = after < stops.count ? after : 0;
    }
    ShowFocusCues(page);
    ::SetFocus(GroupTarget(stops, start));
}

// Among a group's radio buttons, round and round; the one reached is checked, as a click
// on it would check it (and tell the page).
bool MoveInGroup(HWND page, HWND focus, bool backwards) {
    if (!IsRadioButton(focus)) return false;
    Stops stops;
    CollectStops(page, stops);
    const int at = IndexOf(stops, focus);
    if (at < 0) return false;
    const int start = GroupStart(stops, at);
    const int end = GroupEnd(stops, at);
    const int count = end - start;
    HWND next = stops.hwnd[start + (at - start + (backwards ? count - 1 : 1)) % count];
    ShowFocusCues(page);
    ::SetFocus(next);
    if (SendMessageA(next, BM_GETCHECK, 0, 0) != BST_CHECKED) SendMessageA(next, BM_CLICK, 0, 0);
    return true;
}

// A focused push button, else the page's forward button while it can be seen and used.
void WorkEnter(const Window& record, HWND focus) {
    HWND target = nullptr;
    if (focus && IsChild(record.hwnd, focus) && IsPushButton(focus)) {
        target = focus;
    } else if (record.forwardId) {
        target = FindControl(record, record.forwardId);
    }
    if (target && IsWindowVisible(target) && IsWindowEnabled(target)) {
        SendMessageA(target, BM_CLICK, 0, 0);
    }
}

bool ModifierDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

}  // namespace

int32_t SetPageKeys(Window& record, int32_t forwardId) {
    if (!record.hwnd) return 0;
    record.pageKeys = 1;
    record.forwardId = forwardId;
    return 0;
}

bool TakePageKey(Window& record, MSG& msg) {
    HWND page = record.hwnd;
    if (msg.hwnd != page && !IsChild(page, msg.hwnd)) return false;
    if (msg.message == WM_CHAR) {
        // The page's own letter keys work wherever its focus lies, as a dialog's access
        // keys do: its buttons, boxes and list take no typed text.
        if (msg.hwnd != page && !TakesText(msg.hwnd)) msg.hwnd = page;
        return false;
    }
    if (msg.message != WM_KEYDOWN || ModifierDown(VK_MENU) || ModifierDown(VK_CONTROL)) {
        return false;
    }
    HWND focus = GetFocus();
    switch (msg.wParam) {
        case VK_TAB:
            MoveByTab(page, focus, ModifierDown(VK_SHIFT));
            return true;
        case VK_LEFT:
        case VK_UP:
            return MoveInGroup(page, focus, true);
        case VK_RIGHT:
        case VK_DOWN:
            return MoveInGroup(page, focus, false);
        case VK_RETURN:
            WorkEnter(record, focus);
            return true;
        case VK_ESCAPE:
            // What the close box does; a page without one (no system menu) ignores the key.
            if (!(GetWindowLongA(page, GWL_STYLE) & WS_SYSMENU)) return false;
            SendMessageA(page, WM_CLOSE, 0, 0);
            return true;
        default:
            return false;
    }
}

}  // namespace tk
