// Message boxes centred on their owner, and dialogs whose template is built in memory.
#pragma once

#include <cstdint>

#include "toolkit/window.h"

namespace tk {

// MessageBoxA centred on the owner's window (or the desktop) and kept inside the work
// area. Style 0 means MB_ICONEXCLAMATION with OK. The id of the button pressed, or 0
// when the box could not be shown.
int32_t MessageBox(Window* owner, const char* text, const char* caption, uint32_t style);

// ---- In-memory dialogs ---------------------------------------------------------------

// One control recorded for a dialog's template (positions in dialog units).
struct DialogItem {
    DialogItem* next;
    char* className;
    char* text;
    uint32_t style;
    uint32_t exStyle;
    int16_t x, y, cx, cy;
    int32_t id;
    int32_t kind;
    int32_t isDefault;  // BS_DEFPUSHBUTTON asked for: DM_SETDEFID at start
};

// The template header record of one dialog (a Window record's dialogInfo).
struct DialogInfo {
    uint32_t style;
    char* title;
    Window* owner;
    int16_t x, y, cx, cy;  // dialog units
    int32_t baseWidth;     // dialog base units of the template's font
    int32_t baseHeight;
    int32_t modal;  // shown with DialogBoxIndirectParamA
    int32_t itemCount;
    DialogItem* firstItem;
    DialogItem* lastItem;
};

// Dialog flag: not visible when shown (WS_VISIBLE is not added).
inline constexpr uint32_t kDialogHidden = 0x800;

// Prepares the record as a dialog of width by height pixels at x, y with the style
// (plus WS_POPUP, DS_MODALFRAME, DS_SETFONT), title, owner and handler; controls added
// with AddControl are recorded until ShowDialog. 1 when prepared, 0 without memory.
int32_t OpenDialog(Window& record, int32_t x, int32_t y, int32_t width, int32_t height,
                   uint32_t flags, Window* owner, const char* title, HandlerRoutine handler);
// Creates the dialog from its template. Modal: returns the value given to CloseDialog
// (-1 when it could not be created). Modeless: shows it and returns 1 (0 on failure).
int32_t ShowDialog(Window& record, int32_t modal);
// Ends a modal dialog with the result, or destroys a modeless one.
int32_t CloseDialog(Window& record, int32_t result);
// Frees every dialog template made since the start of the program (at the program's end).
void ReleaseDialogs();

// Records a control of a dialog under construction; x, y, width and height in pixels.
// 0 when the id is already recorded or memory is short. Used by AddControl.
int32_t AddDialogItem(DialogInfo& dialog, const char* className, const char* text, uint32_t style,
                      uint32_t exStyle, int32_t x, int32_t y, int32_t width, int32_t height,
                      int32_t id, int32_t kind, int32_t isDefault);
// Number of templates on the process-wide dialog list, for tests.
int32_t DialogListLength();

}  // namespace tk
