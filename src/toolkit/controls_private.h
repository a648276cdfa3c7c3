// What the control routines share inside the toolkit: property names and small helpers.
#pragma once

#include <cstdint>

#include "toolkit/window.h"

namespace tk {

// Per-control properties (SetPropA / GetPropA).
inline constexpr char kPropLpfn[] = "LPFN";
inline constexpr char kPropFgrnd[] = "FGRND";
inline constexpr char kPropBgrnd[] = "BGRND";
inline constexpr char kPropBbrush[] = "BBRUSH";
inline constexpr char kPropNotifyTab[] = "NOTIFY_TAB";
inline constexpr char kPropNotifyEnter[] = "NOTIFY_ENTER";
// The hot-tracking button's.
inline constexpr char kPropHotColour[] = "HTCLR";
inline constexpr char kPropBorderWidth[] = "BORDERWIDTH";
inline constexpr char kPropHotBrush[] = "HBRUSH";
inline constexpr char kPropDoHot[] = "DOHOT";
inline constexpr char kPropHotBitmap[] = "HOTBMP";
inline constexpr char kPropNormalBitmap[] = "NORBMP";
inline constexpr char kPropSelectedBitmap[] = "SELBMP";
// A dialog's Window record.
inline constexpr char kPropDialogRecord[] = "DLGPTR";

// Colours and numbers live in properties as handle-sized values.
inline COLORREF PropColour(HWND hwnd, const char* name) {
    return static_cast<COLORREF>(reinterpret_cast<uintptr_t>(GetPropA(hwnd, name)));
}
inline void SetPropValue(HWND hwnd, const char* name, uintptr_t value) {
    SetPropA(hwnd, name, reinterpret_cast<HANDLE>(value));
}

// The fonts SetFont made for controls, the only fonts the toolkit frees for them: a
// control may hold a font that it made itself (a list view's, tree view's or status
// bar's default) or that its dialog gave it, and those owners free them. Kept in the
// process: a window property of each control would be two more round trips to the
// window server under Wine for every SetFont.
HFONT FontOf(HWND hwnd);
// The control's font when SetFont made it, else 0.
HFONT ToolkitFontOf(HWND control);
void KeepToolkitFont(HFONT font);
// Forgets and deletes a font SetFont made (nothing for 0).
void DeleteToolkitFont(HFONT font);

// The control with the id on an open window, or 0.
HWND FindControl(const Window& record, int32_t id);
// True when the window's class name, upper-cased, is upperName.
bool HasClassName(HWND hwnd, const char* upperName);

// Loads the bitmap a BS_BITMAP button's or SS_BITMAP static's text names: a file when
// the text contains ":", else a program resource by number (value above 0) or by name.
// 0 when it cannot be loaded.
HBITMAP LoadNamedBitmap(const char* text);

// The answer to WM_GETOBJECT of a control that SetAccessibleName named, or 0 (the
// platform's own answer then serves).
LRESULT AnswerNamedObject(HWND control, WPARAM wParam, LPARAM lParam);
// Frees the name SetAccessibleName gave the control (when it is destroyed).
void DeleteAccessibleName(HWND control);

}  // namespace tk
