// Display scaling inside the toolkit. Pages give every position, size and font in the
// pixels of a 96-DPI display; the toolkit scales them by the window's DPI (kept in its
// Window record) in one place, Scaled (window.h). At 96 DPI every length passes through
// unchanged, so a page looks exactly as it always has.
#pragma once

#include <cstdint>

#include "toolkit/window.h"

namespace tk {

inline constexpr uint32_t kDefaultDpi = 96;

// A length at DPI from, taken to DPI to.
int32_t Rescaled(int32_t length, uint32_t to, uint32_t from);
// The DPI new windows start with: the system's (GetDpiForSystem where the platform has
// it, otherwise the screen's LOGPIXELSY).
uint32_t SystemDpi();
// The DPI of a window: GetDpiForWindow where the platform has it, else SystemDpi.
uint32_t WindowDpi(HWND hwnd);
// The DPI a font of the record is made for: the record's, or the DC's for a record that
// has none (a dialog of the dialog builder).
uint32_t FontDpi(const Window& record, HDC dc);
// The width of a frame or focus ring drawn on a control of a toolkit window.
int32_t ScaledLineWidth(HWND control, int32_t width);

// WM_DPICHANGED: the window moves to the suggested rectangle, and its controls, their
// fonts, the drawing font and the backing bitmap's picture are scaled to the new DPI.
LRESULT ApplyDpiChange(HWND hwnd, Window* record, WPARAM wParam, LPARAM lParam);

}  // namespace tk
