// What the pages share: building from tables of controls, the dark look, the event
// loop and the way out.
#include "runtime/strings.h"
#include "setup/pages.h"
#include "record/setup_state.h"
#include "toolkit/controls.h"
#include "toolkit/drawing.h"

namespace setup {

namespace {

constexpr int32_t kPageFontPoints = 12;
constexpr int32_t kDarkPageWidth = 450;
// Requested before CenterWindow moves the page to the centre of the work area.
constexpr int32_t kRequestedX = 250;
constexpr int32_t kRequestedY = 200;

}  // namespace

void AddControls(tk::Window& page, const PageControl* controls, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        const PageControl& c = controls[i];
        tk::AddControl(page, c.kind, c.text, c.x, c.y, c.width, c.height, c.style, c.id);
    }
}

void ColourControls(tk::Window& page, const PageControl* controls, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        tk::SetControlColor(page, controls[i].id, controls[i].textColour, controls[i].backColour);
    }
}

void SetPageFonts(tk::Window& page, const PageControl* controls, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        tk::SetFont(page, g_setup.FontName.c_str(), kPageFontPoints, g_setup.FontWeight, 0,
                    controls[i].id);
    }
}

void OpenDarkPage(tk::Window& page, int32_t height, const char* title,
                  tk::HandlerRoutine handler) {
    g_setup.PageResult = 0;
    tk::OpenWindow(page, kRequestedX, kRequestedY, kDarkPageWidth, height, kDarkPageFlags, nullptr,
                   title, handler);
    tk::CenterWindow(page);
    tk::FloodFill(page, 1, 1, kBlack);
}

void DrawLogo(tk::Window& page, int32_t x, int32_t y, int32_t width, int32_t height) {
    tk::ShowImage(page, g_setup.ImageTable[3], rt::kImagePicture, x, y, width, height, 0);
}

void PrintRegisteredMark(tk::Window& page, int32_t x, int32_t y) {
    tk::MoveTo(page, x, y);
    tk::SetPenColor(page, kWhite);
    tk::SetTextBackColor(page, kBlack);
    const tk::PrintItem mark[] = {{9, &page}, {0, "\xAE"}, {0, "\r\n"}};
    tk::PrintText(3, mark);
}

void DrawDarkPageHeader(tk::Window& page) {
    DrawLogo(page, 70, 10, 300, 145);
    // Right of the page's width: it shows only when the page is widened.
    PrintRegisteredMark(page, 600, 85);
}

void PageLoop(tk::Window& page, int32_t forwardId) {
    tk::SetPageKeys(page, forwardId);
    while (page.hwnd) tk::WaitEvents(0);
}

void RunPage(tk::Window& page, int32_t forwardId) {
    tk::SetFocus(page, 0);
    PageLoop(page, forwardId);
}

bool Clicked(int32_t id) {
    return tk::g_event.EventId == tk::EV_CONTROL && tk::g_event.EventNotifyCode == 0 &&
           tk::g_event.EventControlId == id;
}

int32_t TypedCharacter() {
    return tk::g_event.EventId == WM_CHAR ? static_cast<int32_t>(tk::g_event.EventWParam) : 0;
}

void LeaveSetup(tk::Window& page) {
    tk::CloseWindow(page);
    ReleasePageImages();
    EndSetup();
}

}  // namespace setup
