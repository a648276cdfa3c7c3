#include "image_files.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "common/little_endian.h"

namespace setupart {

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kPixelsPerMetre = 3780;  // 96 dpi

void PutByte(std::string& out, double unit) {
    out.push_back(static_cast<char>(std::lround(std::clamp(unit, 0.0, 1.0) * 255)));
}

uint32_t RowBytes(int width, int bits) { return ((width * bits + 31) / 32) * 4; }

void PadRow(std::string& out, size_t rowStart, uint32_t rowBytes) {
    out.resize(rowStart + rowBytes, '\0');
}

void PutFileHeader(std::string& out, uint32_t headerBytes, uint32_t pixelBytes) {
    out += "BM";
    Put32(out, headerBytes + pixelBytes);
    Put32(out, 0);
    Put32(out, headerBytes);
}

// `height` is the header's: an icon image counts its colour rows and mask rows together.
void PutInfoHeader(std::string& out, int width, int height, int bits, uint32_t pixelBytes,
                   uint32_t coloursUsed) {
    Put32(out, kInfoHeaderSize);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));  // positive: bottom row first
    Put16(out, 1);                              // planes
    Put16(out, static_cast<uint32_t>(bits));
    Put32(out, 0);  // BI_RGB
    Put32(out, pixelBytes);
    Put32(out, kPixelsPerMetre);
    Put32(out, kPixelsPerMetre);
    Put32(out, coloursUsed);
    Put32(out, 0);
}

void PutPixels(std::string& out, const Canvas& canvas, int bits) {
    const uint32_t rowBytes = RowBytes(canvas.Width(), bits);
    for (int y = canvas.Height() - 1; y >= 0; --y) {
        const size_t start = out.size();
        for (int x = 0; x < canvas.Width(); ++x) {
            const Rgba& p = canvas.At(x, y);
            PutByte(out, p.b);
            PutByte(out, p.g);
            PutByte(out, p.r);
            if (bits == 32) PutByte(out, p.a);
        }
        PadRow(out, start, rowBytes);
    }
}

void PutColour(std::string& out, Rgb c) {
    PutByte(out, c.b);
    PutByte(out, c.g);
    PutByte(out, c.r);
    out.push_back(0);
}

std::string IconImage(const Canvas& canvas) {
    const int size = canvas.Width();
    const uint32_t colourBytes = RowBytes(size, 32) * size;
    const uint32_t maskBytes = RowBytes(size, 1) * size;
    std::string out;
    PutInfoHeader(out, size, size * 2, 32, colourBytes + maskBytes, 0);
    PutPixels(out, canvas, 32);
    for (int y = size - 1; y >= 0; --y) {
        const size_t start = out.size();
        PadRow(out, start, RowBytes(size, 1));
        for (int x = 0; x < size; ++x) {
            if (std::lround(canvas.At(x, y).a * 255) == 0) {
                out[start + x / 8] = static_cast<char>(out[start + x / 8] | (0x80 >> (x % 8)));
            }
        }
    }
    return out;
}

}  // namespace

std::string BitmapFile(const Canvas& canvas, int bitsPerPixel) {
    const uint32_t pixelBytes = RowBytes(canvas.Width(), bitsPerPixel) * canvas.Height();
    std::string out;
    PutFileHeader(out, kFileHeaderSize + kInfoHeaderSize, pixelBytes);
    PutInfoHeader(out, canvas.Width(), canvas.Height(), bitsPerPixel, pixelBytes, 0);
    PutPixels(out, canvas, bitsPerPixel);
    return out;
}

std::string MonochromeFile(const std::vector<std::string>& rows, Rgb colour0, Rgb colour1) {
    const int width = static_cast<int>(rows.front().size());
    const int height = static_cast<int>(rows.size());
    const uint32_t rowBytes = RowBytes(width, 1);
    std::string out;
    PutFileHeader(out, kFileHeaderSize + kInfoHeaderSize + 8, rowBytes * height);
    PutInfoHeader(out, width, height, 1, rowBytes * height, 2);
    PutColour(out, colour0);
    PutColour(out, colour1);
    for (int y = height - 1; y >= 0; --y) {
        const size_t start = out.size();
        PadRow(out, start, rowBytes);
        for (int x = 0; x < width; ++x) {
            if (rows[y][x] == '#') {
                out[start + x / 8] = static_cast<char>(out[start + x / 8] | (0x80 >> (x % 8)));
            }
        }
    }
    return out;
}

std::string IconFile(const std::vector<Canvas>& images) {
    std::string out;
    Put16(out, 0);
    Put16(out, 1);  // icon, not cursor
    Put16(out, static_cast<uint32_t>(images.size()));
    std::vector<std::string> bodies;
    for (const Canvas& image : images) bodies.push_back(IconImage(image));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        const int size = images[i].Width();
        out.push_back(static_cast<char>(size == 256 ? 0 : size));  // 0 stands for 256
        out.push_back(static_cast<char>(size == 256 ? 0 : size));
        out.push_back(0);  // colour count: none above 8 bits
        out.push_back(0);
        Put16(out, 1);   // planes
        Put16(out, 32);  // bits per pixel
        Put32(out, static_cast<uint32_t>(bodies[i].size()));
        Put32(out, offset);
        offset += static_cast<uint32_t>(bodies[i].size());
    }
    for (const std::string& body : bodies) out += body;
    return out;
}

}  // namespace setupart
