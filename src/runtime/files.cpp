#include "runtime/files.h"

#include <algorithm>
#include <cstring>

#include "runtime/log.h"

namespace rt {

namespace {

// The program's own file name. A name that does not fit is fetched again whole.
char g_startPathBuffer[255];
constexpr DWORD kLongestModuleName = 32768;

const char* OrEmpty(const char* s) { return s ? s : ""; }

// A new string: the folder part of the first n bytes of name, up to and including its
// last backslash; the whole name when it has none.
NewString FolderOf(const char* name, DWORD n) {
    DWORD end = n;
    for (DWORD i = 0; i < n; ++i) {
        if (name[i] == '\\') end = i + 1;
    }
    char* s = AllocString(static_cast<int32_t>(end));
    if (s) std::memcpy(s, name, end);
    return NewString(s);
}

// The folder of the program whose name did not fit the start path buffer. The system
// then hands back a cut name (without a terminator on Wine and Windows XP); its last
// backslash would name a parent folder, or a half name would remain. Fetch the whole
// name with ever larger buffers instead.
NewString FolderOfLongName() {
    for (DWORD size = 512; size <= kLongestModuleName; size *= 2) {
        NewString whole(AllocString(static_cast<int32_t>(size)));
        if (!whole.get()) return NewString();
        const DWORD n = GetModuleFileNameA(nullptr, whole.get(), size);
        if (n == 0) return CopyString("");
        if (n < size) return FolderOf(whole.get(), n);
    }
    return CopyString("");
}

// A new UTF-16 area of n characters and its terminator, zero-filled, on the private heap.
wchar_t* AllocWide(int32_t n) {
    if (n < 0 || n > static_cast<int32_t>(kLongestModuleName)) return nullptr;
    return reinterpret_cast<wchar_t*>(AllocString(n * 2 + 1));
}

// The first n characters of a UTF-16 text as a new WidePath.
WidePath WideCopy(const wchar_t* text, int32_t n) {
    wchar_t* s = AllocWide(n);
    if (s) std::memcpy(s, text, static_cast<size_t>(n) * sizeof(wchar_t));
    return WidePath(s);
}

// The characters of a UTF-16 text up to and including its last backslash; all of it
// when it has none.
int32_t FolderLength(const wchar_t* name) {
    int32_t end = static_cast<int32_t>(lstrlenW(name));
    for (int32_t i = 0; name[i] != L'\0'; ++i) {
        if (name[i] == L'\\') end = i + 1;
    }
    return end;
}

struct OpenMode {
    const char* text;
    DWORD access;
    DWORD sharing;
    DWORD disposition;
    bool binaryOnly;
    bool append;
};

constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE;

constexpr OpenMode kOpenModes[] = {
    {"R", GENERIC_READ, kShareAll, OPEN_EXISTING, false, false},
    {"r", GENERIC_READ, kShareAll, OPEN_EXISTING, false, false},
    {"R+", kReadWrite, FILE_SHARE_READ, OPEN_EXISTING, true, false},
    {"r+", kReadWrite, FILE_SHARE_READ, OPEN_EXISTING, true, false},
    {"W", kReadWrite, FILE_SHARE_READ, CREATE_ALWAYS, false, false},
    {"w", kReadWrite, FILE_SHARE_READ, CREATE_ALWAYS, false, false},
    {"A", kReadWrite, FILE_SHARE_READ, OPEN_ALWAYS, false, true},
    {"a", kReadWrite, FILE_SHARE_READ, OPEN_ALWAYS, false, true},
};

bool KnownKind(FileKind kind) { return kind == FileKind::kText || kind == FileKind::kBinary; }

// The mode's row when it suits the file variable's kind, else null.
const OpenMode* FindMode(const char* mode, FileKind kind) {
    if (!mode || !KnownKind(kind)) return nullptr;
    for (const OpenMode& row : kOpenModes) {
        if (std::strcmp(row.text, mode) == 0) {
            return row.binaryOnly && kind != FileKind::kBinary ? nullptr : &row;
        }
    }
    return nullptr;
}

// Logs a deletion by the path's ANSI form; the result of DeleteFile, with the system's
// error left for the caller.
int32_t ReportDeletion(BOOL deleted, DWORD error, const char* shownPath) {
    // A file that is not there is no news; one that stays is.
    if (deleted) {
        Log("File %s: deleted", shownPath);
    } else if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
        LogOutcome(static_cast<long>(error), "File %s: not deleted", shownPath);
    }
    SetLastError(error);
    return deleted;
}

// Stores an opened handle in the file variable: 0, or 1 when the open failed.
int32_t Opened(FileVariable& file, const OpenMode& row, HANDLE handle) {
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return 1;
    file.handle = handle;
    if (row.append) SetFilePointer(handle, 0, nullptr, FILE_END);
    return 0;
}

constexpr DWORD kOpenFlags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN;

bool HoldsFile(const FileVariable& file) { return KnownKind(file.kind) && file.handle; }

// The bytes the system reports as written or read (0 when the call failed at once).
int32_t WriteBytes(HANDLE file, const void* bytes, DWORD count) {
    DWORD written = 0;
    WriteFile(file, bytes, count, &written, nullptr);
    return static_cast<int32_t>(written);
}

int32_t ReadBytes(HANDLE file, void* bytes, DWORD count) {
    DWORD read = 0;
    ReadFile(file, bytes, count, &read, nullptr);
    return static_cast<int32_t>(read);
}

// At most count bytes of text, never past its terminator.
DWORD TextBytes(const char* text, int32_t count) {
    const void* end = std::memchr(text, 0, static_cast<size_t>(count));
    return end ? static_cast<DWORD>(static_cast<const char*>(end) - text)
               : static_cast<DWORD>(count);
}

DWORD Bounded(int32_t count, SIZE_T available) {
    return static_cast<DWORD>(std::min<SIZE_T>(static_cast<SIZE_T>(count), available));
}

// Locks a global block for one transfer; fixed blocks give their own address.
class BlockBytes {
public:
    explicit BlockBytes(HGLOBAL block)
        : block_(block), bytes_(block ? GlobalLock(block) : nullptr) {}
    ~BlockBytes() {
        if (bytes_) GlobalUnlock(block_);
    }
    BlockBytes(const BlockBytes&) = delete;
    BlockBytes& operator=(const BlockBytes&) = delete;

    void* bytes() const { return bytes_; }
    SIZE_T size() const { return bytes_ ? GlobalSize(block_) : 0; }

private:
    HGLOBAL block_;
    void* bytes_;
};

int32_t WriteBinary(HANDLE file, const FileData& data, int32_t count) {
    switch (data.kind()) {
        case FileData::Kind::kBlock: {
            BlockBytes block(data.block());
            if (!block.bytes()) return 0;
            return WriteBytes(file, block.bytes(), Bounded(count, block.size()));
        }
        case FileData::Kind::kVariable:
            return WriteBytes(file, data.variable(), Bounded(count, data.size()));
        case FileData::Kind::kValue:
            return WriteBytes(file, data.value(), Bounded(count, data.size()));
        case FileData::Kind::kBytes:
            return data.bytes() ? WriteBytes(file, data.bytes(), Bounded(count, data.size())) : 0;
        case FileData::Kind::kText: {
            const char* text = OrEmpty(data.text());
            return WriteBytes(file, text, TextBytes(text, count));
        }
    }
    return 0;
}

// A text and its line break. The count is the bytes the system reports as written,
// so a file that refuses the write gives 0, not count + 2.
int32_t WriteTextLine(HANDLE file, const FileData& data, int32_t count) {
    if (data.kind() != FileData::Kind::kText) return 0;
    const char* text = OrEmpty(data.text());
    const DWORD n = TextBytes(text, count);
    const int32_t written = WriteBytes(file, text, n);
    if (static_cast<DWORD>(written) != n) return written;
    return written + WriteBytes(file, "\r\n", 2);
}

}  // namespace

NewString GetStartPath() {
    const DWORD size = sizeof g_startPathBuffer;
    const DWORD n = GetModuleFileNameA(nullptr, g_startPathBuffer, size);
    if (n == 0) return CopyString("");
    if (n >= size) return FolderOfLongName();
    return FolderOf(g_startPathBuffer, n);
}

int32_t CreateDirectory(const char* path) {
    const BOOL created = CreateDirectoryA(OrEmpty(path), nullptr);
    const DWORD error = created ? 0 : GetLastError();
    const DWORD attributes = created ? 0 : GetFileAttributesA(OrEmpty(path));
    if (created) {
        Log("Folder %s: created", OrEmpty(path));
    } else if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        Log("Folder %s: already there", OrEmpty(path));
    } else {  // a file of that name also says "already exists"
        LogOutcome(static_cast<long>(error), "Folder %s: not created", OrEmpty(path));
    }
    SetLastError(error);
    return created;
}

int32_t DeleteFile(const char* path) {
    const BOOL deleted = DeleteFileA(OrEmpty(path));
    const DWORD error = deleted ? 0 : GetLastError();
    return ReportDeletion(deleted, error, OrEmpty(path));
}

WidePath& WidePath::operator=(WidePath&& other) noexcept {
    if (this != &other) {
        FreeString(reinterpret_cast<char*>(s_));
        s_ = other.s_;
        other.s_ = nullptr;
    }
    return *this;
}

WidePath::~WidePath() { FreeString(reinterpret_cast<char*>(s_)); }

WidePath GetProgramFileWide() {
    // Asked with ever larger areas: a name that does not fit comes back cut.
    for (int32_t size = MAX_PATH; size <= static_cast<int32_t>(kLongestModuleName); size *= 2) {
        WidePath whole(AllocWide(size));
        if (!whole.get()) return WidePath();
        const DWORD n = GetModuleFileNameW(nullptr, whole.get(), static_cast<DWORD>(size));
        if (n == 0) return WidePath();
        if (n < static_cast<DWORD>(size)) return whole;
    }
    return WidePath();
}

WidePath GetStartPathWide() {
    const WidePath program = GetProgramFileWide();
    return WideCopy(program.c_str(), FolderLength(program.c_str()));
}

WidePath WidePathOf(const char* path) {
    const char* text = OrEmpty(path);
    const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    wchar_t* s = n > 0 ? AllocWide(n - 1) : nullptr;
    if (s) MultiByteToWideChar(CP_ACP, 0, text, -1, s, n);
    return WidePath(s);
}

WidePath JoinPath(const wchar_t* folder, const char* name) {
    const wchar_t* start = folder ? folder : L"";
    const WidePath tail = WidePathOf(name);
    const int32_t a = static_cast<int32_t>(lstrlenW(start));
    const int32_t b = static_cast<int32_t>(lstrlenW(tail.c_str()));
    wchar_t* s = AllocWide(a + b);
    if (!s) return WidePath();
    std::memcpy(s, start, static_cast<size_t>(a) * sizeof(wchar_t));
    std::memcpy(s + a, tail.c_str(), static_cast<size_t>(b) * sizeof(wchar_t));
    return WidePath(s);
}

NewString NarrowPath(const wchar_t* path) {
    const wchar_t* text = path ? path : L"";
    const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    char* s = n > 0 ? AllocString(n - 1) : nullptr;
    if (s) WideCharToMultiByte(CP_ACP, 0, text, -1, s, n, nullptr, nullptr);
    return NewString(s);
}

int32_t DeleteFile(const wchar_t* path) {
    const BOOL deleted = DeleteFileW(path ? path : L"");
    const DWORD error = deleted ? 0 : GetLastError();
    return ReportDeletion(deleted, error, NarrowPath(path).c_str());
}

int32_t OpenFile(FileVariable& file, const char* path, const char* mode) {
    const OpenMode* row = FindMode(mode, file.kind);
    if (!row) return 1;
    return Opened(file, *row,
                  CreateFileA(OrEmpty(path), row->access, row->sharing, nullptr, row->disposition,
                              kOpenFlags, nullptr));
}

int32_t OpenFile(FileVariable& file, const wchar_t* path, const char* mode) {
    const OpenMode* row = FindMode(mode, file.kind);
    if (!row) return 1;
    return Opened(file, *row,
                  CreateFileW(path ? path : L"", row->access, row->sharing, nullptr,
                              row->disposition, kOpenFlags, nullptr));
}

void CloseFile(FileVariable& file) {
    if (!HoldsFile(file)) return;
    CloseHandle(file.handle);
    file.handle = nullptr;
}

int32_t WriteToFile(FileVariable& file, const FileData& data, int32_t count) {
    if (!HoldsFile(file) || count < 0) return 0;
    if (file.kind == FileKind::kBinary) return WriteBinary(file.handle, data, count);
    return WriteTextLine(file.handle, data, count);
}

int32_t ReadFromFile(FileVariable& file, const FileData& destination, int32_t count) {
    if (file.kind != FileKind::kBinary || !file.handle || count <= 0) return -1;
    int32_t read = 0;
    if (destination.kind() == FileData::Kind::kBlock) {
        BlockBytes block(destination.block());
        if (block.bytes())
            read = ReadBytes(file.handle, block.bytes(), Bounded(count, block.size()));
    } else if (destination.kind() == FileData::Kind::kVariable) {
        read = ReadBytes(file.handle, destination.variable(), Bounded(count, destination.size()));
    }
    return read > 0 ? 0 : -1;
}

}  // namespace rt
