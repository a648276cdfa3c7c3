// The runtime's string heap, temporary-string stack, text buffers and the text and
// number conversions.
//
// All text is single-byte ANSI (code page 1252), zero-terminated; positions are 1-based
// and lengths are byte counts. Every string-valued operation returns a NewString: a new
// block on the runtime's private heap that goes back to the heap when its holder ends.
// A null text argument counts as the empty text.
#pragma once

#include <cstdint>

namespace rt {

// ---- Private heap and temporaries -------------------------------------------------

// Creates the runtime lock and the private heap (0x80000 bytes initial, growable).
// The first action of the process (or of a library's process attach).
void RuntimeStart();
// Destroys the private heap, with every string still on it, and deletes the lock.
void RuntimeStop();
// True between RuntimeStart and RuntimeStop.
bool RuntimeStarted();

// A zero-filled block of n + 3 bytes on the private heap, or null when the heap does
// not exist, n is negative or the heap is exhausted even after compaction.
char* AllocString(int32_t n);
// Returns a block to the private heap; nothing for null or when the heap is gone.
void FreeString(char* block);

// The temporary-string stack (1000 entries, guarded by the runtime lock). TempPush
// records a new string that is the argument of a further call; TempPop(n) frees the
// n most recently recorded, newest first. A push onto a full stack emits the debug
// trace "Heap Overflow" and is refused; a pop of an empty stack emits "Heap Underflow".
void TempPush(char* s);
void TempPop(int32_t count);
// Entries in use (0 to 1000), for tests and diagnostics.
int32_t TempDepth();
inline constexpr int32_t kTempStackSize = 1000;

// Owner of one new string. Move-only; frees the string with FreeString.
class NewString {
public:
    NewString() noexcept = default;
    explicit NewString(char* s) noexcept : s_(s) {}
    NewString(NewString&& other) noexcept : s_(other.release()) {}
    NewString& operator=(NewString&& other) noexcept;
    NewString(const NewString&) = delete;
    NewString& operator=(const NewString&) = delete;
    ~NewString() { FreeString(s_); }

    // The text; the empty text when the string could not be made.
    const char* c_str() const noexcept { return s_ ? s_ : ""; }
    char* get() const noexcept { return s_; }
    // Hands the string on (for instance to TempPush); the holder keeps nothing.
    char* release() noexcept;

private:
    char* s_ = nullptr;
};

// ---- Text buffers -------------------------------------------------------------------

// A program string variable: a fixed 256-byte area. Assignment keeps at most 254
// characters and the terminating NUL; longer text is cut silently.
struct Text {
    static constexpr int kSize = 256;
    static constexpr int kMaxChars = 254;

    char chars[kSize] = {};

    Text& operator=(const char* s);
    Text& operator=(const NewString& s) { return *this = s.c_str(); }
    const char* c_str() const { return chars; }
};

// ---- String operations (each result is a new string) -------------------------------

NewString Concat(const char* a, const char* b);
NewString Concat(const char* a, const char* b, const char* c);
int32_t Len(const char* text);
NewString CopyString(const char* text);
// 1-based position of the first occurrence of find at or after start, or 0.
int32_t InStr(const char* text, const char* find, int32_t start);
NewString Left(const char* text, int32_t n);
NewString Right(const char* text, int32_t n);
// n bytes from position start; a negative n means the rest of the text.
NewString Mid(const char* text, int32_t start, int32_t n);
// text without its leading blanks and tabs.
NewString LTrim(const char* text);
// text upper-cased by the system's ANSI upper-casing (CharUpperA).
NewString UCase(const char* text);

// ---- Conversions ----------------------------------------------------------------------

// A plain decimal: blanks and tabs, an optional "-", digits, an optional "." and
// digits. Anything else ends the parse; no digits give 0. Every step is rounded to
// double, so equal texts give bit-identical results.
double Val(const char* text);
// The number with a leading blank: " %I64d" for whole numbers below 2^63 in magnitude,
// otherwise two decimals (" %.2f"). Infinities and NaN give " inf", " -inf", " nan".
NewString Str(double x);
// x to the power y; exact for whole powers of ten up to 10^22.
double Power(double x, double y);

}  // namespace rt
