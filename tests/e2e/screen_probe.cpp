// Reads what the screen holds, for the end-to-end driver. It runs in the same prefix as
// the program under test and stays up (a Wine process takes about a second to start):
// one command per line on stdin, one JSON line per answer on stdout. Arguments are
// separated by tabs, because window titles hold blanks.
//
//   windows                  visible top-level windows
//   controls TITLE           child controls of the window with exactly that title
//   wait TITLE MS            until such a window is visible and its thread takes
//                            messages again (answers as "window")
//   window TITLE             one window, or an error
//   closebox TITLE           the screen point at the centre of the window's close box
//   spot TITLE               a screen point of the client area where no control lies
//   at X Y                   the window under a screen point
//   focus                    the foreground window and the control with the focus
//   cover X Y W H MS         lays a topmost grey window over that area for MS, then
//                            removes it, so that what lay beneath must paint again
//   procs                    running processes: executable name and full path
//   screen                   the work area
//   grab PATH                the whole screen as a 24-bit BMP file, from inside the
//                            running probe: no process is started, so a short-lived
//                            page can be caught even where processes start slowly
//   fits TITLE FACE POINTS WEIGHT
//                            the window's DPI, and for each control with text the size
//                            its text takes in the control's font: FACE at POINTS and
//                            WEIGHT for a control that was given a font, the system
//                            font for one that was not
//   hold PATH                keeps the file open, shared with nobody, as a program
//                            that uses it would
//   release                  closes every file held
//   acc TITLE                what a screen reader reads of the window and its controls
//   accfocus                 the accessible object that has the keyboard focus
//   focusevents              the platform's focus events since the last ask
//   quit
//
// Texts are ANSI (code page 1252); bytes from 0x80 up are written as \u00XX and the
// driver maps them back through that code page.
// clang-format off
#include <windows.h>
#include <tlhelp32.h>
// clang-format on

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "probe.h"

std::string probe::Quote(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char code[8];
            std::snprintf(code, sizeof code, "\\u%04x", c);
            out += code;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

namespace {

using probe::Quote;

std::string TextOf(HWND hwnd) {
    // WM_GETTEXT rather than GetWindowText: the latter does not read other processes'
    // controls.
    const LRESULT length = SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const LRESULT got =
        SendMessageA(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(got));
    return text;
}

std::string ClassOf(HWND hwnd) {
    char name[128] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

std::string RectJson(const RECT& r) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "[%ld,%ld,%ld,%ld]", r.left, r.top, r.right, r.bottom);
    return buffer;
}

std::string ClientRectOnScreen(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    POINT corner{0, 0};
    ClientToScreen(hwnd, &corner);
    OffsetRect(&r, corner.x, corner.y);
    return RectJson(r);
}

std::string Flag(bool on) { return on ? "true" : "false"; }

std::string WindowJson(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    const auto style = static_cast<ULONG>(GetWindowLongPtrA(hwnd, GWL_STYLE));
    const bool topmost = GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST;
    HWND owner = GetWindow(hwnd, GW_OWNER);
    return "{\"title\":" + Quote(TextOf(hwnd)) + ",\"class\":" + Quote(ClassOf(hwnd)) +
           ",\"style\":" + std::to_string(style) + ",\"topmost\":" + Flag(topmost) +
           ",\"owner\":" + (owner ? Quote(TextOf(owner)) : std::string("null")) +
           ",\"rect\":" + RectJson(r) + ",\"client\":" + ClientRectOnScreen(hwnd) + "}";
}

BOOL CALLBACK CollectVisible(HWND hwnd, LPARAM list) {
    if (IsWindowVisible(hwnd)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return TRUE;
}

BOOL CALLBACK CollectAll(HWND hwnd, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return TRUE;
}

std::vector<HWND> TopLevel() {
    std::vector<HWND> found;
    EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND FindTitled(const std::string& title) {
    for (HWND hwnd : TopLevel()) {
        if (TextOf(hwnd) == title) return hwnd;
    }
    return nullptr;
}

std::string ControlJson(HWND child) {
    const std::string cls = ClassOf(child);
    RECT r{};
    GetWindowRect(child, &r);
    std::string out = "{\"id\":" + std::to_string(GetDlgCtrlID(child)) +
                      ",\"visible\":" + Flag(IsWindowVisible(child)) +
                      ",\"enabled\":" + Flag(IsWindowEnabled(child)) + ",\"class\":" + Quote(cls) +
                      ",\"text\":" + Quote(TextOf(child)) + ",\"rect\":" + RectJson(r);
    if (lstrcmpiA(cls.c_str(), "Button") == 0) {
        out += ",\"check\":" + std::to_string(SendMessageA(child, BM_GETCHECK, 0, 0));
    } else if (lstrcmpiA(cls.c_str(), "ListBox") == 0) {
        out += ",\"count\":" + std::to_string(SendMessageA(child, LB_GETCOUNT, 0, 0));
    }
    return out + "}";
}

std::vector<HWND> ChildrenOf(HWND parent) {
    std::vector<HWND> children;
    EnumChildWindows(parent, CollectAll, reinterpret_cast<LPARAM>(&children));
    return children;
}

std::string Controls(HWND parent) {
    const std::vector<HWND> children = ChildrenOf(parent);
    std::string out = "{\"window\":" + WindowJson(parent) + ",\"controls\":[";
    for (size_t i = 0; i < children.size(); ++i) out += (i ? "," : "") + ControlJson(children[i]);
    return out + "]}";
}

std::string Error(const std::string& what) { return "{\"error\":" + Quote(what) + "}"; }

std::string Processes() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return Error("no process snapshot");
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    std::string out = "{\"procs\":[";
    bool first = true;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        char path[MAX_PATH] = {};
        DWORD length = MAX_PATH;
        if (HANDLE process =
                OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID)) {
            if (!QueryFullProcessImageNameA(process, 0, path, &length)) path[0] = '\0';
            CloseHandle(process);
        }
        out += (first ? "" : ",") + std::string("{\"pid\":") + std::to_string(entry.th32ProcessID) +
               ",\"exe\":" + Quote(entry.szExeFile) + ",\"path\":" + Quote(path) + "}";
        first = false;
    }
    CloseHandle(snapshot);
    return out + "]}";
}

std::string Focus() {
    HWND foreground = GetForegroundWindow();
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    std::string out =
        "{\"foreground\":" + (foreground ? WindowJson(foreground) : std::string("null"));
    if (foreground && GetGUIThreadInfo(GetWindowThreadProcessId(foreground, nullptr), &info) &&
        info.hwndFocus) {
        const bool isTop = GetAncestor(info.hwndFocus, GA_ROOT) == info.hwndFocus;
        out += ",\"focus\":" + (isTop ? WindowJson(info.hwndFocus) : ControlJson(info.hwndFocus));
        out += std::string(",\"focus_is_window\":") + (isTop ? "true" : "false");
    } else {
        out += ",\"focus\":null";
    }
    return out + "}";
}

std::string At(int x, int y) {
    HWND hwnd = WindowFromPoint(POINT{x, y});
    if (!hwnd) return Error("nothing there");
    HWND root = GetAncestor(hwnd, GA_ROOT);
    std::string out = "{\"root\":" + WindowJson(root);
    if (root != hwnd) out += ",\"control\":" + ControlJson(hwnd);
    return out + "}";
}

// Pumps this thread's messages for the time given.
void PumpFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(10);
    } while (GetTickCount() - start < milliseconds);
}

std::string Cover(int x, int y, int width, int height, DWORD milliseconds) {
    static const ATOM kClass = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNSHADOW + 1);
        wc.lpszClassName = "ScreenProbeCover";
        return RegisterClassA(&wc);
    }();
    HWND cover = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
                                 MAKEINTATOM(kClass), "", WS_POPUP | WS_VISIBLE, x, y, width,
                                 height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!cover) return Error("no cover window");
    PumpFor(milliseconds);
    DestroyWindow(cover);
    PumpFor(50);
    return "{\"covered\":true}";
}

// The close box found by asking the window itself what lies under points of its
// top-right corner, so that frame and caption sizes of any style are right.
std::string CloseBox(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    POINT client{0, 0};
    ClientToScreen(hwnd, &client);
    long left = r.right, top = r.bottom, right = r.left, bottom = r.top;
    for (long y = r.top; y < client.y; y += 2) {
        for (long x = r.right - 1; x > r.right - 80 && x > r.left; x -= 2) {
            DWORD_PTR hit = 0;
            if (!SendMessageTimeoutA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG,
                                     1000, &hit)) {
                return Error("window does not answer");
            }
            if (hit != HTCLOSE) continue;
            left = x < left ? x : left;
            right = x > right ? x : right;
            top = y < top ? y : top;
            bottom = y > bottom ? y : bottom;
        }
    }
    if (left > right) return Error("no close box");
    return "{\"x\":" + std::to_string((left + right) / 2) +
           ",\"y\":" + std::to_string((top + bottom) / 2) + "}";
}

// A point of the client area, from the lower half first, where no visible control lies.
std::string EmptySpot(HWND hwnd) {
    RECT c{};
    GetClientRect(hwnd, &c);
    for (long y = c.bottom - 8; y > c.top; y -= 6) {
        for (long x = (c.left + c.right) / 2, step = 0; x > c.left && x < c.right; ++step) {
            if (ChildWindowFromPointEx(hwnd, POINT{x, y}, CWP_SKIPINVISIBLE) == hwnd) {
                POINT p{x, y};
                ClientToScreen(hwnd, &p);
                return "{\"x\":" + std::to_string(p.x) + ",\"y\":" + std::to_string(p.y) + "}";
            }
            x += (step % 2 ? 1 : -1) * 6 * (step + 1);  // outwards from the middle
        }
    }
    return Error("no empty spot");
}

std::string Grab(const std::string& path) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    const DWORD row = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    BITMAPINFOHEADER info{sizeof info, width, height, 1, 24, BI_RGB, row * height, 0, 0, 0, 0};
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                      &bits, nullptr, 0);
    std::string result = Error("cannot grab the screen");
    if (bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        const bool copied = BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY) != FALSE;
        GdiFlush();
        SelectObject(memory, old);
        const BITMAPFILEHEADER head{
            0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof info + info.biSizeImage),
            0, 0, sizeof(BITMAPFILEHEADER) + sizeof info};
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0, total = 0;
        if (copied && file != INVALID_HANDLE_VALUE) {
            WriteFile(file, &head, sizeof head, &written, nullptr);
            total += written;
            WriteFile(file, &info, sizeof info, &written, nullptr);
            total += written;
            WriteFile(file, bits, info.biSizeImage, &written, nullptr);
            total += written;
        }
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        if (total == head.bfSize)
            result = "{\"width\":" + std::to_string(width) +
                     ",\"height\":" + std::to_string(height) + "}";
    }
    if (bitmap) DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return result;
}

// Polls until the test holds or the time runs out.
template <typename Test>
bool WaitUntil(Test test, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (test()) return true;
        if (GetTickCount() - start >= milliseconds) return false;
        Sleep(25);
    }
}

// ---- Display scaling ---------------------------------------------------------------
// The probe reads the screen in the display's own pixels whatever the DPI: as a program
// unaware of the DPI, Wine would hand it every rectangle of an aware program's window
// scaled back to 96 DPI.
void BecomeDpiAware() {
    using ContextProc = BOOL(WINAPI*)(HANDLE);
    HMODULE user32 = GetModuleHandleA("user32.dll");
    const auto perMonitor = reinterpret_cast<ContextProc>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
    if (perMonitor && perMonitor(reinterpret_cast<HANDLE>(-4))) return;  // per monitor, v2
    SetProcessDPIAware();
}

UINT DpiOf(HWND hwnd) {
    using DpiProc = UINT(WINAPI*)(HWND);
    const auto forWindow = reinterpret_cast<DpiProc>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    if (UINT dpi = forWindow ? forWindow(hwnd) : 0) return dpi;
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return static_cast<UINT>(dpi);
}

// Another process's font handle means nothing here, so the font is made again from the
// description the page gives it, at the window's DPI.
std::string Fits(HWND hwnd, const std::string& face, int points, int weight) {
    const UINT dpi = DpiOf(hwnd);
    HFONT pageFont = CreateFontA(-MulDiv(points, static_cast<int>(dpi), 72), 0, 0, 0, weight, 0,
                                 0, 0, 0, 0, 0, DRAFT_QUALITY, 0, face.c_str());
    HDC dc = GetDC(nullptr);
    std::vector<HWND> children;
    EnumChildWindows(hwnd, CollectAll, reinterpret_cast<LPARAM>(&children));
    std::string out = "{\"dpi\":" + std::to_string(dpi) + ",\"controls\":[";
    bool first = true;
    for (HWND child : children) {
        const std::string text = TextOf(child);
        if (text.empty()) continue;
        const bool ownFont = SendMessageA(child, WM_GETFONT, 0, 0) != 0;
        HGDIOBJ old = SelectObject(dc, ownFont ? pageFont : GetStockObject(SYSTEM_FONT));
        SIZE size{};
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(dc, old);
        out += std::string(first ? "" : ",") + "{\"id\":" + std::to_string(GetDlgCtrlID(child)) +
               ",\"style\":" +
               std::to_string(static_cast<ULONG>(GetWindowLongA(child, GWL_STYLE))) +
               ",\"text\":[" + std::to_string(size.cx) + "," + std::to_string(size.cy) + "]}";
        first = false;
    }
    ReleaseDC(nullptr, dc);
    DeleteObject(pageFont);
    return out + "]}";
}

// The files "hold" keeps open until "release" (or the probe's end).
std::vector<HANDLE> g_held;

std::string Hold(const std::string& path) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return Error("cannot hold " + path + ": error " + std::to_string(GetLastError()));
    }
    g_held.push_back(file);
    return "{\"held\":" + Quote(path) + "}";
}

std::string Release() {
    for (HANDLE file : g_held) CloseHandle(file);
    g_held.clear();
    return "{\"released\":true}";
}

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        parts.push_back(
            line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return parts;
        start = tab + 1;
    }
}

std::string Answer(const std::vector<std::string>& args) {
    const std::string& command = args[0];
    auto arg = [&](size_t i) { return i < args.size() ? args[i] : std::string(); };
    auto number = [&](size_t i) { return std::atoi(arg(i).c_str()); };
    if (command == "windows") {
        std::string out = "{\"windows\":[";
        const std::vector<HWND> windows = TopLevel();
        for (size_t i = 0; i < windows.size(); ++i) out += (i ? "," : "") + WindowJson(windows[i]);
        return out + "]}";
    }
    if (command == "controls" || command == "window" || command == "closebox" ||
        command == "spot" || command == "minimize" || command == "shut" || command == "fits") {
        HWND hwnd = FindTitled(arg(1));
        if (!hwnd) return Error("no window titled " + arg(1));
        if (command == "window") return "{\"window\":" + WindowJson(hwnd) + "}";
        // As the taskbar does it: the window is minimised, or closed, without being
        // brought to the front first.
        if (command == "minimize") return ShowWindow(hwnd, SW_MINIMIZE), "{}";
        if (command == "shut") return PostMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0), "{}";
        if (command == "closebox") return CloseBox(hwnd);
        if (command == "spot") return EmptySpot(hwnd);
        if (command == "fits") return Fits(hwnd, arg(2), number(3), number(4));
        return Controls(hwnd);
    }
    if (command == "wait") {
        HWND found = nullptr;
        if (!WaitUntil([&] { return (found = FindTitled(arg(1))) != nullptr; }, number(2))) {
            return Error("timeout waiting for " + arg(1));
        }
        // Answered once the window's thread is back at its messages: it has finished
        // showing the window (and handed it to the display), so a click sent now lands on
        // it rather than on what lay there before.
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(found, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
        return "{\"window\":" + WindowJson(found) + "}";
    }
    if (std::string answer = probe::AccessAnswer(args); !answer.empty()) return answer;
    if (command == "at") return At(number(1), number(2));
    if (command == "focus") return Focus();
    if (command == "cover") return Cover(number(1), number(2), number(3), number(4), number(5));
    if (command == "procs") return Processes();
    if (command == "grab") return Grab(arg(1));
    if (command == "hold") return Hold(arg(1));
    if (command == "release") return Release();
    if (command == "screen") {
        RECT work{};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        return "{\"workarea\":" + RectJson(work) + "}";
    }
    return Error("unknown command " + command);
}

}  // namespace

HWND probe::FindTitled(const std::string& title) { return ::FindTitled(title); }
std::vector<HWND> probe::ChildrenOf(HWND parent) { return ::ChildrenOf(parent); }

int main() {
    BecomeDpiAware();
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::string line;
    for (int c; (c = std::getchar()) != EOF;) {
        if (c != '\n') {
            line += static_cast<char>(c);
            continue;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line == "quit") break;
        if (!line.empty()) {
            const std::string answer = Answer(Split(line)) + "\n";
            std::fwrite(answer.data(), 1, answer.size(), stdout);
            std::fflush(stdout);
        }
        line.clear();
    }
    return 0;
}
