// A small geometric stroke font of capital letters, drawn as round-ended strokes so
// that one outline serves every weight and size.
#pragma once

#include <string_view>

#include "raster.h"

namespace setupart {

struct Lettering {
    double capHeight;  // outer height of a capital, strokes included
    double weight;     // stroke width
    double tracking;   // extra space between letters
};

// The outer width of the text as Letter draws it.
double LetteredWidth(std::string_view text, const Lettering& style);
// The text with the top-left corner of its first capital at (left, top). Throws
// std::invalid_argument for a character other than the blank and the capitals drawn in
// lettering.cpp, which ends the generator with the character named.
Shape Letter(std::string_view text, const Lettering& style, double left, double top);

}  // namespace setupart
