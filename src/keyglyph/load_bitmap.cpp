#include "keyglyph/load_bitmap.h"

#include "runtime/strings.h"

extern "C" HBITMAP WINAPI load_bitmap(HINSTANCE module, int32_t shape, int32_t width,
                                      int32_t height) {
    // Checked first: shape 0 would otherwise ask for identifier 200, which another
    // module handed in by mistake might well hold.
    if (shape < kFirstShape || shape > kLastShape) return nullptr;

    // "#201" names resource 201 by its integer identifier.
    char* number = rt::Str(shape + kIdentifierOffset).release();
    rt::TempPush(number);
    char* digits = rt::LTrim(number).release();
    rt::TempPop(1);
    rt::TempPush(digits);
    rt::NewString name = rt::Concat("#", digits);
    rt::TempPop(1);
    rt::Text text;
    text = name;

    return static_cast<HBITMAP>(
        LoadImageA(module, text.c_str(), IMAGE_BITMAP, width, height, LR_DEFAULTCOLOR));
}
