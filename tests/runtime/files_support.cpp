#include "files_support.h"

#include <vector>

#include "runtime/win.h"

namespace files_test {

namespace {

// The "\\?\" form of an absolute ASCII path, which the wide functions accept beyond
// MAX_PATH.
std::wstring LongPath(std::string path) {
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    return L"\\\\?\\" + std::wstring(path.begin(), path.end());
}

// Removes a folder by its "\\?\" form; names outside ASCII included.
void RemoveLongTree(const std::wstring& root) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((root + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = root + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveLongTree(path);
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(root.c_str());
}

}  // namespace

Scratch::Scratch(const std::string& name) : folder_("C:\\qp-runtime-files\\" + name + "\\") {
    RemoveTree(folder_);
    CreateFolders(folder_);
}

void RemoveTree(const std::string& folder) { RemoveLongTree(LongPath(folder)); }

bool CreateFolders(const std::string& path) {
    const std::wstring full = LongPath(path);
    // Skip "\\?\C:\" and create each level in turn.
    for (size_t at = full.find(L'\\', 7); at != std::wstring::npos; at = full.find(L'\\', at + 1)) {
        CreateDirectoryW(full.substr(0, at).c_str(), nullptr);
    }
    CreateDirectoryW(full.c_str(), nullptr);
    return GetFileAttributesW(full.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CopyTo(const std::string& from, const std::string& to) {
    return CopyFileW(LongPath(from).c_str(), LongPath(to).c_str(), FALSE) != 0;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadAll(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    if (!bytes.empty())
        ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

bool WriteAll(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return written == bytes.size();
}

uint64_t Fnv1a64(const void* bytes, size_t size) {
    const auto* p = static_cast<const uint8_t*>(bytes);
    uint64_t h = 0xcbf29ce484222325ull;
    for (size_t i = 0; i < size; ++i) {
        h ^= p[i];
        h *= 0x100000001b3ull;
    }
    return h;
}

namespace {

int WaitForExit(PROCESS_INFORMATION& process) {
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.hProcess, &code);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

}  // namespace

int RunAndWait(const std::string& commandLine) {
    // The command line as the ANSI function would read it.
    const int n = MultiByteToWideChar(CP_ACP, 0, commandLine.c_str(), -1, nullptr, 0);
    std::wstring wide(n > 0 ? n - 1 : 0, L'\0');
    MultiByteToWideChar(CP_ACP, 0, commandLine.c_str(), -1, wide.data(), n);
    return RunAndWait(wide);
}

int RunAndWait(const std::wstring& commandLine) {
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return -1;
    }
    return WaitForExit(process);
}

bool WaitForFile(const std::string& path, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 50) {
        if (Exists(path)) return true;
        Sleep(50);
    }
    return Exists(path);
}

std::string ThisProgramFolder() {
    char name[MAX_PATH * 4] = {};
    GetModuleFileNameA(nullptr, name, sizeof name);
    std::string path = name;
    return path.substr(0, path.rfind('\\') + 1);
}

std::string ProbePath() { return ThisProgramFolder() + "runtime_probe.exe"; }

}  // namespace files_test
