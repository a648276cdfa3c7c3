// Whether the application or its library is in use, asked before a road replaces or
// removes them.
#include "install/actions.h"
#include "record/setup_state.h"

namespace install {

using setup::g_setup;

namespace {

// What a running application holds: its own file and the library it loads.
constexpr const char* kHeldFiles[] = {kApplicationFile, "\\Keyglyph.dll"};

// A running program's file, and a file another process holds open without sharing
// writes, cannot be opened for writing: the system answers with a sharing violation, on
// Windows and under Wine alike. Everything is shared on our side, so that a reader which
// would not stand in the way of the write (an indexer, a virus scanner that shares) does
// not count. Nothing is written, and the file is closed at once; a file that is not
// there is not in use.
bool InUse(const char* path) {
    constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const HANDLE file = CreateFileA(path, GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
}

// New string: the first held file of the folder that is in use, or the empty text.
rt::NewString FileInUse(const char* folder) {
    if (folder[0] == '\0') return rt::CopyString("");
    for (const char* name : kHeldFiles) {
        rt::NewString path = rt::Concat(folder, name);
        if (InUse(path.c_str())) return path;
    }
    return rt::CopyString("");
}

}  // namespace

rt::NewString ProgramFileInUse() {
    rt::NewString found = FileInUse(g_setup.InstallFolder.c_str());
    if (found.c_str()[0] != '\0') return found;
    // The removal deletes from the recorded folder, which is the same one unless edited.
    return FileInUse(FolderToRemoveFrom().c_str());
}

}  // namespace install
