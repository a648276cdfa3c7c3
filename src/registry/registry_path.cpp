#include "registry/registry_path.h"

#include <cstring>

#include "runtime/log.h"
#include "runtime/unique_handle.h"

namespace reg {

namespace {

struct RootName {
    const char* name;
    HKEY key;
};

// Tried in this order; the first exact match wins.
const RootName kRootNames[] = {
    {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
    {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {"HKEY_USERS", HKEY_USERS},
    {"HKEY_PERFORMANCE_DATA", HKEY_PERFORMANCE_DATA},
    {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
    {"HKEY_DYN_DATA", HKEY_DYN_DATA},
};

// The area a value is read into: 255 bytes offered to the registry, and one more that
// stays 0, so that a string stored without its NUL still ends inside the area.
constexpr DWORD kValueArea = 255;

// A path split at its first backslash.
struct SplitPath {
    HKEY root = nullptr;
    rt::Text subkey;
    // False when the subkey path does not fit its text buffer: acting on the cut path
    // would reach a different key, so the operation fails instead.
    bool complete = false;
};

SplitPath Split(const char* path) {
    SplitPath split;
    split.root = RegRootKey(path);
    const int32_t backslash = rt::InStr(path, "\\", 1);
    // Everything after the first backslash; without one, the path less its first
    // character, which is harmless because the root key is then 0.
    const int32_t tailLength = rt::Len(path) - (backslash > 0 ? backslash : 1);
    rt::NewString tail = rt::Right(path, tailLength);
    split.subkey = tail;
    split.complete = rt::Len(tail.c_str()) <= rt::Text::kMaxChars;
    return split;
}

// Owner of an open key.
class Key {
public:
    Key() = default;
    ~Key() {
        if (key_) RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY* out() { return &key_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// Opens an existing key; ERROR_SUCCESS or the registry's status.
LONG OpenKey(const char* path, Key& key) {
    const SplitPath split = Split(path);
    if (!split.complete) return ERROR_INVALID_PARAMETER;
    return RegOpenKeyExA(split.root, split.subkey.c_str(), 0, kAccessMask, key.out());
}

// Opens a key, creating it and any missing keys above it.
LONG CreateKey(const char* path, Key& key) {
    const SplitPath split = Split(path);
    if (!split.complete) return ERROR_INVALID_PARAMETER;
    char noClass[] = "";
    return RegCreateKeyExA(split.root, split.subkey.c_str(), 0, noClass, REG_OPTION_NON_VOLATILE,
                           kAccessMask, nullptr, key.out(), nullptr);
}

LONG WriteValue(const char* path, const char* valueName, DWORD type, const BYTE* data, DWORD size) {
    Key key;
    const LONG status = CreateKey(path, key);
    if (status != ERROR_SUCCESS) return status;
    return RegSetValueExA(key.get(), valueName, 0, type, data, size);
}

}  // namespace

HKEY RegRootKey(const char* path) {
    const int32_t backslash = rt::InStr(path, "\\", 1);
    rt::Text rootName;
    rootName = rt::Left(path, backslash - 1);
    for (const RootName& root : kRootNames) {
        if (std::strcmp(rootName.c_str(), root.name) == 0) return root.key;
    }
    return nullptr;
}

rt::NewString RegReadValue(const char* path, const char* valueName) {
    Key key;
    if (OpenKey(path, key) != ERROR_SUCCESS) return rt::CopyString("");

    BYTE area[kValueArea + 1] = {};
    DWORD type = 0;
    DWORD size = kValueArea;
    // A value too long for the area fails with ERROR_MORE_DATA and reads as empty.
    if (RegQueryValueExA(key.get(), valueName, nullptr, &type, area, &size) != ERROR_SUCCESS) {
        return rt::CopyString("");
    }
    // A number stored with more bytes than its type holds does not fit the second
    // query, which then leaves the place undefined: it reads as empty, not as a number.
    if (type == REG_DWORD) {
        int32_t number = 0;
        DWORD numberSize = sizeof number;
        if (RegQueryValueExA(key.get(), valueName, nullptr, nullptr,
                             reinterpret_cast<BYTE*>(&number), &numberSize) != ERROR_SUCCESS) {
            return rt::CopyString("");
        }
        return rt::Str(number);  // a leading blank, then the signed decimal
    }
    if (type == REG_QWORD) {
        int64_t number = 0;
        DWORD numberSize = sizeof number;
        if (RegQueryValueExA(key.get(), valueName, nullptr, nullptr,
                             reinterpret_cast<BYTE*>(&number), &numberSize) != ERROR_SUCCESS) {
            return rt::CopyString("");
        }
        return rt::Str(static_cast<int32_t>(static_cast<uint32_t>(number)));  // its low 32 bits
    }
    // The text up to its first NUL, within the bytes the registry returned. A string
    // stored without a NUL that fills the whole area does not fit a text buffer and
    // would come back cut, so it reads as empty like any other value too long.
    const size_t length = strnlen(reinterpret_cast<const char*>(area), size);
    if (length > static_cast<size_t>(rt::Text::kMaxChars)) return rt::CopyString("");
    return rt::Left(reinterpret_cast<const char*>(area), static_cast<int32_t>(length));
}

LONG RegWriteString(const char* path, const char* text, const char* valueName) {
    text = text ? text : "";
    const DWORD size = static_cast<DWORD>(std::strlen(text) + 1);  // the NUL is stored
    const LONG status =
        WriteValue(path, valueName, REG_SZ, reinterpret_cast<const BYTE*>(text), size);
    rt::LogOutcome(status, "Registry %s [%s] = \"%s\"", path, valueName ? valueName : "", text);
    return status;
}

LONG RegWriteNumber(const char* path, int32_t number, const char* valueName) {
    const LONG status = WriteValue(path, valueName, REG_DWORD,
                                   reinterpret_cast<const BYTE*>(&number), sizeof number);
    rt::LogOutcome(status, "Registry %s [%s] = %ld", path, valueName ? valueName : "",
                   static_cast<long>(number));
    return status;
}

rt::NewString RegDeleteValueByPath(const char* path, const char* valueName) {
    Key key;
    if (OpenKey(path, key) != ERROR_SUCCESS) return rt::CopyString("");
    const LONG status = RegDeleteValueA(key.get(), valueName);
    // A value that is not there is no news.
    if (status != ERROR_FILE_NOT_FOUND) {
        rt::LogOutcome(status, "Registry %s [%s] deleted", path, valueName ? valueName : "");
    }
    return rt::CopyString(status == ERROR_SUCCESS ? "0" : "1");
}

LONG RegDeleteKeyByPath(const char* path) {
    const SplitPath split = Split(path);
    // An empty subkey path names the root key itself; never ask the registry to delete
    // a root (Wine would try to).
    if (!split.complete || split.subkey.c_str()[0] == '\0') return ERROR_INVALID_PARAMETER;
    const LONG status = RegDeleteKeyA(split.root, split.subkey.c_str());
    if (status != ERROR_FILE_NOT_FOUND) rt::LogOutcome(status, "Registry key %s deleted", path);
    return status;
}

bool SplitForTest(const char* path, HKEY& root, rt::Text& subkey) {
    const SplitPath split = Split(path);
    root = split.root;
    subkey = split.subkey.c_str();
    return split.complete;
}

}  // namespace reg

namespace reg {

LONG RegCopyValue(const char* fromPath, const char* fromName, const char* toPath,
                  const char* toName) {
    Key from;
    LONG status = OpenKey(fromPath, from);
    if (status != ERROR_SUCCESS) return ERROR_FILE_NOT_FOUND;
    DWORD type = 0;
    DWORD size = 0;
    status = RegQueryValueExA(from.get(), fromName, nullptr, &type, nullptr, &size);
    if (status != ERROR_SUCCESS) return status;
    // One byte more than asked for, so that an empty value still has an area.
    const rt::UniqueHandle<HGLOBAL, GlobalFree> block(GlobalAlloc(GMEM_FIXED, size + 1));
    if (!block) return ERROR_NOT_ENOUGH_MEMORY;
    BYTE* data = static_cast<BYTE*>(block.get());
    status = RegQueryValueExA(from.get(), fromName, nullptr, &type, data, &size);
    if (status != ERROR_SUCCESS) return status;
    return WriteValue(toPath, toName, type, data, size);
}

bool RegKeyExists(const char* path) {
    Key key;
    return OpenKey(path, key) == ERROR_SUCCESS;
}

bool RegValueExists(const char* path, const char* valueName) {
    Key key;
    if (OpenKey(path, key) != ERROR_SUCCESS) return false;
    return RegQueryValueExA(key.get(), valueName, nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

rt::NewString RegValueNameAt(const char* path, uint32_t index) {
    Key key;
    if (OpenKey(path, key) != ERROR_SUCCESS) return rt::CopyString("");
    char name[kValueArea + 1] = {};
    DWORD length = kValueArea;
    if (RegEnumValueA(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
        return rt::CopyString("");
    }
    return rt::CopyString(name);
}

LONG RegWriteBytes(const char* path, const char* valueName, const void* data, uint32_t size) {
    return WriteValue(path, valueName, REG_BINARY, static_cast<const BYTE*>(data), size);
}

LONG RegReadBytes(const char* path, const char* valueName, void* data, uint32_t& size) {
    Key key;
    const LONG opened = OpenKey(path, key);
    if (opened != ERROR_SUCCESS) return opened;
    DWORD read = size;
    const LONG status =
        RegQueryValueExA(key.get(), valueName, nullptr, nullptr, static_cast<BYTE*>(data), &read);
    size = status == ERROR_SUCCESS ? read : 0;
    return status;
}

}  // namespace reg
