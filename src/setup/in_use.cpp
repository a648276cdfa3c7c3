// The application in use, and a removal that could not finish.
#include "setup/in_use.h"

#include "install/actions.h"
#include "record/setup_state.h"
#include "runtime/log.h"
#include "toolkit/message_box.h"

namespace setup {

namespace {

constexpr char kInUseText[] = "' is in use by Quorvex Plenar or another program.";
constexpr char kInUseAdvice[] =
    "\r\n\r\nPlease close Quorvex Plenar, then click Retry. Cancel leaves the installation as "
    "it is.";
constexpr char kNotRemovedText[] = "' could not be removed from your computer.";
constexpr char kNotRemovedAdvice[] =
    "\r\n\r\nPlease close Quorvex Plenar, then run the uninstall again.";

// No page is open when these boxes come up, and closing the last one may have handed the
// activation to the application itself: the box takes the foreground and stays above the
// application while the user closes it.
constexpr UINT kBoxOverApplication = MB_ICONINFORMATION | MB_SETFOREGROUND | MB_TOPMOST;

const char* FileName(const char* path) {
    const char* name = path;
    for (const char* p = path; *p != '\0'; ++p) {
        if (*p == '\\') name = p + 1;
    }
    return name;
}

// New string: the file's name as its folder spells it (the removal's list is in lower
// case), or as the path has it when the folder cannot be read.
rt::NewString NameOnDisk(const char* path) {
    WIN32_FIND_DATAA found{};
    const HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) return rt::CopyString(FileName(path));
    FindClose(search);
    return rt::CopyString(found.cFileName);
}

// New string: "Sorry, the file 'NAME" + what + advice.
rt::NewString Apology(const char* name, const char* what, const char* advice) {
    const rt::NewString text = rt::Concat("Sorry, the file '", name, what);
    return rt::Concat(text.c_str(), advice);
}

}  // namespace

void WaitUntilProgramFilesFree() {
    for (;;) {
        const rt::NewString path = install::ProgramFileInUse();
        if (path.c_str()[0] == '\0') return;
        rt::Log("File %s: in use by another program: nothing changed", path.c_str());
        if (g_setup.Silent) {
            g_setup.ExitCode = kExitInUse;
            ReleasePageImages();
            EndSetup();
        }
        const rt::NewString text = Apology(FileName(path.c_str()), kInUseText, kInUseAdvice);
        if (tk::MessageBox(nullptr, text.c_str(), "Error", kBoxOverApplication | MB_RETRYCANCEL) !=
            IDRETRY) {
            ReleasePageImages();
            EndSetup();
        }
    }
}

void ReportRemovalUnfinished() {
    rt::Log("File %s: could not be deleted: the uninstall is not finished",
            g_setup.FileLeft.c_str());
    if (g_setup.Silent) {
        g_setup.ExitCode = kExitRemovalUnfinished;
    } else {
        const rt::NewString name = NameOnDisk(g_setup.FileLeft.c_str());
        const rt::NewString text = Apology(name.c_str(), kNotRemovedText, kNotRemovedAdvice);
        tk::MessageBox(nullptr, text.c_str(), "Error", kBoxOverApplication);
    }
    ReleasePageImages();
    EndSetup();
}

}  // namespace setup
