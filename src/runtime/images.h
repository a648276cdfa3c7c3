// Bitmaps, icons, cursors, metafiles and picture objects from the program's resources
// or from files.
#pragma once

#include <cstdint>

#include "runtime/image_kind.h"
#include "runtime/resources.h"

namespace rt {

// An image of that kind, or 0. A number is a resource of the program; a text with a
// "." anywhere (also in a folder name) is a file; any other text is a resource name.
// Bitmaps are always DIB sections; icons and cursors keep the size stored in the
// resource or file; metafiles (EMF) come from files only; picture objects come from
// "RTIMAGE" resources or from image files and hold one reference for the caller.
Image LoadImage(const ResourceName& source, int32_t kind);
// Frees an image by its kind; nothing for 0 or an unknown kind.
void DeleteImage(Image image, int32_t kind);

}  // namespace rt
