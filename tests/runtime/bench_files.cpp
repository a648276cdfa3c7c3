// Timings of the runtime's file, resource and image operations under Wine; prints
// figures, judges nothing. Run by hand:
//   tools/wine-run.sh build/<name>-x64/wine build/<name>-x64/tests/runtime/bench_files.exe
#include <ole2.h>
#include <olectl.h>

#include <cstdio>
#include <string>

#include "runtime/files.h"
#include "runtime/images.h"
#include "runtime/resources.h"
#include "runtime/win.h"

using namespace rt;

namespace {

double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

template <class Step>
void Measure(const char* what, int runs, Step step) {
    const double start = Now();
    for (int i = 0; i < runs; ++i) step();
    std::printf("%-52s %12.1f us per run (%d runs)\n", what, (Now() - start) * 1000.0 / runs, runs);
}

}  // namespace

int main() {
    RuntimeStart();
    CreateDirectoryA("C:\\qp-runtime-files", nullptr);
    const char* path = "C:\\qp-runtime-files\\bench-payload.bin";

    Measure("FetchResource of 9,897,862 bytes + FreeGlobal", 10, [] {
        HGLOBAL block = nullptr;
        FetchResource(303, 324, block);
        FreeGlobal(block);
    });
    HGLOBAL block = nullptr;
    FetchResource(303, 324, block);
    Measure("OpenFile \"w\" + WriteToFile of that block + CloseFile", 10, [&] {
        FileVariable file(FileKind::kBinary);
        if (OpenFile(file, path, "w") == 0) {
            WriteToFile(file, FileData::Block(block), static_cast<int32_t>(GlobalSize(block) - 1));
            CloseFile(file);
        }
    });
    FreeGlobal(block);
    DeleteFileA(path);
    Measure("LoadImage picture 285 x 285 (RTIMAGE 3) + DeleteImage", 50,
            [] { DeleteImage(LoadImage(3, kImagePicture), kImagePicture); });
    Measure("LoadImage bitmap (BITMAP 4) + DeleteImage", 200,
            [] { DeleteImage(LoadImage(4, kImageBitmap), kImageBitmap); });
    Measure("GetStartPath", 10000, [] { GetStartPath(); });

    // Which image of the four-image icon file a picture object shows.
    if (Image icon = LoadImage(19, kImagePicture)) {
        OLE_XSIZE_HIMETRIC width = 0;
        OLE_YSIZE_HIMETRIC height = 0;
        static_cast<IPicture*>(icon)->get_Width(&width);
        static_cast<IPicture*>(icon)->get_Height(&height);
        std::printf("picture of RTIMAGE 19: %ld x %ld HIMETRIC\n", static_cast<long>(width),
                    static_cast<long>(height));
        DeleteImage(icon, kImagePicture);
    }
    RuntimeStop();
    return 0;
}
