// One-bit bitmap files in the layout that windres turns into RT_BITMAP resources.
#pragma once

#include <string>

#include "region.h"

namespace glyphs {

struct DibFormat {
    int pixelsPerMetre;    // both directions
    bool reversedColours;  // colour table white, black instead of black, white
};

// The bytes of a .bmp file: a 14-byte file header, then the packed DIB that the
// resource will hold (40-byte header, two colour entries, rows bottom-up, each padded
// to 4 bytes). A set bit is white in the usual table, black in the reversed one.
std::string BitmapFile(const Mask& mask, const DibFormat& format);

}  // namespace glyphs
