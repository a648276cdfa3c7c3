// A page in the setup program's dark look, built from toolkit operations only, kept on
// the screen for a few seconds so that it can be looked at (run by hand; not a test):
//   tools/wine-run.sh build/x64/wine build/x64/tests/toolkit/preview_tk_page.exe [ms]
#include <cstdlib>
#include <initializer_list>

#include "runtime/strings.h"
#include "runtime/win.h"
#include "toolkit/controls.h"
#include "toolkit/drawing.h"
#include "toolkit/window.h"

using namespace tk;

namespace {

Window g_page{};

int32_t PageHandler() {
    if (g_event.EventId == EV_CLOSE ||
        (g_event.EventId == EV_CONTROL && g_event.EventNotifyCode == 0 &&
         (g_event.EventControlId == 301 || g_event.EventControlId == 302))) {
        CloseWindow(g_page);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const DWORD showFor = argc > 1 ? static_cast<DWORD>(std::atoi(argv[1])) : 4000;
    rt::RuntimeStart();
    OpenWindow(g_page, 250, 200, 450, 450, 0x70000, nullptr, " Quorvex Plenar options.",
               PageHandler);
    CenterWindow(g_page);
    FloodFill(g_page, 1, 1, 0);
    MoveTo(g_page, 400, 85);
    SetPenColor(g_page, 0xFFFFFF);
    SetTextBackColor(g_page, 0);
    const PrintItem mark[] = {{9, &g_page}, {0, "\xAE"}, {0, "\r\n"}};
    PrintText(3, mark);
    DrawRect(g_page, 70, 10, 300, 145, 0x0000C0, -1);

    AddControl(g_page, kStaticText, " Please select one option below:", 78, 170, 450, 25, 0, 1);
    AddControl(g_page, kRadioButton, " Setup Quorvex Plenar version  2.11", 80, 200, 416, 25, 0, 2);
    AddControl(g_page, kRadioButton, " Repair Quorvex Plenar", 80, 240, 416, 25, 0, 3);
    AddControl(g_page, kRadioButton, " Uninstall Quorvex Plenar", 80, 280, 416, 25, 0, 4);
    AddControl(g_page, kPushButton, "Next >", 350, 380, 70, 25, 0, 301);
    AddControl(g_page, kPushButton, "Exit", 20, 380, 70, 25, 0, 302);
    SetControlColor(g_page, 1, 0x80FFFF, 0);
    for (int32_t id : {2, 3, 4, 301, 302}) SetControlColor(g_page, id, 0xFFFFFF, 0);
    SetButtonState(g_page, 2, 1);
    for (int32_t id : {1, 2, 3, 4, 301, 302}) SetFont(g_page, "Arial", 12, 0, 0, id);
    SetFocus(g_page, 301);

    const DWORD start = GetTickCount();
    while (g_page.hwnd && GetTickCount() - start < showFor) {
        WaitEvents(1);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    CloseWindow(g_page);
    rt::RuntimeStop();
    return 0;
}
