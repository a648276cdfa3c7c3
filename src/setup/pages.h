// The setup program's pages and what they share.
//
// A page routine opens one window with a Handler routine, fills it, and runs the
// toolkit's event loop until the handler closes the window; the results stay in the
// Global setup record. Every way of leaving that means "stop" ends the program inside
// the handler. Handlers read the Event record and always return 0.
#pragma once

#include <cstdint>

#include "toolkit/window.h"

namespace setup {

// ---- The pages -------------------------------------------------------------------------

void OptionsPage();  // Setup, Repair or Uninstall of the installed version
int32_t OptionsPageHandler();
void LicensePage();  // returns only once the licence was accepted
void FillLicenseText();
int32_t LicensePageHandler();
void MeasurementPage();  // speed and temperature units
void BuildMeasurementPage();  // the page as it first shows, without its event loop
int32_t MeasurementPageHandler();
void ShortcutPage();  // which desktop shortcuts to make
int32_t ShortcutPageHandler();
void ProgressPage();  // returns at once; the page stays open while the installation runs
int32_t ProgressPageHandler();
void FinishPage();  // closes the please-wait page; may start the application
int32_t FinishPageHandler();
void UninstallConfirmPage();  // returns only when the user said yes
int32_t UninstallConfirmHandler();
void UninstallDonePage();
int32_t UninstallDoneHandler();

// ---- What the pages share ----------------------------------------------------------

inline constexpr COLORREF kBlack = 0x000000;
inline constexpr COLORREF kWhite = 0xFFFFFF;
inline constexpr COLORREF kPaleYellow = 0x80FFFF;  // headlines of the dark pages

// Ids of the push buttons of the 450-pixel-wide pages.
inline constexpr int32_t kNextButton = 301;
inline constexpr int32_t kExitButton = 302;
inline constexpr int32_t kBackButton = 303;

// OptionChoice: what the options page chose (and 1 again once an uninstall is confirmed).
inline constexpr int32_t kChoseUninstall = 1;
inline constexpr int32_t kChoseRepair = 2;
inline constexpr int32_t kChoseSetup = 3;

// Control styles the pages share.
inline constexpr uint32_t kCentredText = 1;       // SS_CENTER
inline constexpr uint32_t kBoxStyle = 0x50000003;  // child, visible, automatic check box
// The Escape key as a typed character.
inline constexpr int32_t kEscape = 27;

// Window flags of the 450-pixel-wide pages: sizing border, minimise and maximise boxes.
inline constexpr uint32_t kDarkPageFlags = 0x70000;

// One control of a page, as it is added and coloured.
struct PageControl {
    int32_t id;
    int32_t kind;
    const char* text;
    int32_t x, y, width, height;
    uint32_t style;
    COLORREF textColour;
    COLORREF backColour;
};

// Adds the controls in order.
void AddControls(tk::Window& page, const PageControl* controls, int32_t count);
// Gives each control its colours.
void ColourControls(tk::Window& page, const PageControl* controls, int32_t count);
// The pages' font (FontName, 12 points, FontWeight) for each control.
void SetPageFonts(tk::Window& page, const PageControl* controls, int32_t count);

// Opens a 450-pixel-wide dark page at the screen's centre, filled black; PageResult 0.
void OpenDarkPage(tk::Window& page, int32_t height, const char* title,
                  tk::HandlerRoutine handler);
// The maker's logo, scaled.
void DrawLogo(tk::Window& page, int32_t x, int32_t y, int32_t width, int32_t height);
// The registered mark, white on black, at the drawing position.
void PrintRegisteredMark(tk::Window& page, int32_t x, int32_t y);
// Logo and mark where the 450-pixel-wide pages have them.
void DrawDarkPageHeader(tk::Window& page);
// The page's keys (Tab, the arrows, Space; Enter works the focused push button or else
// forwardId's; Escape is the close box), then the event loop until the page closes.
void PageLoop(tk::Window& page, int32_t forwardId);
// Keyboard focus to the page window itself, then PageLoop.
void RunPage(tk::Window& page, int32_t forwardId);

// A click (notification code 0) on the control.
bool Clicked(int32_t id);
// A typed character that reached the page window, as its code.
int32_t TypedCharacter();
// Closes the page, releases the page images and ends the program.
[[noreturn]] void LeaveSetup(tk::Window& page);

}  // namespace setup
