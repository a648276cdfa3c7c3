// The bytes of Windows bitmap and icon files, as windres and the picture loader read
// them: little-endian headers, pixel rows bottom-up, each row padded to 4 bytes.
#pragma once

#include <string>
#include <vector>

#include "raster.h"

namespace setupart {

// A bitmap file of 24 bits per pixel (blue, green, red; alpha dropped) or 32 bits per
// pixel (blue, green, red, alpha), BI_RGB.
std::string BitmapFile(const Canvas& canvas, int bitsPerPixel);

// A 1-bit bitmap file from rows of text, top row first: '#' is colour 1, anything else
// colour 0 of the two-entry table.
std::string MonochromeFile(const std::vector<std::string>& rows, Rgb colour0, Rgb colour1);

// An icon file with one 32-bit image per canvas (square, at most 256 pixels), each with
// its AND mask set where the image is fully transparent.
std::string IconFile(const std::vector<Canvas>& images);

}  // namespace setupart
