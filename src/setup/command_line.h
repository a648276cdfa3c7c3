// Switches for unattended installation and removal. Started without any, the program
// is the interactive one; deployment tools start it with these:
//   /S                         silent: no window and no message box, results as exit codes
//   /UNINSTALL                 with /S: remove the installation as a confirmed uninstall does
//   /LOG=path                  a plain-text log of every step (also without /S)
//   /SPEED=MPH|KMH             with /S: the units of a silent installation; the pages'
//   /TEMPERATURE=C|F           defaults (MPH, C) when absent
//   /SHORTCUTS=BOTH|APP|LOGS|NONE   with /S: the desktop shortcuts; BOTH when absent
// Names and values match without regard to case; "-" may stand for "/"; quotes may
// enclose a value or a whole switch.
#pragma once

namespace setup {

// Reads the switches of the command line (the program's name first, as Windows gives
// it) into the Global setup record, and opens the log when one is asked for. False,
// with nothing recorded or opened, for an unknown switch, a value that is not one of
// those above, a switch that goes with /S given without it, or a log path too long
// for a text buffer.
bool ReadSwitches(const char* commandLine);

}  // namespace setup
