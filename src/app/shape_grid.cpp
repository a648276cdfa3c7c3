#include "app/shape_grid.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr char kClassName[] = "QuorvexPlenarShapes";
constexpr int kStatusHeight = 24;
constexpr int kCellWidth = 184, kCellHeight = 104;
constexpr int kSymbolSide = 60;  // symbols are shown stretched to the outlines' height
constexpr COLORREF kBackground = RGB(96, 96, 96);
constexpr COLORREF kLabel = RGB(240, 240, 240);

}  // namespace

ShapeGrid::~ShapeGrid() {
    for (HBITMAP bitmap : cache_) {
        if (bitmap) DeleteObject(bitmap);
    }
    if (font_) DeleteObject(font_);
}

bool ShapeGrid::Create(HINSTANCE instance, int show) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    wc.hbrBackground = nullptr;  // the grid paints every pixel
    wc.lpszClassName = kClassName;
    if (!RegisterClassA(&wc)) return false;

    font_ = CreateFontA(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
    window_ =
        CreateWindowExA(0, kClassName, kTitle, WS_OVERLAPPEDWINDOW | WS_VSCROLL, CW_USEDEFAULT,
                        CW_USEDEFAULT, 4 * kCellWidth + 40, 640, nullptr, nullptr, instance, this);
    if (!window_) return false;
    ShowWindow(window_, show);
    UpdateWindow(window_);
    return true;
}

LRESULT CALLBACK ShapeGrid::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* grid =
            static_cast<ShapeGrid*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        grid->window_ = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(grid));
    }
    auto* grid = reinterpret_cast<ShapeGrid*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    return grid ? grid->Handle(message, wParam, lParam)
                : DefWindowProcA(window, message, wParam, lParam);
}

LRESULT ShapeGrid::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            status_ =
                CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 0, 0, 0,
                                window_, reinterpret_cast<HMENU>(kStatusId), nullptr, nullptr);
            SendMessageA(status_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
            return 0;
        case WM_SIZE:
            Layout();
            return 0;
        case WM_VSCROLL:
            OnVScroll(LOWORD(wParam));
            return 0;
        case WM_KEYDOWN:
            OnKey(wParam);
            return 0;
        case WM_MOUSEWHEEL:
            OnWheel(GET_WHEEL_DELTA_WPARAM(wParam));
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window_, &ps);
            Paint(dc, ps.rcPaint);
            EndPaint(window_, &ps);
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(window_, message, wParam, lParam);
    }
}

int ShapeGrid::LastTopRow() const { return std::max(0, Rows() - visibleRows_); }

void ShapeGrid::Layout() {
    RECT client;
    GetClientRect(window_, &client);
    MoveWindow(status_, 8, 4, std::max(0L, client.right - 16), kStatusHeight - 6, TRUE);
    columns_ = std::max(1, static_cast<int>(client.right) / kCellWidth);
    visibleRows_ = std::max(1, static_cast<int>(client.bottom - kStatusHeight) / kCellHeight);
    ScrollTo(topRow_);
    InvalidateRect(window_, nullptr, FALSE);
}

void ShapeGrid::ScrollTo(int row) {
    topRow_ = library_.IsOpen() ? std::clamp(row, 0, LastTopRow()) : 0;
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    si.nMax = library_.IsOpen() ? Rows() - 1 : 0;
    si.nPage = static_cast<UINT>(visibleRows_);
    si.nPos = topRow_;
    SetScrollInfo(window_, SB_VERT, &si, TRUE);
    UpdateStatus();
    RECT grid;
    GetClientRect(window_, &grid);
    grid.top = kStatusHeight;
    InvalidateRect(window_, &grid, FALSE);
}

void ShapeGrid::OnVScroll(int code) {
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_TRACKPOS;
    GetScrollInfo(window_, SB_VERT, &si);
    switch (code) {
        case SB_LINEUP:
            ScrollTo(topRow_ - 1);
            break;
        case SB_LINEDOWN:
            ScrollTo(topRow_ + 1);
            break;
        case SB_PAGEUP:
            ScrollTo(topRow_ - visibleRows_);
            break;
        case SB_PAGEDOWN:
            ScrollTo(topRow_ + visibleRows_);
            break;
        case SB_TOP:
            ScrollTo(0);
            break;
        case SB_BOTTOM:
            ScrollTo(LastTopRow());
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            ScrollTo(si.nTrackPos);
            break;
        default:
            break;
    }
}

void ShapeGrid::OnKey(WPARAM key) {
    switch (key) {
        case VK_UP:
            ScrollTo(topRow_ - 1);
            break;
        case VK_DOWN:
            ScrollTo(topRow_ + 1);
            break;
        case VK_PRIOR:
            ScrollTo(topRow_ - visibleRows_);
            break;
        case VK_NEXT:
            ScrollTo(topRow_ + visibleRows_);
            break;
        case VK_HOME:
            ScrollTo(0);
            break;
        case VK_END:
            ScrollTo(LastTopRow());
            break;
        default:
            break;
    }
}

void ShapeGrid::OnWheel(int delta) {
    // One row per notch; high-resolution wheels send parts of a notch.
    wheelRest_ += delta;
    const int rows = wheelRest_ / WHEEL_DELTA;
    wheelRest_ -= rows * WHEEL_DELTA;
    if (rows) ScrollTo(topRow_ - rows);
}

void ShapeGrid::UpdateStatus() {
    char text[512];
    if (!library_.IsOpen()) {
        std::snprintf(text, sizeof text, "%s", library_.Problem());
    } else {
        const int first = topRow_ * columns_ + 1;
        const int last = std::min(ShapeLibrary::kShapeCount, (topRow_ + visibleRows_) * columns_);
        std::snprintf(text, sizeof text, "Shapes %d to %d of %d", first, last,
                      ShapeLibrary::kShapeCount);
    }
    SetWindowTextA(status_, text);
}

HBITMAP ShapeGrid::Shape(int shape) {
    HBITMAP& bitmap = cache_[shape - 1];
    if (!bitmap) {
        const bool symbol = shape >= ShapeLibrary::kFirstSymbol;
        bitmap =
            symbol ? library_.Load(shape, kSymbolSide, kSymbolSide) : library_.Load(shape, 0, 0);
    }
    return bitmap;
}

void ShapeGrid::PaintShape(HDC dc, HDC memory, int shape, int x, int y) {
    if (HBITMAP bitmap = Shape(shape)) {
        BITMAP info = {};
        GetObjectA(bitmap, sizeof info, &info);
        HGDIOBJ old = SelectObject(memory, bitmap);
        // A monochrome bitmap takes the text colour for 0 bits and the background
        // colour for 1 bits: black outside, white inside.
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, RGB(255, 255, 255));
        BitBlt(dc, x + (kCellWidth - info.bmWidth) / 2, y + 8 + (60 - info.bmHeight) / 2,
               info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
    }
    char number[16];
    std::snprintf(number, sizeof number, "%d", shape);
    RECT label = {x, y + 74, x + kCellWidth, y + kCellHeight - 8};
    SetTextColor(dc, kLabel);
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, number, -1, &label, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
}

void ShapeGrid::Paint(HDC dc, const RECT& dirty) {
    HBRUSH background = CreateSolidBrush(kBackground);
    FillRect(dc, &dirty, background);
    DeleteObject(background);
    HGDIOBJ oldFont = SelectObject(dc, font_);
    RECT client;
    GetClientRect(window_, &client);
    if (!library_.IsOpen()) {
        RECT message = {16, kStatusHeight + 16, client.right - 16, client.bottom - 16};
        SetTextColor(dc, kLabel);
        SetBkMode(dc, TRANSPARENT);
        DrawTextA(dc, library_.Problem(), -1, &message, DT_CENTER | DT_WORDBREAK);
    } else {
        HDC memory = CreateCompatibleDC(dc);
        for (int row = 0; row <= visibleRows_; ++row) {
            for (int column = 0; column < columns_; ++column) {
                const int shape = (topRow_ + row) * columns_ + column + 1;
                if (shape > ShapeLibrary::kShapeCount) break;
                PaintShape(dc, memory, shape, column * kCellWidth,
                           kStatusHeight + row * kCellHeight);
            }
        }
        DeleteDC(memory);
    }
    SelectObject(dc, oldFont);
}
