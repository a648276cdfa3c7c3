// Text output at the drawing position: PrintText and the formatting of its items.
#include <cstdarg>
#include <cstdio>

#include "toolkit/drawing.h"

namespace tk {

namespace {

constexpr uint32_t kTypeWindow = 9;

// The record PrintText last printed to; none at start.
Window* g_printWindow = nullptr;

// Appends formatted text to a fixed buffer; what does not fit is cut off.
class BoundedText {
public:
    BoundedText(char* buffer, int32_t size) : buffer_(buffer), size_(size) {
        if (size_ > 0) buffer_[0] = '\0';
    }

    // The system C library's formatting (the C++ library's own would add a second
    // printf of some 20 KB to the program).
    void Format(const char* format, ...) __attribute__((format(ms_printf, 2, 3))) {
        if (room() <= 0) return;
        va_list args;
        va_start(args, format);
        // -1, or exactly room(), when the text was cut; the terminator is then ours.
        const int written = _vsnprintf(buffer_ + length_, static_cast<size_t>(room()), format, args);
        va_end(args);
        length_ = written < 0 || written >= room() ? size_ - 1 : length_ + written;
        buffer_[length_] = '\0';
    }

    // Wide text in the ANSI code page.
    void Wide(const wchar_t* text) {
        if (!text || room() <= 0) return;
        const int needed = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
        if (needed <= 1) return;
        void* block = HeapAlloc(GetProcessHeap(), 0, static_cast<SIZE_T>(needed));
        if (!block) return;
        char* converted = static_cast<char*>(block);
        WideCharToMultiByte(CP_ACP, 0, text, -1, converted, needed, nullptr, nullptr);
        Format("%s", converted);
        HeapFree(GetProcessHeap(), 0, block);
    }

    int32_t length() const { return length_; }

private:
    int32_t room() const { return size_ - 1 - length_; }

    char* buffer_;
    int32_t size_;
    int32_t length_ = 0;
};

void FormatItem(BoundedText& text, const PrintItem& item) {
    const auto low32 = static_cast<uint32_t>(item.integer);
    switch (item.type & 0xFFFF) {
    case 0: text.Format("%s", item.pointer ? static_cast<const char*>(item.pointer) : ""); break;
    case 32: text.Wide(static_cast<const wchar_t*>(item.pointer)); break;
    case 1:
    case 31: text.Format("%c", static_cast<unsigned char>(low32)); break;
    case 2: text.Format("%d ", static_cast<int32_t>(low32)); break;
    case 13: text.Format("%hu ", static_cast<unsigned short>(low32)); break;
    case 30: text.Format("%hd ", static_cast<short>(low32)); break;
    case 3:
    case 14: text.Format("% .*f", 2, item.real); break;
    case 17: text.Format("%I64d ", static_cast<long long>(item.integer)); break;
    case 18: text.Format("%I64u ", static_cast<unsigned long long>(item.integer)); break;
    case kTypeWindow:
        // A record anywhere but first is printed like a 32-bit number.
        text.Format("%u ", item.pointer
                               ? static_cast<uint32_t>(reinterpret_cast<uintptr_t>(item.pointer))
                               : low32);
        break;
    default: text.Format("%u ", low32); break;
    }
}

void WriteToStandardOutput(const char* text, int32_t length) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (!out || out == INVALID_HANDLE_VALUE) return;  // a GUI program has none: lost
    DWORD written = 0;
    WriteFile(out, text, static_cast<DWORD>(length), &written, nullptr);
}

}  // namespace

int32_t FormatPrintItems(int32_t count, const PrintItem* items, char* buffer, int32_t size) {
    if (!buffer || size <= 0) return 0;
    BoundedText text(buffer, size);
    for (int32_t i = 0; items && i < count; ++i) {
        if (i == 0 && (items[i].type & 0xFFFF) == kTypeWindow) continue;
        FormatItem(text, items[i]);
    }
    return text.length();
}

int32_t PrintText(int32_t count, const PrintItem* items) {
    if (items && count > 0 && (items[0].type & 0xFFFF) == kTypeWindow) {
        g_printWindow = static_cast<Window*>(const_cast<void*>(items[0].pointer));
    }
    char buffer[kPrintTextMax + 1];
    int32_t length = FormatPrintItems(count, items, buffer, sizeof buffer);
    if (!g_printWindow) {
        WriteToStandardOutput(buffer, length);
        return 0;
    }
    if (length > 0 && buffer[length - 1] == '\n') {
        --length;
        if (length > 0 && buffer[length - 1] == '\r') --length;
    }
    if (length == 0) return 0;
    Window& window = *g_printWindow;
    HDC dc = BeginDraw(window);
    // TA_UPDATECP: drawn at the drawing position, which moves past the text.
    if (dc) TextOutA(dc, window.posX, window.posY, buffer, length);
    EndDraw(window, dc, true);
    return 0;
}

}  // namespace tk
