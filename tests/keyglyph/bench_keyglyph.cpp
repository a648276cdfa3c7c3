// bench_keyglyph [DLL...]: prints how long loading and deleting all 1345 shapes takes
// with the Keyglyph.dll beside it, and its size and that of every DLL named.
#include <cstdio>
#include <string>

#include "keyglyph/load_bitmap.h"

int main(int argc, char** argv) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dll = path;
    dll = dll.substr(0, dll.find_last_of('\\') + 1) + "Keyglyph.dll";

    LARGE_INTEGER frequency, t0, t1, t2;
    QueryPerformanceFrequency(&frequency);
    auto ms = [&](LARGE_INTEGER a, LARGE_INTEGER b) {
        return 1000.0 * double(b.QuadPart - a.QuadPart) / double(frequency.QuadPart);
    };

    QueryPerformanceCounter(&t0);
    HMODULE module = LoadLibraryA(dll.c_str());
    QueryPerformanceCounter(&t1);
    if (!module) {
        std::printf("cannot load %s\n", dll.c_str());
        return 1;
    }
    auto load = reinterpret_cast<LoadBitmapProc>(
        reinterpret_cast<void*>(GetProcAddress(module, "load_bitmap")));
    std::printf("LoadLibraryA: %.2f ms\n", ms(t0, t1));

    const struct {
        const char* what;
        int width, height;
    } runs[] = {{"own size", 0, 0}, {"stretched to 320 x 120", 320, 120}};
    for (const auto& run : runs) {
        for (int round = 0; round < 3; ++round) {
            int loaded = 0;
            QueryPerformanceCounter(&t0);
            for (int shape = 1; shape <= kLastShape; ++shape) {
                HBITMAP bitmap = load(module, shape, run.width, run.height);
                loaded += bitmap != nullptr;
                DeleteObject(bitmap);
            }
            QueryPerformanceCounter(&t2);
            std::printf("load and delete %d shapes (%s), round %d: %.1f ms (%.1f us each)\n",
                        loaded, run.what, round + 1, ms(t0, t2), 1000 * ms(t0, t2) / kLastShape);
        }
    }
    FreeLibrary(module);

    for (int i = 0; i < argc; ++i) {
        const std::string file = i == 0 ? dll : argv[i];
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data)) {
            std::printf("%s: %lu bytes\n", file.c_str(), data.nFileSizeLow);
        }
    }
    return 0;
}
