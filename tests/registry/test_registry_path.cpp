// Registry access by path string, against Wine's real registry.
#include <doctest/doctest.h>

#include <string>

#include "registry/registry_path.h"

using namespace reg;

namespace {

const char kTestKey[] = "HKEY_CURRENT_USER\\Software\\QuorvexPlenarTests";
const char kTestSubkey[] = "Software\\QuorvexPlenarTests";

struct Fixture {
    Fixture() {
        rt::RuntimeStart();
        RegDeleteTreeA(HKEY_CURRENT_USER, kTestSubkey);
    }
    ~Fixture() {
        RegDeleteTreeA(HKEY_CURRENT_USER, kTestSubkey);
        rt::RuntimeStop();
    }
};

std::string Read(const std::string& path, const char* name) {
    return RegReadValue(path.c_str(), name).c_str();
}

// Writes a value with the raw API, bypassing our writers.
void WriteRaw(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    REQUIRE(RegCreateKeyExA(HKEY_CURRENT_USER, kTestSubkey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr) == ERROR_SUCCESS);
    REQUIRE(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size) ==
            ERROR_SUCCESS);
    RegCloseKey(key);
}

bool KeyExists(HKEY root, const char* subkey) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

}  // namespace

TEST_CASE_FIXTURE(Fixture, "root names are matched exactly, in their table") {
    struct Case { const char* path; HKEY root; };
    const Case cases[] = {
        {"HKEY_CLASSES_ROOT\\x", HKEY_CLASSES_ROOT},
        {"HKEY_CURRENT_USER\\Software\\Brindlemark", HKEY_CURRENT_USER},
        {"HKEY_LOCAL_MACHINE\\Software\\Quorvex Plenar", HKEY_LOCAL_MACHINE},
        {"HKEY_USERS\\.DEFAULT", HKEY_USERS},
        {"HKEY_PERFORMANCE_DATA\\x", HKEY_PERFORMANCE_DATA},
        {"HKEY_CURRENT_CONFIG\\x", HKEY_CURRENT_CONFIG},
        {"HKEY_DYN_DATA\\x", HKEY_DYN_DATA},
        {"HKEY_LOCAL_MACHINE\\", HKEY_LOCAL_MACHINE},
        {"hkey_current_user\\Software", nullptr},
        {"HKEY_CURRENT_USER", nullptr},  // no backslash: the root name is empty
        {"\\Software", nullptr},
        {"", nullptr},
        {"HKCU\\Software", nullptr},
        {"HKEY_CURRENT_USER \\Software", nullptr},
    };
    for (const Case& c : cases) {
        CAPTURE(c.path);
        CHECK(RegRootKey(c.path) == c.root);
    }
}

TEST_CASE_FIXTURE(Fixture, "strings and numbers are written and read back") {
    const std::string path = std::string(kTestKey) + "\\Deeper\\Still";
    CHECK(RegWriteString(path.c_str(), "2.11", "versione") == ERROR_SUCCESS);
    CHECK(Read(path, "versione") == "2.11");
    CHECK(KeyExists(HKEY_CURRENT_USER, "Software\\QuorvexPlenarTests\\Deeper\\Still"));

    // The NUL is stored with the text.
    HKEY key = nullptr;
    REQUIRE(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\QuorvexPlenarTests\\Deeper\\Still", 0,
                          KEY_READ, &key) == ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    RegQueryValueExA(key, "versione", nullptr, &type, nullptr, &size);
    RegCloseKey(key);
    CHECK(type == REG_SZ);
    CHECK(size == 5);

    CHECK(RegWriteNumber(kTestKey, 1, "one") == ERROR_SUCCESS);
    CHECK(Read(kTestKey, "one") == " 1");
    CHECK(RegWriteNumber(kTestKey, -1, "minus") == ERROR_SUCCESS);
    CHECK(Read(kTestKey, "minus") == " -1");
    CHECK(RegWriteNumber(kTestKey, 0, "zero") == ERROR_SUCCESS);
    CHECK(Read(kTestKey, "zero") == " 0");

    CHECK(RegWriteString(kTestKey, "", "empty") == ERROR_SUCCESS);
    CHECK(Read(kTestKey, "empty") == "");
    CHECK(Read(kTestKey, "missing") == "");
    CHECK(Read("HKEY_CURRENT_USER\\Software\\NoSuchKeyAnywhere", "x") == "");
}

TEST_CASE_FIXTURE(Fixture, "numbers of other sizes than their types: REG_QWORD, short and long data") {
    struct Case {
        const char* name;
        DWORD type;
        uint64_t data;
        DWORD size;
        const char* read;
    } const cases[] = {
        {"q", REG_QWORD, 0x00000005FFFFFFFEull, 8, " -2"},  // its low 32 bits, signed
        {"q2", REG_QWORD, 42, 8, " 42"},
        {"short", REG_DWORD, 0x1234, 2, " 4660"},  // the bytes there are, the rest 0
        {"none", REG_DWORD, 0, 0, " 0"},
        {"long", REG_DWORD, 0x1111111122222222ull, 8, ""},  // does not fit: not a number
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        WriteRaw(c.name, c.type, &c.data, c.size);
        CHECK(Read(kTestKey, c.name) == c.read);
    }
    const unsigned char longer[12] = {9};
    WriteRaw("longer q", REG_QWORD, longer, sizeof longer);
    CHECK(Read(kTestKey, "longer q") == "");
}

TEST_CASE_FIXTURE(Fixture, "string lengths at the edge of the 255-byte area") {
    const std::string s254(254, 'a');
    CHECK(RegWriteString(kTestKey, s254.c_str(), "s254") == ERROR_SUCCESS);
    CHECK(Read(kTestKey, "s254") == s254);

    const std::string s255(255, 'b');
    CHECK(RegWriteString(kTestKey, s255.c_str(), "s255") == ERROR_SUCCESS);
    CHECK(Read(kTestKey, "s255") == "");

    const std::string s600(600, 'c');
    CHECK(RegWriteString(kTestKey, s600.c_str(), "s600") == ERROR_SUCCESS);
    CHECK(Read(kTestKey, "s600") == "");

    // Stored without a terminating NUL: read whole, nothing past it.
    WriteRaw("raw", REG_SZ, "abc", 3);
    CHECK(Read(kTestKey, "raw") == "abc");

    // Exactly filling the area, without a NUL: too long for a text, never overrun.
    const std::string raw255(255, 'd');
    WriteRaw("raw255", REG_SZ, raw255.data(), 255);
    CHECK(Read(kTestKey, "raw255") == "");

    // 254 characters without a NUL fit.
    const std::string raw254(254, 'e');
    WriteRaw("raw254", REG_SZ, raw254.data(), 254);
    CHECK(Read(kTestKey, "raw254") == raw254);

    // Binary data reads up to its first NUL.
    const BYTE binary[] = {'x', 'y', 0, 'z'};
    WriteRaw("bin", REG_BINARY, binary, sizeof binary);
    CHECK(Read(kTestKey, "bin") == "xy");
}

TEST_CASE_FIXTURE(Fixture, "bad root names fail without touching the registry") {
    CHECK(Read("hkey_current_user\\Software\\QuorvexPlenarTests", "x") == "");
    CHECK(std::string(RegDeleteValueByPath("hkey_current_user\\Software\\QuorvexPlenarTests", "x")
                          .c_str()) == "");
    CHECK(RegWriteString("hkey_current_user\\Software\\QuorvexPlenarTests", "1", "x") !=
          ERROR_SUCCESS);
    CHECK(RegWriteNumber("hkey_current_user\\Software\\QuorvexPlenarTests", 1, "x") !=
          ERROR_SUCCESS);
    CHECK(RegWriteString("Software", "1", "x") != ERROR_SUCCESS);
    CHECK(RegDeleteKeyByPath("hkey_current_user\\Software\\QuorvexPlenarTests") != ERROR_SUCCESS);
    CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, kTestSubkey));
}

TEST_CASE_FIXTURE(Fixture, "an empty subkey path names the root key itself") {
    CHECK(RegWriteString("HKEY_CURRENT_USER\\", "at the root", "QuorvexPlenarRootValue") ==
          ERROR_SUCCESS);
    CHECK(Read("HKEY_CURRENT_USER\\", "QuorvexPlenarRootValue") == "at the root");
    CHECK(std::string(RegDeleteValueByPath("HKEY_CURRENT_USER\\", "QuorvexPlenarRootValue")
                          .c_str()) == "0");
    // Deleting a root key is refused; the user's registry stays whole.
    CHECK(RegDeleteKeyByPath("HKEY_CURRENT_USER\\") != ERROR_SUCCESS);
    CHECK(KeyExists(HKEY_CURRENT_USER, "Software"));
}

TEST_CASE_FIXTURE(Fixture, "value deletion answers 0, 1 or the empty text") {
    RegWriteString(kTestKey, "x", "v");
    CHECK(std::string(RegDeleteValueByPath(kTestKey, "v").c_str()) == "0");
    CHECK(Read(kTestKey, "v") == "");
    CHECK(std::string(RegDeleteValueByPath(kTestKey, "v").c_str()) == "1");
    const std::string missingKey = std::string(kTestKey) + "\\Missing";
    CHECK(std::string(RegDeleteValueByPath(missingKey.c_str(), "v").c_str()) == "");
}

TEST_CASE_FIXTURE(Fixture, "key deletion removes only a key without subkeys") {
    const std::string parent = std::string(kTestKey) + "\\Parent";
    const std::string child = parent + "\\Child";
    RegWriteString(child.c_str(), "1", "v");
    RegWriteString(parent.c_str(), "1", "v");
    CHECK(RegDeleteKeyByPath(parent.c_str()) != ERROR_SUCCESS);
    CHECK(Read(parent, "v") == "1");
    CHECK(RegDeleteKeyByPath(child.c_str()) == ERROR_SUCCESS);
    CHECK(RegDeleteKeyByPath(parent.c_str()) == ERROR_SUCCESS);
    CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\QuorvexPlenarTests\\Parent"));
    CHECK(RegDeleteKeyByPath(parent.c_str()) != ERROR_SUCCESS);
}

TEST_CASE_FIXTURE(Fixture, "a subkey path too long for its text buffer is refused, not cut") {
    const std::string tail(300, 'k');
    const std::string path = std::string(kTestKey) + "\\" + tail;
    CHECK(RegWriteString(path.c_str(), "1", "v") != ERROR_SUCCESS);
    CHECK(Read(path, "v") == "");
    // Nothing was created at the cut place either.
    const std::string cut = std::string(kTestSubkey) + "\\" +
                            tail.substr(0, 254 - std::string(kTestSubkey).size() - 1);
    CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, cut.c_str()));
}

TEST_CASE_FIXTURE(Fixture, "HKEY_LOCAL_MACHINE is written and read like any root") {
    const char probe[] = "HKEY_LOCAL_MACHINE\\Software\\QuorvexPlenarTestsProbe";
    CHECK(RegWriteString(probe, "1", "Test") == ERROR_SUCCESS);
    CHECK(Read(probe, "Test") == "1");
    CHECK(RegDeleteKeyByPath(probe) == ERROR_SUCCESS);
    CHECK(Read(probe, "Test") == "");
}
