// Keyglyph.dll loaded for real: load_bitmap's shapes, sizes and failures, the raw
// bitmap resources byte for byte, and the library's own heap.
#include <doctest/doctest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "keyglyph/load_bitmap.h"
#include "runtime/win.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFF, kBlack = 0;

std::string BesideMe(const char* name) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1) + name;
}

struct Library {
    HMODULE module = LoadLibraryA(BesideMe("Keyglyph.dll").c_str());
    LoadBitmapProc load = module ? reinterpret_cast<LoadBitmapProc>(reinterpret_cast<void*>(
                                       GetProcAddress(module, "load_bitmap")))
                                 : nullptr;
    Library() {
        REQUIRE(module != nullptr);
        REQUIRE(bool(load));
    }
    ~Library() { FreeLibrary(module); }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
};

// A bitmap as 0x00RRGGBB pixels, top row first.
struct Pixels {
    int width = 0, height = 0;
    std::vector<uint32_t> rgb;
    uint32_t at(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
    bool white(int x, int y) const { return at(x, y) == kWhite; }
    int WhiteInRow(int y) const {
        int n = 0;
        for (int x = 0; x < width; ++x) n += white(x, y);
        return n;
    }
    int WhiteInColumn(int x) const {
        int n = 0;
        for (int y = 0; y < height; ++y) n += white(x, y);
        return n;
    }
};

Pixels Read(HBITMAP bitmap) {
    BITMAP info = {};
    REQUIRE(GetObjectA(bitmap, sizeof info, &info) == sizeof info);
    Pixels p{info.bmWidth, info.bmHeight,
             std::vector<uint32_t>(size_t(info.bmWidth) * info.bmHeight)};
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = p.width;
    bi.bmiHeader.biHeight = -p.height;  // top row first
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    HDC dc = GetDC(nullptr);
    const int lines = GetDIBits(dc, bitmap, 0, p.height, p.rgb.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    REQUIRE(lines == p.height);
    for (uint32_t& v : p.rgb) v &= 0xFFFFFF;
    return p;
}

Pixels Shape(const Library& lib, int shape, int width = 0, int height = 0) {
    HBITMAP bitmap = lib.load(lib.module, shape, width, height);
    REQUIRE(bitmap != nullptr);
    Pixels p = Read(bitmap);
    DeleteObject(bitmap);
    return p;
}

// The raw resource of one identifier, as the library holds it.
std::string RawResource(HMODULE module, int id) {
    HRSRC info = FindResourceExA(module, reinterpret_cast<LPCSTR>(RT_BITMAP), MAKEINTRESOURCEA(id),
                                 MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    if (!info) return {};
    HGLOBAL data = LoadResource(module, info);
    const char* bytes = static_cast<const char*>(LockResource(data));
    return bytes ? std::string(bytes, SizeofResource(module, info)) : std::string();
}

uint32_t U32(const std::string& s, size_t at) {
    uint32_t v;
    std::memcpy(&v, s.data() + at, 4);
    return v;
}
uint16_t U16(const std::string& s, size_t at) {
    uint16_t v;
    std::memcpy(&v, s.data() + at, 2);
    return v;
}

// Whether the raw DIB's pixel (x, y), counted from the top, is white.
bool RawWhite(const std::string& dib, int x, int y) {
    const int width = static_cast<int>(U32(dib, 4)), height = static_cast<int>(U32(dib, 8));
    const int rowSize = ((width + 31) / 32) * 4;
    const unsigned char byte = dib[48 + size_t(height - 1 - y) * rowSize + x / 8];
    const int bit = (byte >> (7 - x % 8)) & 1;
    return U32(dib, 40 + 4 * bit) == kWhite;  // the colour table entry the bit selects
}

bool Symmetric(const Pixels& p) {
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width / 2; ++x) {
            if (p.white(x, y) != p.white(p.width - 1 - x, y)) return false;
        }
    }
    return true;
}

// Every row's white pixels form one run (or none): a convex outline.
bool RowsAreRuns(const Pixels& p) {
    for (int y = 0; y < p.height; ++y) {
        int runs = 0;
        for (int x = 0; x < p.width; ++x) runs += p.white(x, y) && (x == 0 || !p.white(x - 1, y));
        if (runs > 1) return false;
    }
    return true;
}

int Count(const Pixels& p, bool white) {
    int n = 0;
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) n += p.white(x, y) == white;
    }
    return n;
}

// The pixels of one colour reachable (4-neighbours) from that colour's pixels on the
// border, or from its first pixel when fromBorder is false.
int Reachable(const Pixels& p, bool white, bool fromBorder) {
    std::vector<char> seen(p.rgb.size());
    std::vector<std::pair<int, int>> todo;
    auto visit = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= p.width || y >= p.height) return;
        char& s = seen[size_t(y) * p.width + x];
        if (s || p.white(x, y) != white) return;
        s = 1;
        todo.push_back({x, y});
    };
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            const bool border = x == 0 || y == 0 || x == p.width - 1 || y == p.height - 1;
            if (fromBorder ? border : todo.empty()) visit(x, y);
        }
    }
    int n = 0;
    while (!todo.empty()) {
        const auto [x, y] = todo.back();
        todo.pop_back();
        ++n;
        visit(x + 1, y), visit(x - 1, y), visit(x, y + 1), visit(x, y - 1);
    }
    return n;
}

}  // namespace

TEST_CASE("every shape has the size of its kind") {
    Library lib;
    for (int shape = 1; shape <= 1345; ++shape) {
        HBITMAP bitmap = lib.load(lib.module, shape, 0, 0);
        REQUIRE_MESSAGE(bitmap != nullptr, "shape " << shape);
        BITMAP info = {};
        GetObjectA(bitmap, sizeof info, &info);
        const bool symbol = shape >= 1233;
        CHECK_MESSAGE(info.bmWidth == (symbol ? 192 : 160), "shape " << shape);
        CHECK_MESSAGE(info.bmHeight == (symbol ? 192 : 60), "shape " << shape);
        CHECK(DeleteObject(bitmap));
        CHECK(GetObjectType(bitmap) == 0);
    }
}

TEST_CASE("shapes outside 1 to 1345 and foreign modules give 0") {
    Library lib;
    for (int shape : {0, 1346, -1, -200, INT_MIN, INT_MAX, INT_MAX - 199}) {
        CHECK_MESSAGE(lib.load(lib.module, shape, 0, 0) == nullptr, "shape " << shape);
    }
    const HMODULE foreign[] = {GetModuleHandleA(nullptr), GetModuleHandleA("kernel32.dll"),
                               GetModuleHandleA("user32.dll")};
    for (HMODULE module : foreign) {
        CHECK(lib.load(module, 1, 0, 0) == nullptr);
        CHECK(lib.load(module, 1345, 0, 0) == nullptr);
    }
}

TEST_CASE("shape 1 is white everywhere") {
    Library lib;
    const Pixels p = Shape(lib, 1);
    REQUIRE(p.width == 160);
    REQUIRE(p.height == 60);
    for (uint32_t v : p.rgb) REQUIRE(v == kWhite);
}

TEST_CASE("shape 2 stretched to 320 x 120 doubles every pixel") {
    Library lib;
    const Pixels small = Shape(lib, 2), big = Shape(lib, 2, 320, 120);
    REQUIRE(big.width == 320);
    REQUIRE(big.height == 120);
    int black = 0;
    for (int y = 0; y < 120; ++y) {
        for (int x = 0; x < 320; ++x) {
            REQUIRE_MESSAGE(big.at(x, y) == small.at(x / 2, y / 2), x << "," << y);
            black += big.at(x, y) == kBlack;
        }
    }
    CHECK(black == 4 * 12);
}

TEST_CASE("the rounded rectangles 2 to 14") {
    Library lib;
    SUBCASE("shape 2 loses three pixels at each corner") {
        const Pixels p = Shape(lib, 2);
        std::set<std::pair<int, int>> black;
        for (int y = 0; y < 60; ++y) {
            for (int x = 0; x < 160; ++x) {
                if (!p.white(x, y)) black.insert({x, y});
            }
        }
        const std::set<std::pair<int, int>> corners = {{0, 0},   {1, 0},    {0, 1},    {159, 0},
                                                       {158, 0}, {159, 1},  {0, 59},   {1, 59},
                                                       {0, 58},  {159, 59}, {158, 59}, {159, 58}};
        CHECK(black == corners);
    }
    SUBCASE("the radius grows from one shape to the next") {
        int lastBlack = 0;
        for (int shape = 2; shape <= 14; ++shape) {
            const Pixels p = Shape(lib, shape);
            int black = 0;
            for (uint32_t v : p.rgb) black += v == kBlack;
            CHECK_MESSAGE(black > lastBlack, "shape " << shape);
            CHECK(Symmetric(p));
            CHECK(RowsAreRuns(p));
            lastBlack = black;
        }
    }
    SUBCASE("shape 14 keeps 96 pixels of its top row and 4 of its left column") {
        const Pixels p = Shape(lib, 14);
        CHECK(p.WhiteInRow(0) == 96);
        CHECK(p.WhiteInRow(59) == 96);
        for (int x = 32; x < 128; ++x) CHECK(p.white(x, 0));
        CHECK(p.WhiteInColumn(0) == 4);
        CHECK(p.WhiteInColumn(159) == 4);
        for (int y = 28; y < 32; ++y) CHECK(p.white(0, y));
    }
}

TEST_CASE("shape 1233 is a triangle pointing up on the bottom edge") {
    Library lib;
    const Pixels p = Shape(lib, 1233);
    CHECK(Symmetric(p));
    CHECK(RowsAreRuns(p));
    CHECK(p.WhiteInRow(0) <= 2);
    CHECK(p.WhiteInRow(191) >= 186);
    for (int y = 1; y < 192; ++y) CHECK(p.WhiteInRow(y) >= p.WhiteInRow(y - 1));
    // Straight sides: the width grows by two pixels per row and a half.
    CHECK(std::abs(p.WhiteInRow(96) - 96) <= 2);
}

TEST_CASE("shape 1240 is a pentagon with a corner up") {
    Library lib;
    const Pixels p = Shape(lib, 1240);
    CHECK(Symmetric(p));
    CHECK(RowsAreRuns(p));
    int widest = 0, widestRow = 0, lastRow = 0;
    for (int y = 0; y < 192; ++y) {
        if (p.WhiteInRow(y) > widest) widest = p.WhiteInRow(y), widestRow = y;
        if (p.WhiteInRow(y) > 0) lastRow = y;
    }
    CHECK(p.WhiteInRow(0) <= 4);
    // The two upper sides meet the lower ones at 38 % of the height; the flat base is
    // about 62 % of the widest row.
    CHECK(widestRow == doctest::Approx(0.38 * lastRow).epsilon(0.1));
    CHECK(double(p.WhiteInRow(lastRow)) / widest == doctest::Approx(0.62).epsilon(0.08));
    for (int y = 1; y <= widestRow; ++y) CHECK(p.WhiteInRow(y) >= p.WhiteInRow(y - 1));
    for (int y = widestRow + 1; y <= lastRow; ++y) CHECK(p.WhiteInRow(y) <= p.WhiteInRow(y - 1));
}

TEST_CASE("the bitmap resources byte for byte") {
    HMODULE module =
        LoadLibraryExA(BesideMe("Keyglyph.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    REQUIRE(module != nullptr);
    CHECK(RawResource(module, 200).empty());
    CHECK(RawResource(module, 1546).empty());
    std::set<std::string> masks;
    for (int id = 201; id <= 1545; ++id) {
        CAPTURE(id);
        const std::string dib = RawResource(module, id);
        const bool symbol = id >= 1433;
        const uint32_t width = symbol ? 192 : 160, height = symbol ? 192 : 60;
        const uint32_t pixelBytes = symbol ? 4608 : 1200;
        REQUIRE(dib.size() == (symbol ? 4656u : 1248u));
        CHECK(U32(dib, 0) == 40);
        CHECK(U32(dib, 4) == width);
        CHECK(U32(dib, 8) == height);
        CHECK(U16(dib, 12) == 1);
        CHECK(U16(dib, 14) == 1);
        CHECK(U32(dib, 16) == BI_RGB);
        CHECK(U32(dib, 20) == pixelBytes);
        CHECK(U32(dib, 24) == (symbol ? 3780u : 0u));
        CHECK(U32(dib, 28) == (symbol ? 3780u : 0u));
        CHECK(U32(dib, 32) == 2);
        CHECK(U32(dib, 36) == 0);
        const bool reversed = id == 201;
        CHECK(U32(dib, 40) == (reversed ? kWhite : kBlack));
        CHECK(U32(dib, 44) == (reversed ? kBlack : kWhite));
        if (reversed) CHECK(dib.find_first_not_of('\0', 48) == std::string::npos);
        std::string mask;
        for (uint32_t y = 0; y < height; ++y) {
            for (uint32_t x = 0; x < width; ++x) mask += RawWhite(dib, int(x), int(y)) ? '1' : '0';
        }
        CHECK_MESSAGE(masks.insert(mask).second, "bitmap " << id << " repeats an earlier one");
    }
    CHECK(masks.size() == 1345);
    FreeLibrary(module);
}

TEST_CASE("load_bitmap hands out the resources' pixels, white inside") {
    Library lib;
    for (int shape = 1; shape <= 1345; ++shape) {
        const std::string dib = RawResource(lib.module, shape + 200);
        const Pixels p = Shape(lib, shape);
        bool same = true;
        for (int y = 0; y < p.height && same; ++y) {
            for (int x = 0; x < p.width && same; ++x) same = p.white(x, y) == RawWhite(dib, x, y);
        }
        CHECK_MESSAGE(same, "shape " << shape);
        // A button outline is one white piece, and all its black lies outside it.
        if (shape < 1233) {
            CHECK_MESSAGE(Reachable(p, true, false) == Count(p, true), "shape " << shape);
            CHECK_MESSAGE(Reachable(p, false, true) == Count(p, false), "shape " << shape);
        }
    }
}

TEST_CASE("the entry routine and the library's own heap") {
    HANDLE heaps[512];
    const DWORD before = GetProcessHeaps(512, heaps);
    {
        Library lib;
        CHECK(GetProcessHeaps(512, heaps) == before + 1);
        HBITMAP bitmap = lib.load(lib.module, 7, 0, 0);
        CHECK(bitmap != nullptr);
        DeleteObject(bitmap);

        // Thread attach and detach answer with their reason number.
        auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(lib.module);
        auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
            reinterpret_cast<const char*>(lib.module) + dos->e_lfanew);
        using Entry = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);
        auto entry = reinterpret_cast<Entry>(reinterpret_cast<const char*>(lib.module) +
                                             nt->OptionalHeader.AddressOfEntryPoint);
        CHECK(entry(lib.module, DLL_THREAD_ATTACH, nullptr) == DLL_THREAD_ATTACH);
        CHECK(entry(lib.module, DLL_THREAD_DETACH, nullptr) == DLL_THREAD_DETACH);
    }
    CHECK(GetProcessHeaps(512, heaps) == before);
}
