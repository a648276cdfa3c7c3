// Toolkit windows: the Window record, the Event record, opening, centring and closing
// windows, and the event pump.
//
// A page opens a window on a Window record of its own with OpenWindow, giving a Handler
// routine. The toolkit turns every Win32 message of that window into an event, fills
// the process-wide Event record and calls the handler with no arguments. Every
// operation on a record does nothing (and returns 0) while the record's hwnd is 0.
#pragma once

#include <cstdint>

#include "runtime/win.h"

namespace tk {

// A page's Handler routine: reads g_event, returns nonzero when it handled the event
// (no default processing then), 0 otherwise.
using HandlerRoutine = int32_t (*)();

struct DialogInfo;  // the in-memory dialog builder's record (message_box.h)

// One toolkit window, owned by the caller and reused from page to page. The toolkit
// fills it in OpenWindow and clears hwnd in CloseWindow.
struct Window {
    HWND hwnd;                 // 0 while closed
    HBITMAP backingBitmap;     // off-screen copy of everything drawn, or 0
    HFONT font;                // drawing font
    HPEN pen;                  // drawing pen; its colour is also the text colour
    HWND mdiClient;            // MDI client of an MDI frame, else 0
    int32_t posX, posY;        // drawing position
    int32_t bkMode;            // text background mode of the drawing DC
    int32_t rop2;              // foreground mix mode of the drawing DC
    int32_t penStyle;          // style of pens made by SetPenColor and DrawRect
    int32_t penWidth;          // width of those pens
    COLORREF bkColor;          // text background colour
    COLORREF backColor;        // colour the window is erased with
    uint32_t backingMode;      // 0 none; kBackingPresent; | kBackingClientSized
    int32_t dialogKeys;        // 1: the pump offers messages to IsDialogMessageA
    HCURSOR cursor;            // cursor over the client area
    HDC paintDc;               // the erase DC while EV_ERASE runs, else 0
    HDC drawDc;                // the drawing DC while drawing is under way, else 0
    uint32_t drawDepth;        // nesting count of drawDc
    int32_t isDialog;          // 1 for a window of the dialog builder
    DialogInfo* dialogInfo;    // the dialog builder's record, else 0
    uintptr_t surfaceMode;     // reserved; always 0
    void* surface;             // reserved; always 0
    HandlerRoutine handler;    // the page's Handler routine
    void* hostHooks;           // reserved; always 0
    HDC forcedDc;              // reserved: a DC drawing uses instead; always 0
    // 1 while nothing but one colour, uniformColour, has been put on the backing bitmap:
    // a flood fill of that colour then covers it whole and needs no search.
    int32_t backingUniform;
    COLORREF uniformColour;
    // 1 once SetPageKeys has given the window a page's keyboard use (0 from OpenWindow).
    int32_t pageKeys;
    // The push button Enter works while the focus is on no push button, or 0.
    int32_t forwardId;
    // The DPI the window is laid out for (96 on an unscaled display); 0 before OpenWindow.
    uint32_t dpi;
    // A memory DC that holds backingBitmap from OpenWindow to CloseWindow, or 0: under
    // Wine, selecting the screen-size bitmap into a new DC for every drawing operation
    // and every paint asked the window server about the displays each time.
    HDC backingDc;
};

inline constexpr uint32_t kBackingPresent = 0x1;
inline constexpr uint32_t kBackingClientSized = 0x10;

// The event being handled. Filled before a handler is called and restored afterwards
// (all but EventMenuId), so a handler that causes a nested event finds its own intact.
struct EventRecord {
    uint32_t EventId;          // a Win32 message number or one of the EV_ events
    WPARAM EventWParam;
    LPARAM EventLParam;
    int32_t EventX, EventY;    // mouse position in client coordinates
    Window* EventWindow;       // the record the event belongs to
    int32_t EventControlId;    // control, scroll and notify events
    int32_t EventMenuId;       // EV_MENU only
    int32_t EventNotifyCode;   // EV_CONTROL only
};
extern EventRecord g_event;

// Toolkit events, in the application message range.
inline constexpr uint32_t EV_CLOSE = 0x8002;
inline constexpr uint32_t EV_MENU = 0x8003;
inline constexpr uint32_t EV_CONTROL = 0x8004;
inline constexpr uint32_t EV_RESIZE = 0x8009;
inline constexpr uint32_t EV_ERASE = 0x800F;

// OpenWindow flags of the toolkit's own; every other bit is a Win32 window style.
inline constexpr uint32_t kOpenNoBacking = 0x10;
inline constexpr uint32_t kOpenMdiFrame = 0x20;
inline constexpr uint32_t kOpenNoCaption = 0x40;
inline constexpr uint32_t kOpenBackingWindowSized = 0x80;
inline constexpr uint32_t kOpenBackingClientSized = 0x100;
inline constexpr uint32_t kOpenToolWindow = 0x200;
inline constexpr uint32_t kOpenTopmost = 0x400;
inline constexpr uint32_t kOpenHidden = 0x800;

// 1 when the window was created, 0 when CreateWindowExA failed.
int32_t OpenWindow(Window& record, int32_t x, int32_t y, int32_t width, int32_t height,
                   uint32_t flags, Window* parent, const char* title, HandlerRoutine handler);
// A length of the 96-DPI layout at the window's DPI: the one place where positions, sizes
// and fonts follow the display's scaling. Unchanged at 96 DPI (and on a closed record).
int32_t Scaled(const Window& record, int32_t length);
// Centres the window over its parent (child windows), its visible owner or the work area.
int32_t CenterWindow(Window& record);
// Destroys the window and every drawing object the toolkit made for it; hwnd becomes 0.
int32_t CloseWindow(Window& record);
// Does ahead of time what the first window and the first picture would otherwise wait
// for: the thread's connection to the display, made with its first device context, and
// the loading of the libraries that read picture objects. For a wait with time to spare.
void PrepareDisplay();
// noWait 0: waits for a message, then dispatches until the queue is empty.
// Otherwise only dispatches what is queued. Returns 0.
int32_t WaitEvents(int32_t noWait);
// Blocks the thread for the time given while keeping its windows painted: only paint
// requests (and messages other threads send, which cannot wait) are handled. No input
// is taken from the queue, so a page without an event loop looks alive, not frozen.
void WaitPainted(DWORD milliseconds);

// Lets the keyboard work the window as it works a dialog box, for a page opened without
// keys of its own beyond letters:
// - Tab and Shift+Tab move the focus through the visible, enabled controls that can be
//   worked, in reading order (top to bottom, then left to right), round and round; radio
//   buttons next to each other are one stop, at the checked one.
// - The arrow keys move among those radio buttons and check the one they reach.
// - Space works the focused button or box (the platform's buttons do that themselves).
// - Enter works the focused push button; with the focus elsewhere, the push button
//   forwardId while it is visible and enabled (0: nothing but a focused push button).
// - Escape does what the close box does, when the window has one.
// - Characters typed while one of its buttons, boxes or lists has the focus reach the
//   window's handler as if the window itself had it.
int32_t SetPageKeys(Window& record, int32_t forwardId);

// The record attached to a toolkit window (window word 0; the "DLGPTR" property of a
// dialog), or null.
Window* RecordOf(HWND hwnd);

// Handler-table entries (the window's "TS_HANDLERS" property). A routine is called with
// the address of the dispatch's result word and returns the new result. No page
// registers any; the table is freed by CloseWindow, or when a dialog is destroyed.
using TableRoutine = int32_t (*)(int32_t* result);
// Notification code 0 (a click) is kept under the key -1, as the dispatch looks it up.
bool AddControlHandler(Window& record, int32_t controlId, int32_t notifyCode,
                       TableRoutine routine);
bool AddMenuHandler(Window& record, int32_t menuId, TableRoutine routine);
bool AddMessageHandler(Window& record, uint32_t eventId, TableRoutine routine);

}  // namespace tk
