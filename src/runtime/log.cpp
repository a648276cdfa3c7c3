#include "runtime/log.h"

#include <cstdarg>

#include "runtime/win.h"

namespace rt {

namespace {

HANDLE g_log = INVALID_HANDLE_VALUE;

// wvsprintfA writes at most 1024 characters.
constexpr int kLineLength = 1024;

void Write(const char* text, int length) {
    DWORD written = 0;
    WriteFile(g_log, text, static_cast<DWORD>(length), &written, nullptr);
}

void WriteLine(const char* format, va_list args, const char* ending) {
    if (g_log == INVALID_HANDLE_VALUE) return;
    const DWORD lastError = GetLastError();  // callers may still want theirs
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char line[kLineLength + 64];
    int length = wsprintfA(line, "%02u:%02u:%02u  ", now.wHour, now.wMinute, now.wSecond);
    length += wvsprintfA(line + length, format, args);
    length += wsprintfA(line + length, "%s\r\n", ending);
    Write(line, length);
    SetLastError(lastError);
}

}  // namespace

bool OpenLog(const char* path) {
    if (g_log != INVALID_HANDLE_VALUE) return true;
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    g_log = file;
    return true;
}

void Log(const char* format, ...) {
    va_list args;
    va_start(args, format);
    WriteLine(format, args, "");
    va_end(args);
}

void LogOutcome(long status, const char* format, ...) {
    char outcome[40] = ": done";
    if (status < 0) {
        wsprintfA(outcome, ": failed (error 0x%08lX)", static_cast<unsigned long>(status));
    } else if (status > 0) {
        wsprintfA(outcome, ": failed (error %ld)", status);
    }
    va_list args;
    va_start(args, format);
    WriteLine(format, args, outcome);
    va_end(args);
}

}  // namespace rt
