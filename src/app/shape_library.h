// Keyglyph.dll as the application uses it: loaded from the application's own folder by
// full path, and its load_bitmap export.
#pragma once

#include <cstdint>

#include "runtime/win.h"

class ShapeLibrary {
public:
    static constexpr int32_t kShapeCount = 1345;
    static constexpr int32_t kFirstSymbol = 1233;  // shapes from here on are 192 x 192

    ShapeLibrary() = default;
    ShapeLibrary(const ShapeLibrary&) = delete;
    ShapeLibrary& operator=(const ShapeLibrary&) = delete;
    ~ShapeLibrary();

    // Loads Keyglyph.dll from the folder of the running program. False with Problem()
    // saying what went wrong.
    bool Open();
    bool IsOpen() const { return load_ != nullptr; }
    const char* Problem() const { return problem_; }

    // Shape n (1 to kShapeCount) as a bitmap the caller deletes; 0 and 0 keep its size.
    HBITMAP Load(int32_t shape, int32_t width, int32_t height) const;

private:
    using LoadBitmapProc = HBITMAP(WINAPI*)(HINSTANCE, int32_t, int32_t, int32_t);

    HMODULE module_ = nullptr;
    LoadBitmapProc load_ = nullptr;
    char problem_[2 * MAX_PATH] = {};
};
