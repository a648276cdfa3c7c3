// Every image kind from this test program's resources and from files, with the
// properties the system reports for what was loaded.
#include <doctest/doctest.h>
#include <ole2.h>
#include <olectl.h>

#include <string>

#include "files_support.h"
#include "runtime/images.h"
#include "runtime/win.h"
#include "testdata.h"

using namespace rt;
using namespace files_test;

namespace {

std::string DataFile(const char* name) { return std::string(testdata::kDataFolder) + name; }

struct Size {
    int width = 0;
    int height = 0;
    bool operator==(const Size&) const = default;
};

bool IsDibSection(Image image) {
    DIBSECTION section = {};
    return GetObjectA(static_cast<HBITMAP>(image), sizeof section, &section) == sizeof section;
}

Size BitmapSize(Image image, int* bits = nullptr) {
    BITMAP bitmap = {};
    if (!GetObjectA(static_cast<HBITMAP>(image), sizeof bitmap, &bitmap)) return {};
    if (bits) *bits = bitmap.bmBitsPixel;
    return {bitmap.bmWidth, bitmap.bmHeight};
}

// The generator's colour of the pixel at x, y (top-down), as the bitmap holds it.
bool PixelAsGenerated(Image image, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, static_cast<HBITMAP>(image));
    const COLORREF colour = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return colour == RGB(((x ^ y) * 3) & 0xFF, (y * 5) & 0xFF, (x * 7) & 0xFF);
}

struct IconFacts {
    bool ok = false;
    bool isIcon = false;
    Size size;
    DWORD hotX = 0;
    DWORD hotY = 0;
};

IconFacts FactsOf(Image image) {
    ICONINFO info = {};
    IconFacts facts;
    if (!GetIconInfo(static_cast<HICON>(image), &info)) return facts;
    facts.ok = true;
    facts.isIcon = info.fIcon != FALSE;
    facts.hotX = info.xHotspot;
    facts.hotY = info.yHotspot;
    if (info.hbmColor) facts.size = BitmapSize(info.hbmColor);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return facts;
}

struct PictureFacts {
    short type = PICTYPE_UNINITIALIZED;
    Size size;  // in pixels, from the HIMETRIC extent
};

PictureFacts FactsOf(IPicture* picture) {
    PictureFacts facts;
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    picture->get_Type(&facts.type);
    picture->get_Width(&width);
    picture->get_Height(&height);
    HDC screen = GetDC(nullptr);
    const int dpiX = GetDeviceCaps(screen, LOGPIXELSX);
    const int dpiY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    facts.size = {MulDiv(width, dpiX, 2540), MulDiv(height, dpiY, 2540)};
    return facts;
}

IPicture* AsPicture(Image image) { return static_cast<IPicture*>(image); }

// An enhanced metafile of 20 x 10 mm with one rectangle, written to path.
bool MakeMetafile(const std::string& path) {
    const RECT frame = {0, 0, 2000, 1000};  // in 0.01 mm
    HDC dc = CreateEnhMetaFileA(nullptr, path.c_str(), &frame, nullptr);
    if (!dc) return false;
    Rectangle(dc, 10, 10, 50, 30);
    HENHMETAFILE made = CloseEnhMetaFile(dc);
    return made && DeleteEnhMetaFile(made);
}

}  // namespace

TEST_CASE("bitmaps from resources and files are DIB sections of their own size") {
    Runtime runtime;
    const std::string file = DataFile("plain.bmp");
    const ResourceName sources[] = {4, "PLAINBMP", file.c_str()};
    for (const ResourceName& source : sources) {
        CAPTURE(source.IsNumber() ? std::to_string(source.Number()) : source.Text());
        Image image = LoadImage(source, kImageBitmap);
        REQUIRE(image != nullptr);
        CHECK(IsDibSection(image));
        int bits = 0;
        CHECK(BitmapSize(image, &bits) == Size{testdata::kPlainWidth, testdata::kPlainHeight});
        CHECK(bits == 24);
        CHECK(PixelAsGenerated(image, 0, 0));
        CHECK(PixelAsGenerated(image, 36, 5));
        DeleteImage(image, kImageBitmap);
    }
}

TEST_CASE("icons and cursors keep the size stored in the resource or file") {
    Runtime runtime;
    const std::string iconFile = DataFile("icon48.ico");
    const std::string cursorFile = DataFile("cursor48.cur");
    const struct {
        ResourceName source;
        int32_t kind;
    } cases[] = {
        {5, kImageIcon},   {"ICON48", kImageIcon},     {iconFile.c_str(), kImageIcon},
        {6, kImageCursor}, {"CURSOR48", kImageCursor}, {cursorFile.c_str(), kImageCursor},
    };
    for (const auto& c : cases) {
        CAPTURE(c.source.IsNumber() ? std::to_string(c.source.Number()) : c.source.Text());
        Image image = LoadImage(c.source, c.kind);
        REQUIRE(image != nullptr);
        const IconFacts facts = FactsOf(image);
        CHECK(facts.ok);
        CHECK(facts.isIcon == (c.kind == kImageIcon));
        const int size = c.kind == kImageIcon ? testdata::kIconSize : testdata::kCursorSize;
        CHECK(facts.size == Size{size, size});
        if (c.kind == kImageCursor) {
            CHECK(facts.hotX == static_cast<DWORD>(testdata::kHotspotX));
            CHECK(facts.hotY == static_cast<DWORD>(testdata::kHotspotY));
        }
        DeleteImage(image, c.kind);
    }
}

TEST_CASE("metafiles come from files") {
    Runtime runtime;
    Scratch scratch("metafile");
    const std::string path = scratch.Path("drawing.emf");
    REQUIRE(MakeMetafile(path));
    Image image = LoadImage(path.c_str(), kImageMetafile);
    REQUIRE(image != nullptr);
    ENHMETAHEADER header = {};
    REQUIRE(GetEnhMetaFileHeader(static_cast<HENHMETAFILE>(image), sizeof header, &header));
    CHECK(header.rclFrame.right == 2000);
    CHECK(header.rclFrame.bottom == 1000);
    DeleteImage(image, kImageMetafile);

    CHECK(LoadImage(3, kImageMetafile) == nullptr);  // a number is no file
    CHECK(LoadImage(scratch.Path("missing.emf").c_str(), kImageMetafile) == nullptr);
}

TEST_CASE("picture objects from RTIMAGE resources and from files") {
    Runtime runtime;
    const std::string bitmap24 = DataFile("picture285.bmp");
    const std::string icons = DataFile("icons4.ico");
    const std::string bitmap32 = DataFile("picture40.bmp");
    const int big = testdata::kPicture24Size;
    const int small = testdata::kPicture32Size;
    const struct {
        ResourceName source;
        short type;
        Size size;  // 0 x 0: one of the icon file's sizes
    } cases[] = {
        {3, PICTYPE_BITMAP, {big, big}},
        {19, PICTYPE_ICON, {}},
        {20, PICTYPE_BITMAP, {small, small}},
        {"PICTURE", PICTYPE_BITMAP, {small, small}},
        {bitmap24.c_str(), PICTYPE_BITMAP, {big, big}},
        {icons.c_str(), PICTYPE_ICON, {}},
        {bitmap32.c_str(), PICTYPE_BITMAP, {small, small}},
    };
    for (const auto& c : cases) {
        CAPTURE(c.source.IsNumber() ? std::to_string(c.source.Number()) : c.source.Text());
        Image image = LoadImage(c.source, kImagePicture);
        REQUIRE(image != nullptr);
        const PictureFacts facts = FactsOf(AsPicture(image));
        CHECK(facts.type == c.type);
        if (c.size.width) {
            CHECK(facts.size == c.size);
        } else {
            bool listed = false;
            for (int size : testdata::kIconSetSizes) listed |= facts.size == Size{size, size};
            CHECK(listed);
        }
        CHECK(AsPicture(image)->Release() == 0);  // the caller held the only reference
    }
}

TEST_CASE("a text with a dot anywhere names a file; other texts and numbers name resources") {
    Runtime runtime;
    Scratch scratch("dot-rule");
    const std::string dotted = scratch.Path("a.dir\\plainbmp");
    const std::string plain = scratch.Path("nodot\\plainbmp");
    REQUIRE(CreateFolders(scratch.Path("a.dir")));
    REQUIRE(CreateFolders(scratch.Path("nodot")));
    REQUIRE(CopyTo(DataFile("plain.bmp"), dotted));
    REQUIRE(CopyTo(DataFile("plain.bmp"), plain));
    REQUIRE(scratch.folder().find('.') == std::string::npos);

    Image fromDottedFolder = LoadImage(dotted.c_str(), kImageBitmap);
    CHECK(fromDottedFolder != nullptr);
    DeleteImage(fromDottedFolder, kImageBitmap);
    CHECK(LoadImage(plain.c_str(), kImageBitmap) == nullptr);  // no such resource name
    CHECK(LoadImage("DOT.BMP", kImageBitmap) == nullptr);      // the resource exists, the file not
    Image named = LoadImage("PLAINBMP", kImageBitmap);
    CHECK(named != nullptr);
    DeleteImage(named, kImageBitmap);

    // Picture objects by number come from "RTIMAGE" resources, other kinds not.
    Image picture = LoadImage(3, kImagePicture);
    CHECK(picture != nullptr);
    DeleteImage(picture, kImagePicture);
    CHECK(LoadImage(3, kImageBitmap) == nullptr);
    CHECK(LoadImage(4, kImagePicture) == nullptr);
}

TEST_CASE("missing sources, unreadable images and unknown kinds give 0") {
    Runtime runtime;
    Scratch scratch("no-image");
    const std::string junk = scratch.Path("junk.bmp");
    REQUIRE(WriteAll(junk, "this is not an image at all"));
    const std::string empty = scratch.Path("empty.ico");
    REQUIRE(WriteAll(empty, ""));
    const std::string missing = scratch.Path("missing.bmp");
    for (int32_t kind : {0, 1, 2, 3, 4}) {
        CAPTURE(kind);
        CHECK(LoadImage(999, kind) == nullptr);
        CHECK(LoadImage("NOSUCHIMAGE", kind) == nullptr);
        CHECK(LoadImage(missing.c_str(), kind) == nullptr);
        CHECK(LoadImage(junk.c_str(), kind) == nullptr);
        CHECK(LoadImage(empty.c_str(), kind) == nullptr);
        // Cut to 16 bits, 65536 + 4 would name bitmap 4.
        CHECK(LoadImage(65536 + 4, kind) == nullptr);
        CHECK(LoadImage(0, kind) == nullptr);
    }
    for (int32_t kind : {-1, 5, 100}) {
        CAPTURE(kind);
        CHECK(LoadImage(4, kind) == nullptr);
        CHECK(LoadImage(DataFile("plain.bmp").c_str(), kind) == nullptr);
    }
}

TEST_CASE("DeleteImage frees each kind") {
    Runtime runtime;
    Scratch scratch("delete");
    const std::string emf = scratch.Path("drawing.emf");
    REQUIRE(MakeMetafile(emf));

    Image bitmap = LoadImage(4, kImageBitmap);
    REQUIRE(GetObjectType(bitmap) == OBJ_BITMAP);
    DeleteImage(bitmap, 7);  // an unknown kind frees nothing
    CHECK(GetObjectType(bitmap) == OBJ_BITMAP);
    DeleteImage(bitmap, kImageBitmap);
    CHECK(GetObjectType(bitmap) == 0);

    Image metafile = LoadImage(emf.c_str(), kImageMetafile);
    REQUIRE(GetObjectType(metafile) == OBJ_ENHMETAFILE);
    DeleteImage(metafile, kImageMetafile);
    CHECK(GetObjectType(metafile) == 0);

    for (int32_t kind : {kImageIcon, kImageCursor}) {
        CAPTURE(kind);
        Image image = LoadImage(kind == kImageIcon ? 5 : 6, kind);
        REQUIRE(FactsOf(image).ok);
        DeleteImage(image, kind);
        CHECK_FALSE(FactsOf(image).ok);
    }

    Image picture = LoadImage(20, kImagePicture);
    REQUIRE(picture != nullptr);
    CHECK(AsPicture(picture)->AddRef() == 2);
    DeleteImage(picture, kImagePicture);
    CHECK(AsPicture(picture)->Release() == 0);  // DeleteImage released exactly one

    for (int32_t kind : {0, 1, 2, 3, 4, 9}) DeleteImage(nullptr, kind);
}
