// The installation step as one transaction: the undo record, the files moved aside and
// put back, the registry values kept and restored.
#include <cstring>
#include <utility>

#include "install/actions.h"
#include "registry/registry_path.h"
#include "runtime/files.h"
#include "runtime/log.h"

namespace install {

namespace {

// The undo record's entries, told apart by their names:
//   "Open"          the step has begun
//   "=KEY|NAME"     a copy of the value as it was, its type and bytes
//   "-KEY|NAME"     the value was not there: deleted on undo
//   "+KEY"          the key was not there: deleted on undo, and the keys above it up to
//                   the one its data names (the registry made them all at once)
//   "Aside N"       the UTF-16 path of a file moved aside (to the path + kAsideSuffix),
//                   noted before the move
//   "Written N"     the UTF-16 path of a file this run writes, noted before the write
//   "Complete"      every file arrived: only the files aside are left to delete
constexpr char kAsidePrefix[] = "Aside ";
constexpr char kWrittenPrefix[] = "Written ";
constexpr char kAsideSuffix[] = ".setup-aside";

bool g_open = false;     // a step of this run is open
uint32_t g_fileEntries;  // numbers the file entries of this run

// A path of the record; paths that do not fit are not moved (the rename would fail too).
constexpr uint32_t kLongestPath = 1024;

bool StartsWith(const char* text, const char* prefix) {
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

void NoteNumber(const char* name) {
    const uint32_t one = 1;
    reg::RegWriteBytes(kUndoKey, name, &one, sizeof one);
}

// Notes a file under "Aside N" or "Written N".
void NoteFile(const char* prefix, const wchar_t* path) {
    char name[32];
    wsprintfA(name, "%s%lu", prefix, static_cast<unsigned long>(++g_fileEntries));
    const uint32_t size = static_cast<uint32_t>((lstrlenW(path) + 1) * sizeof(wchar_t));
    reg::RegWriteBytes(kUndoKey, name, path, size);
}

// The path a file entry holds, into area; false when it cannot be read.
bool EntryPath(const char* name, wchar_t (&area)[kLongestPath]) {
    uint32_t size = sizeof area - sizeof(wchar_t);
    std::memset(area, 0, sizeof area);
    return reg::RegReadBytes(kUndoKey, name, area, size) == ERROR_SUCCESS && area[0] != L'\0';
}

// Calls act with the name of every entry that begins with prefix.
void ForEachEntry(const char* prefix, void (*act)(const char* name)) {
    for (uint32_t index = 0;; ++index) {
        const rt::NewString name = reg::RegValueNameAt(kUndoKey, index);
        if (name.c_str()[0] == '\0') return;
        if (StartsWith(name.c_str(), prefix)) act(name.c_str());
    }
}

// KEY and NAME of a "=KEY|NAME" or "-KEY|NAME" entry.
struct ValueEntry {
    rt::NewString key, valueName;
};
ValueEntry SplitEntry(const char* entry) {
    const int32_t bar = rt::InStr(entry, "|", 1);
    return {rt::Mid(entry, 2, bar - 2), rt::Mid(entry, bar + 1, -1)};
}

rt::NewString ParentKey(const char* key) {
    const char* last = std::strrchr(key, '\\');
    return last ? rt::Left(key, static_cast<int32_t>(last - key)) : rt::CopyString("");
}

// Before the first value written to a key that is not there: the key, and the highest
// key above it that is not there either.
void KeepKey(const char* key) {
    const rt::NewString entry = rt::Concat("+", key);
    if (reg::RegKeyExists(key) || reg::RegValueExists(kUndoKey, entry.c_str())) return;
    rt::NewString highest = rt::CopyString(key);
    for (;;) {
        rt::NewString parent = ParentKey(highest.c_str());
        if (parent.c_str()[0] == '\0' || reg::RegKeyExists(parent.c_str())) break;
        highest = std::move(parent);
    }
    reg::RegWriteBytes(kUndoKey, entry.c_str(), highest.c_str(),
                       static_cast<uint32_t>(rt::Len(highest.c_str()) + 1));
}

// ---- Undo, entry by entry ------------------------------------------------------------

void DeleteWritten(const char* name) {
    wchar_t path[kLongestPath];
    if (EntryPath(name, path)) rt::DeleteFile(path);
}

void PutBack(const char* name) {
    wchar_t path[kLongestPath];
    if (!EntryPath(name, path)) return;
    const rt::WidePath aside = rt::JoinPath(path, kAsideSuffix);
    // No file aside: the move never happened (the file stayed where it was) or was
    // already undone.
    if (rt::StoredFilePath(aside.c_str()).empty()) return;
    rt::RenameFile(aside.c_str(), path);
}

void DeleteAside(const char* name) {
    wchar_t path[kLongestPath];
    if (EntryPath(name, path)) rt::DeleteFile(rt::JoinPath(path, kAsideSuffix).c_str());
}

void RestoreValue(const char* name) {
    const ValueEntry value = SplitEntry(name);
    const LONG status =
        reg::RegCopyValue(kUndoKey, name, value.key.c_str(), value.valueName.c_str());
    rt::LogOutcome(status, "Registry %s [%s]: put back as it was", value.key.c_str(),
                   value.valueName.c_str());
}

void DeleteNewValue(const char* name) {
    const ValueEntry value = SplitEntry(name);
    reg::RegDeleteValueByPath(value.key.c_str(), value.valueName.c_str());
}

void DeleteNewKey(const char* name) {
    char highest[kLongestPath] = {};
    uint32_t size = sizeof highest - 1;
    if (reg::RegReadBytes(kUndoKey, name, highest, size) != ERROR_SUCCESS) return;
    // Deepest first: the registry deletes only keys without subkeys.
    for (rt::NewString key = rt::CopyString(name + 1);; key = ParentKey(key.c_str())) {
        reg::RegDeleteKeyByPath(key.c_str());
        if (lstrcmpiA(key.c_str(), highest) == 0 || key.c_str()[0] == '\0') break;
    }
}

void Forget() {
    reg::RegDeleteKeyByPath(kUndoKey);
    g_open = false;
}

// Undoes the step the record describes. The files this run wrote go before the files
// aside come back, since a file may be both.
void Undo() {
    ForEachEntry(kWrittenPrefix, DeleteWritten);
    ForEachEntry(kAsidePrefix, PutBack);
    ForEachEntry("=", RestoreValue);
    ForEachEntry("-", DeleteNewValue);
    ForEachEntry("+", DeleteNewKey);
    Forget();
}

void Complete() {
    ForEachEntry(kAsidePrefix, DeleteAside);
    Forget();
}

}  // namespace

int32_t BeginInstallStep() {
    g_open = true;
    NoteNumber("Open");
    rt::Log("Installation step: begun; undone if a file does not arrive");
    return 0;
}

int32_t CompleteInstallStep() {
    if (!g_open) return 0;
    // From here on a run cut short is completed, not undone: everything has arrived.
    NoteNumber("Complete");
    Complete();
    rt::Log("Installation step: complete");
    return 0;
}

int32_t UndoInstallStep() {
    if (!g_open) return 0;
    rt::Log("Installation step: undoing what it changed");
    Undo();
    rt::Log("Installation step: undone, the files and records are as they were");
    return 0;
}

int32_t SettleUnfinishedStep() {
    if (!reg::RegKeyExists(kUndoKey)) return 0;
    if (reg::RegValueExists(kUndoKey, "Complete")) {
        rt::Log("An earlier installation step had completed: deleting the files it moved aside");
        Complete();
    } else {
        rt::Log("An earlier installation step was cut short: undoing what it changed");
        Undo();
    }
    rt::Log("Installation step: settled");
    return 0;
}

void KeepForUndo(const char* key, const char* valueName) {
    if (!g_open) return;
    const rt::NewString kept = rt::Concat(rt::Concat("=", key, "|").c_str(), valueName);
    const rt::NewString made = rt::Concat(rt::Concat("-", key, "|").c_str(), valueName);
    // Only the first write of the step says what the value was.
    if (reg::RegValueExists(kUndoKey, kept.c_str()) || reg::RegValueExists(kUndoKey, made.c_str()))
        return;
    KeepKey(key);
    const LONG status = reg::RegCopyValue(key, valueName, kUndoKey, kept.c_str());
    if (status == ERROR_FILE_NOT_FOUND) {
        NoteNumber(made.c_str());
    } else if (status != ERROR_SUCCESS) {
        rt::LogOutcome(status, "Registry %s [%s]: not kept for undo", key, valueName);
    }
}

int32_t RemoveForInstallation(const wchar_t* path) {
    if (!g_open) return rt::DeleteFile(path);
    // The stored spelling, so that a file put back keeps the case of its name.
    const rt::WidePath stored = rt::StoredFilePath(path);
    if (stored.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    NoteFile(kAsidePrefix, stored.c_str());
    return rt::RenameFile(stored.c_str(), rt::JoinPath(stored.c_str(), kAsideSuffix).c_str());
}

int32_t RemoveForInstallation(const char* path) {
    return RemoveForInstallation(rt::WidePathOf(path).c_str());
}

bool ClearForWriting(const wchar_t* path) {
    if (!RemoveForInstallation(path) && GetLastError() != ERROR_FILE_NOT_FOUND &&
        GetLastError() != ERROR_PATH_NOT_FOUND) {
        return false;
    }
    if (g_open) NoteFile(kWrittenPrefix, path);
    return true;
}

}  // namespace install
