// The drawing surface of a toolkit window and the drawing operations.
//
// Everything drawn goes into the window's backing bitmap (or straight to the window
// when it has none). Between operations the drawing state (position, pen, font, text
// colours, modes) lives in the Window record.
#pragma once

#include <cstdint>

#include "toolkit/window.h"

namespace tk {

// The drawing DC prepared from the record's state, or 0 for a closed window. Nests:
// a second BeginDraw while one is under way returns the same DC.
HDC BeginDraw(Window& record);
// Ends one BeginDraw; the outermost saves the DC's state into the record and, with
// repaint, brings what was drawn to the screen.
void EndDraw(Window& record, HDC dc, bool repaint);

int32_t SetPenColor(Window& record, COLORREF colour);
int32_t SetTextBackColor(Window& record, COLORREF colour);
int32_t MoveTo(Window& record, int32_t x, int32_t y);
// Pen colour -1: hollow, outline in the text colour; fill colour -1: hollow outline in
// the pen colour; otherwise filled.
int32_t DrawRect(Window& record, int32_t x, int32_t y, int32_t width, int32_t height,
                 int32_t penColour, int32_t fillColour);
int32_t FloodFill(Window& record, int32_t x, int32_t y, COLORREF colour);

}  // namespace tk
