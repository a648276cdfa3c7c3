// The program's folder, folders and files: file variables opened by mode text, written
// and read in one system call each.
//
// No operation shows a message; failures come back as results and leave the caller's
// variables as they were.
#pragma once

#include <cstdint>
#include <type_traits>

#include "runtime/strings.h"
#include "runtime/win.h"

namespace rt {

// ---- The program's folder, folders, files ------------------------------------------

// New string: the folder of the running program, ending with a backslash (the whole
// name when it has no backslash; the empty text when the system gives no name).
NewString GetStartPath();
// Non-zero when the folder was created (one level only).
int32_t CreateDirectory(const char* path);
// Non-zero when the file was deleted.
int32_t DeleteFile(const char* path);

// ---- Paths that keep every character -----------------------------------------------
// The ANSI functions hand back a path with each character that the code page cannot
// represent replaced (the Polish L with stroke by "L", Chinese letters by "?"), and
// that path names no file. A path that comes from the platform and goes back to it is
// carried as UTF-16 instead, and logged or stored as ANSI text only where a text is
// wanted.

// Owner of one UTF-16 text on the private heap. Move-only; the empty text when it
// could not be made.
class WidePath {
public:
    WidePath() noexcept = default;
    explicit WidePath(wchar_t* s) noexcept : s_(s) {}
    WidePath(WidePath&& other) noexcept : s_(other.s_) { other.s_ = nullptr; }
    WidePath& operator=(WidePath&& other) noexcept;
    WidePath(const WidePath&) = delete;
    WidePath& operator=(const WidePath&) = delete;
    ~WidePath();

    const wchar_t* c_str() const noexcept { return s_ ? s_ : L""; }
    wchar_t* get() const noexcept { return s_; }
    bool empty() const noexcept { return !s_ || s_[0] == L'\0'; }

private:
    wchar_t* s_ = nullptr;
};

// The running program's full file name; empty when the system gives none.
WidePath GetProgramFileWide();
// The running program's folder, ending with a backslash (as GetStartPath, every
// character kept).
WidePath GetStartPathWide();
// An ANSI text as UTF-16, as the ANSI functions read it (code page CP_ACP).
WidePath WidePathOf(const char* path);
// folder + name, name being ANSI text.
WidePath JoinPath(const wchar_t* folder, const char* name);
// New string: the path in the ANSI code page, each character it lacks replaced as the
// ANSI functions do; for log lines and values that hold ANSI text.
NewString NarrowPath(const wchar_t* path);
// As DeleteFile, by a UTF-16 path.
int32_t DeleteFile(const wchar_t* path);

// ---- File variables -----------------------------------------------------------------

// The kind of a file variable, fixed where it is declared. A value that is neither
// kind is possible and refused by every operation.
enum class FileKind : int32_t {
    kText = 6,
    kBinary = 11,
};

// A file variable: the handle of an open file, or null when closed.
struct FileVariable {
    explicit FileVariable(FileKind fileKind) : kind(fileKind) {}

    HANDLE handle = nullptr;
    FileKind kind;
};

// What WriteToFile writes, or where ReadFromFile reads to.
class FileData {
public:
    enum class Kind : int32_t { kText, kBlock, kVariable, kValue, kBytes };

    // A zero-terminated text.
    static FileData Text(const char* text) { return FileData(Kind::kText, text, 0, 0); }
    // The memory of a global memory block (a memory block variable by reference).
    static FileData Block(HGLOBAL block) { return FileData(Kind::kBlock, block, 0, 0); }
    // The caller's variable itself (any other data by reference).
    template <class T>
    static FileData Variable(T& variable) {
        static_assert(std::is_trivially_copyable_v<T> && !std::is_const_v<T>);
        return FileData(Kind::kVariable, &variable, sizeof(T), 0);
    }
    // A value passed by value: at most its 4 bytes are written.
    static FileData Value(uint32_t value) { return FileData(Kind::kValue, nullptr, 4, value); }
    // Bytes that may be written from but never read into (a resource read in place).
    static FileData Bytes(const void* bytes, uint32_t size) {
        return FileData(Kind::kBytes, bytes, size, 0);
    }

    Kind kind() const { return kind_; }
    const char* text() const { return static_cast<const char*>(address_); }
    HGLOBAL block() const { return const_cast<void*>(address_); }
    void* variable() const { return const_cast<void*>(address_); }
    const void* bytes() const { return address_; }
    uint32_t size() const { return size_; }
    const uint32_t* value() const { return &value_; }

private:
    FileData(Kind kind, const void* address, uint32_t size, uint32_t value)
        : kind_(kind), address_(address), size_(size), value_(value) {}

    Kind kind_;
    const void* address_;
    uint32_t size_;  // bytes of a variable, a value or read-only bytes
    uint32_t value_;
};

// Opens path by mode: "R"/"r" read, shared for reading and writing; "R+"/"r+" (binary
// only) read and write an existing file; "W"/"w" create or empty; "A"/"a" open or
// create, positioned at the end; the last three share reading only. 0 when opened (the
// handle is stored in the variable), 1 when not; an unknown mode or kind gives 1
// without touching the file system.
int32_t OpenFile(FileVariable& file, const char* path, const char* mode);
// The same, by a UTF-16 path.
int32_t OpenFile(FileVariable& file, const wchar_t* path, const char* mode);
// Closes the variable's file and sets it to null; nothing when it holds none.
void CloseFile(FileVariable& file);
// Binary: writes count bytes of the data in one call (a block's memory, the variable,
// the value, read-only bytes, or a text's bytes without a line break), never more than
// the data holds.
// Text: writes count bytes of a text (at most its length) followed by "\r\n". The
// result is the number of bytes the system reports as written; 0 when the variable
// holds no file or the data does not suit the kind.
int32_t WriteToFile(FileVariable& file, const FileData& data, int32_t count);
// Binary only: reads up to count bytes, never more than the destination (a block or
// a variable) holds, in one call. 0 when at least one byte was read, -1 otherwise (end
// of file, error, no file open).
int32_t ReadFromFile(FileVariable& file, const FileData& destination, int32_t count);

}  // namespace rt

// ---- Moves (file_moves.cpp) -----------------------------------------------------------

namespace rt {

// The file's full path with its last name spelt as the folder stores it (its case
// kept); the empty path when no file (a folder does not count) has that name.
WidePath StoredFilePath(const wchar_t* path);
// Renames a file within its volume, replacing a file of the new name, and logs it.
// Non-zero when moved; the system's error is left for the caller.
int32_t RenameFile(const wchar_t* from, const wchar_t* to);

}  // namespace rt
