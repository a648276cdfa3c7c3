// Helpers of the file, resource, image and process tests: scratch folders in the Wine
// prefix, whole-file reads and writes, checksums and child processes.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/strings.h"

namespace files_test {

// The runtime for one test case.
struct Runtime {
    Runtime() { rt::RuntimeStart(); }
    ~Runtime() { rt::RuntimeStop(); }
};

// A fresh, empty folder C:\qp-runtime-files\<name>\ (an earlier run's is removed).
class Scratch {
public:
    explicit Scratch(const std::string& name);
    // The folder, ending with a backslash.
    const std::string& folder() const { return folder_; }
    std::string Path(const std::string& file) const { return folder_ + file; }

private:
    std::string folder_;
};

// Removes a folder with everything in it; also folders deeper than MAX_PATH.
void RemoveTree(const std::string& folder);
// Creates every missing folder of path; also deeper than MAX_PATH.
bool CreateFolders(const std::string& path);
// Copies a file; also to a path longer than MAX_PATH.
bool CopyTo(const std::string& from, const std::string& to);

bool Exists(const std::string& path);
// The file's bytes; the empty text when it cannot be read.
std::string ReadAll(const std::string& path);
bool WriteAll(const std::string& path, const std::string& bytes);
uint64_t Fnv1a64(const void* bytes, size_t size);

// Runs a command line and waits for its end (at most 30 s); its exit code, or -1.
int RunAndWait(const std::string& commandLine);
int RunAndWait(const std::wstring& commandLine);
// Waits until the file exists, at most timeoutMs.
bool WaitForFile(const std::string& path, int timeoutMs);

// The test program's own folder with a trailing backslash, and the helper program
// beside it.
std::string ThisProgramFolder();
std::string ProbePath();

}  // namespace files_test
