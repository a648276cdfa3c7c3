// The library's one export: a button shape by number as a bitmap handle.
#pragma once

#include <cstdint>

#include "runtime/win.h"

// Shapes 1 to 1232 are the 160 x 60 button outlines, 1233 to 1345 the 192 x 192
// symbols; shape n is the bitmap resource with identifier n + 200.
inline constexpr int32_t kFirstShape = 1;
inline constexpr int32_t kLastShape = 1345;
inline constexpr int32_t kIdentifierOffset = 200;

// The bitmap of shape `shape` from the library `module`, stretched to width x height
// (0 and 0: its own size). The caller owns the handle and deletes it with DeleteObject.
// 0 for a shape outside 1 to 1345, a module that is not this library, or a failure.
// Calls must come from one thread at a time (one temporary-string stack).
extern "C" HBITMAP WINAPI load_bitmap(HINSTANCE module, int32_t shape, int32_t width,
                                      int32_t height);

// How callers that load the library at run time see the export.
using LoadBitmapProc = HBITMAP(WINAPI*)(HINSTANCE, int32_t, int32_t, int32_t);
