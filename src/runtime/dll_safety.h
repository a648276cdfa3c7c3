// Where the programs take their DLLs from. A program started from a Downloads folder
// shares that folder with whatever else was downloaded there, and Windows looks for a DLL
// named without a path in the program's folder first and the current folder later. So
// each program restricts the search to the system folder as its first act, and loads by
// full path what it loads itself. The DLLs a program imports are loaded before that first
// act: the programs import only kernel32 and msvcrt, and have every other system DLL
// loaded at its first use (qp_delay_load in cmake/Project.cmake).
//
// Header-only, for the setup program and the stand-in application alike.
#pragma once

#include <cstring>

#include "runtime/win.h"

namespace rt {

// DLLs named without a path are then searched in the system folder only, for the rest of
// the process. SetDefaultDllDirectories came with Windows 8 (and an update of Windows 7),
// so it is looked up; without it, the current folder at least is taken out of the search.
inline void RestrictDllSearch() {
    using SetDefaultDllDirectoriesProc = BOOL(WINAPI*)(DWORD);
    const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesProc>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    SetDllDirectoryA("");
}

// The full path of a file of the system folder; false when the path does not fit.
inline bool SystemFilePath(const char* name, char (&path)[MAX_PATH]) {
    const size_t folder = GetSystemDirectoryA(path, MAX_PATH);
    const size_t length = std::strlen(name);
    if (folder == 0 || folder + 1 + length >= MAX_PATH) return false;
    path[folder] = '\\';
    std::memcpy(path + folder + 1, name, length + 1);
    return true;
}

// A DLL of the system folder by its full path, so that a copy of the same name elsewhere
// is never taken even where the search could not be restricted; null when it cannot be
// loaded.
inline HMODULE LoadSystemLibrary(const char* name) {
    char path[MAX_PATH];
    return SystemFilePath(name, path) ? LoadLibraryA(path) : nullptr;
}

}  // namespace rt
