// What the user, or a deployment script, hears when the program files are in use: before
// a road replaces or removes them, and after a removal that one of them outlived.
#pragma once

namespace setup {

// Returns once neither the application nor its library is in use. Otherwise: silent,
// logs the file and ends with kExitInUse; with pages, names the file in a box whose Retry
// checks again and whose Cancel ends the program. Either way nothing has been changed.
void WaitUntilProgramFilesFree();

// Ends the program after a removal that could not delete FileLeft: silent, with
// kExitRemovalUnfinished; with pages, after a box naming the file, in place of the
// uninstall-finished page. The installed setup program stays for the next removal.
[[noreturn]] void ReportRemovalUnfinished();

}  // namespace setup
