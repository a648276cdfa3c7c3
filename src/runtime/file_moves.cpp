// Files moved within their folder: what an installation replaces is renamed aside, not
// copied, and renamed back when the installation does not complete.
#include <cstring>

#include "runtime/files.h"
#include "runtime/log.h"

namespace rt {

WidePath StoredFilePath(const wchar_t* path) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(path ? path : L"", &found);
    if (search == INVALID_HANDLE_VALUE) return WidePath();
    FindClose(search);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return WidePath();
    int32_t folder = 0;
    for (int32_t i = 0; path[i] != L'\0'; ++i) {
        if (path[i] == L'\\') folder = i + 1;
    }
    const int32_t name = static_cast<int32_t>(lstrlenW(found.cFileName));
    // n UTF-16 characters and their terminator: AllocString gives n * 2 + 4 zero bytes.
    wchar_t* s = reinterpret_cast<wchar_t*>(AllocString((folder + name) * 2 + 1));
    if (!s) return WidePath();
    std::memcpy(s, path, static_cast<size_t>(folder) * sizeof(wchar_t));
    std::memcpy(s + folder, found.cFileName, static_cast<size_t>(name) * sizeof(wchar_t));
    return WidePath(s);
}

int32_t RenameFile(const wchar_t* from, const wchar_t* to) {
    const BOOL moved = MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING);
    const DWORD error = moved ? 0 : GetLastError();
    const NewString shownFrom = NarrowPath(from);
    const NewString shownTo = NarrowPath(to);
    if (moved) {
        Log("File %s: moved to %s", shownFrom.c_str(), shownTo.c_str());
    } else {
        LogOutcome(static_cast<long>(error), "File %s: not moved to %s", shownFrom.c_str(),
                   shownTo.c_str());
    }
    SetLastError(error);
    return moved;
}

}  // namespace rt
