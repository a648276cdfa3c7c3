#include "runtime/strings.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "runtime/win.h"

namespace rt {

namespace {

constexpr SIZE_T kHeapInitialSize = 0x80000;

HANDLE g_heap = nullptr;
// Guards the temporary-string stack. A critical section stays in user mode while nobody
// else holds it, which is always so in a program of one thread; a kernel mutex cost
// a round trip to the system (under Wine, to its server) for every push and pop.
CRITICAL_SECTION g_stackLock;
bool g_stackLockReady = false;

char* g_tempStack[kTempStackSize];
int32_t g_tempCount = 0;
// Pushes refused on a full stack. Their pops must not free somebody else's entry,
// so they are answered first and free nothing (the string stays until RuntimeStop).
int32_t g_tempRefused = 0;

const char* OrEmpty(const char* s) { return s ? s : ""; }

// Holds the stack's lock for one change of the temporary-string stack (none before
// RuntimeStart or after RuntimeStop, when there is no lock to take).
class StackLock {
public:
    StackLock() : held_(g_stackLockReady) {
        if (held_) EnterCriticalSection(&g_stackLock);
    }
    ~StackLock() {
        if (held_) LeaveCriticalSection(&g_stackLock);
    }
    StackLock(const StackLock&) = delete;
    StackLock& operator=(const StackLock&) = delete;

private:
    const bool held_;
};

// A new string holding n bytes of text from p.
NewString CopyBytes(const char* p, int32_t n) {
    char* s = AllocString(n);
    if (s) std::memcpy(s, p, static_cast<size_t>(n));
    return NewString(s);
}

}  // namespace

void RuntimeStart() {
    if (!g_stackLockReady) {
        InitializeCriticalSection(&g_stackLock);
        g_stackLockReady = true;
    }
    g_heap = HeapCreate(0, kHeapInitialSize, 0);
    g_tempCount = 0;
    g_tempRefused = 0;
}

void RuntimeStop() {
    if (g_heap) HeapDestroy(g_heap);
    g_heap = nullptr;
    g_tempCount = 0;
    g_tempRefused = 0;
    if (g_stackLockReady) {
        DeleteCriticalSection(&g_stackLock);
        g_stackLockReady = false;
    }
}

bool RuntimeStarted() { return g_heap != nullptr; }

char* AllocString(int32_t n) {
    if (!g_heap || n < 0) return nullptr;
    const SIZE_T size = static_cast<SIZE_T>(n) + 3;
    void* block = HeapAlloc(g_heap, HEAP_ZERO_MEMORY, size);
    if (!block) {
        HeapCompact(g_heap, 0);
        block = HeapAlloc(g_heap, HEAP_ZERO_MEMORY, size);
    }
    return static_cast<char*>(block);
}

void FreeString(char* block) {
    if (block && g_heap) HeapFree(g_heap, 0, block);
}

void TempPush(char* s) {
    StackLock lock;
    if (g_tempCount == kTempStackSize) {
        OutputDebugStringA("Heap Overflow");
        ++g_tempRefused;
        return;
    }
    g_tempStack[g_tempCount++] = s;
}

void TempPop(int32_t count) {
    StackLock lock;
    for (int32_t i = 0; i < count; ++i) {
        if (g_tempRefused > 0) {
            --g_tempRefused;
        } else if (g_tempCount == 0) {
            OutputDebugStringA("Heap Underflow");
        } else {
            FreeString(g_tempStack[--g_tempCount]);
        }
    }
}

int32_t TempDepth() { return g_tempCount; }

NewString& NewString::operator=(NewString&& other) noexcept {
    if (this != &other) {
        FreeString(s_);
        s_ = other.release();
    }
    return *this;
}

char* NewString::release() noexcept {
    char* s = s_;
    s_ = nullptr;
    return s;
}

Text& Text::operator=(const char* s) {
    // A bounded copy of 255 bytes including the terminator; the source may overlap
    // nothing of ours, but it may be any length.
    lstrcpynA(chars, OrEmpty(s), kMaxChars + 1);
    return *this;
}

int32_t Len(const char* text) { return static_cast<int32_t>(std::strlen(OrEmpty(text))); }

NewString Concat(const char* a, const char* b) { return Concat(a, b, ""); }

NewString Concat(const char* a, const char* b, const char* c) {
    const char* parts[] = {OrEmpty(a), OrEmpty(b), OrEmpty(c)};
    int64_t total = 0;
    for (const char* part : parts) total += Len(part);
    if (total > INT32_MAX - 3) return NewString();
    char* s = AllocString(static_cast<int32_t>(total));
    if (!s) return NewString();
    char* end = s;
    for (const char* part : parts) {
        const size_t n = std::strlen(part);
        std::memcpy(end, part, n);
        end += n;
    }
    return NewString(s);
}

NewString CopyString(const char* text) { return CopyBytes(OrEmpty(text), Len(text)); }

int32_t InStr(const char* text, const char* find, int32_t start) {
    text = OrEmpty(text);
    find = OrEmpty(find);
    const int32_t length = Len(text);
    if (start < 1) start = 1;
    if (start > 1 && length < start) return 0;
    const int32_t findLength = Len(find);
    if (findLength == 0 || start > length) return 0;
    for (int32_t pos = start; pos + findLength - 1 <= length; ++pos) {
        if (std::memcmp(text + pos - 1, find, static_cast<size_t>(findLength)) == 0) return pos;
    }
    return 0;
}

NewString Left(const char* text, int32_t n) {
    const int32_t length = Len(text);
    if (n < 0) n = 0;
    if (n > length) n = length;
    return CopyBytes(OrEmpty(text), n);
}

NewString Right(const char* text, int32_t n) {
    const int32_t length = Len(text);
    if (n < 0) n = 0;
    if (n >= length) return CopyString(text);
    return CopyBytes(OrEmpty(text) + (length - n), n);
}

NewString Mid(const char* text, int32_t start, int32_t n) {
    const int32_t length = Len(text);
    if (start > length) start = length + 1;
    if (start <= 0) start = 1;
    const int32_t rest = length - start + 1;
    // Compared in 64 bits: start + n must not wrap for a large n.
    if (n < 0 || static_cast<int64_t>(start) + n > length) n = rest;
    return CopyBytes(OrEmpty(text) + (start - 1), n);
}

NewString LTrim(const char* text) {
    text = OrEmpty(text);
    while (*text == ' ' || *text == '\t') ++text;
    return CopyString(text);
}

NewString UCase(const char* text) {
    NewString upper = CopyString(text);
    if (upper.get()) CharUpperA(upper.get());
    return upper;
}

double Power(double x, double y) {
    if (y == 0) return 1.0;
    // Whole powers up to 22 by repeated multiplication: every power of ten in that
    // range is a double, and each product is exact.
    if (x > 0 && y > 0 && y <= 22 && y == std::floor(y)) {
        double result = 1.0;
        for (int i = 0; i < static_cast<int>(y); ++i) result *= x;
        return result;
    }
    return std::pow(x, y);
}

// 1/10^k for k = 0..323, each rounded once to double by the compiler's reading of the
// literal; 10^-324 and beyond round to 0. Past 10^22 no power of ten is a double, so
// 1.0 / Power(10, k) would round twice, and the C library's pow is units off besides.
#define QP_TENTH(k) 1e-##k
#define QP_TENTHS10(k)                                                              \
    QP_TENTH(k##0), QP_TENTH(k##1), QP_TENTH(k##2), QP_TENTH(k##3), QP_TENTH(k##4), \
        QP_TENTH(k##5), QP_TENTH(k##6), QP_TENTH(k##7), QP_TENTH(k##8), QP_TENTH(k##9)
#define QP_TENTHS100(k)                                                                            \
    QP_TENTHS10(k##0), QP_TENTHS10(k##1), QP_TENTHS10(k##2), QP_TENTHS10(k##3), QP_TENTHS10(k##4), \
        QP_TENTHS10(k##5), QP_TENTHS10(k##6), QP_TENTHS10(k##7), QP_TENTHS10(k##8),                \
        QP_TENTHS10(k##9)
constexpr double kTenths[] = {QP_TENTHS100(0), QP_TENTHS100(1), QP_TENTHS100(2),
                              QP_TENTHS10(30), QP_TENTHS10(31), QP_TENTH(320),
                              QP_TENTH(321),   QP_TENTH(322),   QP_TENTH(323)};
#undef QP_TENTHS100
#undef QP_TENTHS10
#undef QP_TENTH

double Val(const char* text) {
    const char* p = OrEmpty(text);
    while (*p == ' ' || *p == '\t') ++p;
    bool negative = false;
    if (*p == '-') {
        negative = true;
        ++p;
    }
    double sum = 0.0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        sum = sum * 10.0;
        sum = sum + (*p - '0');
    }
    if (*p == '.') {
        ++p;
        for (int k = 1; *p >= '0' && *p <= '9'; ++p, ++k) {
            const double scale = k < static_cast<int>(std::size(kTenths)) ? kTenths[k] : 0.0;
            const double term = (*p - '0') * scale;
            sum = sum + term;
        }
    }
    return negative ? -sum : sum;
}

NewString Str(double x) {
    char* s = AllocString(512);
    if (!s) return NewString();
    if (std::isnan(x)) {
        std::strcpy(s, " nan");
    } else if (std::isinf(x)) {
        std::strcpy(s, x < 0 ? " -inf" : " inf");
    } else if (std::fabs(x) < 9223372036854775808.0 && x == static_cast<double>(static_cast<long long>(x))) {
        _snprintf(s, 511, " %I64d", static_cast<long long>(x));
    } else {
        // The largest double needs 309 digits before the point: 512 bytes suffice.
        _snprintf(s, 511, " %.*f", 2, x);
    }
    return NewString(s);
}

}  // namespace rt
