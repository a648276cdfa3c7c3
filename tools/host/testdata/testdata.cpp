// Generates the data of the runtime's file, resource and image tests from code:
//   testdata OUTDIR PROGRAMDIR
// writes into OUTDIR the resource payloads (a deterministic block of over 9,000,000
// bytes and a small one), Windows bitmap files (24 and 32 bits), icon files (one image
// and four images), a cursor file, the resource script "test_files.rc" that compiles
// them into the test program, and "testdata.h" with the values the tests expect: sizes,
// checksums, image dimensions and the Windows names (Wine's Z: drive) of OUTDIR and of
// PROGRAMDIR, the folder of the test programs.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// ---- Values shared with the tests (also written to testdata.h) -----------------------

constexpr uint32_t kBigSize = 9'897'862;  // as large as the setup's largest payload
constexpr uint32_t kSmallSize = 1'234;
constexpr int kPlainWidth = 37;  // odd: rows of 24-bit pixels need padding
constexpr int kPlainHeight = 23;
constexpr int kIconSize = 48;  // not the system's default 32, so "natural size" shows
constexpr int kCursorSize = 48;
constexpr int kHotspotX = 5;
constexpr int kHotspotY = 7;
constexpr int kPicture24Size = 285;
constexpr int kPicture32Size = 40;
constexpr int kIconSetSizes[] = {16, 24, 32, 48};

// ---- Little-endian writer -------------------------------------------------------------

void Put16(Bytes& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(Bytes& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// ---- Deterministic data -------------------------------------------------------------

Bytes Pattern(uint32_t size, uint32_t seed) {
    Bytes out(size);
    uint32_t x = seed;
    for (uint32_t i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        out[i] = static_cast<uint8_t>(x >> 11);
    }
    return out;
}

uint64_t Fnv1a64(const Bytes& bytes) {
    uint64_t h = 0xcbf29ce484222325ull;
    for (uint8_t b : bytes) {
        h ^= b;
        h *= 0x100000001b3ull;
    }
    return h;
}

// A colour that depends on the position, so that a flipped or shifted image differs.
void PutPixel(Bytes& out, int x, int y, int bits) {
    out.push_back(static_cast<uint8_t>(x * 7));        // blue
    out.push_back(static_cast<uint8_t>(y * 5));        // green
    out.push_back(static_cast<uint8_t>((x ^ y) * 3));  // red
    if (bits == 32) out.push_back(0xFF);               // opaque
}

// ---- Bitmaps, icons, cursors ------------------------------------------------------------

void PutInfoHeader(Bytes& out, int width, int height, int bits, uint32_t imageSize) {
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));
    Put16(out, 1);  // planes
    Put16(out, static_cast<uint32_t>(bits));
    Put32(out, 0);  // BI_RGB
    Put32(out, imageSize);
    Put32(out, 3780);  // 96 dpi in pixels per metre
    Put32(out, 3780);
    Put32(out, 0);
    Put32(out, 0);
}

uint32_t RowBytes(int width, int bits) { return ((width * bits + 31) / 32) * 4; }

// Bottom-up pixel rows, each padded to 4 bytes.
void PutPixels(Bytes& out, int width, int height, int bits) {
    for (int y = height - 1; y >= 0; --y) {
        const size_t start = out.size();
        for (int x = 0; x < width; ++x) PutPixel(out, x, y, bits);
        while (out.size() - start < RowBytes(width, bits)) out.push_back(0);
    }
}

Bytes BitmapFile(int width, int height, int bits) {
    const uint32_t imageSize = RowBytes(width, bits) * height;
    Bytes out;
    Put16(out, 0x4D42);  // "BM"
    Put32(out, 14 + 40 + imageSize);
    Put32(out, 0);
    Put32(out, 14 + 40);
    PutInfoHeader(out, width, height, bits, imageSize);
    PutPixels(out, width, height, bits);
    return out;
}

// One image of an icon or cursor file: a 32-bit colour image and an all-opaque mask,
// the header giving the height of both together.
Bytes IconImage(int size) {
    const uint32_t colour = RowBytes(size, 32) * size;
    const uint32_t mask = RowBytes(size, 1) * size;
    Bytes out;
    PutInfoHeader(out, size, size * 2, 32, colour + mask);
    PutPixels(out, size, size, 32);
    out.insert(out.end(), mask, 0);
    return out;
}

// An icon file (type 1) or a cursor file (type 2, whose entries carry the hot spot).
Bytes IconFile(const std::vector<int>& sizes, int type, int hotX = 0, int hotY = 0) {
    Bytes out;
    Put16(out, 0);
    Put16(out, static_cast<uint32_t>(type));
    Put16(out, static_cast<uint32_t>(sizes.size()));
    std::vector<Bytes> images;
    for (int size : sizes) images.push_back(IconImage(size));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * sizes.size());
    for (size_t i = 0; i < sizes.size(); ++i) {
        out.push_back(static_cast<uint8_t>(sizes[i]));
        out.push_back(static_cast<uint8_t>(sizes[i]));
        out.push_back(0);  // colour count: none below 8 bits
        out.push_back(0);
        Put16(out, type == 1 ? 1 : static_cast<uint32_t>(hotX));   // planes, or hot spot x
        Put16(out, type == 1 ? 32 : static_cast<uint32_t>(hotY));  // bits, or hot spot y
        Put32(out, static_cast<uint32_t>(images[i].size()));
        Put32(out, offset);
        offset += static_cast<uint32_t>(images[i].size());
    }
    for (const Bytes& image : images) out.insert(out.end(), image.begin(), image.end());
    return out;
}

// ---- Output files ------------------------------------------------------------------

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
    return WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

// A Unix folder as Wine's Z: drive names it, ending with a backslash, as a C string
// literal (backslashes doubled).
std::string WindowsLiteral(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    std::string out = "\"Z:";
    for (char c : folder) out += c == '/' ? std::string("\\\\") : std::string(1, c);
    return out + "\"";
}

std::string ResourceScript(const std::string& dir) {
    std::ostringstream rc;
    rc << "// Generated by tools/host/testdata.\n"
       << "LANGUAGE 9, 2\n"  // English (United Kingdom), 2057, like the setup's payload
       << "303 324 \"" << dir << "/big324.bin\"\n"
       << "NAMEDDATA 324 \"" << dir << "/small.bin\"\n"
       << "7 QPDATA \"" << dir << "/small.bin\"\n"
       << "NAMEDTYPED QPDATA \"" << dir << "/small.bin\"\n"
       << "LANGUAGE 9, 1\n"
       // windres joins a quoted name to a file name on the line before: keep it after
       // a statement that ends in a number.
       << "\"DOT.BMP\" BITMAP \"" << dir << "/plain.bmp\"\n"
       << "3 RTIMAGE \"" << dir << "/picture285.bmp\"\n"
       << "19 RTIMAGE \"" << dir << "/icons4.ico\"\n"
       << "20 RTIMAGE \"" << dir << "/picture40.bmp\"\n"
       << "PICTURE RTIMAGE \"" << dir << "/picture40.bmp\"\n"
       << "4 BITMAP \"" << dir << "/plain.bmp\"\n"
       << "PLAINBMP BITMAP \"" << dir << "/plain.bmp\"\n"
       << "5 ICON \"" << dir << "/icon48.ico\"\n"
       << "ICON48 ICON \"" << dir << "/icon48.ico\"\n"
       << "6 CURSOR \"" << dir << "/cursor48.cur\"\n"
       << "CURSOR48 CURSOR \"" << dir << "/cursor48.cur\"\n";
    return rc.str();
}

std::string Header(const std::string& dir, const std::string& programDir, const Bytes& big,
                   const Bytes& small) {
    std::ostringstream h;
    h << "// Generated by tools/host/testdata: what the runtime tests' data holds.\n"
      << "#pragma once\n\n#include <cstdint>\n\nnamespace testdata {\n\n"
      << "inline constexpr char kDataFolder[] = " << WindowsLiteral(dir) << ";\n"
      << "inline constexpr char kProgramFolder[] = " << WindowsLiteral(programDir) << ";\n"
      << "inline constexpr uint32_t kBigSize = " << big.size() << ";\n"
      << "inline constexpr uint64_t kBigChecksum = 0x" << std::hex << Fnv1a64(big) << "ull;\n"
      << std::dec << "inline constexpr uint32_t kSmallSize = " << small.size() << ";\n"
      << "inline constexpr uint64_t kSmallChecksum = 0x" << std::hex << Fnv1a64(small) << "ull;\n"
      << std::dec << "inline constexpr int kPlainWidth = " << kPlainWidth << ";\n"
      << "inline constexpr int kPlainHeight = " << kPlainHeight << ";\n"
      << "inline constexpr int kIconSize = " << kIconSize << ";\n"
      << "inline constexpr int kCursorSize = " << kCursorSize << ";\n"
      << "inline constexpr int kHotspotX = " << kHotspotX << ";\n"
      << "inline constexpr int kHotspotY = " << kHotspotY << ";\n"
      << "inline constexpr int kPicture24Size = " << kPicture24Size << ";\n"
      << "inline constexpr int kPicture32Size = " << kPicture32Size << ";\n"
      << "inline constexpr int kIconSetSizes[] = {";
    for (size_t i = 0; i < std::size(kIconSetSizes); ++i) {
        h << (i ? ", " : "") << kIconSetSizes[i];
    }
    h << "};\n\n}  // namespace testdata\n";
    return h.str();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: testdata OUTDIR PROGRAMDIR\n";
        return 2;
    }
    const std::string dir = argv[1];
    const Bytes big = Pattern(kBigSize, 0x5EED0324u);
    const Bytes small = Pattern(kSmallSize, 0x00C0FFEEu);
    const std::vector<int> iconSet(std::begin(kIconSetSizes), std::end(kIconSetSizes));
    const bool ok =
        WriteFile(dir + "/big324.bin", big) && WriteFile(dir + "/small.bin", small) &&
        WriteFile(dir + "/plain.bmp", BitmapFile(kPlainWidth, kPlainHeight, 24)) &&
        WriteFile(dir + "/picture285.bmp", BitmapFile(kPicture24Size, kPicture24Size, 24)) &&
        WriteFile(dir + "/picture40.bmp", BitmapFile(kPicture32Size, kPicture32Size, 32)) &&
        WriteFile(dir + "/icon48.ico", IconFile({kIconSize}, 1)) &&
        WriteFile(dir + "/icons4.ico", IconFile(iconSet, 1)) &&
        WriteFile(dir + "/cursor48.cur", IconFile({kCursorSize}, 2, kHotspotX, kHotspotY)) &&
        WriteFile(dir + "/testdata.h", Header(dir, argv[2], big, small)) &&
        WriteFile(dir + "/test_files.rc", ResourceScript(dir));
    if (!ok) {
        std::cerr << "testdata: cannot write into " << dir << "\n";
        return 1;
    }
    return 0;
}
