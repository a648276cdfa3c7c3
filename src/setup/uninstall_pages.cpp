// The uninstall confirmation page and the uninstall-finished page.
#include "setup/pages.h"
#include "record/setup_state.h"
#include "toolkit/controls.h"
#include "toolkit/drawing.h"

namespace setup {

namespace {

// Sizing border, minimise and maximise boxes, topmost.
constexpr uint32_t kUninstallPageFlags = 0x70400;

enum : int32_t { kQuestion = 73, kYesButton = 2, kNoButton = 110 };
enum : int32_t { kThanks = 1, kDoneText = 8, kFinishedButton = 101 };

const PageControl kQuestionLabel = {kQuestion, tk::kStaticText,
                                    " Are you sure you want to uninstall Quorvex Plenar?", 0, 185,
                                    520, 25, kCentredText, kWhite, kBlack};
const PageControl kYes = {kYesButton, tk::kPushButton, "Yes", 250, 225, 60, 25, 0, kWhite, kBlack};
const PageControl kNo = {kNoButton, tk::kPushButton, "No", 350, 225, 60, 25, 0, kWhite, kBlack};
// Coloured and given fonts in this order.
const PageControl kConfirmControls[] = {kQuestionLabel, kNo, kYes};

const PageControl kDoneControls[] = {
    {kThanks, tk::kStaticText, "  Thank You for using Quorvex", 34, 52, 346, 19, 0x50000101,
     kBlack, kWhite},
    {kDoneText, tk::kStaticText, "  The uninstall has finished successfully", 34, 72, 346, 19,
     0x50000101, kBlack, kWhite},
    {kFinishedButton, tk::kPushButton, "Finished", 165, 160, 100, 25, 0x50800009, kBlack, kWhite},
};

void Confirm() {
    tk::CloseWindow(g_windows.UninstallConfirmWindow);
    g_setup.OptionChoice = 1;
}

}  // namespace

void UninstallConfirmPage() {
    tk::Window& page = g_windows.UninstallConfirmWindow;
    tk::OpenWindow(page, 250, 120, 530, 325, kUninstallPageFlags, nullptr,
                   " Uninstall Quorvex Plenar.", UninstallConfirmHandler);
    tk::CenterWindow(page);
    tk::FloodFill(page, 1, 1, kBlack);
    AddControls(page, &kQuestionLabel, 1);
    DrawLogo(page, 110, 10, 300, 145);
    PrintRegisteredMark(page, 410, 85);  // at the logo's right edge: visible on this page
    AddControls(page, &kYes, 1);
    tk::ShowImage(page, g_setup.ImageTable[5], rt::kImageBitmap, 315, 230, 16, 16, 0);
    AddControls(page, &kNo, 1);
    tk::ShowImage(page, g_setup.ImageTable[4], rt::kImageBitmap, 415, 230, 16, 16, 0);
    ColourControls(page, kConfirmControls, 3);
    SetPageFonts(page, &kQuestionLabel, 1);
    SetPageFonts(page, &kYes, 1);
    SetPageFonts(page, &kNo, 1);
    tk::SetWindowIcon(page, static_cast<HICON>(g_setup.WindowIcon));
    // Enter works only a focused button: a stray key must not remove anything.
    PageLoop(page, 0);
}

int32_t UninstallConfirmHandler() {
    tk::Window& page = g_windows.UninstallConfirmWindow;
    const int32_t key = TypedCharacter();
    if (tk::g_event.EventId == tk::EV_CLOSE || Clicked(kNoButton)) LeaveSetup(page);
    if (key == 'N' || key == 'n' || key == kEscape) LeaveSetup(page);
    if (key == 'Y' || key == 'y' || Clicked(kYesButton)) Confirm();
    return 0;
}

void UninstallDonePage() {
    tk::Window& page = g_windows.UninstallDoneWindow;
    tk::OpenWindow(page, 250, 200, 423, 252, kUninstallPageFlags, nullptr,
                   " Quorvex uninstall done!", UninstallDoneHandler);
    tk::CenterWindow(page);
    AddControls(page, kDoneControls, 3);
    ColourControls(page, kDoneControls, 3);
    SetPageFonts(page, kDoneControls, 3);
    PageLoop(page, kFinishedButton);
}

int32_t UninstallDoneHandler() {
    // The close box ends the page like "Finished": the uninstall is done either way.
    if (tk::g_event.EventId == tk::EV_CLOSE || Clicked(kFinishedButton)) {
        tk::CloseWindow(g_windows.UninstallDoneWindow);
    }
    return 0;
}

}  // namespace setup
