// A million generated inputs through the text and number layer and the registry path
// split, each checked against a small model written plainly on std::string. The seed
// is printed; QP_TEXT_SEED=<number> replays a run.
#include <doctest/doctest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "registry/registry_path.h"
#include "runtime/strings.h"

using std::string;

namespace {

// ---- The model: positions 1-based, arithmetic in 64 bits so no bound can wrap -------

string ModelLeft(const string& t, int64_t n) {
    return t.substr(0, std::clamp<int64_t>(n, 0, t.size()));
}

string ModelRight(const string& t, int64_t n) {
    if (n < 0) n = 0;
    return n >= int64_t(t.size()) ? t : t.substr(t.size() - n);
}

string ModelMid(const string& t, int64_t start, int64_t n) {
    const int64_t length = t.size();
    if (start > length) start = length + 1;
    if (start <= 0) start = 1;
    if (n < 0 || start + n > length) n = length - start + 1;
    return t.substr(start - 1, n);
}

int64_t ModelInStr(const string& t, const string& find, int64_t start) {
    if (start < 1) start = 1;
    if (start > int64_t(t.size()) || find.empty()) return 0;  // nothing left to search
    const size_t at = t.find(find, start - 1);
    return at == string::npos ? 0 : int64_t(at) + 1;
}

string ModelLTrim(const string& t) {
    return t.substr(std::min(t.find_first_not_of(" \t"), t.size()));
}

// 1/10^k rounded once to double: the C library reads "1e-k" correctly rounded.
double Tenth(size_t k) {
    static std::vector<double> tenths;
    for (size_t j = tenths.size(); j < 330; ++j)
        tenths.push_back(std::strtod(("1e-" + std::to_string(j)).c_str(), nullptr));
    return k < tenths.size() ? tenths[k] : 0.0;  // beyond 10^-323 the double is 0
}

double ModelVal(const string& t) {
    size_t i = std::min(t.find_first_not_of(" \t"), t.size());
    const bool negative = i < t.size() && t[i] == '-';
    if (negative) ++i;
    auto digit = [&] { return i < t.size() && t[i] >= '0' && t[i] <= '9'; };
    double sum = 0;
    for (; digit(); ++i) sum = sum * 10 + (t[i] - '0');
    if (i < t.size() && t[i] == '.') {
        ++i;
        for (size_t k = 1; digit(); ++i, ++k) sum = sum + (t[i] - '0') * Tenth(k);
    }
    return negative ? -sum : sum;
}

// The exact decimal digits of a whole double w >= 0.
string WholeDigits(double w) {
    if (w < 0x1p64) return std::to_string(uint64_t(w));
    int e = 0;
    const uint64_t m = uint64_t(std::ldexp(std::frexp(w, &e), 53));  // w = m * 2^(e-53)
    const uint64_t base = 1000000000;
    std::vector<uint64_t> limbs{m % base, m / base % base, m / base / base};  // low first
    for (int shift = e - 53; shift > 0; shift -= 29) {
        uint64_t carry = 0;
        for (uint64_t& limb : limbs) {
            carry += limb << std::min(shift, 29);
            limb = carry % base;
            carry /= base;
        }
        if (carry) limbs.push_back(carry);  // below 2^30 * 2^29 / base: one limb
    }
    while (limbs.back() == 0) limbs.pop_back();
    string s = std::to_string(limbs.back());
    for (size_t j = limbs.size() - 1; j-- > 0;) {
        const string part = std::to_string(limbs[j]);
        s += string(9 - part.size(), '0') + part;
    }
    return s;
}

string ModelStr(double x) {
    if (std::isnan(x)) return " nan";
    if (std::isinf(x)) return x < 0 ? " -inf" : " inf";
    const double a = std::fabs(x);
    if (a < 0x1p63 && a == std::trunc(a)) return " " + std::to_string(int64_t(x));
    // Two decimals of the exact binary value; this C runtime's formatted output rounds
    // an exact tie away from zero (0.125 gives 0.13).
    string whole = WholeDigits(std::trunc(a));
    uint64_t cents = 0;
    if (a < 0x1p63) {
        const double fraction = a - std::trunc(a);  // exact
        int e = 0;
        const uint64_t m = uint64_t(std::ldexp(std::frexp(fraction, &e), 53));
        const int shift = 53 - e;  // fraction * 100 = 100m / 2^shift, shift >= 53
        if (shift <= 62) {         // otherwise fraction * 100 < 1/8
            cents = (100 * m) >> shift;
            if ((100 * m) - (cents << shift) >= (uint64_t{1} << (shift - 1))) ++cents;
        }
        if (cents == 100) whole = std::to_string(uint64_t(a) + 1), cents = 0;
    }
    return string(" ") + (x < 0 ? "-" : "") + whole + (cents < 10 ? ".0" : ".") +
           std::to_string(cents);
}

const char* const kRootNames[] = {
    "HKEY_CLASSES_ROOT",     "HKEY_CURRENT_USER",   "HKEY_LOCAL_MACHINE", "HKEY_USERS",
    "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};

struct Split {
    uint32_t root = 0;  // 0x80000000 + the name's place in the table, or 0
    string subkey;      // as its text buffer holds it
    bool complete = false;
};

Split ModelSplit(const string& path) {
    const size_t backslash = path.find('\\');
    const string rootName = backslash == string::npos ? "" : path.substr(0, backslash);
    Split split;
    for (size_t j = 0; j < 7; ++j) {
        if (rootName == kRootNames[j]) split.root = 0x80000000u + j;
    }
    const string tail = backslash == string::npos ? path.substr(std::min<size_t>(1, path.size()))
                                                  : path.substr(backslash + 1);
    split.subkey = tail.substr(0, 254);
    split.complete = tail.size() <= 254;
    return split;
}

// ---- Generated inputs ------------------------------------------------------------------

std::mt19937_64 rng;
uint64_t U(uint64_t n) { return rng() % n; }

const char* const kNearMisses[] = {"hkey_current_user", "HKEY_CURRENT_USE", "HKCU", "HKEY_USERS ",
                                   "Software", "Brindlemark", "\\\\", "0.", "-."};

// One piece of a generated text: digits, signs, blanks, tabs, backslashes, runs of
// zeros, root names and near misses, and bytes of every value but the terminator.
string Piece() {
    const uint64_t kind = U(10);
    if (kind < 4) return string(1, "0123456789.-+,eE \t\\ab"[U(21)]);
    if (kind < 5) return string(1, char(0x80 + U(0x80)));  // non-ASCII
    if (kind < 6) return string(1, char(1 + U(255)));
    if (kind < 7) return string(U(30), '0');
    if (kind < 8) return kRootNames[U(7)] + string("\\");
    return kNearMisses[U(std::size(kNearMisses))];
}

// Empty, short, medium, or huge: past the 254 characters of a text buffer, up to 4 KB.
string Text() {
    const uint64_t r = U(100);
    const uint64_t size = r < 5 ? 0 : r < 77 ? U(17) : r < 97 ? U(300) : 255 + U(3842);
    string t;
    while (t.size() < size) t += Piece();
    return t;
}

string Digits(uint64_t n) {
    string d;
    while (d.size() < n) d += char('0' + U(10));
    return d;
}

// A plain decimal, whole or in part, sometimes with a tail of anything.
string NumberText() {
    string t(U(3), " \t"[U(2)]);
    if (U(2)) t += U(4) ? "-" : "+";
    t += Digits(U(8) ? U(25) : U(400));
    if (U(4)) t += "." + string(U(3) ? 0 : U(60), '0') + Digits(U(8) ? U(25) : U(400));
    return U(2) ? t : t + Text();
}

// A position or a length for a text of the given length.
int32_t Position(int64_t length) {
    const int64_t picks[] = {INT32_MIN, INT32_MAX, int32_t(rng()), -int64_t(U(3)),
                             length - 2 + int64_t(U(5)), int64_t(U(length + 3)) - 1};
    return int32_t(picks[U(std::size(picks))]);
}

double Number() {
    std::uniform_real_distribution<double> unit(-1, 1);
    const uint64_t kind = U(10);
    if (kind == 0) return double(int64_t(U(2001)) - 1000);
    if (kind == 1) return double(int64_t(rng()) >> U(64));  // whole, of any size
    if (kind == 2) return double(int64_t(U(200001)) - 100000) / 100;
    if (kind == 3) return double(int64_t(U(20001)) - 10000) / 8;       // exact ties at 2 decimals
    if (kind == 4) return std::ldexp(unit(rng), int(U(2110)) - 1080);  // subnormal to infinite
    if (kind == 5) return std::ldexp(unit(rng), 55 + int(U(12)));      // about 2^63
    if (kind == 6) return unit(rng) * 1e6;
    if (kind == 7) {  // within a few units of a tie at two decimals
        double x = (double(int64_t(U(20001)) - 10000) + 0.5) / 100;
        for (uint64_t j = U(5); j-- > 0;) x = std::nextafter(x, U(2) ? 0.0 : 1e300);
        return x;
    }
    if (kind == 8) {
        const double inf = HUGE_VAL, top = 0x1p63;
        const double special[] = {inf,  -inf,       NAN,        0.0,     -0.0,    top,
                                  -top, top - 1024, 1024 - top, 2 * top, DBL_MAX, DBL_TRUE_MIN};
        return special[U(std::size(special))];
    }
    const uint64_t bits = rng();  // any bits: NaN, infinities, subnormals too
    double x;
    std::memcpy(&x, &bits, sizeof x);
    return x;
}

// ---- Reporting --------------------------------------------------------------------------

string Escape(const string& s) {
    string out = "\"";
    for (size_t j = 0; j < s.size(); ++j) {
        if (s.size() > 200 && j == 120) {  // the seed replays the whole text
            out += "...(" + std::to_string(s.size()) + " bytes)...";
            j = s.size() - 60;
        }
        const unsigned char c = s[j];
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", c);
        out += c >= 32 && c < 127 && c != '"' && c != '\\' ? string(1, char(c)) : string(hex);
    }
    return out + "\"";
}

string Show(double x) {
    uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    char s[64];
    std::snprintf(s, sizeof s, "%.17g (0x%016llX)", x, static_cast<unsigned long long>(bits));
    return s;
}

int64_t g_mismatches = 0;

void Expect(bool same, const string& call, const string& got, const string& want) {
    if (same || ++g_mismatches > 20) return;
    FAIL_CHECK(call << "\n  runtime: " << got << "\n  model:   " << want);
}

void ExpectText(const string& call, const rt::NewString& got, const string& want) {
    Expect(got.c_str() == want, call, Escape(got.c_str()), Escape(want));
}

}  // namespace

TEST_CASE("a million generated inputs agree with the model") {
    const char* replay = std::getenv("QP_TEXT_SEED");
    const uint64_t seed = replay ? std::strtoull(replay, nullptr, 0) : 20240917;
    std::printf("test_text_random: seed %llu (QP_TEXT_SEED=<seed> replays it)\n",
                static_cast<unsigned long long>(seed));
    rng.seed(seed);
    rt::RuntimeStart();
    // QP_TEXT_ROUNDS=<count> runs fewer (the emulated 32-bit guest) or more.
    const char* rounds_text = std::getenv("QP_TEXT_ROUNDS");
    const int32_t rounds = rounds_text ? std::atoi(rounds_text) : 1000000;

    for (int32_t i = 0; i < rounds; ++i) {
        switch (i % 9) {
            case 0: {
                const string t = U(2) ? NumberText() : Text();
                const double got = rt::Val(t.c_str()), want = ModelVal(t);
                Expect(std::memcmp(&got, &want, sizeof got) == 0, "Val(" + Escape(t) + ")",
                       Show(got), Show(want));
                break;
            }
            case 1: {
                const double x = Number();
                ExpectText("Str(" + Show(x) + ")", rt::Str(x), ModelStr(x));
                break;
            }
            case 2: {
                const string t = Text();
                const string find = U(2) ? ModelMid(t, U(t.size() + 2), U(5)) : U(8) ? Piece() : "";
                const int32_t start = Position(t.size());
                const int64_t got = rt::InStr(t.c_str(), find.c_str(), start),
                              want = ModelInStr(t, find, start);
                Expect(
                    got == want,
                    "InStr(" + Escape(t) + ", " + Escape(find) + ", " + std::to_string(start) + ")",
                    std::to_string(got), std::to_string(want));
                break;
            }
            case 3: {
                const string t = Text();
                const int32_t n = Position(t.size());
                ExpectText("Left(" + Escape(t) + ", " + std::to_string(n) + ")",
                           rt::Left(t.c_str(), n), ModelLeft(t, n));
                break;
            }
            case 4: {
                const string t = Text();
                const int32_t n = Position(t.size());
                ExpectText("Right(" + Escape(t) + ", " + std::to_string(n) + ")",
                           rt::Right(t.c_str(), n), ModelRight(t, n));
                break;
            }
            case 5: {
                const string t = Text();
                const int32_t start = Position(t.size()), n = Position(t.size());
                ExpectText("Mid(" + Escape(t) + ", " + std::to_string(start) + ", " +
                               std::to_string(n) + ")",
                           rt::Mid(t.c_str(), start, n), ModelMid(t, start, n));
                break;
            }
            case 6: {
                const string t = string(U(4), " \t"[U(2)]) + Text();
                ExpectText("LTrim(" + Escape(t) + ")", rt::LTrim(t.c_str()), ModelLTrim(t));
                break;
            }
            case 7: {  // joining, its length, and the cut of a text buffer
                const string a = Text(), b = Text(), c = U(2) ? Text() : "";
                const string call =
                    "Concat(" + Escape(a) + ", " + Escape(b) + ", " + Escape(c) + ")";
                const rt::NewString joined = c.empty()
                                                 ? rt::Concat(a.c_str(), b.c_str())
                                                 : rt::Concat(a.c_str(), b.c_str(), c.c_str());
                ExpectText(call, joined, a + b + c);
                Expect(rt::Len(joined.c_str()) == int32_t((a + b + c).size()), "Len of " + call,
                       std::to_string(rt::Len(joined.c_str())), std::to_string((a + b + c).size()));
                rt::Text buffer;
                buffer = joined;
                Expect(buffer.c_str() == (a + b + c).substr(0, 254), "text buffer of " + call,
                       Escape(buffer.c_str()), Escape((a + b + c).substr(0, 254)));
                break;
            }
            default: {
                string path = Text();
                if (U(4) == 0) {  // a subkey path about the 254 characters of its text buffer
                    path = kRootNames[U(7)] + string("\\") +
                           (path + Digits(260)).substr(0, 250 + U(10));
                }
                const Split want = ModelSplit(path);
                HKEY root = nullptr;
                rt::Text subkey;
                const bool complete = reg::SplitForTest(path.c_str(), root, subkey);
                // A root key's handle is its 32 bits (sign-extended in a 64-bit program).
                const auto bits = [](HKEY key) {
                    return uint32_t(reinterpret_cast<uintptr_t>(key));
                };
                const uint32_t named = bits(reg::RegRootKey(path.c_str()));
                const auto show = [](uint32_t r, const string& s, bool whole) {
                    return std::to_string(r) + " " + Escape(s) + (whole ? "" : " (refused)");
                };
                // With root 0 every operation fails, whatever the subkey.
                const bool same = named == want.root && bits(root) == want.root &&
                                  (want.root == 0 ||
                                   (subkey.c_str() == want.subkey && complete == want.complete));
                Expect(same, "split of " + Escape(path), show(named, subkey.c_str(), complete),
                       show(want.root, want.subkey, want.complete));
            }
        }
    }
    rt::RuntimeStop();
    CHECK(g_mismatches == 0);
}
