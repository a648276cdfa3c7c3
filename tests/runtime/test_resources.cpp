// This test program's own resources (compiled from the generated script), read in place
// and copied.
#include <doctest/doctest.h>

#include <cstdint>
#include <string>

#include "files_support.h"
#include "runtime/files.h"
#include "runtime/resources.h"
#include "runtime/win.h"
#include "testdata.h"

using namespace rt;
using namespace files_test;

TEST_CASE("FetchResource copies a resource of over 9,000,000 bytes, and a file gets it exactly") {
    Runtime runtime;
    Scratch scratch("fetch-big");
    HGLOBAL block = nullptr;
    REQUIRE(FetchResource(303, 324, block) == 1);  // stored in English (United Kingdom)
    REQUIRE(block != nullptr);
    const SIZE_T size = GlobalSize(block);
    CHECK(size == testdata::kBigSize + 1);
    const auto* bytes = static_cast<const uint8_t*>(block);
    CHECK(bytes[size - 1] == 0);
    CHECK(Fnv1a64(bytes, size - 1) == testdata::kBigChecksum);

    // As the setup writes a payload: over an older, longer file, size less the one zero.
    const std::string path = scratch.Path("payload.bin");
    REQUIRE(WriteAll(path, std::string(testdata::kBigSize + 100, 'x')));
    FileVariable file(FileKind::kBinary);
    REQUIRE(OpenFile(file, path.c_str(), "w") == 0);
    const int32_t count = static_cast<int32_t>(GlobalSize(block) - 1);
    CHECK(WriteToFile(file, FileData::Block(block), count) == count);
    CloseFile(file);
    FreeGlobal(block);

    const std::string written = ReadAll(path);
    CHECK(written.size() == testdata::kBigSize);
    CHECK(written == ReadAll(std::string(testdata::kDataFolder) + "big324.bin"));

    // Read in place, as the setup writes a payload: the same bytes, and the same file.
    const ResourceBytes inPlace = FindResourceBytes(303, 324);
    REQUIRE(inPlace.bytes != nullptr);
    CHECK(inPlace.size == testdata::kBigSize);
    REQUIRE(OpenFile(file, path.c_str(), "w") == 0);
    CHECK(WriteToFile(file, FileData::Bytes(inPlace.bytes, inPlace.size), count) == count);
    CloseFile(file);
    CHECK(ReadAll(path) == written);
}

TEST_CASE("FetchResource by number or text, of a numbered or named type") {
    Runtime runtime;
    const struct {
        const char* what;
        ResourceName name;
        ResourceName type;
    } cases[] = {
        {"text name, numbered type", "NAMEDDATA", 324},
        {"number, named type", 7, "QPDATA"},
        {"text name, named type", "NAMEDTYPED", "QPDATA"},
    };
    for (const auto& c : cases) {
        CAPTURE(c.what);
        HGLOBAL block = nullptr;
        REQUIRE(FetchResource(c.name, c.type, block) == 1);
        REQUIRE(GlobalSize(block) == testdata::kSmallSize + 1);
        const auto* bytes = static_cast<const uint8_t*>(block);
        CHECK(Fnv1a64(bytes, testdata::kSmallSize) == testdata::kSmallChecksum);
        CHECK(bytes[testdata::kSmallSize] == 0);
        FreeGlobal(block);
    }
}

TEST_CASE("a missing or impossible name: no bytes; FetchResource gives 0, the variable kept") {
    Runtime runtime;
    const std::string longName(300, 'N');
    const struct {
        const char* what;
        ResourceName name;
        ResourceName type;
    } cases[] = {
        {"missing number", 999, 324},
        {"missing text", "NOSUCHDATA", 324},
        {"missing numbered type", 303, 325},
        {"missing named type", 303, "NOSUCHTYPE"},
        {"a name of another type", 7, 324},
        // 65536 + 303 and 65536 + 324: cut to 16 bits they would name the big resource.
        {"number above 65535", 65536 + 303, 324},
        {"type number above 65535", 303, 65536 + 324},
        {"number 0", 0, 324},
        {"negative number", -303, 324},
        {"text longer than 255 characters", longName.c_str(), 324},
        {"empty text", "", 324},
    };
    for (const auto& c : cases) {
        CAPTURE(c.what);
        HGLOBAL block = reinterpret_cast<HGLOBAL>(static_cast<uintptr_t>(0x1234));
        CHECK(FindResourceBytes(c.name, c.type).bytes == nullptr);
        CHECK(FetchResource(c.name, c.type, block) == 0);
        CHECK(block == reinterpret_cast<HGLOBAL>(static_cast<uintptr_t>(0x1234)));
    }
    FreeGlobal(nullptr);
}
