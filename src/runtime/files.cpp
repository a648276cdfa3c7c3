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
    // A file that is not there is no news; one that stays is.
    if (deleted) {
        Log("File %s: deleted", OrEmpty(path));
    } else if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
        LogOutcome(static_cast<long>(error), "File %s: not deleted", OrEmpty(path));
    }
    SetLastError(error);
    return deleted;
}

int32_t OpenFile(FileVariable& file, const char* path, const char* mode) {
    const OpenMode* row = FindMode(mode, file.kind);
    if (!row) return 1;
    HANDLE handle = CreateFileA(OrEmpty(path), row->access, row->sharing, nullptr, row->disposition,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return 1;
    file.handle = handle;
    if (row->append) SetFilePointer(handle, 0, nullptr, FILE_END);
    return 0;
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
