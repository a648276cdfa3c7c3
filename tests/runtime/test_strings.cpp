// The string heap, temporaries, text buffers and conversions.
#include <doctest/doctest.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/strings.h"
#include "runtime/win.h"

using namespace rt;

namespace {

struct Runtime {
    Runtime() { RuntimeStart(); }
    ~Runtime() { RuntimeStop(); }
};

std::string S(const NewString& s) { return s.c_str(); }

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

TEST_CASE("the system's code page is 1252") { CHECK(GetACP() == 1252); }

TEST_CASE("heap lifecycle") {
    CHECK(AllocString(10) == nullptr);  // before RuntimeStart
    FreeString(nullptr);
    {
        Runtime runtime;
        char* s = AllocString(10);
        REQUIRE(s != nullptr);
        // Zero-filled, and n + 3 bytes are usable.
        for (int i = 0; i < 13; ++i) CHECK(s[i] == 0);
        CHECK(AllocString(-1) == nullptr);
        FreeString(s);
        FreeString(nullptr);
    }
    CHECK_FALSE(RuntimeStarted());
    CHECK(AllocString(1) == nullptr);
    NewString late(nullptr);
    CHECK(std::string(late.c_str()).empty());
}

TEST_CASE("RuntimeStop releases its heap") {
    HANDLE heaps[256];
    const DWORD before = GetProcessHeaps(256, heaps);
    RuntimeStart();
    CHECK(GetProcessHeaps(256, heaps) == before + 1);
    RuntimeStop();
    CHECK(GetProcessHeaps(256, heaps) == before);
}

// Debug output as a debugger would see it: OutputDebugStringA raises
// DBG_PRINTEXCEPTION_C with the text, which a vectored handler can read.
struct DebugTraces {
    static inline std::vector<std::string> seen;
    PVOID handler;

    DebugTraces() {
        seen.clear();
        handler = AddVectoredExceptionHandler(1, Record);
    }
    ~DebugTraces() { RemoveVectoredExceptionHandler(handler); }

    static LONG CALLBACK Record(EXCEPTION_POINTERS* info) {
        const EXCEPTION_RECORD* record = info->ExceptionRecord;
        if (record->ExceptionCode == DBG_PRINTEXCEPTION_C && record->NumberParameters >= 2) {
            seen.emplace_back(reinterpret_cast<const char*>(record->ExceptionInformation[1]));
        }
        return EXCEPTION_CONTINUE_SEARCH;
    }
};

TEST_CASE("temporary-string stack") {
    Runtime runtime;
    DebugTraces traces;
    SUBCASE("pairs") {
        TempPush(CopyString("a").release());
        TempPush(CopyString("b").release());
        CHECK(TempDepth() == 2);
        TempPop(2);
        CHECK(TempDepth() == 0);
        CHECK(traces.seen.empty());
    }
    SUBCASE("a push onto a full stack is refused with a trace, and its pop frees nothing of others") {
        for (int i = 0; i < kTempStackSize; ++i) TempPush(CopyString("x").release());
        CHECK(TempDepth() == kTempStackSize);
        CHECK(traces.seen.empty());
        TempPush(CopyString("refused").release());
        CHECK(TempDepth() == kTempStackSize);
        CHECK(traces.seen == std::vector<std::string>{"Heap Overflow"});
        TempPop(1);  // answers the refused push
        CHECK(TempDepth() == kTempStackSize);
        TempPop(1);
        CHECK(TempDepth() == kTempStackSize - 1);
        TempPop(kTempStackSize - 1);
        CHECK(TempDepth() == 0);
        CHECK(traces.seen.size() == 1);
    }
    SUBCASE("a pop of an empty stack frees nothing and traces each missing entry") {
        TempPop(3);
        CHECK(TempDepth() == 0);
        CHECK(traces.seen == std::vector<std::string>(3, "Heap Underflow"));
        TempPush(CopyString("y").release());
        CHECK(TempDepth() == 1);
        TempPop(1);
        CHECK(traces.seen.size() == 3);
    }
}

TEST_CASE("text buffer keeps at most 254 characters") {
    Runtime runtime;
    Text text;
    const std::string long300(300, 'q');
    text = long300.c_str();
    CHECK(std::string(text.c_str()) == std::string(254, 'q'));
    text = std::string(254, 'r').c_str();
    CHECK(std::string(text.c_str()) == std::string(254, 'r'));
    text = Concat("ab", "cd");
    CHECK(std::string(text.c_str()) == "abcd");
    text = static_cast<const char*>(nullptr);
    CHECK(std::string(text.c_str()).empty());
}

TEST_CASE("Concat, Len, CopyString") {
    Runtime runtime;
    CHECK(S(Concat("a", "", "b")) == "ab");
    CHECK(S(Concat("", "")) == "");
    CHECK(S(Concat("C:", "\\Quorvex Plenar")) == "C:\\Quorvex Plenar");
    CHECK(S(Concat("x", nullptr)) == "x");
    CHECK(Len("") == 0);
    CHECK(Len(nullptr) == 0);
    CHECK(Len("\xAE\r\n") == 3);
    CHECK(S(CopyString("copy")) == "copy");
}

TEST_CASE("InStr") {
    Runtime runtime;
    struct Case { const char* text; const char* find; int start; int expected; };
    const Case cases[] = {
        {"abc", "c", 3, 3},   {"abc", "c", 4, 0},   {"abc", "", 1, 0},   {"", "a", 1, 0},
        {"abc", "b", 0, 2},   {"aXbXc", "X", 3, 4}, {"aXbXc", "X", -5, 2}, {"Windows XP", "xp", 1, 0},
        {"Windows XP", "XP", 1, 9}, {"abc", "abcd", 1, 0}, {"abc", "abc", 1, 1}, {"abc", "a", 2, 0},
        {"C:\\Users\\Temp\\Setup\\", "\\Temp\\", 1, 9}, {"C:\\temp\\", "\\Temp\\", 1, 0},
        {"HKEY_CURRENT_USER\\Software\\Brindlemark", "\\", 1, 18},
    };
    for (const Case& c : cases) {
        CAPTURE(c.text);
        CAPTURE(c.find);
        CAPTURE(c.start);
        CHECK(InStr(c.text, c.find, c.start) == c.expected);
    }
}

TEST_CASE("Left, Right, Mid bounds") {
    Runtime runtime;
    const char* path = "HKEY_CURRENT_USER\\Software\\Brindlemark";
    CHECK(S(Left(path, 17)) == "HKEY_CURRENT_USER");
    CHECK(S(Right(path, Len(path) - 18)) == "Software\\Brindlemark");
    CHECK(S(Left("abc", 5)) == "abc");
    CHECK(S(Left("abc", -1)) == "");
    CHECK(S(Left("abc", 0)) == "");
    CHECK(S(Right("abc", 5)) == "abc");
    CHECK(S(Right("abc", -2)) == "");
    CHECK(S(Right("abc", 1)) == "c");
    CHECK(S(Mid("C:\\WINDOWS\\system32", 1, 2)) == "C:");
    CHECK(S(Mid("abc", 2, -1)) == "bc");
    CHECK(S(Mid("abc", 5, 1)) == "");
    CHECK(S(Mid("abc", 0, 2)) == "ab");
    CHECK(S(Mid("abc", 2, 10)) == "bc");
    CHECK(S(Mid("abc", 2, 0x7FFFFFFF)) == "bc");
    CHECK(S(Mid("abc", 3, 1)) == "c");
    CHECK(S(Mid("", 1, 1)) == "");
}

TEST_CASE("LTrim and UCase") {
    Runtime runtime;
    CHECK(S(LTrim(" \tx ")) == "x ");
    CHECK(S(LTrim("")) == "");
    CHECK(S(LTrim("\t\t")) == "");
    NewString unchanged = LTrim("same");
    CHECK(S(unchanged) == "same");
    CHECK(S(UCase("hkey_current_user")) == "HKEY_CURRENT_USER");
    CHECK(S(UCase("button")) == "BUTTON");
    CHECK(S(UCase("\xE9t\xE9")) == "\xC9T\xC9");  // ANSI upper-casing in code page 1252
}

TEST_CASE("Val reads plain decimals, bit for bit") {
    Runtime runtime;
    CHECK(SameBits(Val(" 2.11"), Val("2.11")));
    CHECK(SameBits(Val("\t2.11"), Val("2.11")));
    CHECK(SameBits(Val("2.11"), 2.11));  // the double nearest to 2.11
    CHECK(Val("2.9") > Val("2.11"));
    CHECK(Val("2.2") > Val("2.11"));
    CHECK(Val("2.1") < Val("2.11"));
    CHECK(Val("-1.5") == -1.5);
    CHECK(Val(".5") == 0.5);
    CHECK(Val("5.") == 5.0);
    CHECK(Val("+1") == 0.0);
    CHECK(Val("1e3") == 1.0);
    CHECK(Val("1,5") == 1.0);
    CHECK(Val("12abc") == 12.0);
    CHECK(Val("") == 0.0);
    CHECK(Val("abc") == 0.0);
    CHECK(Val("-") == 0.0);
    CHECK(Val(nullptr) == 0.0);
    CHECK(Val("3000000000") == 3000000000.0);
    // Past the 22nd decimal no power of ten is a double: each digit still weighs 1/10^k
    // rounded once (the C library's pow was units off there).
    CHECK(SameBits(Val(" .00000000000000000000007"), 7 * 1e-23));
    CHECK(SameBits(Val(("0." + std::string(83, '0') + "1").c_str()), 1e-84));
    // The version the setup writes and later reads back compares equal to its own.
    CHECK(SameBits(Val(LTrim(Str(Val(" 2.11")).c_str()).c_str()), Val(" 2.11")));
}

TEST_CASE("Str writes a leading blank") {
    Runtime runtime;
    CHECK(S(Str(5)) == " 5");
    CHECK(S(Str(-12)) == " -12");
    CHECK(S(Str(0)) == " 0");
    CHECK(S(Str(2.11)) == " 2.11");
    CHECK(S(Str(0.5)) == " 0.50");
    CHECK(S(Str(-3.25)) == " -3.25");
    CHECK(S(Str(3000000000.0)) == " 3000000000");
    CHECK(S(Str(-1)) == " -1");
    CHECK(S(Str(1345 + 200)) == " 1545");
    CHECK(S(Str(1e300)).size() > 300);
    CHECK(S(Str(1.0 / 0.0)) == " inf");
}

TEST_CASE("Power is exact for whole powers of ten") {
    CHECK(Power(10, 0) == 1.0);
    CHECK(Power(10, 1) == 10.0);
    CHECK(Power(10, 2) == 100.0);
    CHECK(Power(10, 22) == 1e22);
    CHECK(Power(0, 0) == 1.0);
    CHECK(Power(2, 0.5) == doctest::Approx(1.41421356));
}
