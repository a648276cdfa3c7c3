#include "runtime/file_security.h"

#include <aclapi.h>
#include <sddl.h>

#include <cstdio>
#include <cwchar>

#include "runtime/log.h"

namespace rt {

namespace {

// Rights that let their holder change a folder or file, or what is made in it: write
// and append (add a file or a folder), extended attributes and attributes, delete (also
// a child), permissions and owner, and the generic rights that map onto them.
constexpr DWORD kChangingRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA |
                                  FILE_DELETE_CHILD | FILE_WRITE_ATTRIBUTES | DELETE |
                                  WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL |
                                  MAXIMUM_ALLOWED;

// The protected descriptors: full control for SYSTEM, Administrators and the user; read
// and run (FILE_GENERIC_READ | FILE_GENERIC_EXECUTE) for Users. A folder's ACEs are
// inherited by what is made inside it.
constexpr char kFolderDescriptor[] =
    "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;%s)(A;OICI;0x1200a9;;;BU)";
constexpr char kFileDescriptor[] = "D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;FA;;;%s)(A;;0x1200a9;;;BU)";

// Memory the security functions hand out with LocalAlloc.
class LocalMemory {
public:
    LocalMemory() = default;
    ~LocalMemory() {
        if (memory_) LocalFree(memory_);
    }
    LocalMemory(const LocalMemory&) = delete;
    LocalMemory& operator=(const LocalMemory&) = delete;

    void** out() { return &memory_; }
    void* get() const { return memory_; }

private:
    void* memory_ = nullptr;
};

// The user this program runs as: the token's user SID, copied into the area.
struct UserSid {
    BYTE area[SECURITY_MAX_SID_SIZE + sizeof(TOKEN_USER)];
    PSID sid = nullptr;
};

bool ReadUserSid(UserSid& user) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    DWORD size = 0;
    const bool read =
        GetTokenInformation(token, TokenUser, user.area, sizeof user.area, &size) != 0;
    CloseHandle(token);
    if (read) user.sid = reinterpret_cast<TOKEN_USER*>(user.area)->User.Sid;
    return read;
}

bool IsWellKnown(PSID sid, WELL_KNOWN_SID_TYPE type) {
    BYTE known[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof known;
    return CreateWellKnownSid(type, nullptr, known, &size) && EqualSid(sid, known);
}

bool Trusted(PSID sid, PSID user) {
    return sid && IsValidSid(sid) &&
           ((user && EqualSid(sid, user)) || IsWellKnown(sid, WinLocalSystemSid) ||
            IsWellKnown(sid, WinBuiltinAdministratorsSid));
}

// An ACE that lets somebody untrusted change the object or what is made in it. Deny,
// audit and label ACEs grant nothing. Of the allowing kinds, the plain and callback ACEs
// name their SID right after the mask; the object kinds are not read, so count as
// untrusted.
bool LetsOthersChange(const ACE_HEADER* header, PSID user) {
    const auto* allowed = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
    switch (header->AceType) {
        case ACCESS_ALLOWED_ACE_TYPE:
        case ACCESS_ALLOWED_CALLBACK_ACE_TYPE:
            return (allowed->Mask & kChangingRights) != 0 &&
                   !Trusted(const_cast<DWORD*>(&allowed->SidStart), user);
        case ACCESS_ALLOWED_COMPOUND_ACE_TYPE:
        case ACCESS_ALLOWED_OBJECT_ACE_TYPE:
        case ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE:
            return (allowed->Mask & kChangingRights) != 0;
        default:
            return false;
    }
}

// A new protected descriptor for the user, for a folder or for a file.
bool MakeProtectedDescriptor(bool folder, LocalMemory& descriptor) {
    UserSid user;
    LocalMemory userText;
    if (!ReadUserSid(user) || !ConvertSidToStringSidA(user.sid, reinterpret_cast<char**>(userText.out())))
        return false;
    char sddl[512];
    const int n = std::snprintf(sddl, sizeof sddl, folder ? kFolderDescriptor : kFileDescriptor,
                                static_cast<const char*>(userText.get()));
    return n > 0 && n < static_cast<int>(sizeof sddl) &&
           ConvertStringSecurityDescriptorToSecurityDescriptorA(
               sddl, SDDL_REVISION_1, reinterpret_cast<PSECURITY_DESCRIPTOR*>(descriptor.out()),
               nullptr);
}

// Whether a reparse point at path leads to path itself (a file system mounted there)
// rather than elsewhere (a junction or a symbolic link). The platform's final name of the
// folder tells; where the platform cannot tell (no such function before Vista), it leads
// elsewhere.
bool LeadsToItself(const wchar_t* path) {
    using FinalPathName = DWORD(WINAPI*)(HANDLE, wchar_t*, DWORD, DWORD);
    const auto finalPathName = reinterpret_cast<FinalPathName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleW")));
    if (!finalPathName) return false;
    const HANDLE opened = CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return false;
    wchar_t name[2 * MAX_PATH];
    const DWORD n = finalPathName(opened, name, sizeof name / sizeof name[0], FILE_NAME_NORMALIZED);
    CloseHandle(opened);
    if (n == 0 || n >= sizeof name / sizeof name[0]) return false;
    const wchar_t* local = name;
    if (std::wcsncmp(local, L"\\\\?\\", 4) == 0) local += 4;
    return lstrcmpiW(local, path) == 0;
}

}  // namespace

Trust JudgeDescriptor(PSECURITY_DESCRIPTOR descriptor, PSID user) {
    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    if (!descriptor || !GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) ||
        !Trusted(owner, user)) {
        return Trust::kRefuse;
    }
    BOOL present = FALSE;
    PACL dacl = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted)) return Trust::kRepair;
    if (!present || !dacl) return Trust::kRepair;  // a NULL DACL lets everybody do anything
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(dacl, i, &ace) || LetsOthersChange(static_cast<ACE_HEADER*>(ace), user))
            return Trust::kRepair;
    }
    return Trust::kSafe;
}

Trust JudgePath(const wchar_t* path) {
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Trust::kMissing
                                                                               : Trust::kRefuse;
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) && !LeadsToItself(path)) return Trust::kRefuse;
    UserSid user;
    if (!ReadUserSid(user)) return Trust::kRefuse;
    LocalMemory descriptor;
    const DWORD status = GetNamedSecurityInfoW(
        path, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr,
        nullptr, nullptr, nullptr, reinterpret_cast<PSECURITY_DESCRIPTOR*>(descriptor.out()));
    if (status != ERROR_SUCCESS) return Trust::kRefuse;
    return JudgeDescriptor(descriptor.get(), user.sid);
}

int32_t CreateProtectedFolder(const char* path) {
    LocalMemory descriptor;
    if (!MakeProtectedDescriptor(true, descriptor)) {
        LogOutcome(static_cast<long>(GetLastError()), "Folder %s: no protection to give it", path);
        return 0;
    }
    SECURITY_ATTRIBUTES security{sizeof security, descriptor.get(), FALSE};
    const BOOL created = CreateDirectoryA(path, &security);
    const DWORD error = created ? 0 : GetLastError();
    if (created) {
        Log("Folder %s: created", path);
    } else if (error != ERROR_ALREADY_EXISTS) {
        LogOutcome(static_cast<long>(error), "Folder %s: not created", path);
    }
    SetLastError(error);
    return created;
}

int32_t ProtectPath(const wchar_t* path) {
    const DWORD attributes = GetFileAttributesW(path);
    LocalMemory descriptor;
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        !MakeProtectedDescriptor((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0, descriptor)) {
        return 0;
    }
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    GetSecurityDescriptorDacl(descriptor.get(), &present, &dacl, &defaulted);
    const DWORD status = SetNamedSecurityInfoW(
        const_cast<wchar_t*>(path), SE_FILE_OBJECT,
        DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr, dacl,
        nullptr);
    SetLastError(status);
    return status == ERROR_SUCCESS;
}

int32_t CreateProtectedFile(FileVariable& file, const wchar_t* path) {
    if (file.kind != FileKind::kBinary) return 1;
    LocalMemory descriptor;
    if (!MakeProtectedDescriptor(false, descriptor)) return 1;
    // A file that is there and stays makes the creation below fail: nothing is written
    // through a file whose owner and permissions are somebody else's.
    if (!DeleteFileW(path) && GetLastError() != ERROR_FILE_NOT_FOUND &&
        GetLastError() != ERROR_PATH_NOT_FOUND) {
        return 1;
    }
    SECURITY_ATTRIBUTES security{sizeof security, descriptor.get(), FALSE};
    const HANDLE handle = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                      &security, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return 1;
    file.handle = handle;
    return 0;
}

int64_t CopyToProtectedFile(const wchar_t* from, const wchar_t* to) {
    // Shared for deletion too: the running program's own file is the usual source.
    const HANDLE source = CreateFileW(from, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (source == INVALID_HANDLE_VALUE) return -1;
    LARGE_INTEGER size{};
    HANDLE mapping = nullptr;
    const void* view = nullptr;
    if (GetFileSizeEx(source, &size) && size.QuadPart > 0 && size.QuadPart < 0x7FFFFFFF) {
        mapping = CreateFileMappingW(source, nullptr, PAGE_READONLY, 0, 0, nullptr);
        if (mapping) view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    }
    int64_t written = -1;
    FileVariable copy(FileKind::kBinary);
    if (view && CreateProtectedFile(copy, to) == 0) {
        const DWORD count = static_cast<DWORD>(size.QuadPart);
        DWORD done = 0;
        WriteFile(copy.handle, view, count, &done, nullptr);
        const DWORD error = GetLastError();
        CloseFile(copy);
        SetLastError(error);
        written = done;
    }
    const DWORD error = GetLastError();
    if (view) UnmapViewOfFile(view);
    if (mapping) CloseHandle(mapping);
    CloseHandle(source);
    SetLastError(error);
    return written;
}

}  // namespace rt
