// Registry access by path string.
//
// A key is named by one text: a root name ("HKEY_CURRENT_USER" and six others, matched
// exactly and case-sensitively), one backslash, and the subkey path. Each operation
// opens or creates its key, does one thing and closes it again; every key is opened
// with the access mask 0x3F, also for reading.
#pragma once

#include <cstdint>

#include "runtime/strings.h"
#include "runtime/win.h"

namespace reg {

// Query value, set value, create subkey, enumerate subkeys, notify, create link.
inline constexpr REGSAM kAccessMask = 0x3F;

// The root key named by the text before the first backslash; 0 for any other name.
HKEY RegRootKey(const char* path);

// The value as text: strings up to their first NUL (at most 254 characters; a longer
// value reads as the empty text), REG_DWORD and REG_QWORD (its low 32 bits) as signed
// decimals with Str's leading blank (" 1"). The empty text when the key does not open
// or the value is missing.
rt::NewString RegReadValue(const char* path, const char* valueName);

// Creates the key (and any missing keys above it) and writes the value; the data comes
// before the value name. The registry's status, 0 on success.
LONG RegWriteString(const char* path, const char* text, const char* valueName);
LONG RegWriteNumber(const char* path, int32_t number, const char* valueName);

// "0" when the value was deleted, "1" when the key opened but the deletion failed,
// the empty text when the key does not open.
rt::NewString RegDeleteValueByPath(const char* path, const char* valueName);

// Deletes the last key of the path (only when it has no subkeys); the registry's status.
LONG RegDeleteKeyByPath(const char* path);

// For tests: the split every operation above acts on. The subkey path lands in a text
// buffer; false when it does not fit, so that the operations refuse the path.
bool SplitForTest(const char* path, HKEY& root, rt::Text& subkey);

}  // namespace reg

// ---- Values as stored: the installation step's undo record ----------------------------
// None of these logs: the caller says what a copy means. Binary data and copies keep a
// value exactly, whatever its type and length, where the operations above read text.

namespace reg {

// Copies the value, its type and bytes unchanged, to toName under toPath (created with
// any missing keys above it). ERROR_FILE_NOT_FOUND when the key or the value is not
// there; otherwise the registry's status.
LONG RegCopyValue(const char* fromPath, const char* fromName, const char* toPath,
                  const char* toName);
bool RegKeyExists(const char* path);
bool RegValueExists(const char* path, const char* valueName);
// New string: the name of the key's value at index (from 0); the empty text past the
// last one or when the key does not open.
rt::NewString RegValueNameAt(const char* path, uint32_t index);
// A REG_BINARY value of size bytes; the registry's status.
LONG RegWriteBytes(const char* path, const char* valueName, const void* data, uint32_t size);
// Up to size bytes of the value; size becomes the number read. The registry's status
// (ERROR_MORE_DATA when the value is longer).
LONG RegReadBytes(const char* path, const char* valueName, void* data, uint32_t& size);

}  // namespace reg
