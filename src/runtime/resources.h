// The program's own resources: read in place, or copied into global memory blocks.
#pragma once

#include <cstdint>

#include "runtime/win.h"

namespace rt {

// A resource name or type: a resource number or a text. Numbers outside 1 to 65535
// and texts longer than 255 characters name no resource.
class ResourceName {
public:
    ResourceName(int32_t number) : number_(number) {}            // NOLINT: a number is a name
    ResourceName(const char* text) : text_(text ? text : "") {}  // NOLINT: so is a text

    bool IsNumber() const { return text_ == nullptr; }
    int32_t Number() const { return number_; }
    const char* Text() const { return text_ ? text_ : ""; }
    // The name as FindResourceA and LoadImageA take it (an integer identifier or the
    // text), or null when it names no resource.
    LPCSTR Win32Name() const;

private:
    const char* text_ = nullptr;
    int32_t number_ = 0;
};

// The bytes of a resource of the program's own module, read in place: they stay for the
// life of the program and are never written.
struct ResourceBytes {
    const void* bytes = nullptr;  // null when the resource is missing or does not load
    uint32_t size = 0;
};
ResourceBytes FindResourceBytes(const ResourceName& name, const ResourceName& type);

// Copies the resource of that name and type from the program's own module into a new
// fixed, zero-initialised global block of its size + 1 bytes (the last byte stays 0),
// stores the block in the variable and gives 1. Gives 0 and leaves the variable as it
// was when the resource is missing or does not load, or the block cannot be made. The
// caller owns the block and frees it with FreeGlobal.
int32_t FetchResource(const ResourceName& name, const ResourceName& type, HGLOBAL& block);
// Frees a block; the caller's variable is not changed.
void FreeGlobal(HGLOBAL block);

}  // namespace rt
