// Removal of an installation: registry records, program files and shortcuts.
#include <cstring>
#include <utility>

#include "install/actions.h"
#include "registry/registry_path.h"
#include "runtime/files.h"
#include "record/setup_state.h"

namespace install {

using setup::g_setup;

namespace {

// The settings the setup program and the application write, removed one by one when
// the Settings key holds a "tooltips" text and so stays. Value names match without
// regard to case, so "speede" removes "Speede".
constexpr const char* kSettingsValues[] = {
    "come",          "Nullbre",  "Nullce",      "pathe",      "speede",
    "tempe",         "tooltipse", "versione",   "WinPatch",   "SkipDriverSearch",
    "LogFilePathe",  "Bit",       "Windows",    "DriverDate", "DriverDesc",
    "DriverName",    "DriverVersion", "DriverPath", "ProviderName", "Administrator",
};

// The application and what it places beside itself on its first run.
constexpr const char* kInstalledFiles[] = {
    "\\quorvexplenar.exe", "\\quorvexplenarrun.exe", "\\setupquorvexplenarrun.exe",
    "\\Keyglyph.dll",      "\\quorvexplenar.chm",    "\\add.bmp",
    "\\close.bmp",         "\\cogs.bmp",             "\\dial.bmp",
    "\\home.bmp",          "\\tick.bmp",             "\\tools.bmp",
    "\\freeze.bmp",        "\\live.bmp",             "\\question.bmp",
    "\\log.bmp",
};

rt::NewString RegisteredInstallFolder() {
    return rt::LTrim(reg::RegReadValue(kSettingsKey, "pathe").c_str());
}

bool Empty(const rt::Text& text) { return text.c_str()[0] == '\0'; }

// Deleting a file that is not there leaves the removal as done as deleting it.
bool NotThere(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// Whether the removal may delete from a recorded folder: a plain local absolute path
// as our setup records it ("C:\Quorvex Plenar"), at most with one trailing backslash.
// The value can be edited by anyone, so whatever could lead elsewhere is refused: "."
// and ".." segments (also behind forward slashes), shares and device paths (\\server,
// \\?\, \\.\), paths relative to a drive or folder, a drive's root, and characters no
// folder name holds.
bool PlainLocalFolder(const char* path) {
    const char drive = path[0];
    if (!((drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z')) || path[1] != ':' ||
        path[2] != '\\') {
        return false;
    }
    const char* p = path + 3;
    do {
        const char* segment = p;
        bool dotsAndBlanks = true;
        for (; *p != '\0' && *p != '\\'; ++p) {
            const unsigned char c = static_cast<unsigned char>(*p);
            if (c < 0x20 || std::strchr("/:*?\"<>|", c) != nullptr) return false;
            dotsAndBlanks = dotsAndBlanks && (c == '.' || c == ' ');
        }
        if (p == segment || dotsAndBlanks) return false;  // empty, ".", ".." and the like
        if (*p == '\\') ++p;
    } while (*p != '\0');
    return true;
}

}  // namespace

int32_t RemoveInstallation() {
    g_setup.RemovalFolder = RegisteredInstallFolder();
    // The files go first: while one stays (a program started since the check holds it),
    // the records stay too, and the platform's list can run the removal again.
    if (DeleteInstalledFiles() != 0) return 1;
    g_setup.WorkText = ReadProductName();
    const char* product = g_setup.WorkText.c_str();
    bool layered = false;
    for (const char* marker : kLayerMarkers) layered = layered || rt::InStr(product, marker, 1) > 0;
    if (layered) {
        // Without a recorded folder the value's name would be a bare file name.
        const rt::NewString folder = RegisteredInstallFolder();
        if (folder.c_str()[0] != '\0') {
            g_setup.WorkText = reg::RegDeleteValueByPath(
                kLayersKey, rt::Concat(folder.c_str(), kApplicationFile).c_str());
        }
    }
    g_setup.WorkText = rt::LTrim(reg::RegReadValue(kSettingsKey, "tooltips").c_str());
    if (Empty(g_setup.WorkText)) {
        g_setup.RegStatus = reg::RegDeleteKeyByPath(kSettingsKey);
    } else {
        for (const char* name : kSettingsValues) {
            g_setup.WorkText = reg::RegDeleteValueByPath(kSettingsKey, name);
        }
    }
    g_setup.RegStatus = reg::RegDeleteKeyByPath(kUninstallKey);
    DeleteShortcuts();
    return 0;
}

int32_t DeleteInstalledFiles() {
    // The repair road comes here without RemoveInstallation having read the folder.
    if (Empty(g_setup.RemovalFolder)) g_setup.RemovalFolder = RegisteredInstallFolder();
    g_setup.FileLeft = "";
    if (!PlainLocalFolder(g_setup.RemovalFolder.c_str())) return 0;  // also when empty
    int32_t left = 0;
    for (const char* name : kInstalledFiles) {
        const rt::NewString path = rt::Concat(g_setup.RemovalFolder.c_str(), name);
        if (RemoveForInstallation(path.c_str()) || NotThere(GetLastError())) continue;
        if (left++ == 0) g_setup.FileLeft = path.c_str();
    }
    return left;
}

rt::NewString FolderToRemoveFrom() {
    rt::NewString folder = RegisteredInstallFolder();
    return PlainLocalFolder(folder.c_str()) ? std::move(folder) : rt::CopyString("");
}

}  // namespace install
