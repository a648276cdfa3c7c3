// bench_install: the installation's work, steps W5 to W9 without their fixed waits
// (settings and uninstall records, the payload written and checked, the copy of the
// setup program, the desktop shortcuts, the compatibility layer), against the same job
// done by plain platform calls: the same values set with RegSetValueExA, the same files
// copied with CopyFileA, the same links saved by the shell-link object. Alternating,
// each round a first installation. Then the payload alone: the program files step
// (older files deleted, both written and checked) against CopyFileA of the two files.
//
//   bench_install [--rounds N] [--payload-only]
//
// Built twice (CMakeLists.txt): bench_install carries the setup program's own payload,
// whose application is a 47 KB stand-in; bench_install_large carries an application
// of the field's size instead, for the payload figure.
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "install/actions.h"
#include "record/setup_state.h"
#include "runtime/resources.h"
#include "runtime/strings.h"
#include "toolkit/window.h"

// clang-format off
#include <objbase.h>
#include <psapi.h>
#include <shlobj.h>
// clang-format on

namespace {

double g_skippedWaits = 0;

}  // namespace

// Stands in for the toolkit's wait: the waits are fixed, so only the work is timed.
namespace tk {
void WaitPainted(DWORD milliseconds) { g_skippedWaits += milliseconds; }
}  // namespace tk

namespace {

using setup::g_setup;

constexpr char kSourceFolder[] = "C:\\bench-payload";
const int32_t kPayloads[] = {install::kLibraryPayload, install::kApplicationPayload};
const char* const kPayloadFiles[] = {"\\Keyglyph.dll", install::kApplicationFile};
const char* const kLinkNames[] = {"\\QuorvexPlenar.lnk", "\\Quorvex Plenar Log Files.lnk"};

std::string In(const std::string& folder, const char* name) { return folder + name; }
std::string Installed(const char* name) { return In(g_setup.InstallFolder.c_str(), name); }

// The installation's keys are the registry layer's path strings; plain calls take the
// part below the root key.
const char* BelowRoot(const char* path) { return std::strchr(path, '\\') + 1; }

std::string Desktop() {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

DWORD PayloadSize(int32_t resource) {
    HRSRC found =
        FindResourceA(nullptr, MAKEINTRESOURCEA(resource), MAKEINTRESOURCEA(install::kPayloadType));
    return found ? SizeofResource(nullptr, found) : 0;
}

// The payload as plain files, for the reference to copy.
bool WritePayloadFiles() {
    CreateDirectoryA(kSourceFolder, nullptr);
    for (size_t i = 0; i < std::size(kPayloads); ++i) {
        HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(kPayloads[i]),
                                    MAKEINTRESOURCEA(install::kPayloadType));
        HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
        if (!loaded) return false;
        HANDLE file = CreateFileA(In(kSourceFolder, kPayloadFiles[i]).c_str(), GENERIC_WRITE, 0,
                                  nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(file, LockResource(loaded), SizeofResource(nullptr, found), &written, nullptr);
        CloseHandle(file);
        if (written != SizeofResource(nullptr, found)) return false;
    }
    return true;
}

void RemoveProgramFiles() {
    for (const char* name : kPayloadFiles) DeleteFileA(Installed(name).c_str());
    DeleteFileA(Installed(install::kSetupFile).c_str());
}

// Back to a machine without the installation: no files, links, records or layer mark,
// so that both sides create what a first installation creates.
void Uninstalled() {
    RemoveProgramFiles();
    install::DeleteShortcuts();
    RegDeleteKeyA(HKEY_CURRENT_USER, BelowRoot(install::kSettingsKey));
    RegDeleteKeyA(HKEY_CURRENT_USER, BelowRoot(install::kUninstallKey));
    HKEY layers = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, BelowRoot(install::kLayersKey), 0, KEY_SET_VALUE,
                      &layers) == ERROR_SUCCESS) {
        RegDeleteValueA(layers, Installed(install::kApplicationFile).c_str());
        RegCloseKey(layers);
    }
}

// ---- Ours: the setup program's steps ---------------------------------------------------

struct Step {
    const char* name;
    int32_t (*run)();
    std::vector<double> ours, plain;
};
Step g_steps[] = {{"settings and uninstall records", install::WriteSettingsRecords, {}, {}},
                  {"program files, setup copy", install::CopyApplicationFiles, {}, {}},
                  {"desktop shortcuts", install::CreateShortcuts, {}, {}},
                  {"compatibility layer", install::ApplyCompatibilityLayer, {}, {}}};

double Installation() {
    Uninstalled();
    const double start = bench::NowMs();
    for (Step& step : g_steps) {
        const double before = bench::NowMs();
        step.run();
        step.ours.push_back(bench::NowMs() - before);
    }
    return bench::NowMs() - start;
}

// ---- The same job by plain platform calls ------------------------------------------------

// The addresses install::WriteSettingsRecords records, in its order.
const char* const kAddresses[][2] = {
    {"OfficialWebSite", "https://www.brindlemark.example/quorvex-plenar/"},
    {"DriversWebSite", "https://duckduckgo.com/?q=Prolific+PL2303+USB+to+serial+driver"},
    {"FaceBookWebSite", "https://www.facebook.com/BrindlemarkDiagnostics"},
    {"site", "https://www.brindlemark.example/quorvex-plenar/downloads/"},
    {"website", "https://www.brindlemark.example/"},
};

HKEY CreateKey(const char* path) {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, BelowRoot(path), 0, nullptr, REG_OPTION_NON_VOLATILE,
                    KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, &key, nullptr);
    return key;
}

void SetText(HKEY key, const char* name, const std::string& text) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
}

void SetNumber(HKEY key, const char* name, DWORD number) {
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
}

std::string ProductName() {
    char name[256] = {};
    DWORD size = sizeof name - 1;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, BelowRoot(install::kSystemVersionKey), 0, KEY_QUERY_VALUE,
                      &key) == ERROR_SUCCESS) {
        RegQueryValueExA(key, "ProductName", nullptr, nullptr, reinterpret_cast<BYTE*>(name),
                         &size);
        RegCloseKey(key);
    }
    const char* text = name;
    while (*text == ' ') ++text;
    return text;
}

void SaveLink(const std::string& target, const std::string& linkFile, const char* description) {
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link)))) {
        return;
    }
    link->SetPath(target.c_str());
    link->SetDescription(description);
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        WCHAR widePath[MAX_PATH] = {};
        MultiByteToWideChar(CP_ACP, 0, linkFile.c_str(), -1, widePath, MAX_PATH);
        file->Save(widePath, TRUE);
        file->Release();
    }
    link->Release();
}

double PlainInstallation() {
    Uninstalled();
    const std::string folder = g_setup.InstallFolder.c_str();
    const std::string logFolder = g_setup.LogFolder.c_str();
    std::string version = g_setup.VersionText.c_str();
    version.erase(0, version.find_first_not_of(' '));
    const std::string application = folder + install::kApplicationFile;
    const std::string setupCopy = folder + install::kSetupFile;
    const double start = bench::NowMs();
    double lap = start;
    auto stepDone = [&](Step& step) {
        const double now = bench::NowMs();
        step.plain.push_back(now - lap);
        lap = now;
    };

    const std::string product = ProductName();
    HKEY settings = CreateKey(install::kSettingsKey);
    for (const auto& row : kAddresses) SetText(settings, row[0], row[1]);
    SetText(settings, "versione", version);
    SetText(settings, "pathe", folder);
    SetText(settings, "LogFilePathe", logFolder);
    SetText(settings, "Bit", "32");
    SetText(settings, "SkipDriverSearch", "0");
    SetText(settings, "FirstTimeRun", "1");
    SetText(settings, "Windows", product);
    HKEY uninstall = CreateKey(install::kUninstallKey);
    SetText(uninstall, "DisplayName",
            "Quorvex Plenar " + version + " - Vehicle diagnostics software");
    SetText(uninstall, "DisplayIcon", application + ",0");
    SetText(uninstall, "DisplayVersion", version);
    SetText(uninstall, "Publisher", "Brindlemark");
    SetText(uninstall, "InstallLocation", folder);
    SetText(uninstall, "URLInfoAbout", kAddresses[0][1]);
    SetNumber(uninstall, "EstimatedSize", 24576);
    SetText(uninstall, "UninstallString", setupCopy);
    SetText(uninstall, "QuietUninstallString", "\"" + setupCopy + "\" /UNINSTALL /S");
    SetNumber(uninstall, "NoModify", 1);
    SetNumber(uninstall, "NoRepair", 1);
    RegCloseKey(uninstall);
    stepDone(g_steps[0]);

    for (const char* name : kPayloadFiles) {
        CopyFileA(In(kSourceFolder, name).c_str(), In(folder, name).c_str(), FALSE);
    }
    char own[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, own, MAX_PATH);
    CopyFileA(own, setupCopy.c_str(), FALSE);
    stepDone(g_steps[1]);

    CoInitialize(nullptr);
    const std::string desktop = Desktop();
    SaveLink(application, desktop + kLinkNames[0], "Quorvex Plenar by Brindlemark");
    SaveLink(logFolder, desktop + kLinkNames[1], "Open Diagnostic Log Files");
    CoUninitialize();
    stepDone(g_steps[2]);

    // Once per user, on a product named with one of the markers.
    const bool marked =
        std::any_of(std::begin(install::kLayerMarkers), std::end(install::kLayerMarkers),
                    [&](const char* marker) { return product.find(marker) != std::string::npos; });
    if (marked && RegQueryValueExA(settings, "WinPatch", nullptr, nullptr, nullptr, nullptr) !=
                      ERROR_SUCCESS) {
        HKEY layers = CreateKey(install::kLayersKey);
        SetText(layers, application.c_str(), "~ WIN7RTM");
        RegCloseKey(layers);
        SetText(settings, "WinPatch", "1");
    }
    RegCloseKey(settings);
    stepDone(g_steps[3]);
    return bench::NowMs() - start;
}

// ---- Both sides leave the same machine -----------------------------------------------------

// Every value of the key as "key|name|type|bytes in hex", or one line for a missing key.
void AddValues(std::vector<std::string>& lines, const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, BelowRoot(path), 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS) {
        lines.push_back(std::string(path) + " missing");
        return;
    }
    for (DWORD index = 0;; ++index) {
        char name[512];
        BYTE data[2048];
        DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
        if (RegEnumValueA(key, index, name, &nameSize, nullptr, &type, data, &dataSize) !=
            ERROR_SUCCESS) {
            break;
        }
        std::string line = std::string(path) + "|" + name + "|" + std::to_string(type) + "|";
        for (DWORD i = 0; i < dataSize; ++i) {
            char hex[3];
            std::snprintf(hex, sizeof hex, "%02x", data[i]);
            line += hex;
        }
        lines.push_back(line);
    }
    RegCloseKey(key);
}

void AddFile(std::vector<std::string>& lines, const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    lines.push_back(path + (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)
                                ? " " + std::to_string(data.nFileSizeLow) + " bytes"
                                : " missing"));
}

// What an installation leaves: the records, the layer, the files and the links.
std::vector<std::string> Machine() {
    std::vector<std::string> lines;
    for (const char* key : {install::kSettingsKey, install::kUninstallKey, install::kLayersKey}) {
        AddValues(lines, key);
    }
    for (const char* name : kPayloadFiles) AddFile(lines, Installed(name));
    AddFile(lines, Installed(install::kSetupFile));
    for (const char* name : kLinkNames) AddFile(lines, In(Desktop(), name));
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::vector<std::string> Missing(const std::vector<std::string>& from,
                                 const std::vector<std::string>& in) {
    std::vector<std::string> missing;
    std::set_difference(from.begin(), from.end(), in.begin(), in.end(),
                        std::back_inserter(missing));
    return missing;
}

// One round of each, unmeasured (each loads what the process has not used yet), and
// whether the reference left exactly what ours did: a reference that did less would
// flatter it.
bool SameJob() {
    const double ours = Installation();
    const std::vector<std::string> afterOurs = Machine();
    const double plain = PlainInstallation();
    const std::vector<std::string> afterPlain = Machine();
    std::printf(
        "first round: ours %.1f ms, plain calls %.1f ms; %s (%zu values, files and links)\n", ours,
        plain, afterOurs == afterPlain ? "both leave the same" : "they differ", afterOurs.size());
    for (const std::string& line : Missing(afterOurs, afterPlain)) {
        std::printf("  only after ours:        %s\n", line.c_str());
    }
    for (const std::string& line : Missing(afterPlain, afterOurs)) {
        std::printf("  only after plain calls: %s\n", line.c_str());
    }
    return afterOurs == afterPlain;
}

// ---- The payload alone ------------------------------------------------------------------------

// The program files step as the setup program runs it from the installation folder,
// where it does not copy itself: older files deleted, the payload written and checked.
double Payload() {
    RemoveProgramFiles();
    g_setup.RunFromInstallFolder = 1;
    const double start = bench::NowMs();
    install::CopyApplicationFiles();
    const double elapsed = bench::NowMs() - start;
    g_setup.RunFromInstallFolder = 0;
    return elapsed;
}

double PlainPayload() {
    RemoveProgramFiles();
    const double start = bench::NowMs();
    for (const char* name : kPayloadFiles) {
        CopyFileA(In(kSourceFolder, name).c_str(), Installed(name).c_str(), FALSE);
    }
    return bench::NowMs() - start;
}

void ComparePayload(int rounds) {
    const DWORD size = PayloadSize(install::kApplicationPayload);
    char name[96];
    if (size >= 1024 * 1024) {
        std::snprintf(name, sizeof name, "payload written and checked, %.1f MB application",
                      size / (1024.0 * 1024.0));
    } else {
        std::snprintf(name, sizeof name, "payload written and checked, %lu KB application",
                      static_cast<unsigned long>((size + 512) / 1024));
    }
    Payload();
    PlainPayload();
    bench::Compare(name, rounds, 1.5, Payload, PlainPayload);

    // Where the step's time goes: the two writes and the check, each on its own.
    std::vector<double> writes, checks;
    for (int round = 0; round < rounds; ++round) {
        RemoveProgramFiles();
        const double start = bench::NowMs();
        for (size_t i = 0; i < std::size(kPayloads); ++i) {
            install::WriteResourceFile(kPayloads[i], install::kPayloadType,
                                       Installed(kPayloadFiles[i]).c_str());
        }
        const double written = bench::NowMs();
        install::VerifyApplicationFiles();
        writes.push_back(written - start);
        checks.push_back(bench::NowMs() - written);
    }
    std::printf("  of which WriteResourceFile of both %.3f ms, VerifyApplicationFiles %.3f ms\n",
                bench::Median(writes), bench::Median(checks));
}

}  // namespace

int main(int argc, char** argv) {
    rt::RuntimeStart();
    g_setup.VersionText = " 2.11";
    install::PrepareFolders();
    g_setup.ShortcutForApp = 1;
    g_setup.ShortcutForLogs = 1;
    if (!WritePayloadFiles()) {
        std::printf("cannot write the payload files\n");
        return 1;
    }
    std::printf("payload: library %lu bytes, application %lu bytes\n",
                static_cast<unsigned long>(PayloadSize(install::kLibraryPayload)),
                static_cast<unsigned long>(PayloadSize(install::kApplicationPayload)));

    if (!bench::HasOption(argc, argv, "--payload-only")) {
        if (!SameJob()) {
            std::printf("the reference does not leave what the installation leaves\n");
            return 1;
        }
        g_skippedWaits = 0;
        for (Step& step : g_steps) {
            step.ours.clear();
            step.plain.clear();
        }
        const int rounds = bench::Rounds(argc, argv, 15);
        bench::Compare("installation work W5 to W9, no waits", rounds, 1.25, Installation,
                       PlainInstallation);
        std::printf("fixed waits skipped per installation: %.0f ms\n", g_skippedWaits / rounds);
        std::printf("  %-32s %9s %12s\n", "step (medians)", "ours", "plain calls");
        for (const Step& step : g_steps) {
            std::printf("  %-32s %6.3f ms %9.3f ms\n", step.name, bench::Median(step.ours),
                        bench::Median(step.plain));
        }
    }
    ComparePayload(bench::Rounds(argc, argv, 15));

    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    if (K32GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory)) {
        std::printf("peak working set of this process: %.1f MiB\n",
                    static_cast<double>(memory.PeakWorkingSetSize) / (1024 * 1024));
    }
    rt::RuntimeStop();
    return 0;
}
