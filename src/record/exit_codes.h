// The setup program's exit codes: the one table that the program, the package manifest,
// the README and the tests take them from. One row a code:
//   row(name, code, package manager's ReturnResponse, Intune / Configuration Manager code
//       type, what it tells a deployment script)
// tools/exit_codes.py reads the rows as text, so each stays on one line with plain quoted
// texts. Started without switches the program always ends with 0; the silent roads (/S)
// tell a deployment script what happened.
// 2 is not used: older versions gave it when /S was started from a folder named Temp,
// which a package manager's download folder is; a script that knows 2 must not meet it
// with another meaning.
#pragma once

#define QP_EXIT_CODES(row) \
    row(kExitDone, 0, "", "Success", "done") \
    row(kExitFileNotArrived, 1, "contactSupport", "Failed", "a program file did not arrive: nothing changed, the installation step was undone; run again") \
    row(kExitNewerInstalled, 3, "downgrade", "Failed", "a newer version is installed: nothing done") \
    row(kExitInUse, 4, "packageInUse", "Retry", "the application or its library is in use by a running program: nothing changed; close it and run again") \
    row(kExitRemovalUnfinished, 5, "fileInUse", "Retry", "a program file could not be deleted during the removal: the uninstall entry and the settings stay; close the application and run the uninstall again") \
    row(kExitFolderNotOurs, 6, "contactSupport", "Failed", "the installation folder, or an entry in it, belongs to another account, or the folder is a link to elsewhere: nothing installed; an administrator can remove it") \
    row(kExitBadSwitch, 87, "invalidParameter", "Failed", "an unknown switch, a value not listed, or a switch that goes with /S given without it: nothing is written, not even the log") \
    row(kExitAnotherSetup, 1618, "installInProgress", "Retry", "another setup program runs in this session: nothing done; a log asked for gets only its last line")
