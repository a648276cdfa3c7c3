// The options page: Setup, Repair or Uninstall when this version is installed already.
#include "setup/pages.h"
#include "record/setup_state.h"
#include "toolkit/controls.h"

namespace setup {

namespace {

enum : int32_t { kHeadline = 1, kSetupChoice = 2, kRepairChoice = 3, kUninstallChoice = 4 };

// The choices' texts are made when the page is built: the Setup one names the version.
const PageControl kHeadlineAndChoices[] = {
    {kHeadline, tk::kStaticText, " Please select one option below:", 78, 170, 450, 25, 0,
     kPaleYellow, kBlack},
    {kSetupChoice, tk::kRadioButton, nullptr, 80, 200, 416, 25, 0, kWhite, kBlack},
    {kRepairChoice, tk::kRadioButton, " Repair Quorvex Plenar", 80, 240, 416, 25, 0, kWhite,
     kBlack},
    {kUninstallChoice, tk::kRadioButton, " Uninstall Quorvex Plenar", 80, 280, 416, 25, 0, kWhite,
     kBlack},
};
const PageControl kButtons[] = {
    {kNextButton, tk::kPushButton, "Next >", 350, 380, 70, 25, 0, kWhite, kBlack},
    {kExitButton, tk::kPushButton, "Exit", 20, 380, 70, 25, 0, kWhite, kBlack},
};

}  // namespace

void OptionsPage() {
    tk::Window& page = g_windows.PageWindow;
    OpenDarkPage(page, 450, " Quorvex Plenar options.", OptionsPageHandler);
    tk::SetWindowIcon(page, static_cast<HICON>(g_setup.WindowIcon));
    DrawDarkPageHeader(page);

    PageControl choices[4];
    for (int32_t i = 0; i < 4; ++i) choices[i] = kHeadlineAndChoices[i];
    // The version text starts with a blank, so two blanks follow the word version.
    const rt::NewString setupText =
        rt::Concat(" Setup Quorvex Plenar version ", g_setup.VersionText.c_str());
    choices[1].text = setupText.c_str();
    AddControls(page, choices, 4);
    tk::ShowImage(page, g_setup.ImageTable[19], rt::kImagePicture, 40, 205, 24, 24, 0);
    tk::ShowImage(page, g_setup.ImageTable[20], rt::kImagePicture, 40, 242, 24, 24, 0);
    tk::ShowImage(page, g_setup.ImageTable[5], rt::kImageBitmap, 43, 286, 24, 24, 0);
    AddControls(page, kButtons, 2);

    ColourControls(page, choices, 4);
    ColourControls(page, kButtons, 2);
    tk::SetButtonState(page, kSetupChoice, 1);
    tk::SetButtonState(page, kRepairChoice, 0);
    tk::SetButtonState(page, kUninstallChoice, 0);
    SetPageFonts(page, choices, 4);
    SetPageFonts(page, kButtons, 2);
    RunPage(page, kNextButton);
}

int32_t OptionsPageHandler() {
    tk::Window& page = g_windows.PageWindow;
    if (tk::g_event.EventId == tk::EV_CLOSE || Clicked(kExitButton)) LeaveSetup(page);
    if (Clicked(kNextButton)) {
        g_setup.SetupSelected = tk::GetButtonState(page, kSetupChoice);
        g_setup.RepairSelected = tk::GetButtonState(page, kRepairChoice);
        g_setup.UninstallSelected = tk::GetButtonState(page, kUninstallChoice);
        // Tested in this order; a later match wins.
        if (g_setup.SetupSelected == 1) g_setup.OptionChoice = kChoseSetup;
        if (g_setup.RepairSelected == 1) g_setup.OptionChoice = kChoseRepair;
        if (g_setup.UninstallSelected == 1) g_setup.OptionChoice = kChoseUninstall;
        tk::CloseWindow(page);
    }
    return 0;
}

}  // namespace setup
