// glyphs OUTDIR: draws the 1345 button shapes of Keyglyph.dll into OUTDIR as
// 0201.bmp to 1545.bmp, writes keyglyph.rc naming them (language 1033) and an index
// of the shapes. Fails when a family's count is off or two shapes are identical.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "dib.h"
#include "families.h"

namespace {

using namespace glyphs;

constexpr int kFirstId = 201, kLastOutlineId = 1432, kLastId = 1545;

struct Shape {
    int id;
    std::string family;
    Mask mask;
};

// The families drawn one after another from firstId; false when they do not end
// exactly at lastId.
bool Draw(const std::vector<Family>& families, int firstId, int lastId, int width, int height,
          std::vector<Shape>& shapes) {
    int id = firstId;
    for (const Family& family : families) {
        for (int i = 0; i < family.count; ++i) {
            shapes.push_back({id++, family.name, Rasterize(family.make(i), width, height)});
        }
    }
    if (id != lastId + 1) {
        std::fprintf(stderr, "glyphs: the families end at %d instead of %d\n", id - 1, lastId);
        return false;
    }
    return true;
}

bool AllDistinct(const std::vector<Shape>& shapes) {
    std::map<std::string, const Shape*> seen;
    bool distinct = true;
    for (const Shape& shape : shapes) {
        std::string key(shape.mask.inside.begin(), shape.mask.inside.end());
        key.push_back(static_cast<char>(shape.mask.width));
        auto [it, added] = seen.emplace(std::move(key), &shape);
        if (!added) {
            std::fprintf(stderr, "glyphs: %d (%s) is the same as %d (%s)\n", shape.id,
                         shape.family.c_str(), it->second->id, it->second->family.c_str());
            distinct = false;
        }
    }
    return distinct;
}

bool WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::string FileName(int id) {
    char name[16];
    std::snprintf(name, sizeof name, "%04d.bmp", id);
    return name;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: glyphs OUTDIR\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::filesystem::create_directories(dir);

    // 201, the full rectangle, is written with a reversed colour table and no bits set.
    Mask full{kOutlineWidth, kOutlineHeight,
              std::vector<uint8_t>(kOutlineWidth * kOutlineHeight, 1)};
    std::vector<Shape> shapes = {{kFirstId, "full", full}};
    if (!Draw(OutlineFamilies(), kFirstId + 1, kLastOutlineId, kOutlineWidth, kOutlineHeight,
              shapes) ||
        !Draw(SymbolFamilies(), kLastOutlineId + 1, kLastId, kSymbolSize, kSymbolSize, shapes) ||
        !AllDistinct(shapes)) {
        return 1;
    }

    std::string rc =
        "// The button shapes of Keyglyph.dll, drawn by tools/host/glyphs.\n"
        "LANGUAGE 9, 1\n";
    std::string index = "# shape  resource  family\n";
    for (const Shape& shape : shapes) {
        const bool outline = shape.id <= kLastOutlineId;
        Mask mask = shape.mask;
        if (shape.id == kFirstId) mask.inside.assign(mask.inside.size(), 0);
        const DibFormat format{outline ? 0 : 3780, shape.id == kFirstId};
        if (!WriteFile(dir / FileName(shape.id), BitmapFile(mask, format))) {
            std::fprintf(stderr, "glyphs: cannot write %s\n", FileName(shape.id).c_str());
            return 1;
        }
        rc += std::to_string(shape.id) + " BITMAP \"" + FileName(shape.id) + "\"\n";
        index += std::to_string(shape.id - 200) + "  " + std::to_string(shape.id) + "  " +
                 shape.family + "\n";
    }
    if (!WriteFile(dir / "shapes.txt", index) || !WriteFile(dir / "keyglyph.rc", rc)) {
        std::fprintf(stderr, "glyphs: cannot write keyglyph.rc\n");
        return 1;
    }
    return 0;
}
