// The application's settings and the per-user entry in the platform's list of
// installed programs.
#include "install/actions.h"
#include "install/entry_texts.h"
#include "registry/registry_path.h"
#include "record/setup_state.h"

namespace install {

using setup::g_setup;

namespace {

// Addresses the application offers from its menus; the setup program only records them.
struct Address {
    const char* valueName;
    const char* address;
};
constexpr Address kAddresses[] = {
    {"OfficialWebSite", kOfficialWebSite},
    {"DriversWebSite", kDriversWebSite},
    {"FaceBookWebSite", kFaceBookWebSite},
    {"site", kDownloadsWebSite},
    {"website", kPublisherWebSite},
};

// The platform's estimate of the installed size, in kilobytes.
constexpr int32_t kEstimatedSize = 24576;

void SetString(const char* key, const char* valueName, const char* text) {
    KeepForUndo(key, valueName);
    g_setup.RegStatus = reg::RegWriteString(key, text, valueName);
}

void SetNumber(const char* key, const char* valueName, int32_t number) {
    KeepForUndo(key, valueName);
    g_setup.RegStatus = reg::RegWriteNumber(key, number, valueName);
}

}  // namespace

int32_t WriteSettingsRecords() {
    const rt::NewString version = rt::LTrim(g_setup.VersionText.c_str());
    const char* installFolder = g_setup.InstallFolder.c_str();

    // The units chosen on the measurement page or by switch; a pair left unchosen there
    // is not written.
    if (g_setup.SpeedUnit.c_str()[0] != '\0')
        SetString(kSettingsKey, "Speede", g_setup.SpeedUnit.c_str());
    if (g_setup.TemperatureUnit.c_str()[0] != '\0')
        SetString(kSettingsKey, "Tempe", g_setup.TemperatureUnit.c_str());
    for (const Address& row : kAddresses) SetString(kSettingsKey, row.valueName, row.address);
    SetString(kSettingsKey, "versione", version.c_str());
    SetString(kSettingsKey, "pathe", installFolder);
    SetString(kSettingsKey, "LogFilePathe", g_setup.LogFolder.c_str());
    SetString(kSettingsKey, "Bit", rt::LTrim(rt::Str(g_setup.Bitness).c_str()).c_str());
    SetString(kSettingsKey, "SkipDriverSearch", "0");
    SetString(kSettingsKey, "FirstTimeRun", "1");
    g_setup.ProductNameText = "";
    g_setup.ProductNameText = ReadProductName();
    SetString(kSettingsKey, "Windows", g_setup.ProductNameText.c_str());

    SetString(kUninstallKey, "DisplayName",
              rt::Concat(rt::Concat("Quorvex Plenar ", version.c_str(), " - ").c_str(),
                         kProductDescription)
                  .c_str());
    SetString(kUninstallKey, "DisplayIcon",
              rt::Concat(installFolder, kApplicationFile, ",0").c_str());
    SetString(kUninstallKey, "DisplayVersion", version.c_str());
    SetString(kUninstallKey, "Publisher", kPublisher);
    SetString(kUninstallKey, "InstallLocation", installFolder);
    SetString(kUninstallKey, "URLInfoAbout", kOfficialWebSite);
    SetNumber(kUninstallKey, "EstimatedSize", kEstimatedSize);
    SetString(kUninstallKey, "UninstallString",
              rt::Concat(installFolder, kSetupFile).c_str());
    // Where deployment tools look for the unattended removal.
    SetString(kUninstallKey, "QuietUninstallString",
              rt::Concat(rt::Concat("\"", installFolder, kSetupFile).c_str(), "\" /UNINSTALL /S")
                  .c_str());
    SetNumber(kUninstallKey, "NoModify", 1);
    SetNumber(kUninstallKey, "NoRepair", 1);
    return 0;
}

}  // namespace install
