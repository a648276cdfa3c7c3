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

// One (type code, value) item of PrintText. The type code is the runtime's value type
// code: 0 text, 32 wide text, 1 and 31 a byte, 2 signed 32-bit, 19 unsigned 32-bit,
// 13 unsigned 16-bit, 30 signed 16-bit, 3 and 14 single and double, 17 signed 64-bit,
// 18 unsigned 64-bit, and 9 (first item only) the Window record to print to.
// A page writes: const PrintItem mark[] = {{9, &window}, {0, "\xAE"}, {0, "\r\n"}};
struct PrintItem {
    uint32_t type;
    // The value as given, and as a number of the other kind, so that a code reads
    // the value it expects whatever the caller wrote (2 with 3.7 prints "3 ").
    const void* pointer = nullptr;
    int64_t integer = 0;
    double real = 0;

    constexpr PrintItem(uint32_t t, const char* text) : type(t), pointer(text) {}
    constexpr PrintItem(uint32_t t, const wchar_t* text) : type(t), pointer(text) {}
    constexpr PrintItem(uint32_t t, Window* window) : type(t), pointer(window) {}
    constexpr PrintItem(uint32_t t, int32_t value) : type(t), integer(value), real(value) {}
    constexpr PrintItem(uint32_t t, uint32_t value) : type(t), integer(value), real(value) {}
    constexpr PrintItem(uint32_t t, int64_t value)
        : type(t), integer(value), real(static_cast<double>(value)) {}
    constexpr PrintItem(uint32_t t, uint64_t value)
        : type(t), integer(static_cast<int64_t>(value)), real(static_cast<double>(value)) {}
    constexpr PrintItem(uint32_t t, double value)
        : type(t), integer(ToInteger(value)), real(value) {}

private:
    // Whole part, clamped to the 64-bit range (a cast of a value outside it is undefined).
    static constexpr int64_t ToInteger(double v) {
        if (!(v == v)) return 0;
        if (v >= 9223372036854775807.0) return INT64_MAX;
        if (v <= -9223372036854775808.0) return INT64_MIN;
        return static_cast<int64_t>(v);
    }
};

// Formats the items into one text and draws it at the drawing position of the print
// window (the first item's record when its type is 9, else the one of an earlier call),
// moving the position after it. A final line feed, and a carriage return before it,
// are not drawn. Without any print window the text goes to the standard output handle.
// The text is cut at kPrintTextMax bytes.
int32_t PrintText(int32_t count, const PrintItem* items);
inline constexpr int32_t kPrintTextMax = 1023;

// The text PrintText makes of the items (all but a leading type 9 item), cut to
// size - 1 bytes; returns its length.
int32_t FormatPrintItems(int32_t count, const PrintItem* items, char* buffer,
                         int32_t size);

}  // namespace tk
