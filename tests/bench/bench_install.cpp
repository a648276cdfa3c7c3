// bench_install: the installation's work, steps W5 to W9 without their fixed waits
// (settings and uninstall records, the payload written and checked, the desktop
// shortcuts, the compatibility layer), against CopyFileA of the same two payload files,
// alternating, each round a first installation.
#include <cstdio>

#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "install/actions.h"
#include "registry/registry_path.h"
#include "runtime/strings.h"
#include "record/setup_state.h"
#include "toolkit/window.h"

#include <psapi.h>  // after windows.h

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
constexpr char kCopyFolder[] = "C:\\bench-copy";
const char* const kNames[] = {"\\Keyglyph.dll", "\\QuorvexPlenar.exe"};

std::string In(const char* folder, const char* name) { return std::string(folder) + name; }

// The payload as plain files, for the reference to copy.
bool WritePayloadFiles() {
    CreateDirectoryA(kSourceFolder, nullptr);
    CreateDirectoryA(kCopyFolder, nullptr);
    const int32_t resources[] = {install::kLibraryPayload, install::kApplicationPayload};
    for (int i = 0; i < 2; ++i) {
        HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(resources[i]),
                                    MAKEINTRESOURCEA(install::kPayloadType));
        HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
        if (!loaded) return false;
        HANDLE file = CreateFileA(In(kSourceFolder, kNames[i]).c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(file, LockResource(loaded), SizeofResource(nullptr, found), &written, nullptr);
        CloseHandle(file);
        if (written != SizeofResource(nullptr, found)) return false;
    }
    return true;
}

// Back to a machine without the installation's files, links and layer mark.
void Uninstalled() {
    for (const char* name : kNames) DeleteFileA(In(g_setup.InstallFolder.c_str(), name).c_str());
    install::DeleteShortcuts();
    reg::RegDeleteValueByPath(install::kSettingsKey, "WinPatch");
}

struct Step {
    const char* name;
    int32_t (*run)();
    std::vector<double> times;
};
Step g_steps[] = {{"WriteSettingsRecords", install::WriteSettingsRecords, {}},
                  {"CopyApplicationFiles", install::CopyApplicationFiles, {}},
                  {"CreateShortcuts", install::CreateShortcuts, {}},
                  {"ApplyCompatibilityLayer", install::ApplyCompatibilityLayer, {}}};

double Installation() {
    Uninstalled();
    const double start = bench::NowMs();
    for (Step& step : g_steps) {
        const double before = bench::NowMs();
        step.run();
        step.times.push_back(bench::NowMs() - before);
    }
    return bench::NowMs() - start;
}

double Copies() {
    for (const char* name : kNames) DeleteFileA(In(kCopyFolder, name).c_str());
    const double start = bench::NowMs();
    for (const char* name : kNames) {
        CopyFileA(In(kSourceFolder, name).c_str(), In(kCopyFolder, name).c_str(), FALSE);
    }
    return bench::NowMs() - start;
}

}  // namespace

int main() {
    rt::RuntimeStart();
    g_setup.VersionText = " 2.11";
    install::PrepareFolders();
    g_setup.ShortcutForApp = 1;
    g_setup.ShortcutForLogs = 1;
    if (!WritePayloadFiles()) {
        std::printf("cannot write the payload files\n");
        return 1;
    }
    // The first round of each loads what the process has not used yet.
    const double firstInstallation = Installation();
    const double firstCopies = Copies();
    std::printf("first round: installation work %.1f ms, copies %.1f ms\n", firstInstallation,
                firstCopies);
    g_skippedWaits = 0;
    for (Step& step : g_steps) step.times.clear();
    bench::Compare("installation work W5 to W9, no waits", 9, 1.5, Installation, Copies);
    std::printf("fixed waits skipped per installation: %.0f ms\n", g_skippedWaits / 9);
    for (const Step& step : g_steps) {
        std::printf("  %-26s %7.3f ms\n", step.name, bench::Median(step.times));
    }

    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    if (K32GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory)) {
        std::printf("peak working set of this process: %.1f MiB\n",
                    static_cast<double>(memory.PeakWorkingSetSize) / (1024 * 1024));
    }
    rt::RuntimeStop();
    return 0;
}
