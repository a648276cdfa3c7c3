// The drawing surface of a toolkit window: the drawing DC, painting from the backing
// bitmap, erasing, and the drawing operations.
#include "toolkit/drawing.h"

#include "toolkit/display_scale.h"
#include "toolkit/gdi_owner.h"
#include "toolkit/toolkit_state.h"

namespace tk {

HFONT g_eraseFont = nullptr;

namespace {

constexpr UINT kBoundsStart = DCB_RESET | DCB_ACCUMULATE | DCB_ENABLE;

COLORREF PenColour(HPEN pen) {
    LOGPEN logPen{};
    GetObjectA(pen, sizeof logPen, &logPen);
    return logPen.lopnColor;
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    return {info.bmWidth, info.bmHeight};
}

SIZE ClientSize(HWND hwnd) {
    RECT client{};
    GetClientRect(hwnd, &client);
    return {client.right, client.bottom};
}

// A client-size backing bitmap that no longer matches the client area is stretched.
bool IsRescaled(const Window& record, SIZE bitmap, SIZE client) {
    return (record.backingMode & kBackingClientSized) &&
           (bitmap.cx != client.cx || bitmap.cy != client.cy);
}

// Bounds drawn on the bitmap, as a client rectangle of a rescaled window.
RECT ScaleBoundsToClient(RECT b, SIZE bitmap, SIZE client) {
    RECT r{};
    r.left = MulDiv(b.left, client.cx, bitmap.cx);
    r.top = MulDiv(b.top, client.cy, bitmap.cy);
    r.right = r.left + MulDiv(b.right - b.left + 1, client.cx, bitmap.cx);
    r.bottom = r.top + MulDiv(b.bottom - b.top + 1, client.cy, bitmap.cy);
    r.left -= 1;
    r.top -= 1;
    return r;
}

void StretchHalftone(HDC target, const RECT& to, HDC source, const RECT& from) {
    SetStretchBltMode(target, HALFTONE);
    SetBrushOrgEx(target, 0, 0, nullptr);
    StretchBlt(target, to.left, to.top, to.right - to.left, to.bottom - to.top, source,
               from.left, from.top, from.right - from.left, from.bottom - from.top, SRCCOPY);
}

// Copies a client rectangle from a DC that holds the backing bitmap.
void CopyFromBacking(const Window& record, HDC paintDc, HDC source, const RECT& area) {
    const SIZE bitmap = BitmapSize(record.backingBitmap);
    const SIZE client = ClientSize(record.hwnd);
    if (!IsRescaled(record, bitmap, client)) {
        BitBlt(paintDc, area.left, area.top, area.right - area.left, area.bottom - area.top,
               source, area.left, area.top, SRCCOPY);
        return;
    }
    const RECT from{MulDiv(area.left, bitmap.cx, client.cx), MulDiv(area.top, bitmap.cy, client.cy),
                    MulDiv(area.right, bitmap.cx, client.cx),
                    MulDiv(area.bottom, bitmap.cy, client.cy)};
    StretchHalftone(paintDc, area, source, from);
}

// GetBoundsRect's answer for bounds that are not empty. DCB_SET is DCB_RESET |
// DCB_ACCUMULATE, and empty bounds come back as DCB_RESET | DCB_ENABLE, so one bit of it
// would not do.
bool BoundsSet(UINT state) { return (state & DCB_SET) == DCB_SET; }

// Keeps the page's controls out of what painting copies.
void ExcludeChildren(HWND hwnd, HDC dc) {
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!(GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE)) continue;
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
        ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
    }
}

void PaintFromBacking(Window& record, HDC paintDc, const RECT& update) {
    if (!record.drawDc) {
        if (record.backingDc) CopyFromBacking(record, paintDc, record.backingDc, update);
        return;
    }
    // Drawing is under way: bring over what has been drawn on the held DC so far.
    RECT bounds{};
    if (!BoundsSet(GetBoundsRect(record.drawDc, &bounds, DCB_RESET))) return;
    const SIZE bitmap = BitmapSize(record.backingBitmap);
    const SIZE client = ClientSize(record.hwnd);
    if (IsRescaled(record, bitmap, client)) {
        StretchHalftone(paintDc, RECT{0, 0, client.cx, client.cy}, record.drawDc,
                        RECT{0, 0, bitmap.cx, bitmap.cy});
    } else {
        BitBlt(paintDc, bounds.left, bounds.top, bounds.right - bounds.left,
               bounds.bottom - bounds.top, record.drawDc, bounds.left, bounds.top, SRCCOPY);
    }
}

// Replaces the record's pen and font by copies of what the DC held, deleting the old.
void KeepDrawingObjects(Window& record, const LOGPEN& pen, const LOGFONTA& font) {
    HPEN newPen = CreatePenIndirect(&pen);
    HFONT newFont = CreateFontIndirectA(&font);
    if (record.pen) DeleteObject(record.pen);
    if (record.font) DeleteObject(record.font);
    record.pen = newPen;
    record.font = newFont;
}

}  // namespace

// ---- Drawing DC -----------------------------------------------------------------------

HDC BeginDraw(Window& record) {
    if (!record.hwnd) return nullptr;
    if (record.forcedDc) return record.forcedDc;
    if (record.paintDc) return record.paintDc;
    if (record.drawDepth > 0) {
        ++record.drawDepth;
        return record.drawDc;
    }
    // With a backing bitmap, the memory DC that holds it; SaveDC and RestoreDC keep the
    // record's state off it between operations. While the window is being created the
    // bitmap does not exist yet, and a memory DC of its own takes what is drawn then.
    HDC dc = record.backingDc;
    if (!dc) {
        HDC windowDc = GetDC(record.hwnd);
        if (!windowDc) return nullptr;
        dc = windowDc;
        if (record.backingMode) {
            dc = CreateCompatibleDC(windowDc);
            ReleaseDC(record.hwnd, windowDc);
            if (!dc) return nullptr;
        }
    }
    SaveDC(dc);
    record.backingUniform = 0;  // whatever is drawn now may break it
    MoveToEx(dc, record.posX, record.posY, nullptr);
    SelectObject(dc, record.font);
    SelectObject(dc, record.pen);
    SetTextColor(dc, PenColour(record.pen));
    SetTextAlign(dc, TA_UPDATECP);
    SetBkMode(dc, record.bkMode);
    SetBkColor(dc, record.bkColor);
    SetROP2(dc, record.rop2);
    record.drawDc = dc;
    record.drawDepth = 1;
    SetBoundsRect(dc, nullptr, kBoundsStart);
    return dc;
}

void EndDraw(Window& record, HDC dc, bool repaint) {
    if (!record.hwnd || record.forcedDc || record.paintDc) return;
    if (record.drawDepth > 0) --record.drawDepth;
    if (record.drawDepth > 0) {
        if (repaint && record.backingMode) {
            InvalidateRect(record.hwnd, nullptr, FALSE);
            UpdateWindow(record.hwnd);
        }
        return;
    }
    record.drawDc = nullptr;
    if (!dc) return;

    POINT pos{};
    GetCurrentPositionEx(dc, &pos);
    record.posX = pos.x;
    record.posY = pos.y;
    record.bkMode = GetBkMode(dc);
    record.bkColor = GetBkColor(dc);
    record.rop2 = GetROP2(dc);
    LOGPEN pen{};
    GetObjectA(GetCurrentObject(dc, OBJ_PEN), sizeof pen, &pen);
    LOGFONTA font{};
    GetObjectA(GetCurrentObject(dc, OBJ_FONT), sizeof font, &font);

    if (record.backingMode && repaint) {
        RECT bounds{};
        if (BoundsSet(GetBoundsRect(dc, &bounds, DCB_RESET))) {
            const SIZE bitmap = BitmapSize(record.backingBitmap);
            const SIZE client = ClientSize(record.hwnd);
            if (IsRescaled(record, bitmap, client)) bounds = ScaleBoundsToClient(bounds, bitmap, client);
            InvalidateRect(record.hwnd, &bounds, FALSE);
        }
    }
    RestoreDC(dc, -1);
    KeepDrawingObjects(record, pen, font);
    if (dc == record.backingDc) {
        SetBoundsRect(dc, nullptr, DCB_DISABLE);
    } else if (record.backingMode) {
        DeleteDC(dc);
    } else {
        ReleaseDC(record.hwnd, dc);
    }
    if (repaint && record.backingMode) UpdateWindow(record.hwnd);
}

// ---- Painting and erasing ---------------------------------------------------------------

LRESULT PaintWindow(HWND hwnd, Window* record) {
    RECT update{};
    GetUpdateRect(hwnd, &update, FALSE);
    PAINTSTRUCT ps{};
    HDC paintDc = BeginPaint(hwnd, &ps);
    ExcludeChildren(hwnd, paintDc);
    if (!record || !record->backingMode) {
        // Without a backing bitmap the page draws itself.
        if (record || g_windowUnderConstruction) {
            Window* target = record ? record : g_windowUnderConstruction;
            target->hwnd = hwnd;
            DeliverEvent(target, WM_PAINT, 0, 0);
        }
    } else {
        PaintFromBacking(*record, paintDc, update);
    }
    EndPaint(hwnd, &ps);
    return 1;
}

LRESULT EraseWindow(HWND hwnd, Window* record, HDC dc) {
    RECT clip{};
    GetClipBox(dc, &clip);
    {
        OwnedBrush brush(CreateSolidBrush(record ? record->backColor : GetSysColor(COLOR_WINDOW)));
        Selection selected(dc, brush.get());
        PatBlt(dc, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top, PATCOPY);
    }
    (void)hwnd;
    if (record) {
        const int saved = SaveDC(dc);
        HDC outerPaintDc = record->paintDc;
        HFONT outerEraseFont = g_eraseFont;  // of an erase this one is nested in
        record->paintDc = dc;
        g_eraseFont = nullptr;
        DeliverEvent(record, EV_ERASE, reinterpret_cast<WPARAM>(dc), 0);
        record->paintDc = outerPaintDc;
        RestoreDC(dc, saved);
        if (g_eraseFont) DeleteObject(g_eraseFont);
        g_eraseFont = outerEraseFont;
    }
    return 1;
}

// ---- Drawing operations -------------------------------------------------------------------

int32_t SetPenColor(Window& record, COLORREF colour) {
    if (!record.hwnd) return 0;
    HDC dc = BeginDraw(record);
    if (!dc) return 0;
    if (dc == record.paintDc || dc == record.forcedDc) {
        // The erase DC is restored after EV_ERASE, which would strand a pen selected into
        // it; the toolkit's drawing on it uses only the text colour.
        SetTextColor(dc, colour);
        return 0;
    }
    HPEN pen = CreatePen(record.penStyle, record.penWidth, colour);
    HGDIOBJ replaced = SelectObject(dc, pen);
    SetTextColor(dc, colour);
    EndDraw(record, dc, false);
    if (!record.drawDc) {
        DeleteObject(pen);  // the record now has its own copy
    } else if (replaced == record.pen) {
        // Nested in another operation: the new pen becomes the record's at once, so the
        // outermost EndDraw neither frees the record's pen twice nor loses the new one.
        DeleteObject(replaced);
        record.pen = pen;
    } else {
        DeleteObject(replaced);
    }
    return 0;
}

int32_t SetTextBackColor(Window& record, COLORREF colour) {
    if (!record.hwnd) return 0;
    HDC dc = BeginDraw(record);
    if (dc) SetBkColor(dc, colour);
    EndDraw(record, dc, true);
    return 0;
}

int32_t MoveTo(Window& record, int32_t x, int32_t y) {
    if (!record.hwnd) return 0;
    HDC dc = BeginDraw(record);
    if (dc) MoveToEx(dc, Scaled(record, x), Scaled(record, y), nullptr);
    EndDraw(record, dc, true);
    return 0;
}

int32_t DrawRect(Window& record, int32_t x, int32_t y, int32_t width, int32_t height,
                 int32_t penColour, int32_t fillColour) {
    if (!record.hwnd) return 0;
    HDC dc = BeginDraw(record);
    if (dc) {
        OwnedPen pen;
        OwnedBrush fill;
        HGDIOBJ brush = GetStockObject(NULL_BRUSH);
        const int32_t penWidth = Scaled(record, record.penWidth);
        if (penColour == -1) {
            pen.reset(CreatePen(record.penStyle, penWidth, GetTextColor(dc)));
        } else {
            pen.reset(CreatePen(record.penStyle, penWidth, static_cast<COLORREF>(penColour)));
            if (fillColour != -1) {
                fill.reset(CreateSolidBrush(static_cast<COLORREF>(fillColour)));
                brush = fill.get();
            }
        }
        Selection selectedPen(dc, pen.get());
        Selection selectedBrush(dc, brush);
        const int32_t left = Scaled(record, x), top = Scaled(record, y);
        Rectangle(dc, left, top, left + Scaled(record, width), top + Scaled(record, height));
    }
    EndDraw(record, dc, true);
    return 0;
}

int32_t FloodFill(Window& record, int32_t x, int32_t y, COLORREF colour) {
    if (!record.hwnd) return 0;
    const bool uniform = record.backingUniform && record.drawDepth == 0 && !record.paintDc &&
                         !record.forcedDc;
    HDC dc = BeginDraw(record);
    x = Scaled(record, x);
    y = Scaled(record, y);
    if (dc) {
        OwnedBrush brush(CreateSolidBrush(colour));
        const COLORREF target = GetPixel(dc, x, y);
        Selection selected(dc, brush.get());
        if (uniform && target == record.uniformColour) {
            // Every pixel has the target colour, so the fill reaches them all: the same
            // pixels as the search, without it (a screen-size bitmap took milliseconds).
            const SIZE size = BitmapSize(record.backingBitmap);
            PatBlt(dc, 0, 0, size.cx, size.cy, PATCOPY);
            record.backingUniform = 1;
            record.uniformColour = GetPixel(dc, x, y);
        } else {
            ExtFloodFill(dc, x, y, target, FLOODFILLSURFACE);
        }
    }
    EndDraw(record, dc, true);
    return 0;
}

}  // namespace tk
