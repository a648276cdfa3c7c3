// Starting programs through the shell.
#include <doctest/doctest.h>

#include <string>

#include "files_support.h"
#include "runtime/process.h"
#include "runtime/win.h"

using namespace rt;
using namespace files_test;

TEST_CASE("RunProgram starts a program that exists, and gives 0 also for one that does not") {
    Runtime runtime;
    Scratch scratch("run");
    const std::string marker = scratch.Path("started.txt");
    const std::string parameters = "marker \"" + marker + "\"";
    CHECK(RunProgram(ProbePath().c_str(), parameters.c_str()) == 0);
    CHECK(WaitForFile(marker, 20000));
    CHECK(ReadAll(marker) == "started");

    CHECK(RunProgram(scratch.Path("missing.exe").c_str(), "") == 0);
    CHECK(RunProgram("", nullptr) == 0);
    CHECK(RunProgram(nullptr, nullptr) == 0);
}
