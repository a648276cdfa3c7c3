// The setup program's entry and its whole control flow: start-up, then the wizard, the
// options road or a silent end, by the installed version.
#include <cmath>
#include <cstdint>

#include "install/actions.h"
#include "registry/registry_path.h"
#include "runtime/dll_safety.h"
#include "runtime/files.h"
#include "runtime/log.h"
#include "runtime/process.h"
#include "setup/another_setup.h"
#include "setup/command_line.h"
#include "setup/in_use.h"
#include "setup/pages.h"
#include "record/setup_state.h"
#include "toolkit/message_box.h"

namespace setup {

namespace {

// All exceptions masked, 64-bit precision, rounding to nearest.
constexpr uint16_t kFloatingPointControl = 0x033F;
constexpr DWORD kProbeWait = 200;
constexpr DWORD kPauseAfterCopying = 2000;
// Tries of the deletion of the installed setup program, a second apart.
constexpr int32_t kSelfDeleteAttempts = 15;

void ResetFloatingPoint() {
    uint16_t controlWord = kFloatingPointControl;
    asm volatile("fninit\n\tfldcw %0" : : "m"(controlWord));
}

// An unextracted download runs from a folder named Temp, or one below it. A deployment
// tool that starts /S put the file there on purpose (package managers download into the
// user's Temp folder), so only the pages are refused.
void RefuseTemporaryFolder() {
    if (g_setup.Silent) return;
    const rt::NewString folder = rt::GetStartPath();
    if (rt::InStr(folder.c_str(), "\\Temp\\", 1) == 0) return;
    rt::Log("Refused: started from %s, a folder named Temp; extract the setup program first",
            folder.c_str());
    tk::MessageBox(nullptr, "Sorry, You need to Extract / Unzip the Setup program first.",
                   "Error", MB_ICONINFORMATION);
    EndSetup();
}

// By the folder's full name: a download folder may be named outside the code page.
void WriteTextsBesideProgram() {
    const rt::WidePath folder = rt::GetStartPathWide();
    install::WriteResourceFile(install::kLicensePayload, install::kPayloadType,
                               rt::JoinPath(folder.c_str(), "Eula.txt").c_str());
    install::WriteResourceFile(install::kReadMePayload, install::kPayloadType,
                               rt::JoinPath(folder.c_str(), "ReadMe.txt").c_str());
}

// Whether the user may write machine-wide keys: write, read back, delete.
void ProbeAdministrator() {
    g_setup.ProbeStatus = reg::RegWriteString(install::kProbeKey, "1", "Test");
    // The wait is time to spare: the display work of the first page is done in it.
    const DWORD waitStart = GetTickCount();
    if (!g_setup.Silent) tk::PrepareDisplay();
    const DWORD spent = GetTickCount() - waitStart;
    tk::WaitPainted(spent < kProbeWait ? kProbeWait - spent : 0);
    const rt::NewString readBack = rt::LTrim(reg::RegReadValue(install::kProbeKey, "Test").c_str());
    // Nearest integer, halves to the even neighbour.
    const double adminFlag = std::nearbyint(rt::Val(readBack.c_str()));
    g_setup.AdminFlag = adminFlag >= INT32_MIN && adminFlag <= INT32_MAX
                            ? static_cast<int32_t>(adminFlag)
                            : 0;  // no integer: nobody wrote "1"
    g_setup.ProbeStatus = reg::RegDeleteKeyByPath(install::kProbeKey);
    g_setup.ProbeStatus = reg::RegWriteString(install::kSettingsKey,
                                              g_setup.AdminFlag == 1 ? "1" : "0", "Administrator");
}

void LearnWhereProgramRuns() {
    g_setup.RunFromInstallFolder = 0;
    const rt::NewString programFolder = rt::GetStartPath();
    const rt::NewString registered = reg::RegReadValue(install::kSettingsKey, "pathe");
    g_setup.RegisteredFolder = rt::LTrim(rt::Concat(registered.c_str(), "\\").c_str());
    if (lstrcmpA(programFolder.c_str(), g_setup.RegisteredFolder.c_str()) == 0) {
        g_setup.RunFromInstallFolder = 1;
    } else {
        g_setup.RunFromInstallFolder = 0;
        g_setup.RegStatus =
            reg::RegWriteString(install::kSettingsKey, programFolder.c_str(), "TempPath");
    }
}

// One setup program at a time in a session: a second one shows the first and ends
// before it has written anything (a log asked for gets only its last line).
void LeaveToAnotherSetup() {
    if (ClaimSession()) return;
    if (g_setup.Silent) {
        g_setup.ExitCode = kExitAnotherSetup;
    } else {
        ShowFirstSetup();
    }
    EndSetup();
}

void StartUp() {
    ResetFloatingPoint();
    rt::RuntimeStart();
    // An unknown switch ends the program before anything is written, a log included.
    if (!ReadSwitches(GetCommandLineA())) {
        g_setup.ExitCode = kExitBadSwitch;
        EndSetup();
    }
    LeaveToAnotherSetup();
    rt::Log("Quorvex Plenar setup%s started: %s", kVersionText, GetCommandLineA());
    g_setup.VersionText = kVersionText;
    RefuseTemporaryFolder();
    // Before anything reads what a run cut short in its installation step wrote.
    install::SettleUnfinishedStep();
    WriteTextsBesideProgram();
    ProbeAdministrator();
    g_setup.StartFolder = rt::LTrim(rt::GetStartPath().c_str());
    g_setup.FillColor = {255, 255, 255};
    g_setup.FontName = "Arial";
    g_setup.WorkText = install::ReadProductName();
    g_setup.IsXP = rt::InStr(g_setup.WorkText.c_str(), "XP", 1);
    LearnWhereProgramRuns();
    LoadPageImages();
    g_setup.WorkText = rt::LTrim(reg::RegReadValue(install::kSettingsKey, "versione").c_str());
    g_setup.InstalledVersion = rt::Val(g_setup.WorkText.c_str());
    install::PrepareFolders();
}

// The roads that write program files end here, before their first page and before any
// change, when another account owns the installation folder or an entry in it that could
// not be deleted: whatever it holds would be run by every user of the application.
void RefuseFolderOfAnother() {
    if (g_setup.RefusedPath.c_str()[0] == '\0') return;
    rt::Log("Refused: %s belongs to another account; nothing installed", g_setup.RefusedPath.c_str());
    if (g_setup.Silent) {
        g_setup.ExitCode = kExitFolderNotOurs;
    } else {
        const bool entry = g_setup.RefusedEntry != 0;
        rt::NewString text = rt::Concat(entry ? "Sorry, '" : "Sorry, the folder '",
                                        g_setup.RefusedPath.c_str(),
                                        entry ? "' belongs to another account on this computer "
                                                "and cannot be removed"
                                              : "' belongs to another account on this computer");
        text = rt::Concat(text.c_str(), ", so Setup cannot install Quorvex Plenar.\r\n\r\n",
                          entry ? "An administrator can remove it; then run Setup again."
                                : "An administrator can remove the folder; then run Setup again.");
        tk::MessageBox(nullptr, text.c_str(), "Error", MB_ICONINFORMATION);
    }
    ReleasePageImages();
    EndSetup();
}

// W5 and W6, the installation step, as one transaction: a file that does not arrive
// undoes it and ends the program. Repair's removal is part of it, so that a Repair left
// on any page, or one whose file does not arrive, has removed nothing.
void InstallStep(bool repair) {
    install::BeginInstallStep();
    if (repair) {
        install::DeleteInstalledFiles();
        install::DeleteShortcuts();
    }
    install::WriteSettingsRecords();
    install::CopyApplicationFiles();
    install::CompleteInstallStep();
}

// W5 to W9 of the wizard without its pages, for /S: the units and shortcuts come from
// the switches, and nothing is started afterwards.
[[noreturn]] void InstallSilently() {
    WaitUntilProgramFilesFree();
    InstallStep(false);
    tk::WaitPainted(kPauseAfterCopying);
    install::CreateShortcuts();
    install::ApplyCompatibilityLayer();
    ReleasePageImages();
    EndSetup();
}

// W1 to W11. "< Back" shows the page before again, built afresh. repair: the options
// page's Repair, whose removal happens at the installation step.
[[noreturn]] void RunWizard(bool repair = false) {
    RefuseFolderOfAnother();
    enum : int32_t { kLicence = 1, kUnits = 2, kShortcuts = 3, kInstalling = 4 };
    int32_t page = kLicence;
    // Chosen on the measurement page, written at the installation step.
    g_setup.SpeedUnit = "";
    g_setup.TemperatureUnit = "";
    while (page != kInstalling) {
        if (page == kLicence) LicensePage();  // returns only to go on
        if (page == kUnits) MeasurementPage();
        if (page == kShortcuts) ShortcutPage();
        page += g_setup.PageResult == 1 ? -1 : 1;
    }
    // Asked before the please-wait page, which is topmost and would cover the application.
    WaitUntilProgramFilesFree();
    ProgressPage();
    InstallStep(repair);
    tk::WaitPainted(kPauseAfterCopying);
    install::CreateShortcuts();
    install::ApplyCompatibilityLayer();
    FinishPage();
    ReleasePageImages();
    EndSetup();
}

// New string: the full path of a program in the system folder. Started by bare name, a
// program is looked for in the working and the program's folder first, where anybody
// may have put one of that name.
rt::NewString SystemProgram(const char* name) {
    char path[MAX_PATH];
    return rt::CopyString(rt::SystemFilePath(name, path) ? path : "");
}

// The installed copy of the setup program is deleted by the command interpreter once
// this program has ended. A running program's file cannot be deleted, and nothing
// orders the interpreter's start after this program's end, so the deletion is tried
// again after each second for a while (ping is the delay every system has).
void DeleteInstalledSetupProgram() {
    install::PrepareFolders();
    g_setup.SelfDeletePath = rt::Concat(g_setup.InstallFolder.c_str(), install::kSetupFile);
    const rt::NewString interpreter = SystemProgram("cmd.exe");
    const rt::NewString deletion = rt::Concat("del \"", g_setup.SelfDeletePath.c_str(),
                                              "\" >nul 2>&1");
    // del; if it is still there: a second's pause, del; if it is still there: ...
    const rt::NewString stillThere = rt::Concat(" & if exist \"", g_setup.SelfDeletePath.c_str(),
                                                "\" (");
    const rt::NewString pause =
        rt::Concat("\"", SystemProgram("ping.exe").c_str(), "\" -n 2 127.0.0.1 >nul & ");
    rt::NewString parameters = rt::Concat("/c ", deletion.c_str());
    for (int32_t attempt = 1; attempt < kSelfDeleteAttempts; ++attempt) {
        parameters = rt::Concat(parameters.c_str(), stillThere.c_str(), pause.c_str());
        parameters = rt::Concat(parameters.c_str(), deletion.c_str());
    }
    for (int32_t attempt = 1; attempt < kSelfDeleteAttempts; ++attempt) {
        parameters = rt::Concat(parameters.c_str(), " )");
    }
    if (interpreter.c_str()[0] != '\0') rt::RunProgram(interpreter.c_str(), parameters.c_str());
#ifdef QP_LINGER_AFTER_SELF_DELETE_MS
    Sleep(QP_LINGER_AFTER_SELF_DELETE_MS);
#endif
}

[[noreturn]] void RunOptions() {
    OptionsPage();
    if (g_setup.OptionChoice == kChoseSetup) RunWizard();
    if (g_setup.OptionChoice == kChoseRepair) {
        RefuseFolderOfAnother();
        WaitUntilProgramFilesFree();
        RunWizard(true);
    }
    if (g_setup.OptionChoice == kChoseUninstall) {
        g_setup.OptionChoice = 0;
        UninstallConfirmPage();
        if (g_setup.OptionChoice == 1) {
            WaitUntilProgramFilesFree();
            if (install::RemoveInstallation() != 0) ReportRemovalUnfinished();
            UninstallDonePage();
            ReleasePageImages();
        }
        if (g_setup.OptionChoice == 1) DeleteInstalledSetupProgram();
    }
    EndSetup();
}

// /S: the same version installed is installed again (the Setup road), a newer one is
// left alone; /UNINSTALL /S removes as a confirmed uninstall does.
[[noreturn]] void RunSilently(double version) {
    if (version < g_setup.InstalledVersion) {
        rt::Log("A newer version is installed: nothing done");
        g_setup.ExitCode = kExitNewerInstalled;
        EndSetup();
    }
    if (g_setup.SilentUninstall == 0) {
        RefuseFolderOfAnother();
        InstallSilently();
    }
    WaitUntilProgramFilesFree();
    if (install::RemoveInstallation() != 0) ReportRemovalUnfinished();
    ReleasePageImages();
    DeleteInstalledSetupProgram();
    EndSetup();
}

}  // namespace

[[noreturn]] void SetupMain() {
    StartUp();
    const double version = rt::Val(g_setup.VersionText.c_str());
    rt::Log("Installed version: %s", g_setup.WorkText.c_str()[0] ? g_setup.WorkText.c_str() : "none");
    if (g_setup.Silent) RunSilently(version);
    if (version > g_setup.InstalledVersion) RunWizard();
    if (version == g_setup.InstalledVersion) RunOptions();
    EndSetup();  // a newer version is installed: nothing to say
}

}  // namespace setup

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    rt::RestrictDllSearch();  // first: no DLL from the folder the program was started from
    setup::SetupMain();
}
