// The licence agreement page: the only white page, and the only one with keys.
#include "setup/license_lines.h"
#include "setup/pages.h"
#include "record/setup_state.h"
#include "toolkit/controls.h"
#include "toolkit/drawing.h"

namespace setup {

namespace {

enum : int32_t {
    kLicenseList = 747,
    kCancelButton = 101,
    kLicenseNextButton = 700,
    kAcceptChoice = 105,
    kDeclineChoice = 106,
    kScrollHint = 76,
    kInstallNotice = 74,
    kSelectHint = 73,
};

// Minimise and maximise boxes, no sizing border.
constexpr uint32_t kLicensePageFlags = 0x30000;
// Vertical and horizontal scroll bars; clicks notify the page.
constexpr uint32_t kListStyle = 0x300001;
// Child, visible, automatic radio button (no tab-stop bit: the page's keys reach it).
constexpr uint32_t kChoiceStyle = 0x50000009;

const PageControl kList = {kLicenseList, tk::kListBox, "", 10, 10, 640, 180, kListStyle, 0, 0};
// What screen readers call the list, which shows no text of its own.
constexpr char kListName[] = "License agreement";
const PageControl kCancelAndNext[] = {
    {kCancelButton, tk::kPushButton, "Cancel", 482, 340, 70, 25, 0, kBlack, kWhite},
    {kLicenseNextButton, tk::kPushButton, "Next >", 580, 340, 70, 25, 0, kBlack, kWhite},
};
const PageControl kAccept = {kAcceptChoice, tk::kRadioButton, "Accept the terms and conditions",
                             35, 295, 350, 20, kChoiceStyle, kBlack, kWhite};
const PageControl kDecline = {kDeclineChoice, tk::kRadioButton, "Decline", 35, 320, 200, 20,
                              kChoiceStyle, kBlack, kWhite};
// The notice's text names the version; it is made when the page is built.
const PageControl kLabels[] = {
    {kScrollHint, tk::kStaticText,
     "Please use the scroll bar to read the full license agreement.", 10, 200, 500, 25, 0, kBlack,
     kWhite},
    {kInstallNotice, tk::kStaticText, nullptr, 10, 230, 750, 25, 0, kBlack, kWhite},
    {kSelectHint, tk::kStaticText, "Please select accept to continue, or decline to exit setup.",
     12, 260, 650, 25, 0, kBlack, kWhite},
};

void DrawImage(int32_t resource, int32_t x, int32_t y) {
    tk::ShowImage(g_windows.LicenseWindow, g_setup.ImageTable[resource], rt::kImageBitmap, x, y, 16,
                  16, 0);
}

// "Next >" shows, with the green tick beside it.
void ShowNext() {
    tk::ShowControl(g_windows.LicenseWindow, SW_RESTORE, kLicenseNextButton);
    DrawImage(11, 560, 347);
}

void SetFont(int32_t id) {
    tk::SetFont(g_windows.LicenseWindow, g_setup.FontName.c_str(), 12, g_setup.FontWeight, 0, id);
}

void HandleKey(int32_t key) {
    tk::Window& page = g_windows.LicenseWindow;
    if (key == 'A' || key == 'a') {
        ShowNext();
        tk::SetButtonState(page, kAcceptChoice, 1);
        g_setup.AcceptedByKey = 1;
    } else if (key == 'D' || key == 'd') {
        LeaveSetup(page);
    } else {
        // Only an acceptance by key arms the N key.
        if (g_setup.AcceptedByKey == 1 && (key == 'N' || key == 'n')) tk::CloseWindow(page);
        if (key == 'C' || key == 'c' || key == kEscape) LeaveSetup(page);
    }
}

}  // namespace

void LicensePage() {
    tk::Window& page = g_windows.LicenseWindow;
    tk::OpenWindow(page, 0, 0, 670, 400, kLicensePageFlags, nullptr,
                   " End user License agreement - Quorvex Plenar\xA9 by Brindlemark\xAE.",
                   LicensePageHandler);
    tk::CenterWindow(page);
    tk::SetWindowIcon(page, static_cast<HICON>(g_setup.WindowIcon));
    g_setup.PageResult = 0;
    g_setup.FillColor = {255, 255, 255};
    tk::FloodFill(page, 1, 1,
                  tk::Rgb(g_setup.FillColor.red, g_setup.FillColor.green, g_setup.FillColor.blue));

    AddControls(page, &kList, 1);
    tk::SetAccessibleName(page, kLicenseList, kListName);
    AddControls(page, &kCancelAndNext[0], 1);
    DrawImage(10, 462, 347);
    AddControls(page, &kCancelAndNext[1], 1);
    ColourControls(page, kCancelAndNext, 2);
    tk::ShowControl(page, SW_HIDE, kLicenseNextButton);

    AddControls(page, &kAccept, 1);
    DrawImage(11, 15, 297);
    AddControls(page, &kDecline, 1);
    DrawImage(10, 15, 322);
    ColourControls(page, &kAccept, 1);
    ColourControls(page, &kDecline, 1);

    PageControl labels[3] = {kLabels[0], kLabels[1], kLabels[2]};
    const rt::NewString notice = rt::Concat("This program will install Quorvex Plenar\xA9 version",
                                            g_setup.VersionText.c_str(), " on your computer.");
    labels[1].text = notice.c_str();
    AddControls(page, labels, 3);
    ColourControls(page, labels, 3);

    constexpr int32_t kPageFontIds[] = {kSelectHint, kScrollHint, kInstallNotice, kAcceptChoice,
                                        kDeclineChoice};
    for (int32_t id : kPageFontIds) SetFont(id);
    tk::SetFont(page, g_setup.FontName.c_str(), 10, 550, 0, kLicenseList);
    FillLicenseText();
    // No focus of its own: the list is where the user starts.
    PageLoop(page, kLicenseNextButton);
}

void FillLicenseText() {
    tk::Window& page = g_windows.LicenseWindow;
    // Drawn once when all lines are in, not once a line.
    tk::SetControlRedraw(page, kLicenseList, 0);
    for (const char* line : kLicenseLines) tk::AddString(page, kLicenseList, line);
    tk::SetControlRedraw(page, kLicenseList, 1);
}

int32_t LicensePageHandler() {
    tk::Window& page = g_windows.LicenseWindow;
    if (tk::g_event.EventId == tk::EV_CLOSE) LeaveSetup(page);
    if (tk::g_event.EventId == WM_CHAR) HandleKey(TypedCharacter());
    if (Clicked(kCancelButton) || Clicked(kDeclineChoice)) LeaveSetup(page);
    if (Clicked(kLicenseNextButton)) tk::CloseWindow(page);
    if (Clicked(kAcceptChoice)) ShowNext();
    return 0;
}

}  // namespace setup
