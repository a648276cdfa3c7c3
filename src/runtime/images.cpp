#include "runtime/images.h"

#include <ole2.h>
#include <olectl.h>

#include <cstring>
#include <utility>

#include "runtime/files.h"
#include "runtime/strings.h"
#include "runtime/unique_handle.h"

namespace rt {

namespace {

using GlobalBlock = UniqueHandle<HGLOBAL, GlobalFree>;

void ReleaseObject(IUnknown* object) { object->Release(); }
using StreamOwner = UniqueHandle<IStream*, ReleaseObject>;

// Where an image comes from: the module and name LoadImageA takes, and its options.
struct ImageSource {
    HINSTANCE module;
    LPCSTR name;  // null: no such source
    UINT options;
    bool fromFile;
};

ImageSource Locate(const ResourceName& source) {
    if (!source.IsNumber() && InStr(source.Text(), ".", 1) != 0) {
        return {nullptr, source.Text(), LR_LOADFROMFILE, true};
    }
    return {GetModuleHandleA(nullptr), source.Win32Name(), 0, false};
}

Image LoadWithLoadImageA(const ImageSource& from, UINT type, UINT options) {
    return LoadImageA(from.module, from.name, type, 0, 0, from.options | options);
}

// The picture's bytes, copied from a "RTIMAGE" resource; the size includes the
// resource copy's one zero byte.
GlobalBlock PictureBytesFromResource(const ResourceName& source, SIZE_T& size) {
    HGLOBAL block = nullptr;
    if (!FetchResource(source, "RTIMAGE", block)) return GlobalBlock();
    size = GlobalSize(block);
    return GlobalBlock(block);
}

// The whole file's bytes.
GlobalBlock PictureBytesFromFile(const char* path, SIZE_T& size) {
    FileVariable file(FileKind::kBinary);
    if (OpenFile(file, path, "R") != 0) return GlobalBlock();
    DWORD high = 0;
    const DWORD low = GetFileSize(file.handle, &high);
    // OleLoadPicture takes a 32-bit signed size.
    const bool fits = low != INVALID_FILE_SIZE && high == 0 && low > 0 && low <= INT32_MAX;
    GlobalBlock block(fits ? GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, low) : nullptr);
    if (block && ReadFromFile(file, FileData::Block(block.get()), static_cast<int32_t>(low)) != 0) {
        block.reset();
    }
    CloseFile(file);
    size = low;
    return block;
}

// A picture object from image bytes. The stream that OleLoadPicture reads owns a
// movable copy of the bytes and frees it when it is released.
Image PictureFromBytes(GlobalBlock bytes, SIZE_T size) {
    GlobalBlock movable(GlobalAlloc(GMEM_MOVEABLE, size));
    void* target = movable ? GlobalLock(movable.get()) : nullptr;
    if (!target) return nullptr;
    std::memcpy(target, bytes.get(), size);
    GlobalUnlock(movable.get());
    bytes.reset();

    IStream* created = nullptr;
    if (FAILED(CreateStreamOnHGlobal(movable.get(), TRUE, &created)) || !created) return nullptr;
    movable.release();
    StreamOwner stream(created);

    IPicture* picture = nullptr;
    const HRESULT loaded = OleLoadPicture(stream.get(), static_cast<LONG>(size), FALSE,
                                          IID_IPicture, reinterpret_cast<void**>(&picture));
    if (FAILED(loaded)) return nullptr;
    return picture;
}

Image LoadPicture(const ResourceName& source, const ImageSource& from) {
    SIZE_T size = 0;
    GlobalBlock bytes = from.fromFile ? PictureBytesFromFile(from.name, size)
                                      : PictureBytesFromResource(source, size);
    if (!bytes) return nullptr;
    return PictureFromBytes(std::move(bytes), size);
}

}  // namespace

Image LoadImage(const ResourceName& source, int32_t kind) {
    const ImageSource from = Locate(source);
    if (!from.name) return nullptr;
    switch (kind) {
        case kImageBitmap:
            return LoadWithLoadImageA(from, IMAGE_BITMAP, LR_CREATEDIBSECTION);
        case kImageIcon:
            return LoadWithLoadImageA(from, IMAGE_ICON, 0);
        case kImageCursor:
            return LoadWithLoadImageA(from, IMAGE_CURSOR, 0);
        case kImageMetafile:
            // Metafiles are files; a resource number is no file name.
            return source.IsNumber() ? nullptr : GetEnhMetaFileA(source.Text());
        case kImagePicture:
            return LoadPicture(source, from);
        default:
            return nullptr;
    }
}

void DeleteImage(Image image, int32_t kind) {
    if (!image) return;
    switch (kind) {
        case kImageBitmap:
            DeleteObject(static_cast<HBITMAP>(image));
            break;
        case kImageIcon:
            DestroyIcon(static_cast<HICON>(image));
            break;
        case kImageCursor:
            DestroyCursor(static_cast<HCURSOR>(image));
            break;
        case kImageMetafile:
            DeleteEnhMetaFile(static_cast<HENHMETAFILE>(image));
            break;
        case kImagePicture:
            static_cast<IUnknown*>(image)->Release();
            break;
        default:
            break;
    }
}

}  // namespace rt
