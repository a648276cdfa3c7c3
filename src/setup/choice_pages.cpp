// The measurement page (speed and temperature units, written at the installation step) and the
// shortcut page (which desktop shortcuts the installation makes).
#include <iterator>

#include "setup/pages.h"
#include "record/setup_state.h"
#include "toolkit/controls.h"

namespace setup {

namespace {

enum : int32_t { kHeadline = 1, kMiles = 2, kKilometres = 3, kCelsius = 4, kFahrenheit = 5 };
enum : int32_t { kAppShortcutBox = 2, kLogShortcutBox = 3 };

// "< Back", "Next >" and "Exit", added after each page's choices.
const PageControl kWizardButtons[] = {
    {kBackButton, tk::kPushButton, "< Back", 270, 380, 70, 25, 0, kWhite, kBlack},
    {kNextButton, tk::kPushButton, "Next >", 350, 380, 70, 25, 0, kWhite, kBlack},
    {kExitButton, tk::kPushButton, "Exit", 20, 380, 70, 25, 0, kWhite, kBlack},
};
constexpr int32_t kWizardButtonCount = 3;

const PageControl kMeasurementControls[] = {
    {kHeadline, tk::kStaticText, " Please select your measurement preferences", 0, 170, 450, 25,
     kCentredText, kPaleYellow, kBlack},
    {kMiles, tk::kCheckBox, " Miles Per Hour", 150, 200, 416, 25, kBoxStyle, kWhite, kBlack},
    {kKilometres, tk::kCheckBox, " Kilometers Per Hour", 150, 230, 416, 25, kBoxStyle, kWhite,
     kBlack},
    {kCelsius, tk::kCheckBox, " Degrees C", 150, 290, 416, 25, kBoxStyle, kWhite, kBlack},
    {kFahrenheit, tk::kCheckBox, " Degrees F", 150, 320, 416, 25, kBoxStyle, kWhite, kBlack},
};

const PageControl kShortcutControls[] = {
    {kHeadline, tk::kStaticText, " Do you want to create desktop shortcuts?", 0, 170, 450, 25,
     kCentredText, kPaleYellow, kBlack},
    {kAppShortcutBox, tk::kCheckBox, " Create a desktop shortcut for Quorvex", 88, 200, 416, 25,
     kBoxStyle, kWhite, kBlack},
    {kLogShortcutBox, tk::kCheckBox, " Create a desktop shortcut for log files", 88, 230, 416, 25,
     kBoxStyle, kWhite, kBlack},
};

// A unit chosen when its box is checked as "Next >" is pressed ("Speede" and "Tempe").
struct UnitValue {
    int32_t box;
    rt::Text GlobalSetup::*unit;
    const char* text;
};
constexpr UnitValue kUnitValues[] = {
    {kMiles, &GlobalSetup::SpeedUnit, "M"},
    {kKilometres, &GlobalSetup::SpeedUnit, "K"},
    {kCelsius, &GlobalSetup::TemperatureUnit, "C"},
    {kFahrenheit, &GlobalSetup::TemperatureUnit, "F"},
};

// The other box of each pair, which a click on one box unchecks.
struct BoxPair {
    int32_t clicked;
    int32_t other;
};
constexpr BoxPair kExclusivePairs[] = {
    {kMiles, kKilometres}, {kKilometres, kMiles}, {kCelsius, kFahrenheit}, {kFahrenheit, kCelsius}};

// The page up to the choices' states: window, header, controls and their colours.
void BuildChoicePage(const char* title, tk::HandlerRoutine handler, const PageControl* choices,
                     int32_t count) {
    tk::Window& page = g_windows.PageWindow;
    OpenDarkPage(page, 450, title, handler);
    DrawDarkPageHeader(page);
    AddControls(page, choices, count);
    AddControls(page, kWizardButtons, kWizardButtonCount);
    ColourControls(page, choices, count);
    ColourControls(page, kWizardButtons, kWizardButtonCount);
}

void SetChoicePageFonts(const PageControl* choices, int32_t count) {
    SetPageFonts(g_windows.PageWindow, choices, count);
    SetPageFonts(g_windows.PageWindow, kWizardButtons, kWizardButtonCount);
}

// Back and Exit, the same on both pages.
void HandleBackAndExit() {
    tk::Window& page = g_windows.PageWindow;
    if (tk::g_event.EventId == tk::EV_CLOSE || Clicked(kExitButton)) LeaveSetup(page);
    if (Clicked(kBackButton)) {
        g_setup.PageResult = 1;
        tk::CloseWindow(page);
    }
}

int32_t Flipped(int32_t choice) { return choice == 0 ? 1 : 0; }

}  // namespace

void BuildMeasurementPage() {
    tk::Window& page = g_windows.PageWindow;
    BuildChoicePage(" Quorvex Plenar Measurements.", MeasurementPageHandler, kMeasurementControls,
                    std::size(kMeasurementControls));
    tk::SetButtonState(page, kMiles, 1);
    tk::SetButtonState(page, kKilometres, 0);
    tk::SetButtonState(page, kCelsius, 1);
    tk::SetButtonState(page, kFahrenheit, 0);
    SetChoicePageFonts(kMeasurementControls, std::size(kMeasurementControls));
}

void MeasurementPage() {
    BuildMeasurementPage();
    RunPage(g_windows.PageWindow, kNextButton);
}

int32_t MeasurementPageHandler() {
    tk::Window& page = g_windows.PageWindow;
    HandleBackAndExit();
    for (const BoxPair& pair : kExclusivePairs) {
        if (Clicked(pair.clicked)) tk::SetButtonState(page, pair.other, 0);
    }
    if (Clicked(kNextButton)) {
        // A pair with neither box checked keeps the earlier choice (none: nothing written).
        for (const UnitValue& unit : kUnitValues) {
            if (tk::GetButtonState(page, unit.box) == 1) g_setup.*unit.unit = unit.text;
        }
        tk::CloseWindow(page);
    }
    return 0;
}

void ShortcutPage() {
    tk::Window& page = g_windows.PageWindow;
    BuildChoicePage(" Quorvex Plenar Desktop Shortcut.", ShortcutPageHandler, kShortcutControls,
                    std::size(kShortcutControls));
    tk::SetButtonState(page, kAppShortcutBox, 1);
    tk::SetButtonState(page, kLogShortcutBox, 1);
    SetChoicePageFonts(kShortcutControls, std::size(kShortcutControls));
    g_setup.ShortcutForApp = 1;
    g_setup.ShortcutForLogs = 1;
    RunPage(page, kNextButton);
}

int32_t ShortcutPageHandler() {
    HandleBackAndExit();
    // The boxes flip themselves; the choices follow them.
    if (Clicked(kAppShortcutBox)) g_setup.ShortcutForApp = Flipped(g_setup.ShortcutForApp);
    if (Clicked(kLogShortcutBox)) g_setup.ShortcutForLogs = Flipped(g_setup.ShortcutForLogs);
    if (Clicked(kNextButton)) tk::CloseWindow(g_windows.PageWindow);
    return 0;
}

}  // namespace setup
