#include "runtime/resources.h"

#include <cstring>

namespace rt {

namespace {

constexpr int32_t kLongestResourceNumber = 0xFFFF;
constexpr size_t kLongestResourceText = 255;

}  // namespace

LPCSTR ResourceName::Win32Name() const {
    if (IsNumber()) {
        // Above 65535 the system would take the number for the address of a text.
        if (number_ < 1 || number_ > kLongestResourceNumber) return nullptr;
        return MAKEINTRESOURCEA(number_);
    }
    // A longer name would be cut to a different, possibly existing, name.
    if (std::strlen(text_) > kLongestResourceText) return nullptr;
    return text_;
}

ResourceBytes FindResourceBytes(const ResourceName& name, const ResourceName& type) {
    const LPCSTR resourceName = name.Win32Name();
    const LPCSTR resourceType = type.Win32Name();
    if (!resourceName || !resourceType) return {};
    HRSRC found = FindResourceA(nullptr, resourceName, resourceType);
    if (!found) return {};
    HGLOBAL loaded = LoadResource(nullptr, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return {};
    return {bytes, SizeofResource(nullptr, found)};
}

int32_t FetchResource(const ResourceName& name, const ResourceName& type, HGLOBAL& block) {
    const ResourceBytes found = FindResourceBytes(name, type);
    if (!found.bytes) return 0;
    HGLOBAL copy = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, static_cast<SIZE_T>(found.size) + 1);
    if (!copy) return 0;
    std::memcpy(copy, found.bytes, found.size);  // a fixed block's handle is its address
    block = copy;
    return 1;
}

void FreeGlobal(HGLOBAL block) {
    if (block) GlobalFree(block);
}

}  // namespace rt
