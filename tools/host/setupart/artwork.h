// The setup program's page images and icons, drawn from shapes.
#pragma once

#include <string>
#include <vector>

#include "raster.h"

namespace setupart {

// The maker's logo on black, 285 x 285 pixels; laid out for the 300 x 145 it is shown at.
Canvas Logo();
// A computer and a disc on a transparent ground, size x size.
Canvas SetupIcon(int size);
// The program's own icon: a dashboard gauge on a dark tile, size x size.
Canvas ProgramIcon(int size);
// A wrench crossed with a screwdriver on black, 40 x 40.
Canvas Tools();
// A green tick or a red cross, 16 x 16, on the given ground.
Canvas Tick(Rgb ground);
Canvas Cross(Rgb ground);

// 13 x 13 pixel drawings for one-bit bitmaps, top row first, '#' for the ink.
std::vector<std::string> BarRows();
std::vector<std::string> TickRows();

}  // namespace setupart
