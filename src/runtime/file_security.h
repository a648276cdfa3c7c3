// Folders and files that no other account may change: made with a protected security
// descriptor of their own, and an existing one's owner and permissions judged.
//
// The descriptor: SYSTEM, Administrators and the user running this program (the token's
// user) have full control; Users may read and run; nothing is inherited from the parent
// folder. The root of the system drive lets every signed-in account modify what is made
// below it, so a folder there that relied on inheritance would be anybody's.
#pragma once

#include <cstdint>

#include "runtime/files.h"
#include "runtime/win.h"

namespace rt {

// What an existing folder or file means to a program that installs into it.
enum class Trust : int32_t {
    kSafe = 0,    // owned by the user, SYSTEM or Administrators; nobody else may change it
    kRepair = 1,  // owned so, but another account may change it or what is made in it
    kRefuse = 2,  // owned by another account, a link elsewhere, or unreadable
    kMissing = 3, // nothing there
};

// The judgement of a descriptor's owner and DACL, for the user with that SID. An ACE
// that lets any SID but the three trusted ones write, delete, or change permissions or
// owner makes it kRepair, also when it applies only to what is made inside (inherit-only);
// so do a NULL DACL and an allowing ACE of a kind that is not read.
Trust JudgeDescriptor(PSECURITY_DESCRIPTOR descriptor, PSID user);

// The judgement of the folder or file at path (a full path): kRefuse also for a reparse
// point that leads elsewhere (a junction or a symbolic link; a file system mounted there
// is judged as a folder) and for an owner that cannot be read; kMissing when nothing is
// there.
Trust JudgePath(const wchar_t* path);

// Creates the folder (one level) with the protected descriptor; logged as CreateDirectory
// logs. Non-zero when created; otherwise the system's error stays the last error.
int32_t CreateProtectedFolder(const char* path);

// Replaces the DACL of a folder or file of ours with the protected one. Non-zero when done.
int32_t ProtectPath(const wchar_t* path);

// Opens a new file for writing (binary), with the protected descriptor, shared for
// reading. A file already there is deleted first and made anew: a file overwritten in
// place would keep its owner and permissions. 0 when opened, 1 when not.
int32_t CreateProtectedFile(FileVariable& file, const wchar_t* path);

// Copies a file into a new protected one (made as CreateProtectedFile makes it), in one
// write from a view of the source. The bytes written; -1 when the source could not be
// read or the copy not made. A copy cut short is the caller's to delete.
int64_t CopyToProtectedFile(const wchar_t* from, const wchar_t* to);

}  // namespace rt
