// Controls on toolkit windows: adding them, their colours, fonts and states, and the
// images drawn onto a window.
//
// A control is named by an integer id, unique within its window. Each control is
// subclassed when it is added: it answers its colour requests from its own properties
// ("FGRND", "BGRND", "BBRUSH") and frees its brush, image and the font SetFont made for
// it when it is destroyed. Every operation does nothing (and returns 0) while the
// record's hwnd is 0.
#pragma once

#include <cstdint>

#include "runtime/image_kind.h"
#include "toolkit/window.h"

namespace tk {

// Control kinds (AddControl's kind argument).
enum ControlKind : int32_t {
    kPushButton = 1,        // "BUTTON", drawn by the toolkit unless the style has BS_BITMAP
    kCheckBox = 2,          // "BUTTON", BS_AUTOCHECKBOX
    kRadioButton = 3,       // "BUTTON", BS_AUTORADIOBUTTON
    kEditBox = 4,           // "EDIT"
    kListBox = 5,           // "LISTBOX"
    kComboBox = 6,          // "COMBOBOX"
    kStaticText = 7,        // "STATIC"; style bit kTransparentStatic shows the window behind
    kScrollBar = 8,         // "SCROLLBAR", no brush
    kGroupBox = 9,          // "BUTTON", BS_GROUPBOX
    kRichEdit = 10,         // "RichEdit" of riched32.dll
    kListView = 11,         // "SysListView32"
    kStatusBar = 12,        // "msctls_statusbar32"
    kPlainPushButton = 13,  // "BUTTON", drawn by Windows
    kTreeView = 14,         // "SysTreeView32"
    kHotButton = 20,        // "BUTTON", hot-tracking bitmap button
};

// AddControl style bit: the control starts hidden (WS_VISIBLE is not added).
inline constexpr uint32_t kStartHidden = 0x80000;
// Static style bit: the static copies the window's picture behind its text.
inline constexpr uint32_t kTransparentStatic = 0x10000;
// The colour request a toolkit window reflects to the control that asked.
inline constexpr UINT WM_CTLCOLOR = 0x19;

// Creates one child control of the kind at x, y, width by height (pixels) with the id;
// on a dialog under construction it records the control in the dialog's template.
// Nothing when the window is closed or the id is already in use. 1 when the control
// was created (or recorded), 0 otherwise.
int32_t AddControl(Window& record, int32_t kind, const char* text, int32_t x, int32_t y,
                   int32_t width, int32_t height, uint32_t style, int32_t id);
// Sets the control's text and background colours, replaces its brush and repaints it.
int32_t SetControlColor(Window& record, int32_t id, COLORREF textColour, COLORREF backColour);
// Makes a font of points at the display's resolution: id 0 makes it the window's drawing
// font, otherwise the control's font, which replaces and frees the one SetFont made for
// it before (never a font the control or its dialog made). Flags: high 16 bits the
// character set, 0x1 italic, 0x10 underline, 0x20 strike-out.
int32_t SetFont(Window& record, const char* face, int32_t points, int32_t weight, uint32_t flags,
                int32_t id);
// Gives the control a name for screen readers (the platform's accessibility interface),
// where its own text gives none: a list, which shows no text of its own. 1 when done.
int32_t SetAccessibleName(Window& record, int32_t id, const char* name);
// Sets the icon of the window's class, so of every window of that class.
int32_t SetWindowIcon(Window& record, HICON icon);
// red | green << 8 | blue << 16, not masked: a green above 255 spills into blue.
COLORREF Rgb(int32_t red, int32_t green, int32_t blue);
// Keyboard focus to control id, or to the window itself for id 0.
int32_t SetFocus(Window& record, int32_t id);
// ShowWindow(command) on control id, or on the window itself for id 0.
int32_t ShowControl(Window& record, int32_t showCommand, int32_t id);
// BM_SETCHECK on a button control; nothing for other controls.
int32_t SetButtonState(Window& record, int32_t id, int32_t state);
// BM_GETCHECK of a button control; -1 when the window is closed, the control is
// missing or is not a button.
int32_t GetButtonState(Window& record, int32_t id);
// Appends a string to a list box or combo box; nothing for other controls.
int32_t AddString(Window& record, int32_t id, const char* text);
// WM_SETREDRAW on list or combo box id: with 0 the control stops drawing its changes (a
// list box filled line by line would otherwise redraw its scroll bar for every line); with
// 1 it draws again, its scroll bars brought up to date, and its client area is repainted.
int32_t SetControlRedraw(Window& record, int32_t id, int32_t redraw);
// Draws an image of the kind into the window's drawing surface. Bitmaps need width and
// height (raster operation 0 means SRCCOPY); icons are drawn at natural size; picture
// objects at natural size when width and height are 0; cursors draw nothing.
int32_t ShowImage(Window& record, rt::Image image, int32_t kind, int32_t x, int32_t y,
                  int32_t width, int32_t height, uint32_t rasterOp);

// Gives a control its colour properties and the subclass procedure of its kind.
// 1 when the control was subclassed, 0 for no control.
int32_t AttachControl(HWND control, int32_t kind);

}  // namespace tk
