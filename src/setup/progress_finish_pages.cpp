// The please-wait page, open while the installation runs, and the finish page.
#include "runtime/process.h"
#include "setup/pages.h"
#include "record/setup_state.h"
#include "toolkit/controls.h"
#include "toolkit/drawing.h"

namespace setup {

namespace {

// No caption or system menu, topmost.
constexpr uint32_t kProgressPageFlags = 0x440;
constexpr int32_t kRunBox = 3;
constexpr int32_t kFinishedButton = 301;

const PageControl kFinishControls[] = {
    {kRunBox, tk::kCheckBox, " Run Quorvex Plenar now.", 120, 200, 416, 25, kBoxStyle, kWhite,
     kBlack},
    {kFinishedButton, tk::kPushButton, "Finished", 175, 260, 80, 25, 0, kWhite, kBlack},
};

}  // namespace

void ProgressPage() {
    tk::Window& page = g_windows.ProgressWindow;
    // The handler centres the page when its creation event arrives.
    tk::OpenWindow(page, 0, 0, 500, 350, kProgressPageFlags, nullptr, " Please wait...",
                   ProgressPageHandler);
    tk::FloodFill(page, 1, 1, kBlack);
    DrawLogo(page, 100, 50, 300, 140);
    tk::SetFont(page, g_setup.FontName.c_str(), 12, g_setup.FontWeight, 0, 0);
    PrintRegisteredMark(page, 400, 122);

    const rt::NewString installingTo = rt::Concat("Installing to: ", g_setup.InstallFolder.c_str());
    const PageControl labels[] = {
        {1, tk::kStaticText, "Please wait while we copy", 0, 220, 500, 25, kCentredText, kWhite,
         kBlack},
        {2, tk::kStaticText, "Quorvex Plenar files onto your computer...", 0, 240, 500, 25,
         kCentredText, kWhite, kBlack},
        {3, tk::kStaticText, installingTo.c_str(), 0, 300, 500, 25, kCentredText, kWhite, kBlack},
    };
    AddControls(page, labels, 3);
    ColourControls(page, labels, 3);
    SetPageFonts(page, labels, 3);
    // Painted now: the installation steps that follow take no events, and the page must
    // not stand empty meanwhile (the waits between them keep it painted).
    // (Not with a page that did not open: a null window would repaint the whole desktop.)
    if (page.hwnd) {
        RedrawWindow(page.hwnd, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
}

int32_t ProgressPageHandler() {
    if (tk::g_event.EventId == WM_CREATE) tk::CenterWindow(g_windows.ProgressWindow);
    if (tk::g_event.EventId == tk::EV_CLOSE) {
        tk::CloseWindow(g_windows.ProgressWindow);
        EndSetup();
    }
    return 0;
}

void FinishPage() {
    tk::CloseWindow(g_windows.ProgressWindow);
    tk::Window& page = g_windows.PageWindow;
    OpenDarkPage(page, 350, " Run Quorvex Plenar now.", FinishPageHandler);
    tk::DrawRect(page, 0, 0, 450, 160, kBlack, kBlack);
    DrawDarkPageHeader(page);
    AddControls(page, kFinishControls, 2);
    tk::ShowImage(page, g_setup.ImageTable[4], rt::kImageBitmap, 265, 265, 16, 16, 0);
    ColourControls(page, kFinishControls, 2);
    SetPageFonts(page, kFinishControls, 2);
    tk::SetButtonState(page, kRunBox, 1);
    RunPage(page, kFinishedButton);
}

int32_t FinishPageHandler() {
    tk::Window& page = g_windows.PageWindow;
    if (tk::g_event.EventId == tk::EV_CLOSE) LeaveSetup(page);
    if (Clicked(kFinishedButton)) {
        if (tk::GetButtonState(page, kRunBox) == 1) {
            rt::RunProgram(rt::Concat(g_setup.InstallFolder.c_str(), "\\quorvexplenar.exe").c_str(),
                           "");
        }
        tk::CloseWindow(page);
    }
    return 0;
}

}  // namespace setup
