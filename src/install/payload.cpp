// The payload: writing one resource to a file, and the copy of the program files.
#include "install/actions.h"
#include "record/setup_state.h"
#include "runtime/file_security.h"
#include "runtime/files.h"
#include "runtime/log.h"
#include "runtime/resources.h"
#include "toolkit/message_box.h"

namespace install {

using setup::g_setup;

namespace {

// Files that the application and older setups leave in the installation folder; the
// application places all but itself there on its first run.
constexpr const char* kOldProgramFiles[] = {
    "\\quorvexplenar.exe", "\\quorvexplenarrun.exe",
    "\\commports.chm",     "\\quorvexplenar.chm",
    "\\cogs.bmp",          "\\home.bmp",
    "\\tools.bmp",         "\\dial.bmp",
};

// The program files that must have arrived, in the order they are written and checked.
struct ProgramFile {
    const char* writtenAs;  // below InstallFolder
    const char* path;       // below InstallFolder, as checked
    const char* shownName;
    int32_t resource;
};
constexpr ProgramFile kProgramFiles[] = {
    {"\\Keyglyph.dll", "\\Keyglyph.dll", "Keyglyph.dll", kLibraryPayload},
    {kApplicationFile, "\\quorvexplenar.exe", "QuorvexPlenar.exe", kApplicationPayload},
};
constexpr size_t kProgramFileCount = sizeof kProgramFiles / sizeof kProgramFiles[0];

// Whether this run's write of each program file failed. Such a file has not arrived,
// whatever is there: an older copy that could not be replaced (it was in use) has the
// payload's size too.
bool g_writeFailed[kProgramFileCount];

constexpr DWORD kPauseBeforeWriting = 1000;
constexpr DWORD kPauseBeforeChecking = 500;

// The resource's size in bytes, or -1 when the program does not carry it.
int64_t PayloadSize(int32_t resource, int32_t type) {
    const rt::ResourceBytes found = rt::FindResourceBytes(resource, type);
    return found.bytes ? static_cast<int64_t>(found.size) : -1;
}

// True when the file opens for reading and holds exactly the expected number of bytes:
// a write that failed halfway, or an older file that could not be replaced, has
// another size.
bool Arrived(const char* path, int64_t expectedSize) {
    if (expectedSize < 0 || rt::OpenFile(g_setup.CheckFile, path, "R") != 0) return false;
    LARGE_INTEGER size{};
    const bool sized = GetFileSizeEx(g_setup.CheckFile.handle, &size) != 0;
    rt::CloseFile(g_setup.CheckFile);
    return sized && size.QuadPart == expectedSize;
}

// The size of a file in bytes, or -1 when it cannot be read.
int64_t FileSize(const wchar_t* path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return -1;
    return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

[[noreturn]] void ReportMissing(const char* shownName) {
    rt::Log("File %s did not arrive: the installation is not complete", shownName);
    UndoInstallStep();
    if (g_setup.Silent) {
        g_setup.ExitCode = setup::kExitFileNotArrived;
        setup::EndSetup();
    }
    rt::NewString text =
        rt::Concat("Sorry, the file '", shownName, "' was not copied to your computer.");
    text = rt::Concat(text.c_str(),
                      "\r\n\r\nPlease run Setup again, or download the other setup with the "
                      "individual files included.");
    // Owned by the please-wait page while that is open: the page is topmost, and a box
    // without an owner would open beneath it, out of sight, with the program waiting on it.
    tk::Window& waiting = setup::g_windows.ProgressWindow;
    tk::MessageBox(waiting.hwnd ? &waiting : nullptr, text.c_str(), "Error", MB_ICONINFORMATION);
    setup::EndSetup();
}

// WriteResourceFile's work: true when the file now holds the resource's bytes whole.
bool WritePayload(int32_t resource, int32_t type, const wchar_t* path) {
    // Written straight from the program's own resource. A copy into a new block first
    // (and a file written from it) took ten times as long as the write for the 9.9 MB
    // application: every page of the new block is new memory to the system.
    const rt::ResourceBytes payload = rt::FindResourceBytes(resource, type);
    if (!payload.bytes) return false;
    const int32_t size = static_cast<int32_t>(payload.size);
    const rt::NewString shown = rt::NarrowPath(path);
    bool whole = false;
    rt::FileVariable file(rt::FileKind::kBinary);
    if (rt::CreateProtectedFile(file, path) == 0) {
        const int32_t written =
            rt::WriteToFile(file, rt::FileData::Bytes(payload.bytes, payload.size), size);
        const DWORD error = GetLastError();
        rt::CloseFile(file);
        whole = written == size;
        if (whole) {
            rt::Log("File %s: written, %ld bytes", shown.c_str(), static_cast<long>(size));
        } else {
            rt::LogOutcome(static_cast<long>(error ? error : ERROR_WRITE_FAULT),
                           "File %s: %ld of %ld bytes written", shown.c_str(),
                           static_cast<long>(written), static_cast<long>(size));
            rt::DeleteFile(path);  // a disk that filled up, for one
        }
    } else {
        rt::LogOutcome(static_cast<long>(GetLastError()), "File %s: not written", shown.c_str());
    }
    return whole;
}

}  // namespace

int32_t WriteResourceFile(int32_t resource, int32_t type, const char* path) {
    WritePayload(resource, type, rt::WidePathOf(path).c_str());
    return 0;
}

int32_t WriteResourceFile(int32_t resource, int32_t type, const wchar_t* path) {
    WritePayload(resource, type, path);
    return 0;
}

int32_t CopyApplicationFiles() {
    const char* folder = g_setup.InstallFolder.c_str();
    for (const char* name : kOldProgramFiles)
        RemoveForInstallation(rt::Concat(folder, name).c_str());
    // Started from the installation folder, the older setup program is this one.
    if (g_setup.RunFromInstallFolder == 0) {
        RemoveForInstallation(rt::Concat(folder, kSetupFile).c_str());
    }
    tk::WaitPainted(kPauseBeforeWriting);
    for (size_t i = 0; i < kProgramFileCount; ++i) {
        const ProgramFile& file = kProgramFiles[i];
        const rt::WidePath path = rt::WidePathOf(rt::Concat(folder, file.writtenAs).c_str());
        // Written anew, never over an older file, which could then not be put back.
        g_writeFailed[i] = !ClearForWriting(path.c_str()) ||
                           !WritePayload(file.resource, kPayloadType, path.c_str());
    }
    tk::WaitPainted(kPauseBeforeChecking);
    VerifyApplicationFiles();
    CopySetupProgram();
    return 0;
}

int32_t VerifyApplicationFiles() {
    for (size_t i = 0; i < kProgramFileCount; ++i) {
        const ProgramFile& file = kProgramFiles[i];
        rt::NewString path = rt::Concat(g_setup.InstallFolder.c_str(), file.path);
        if (g_writeFailed[i] || !Arrived(path.c_str(), PayloadSize(file.resource, kPayloadType))) {
            ReportMissing(file.shownName);
        }
        rt::Log("File %s: arrived whole", path.c_str());
    }
    return 0;
}

int32_t CopySetupProgram() {
    // By its full name: a download folder may be named outside the code page.
    const rt::WidePath own = rt::GetProgramFileWide();
    if (own.empty() || lstrlenW(own.c_str()) >= MAX_PATH) return 0;
    const rt::NewString installed = rt::Concat(g_setup.InstallFolder.c_str(), kSetupFile);
    const rt::WidePath installedWide = rt::WidePathOf(installed.c_str());
    // Started from the installation folder, this program is the installed copy.
    if (g_setup.RunFromInstallFolder == 1 || lstrcmpiW(own.c_str(), installedWide.c_str()) == 0)
        return 0;
    const int64_t size = FileSize(own.c_str());
    const bool copied = ClearForWriting(installedWide.c_str()) &&
                        rt::CopyToProtectedFile(own.c_str(), installedWide.c_str()) == size;
    if (!copied)
        rt::LogOutcome(static_cast<long>(GetLastError()), "File %s: not copied", installed.c_str());
    if (!copied || !Arrived(installed.c_str(), size)) {
        rt::DeleteFile(installed.c_str());  // no short copy left for the uninstall entry
        ReportMissing("SetupQuorvexPlenar.exe");
    }
    rt::Log("File %s: written, %ld bytes, a copy of this setup program", installed.c_str(),
            static_cast<long>(size));
    return 0;
}

}  // namespace install
