// Desktop shortcuts: shell links made through the platform's COM shell-link object.
#include "install/actions.h"
#include "record/setup_state.h"
#include "runtime/files.h"
#include "runtime/log.h"

// The shell's headers need <windows.h> first.
// clang-format off
#include "runtime/win.h"
#include <objbase.h>
#include <shlobj.h>
// clang-format on

namespace install {

using setup::g_setup;

namespace {

constexpr int32_t kDesktop = 0;  // CSIDL_DESKTOP

// Every desktop shortcut name this product has used, in the order they are deleted.
constexpr const char* kShortcutNames[] = {
    "\\Quorvex.lnk",
    "\\QuorvexPlenar.lnk",
    "\\QuorvexPlenarRun.lnk",
    "\\Quorvex Plenar Log Files.lnk",
};

// Paths are held in MAX_PATH areas by the shell; a longer one would be cut to a
// different file, so it is refused instead.
constexpr int32_t kLongestPath = MAX_PATH - 1;

// desktop + name, or the empty text when there is no desktop folder (the link would
// land in the root of the current drive). Wide: the desktop of a user named outside the
// code page has no ANSI name.
rt::WidePath OnDesktop(const char* name) {
    const rt::WidePath desktop = GetSpecialFolderWide(kDesktop);
    if (desktop.empty()) return rt::WidePath();
    return rt::JoinPath(desktop.c_str(), name);
}

// One shortcut of the installation, in a COM apartment of its own.
void MakeShortcut(const char* target, const char* name, const char* description) {
    CoInitialize(nullptr);
    const rt::WidePath link = OnDesktop(name);
    if (!link.empty()) {
        const int32_t status = CreateShortcut(target, link.c_str(), description);
        rt::LogOutcome(status, "Link %s -> %s", rt::NarrowPath(link.c_str()).c_str(), target);
    } else {
        rt::Log("Link %s: not made, no desktop folder", name + 1);
    }
    CoUninitialize();
}

}  // namespace

rt::NewString GetSpecialFolder(int32_t csidl) {
    // The same conversion as the ANSI shell function's: a letter the code page lacks is
    // replaced.
    return rt::NarrowPath(GetSpecialFolderWide(csidl).c_str());
}

rt::WidePath GetSpecialFolderWide(int32_t csidl) {
    WCHAR path[MAX_PATH] = {};
    LPITEMIDLIST list = nullptr;
    if (SHGetSpecialFolderLocation(nullptr, csidl, &list) == S_OK && list) {
        if (!SHGetPathFromIDListW(list, path)) path[0] = L'\0';
        CoTaskMemFree(list);
    }
    return rt::JoinPath(path, "");
}

int32_t CreateShortcut(const char* target, const char* linkFile, const char* description) {
    if (rt::Len(linkFile) > kLongestPath) return E_INVALIDARG;
    return CreateShortcut(target, rt::WidePathOf(linkFile).c_str(), description);
}

int32_t CreateShortcut(const char* target, const wchar_t* linkFile, const char* description) {
    if (rt::Len(target) > kLongestPath || lstrlenW(linkFile) > kLongestPath) return E_INVALIDARG;
    rt::Text shownDescription;
    shownDescription = description;

    IShellLinkA* link = nullptr;
    HRESULT status = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IShellLinkA, reinterpret_cast<void**>(&link));
    if (FAILED(status)) return status;
    link->SetPath(target);
    link->SetDescription(shownDescription.c_str());
    IPersistFile* file = nullptr;
    status = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (SUCCEEDED(status)) {
        status = file->Save(linkFile, TRUE);
        file->Release();
    }
    link->Release();
    return status;
}

int32_t CreateShortcuts() {
    CoInitialize(nullptr);
    if (g_setup.ShortcutForApp == 1) {
        MakeShortcut(rt::Concat(g_setup.InstallFolder.c_str(), kApplicationFile).c_str(),
                     "\\QuorvexPlenar.lnk", "Quorvex Plenar by Brindlemark");
    }
    if (g_setup.ShortcutForLogs == 1) {
        MakeShortcut(g_setup.LogFolder.c_str(), "\\Quorvex Plenar Log Files.lnk",
                     "Open Diagnostic Log Files");
    }
    return 0;
}

int32_t DeleteShortcuts() {
    // COM stays initialised: the program ends soon after.
    CoInitialize(nullptr);
    for (const char* name : kShortcutNames) {
        CoInitialize(nullptr);
        const rt::WidePath link = OnDesktop(name);
        if (!link.empty()) RemoveForInstallation(link.c_str());
    }
    return 0;
}

}  // namespace install
