// What the setup program does to the machine: the payload, the registry records, the
// desktop shortcuts, the folders and compatibility layer, and the removal.
//
// Every action takes no arguments and talks through the Global setup record
// (record/setup_state.h). Failures are silent unless an action says otherwise: the
// user hears of a program file that did not arrive, which ends the program with a
// message, and the setup program tells of a removal that could not delete a file.
#pragma once

#include <cstdint>

#include "runtime/files.h"
#include "runtime/strings.h"

namespace install {

// ---- Registry keys (path strings of the registry layer) -----------------------------

inline constexpr char kSettingsKey[] = "HKEY_CURRENT_USER\\Software\\Brindlemark";
inline constexpr char kUninstallKey[] =
    "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuorvexPlenar";
inline constexpr char kLayersKey[] =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";
inline constexpr char kProbeKey[] = "HKEY_LOCAL_MACHINE\\Software\\Quorvex Plenar";
inline constexpr char kSystemVersionKey[] =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion";

// ---- Names that installation, repair and removal must agree on ---------------------

// The application's and the setup program's files, to follow a folder given without a
// trailing backslash.
inline constexpr char kApplicationFile[] = "\\QuorvexPlenar.exe";
inline constexpr char kSetupFile[] = "\\SetupQuorvexPlenar.exe";
// The Windows 7 layer is for products whose name holds one of these.
inline constexpr const char* kLayerMarkers[] = {"8", "10"};

// New string: the platform's product name ("ProductName"), without leading blanks.
rt::NewString ReadProductName();

// ---- Payload ----------------------------------------------------------------------

// Payload resources: numeric type 324, one file each, byte for byte.
inline constexpr int32_t kPayloadType = 324;
inline constexpr int32_t kLibraryPayload = 303;      // Keyglyph.dll
inline constexpr int32_t kApplicationPayload = 304;  // QuorvexPlenar.exe
inline constexpr int32_t kLicensePayload = 305;      // Eula.txt
inline constexpr int32_t kReadMePayload = 306;       // ReadMe.txt

// Writes the resource's bytes to the file, creating or emptying it. A file that could
// not be written whole is deleted again, so that no short copy poses as the payload.
// Always 0.
int32_t WriteResourceFile(int32_t resource, int32_t type, const char* path);
// The same, by a UTF-16 path (a file beside the program, whose folder may be named
// outside the code page).
int32_t WriteResourceFile(int32_t resource, int32_t type, const wchar_t* path);
// Deletes older program files from InstallFolder, writes the library and the
// application, checks that both arrived and copies this program beside them. 0; ends
// the program when a file did not arrive.
int32_t CopyApplicationFiles();
// 0 when both program files are in InstallFolder with the payload's size and neither
// write of this run failed; otherwise tells the user which one is missing and ends the
// program.
int32_t VerifyApplicationFiles();
// Copies this program to InstallFolder\SetupQuorvexPlenar.exe, the file the uninstall
// entry names, unless it runs from there. A copy that did not arrive whole is deleted
// and reported like a program file; the program then ends.
int32_t CopySetupProgram();

// ---- Registry records ---------------------------------------------------------------

// The application's settings and the per-user uninstall entry.
int32_t WriteSettingsRecords();

// ---- Shortcuts ----------------------------------------------------------------------

// New string: the file-system path of a shell folder (0 is the desktop), without a
// trailing backslash; the empty text when the platform has none.
rt::NewString GetSpecialFolder(int32_t csidl);
// The same folder with every character of its name kept.
rt::WidePath GetSpecialFolderWide(int32_t csidl);
// A shell link to target with the description, saved as linkFile. The status of the
// last step done (0 on success).
int32_t CreateShortcut(const char* target, const char* linkFile, const char* description);
// The same, saved by a UTF-16 path (the shell-link object saves by one anyway).
int32_t CreateShortcut(const char* target, const wchar_t* linkFile, const char* description);
// The desktop shortcuts chosen on the shortcut page.
int32_t CreateShortcuts();
// Deletes the four desktop shortcut names this product has used.
int32_t DeleteShortcuts();

// ---- Folders and compatibility layer ------------------------------------------------

// Fixes InstallFolder, LogFolder and Bitness on the system drive and creates both
// folders.
int32_t PrepareFolders();
// Marks the application for the Windows 7 layer on products named with "8" or "10",
// once per user ("WinPatch").
int32_t ApplyCompatibilityLayer();

// ---- Removal ------------------------------------------------------------------------

// Removes the program files, then the registry records and the desktop shortcuts. 0
// when done; 1 when a file could not be deleted (FileLeft names it): the records and
// shortcuts then stay, so that the platform's list can run the removal again.
int32_t RemoveInstallation();
// Deletes the program files from the folder recorded as "pathe". 0 when none stayed;
// otherwise the number that could not be deleted, the first named in FileLeft. A file
// that is not there is no failure.
int32_t DeleteInstalledFiles();
// New string: the folder recorded as "pathe" when the removal may delete from it, else
// the empty text.
rt::NewString FolderToRemoveFrom();

// ---- The installation step as one transaction (install_transaction.cpp) ---------------
// From BeginInstallStep to CompleteInstallStep, what the step replaces or removes is
// kept: each file renamed aside in its own folder, each registry value read before it
// is written. A file that does not arrive undoes the step; a run cut short is undone (or
// completed, when every file had arrived) by the next start. The record of what to undo
// lies in the registry, written before each change, since the usual failure is a full
// disk.

// The registry key of the undo record; there only while a step is open.
inline constexpr char kUndoKey[] = "HKEY_CURRENT_USER\\Software\\Quorvex Plenar setup undo";

// Opens the step. 0.
int32_t BeginInstallStep();
// Every file arrived: deletes the files moved aside and the undo record. 0.
int32_t CompleteInstallStep();
// Puts back what the open step changed: deletes the files it wrote, moves back the ones
// it moved aside, restores the registry values and deletes the values and keys it made.
// 0; nothing when no step is open.
int32_t UndoInstallStep();
// At start-up, before anything reads what an earlier run wrote: an undo record left by a
// run cut short is undone, or completed when that run's files had all arrived. 0.
int32_t SettleUnfinishedStep();
// Before the step writes a registry value: keeps the value as it is, or notes that it
// and its key are new, unless this step already did. Nothing outside a step.
void KeepForUndo(const char* key, const char* valueName);
// Deletes the file, or inside a step moves it aside. Non-zero when no file of that name
// is left there; otherwise 0 with the system's error (ERROR_FILE_NOT_FOUND: none was).
int32_t RemoveForInstallation(const wchar_t* path);
int32_t RemoveForInstallation(const char* path);
// Before the step writes the file: removes what is there as above and notes the file as
// this run's. False when a file of that name stays.
bool ClearForWriting(const wchar_t* path);

// ---- Program files in use -------------------------------------------------------------

// New string: the path of the application or library that a process runs or holds
// open, in InstallFolder or in the folder the removal deletes from; the empty text when
// neither is in use (a file that is not there is not).
rt::NewString ProgramFileInUse();

}  // namespace install
