// Removal of an installation: registry records, program files and shortcuts.
#include "install/actions.h"
#include "registry/registry_path.h"
#include "runtime/files.h"
#include "setup/setup_state.h"

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

}  // namespace

int32_t RemoveInstallation() {
    g_setup.RemovalFolder = RegisteredInstallFolder();
    g_setup.WorkText = rt::LTrim(reg::RegReadValue(kSystemVersionKey, "ProductName").c_str());
    const char* product = g_setup.WorkText.c_str();
    if (rt::InStr(product, "8", 1) > 0 || rt::InStr(product, "10", 1) > 0) {
        // Without a recorded folder the value's name would be a bare file name.
        const rt::NewString folder = RegisteredInstallFolder();
        if (folder.c_str()[0] != '\0') {
            g_setup.WorkText = reg::RegDeleteValueByPath(
                kLayersKey, rt::Concat(folder.c_str(), "\\QuorvexPlenar.exe").c_str());
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
    DeleteInstalledFiles();
    DeleteShortcuts();
    return 0;
}

int32_t DeleteInstalledFiles() {
    // The repair road comes here without RemoveInstallation having read the folder.
    if (Empty(g_setup.RemovalFolder)) g_setup.RemovalFolder = RegisteredInstallFolder();
    if (Empty(g_setup.RemovalFolder)) return 0;
    for (const char* name : kInstalledFiles) {
        rt::DeleteFile(rt::Concat(g_setup.RemovalFolder.c_str(), name).c_str());
    }
    return 0;
}

}  // namespace install
