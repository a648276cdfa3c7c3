// The stand-in application started as a user would, from a folder with and without
// Keyglyph.dll: what its window says, how it scrolls, and screenshots of both.
#include <doctest/doctest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/win.h"

namespace {

constexpr int kStatusId = 100;

std::string MyFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

// A fresh folder beside the test holding the application and, optionally, a library
// copied in under the name Keyglyph.dll.
std::string Scenario(const char* name, const char* library) {
    const std::string folder = MyFolder() + name + "\\";
    DeleteFileA((folder + APP_EXE).c_str());
    DeleteFileA((folder + "Keyglyph.dll").c_str());
    CreateDirectoryA(folder.c_str(), nullptr);
    REQUIRE(CopyFileA((MyFolder() + APP_EXE).c_str(), (folder + APP_EXE).c_str(), FALSE));
    if (library) {
        REQUIRE(
            CopyFileA((MyFolder() + library).c_str(), (folder + "Keyglyph.dll").c_str(), FALSE));
    }
    return folder;
}

template <typename Test>
bool WaitFor(Test test, DWORD milliseconds = 15000) {
    for (DWORD waited = 0; waited < milliseconds; waited += 50) {
        if (test()) return true;
        Sleep(50);
    }
    return test();
}

struct FindArgs {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam) {
    auto* args = reinterpret_cast<FindArgs*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char title[64] = {};
    GetWindowTextA(window, title, sizeof title);
    if (pid == args->pid && std::string(title) == "Quorvex Plenar" && IsWindowVisible(window)) {
        args->found = window;
        return FALSE;
    }
    return TRUE;
}

// The application running from folder, started in another current folder.
class App {
public:
    App(const std::string& folder, const std::string& currentFolder) {
        std::string command = "\"" + folder + APP_EXE + "\"";
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        REQUIRE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               currentFolder.c_str(), &si, &pi_));
        FindArgs args{pi_.dwProcessId, nullptr};
        WaitFor([&] {
            EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&args));
            return args.found != nullptr;
        });
        window_ = args.found;
        REQUIRE(window_ != nullptr);
    }
    ~App() {
        if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 1);
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
    }
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    HWND window() const { return window_; }

    std::string Status() const {
        char text[512] = {};
        GetWindowTextA(GetDlgItem(window_, kStatusId), text, sizeof text);
        return text;
    }

    // "Shapes A to B of 1345": A and B, or 0 and 0.
    std::pair<int, int> Range() const {
        int first = 0, last = 0, total = 0;
        if (std::sscanf(Status().c_str(), "Shapes %d to %d of %d", &first, &last, &total) != 3)
            return {0, 0};
        return {first, last};
    }

    // Waits until the application has taken the message: under an emulated processor and
    // a busy machine its first paint of every shape can keep it from its messages for more
    // than the five seconds after which the platform calls a window hung.
    void Send(UINT message, WPARAM wParam, LPARAM lParam = 0) const {
        DWORD_PTR result;
        REQUIRE(SendMessageTimeoutA(window_, message, wParam, lParam, SMTO_NORMAL, 60000, &result));
    }

    // Closes the window as the close box would; the process ends with code 0.
    DWORD Close() {
        PostMessageA(window_, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(pi_.hProcess, 10000) != WAIT_OBJECT_0) return 999;
        DWORD code = 999;
        GetExitCodeProcess(pi_.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION pi_ = {};
    HWND window_ = nullptr;
};

// The window's area of the screen, as 0x00RRGGBB pixels (top row first), also written
// beside the test as a .bmp file.
struct Screenshot {
    int width = 0, height = 0;
    std::vector<uint32_t> rgb;
    POINT origin = {};
    uint32_t AtClient(int x, int y) const { return rgb[size_t(y) * width + x] & 0xFFFFFF; }
};

Screenshot Capture(HWND window, const char* fileName) {
    Screenshot shot;
    RECT client;
    GetClientRect(window, &client);
    ClientToScreen(window, &shot.origin);
    shot.width = client.right;
    shot.height = client.bottom;
    shot.rgb.resize(size_t(shot.width) * shot.height);

    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = shot.width;
    bi.bmiHeader.biHeight = -shot.height;  // top row first
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, shot.width, shot.height, screen, shot.origin.x, shot.origin.y, SRCCOPY);
    GdiFlush();
    std::memcpy(shot.rgb.data(), bits, shot.rgb.size() * 4);
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(shot.rgb.size() * 4);
    if (FILE* out = std::fopen((MyFolder() + fileName).c_str(), "wb")) {
        std::fwrite(&file, sizeof file, 1, out);
        std::fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, out);
        std::fwrite(shot.rgb.data(), 4, shot.rgb.size(), out);
        std::fclose(out);
    }
    return shot;
}

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST_CASE("with the library beside it the application shows every shape and scrolls") {
    const std::string folder = Scenario("with_library", "Keyglyph.dll");
    App app(folder, MyFolder());
    REQUIRE(WaitFor([&] { return app.Range().first == 1; }));
    const auto [first, last] = app.Range();
    const int perPage = last - first + 1;
    CHECK(perPage > 1);

    SUBCASE("shape 1 white, shape 2 with black corners, on screen") {
        Sleep(500);  // let the first paint reach the screen
        const Screenshot shot = Capture(app.window(), "quorvex_plenar.bmp");
        // Shape 1 is the first cell: 160 x 60 at (12, 32) in the client area.
        CHECK(shot.AtClient(12 + 80, 32 + 30) == 0xFFFFFF);
        CHECK(shot.AtClient(12, 32) == 0xFFFFFF);
        // Shape 2, one cell to the right, lost its corner pixel.
        CHECK(shot.AtClient(184 + 12, 32) == 0x000000);
        CHECK(shot.AtClient(184 + 12 + 2, 32) == 0xFFFFFF);
    }
    SUBCASE("Page Down, End, Home and the wheel") {
        app.Send(WM_KEYDOWN, VK_NEXT);
        CHECK(app.Range().first == 1 + perPage);
        app.Send(WM_KEYDOWN, VK_END);
        CHECK(app.Range().second == 1345);
        app.Send(WM_KEYDOWN, VK_PRIOR);
        CHECK(app.Range().second < 1345);
        app.Send(WM_KEYDOWN, VK_HOME);
        CHECK(app.Range().first == 1);
        app.Send(WM_KEYDOWN, VK_PRIOR);  // nothing above the first row
        CHECK(app.Range().first == 1);
        const int columns = [&] {
            app.Send(WM_KEYDOWN, VK_DOWN);
            return app.Range().first - 1;
        }();
        CHECK(columns >= 1);
        app.Send(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA));  // one notch up
        CHECK(app.Range().first == 1);
        app.Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-2 * WHEEL_DELTA)));
        CHECK(app.Range().first == 1 + 2 * columns);
        app.Send(WM_VSCROLL, SB_BOTTOM);
        CHECK(app.Range().second == 1345);
        app.Send(WM_VSCROLL, SB_TOP);
        CHECK(app.Range().first == 1);
    }
    CHECK(app.Close() == 0);
}

TEST_CASE("without the library the window says that it is missing") {
    // Started from a folder that does hold the library: only its own folder counts.
    const std::string withLibrary = Scenario("with_library", "Keyglyph.dll");
    const std::string folder = Scenario("without_library", nullptr);
    App app(folder, withLibrary);
    REQUIRE(WaitFor([&] { return !app.Status().empty(); }));
    CHECK(Contains(app.Status(), "Keyglyph.dll is missing"));
    CHECK(app.Range().first == 0);
    Sleep(300);
    Capture(app.window(), "quorvex_plenar_missing.bmp");
    app.Send(WM_KEYDOWN, VK_NEXT);  // nothing to scroll, nothing breaks
    CHECK(Contains(app.Status(), "Keyglyph.dll is missing"));
    CHECK(app.Close() == 0);
}

TEST_CASE("a Keyglyph.dll without load_bitmap is named as such") {
    const std::string folder = Scenario("library_without_export", WITHOUT_EXPORT_DLL);
    App app(folder, MyFolder());
    REQUIRE(WaitFor([&] { return !app.Status().empty(); }));
    CHECK(Contains(app.Status(), "has no load_bitmap"));
    CHECK(app.Close() == 0);
}
