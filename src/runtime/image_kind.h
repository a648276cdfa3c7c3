// Image handles and their kinds, shared by the loaders (runtime/images.h) and the
// toolkit's ShowImage.
#pragma once

#include <cstdint>

namespace rt {

// An image of one of the kinds below: an HBITMAP (a DIB section), HICON, HCURSOR,
// HENHMETAFILE or IPicture*. 0 means no image.
using Image = void*;

enum ImageKind : int32_t {
    kImageBitmap = 0,
    kImageIcon = 1,
    kImageCursor = 2,
    kImageMetafile = 3,
    kImagePicture = 4,  // an OLE picture object holding one reference
};

}  // namespace rt
