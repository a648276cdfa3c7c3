// Fonts of controls and of the drawing surface, and images drawn onto a window.
#include <ole2.h>
#include <olectl.h>

#include "toolkit/controls.h"
#include "toolkit/controls_private.h"
#include "toolkit/drawing.h"
#include "toolkit/toolkit_state.h"

namespace tk {

namespace {

LOGFONTA DescribeFont(HDC dc, const char* face, int32_t points, int32_t weight, uint32_t flags) {
    LOGFONTA font = {};
    lstrcpynA(font.lfFaceName, face ? face : "", LF_FACESIZE);  // the first 31 characters
    font.lfHeight = -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
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

HFONT FontOf(HWND hwnd) { return reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0)); }

// The toolkit frees only the font it made for the control ("TS_FONT"): a control may
// hold a font that it made itself or that its dialog gave it, and those owners free them.
void SetControlFont(HWND control, const LOGFONTA& description) {
    HFONT font = CreateFontIndirectA(&description);
    auto old = static_cast<HFONT>(GetPropA(control, kPropControlFont));
    SendMessageA(control, WM_SETFONT, 0, FALSE);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    // Whatever the control does not hold now is freed: a control without text (a bitmap
    // static) keeps no font, and one that ignores WM_SETFONT keeps the old one.
    const HFONT held = FontOf(control);
    const HFONT kept = (held == font || held == old) ? held : nullptr;
    if (font != kept) DeleteObject(font);
    if (old && old != kept) DeleteObject(old);
    if (kept) {
        SetPropA(control, kPropControlFont, kept);
    } else {
        RemovePropA(control, kPropControlFont);
    }
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

void ShowBitmap(HDC dc, HBITMAP bitmap, int32_t x, int32_t y, int32_t width, int32_t height,
                uint32_t rasterOp) {
    if (!width || !height) return;
    HDC memory = CreateCompatibleDC(nullptr);
    if (!memory) return;
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(dc, x, y, width, height, memory, 0, 0, rasterOp ? rasterOp : SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

void ShowPicture(HDC dc, IPicture* picture, int32_t x, int32_t y, int32_t width, int32_t height) {
    OLE_XSIZE_HIMETRIC himetricWidth = 0;
    OLE_YSIZE_HIMETRIC himetricHeight = 0;
    picture->get_Width(&himetricWidth);
    picture->get_Height(&himetricHeight);
    if (width == 0 && height == 0) {
        width = MulDiv(himetricWidth, GetDeviceCaps(dc, LOGPIXELSX), 2540);
        height = MulDiv(himetricHeight, GetDeviceCaps(dc, LOGPIXELSY), 2540);
    }
    // HIMETRIC runs bottom-up: start at the top and go up by the height.
    picture->Render(dc, x, y, width, height, 0, himetricHeight, himetricWidth, -himetricHeight,
                    nullptr);
}

void DrawImage(HDC dc, rt::Image image, int32_t kind, int32_t x, int32_t y, int32_t width,
               int32_t height, uint32_t rasterOp) {
    switch (kind) {
        case rt::kImageBitmap:
            ShowBitmap(dc, static_cast<HBITMAP>(image), x, y, width, height, rasterOp);
            break;
        case rt::kImageIcon:
            DrawIcon(dc, x, y, static_cast<HICON>(image));
            break;
        case rt::kImageMetafile: {
            const RECT r = {x, y, x + width, y + height};
            PlayEnhMetaFile(dc, static_cast<HENHMETAFILE>(image), &r);
            break;
        }
        case rt::kImagePicture:
            ShowPicture(dc, static_cast<IPicture*>(image), x, y, width, height);
            break;
        default:  // cursors and unknown kinds draw nothing
            break;
    }
}

}  // namespace

int32_t SetFont(Window& record, const char* face, int32_t points, int32_t weight, uint32_t flags,
                int32_t id) {
    if (!record.hwnd) return 0;
    if (id) {
        HWND control = FindControl(record, id);
        if (!control) return 0;
        // The window's own DC gives the resolution; the drawing state is not touched.
        HDC dc = GetDC(record.hwnd);
        SetControlFont(control, DescribeFont(dc, face, points, weight, flags));
        ReleaseDC(record.hwnd, dc);
        return 0;
    }
    HDC dc = BeginDraw(record);
    SetDrawingFont(record, dc, DescribeFont(dc, face, points, weight, flags));
    return 0;
}

int32_t ShowImage(Window& record, rt::Image image, int32_t kind, int32_t x, int32_t y,
                  int32_t width, int32_t height, uint32_t rasterOp) {
    if (!record.hwnd) return 0;
    HDC dc = BeginDraw(record);
    if (dc && image) DrawImage(dc, image, kind, x, y, width, height, rasterOp);
    EndDraw(record, dc, true);
    return 0;
}

}  // namespace tk
