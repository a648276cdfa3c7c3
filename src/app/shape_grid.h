// The main window: every shape of Keyglyph.dll in a scrollable grid with its number,
// and a status line that tells which shapes are in view or why there are none.
#pragma once

#include "app/shape_library.h"

class ShapeGrid {
public:
    static constexpr int kStatusId = 100;
    static constexpr const char* kTitle = "Quorvex Plenar";

    explicit ShapeGrid(ShapeLibrary& library) : library_(library) {}
    ShapeGrid(const ShapeGrid&) = delete;
    ShapeGrid& operator=(const ShapeGrid&) = delete;
    ~ShapeGrid();

    // Opens the window; false when it could not be created.
    bool Create(HINSTANCE instance, int show);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    void Layout();
    void ScrollTo(int row);
    void OnVScroll(int code);
    void OnKey(WPARAM key);
    void OnWheel(int delta);
    void UpdateStatus();
    void Paint(HDC dc, const RECT& dirty);
    void PaintShape(HDC dc, HDC memory, int shape, int x, int y);
    HBITMAP Shape(int shape);

    int Rows() const { return (ShapeLibrary::kShapeCount + columns_ - 1) / columns_; }
    int LastTopRow() const;

    ShapeLibrary& library_;
    HWND window_ = nullptr;
    HWND status_ = nullptr;
    HFONT font_ = nullptr;
    HBITMAP cache_[ShapeLibrary::kShapeCount] = {};
    int columns_ = 1;
    int visibleRows_ = 1;
    int topRow_ = 0;
    int wheelRest_ = 0;
};
