// bench_keyglyph: all 1345 shapes loaded and deleted through load_bitmap, against
// LoadImageA of the same resources by number in the same process, interleaved; and the
// library's size on disk.
#include <cstdio>
#include <string>

#include "bench/bench_support.h"
#include "keyglyph/load_bitmap.h"

namespace {

template <typename Load>
double LoadAll(Load load) {
    int loaded = 0;
    const double start = bench::NowMs();
    for (int shape = kFirstShape; shape <= kLastShape; ++shape) {
        HBITMAP bitmap = load(shape);
        loaded += bitmap != nullptr;
        DeleteObject(bitmap);
    }
    const double elapsed = bench::NowMs() - start;
    if (loaded != kLastShape) std::printf("only %d of %d shapes loaded\n", loaded, kLastShape);
    return elapsed;
}

}  // namespace

int main() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dll = path;
    dll = dll.substr(0, dll.find_last_of('\\') + 1) + "Keyglyph.dll";

    HMODULE module = LoadLibraryA(dll.c_str());
    if (!module) {
        std::printf("cannot load %s\n", dll.c_str());
        return 1;
    }
    auto loadBitmap = reinterpret_cast<LoadBitmapProc>(
        reinterpret_cast<void*>(GetProcAddress(module, "load_bitmap")));

    const struct {
        const char* name;
        int width, height;
    } sizes[] = {{"load_bitmap, 1345 shapes, own size", 0, 0},
                 {"load_bitmap, 1345 shapes, 320 x 120", 320, 120}};
    for (const auto& size : sizes) {
        bench::Compare(
            size.name, 9, 1.1,
            [&] { return LoadAll([&](int shape) { return loadBitmap(module, shape, size.width, size.height); }); },
            [&] {
                return LoadAll([&](int shape) {
                    return static_cast<HBITMAP>(LoadImageA(
                        module, MAKEINTRESOURCEA(shape + kIdentifierOffset), IMAGE_BITMAP,
                        size.width, size.height, LR_DEFAULTCOLOR));
                });
            });
    }
    FreeLibrary(module);
    return 0;
}
