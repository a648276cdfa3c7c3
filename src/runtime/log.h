// The setup program's log, asked for with /LOG=path: plain text, one line per step with
// its outcome, each line written to the file at once, so that the log of a run that
// ended early holds everything up to there. While no log is open, every call does
// nothing: the registry and file operations below the setup program log what they do
// without knowing whether anybody listens.
#pragma once

namespace rt {

// Opens the log, appending to an existing file; false (and no log) when it cannot be
// opened. A second call changes nothing.
bool OpenLog(const char* path);

// One line: the local time, two blanks, the text formatted as wsprintfA does (at most
// 1024 characters; a longer line is cut), CR LF.
void Log(const char* format, ...);

// A line about a step and its status: the text, then ": done" for status 0, otherwise
// ": failed (error N)" (an HRESULT in hexadecimal).
void LogOutcome(long status, const char* format, ...);

}  // namespace rt
