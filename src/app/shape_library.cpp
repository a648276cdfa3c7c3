#include "app/shape_library.h"

#include <cstdio>
#include <cstring>

namespace {

// The full path of a file in the folder of the running program; false when it does
// not fit.
bool BesideProgram(const char* name, char (&path)[MAX_PATH]) {
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    char* slash = std::strrchr(path, '\\');
    const size_t folder = slash ? static_cast<size_t>(slash - path + 1) : 0;
    if (folder + std::strlen(name) >= MAX_PATH) return false;
    std::strcpy(path + folder, name);
    return true;
}

}  // namespace

ShapeLibrary::~ShapeLibrary() {
    if (module_) FreeLibrary(module_);
}

bool ShapeLibrary::Open() {
    char path[MAX_PATH];
    if (!BesideProgram("Keyglyph.dll", path)) {
        std::snprintf(problem_, sizeof problem_,
                      "The program's folder name is too long for Keyglyph.dll.");
        return false;
    }
    // By full path, so that a Keyglyph.dll in the current folder or on PATH is never
    // picked up instead of ours.
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
        std::snprintf(problem_, sizeof problem_,
                      "Keyglyph.dll is missing: it must lie beside QuorvexPlenar.exe (%s).", path);
        return false;
    }
    // No altered search path: the DLLs it imports come from the system folder, not ours.
    module_ = LoadLibraryExA(path, nullptr, 0);
    if (!module_) {
        std::snprintf(problem_, sizeof problem_, "Keyglyph.dll could not be loaded (error %lu): %s",
                      GetLastError(), path);
        return false;
    }
    load_ = reinterpret_cast<LoadBitmapProc>(
        reinterpret_cast<void*>(GetProcAddress(module_, "load_bitmap")));
    if (!load_) {
        std::snprintf(problem_, sizeof problem_, "Keyglyph.dll has no load_bitmap function: %s",
                      path);
        FreeLibrary(module_);
        module_ = nullptr;
        return false;
    }
    return true;
}

HBITMAP ShapeLibrary::Load(int32_t shape, int32_t width, int32_t height) const {
    return load_ ? load_(module_, shape, width, height) : nullptr;
}
