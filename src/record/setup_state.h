// The Global setup record: the one process-wide record of texts, numbers, page images
// and page windows through which the pages and the installation actions talk, and
// EndSetup, the one way the program ends.
//
// The record is statically allocated and zero at process start; nothing resets it.
// Text fields are Text buffers (at most 254 characters; a longer assignment is cut).
#pragma once

#include <cstdint>

#include "record/exit_codes.h"
#include "runtime/files.h"
#include "runtime/image_kind.h"
#include "runtime/strings.h"
#include "toolkit/window.h"

namespace setup {

// The setup program's own version, with the leading blank of a number turned to text.
inline constexpr char kVersionText[] = " 2.11";

// The exit codes, by name (record/exit_codes.h).
#define QP_EXIT_CODE_CONSTANT(name, code, ...) name = code,
enum : int32_t { QP_EXIT_CODES(QP_EXIT_CODE_CONSTANT) };
#undef QP_EXIT_CODE_CONSTANT

struct GlobalSetup {
    rt::Text VersionText;       // the program's own version, " 2.11" (leading blank)
    rt::Text StartFolder;       // the program's folder, trailing backslash, LTrim'd
    rt::Text RegisteredFolder;  // "pathe" + "\", LTrim'd
    rt::Text WorkText;          // scratch for values read from the registry
    rt::Text InstallFolder;     // system drive + "\Quorvex Plenar", no trailing backslash
    rt::Text LogFolder;         // system drive + "\Quorvex Plenar Log Files"
    rt::Text RemovalFolder;     // "pathe" as the removal reads it; empty until then
    rt::Text FileLeft;          // the first file the removal could not delete; or empty
    rt::Text ProductNameText;   // the platform's product name, for the "Windows" value
    rt::Text SelfDeletePath;    // InstallFolder + "\SetupQuorvexPlenar.exe"
    rt::Text FontName;          // face of every page font: "Arial"
    rt::Text RefusedPath;       // the folder, or the entry in it, that another account owns
                                // and that no program file may be written into; or empty

    double InstalledVersion;    // Val of "versione"; 0 when missing
    int32_t AdminFlag;          // 1: the machine-wide probe key could be written and read
    int32_t ProbeStatus;        // status of the probe's writes; never acted on
    int32_t RegStatus;          // status of the last registry write; never acted on
    rt::FileVariable CheckFile{rt::FileKind::kText};  // the payload existence check
    int32_t RunFromInstallFolder;  // 1: started from the registered installation folder
    int32_t IsXP;               // position of "XP" in the product name, or 0
    int32_t Bitness;            // always 32, written as "Bit"
    int32_t OptionChoice;       // 3 Setup, 2 Repair, 1 Uninstall (1 = confirmed, later)
    int32_t PageResult;         // 0 go on, 1 "< Back"
    int32_t SetupSelected, RepairSelected, UninstallSelected;  // options page radio states
    int32_t AcceptedByKey;      // 1 once the licence was accepted with the A key
    int32_t ShortcutForApp;     // 1: create the application's desktop shortcut
    int32_t ShortcutForLogs;    // 1: create the log-files desktop shortcut
    int32_t FontWeight;         // weight of the pages' 12-point fonts; never assigned
    int32_t Silent;             // 1 (/S): no window and no message box, ever
    int32_t SilentUninstall;    // 1 (/UNINSTALL /S): the confirmed uninstall road, silently
    rt::Text SpeedUnit;         // "Speede" the installation step writes: "M" or "K" (by
                                // switch or on the measurement page); empty: not written
    rt::Text TemperatureUnit;   // "Tempe" likewise: "C" or "F"
    int32_t ExitCode;           // the process's exit code (0 unless a silent road sets it)
    int32_t RefusedEntry;       // 1: RefusedPath is an entry of the installation folder that
                                // could not be deleted; 0: it is one of the two folders
    struct {
        int32_t red, green, blue;
    } FillColor;                // background of the licence page
    rt::Image ImageTable[100];  // page images by resource number
    rt::Image WindowIcon;       // the program icon
};
extern GlobalSetup g_setup;

// The page windows, beside the record. PageWindow is shared by the options,
// measurement, shortcut and finish pages, which are never open together.
struct PageWindows {
    tk::Window LicenseWindow;
    tk::Window PageWindow;
    tk::Window ProgressWindow;
    tk::Window UninstallConfirmWindow;
    tk::Window UninstallDoneWindow;
};
extern PageWindows g_windows;

// Ends the program from wherever it is called (also inside a page handler): the
// toolkit's dialog list, then the runtime, then ExitCode (0 unless a silent road set
// it). The page images are the caller's to release first.
[[noreturn]] void EndSetup();

// Loads the page images from the program's resources into ImageTable and WindowIcon.
void LoadPageImages();
// Frees every page image that loaded, each by its kind. Handles are not cleared.
void ReleasePageImages();

}  // namespace setup
