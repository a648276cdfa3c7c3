#include "dib.h"

#include <cstdint>

#include "common/little_endian.h"

namespace glyphs {

namespace {

void PutColour(std::string& out, uint8_t grey) {
    out.append(3, static_cast<char>(grey));  // blue, green, red
    out.push_back(0);
}

}  // namespace

std::string BitmapFile(const Mask& mask, const DibFormat& format) {
    const uint32_t rowSize = ((mask.width + 31) / 32) * 4;
    const uint32_t pixelBytes = rowSize * mask.height;
    const uint32_t headerBytes = 14 + 40 + 8;
    std::string out;
    out.reserve(headerBytes + pixelBytes);

    out += "BM";
    Put32(out, headerBytes + pixelBytes);
    Put32(out, 0);
    Put32(out, headerBytes);

    Put32(out, 40);
    Put32(out, mask.width);
    Put32(out, mask.height);  // positive: bottom row first
    Put16(out, 1);            // planes
    Put16(out, 1);            // bits per pixel
    Put32(out, 0);            // BI_RGB
    Put32(out, pixelBytes);
    Put32(out, format.pixelsPerMetre);
    Put32(out, format.pixelsPerMetre);
    Put32(out, 2);  // colours used
    Put32(out, 0);  // colours important
    PutColour(out, format.reversedColours ? 0xFF : 0x00);
    PutColour(out, format.reversedColours ? 0x00 : 0xFF);

    for (int y = mask.height - 1; y >= 0; --y) {
        std::string row(rowSize, '\0');
        for (int x = 0; x < mask.width; ++x) {
            if (mask.inside[static_cast<size_t>(y) * mask.width + x]) {
                row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
            }
        }
        out += row;
    }
    return out;
}

}  // namespace glyphs
