// Fonts of controls and of the drawing surface, and images drawn onto a window.
#include <ole2.h>
#include <olectl.h>

#include "toolkit/controls.h"
#include "toolkit/controls_private.h"
#include "toolkit/display_scale.h"
#include "toolkit/drawing.h"
#include "toolkit/toolkit_state.h"

namespace tk {

namespace {

// At the window's DPI, which differs from the screen DC's when the window lies on a
// display of another scale.
LOGFONTA DescribeFont(uint32_t dpi, const char* face, int32_t points, int32_t weight,
                      uint32_t flags) {
    LOGFONTA font = {};
    lstrcpynA(font.lfFaceName, face ? face : "", LF_FACESIZE);  // the first 31 characters
    font.lfHeight = -MulDiv(points, static_cast<int>(dpi), 72);
    font.lfWeight = weight;
    font.lfQuality = DRAFT_QUALITY;
    if (flags) {
        font.lfCharSet = static_cast<BYTE>(flags >> 16);
        font.lfItalic = (flags & 0x1) ? 1 : 0;
        font.lfUnderline = (flags & 0x10) ? 1 : 0;
        font.lfStrikeOut = (flags & 0x20) ? 1 : 0;
    }
    return font;
}

// The fonts SetFont made that controls hold, on the process heap.
struct FontList {
    HFONT* fonts = nullptr;
    int32_t count = 0;
    int32_t capacity = 0;
} g_toolkitFonts;

int32_t IndexOfToolkitFont(HFONT font) {
    for (int32_t i = 0; font && i < g_toolkitFonts.count; ++i) {
        if (g_toolkitFonts.fonts[i] == font) return i;
    }
    return -1;
}

// The toolkit frees only the font it made for the control.
void SetControlFont(HWND control, const LOGFONTA& description) {
    HFONT font = CreateFontIndirectA(&description);
    const HFONT old = ToolkitFontOf(control);
    SendMessageA(control, WM_SETFONT, 0, FALSE);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    // Whatever the control does not hold now is freed: a control without text (a bitmap
    // static) keeps no font, and one that ignores WM_SETFONT keeps the old one.
    const HFONT held = FontOf(control);
    const HFONT kept = (held == font || held == old) ? held : nullptr;
    if (font != kept) DeleteObject(font);
    if (old != kept) DeleteToolkitFont(old);
    if (kept == font) KeepToolkitFont(font);
}

// The drawing DC's font becomes the record's font when the DC is released.
void SetDrawingFont(Window& record, HDC dc, const LOGFONTA& description) {
    HFONT font = CreateFontIndirectA(&description);
    if (dc && dc == record.paintDc) {
        // The erase DC: the record is left alone, and a font still selected cannot be
        // deleted, so the erase frees it after restoring the DC.
        HGDIOBJ replaced = SelectObject(dc, font);
        if (replaced && replaced == g_eraseFont) DeleteObject(replaced);
        g_eraseFont = font;
        return;
    }
    HGDIOBJ replaced = dc ? SelectObject(dc, font) : nullptr;
    EndDraw(record, dc, false);
    if (!record.drawDc) {
        DeleteObject(font);  // the record now holds its own copy
        return;
    }
    // Drawing is still under way: the outermost EndDraw copies and then deletes the
    // record's font, so ours takes its place there.
    if (replaced == record.font) record.font = font;
    if (replaced) DeleteObject(replaced);
}

// The target rectangle of an image: its 96-DPI place and size at the window's DPI.
struct Placement {
    int32_t x, y, width, height;
    bool scaled;  // differs in size from the 96-DPI rectangle
};

Placement Place(const Window& record, int32_t x, int32_t y, int32_t width, int32_t height) {
    Placement p{Scaled(record, x), Scaled(record, y), Scaled(record, width),
                Scaled(record, height), false};
    p.scaled = p.width != width || p.height != height;
    return p;
}

// A scaled image is stretched smoothly rather than by dropping or doubling pixels.
void ShowBitmap(HDC dc, HBITMAP bitmap, const Placement& to, int32_t width, int32_t height,
                uint32_t rasterOp) {
    if (!width || !height) return;
    HDC memory = CreateCompatibleDC(nullptr);
    if (!memory) return;
    HGDIOBJ old = SelectObject(memory, bitmap);
    if (to.scaled) {
        const int oldMode = SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchBlt(dc, to.x, to.y, to.width, to.height, memory, 0, 0, width, height,
                   rasterOp ? rasterOp : SRCCOPY);
        SetStretchBltMode(dc, oldMode);
    } else {
        BitBlt(dc, to.x, to.y, width, height, memory, 0, 0, rasterOp ? rasterOp : SRCCOPY);
    }
    SelectObject(memory, old);
    DeleteDC(memory);
}

void ShowPicture(HDC dc, IPicture* picture, const Placement& to) {
    int32_t width = to.width, height = to.height;
    OLE_XSIZE_HIMETRIC himetricWidth = 0;
    OLE_YSIZE_HIMETRIC himetricHeight = 0;
    picture->get_Width(&himetricWidth);
    picture->get_Height(&himetricHeight);
    if (width == 0 && height == 0) {
        width = MulDiv(himetricWidth, GetDeviceCaps(dc, LOGPIXELSX), 2540);
        height = MulDiv(himetricHeight, GetDeviceCaps(dc, LOGPIXELSY), 2540);
    }
    const int oldMode = to.scaled ? SetStretchBltMode(dc, HALFTONE) : 0;
    if (to.scaled) SetBrushOrgEx(dc, 0, 0, nullptr);
    // HIMETRIC runs bottom-up: start at the top and go up by the height.
    picture->Render(dc, to.x, to.y, width, height, 0, himetricHeight, himetricWidth,
                    -himetricHeight, nullptr);
    if (to.scaled) SetStretchBltMode(dc, oldMode);
}

void DrawImage(HDC dc, rt::Image image, int32_t kind, const Placement& to, int32_t width,
               int32_t height, uint32_t rasterOp) {
    switch (kind) {
        case rt::kImageBitmap:
            ShowBitmap(dc, static_cast<HBITMAP>(image), to, width, height, rasterOp);
            break;
        case rt::kImageIcon:
            DrawIcon(dc, to.x, to.y, static_cast<HICON>(image));
            break;
        case rt::kImageMetafile: {
            const RECT r = {to.x, to.y, to.x + to.width, to.y + to.height};
            PlayEnhMetaFile(dc, static_cast<HENHMETAFILE>(image), &r);
            break;
        }
        case rt::kImagePicture:
            ShowPicture(dc, static_cast<IPicture*>(image), to);
            break;
        default:  // cursors and unknown kinds draw nothing
            break;
    }
}

}  // namespace

HFONT FontOf(HWND hwnd) { return reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0)); }

HFONT ToolkitFontOf(HWND control) {
    const HFONT font = FontOf(control);
    return IndexOfToolkitFont(font) >= 0 ? font : nullptr;
}

void KeepToolkitFont(HFONT font) {
    if (!font || IndexOfToolkitFont(font) >= 0) return;
    FontList& list = g_toolkitFonts;
    if (list.count == list.capacity) {
        const int32_t wanted = list.capacity ? list.capacity * 2 : 32;
        const SIZE_T bytes = sizeof(HFONT) * static_cast<SIZE_T>(wanted);
        void* block = list.fonts ? HeapReAlloc(GetProcessHeap(), 0, list.fonts, bytes)
                                 : HeapAlloc(GetProcessHeap(), 0, bytes);
        if (!block) return;  // the font is then left to the control, like its own
        list.fonts = static_cast<HFONT*>(block);
        list.capacity = wanted;
    }
    list.fonts[list.count++] = font;
}

void DeleteToolkitFont(HFONT font) {
    const int32_t i = IndexOfToolkitFont(font);
    if (i < 0) return;
    g_toolkitFonts.fonts[i] = g_toolkitFonts.fonts[--g_toolkitFonts.count];
    DeleteObject(font);
}

int32_t SetFont(Window& record, const char* face, int32_t points, int32_t weight, uint32_t flags,
                int32_t id) {
    if (!record.hwnd) return 0;
    if (id) {
        HWND control = FindControl(record, id);
        if (!control) return 0;
        // The window's DPI gives the resolution; the drawing state is not touched. (A
        // dialog's record has none: its window's own DC gives it.)
        HDC dc = record.dpi ? nullptr : GetDC(record.hwnd);
        SetControlFont(control, DescribeFont(FontDpi(record, dc), face, points, weight, flags));
        if (dc) ReleaseDC(record.hwnd, dc);
        return 0;
    }
    HDC dc = BeginDraw(record);
    SetDrawingFont(record, dc, DescribeFont(FontDpi(record, dc), face, points, weight, flags));
    return 0;
}

int32_t ShowImage(Window& record, rt::Image image, int32_t kind, int32_t x, int32_t y,
                  int32_t width, int32_t height, uint32_t rasterOp) {
    if (!record.hwnd) return 0;
    HDC dc = BeginDraw(record);
    if (dc && image) {
        DrawImage(dc, image, kind, Place(record, x, y, width, height), width, height, rasterOp);
    }
    EndDraw(record, dc, true);
    return 0;
}

}  // namespace tk
