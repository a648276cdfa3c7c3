// setupart OUTDIR: draws the setup program's page images, small bitmaps and icons into
// OUTDIR, writes the resource script setup_art.rc that names them, and writes the
// licence and read-me texts (eula.txt, readme.txt) that the setup program carries.
// Fails when a text or an image does not come out in the exact size the program and its
// resource loading expect.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "artwork.h"
#include "image_files.h"
#include "lettering.h"
#include "texts.h"

namespace {

using namespace setupart;

const Rgb kWhite = Hex(0xFFFFFF);
const Rgb kBlack = Hex(0x000000);

// What a file's headers must say: bits per pixel and, for a bitmap, its one size; for an
// icon, the size of each image in order.
struct Expected {
    const char* file;
    int bits;
    std::vector<int> sizes;  // a bitmap's width and height, or the icon's image sizes
    bool icon;
};

const std::vector<int> kIconSizes = {16, 24, 32, 48};

const std::vector<Expected> kExpected = {
    {"logo.bmp", 24, {285, 285}, false},
    {"setup.ico", 32, kIconSizes, true},
    {"tools.bmp", 32, {40, 40}, false},
    {"tick_on_black.bmp", 32, {16, 16}, false},
    {"cross_on_black.bmp", 32, {16, 16}, false},
    {"cross.bmp", 32, {16, 16}, false},
    {"bar.bmp", 1, {13, 13}, false},
    {"tick.bmp", 1, {13, 13}, false},
    {"program.ico", 32, kIconSizes, true},
};

uint32_t Get(const std::string& bytes, size_t at, int count) {
    uint32_t v = 0;
    for (int i = count - 1; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(bytes[at + i]);
    return v;
}

// Reads the headers back as a loader would; empty when they match.
std::string ImageFault(const std::string& bytes, const Expected& want) {
    if (!want.icon) {
        const uint32_t rowBytes = ((want.sizes[0] * want.bits + 31) / 32) * 4;
        const size_t table = want.bits == 1 ? 8 : 0;
        if (bytes.size() != 54 + table + rowBytes * want.sizes[1] || bytes.compare(0, 2, "BM") ||
            Get(bytes, 2, 4) != bytes.size() || Get(bytes, 10, 4) != 54 + table ||
            Get(bytes, 18, 4) != static_cast<uint32_t>(want.sizes[0]) ||
            Get(bytes, 22, 4) != static_cast<uint32_t>(want.sizes[1]) ||
            Get(bytes, 28, 2) != static_cast<uint32_t>(want.bits)) {
            return "bitmap headers do not match its size";
        }
        return {};
    }
    if (Get(bytes, 2, 2) != 1 || Get(bytes, 4, 2) != want.sizes.size()) return "not a 4-image icon";
    for (size_t i = 0; i < want.sizes.size(); ++i) {
        const size_t entry = 6 + 16 * i;
        const uint32_t size = Get(bytes, entry + 8, 4), offset = Get(bytes, entry + 12, 4);
        const int side = want.sizes[i];
        if (Get(bytes, entry, 1) != static_cast<uint32_t>(side) ||
            Get(bytes, entry + 6, 2) != static_cast<uint32_t>(want.bits) ||
            offset + size > bytes.size() ||
            Get(bytes, offset + 4, 4) != static_cast<uint32_t>(side) ||
            Get(bytes, offset + 8, 4) != static_cast<uint32_t>(2 * side) ||
            size != 40 + 4u * side * side + ((side + 31) / 32) * 4 * side) {
            return "icon image " + std::to_string(i + 1) + " does not match its size";
        }
    }
    return {};
}

std::vector<Canvas> IconImages(Canvas (*draw)(int)) {
    std::vector<Canvas> images;
    for (int size : kIconSizes) images.push_back(draw(size));
    return images;
}

std::string ResourceScript() {
    return "// The setup program's page images and icon, drawn by tools/host/setupart.\n"
           "3 RTIMAGE \"logo.bmp\"\n"
           "19 RTIMAGE \"setup.ico\"\n"
           "20 RTIMAGE \"tools.bmp\"\n"
           "4 BITMAP \"tick_on_black.bmp\"\n"
           "5 BITMAP \"cross_on_black.bmp\"\n"
           "10 BITMAP \"cross.bmp\"\n"
           "6 BITMAP \"bar.bmp\"\n"
           "11 BITMAP \"tick.bmp\"\n"
           "2 ICON \"program.ico\"\n";
}

bool WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: setupart OUTDIR\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::filesystem::create_directories(dir);

    bool ok = true;
    const auto fail = [&](const char* file, const std::string& fault) {
        std::fprintf(stderr, "setupart: %s: %s\n", file, fault.c_str());
        ok = false;
    };

    const std::vector<std::pair<const char*, std::string>> images = {
        {"logo.bmp", BitmapFile(Logo(), 24)},
        {"setup.ico", IconFile(IconImages(SetupIcon))},
        {"tools.bmp", BitmapFile(Tools(), 32)},
        {"tick_on_black.bmp", BitmapFile(Tick(kBlack), 32)},
        {"cross_on_black.bmp", BitmapFile(Cross(kBlack), 32)},
        {"cross.bmp", BitmapFile(Cross(kWhite), 32)},
        {"bar.bmp", MonochromeFile(BarRows(), kWhite, Hex(0xE0201A))},
        {"tick.bmp", MonochromeFile(TickRows(), kWhite, Hex(0x1DA53A))},
        {"program.ico", IconFile(IconImages(ProgramIcon))},
    };
    for (const auto& [file, bytes] : images) {
        const auto want = std::ranges::find(kExpected, std::string_view(file), &Expected::file);
        const std::string fault =
            want == kExpected.end() ? "no expected size" : ImageFault(bytes, *want);
        if (!fault.empty()) fail(file, fault);
    }

    const std::vector<std::pair<const char*, std::pair<std::string, TextShape>>> texts = {
        {"eula.txt", {EulaText(), kEulaShape}},
        {"readme.txt", {ReadmeText(), kReadmeShape}},
    };
    for (const auto& [file, text] : texts) {
        const std::string fault = TextFault(text.first, text.second);
        if (!fault.empty()) fail(file, fault);
    }
    if (!ok) return 1;

    for (const auto& [file, bytes] : images) ok = ok && WriteFile(dir / file, bytes);
    for (const auto& [file, text] : texts) ok = ok && WriteFile(dir / file, text.first);
    ok = ok && WriteFile(dir / "setup_art.rc", ResourceScript());
    if (!ok) {
        std::fprintf(stderr, "setupart: cannot write into %s\n", dir.string().c_str());
        return 1;
    }
    return 0;
}
