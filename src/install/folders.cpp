// The installation and log-files folders on the system drive, and the Windows 7
// compatibility layer for the application.
#include "install/actions.h"
#include "registry/registry_path.h"
#include "runtime/files.h"
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
    rt::CreateDirectory(g_setup.InstallFolder.c_str());
    const rt::NewString drive = rt::LTrim(rt::Mid(g_setup.InstallFolder.c_str(), 1, 2).c_str());
    g_setup.LogFolder = rt::Concat(drive.c_str(), "\\Quorvex Plenar Log Files");
    rt::CreateDirectory(g_setup.LogFolder.c_str());
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
