// The shape families: each a name, a number of members and how member i is drawn.
#pragma once

#include <functional>
#include <vector>

#include "region.h"

namespace glyphs {

struct Family {
    const char* name;
    int count;
    std::function<Region(int i)> make;
};

// The 160 x 60 button outlines after the full rectangle (identifiers 202 to 1432), in
// order; the first family is the rounded rectangles 202 to 214.
inline constexpr int kOutlineWidth = 160, kOutlineHeight = 60;
const std::vector<Family>& OutlineFamilies();

// The 192 x 192 symbols (identifiers 1433 to 1545), in order; the first family starts
// with the triangle (1433) and has the pentagon in eighth place (1440).
inline constexpr int kSymbolSize = 192;
const std::vector<Family>& SymbolFamilies();

// Member i of a grid of rows x columns, row by row.
struct Cell {
    int row, column;
};
inline Cell GridCell(int i, int columns) { return {i / columns, i % columns}; }

}  // namespace glyphs
