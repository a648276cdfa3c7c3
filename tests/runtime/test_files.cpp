// The program's folder, folders, and file variables, against Wine's real file system.
#include <doctest/doctest.h>

#include <cstring>
#include <string>

#include <sddl.h>

#include "files_support.h"
#include "runtime/file_security.h"
#include "runtime/files.h"
#include "runtime/win.h"
#include "testdata.h"

using namespace rt;
using namespace files_test;

namespace {

// Opens the file a second time as another program would, asking to share everything.
bool SecondOpenAllowed(const std::string& path, DWORD access) {
    HANDLE file = CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

// Opens, writes one piece of data and closes; the result of the write.
int32_t WriteOnce(const std::string& path, FileKind kind, const char* mode, const FileData& data,
                  int32_t count) {
    FileVariable file(kind);
    REQUIRE(OpenFile(file, path.c_str(), mode) == 0);
    const int32_t written = WriteToFile(file, data, count);
    CloseFile(file);
    return written;
}

// What the probe program reports as its start path when it runs as path.
std::string StartPathOfCopyAt(const std::string& path, const Scratch& scratch) {
    const std::string report = scratch.Path("report.txt");
    DeleteFileA(report.c_str());
    REQUIRE(CopyTo(ProbePath(), path));
    REQUIRE(RunAndWait("\"" + path + "\" startpath \"" + report + "\"") == 0);
    return ReadAll(report);
}

// An ASCII path as UTF-16.
std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// What the probe program reports as its start paths when it runs as program: the ANSI
// start path, the wide start path and the wide program file.
struct StartPaths {
    std::string ansi;
    std::wstring folder, program;
};
StartPaths StartPathsOf(const std::wstring& program, const Scratch& scratch) {
    const std::string report = scratch.Path("report.txt");
    DeleteFileA(report.c_str());
    REQUIRE(RunAndWait(L"\"" + program + L"\" widepaths \"" + Wide(report) + L"\"") == 0);
    const std::string bytes = ReadAll(report);
    const size_t cut = bytes.find('\n');
    REQUIRE(cut != std::string::npos);
    std::wstring wide((bytes.size() - cut - 1) / sizeof(wchar_t), L'\0');
    std::memcpy(wide.data(), bytes.data() + cut + 1, wide.size() * sizeof(wchar_t));
    const size_t wideCut = wide.find(L'\n');
    REQUIRE(wideCut != std::wstring::npos);
    return {bytes.substr(0, cut), wide.substr(0, wideCut), wide.substr(wideCut + 1)};
}

}  // namespace

TEST_CASE("GetStartPath names the running program's folder") {
    Runtime runtime;
    const std::string path = GetStartPath().c_str();
    CHECK(path == testdata::kProgramFolder);
    CHECK(path.back() == '\\');
}

TEST_CASE("GetStartPath of a program in other folders, also with names longer than 255") {
    Scratch scratch("startpath");
    const std::string base = scratch.folder();
    // Wine starts programs whose full name has at most 259 characters; from 255 on,
    // the name does not fit the 255-byte start path buffer.
    const std::string deep = base + std::string(120, 'a') + "\\";
    const std::string cutInFolder = deep + std::string(255 - deep.size(), 'b') + "\\";
    const std::string fits254 = base + std::string(254 - base.size() - 4, 'c') + "\\";
    const std::string fits255 = base + std::string(255 - base.size() - 4, 'd') + "\\";
    struct Case {
        const char* what;
        std::string folder;
        std::string file;
    } cases[] = {
        {"a folder with a blank and a dot", base + "Setup files.v2\\", "runtime_probe.exe"},
        {"a drive's root folder", "C:\\", "qp-runtime-probe.exe"},
        {"a name of 254 characters", fits254, "p.x"},
        {"a name of exactly 255 characters", fits255, "p.x"},
        {"a name of 259 characters cut inside its folder", cutInFolder, "p.x"},
    };
    // The 259-character name is cut inside its last folder's name, after the parent's
    // backslash: a cut name would give the parent folder.
    REQUIRE(deep.size() < 255);
    REQUIRE(cutInFolder.size() == 256);
    for (const Case& c : cases) {
        CAPTURE(c.what);
        REQUIRE(CreateFolders(c.folder));
        const std::string program = c.folder + c.file;
        CHECK(StartPathOfCopyAt(program, scratch) == c.folder);
        DeleteFileA(program.c_str());
    }
}

// A user's download folder may be named with letters that code page 1252 lacks. The ANSI
// form is the platform's: the Polish L with stroke becomes "L", Chinese letters "?".
TEST_CASE("GetStartPathWide keeps letters outside the code page; GetStartPath replaces them") {
    REQUIRE(GetACP() == 1252);
    Scratch scratch("wide-startpath");
    const struct {
        const char* what;
        std::wstring name;
        std::string ansi;
    } cases[] = {
        {"Polish letters", L"Pobrane \u0141ukasza", "Pobrane Lukasza"},
        {"Chinese letters", L"\u4e0b\u8f7d", "??"},
        {"both, beside a letter of the code page", L"\u0141\u4e0b caf\u00e9", "L? caf\xE9"},
        {"ASCII only", L"Setup files", "Setup files"},
    };
    for (const auto& c : cases) {
        CAPTURE(c.what);
        const std::wstring folder = Wide(scratch.folder()) + c.name + L"\\";
        REQUIRE(CreateDirectoryW(folder.c_str(), nullptr));
        const std::wstring program = folder + L"runtime_probe.exe";
        REQUIRE(CopyFileW(Wide(ProbePath()).c_str(), program.c_str(), FALSE));
        const StartPaths got = StartPathsOf(program, scratch);
        CHECK(got.ansi == scratch.folder() + c.ansi + "\\");
        CHECK(got.folder == folder);
        CHECK(got.program == program);
    }
}

TEST_CASE("WidePathOf, JoinPath and NarrowPath") {
    Runtime runtime;
    const struct {
        const char* what;
        std::wstring folder;
        const char* name;
        std::wstring joined;
        std::string narrow;
    } cases[] = {
        {"a plain folder", L"C:\\Downloads\\", "Eula.txt", L"C:\\Downloads\\Eula.txt",
         "C:\\Downloads\\Eula.txt"},
        {"letters outside the code page, kept and then replaced", L"C:\\\u0141 \u4e0b\\",
         "ReadMe.txt", L"C:\\\u0141 \u4e0b\\ReadMe.txt", "C:\\L ?\\ReadMe.txt"},
        {"a name in code page 1252", L"C:\\", "Caf\xE9.txt", L"C:\\Caf\u00e9.txt",
         "C:\\Caf\xE9.txt"},
        {"no folder", L"", "x.txt", L"x.txt", "x.txt"},
        {"no name", L"C:\\d\\", "", L"C:\\d\\", "C:\\d\\"},
        {"a null name", L"C:\\d\\", nullptr, L"C:\\d\\", "C:\\d\\"},
    };
    for (const auto& c : cases) {
        CAPTURE(c.what);
        const WidePath joined = JoinPath(c.folder.c_str(), c.name);
        CHECK(std::wstring(joined.c_str()) == c.joined);
        CHECK(std::string(NarrowPath(joined.c_str()).c_str()) == c.narrow);
    }
    CHECK(std::wstring(WidePathOf("C:\\Caf\xE9\\").c_str()) == L"C:\\Caf\u00e9\\");
    CHECK(WidePathOf(nullptr).empty());
    CHECK(std::string(NarrowPath(nullptr).c_str()).empty());
    CHECK(std::wstring(JoinPath(nullptr, "x").c_str()) == L"x");
}

TEST_CASE("OpenFile and DeleteFile by a UTF-16 path reach a folder its ANSI form cannot") {
    Runtime runtime;
    Scratch scratch("wide-files");
    const std::wstring folder = Wide(scratch.folder()) + L"Pulpit \u0141ukasza \u684c\u9762\\";
    REQUIRE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring path = folder + L"file.bin";
    const NewString ansi = NarrowPath(path.c_str());

    FileVariable viaAnsi(FileKind::kBinary);
    CHECK(OpenFile(viaAnsi, ansi.c_str(), "w") == 1);  // "Lukasza ??" names no folder
    FileVariable file(FileKind::kBinary);
    REQUIRE(OpenFile(file, path.c_str(), "w") == 0);
    CHECK(WriteToFile(file, FileData::Text("wide"), 4) == 4);
    CloseFile(file);
    REQUIRE(OpenFile(file, path.c_str(), "R") == 0);
    char read[4] = {};
    CHECK(ReadFromFile(file, FileData::Variable(read), 4) == 0);
    CHECK(std::string(read, 4) == "wide");
    CloseFile(file);
    FileVariable unknownMode(FileKind::kBinary);
    CHECK(OpenFile(unknownMode, path.c_str(), "x") == 1);

    CHECK(DeleteFile(ansi.c_str()) == 0);
    CHECK(GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES);
    CHECK(DeleteFile(path.c_str()) != 0);
    CHECK(GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES);
    CHECK(DeleteFile(path.c_str()) == 0);
    CHECK(DeleteFile(static_cast<const wchar_t*>(nullptr)) == 0);
}

TEST_CASE("CreateDirectory makes one level; DeleteFile removes files") {
    Scratch scratch("folders");
    const std::string folder = scratch.Path("new");
    CHECK(CreateDirectory(folder.c_str()) != 0);
    CHECK(Exists(folder));
    CHECK(CreateDirectory(folder.c_str()) == 0);  // already there
    CHECK(CreateDirectory(scratch.Path("missing\\child").c_str()) == 0);
    CHECK_FALSE(Exists(scratch.Path("missing")));

    const std::string file = scratch.Path("old.txt");
    REQUIRE(WriteAll(file, "x"));
    CHECK(DeleteFile(file.c_str()) != 0);
    CHECK_FALSE(Exists(file));
    CHECK(DeleteFile(file.c_str()) == 0);
    CHECK(DeleteFile(static_cast<const char*>(nullptr)) == 0);
}

// The token's user SID as text, for descriptors written in SDDL.
std::string UserSidText() {
    HANDLE token = nullptr;
    REQUIRE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    BYTE area[256];
    DWORD size = 0;
    REQUIRE(GetTokenInformation(token, TokenUser, area, sizeof area, &size));
    CloseHandle(token);
    char* text = nullptr;
    REQUIRE(ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(area)->User.Sid, &text));
    std::string sid = text;
    LocalFree(text);
    return sid;
}

TEST_CASE("JudgeDescriptor: whose folder it is, and whether another account may change it") {
    const std::string me = UserSidText();
    const std::string ours = "(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;" + me + ")";
    struct Row {
        std::string what;
        std::string sddl;
        Trust trust;
    };
    const Row rows[] = {
        {"own, protected, Users read and run", "O:" + me + "D:P" + ours + "(A;OICI;0x1200a9;;;BU)",
         Trust::kSafe},
        {"Administrators own it", "O:BAD:P" + ours, Trust::kSafe},
        {"SYSTEM owns it", "O:SYD:P" + ours, Trust::kSafe},
        {"Everyone may read and run (a folder of mode 755 under Wine)",
         "O:" + me + "D:" + ours + "(A;;0x1200a9;;;WD)", Trust::kSafe},
        {"a deny ACE grants nothing", "O:" + me + "D:(D;;FW;;;WD)" + ours, Trust::kSafe},
        {"another account owns it", "O:S-1-5-21-7-8-9-1001D:P" + ours, Trust::kRefuse},
        {"Users own it", "O:BUD:P" + ours, Trust::kRefuse},
        {"no owner", "D:P" + ours, Trust::kRefuse},
        {"Authenticated Users modify, inherited from the drive's root",
         "O:" + me + "D:AI(A;OICIID;FA;;;SY)(A;OICIID;0x1301bf;;;AU)", Trust::kRepair},
        {"Everyone write", "O:" + me + "D:" + ours + "(A;;FW;;;WD)", Trust::kRepair},
        {"Users may change permissions only", "O:" + me + "D:P" + ours + "(A;;WD;;;BU)",
         Trust::kRepair},
        {"Users may make folders only", "O:" + me + "D:P" + ours + "(A;;0x4;;;BU)", Trust::kRepair},
        {"an inherit-only write ACE: what is made inside is Users'",
         "O:" + me + "D:P" + ours + "(A;OICIIO;GA;;;BU)", Trust::kRepair},
    };
    for (const Row& row : rows) {
        CAPTURE(row.what);
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        REQUIRE(ConvertStringSecurityDescriptorToSecurityDescriptorA(row.sddl.c_str(), SDDL_REVISION_1,
                                                                      &descriptor, nullptr));
        PSID user = nullptr;
        REQUIRE(ConvertStringSidToSidA(me.c_str(), &user));
        CHECK(JudgeDescriptor(descriptor, user) == row.trust);
        LocalFree(user);
        LocalFree(descriptor);
    }
    // A NULL DACL lets everybody do anything (made by hand: Wine reads "NO_ACCESS_CONTROL"
    // as an empty DACL).
    PSID user = nullptr;
    REQUIRE(ConvertStringSidToSidA(me.c_str(), &user));
    SECURITY_DESCRIPTOR open{};
    REQUIRE(InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION));
    REQUIRE(SetSecurityDescriptorOwner(&open, user, FALSE));
    REQUIRE(SetSecurityDescriptorDacl(&open, TRUE, nullptr, FALSE));
    CHECK(JudgeDescriptor(&open, user) == Trust::kRepair);
    LocalFree(user);
}

TEST_CASE("protected folders and files are judged safe; a file of ours made anew, not overwritten") {
    Scratch scratch("protected");
    const std::string folder = scratch.Path("program");
    const std::wstring wideFolder = Wide(folder);
    CHECK(JudgePath(wideFolder.c_str()) == Trust::kMissing);
    REQUIRE(CreateProtectedFolder(folder.c_str()) != 0);
    CHECK(JudgePath(wideFolder.c_str()) == Trust::kSafe);
    CHECK(CreateProtectedFolder(folder.c_str()) == 0);
    CHECK(GetLastError() == ERROR_ALREADY_EXISTS);

    const std::string file = folder + "\\lib.dll";
    REQUIRE(WriteAll(file, "an older library, long"));
    FileVariable made(FileKind::kBinary);
    REQUIRE(CreateProtectedFile(made, Wide(file).c_str()) == 0);
    CHECK(WriteToFile(made, FileData::Text("new"), 3) == 3);
    CloseFile(made);
    CHECK(ReadAll(file) == "new");
    CHECK(JudgePath(Wide(file).c_str()) == Trust::kSafe);
    const std::string copy = folder + "\\copy.dll";
    CHECK(CopyToProtectedFile(Wide(file).c_str(), Wide(copy).c_str()) == 3);
    CHECK(ReadAll(copy) == "new");
    CHECK(CopyToProtectedFile(Wide(folder + "\\none").c_str(), Wide(copy).c_str()) == -1);
}

TEST_CASE("OpenFile by mode") {
    Runtime runtime;
    Scratch scratch("modes");
    const std::string path = scratch.Path("file.bin");
    const std::string missing = scratch.Path("missing.bin");

    SUBCASE("R and r open existing files only, for reading") {
        for (const char* mode : {"R", "r"}) {
            for (FileKind kind : {FileKind::kText, FileKind::kBinary}) {
                CAPTURE(mode);
                FileVariable file(kind);
                CHECK(OpenFile(file, missing.c_str(), mode) == 1);
                CHECK(file.handle == nullptr);
                CHECK_FALSE(Exists(missing));
                REQUIRE(WriteAll(path, "abc"));
                REQUIRE(OpenFile(file, path.c_str(), mode) == 0);
                CHECK(file.handle != nullptr);
                // A read-only file takes no writes, and says so.
                CHECK(WriteToFile(file, FileData::Text("xyz"), 3) == 0);
                CloseFile(file);
                CHECK(file.handle == nullptr);
                CHECK(ReadAll(path) == "abc");
            }
        }
    }
    SUBCASE("W and w create a file or empty an existing one") {
        for (const char* mode : {"W", "w"}) {
            CAPTURE(mode);
            REQUIRE(WriteAll(path, "old content that is longer"));
            CHECK(WriteOnce(path, FileKind::kBinary, mode, FileData::Text("new"), 3) == 3);
            CHECK(ReadAll(path) == "new");
            DeleteFileA(missing.c_str());
            CHECK(WriteOnce(missing, FileKind::kText, mode, FileData::Text("made"), 4) == 6);
            CHECK(ReadAll(missing) == "made\r\n");
        }
    }
    SUBCASE("A and a create a missing file, and every write lands at the end") {
        for (const char* mode : {"A", "a"}) {
            CAPTURE(mode);
            DeleteFileA(missing.c_str());
            CHECK(WriteOnce(missing, FileKind::kBinary, mode, FileData::Text("abc"), 3) == 3);
            CHECK(WriteOnce(missing, FileKind::kBinary, mode, FileData::Text("def"), 3) == 3);
            CHECK(WriteOnce(missing, FileKind::kText, mode, FileData::Text("gh"), 2) == 4);
            CHECK(ReadAll(missing) == "abcdefgh\r\n");
        }
    }
    SUBCASE("R+ and r+ read and write an existing binary file in place") {
        for (const char* mode : {"R+", "r+"}) {
            CAPTURE(mode);
            REQUIRE(WriteAll(path, "abcdef"));
            CHECK(WriteOnce(path, FileKind::kBinary, mode, FileData::Text("XY"), 2) == 2);
            CHECK(ReadAll(path) == "XYcdef");
            FileVariable file(FileKind::kBinary);
            CHECK(OpenFile(file, missing.c_str(), mode) == 1);
            CHECK_FALSE(Exists(missing));
        }
    }
    SUBCASE("R+ with a text file variable gives 1 and opens nothing") {
        REQUIRE(WriteAll(path, "abc"));
        for (const char* mode : {"R+", "r+"}) {
            FileVariable file(FileKind::kText);
            CHECK(OpenFile(file, path.c_str(), mode) == 1);
            CHECK(file.handle == nullptr);
            CHECK(SecondOpenAllowed(path, GENERIC_WRITE));  // nothing holds it
        }
    }
    SUBCASE("unknown modes and kinds give 1 and touch nothing") {
        for (const char* mode : {"", "rw", "wb", "W+", " w", "a+", "x"}) {
            CAPTURE(mode);
            FileVariable file(FileKind::kBinary);
            CHECK(OpenFile(file, missing.c_str(), mode) == 1);
            CHECK(file.handle == nullptr);
            CHECK_FALSE(Exists(missing));
        }
        FileVariable noMode(FileKind::kBinary);
        CHECK(OpenFile(noMode, missing.c_str(), nullptr) == 1);
        for (int kind : {0, 2, 5, 7, 12}) {
            CAPTURE(kind);
            FileVariable file(static_cast<FileKind>(kind));
            CHECK(OpenFile(file, missing.c_str(), "w") == 1);
            CHECK(file.handle == nullptr);
            CHECK_FALSE(Exists(missing));
        }
    }
}

TEST_CASE("OpenFile shares reading and writing for R, reading only for every other mode") {
    Runtime runtime;
    Scratch scratch("sharing");
    const std::string path = scratch.Path("shared.bin");
    const struct {
        const char* mode;
        bool otherWriter;
    } cases[] = {{"R", true},  {"r", true},  {"R+", false}, {"r+", false},
                 {"W", false}, {"w", false}, {"A", false},  {"a", false}};
    for (const auto& c : cases) {
        CAPTURE(c.mode);
        REQUIRE(WriteAll(path, "shared"));
        FileVariable file(FileKind::kBinary);
        REQUIRE(OpenFile(file, path.c_str(), c.mode) == 0);
        CHECK(SecondOpenAllowed(path, GENERIC_WRITE) == c.otherWriter);
        CHECK(SecondOpenAllowed(path, GENERIC_READ));
        CloseFile(file);
        CHECK(SecondOpenAllowed(path, GENERIC_WRITE));
    }
}

TEST_CASE("closed and unknown file variables write nothing and read nothing") {
    Runtime runtime;
    uint32_t value = 7;
    for (FileKind kind : {FileKind::kText, FileKind::kBinary}) {
        FileVariable file(kind);
        CHECK(WriteToFile(file, FileData::Text("abc"), 3) == 0);
        CHECK(WriteToFile(file, FileData::Value(1), 4) == 0);
        CHECK(ReadFromFile(file, FileData::Variable(value), 4) == -1);
        CloseFile(file);
        CHECK(file.handle == nullptr);
    }
    CHECK(value == 7);

    // A variable of an unknown kind is not one of ours to write or to close.
    Scratch scratch("unknown-kind");
    const std::string path = scratch.Path("held.bin");
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, 0, nullptr);
    REQUIRE(handle != INVALID_HANDLE_VALUE);
    FileVariable odd(static_cast<FileKind>(7));
    odd.handle = handle;
    CHECK(WriteToFile(odd, FileData::Text("abc"), 3) == 0);
    CloseFile(odd);
    CHECK(odd.handle == handle);
    CHECK(CloseHandle(handle));
}

TEST_CASE("a text file variable writes the text and a line break") {
    Runtime runtime;
    Scratch scratch("text-lines");
    const std::string path = scratch.Path("lines.txt");
    const struct {
        const char* text;
        int32_t count;
        int32_t result;
        const char* content;
    } cases[] = {
        {"hello", 5, 7, "hello\r\n"}, {"hello", 3, 5, "hel\r\n"},
        {"", 0, 2, "\r\n"},           {"hi", 10, 4, "hi\r\n"},  // never past the text's end
        {"hello", -1, 0, ""},         {nullptr, 0, 2, "\r\n"},
    };
    for (const auto& c : cases) {
        CAPTURE(c.text ? c.text : "(null)");
        CAPTURE(c.count);
        CHECK(WriteOnce(path, FileKind::kText, "w", FileData::Text(c.text), c.count) == c.result);
        CHECK(ReadAll(path) == c.content);
    }
    // Only texts go to a text file variable.
    CHECK(WriteOnce(path, FileKind::kText, "w", FileData::Value(0x41414141), 4) == 0);
    CHECK(ReadAll(path).empty());
}

TEST_CASE("a binary file variable writes values, variables, texts and blocks") {
    Runtime runtime;
    Scratch scratch("binary-writes");
    const std::string path = scratch.Path("data.bin");
    uint16_t shortValue = 0x4645;  // "EF"
    uint8_t bytes[3] = {'x', 'y', 'z'};
    const struct {
        const char* what;
        FileData data;
        int32_t count;
        const char* content;
    } cases[] = {
        {"a value", FileData::Value(0x44434241), 4, "ABCD"},
        {"part of a value", FileData::Value(0x44434241), 2, "AB"},
        {"a value holds 4 bytes only", FileData::Value(0x44434241), 8, "ABCD"},
        {"a 16-bit variable", FileData::Variable(shortValue), 10, "EF"},
        {"an array variable", FileData::Variable(bytes), 3, "xyz"},
        {"a text, without a line break", FileData::Text("text"), 4, "text"},
        {"a text is never read past its end", FileData::Text("ab"), 9, "ab"},
        {"read-only bytes, never past their size", FileData::Bytes("pqrs", 3), 9, "pqr"},
        {"no read-only bytes", FileData::Bytes(nullptr, 3), 3, ""},
        {"nothing", FileData::Value(1), 0, ""},
    };
    for (const auto& c : cases) {
        CAPTURE(c.what);
        const std::string expected = c.content;
        CHECK(WriteOnce(path, FileKind::kBinary, "w", c.data, c.count) ==
              static_cast<int32_t>(expected.size()));
        CHECK(ReadAll(path) == expected);
    }

    SUBCASE("memory blocks, fixed and movable, never past their size") {
        for (UINT flags : {GMEM_FIXED, GMEM_MOVEABLE}) {
            HGLOBAL block = GlobalAlloc(flags, 6);
            REQUIRE(block != nullptr);
            std::memcpy(GlobalLock(block), "123456", 6);
            GlobalUnlock(block);
            const SIZE_T size = GlobalSize(block);
            CHECK(WriteOnce(path, FileKind::kBinary, "w", FileData::Block(block), 4) == 4);
            CHECK(ReadAll(path) == "1234");
            CHECK(WriteOnce(path, FileKind::kBinary, "w", FileData::Block(block),
                            static_cast<int32_t>(size) + 100) == static_cast<int32_t>(size));
            CHECK(ReadAll(path).substr(0, 6) == "123456");
            GlobalFree(block);
        }
        CHECK(WriteOnce(path, FileKind::kBinary, "w", FileData::Block(nullptr), 4) == 0);
    }
}

TEST_CASE("ReadFromFile fills variables and blocks, and gives -1 at the end") {
    Runtime runtime;
    Scratch scratch("reads");
    const std::string path = scratch.Path("data.bin");
    REQUIRE(WriteAll(path, "ABCDEFGHIJ"));
    FileVariable file(FileKind::kBinary);
    REQUIRE(OpenFile(file, path.c_str(), "R") == 0);

    uint32_t value = 0;
    CHECK(ReadFromFile(file, FileData::Variable(value), 4) == 0);
    CHECK(value == 0x44434241u);

    // A count beyond the destination reads no further than the destination holds.
    struct {
        uint8_t destination[2];
        uint8_t guard[6];
    } area = {{0, 0}, {9, 9, 9, 9, 9, 9}};
    CHECK(ReadFromFile(file, FileData::Variable(area.destination), 8) == 0);
    CHECK(std::memcmp(area.destination, "EF", 2) == 0);
    for (uint8_t b : area.guard) CHECK(b == 9);

    HGLOBAL block = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, 16);
    REQUIRE(block != nullptr);
    CHECK(ReadFromFile(file, FileData::Block(block), 16) == 0);  // only 4 bytes remain
    CHECK(std::string(static_cast<const char*>(block)) == "GHIJ");
    CHECK(ReadFromFile(file, FileData::Block(block), 16) == -1);  // end of file
    CHECK(ReadFromFile(file, FileData::Variable(value), 0) == -1);
    CHECK(ReadFromFile(file, FileData::Text("x"), 1) == -1);  // no destination
    char readOnly[4] = {'r', 'r', 'r', 'r'};
    CHECK(ReadFromFile(file, FileData::Bytes(readOnly, 4), 4) == -1);  // never read into
    CHECK(std::memcmp(readOnly, "rrrr", 4) == 0);
    GlobalFree(block);
    CloseFile(file);

    FileVariable text(FileKind::kText);
    REQUIRE(OpenFile(text, path.c_str(), "R") == 0);
    CHECK(ReadFromFile(text, FileData::Variable(value), 4) == -1);
    CloseFile(text);
}

TEST_CASE("every mode but R reads and writes through the same file") {
    Runtime runtime;
    Scratch scratch("readwrite");
    const std::string path = scratch.Path("both.bin");
    for (const char* mode : {"R+", "r+", "W", "w", "A", "a"}) {
        CAPTURE(mode);
        REQUIRE(WriteAll(path, "ab"));
        FileVariable file(FileKind::kBinary);
        REQUIRE(OpenFile(file, path.c_str(), mode) == 0);
        uint32_t value = 0x7A7A;  // "zz"
        CHECK(WriteToFile(file, FileData::Variable(value), 2) == 2);
        // Back to the start and read what is there now: the handle may read.
        SetFilePointer(file.handle, 0, nullptr, FILE_BEGIN);
        char read[2] = {};
        CHECK(ReadFromFile(file, FileData::Variable(read), 2) == 0);
        // "A" wrote at the end; the others over the start.
        const bool appends = mode[0] == 'A' || mode[0] == 'a';
        CHECK(std::string(read, 2) == (appends ? "ab" : "zz"));
        CloseFile(file);
    }
}
