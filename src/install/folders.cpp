// The installation and log-files folders on the system drive, and the Windows 7
// compatibility layer for the application.
#include "install/actions.h"
#include "registry/registry_path.h"
#include "runtime/file_security.h"
#include "runtime/files.h"
#include "runtime/log.h"
#include "record/setup_state.h"
#include "toolkit/window.h"

namespace install {

using setup::g_setup;

namespace {

constexpr DWORD kPauseAfterLayer = 500;

// One round of the layer: on a product name containing marker, and while "WinPatch"
// is absent or blank, the application gets the layer and "WinPatch" records it.
void ApplyLayerFor(const char* marker) {
    g_setup.WorkText = "";
    g_setup.WorkText = ReadProductName();
    const int32_t position = rt::InStr(g_setup.WorkText.c_str(), marker, 1);
    const rt::NewString winPatch = rt::LTrim(reg::RegReadValue(kSettingsKey, "WinPatch").c_str());
    if (position > 0 && winPatch.c_str()[0] == '\0') {
        rt::NewString application = rt::Concat(g_setup.InstallFolder.c_str(), kApplicationFile);
        g_setup.RegStatus = reg::RegWriteString(kLayersKey, "~ WIN7RTM", application.c_str());
        g_setup.RegStatus = reg::RegWriteString(kSettingsKey, "1", "WinPatch");
        tk::WaitPainted(kPauseAfterLayer);
    }
}

void Refuse(const char* path, int32_t entry) {
    g_setup.RefusedPath = path;
    g_setup.RefusedEntry = entry;
}

// Makes the folder with the protected descriptor, or takes over one that is already
// there and ours, replacing permissions that let other accounts change it. False when
// it belongs to another account or leads elsewhere: then it is left as it is.
bool MakeOrTakeOver(const char* folder) {
    if (rt::CreateProtectedFolder(folder)) return true;
    const DWORD error = GetLastError();
    const rt::WidePath wide = rt::WidePathOf(folder);
    const rt::Trust trust = rt::JudgePath(wide.c_str());
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (error != ERROR_ALREADY_EXISTS || trust == rt::Trust::kMissing) return true;  // logged
    if (trust == rt::Trust::kRefuse) {
        rt::Log("Folder %s: another account's, or a link to elsewhere: not used", folder);
        Refuse(folder, 0);
        return false;
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {  // a file of that name: the copy tells
        rt::LogOutcome(static_cast<long>(error), "Folder %s: not created", folder);
        return true;
    }
    rt::Log("Folder %s: already there", folder);
    if (trust == rt::Trust::kSafe) return true;
    if (rt::ProtectPath(wide.c_str())) {
        rt::Log("Folder %s: permissions replaced, no other account may change it", folder);
        return true;
    }
    rt::LogOutcome(static_cast<long>(GetLastError()), "Folder %s: permissions not replaced",
                   folder);
    Refuse(folder, 0);
    return false;
}

// Deletes one entry of another account's, a read-only one too; a folder only when empty.
bool DeleteOthersEntry(const wchar_t* path, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return RemoveDirectoryW(path) != 0;
    if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    return DeleteFileW(path) != 0;
}

// Deletes what another account made in the folder (a library planted beside the
// application would be loaded by it; a program in the log-files folder, which a desktop
// link opens, would be started by the user) and tightens what is ours. False when an entry of
// another account stays: RefusedPath names it. One level: the program makes no folders
// inside.
bool ClearOthersEntries(const char* folder) {
    const rt::WidePath wideFolder = rt::WidePathOf(folder);
    const int32_t folderLength = lstrlenW(wideFolder.c_str());
    wchar_t path[2 * MAX_PATH + 2];
    if (folderLength <= 0 || folderLength > MAX_PATH) return true;
    lstrcpyW(path, wideFolder.c_str());
    lstrcpyW(path + folderLength, L"\\*");
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(path, &found);
    if (search == INVALID_HANDLE_VALUE) return true;
    bool cleared = true;
    do {
        const wchar_t* name = found.cFileName;
        if (lstrcmpW(name, L".") == 0 || lstrcmpW(name, L"..") == 0) continue;
        lstrcpynW(path + folderLength + 1, name, MAX_PATH + 1);
        const rt::NewString shown = rt::NarrowPath(path);
        const rt::Trust trust = rt::JudgePath(path);
        if (trust == rt::Trust::kRepair) {
            if (rt::ProtectPath(path)) {
                rt::Log("File %s: permissions replaced", shown.c_str());
            } else {
                rt::LogOutcome(static_cast<long>(GetLastError()), "File %s: permissions not replaced",
                               shown.c_str());
            }
        } else if (trust == rt::Trust::kRefuse) {
            if (DeleteOthersEntry(path, found.dwFileAttributes)) {
                rt::Log("File %s: another account's, deleted", shown.c_str());
            } else {
                rt::LogOutcome(static_cast<long>(GetLastError()),
                               "File %s: another account's, not deleted", shown.c_str());
                Refuse(shown.c_str(), 1);
                cleared = false;
            }
        }
    } while (cleared && FindNextFileW(search, &found));
    FindClose(search);
    return cleared;
}

}  // namespace

rt::NewString ReadProductName() {
    return rt::LTrim(reg::RegReadValue(kSystemVersionKey, "ProductName").c_str());
}

int32_t PrepareFolders() {
    g_setup.Bitness = 32;
    char systemFolder[255] = {};
    GetSystemDirectoryA(systemFolder, sizeof systemFolder);
    g_setup.InstallFolder = systemFolder;
    g_setup.InstallFolder = rt::Mid(g_setup.InstallFolder.c_str(), 1, 2);  // "C:"
    g_setup.InstallFolder = rt::Concat(g_setup.InstallFolder.c_str(), "\\Quorvex Plenar");
    const rt::NewString drive = rt::LTrim(rt::Mid(g_setup.InstallFolder.c_str(), 1, 2).c_str());
    g_setup.LogFolder = rt::Concat(drive.c_str(), "\\Quorvex Plenar Log Files");
    // At the root of the system drive every signed-in account may make folders and, by
    // inheritance, change what is made in them: both folders get permissions of their own,
    // and one that another account made first is not used.
    Refuse("", 0);
    if (MakeOrTakeOver(g_setup.InstallFolder.c_str()) &&
        ClearOthersEntries(g_setup.InstallFolder.c_str()) &&
        MakeOrTakeOver(g_setup.LogFolder.c_str())) {
        ClearOthersEntries(g_setup.LogFolder.c_str());
    }
    return 0;
}

int32_t ApplyCompatibilityLayer() {
    PrepareFolders();
    // Read again for each: the layer set for "8" has written "WinPatch", so it is not
    // set twice.
    for (const char* marker : kLayerMarkers) ApplyLayerFor(marker);
    return 0;
}

}  // namespace install
