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

// Runs the event translation for one message of a record's window: fills g_event,
// calls the handler and the handler table, restores g_event and returns the result.
LRESULT DeliverEvent(Window* record, UINT message, WPARAM wParam, LPARAM lParam);

// Places the MDI client of a frame beside its tool bars and status bars; true when
// at least one such bar was found and the client was moved.
bool LayoutMdiFrame(Window& frame);

// True when the window's class is one of the toolkit's three.
bool IsToolkitWindow(HWND hwnd);

}  // namespace tk
