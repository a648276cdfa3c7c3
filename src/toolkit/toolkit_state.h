// The toolkit's process-wide state and the routines its parts share. Internal to the
// toolkit; pages use window.h, drawing.h, controls.h and message_box.h.
#pragma once

#include <cstdint>

#include "toolkit/window.h"

namespace tk {

// Class atoms, 0 until registered. The dialog class is registered by the dialog builder.
extern ATOM g_wndClassAtom;    // "TessaroWndClass"
extern ATOM g_frameClassAtom;  // "TessaroFrameClass"
extern ATOM g_dlgClassAtom;    // "TessaroDlgClass"
// The system MDICLIENT class atom; 0xFFFF until the first MDI frame is opened, so
// that no parent ever matches it.
extern uint16_t g_mdiClientAtom;
// The record being created by OpenWindow, so that messages sent during
// CreateWindowExA reach it; null otherwise.
extern Window* g_windowUnderConstruction;
// The Window menu's commands of an MDI frame.
inline constexpr UINT kMenuCascade = 0x8005;
inline constexpr UINT kMenuTile = 0x8006;
inline constexpr UINT kMenuArrangeIcons = 0x8007;
// The font SetFont put on the erase DC during the EV_ERASE under way: it stays selected
// for the rest of the event and is freed when the DC's state has been restored.
extern HFONT g_eraseFont;

// The window procedure of "TessaroWndClass" and "TessaroFrameClass".
LRESULT CALLBACK ToolkitWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the event translation for one message of a record's window: fills g_event,
// calls the handler and the handler table, restores g_event and returns the result.
LRESULT DeliverEvent(Window* record, UINT message, WPARAM wParam, LPARAM lParam);

// Colour requests (WM_CTLCOLORxxx but WM_CTLCOLORDLG) and WM_DRAWITEM are answered by
// the control itself: true when the message was one of them and went to a control,
// with the control's answer in result. Shared with the dialog procedure.
bool ReflectToControl(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

// Frees the window's "TS_HANDLERS" table and removes the property.
void FreeHandlerTable(HWND hwnd);

// Places the MDI client of a frame beside its tool bars and status bars; true when
// at least one such bar was found and the client was moved.
bool LayoutMdiFrame(Window& frame);

// Deletes the record's backing bitmap, pen and font and clears the fields, so that a
// record reused by the next page never frees them twice.
void ReleaseDrawingObjects(Window& record);

// A key for a window that SetPageKeys prepared: true when it was worked here and goes no
// further. A typed character that reached one of the page's buttons or boxes is
// readdressed to the page itself and dispatched.
bool TakePageKey(Window& record, MSG& msg);

// True when the window's class is one of the toolkit's three.
bool IsToolkitWindow(HWND hwnd);
// True when hwnd's parent is an MDI client (the window is an MDI child).
bool HasMdiClientParent(HWND hwnd);

// WM_PAINT and WM_ERASEBKGND of a toolkit window (record may be null); both return 1.
LRESULT PaintWindow(HWND hwnd, Window* record);
LRESULT EraseWindow(HWND hwnd, Window* record, HDC dc);

}  // namespace tk
