// Dialogs built in memory: the template's controls, the events their handler receives,
// modeless and modal use, and the process-wide list that the end of the program frees.
#include <doctest/doctest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gui_support.h"
#include "runtime/win.h"
#include "toolkit/controls.h"
#include "toolkit/message_box.h"
#include "toolkit/window.h"

namespace {

struct SeenEvent {
    uint32_t id;
    int32_t controlId;
    int32_t notifyCode;
    tk::Window* window;
    HWND hwnd;  // the record's window at the time
};
std::vector<SeenEvent> g_events;
int32_t g_closeWith = -1;  // a click on 301 closes the dialog with this value

int32_t DialogHandler() {
    const tk::EventRecord& e = tk::g_event;
    g_events.push_back({e.EventId, e.EventControlId, e.EventNotifyCode, e.EventWindow,
                        e.EventWindow ? e.EventWindow->hwnd : nullptr});
    if (e.EventId == tk::EV_CONTROL && e.EventControlId == 301 && e.EventNotifyCode == 0 &&
        g_closeWith >= 0) {
        tk::CloseDialog(*e.EventWindow, g_closeWith);
    }
    return 0;
}

const SeenEvent* FindEvent(uint32_t id, int32_t controlId = -1) {
    for (const SeenEvent& e : g_events) {
        if (e.id == id && (controlId < 0 || e.controlId == controlId)) return &e;
    }
    return nullptr;
}

std::string ClassOf(HWND hwnd) {
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

// A dialog with a label, a check box, a toolkit-drawn default button and a plain one.
void BuildDialog(tk::Window& dialog, uint32_t flags) {
    REQUIRE(tk::OpenDialog(dialog, 120, 100, 320, 200, flags, nullptr, " Options", DialogHandler) ==
            1);
    REQUIRE(tk::AddControl(dialog, tk::kStaticText, " Please choose:", 10, 10, 240, 20, 0, 1) == 1);
    REQUIRE(tk::AddControl(dialog, tk::kCheckBox, " Shortcut", 10, 40, 240, 20, 0, 2) == 1);
    REQUIRE(tk::AddControl(dialog, tk::kPushButton, "OK", 20, 120, 80, 26, BS_DEFPUSHBUTTON, 301) ==
            1);
    REQUIRE(tk::AddControl(dialog, tk::kPlainPushButton, "Cancel", 120, 120, 80, 26, 0, 302) == 1);
}

// Runs from the modal dialog's own message loop once the dialog is up.
void (*g_whenShown)(HWND dialog) = nullptr;

void CALLBACK ActWhenShown(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = FindWindowA("TessaroDlgClass", nullptr);
    if (!dialog || !IsWindowVisible(dialog)) return;
    KillTimer(nullptr, timer);
    g_whenShown(dialog);
}

}  // namespace

TEST_CASE("a modeless dialog built in memory") {
    g_events.clear();
    g_closeWith = -1;
    const int32_t listBefore = tk::DialogListLength();
    tk::Window dialog{};
    BuildDialog(dialog, WS_CAPTION | WS_SYSMENU);
    CHECK(dialog.hwnd == nullptr);
    CHECK(dialog.isDialog == 1);
    CHECK(dialog.dialogKeys == 1);
    CHECK(dialog.penWidth == 1);
    REQUIRE(dialog.dialogInfo != nullptr);
    CHECK(dialog.dialogInfo->style == (WS_CAPTION | WS_SYSMENU | WS_VISIBLE | 0x800000C0));
    CHECK(dialog.dialogInfo->itemCount == 4);
    CHECK(tk::DialogListLength() == listBefore + 1);
    // An id already recorded is refused.
    CHECK(tk::AddControl(dialog, tk::kStaticText, "Again", 10, 70, 100, 20, 0, 2) == 0);
    CHECK(dialog.dialogInfo->itemCount == 4);

    REQUIRE(tk::ShowDialog(dialog, 0) == 1);
    HWND hwnd = dialog.hwnd;
    REQUIRE(hwnd != nullptr);
    CHECK(IsWindowVisible(hwnd));
    CHECK(ClassOf(hwnd) == "TessaroDlgClass");
    CHECK(gui::TextOf(hwnd) == " Options");
    CHECK(GetPropA(hwnd, "DLGPTR") == &dialog);
    CHECK(tk::RecordOf(hwnd) == &dialog);

    SUBCASE("the handler saw WM_INITDIALOG with the record's window set") {
        const SeenEvent* init = FindEvent(WM_INITDIALOG);
        REQUIRE(init != nullptr);
        CHECK(init->window == &dialog);
        CHECK(init->hwnd == hwnd);
    }
    SUBCASE("its controls exist with their ids, texts and classes, and are attached") {
        struct Expected {
            int id;
            const char* text;
            const char* upperClass;
        };
        const Expected controls[] = {{1, " Please choose:", "STATIC"},
                                     {2, " Shortcut", "BUTTON"},
                                     {301, "OK", "BUTTON"},
                                     {302, "Cancel", "BUTTON"}};
        for (const Expected& c : controls) {
            CAPTURE(c.id);
            HWND control = GetDlgItem(hwnd, c.id);
            REQUIRE(control != nullptr);
            CHECK(gui::TextOf(control) == c.text);
            std::string name = ClassOf(control);
            CharUpperA(name.data());
            CHECK(name == c.upperClass);
            CHECK(GetPropA(control, "LPFN") != nullptr);
            CHECK(GetPropA(control, "BBRUSH") != nullptr);
        }
        CHECK((GetWindowLongA(GetDlgItem(hwnd, 301), GWL_STYLE) & 0xF) == BS_OWNERDRAW);
        CHECK(tk::GetButtonState(dialog, 2) == 0);
        tk::SetButtonState(dialog, 2, 1);
        CHECK(tk::GetButtonState(dialog, 2) == 1);
    }
    SUBCASE("the button asked for as default is the dialog's default") {
        const LRESULT def = SendMessageA(hwnd, DM_GETDEFID, 0, 0);
        CHECK(HIWORD(def) == DC_HASDEFID);
        CHECK(LOWORD(def) == 301);
    }
    // The dialog manager measures its own base units, which under Wine's substitute for
    // "MS Sans Serif" differ from the template's by about a sixth.
    SUBCASE("positions given in pixels land near those pixels") {
        RECT r{};
        GetWindowRect(GetDlgItem(hwnd, 2), &r);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
        CHECK(std::abs(r.left - 10) <= 2);
        CHECK(std::abs(r.top - 40) <= 2);
        CHECK(std::abs((r.right - r.left) - 240) <= 240 / 5);
        CHECK(std::abs((r.bottom - r.top) - 20) <= 3);
    }
    SUBCASE("a control's font replaces the dialog's without deleting it") {
        auto dialogFont = reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0));
        REQUIRE(dialogFont != nullptr);
        tk::SetFont(dialog, "Arial", 12, 0, 0, 2);
        CHECK(GetObjectType(dialogFont) == OBJ_FONT);
        CHECK(reinterpret_cast<HFONT>(SendMessageA(GetDlgItem(hwnd, 2), WM_GETFONT, 0, 0)) !=
              dialogFont);
    }
    SUBCASE("the close box is EV_CLOSE and closes nothing") {
        SendMessageA(hwnd, WM_CLOSE, 0, 0);
        CHECK(FindEvent(tk::EV_CLOSE) != nullptr);
        CHECK(IsWindow(hwnd));
        CHECK(dialog.hwnd == hwnd);
    }
    SUBCASE("a resize is EV_RESIZE and then WM_SIZE") {
        g_events.clear();
        SetWindowPos(hwnd, nullptr, 0, 0, 400, 260, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        size_t resize = g_events.size();
        size_t size = g_events.size();
        for (size_t i = 0; i < g_events.size(); ++i) {
            if (g_events[i].id == tk::EV_RESIZE && resize == g_events.size()) resize = i;
            if (g_events[i].id == WM_SIZE && size == g_events.size()) size = i;
        }
        REQUIRE(resize < g_events.size());
        REQUIRE(size < g_events.size());
        CHECK(resize < size);
    }
    SUBCASE("a real click on its toolkit-drawn button is EV_CONTROL") {
        gui::PumpFor(50);
        gui::ClickAt(gui::CentreOf(GetDlgItem(hwnd, 301)));
        REQUIRE(gui::PumpUntil([] { return FindEvent(tk::EV_CONTROL, 301) != nullptr; }));
        const SeenEvent* click = FindEvent(tk::EV_CONTROL, 301);
        CHECK(click->notifyCode == 0);
        CHECK(click->window == &dialog);
    }

    tk::CloseDialog(dialog, 0);
    CHECK(dialog.hwnd == nullptr);
    CHECK_FALSE(IsWindow(hwnd));
    CHECK(FindEvent(WM_DESTROY) != nullptr);
    CHECK(tk::CloseWindow(dialog) == 0);  // dialogs are not closed as windows
}

namespace {

// What the dialog and its controls held right after each one's WM_DESTROY was handled.
struct DestroyWatch {
    HWND dialog = nullptr;
    HFONT dialogFont = nullptr;
    int childrenDestroyed = 0;
    int dialogFontGoneAt = 0;  // the number of the child whose WM_DESTROY deleted it, or 0
    bool tableLeft = true;     // "TS_HANDLERS" after the dialog's own WM_DESTROY
} g_watch;

LRESULT CALLBACK WatchDestroys(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_DESTROY) {
        if (call->hwnd == g_watch.dialog) {
            g_watch.tableLeft = GetPropA(call->hwnd, "TS_HANDLERS") != nullptr;
        } else if (GetParent(call->hwnd) == g_watch.dialog) {
            ++g_watch.childrenDestroyed;
            if (!g_watch.dialogFontGoneAt && GetObjectType(g_watch.dialogFont) != OBJ_FONT) {
                g_watch.dialogFontGoneAt = g_watch.childrenDestroyed;
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

int32_t g_tableCalls = 0;
int32_t CountTableCall(int32_t* result) {
    ++g_tableCalls;
    return *result;
}

}  // namespace

TEST_CASE("closing a dialog frees what the toolkit made for it and leaves the dialog's font") {
    g_events.clear();
    g_closeWith = -1;
    tk::Window dialog{};
    BuildDialog(dialog, WS_CAPTION | WS_SYSMENU);
    REQUIRE(tk::ShowDialog(dialog, 0) == 1);
    HWND hwnd = dialog.hwnd;
    g_watch = DestroyWatch{};
    g_watch.dialog = hwnd;
    g_watch.dialogFont = reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0));
    REQUIRE(g_watch.dialogFont != nullptr);
    REQUIRE(reinterpret_cast<HFONT>(SendMessageA(GetDlgItem(hwnd, 1), WM_GETFONT, 0, 0)) ==
            g_watch.dialogFont);
    tk::SetFont(dialog, "Arial", 12, 0, 0, 2);
    auto ownFont = reinterpret_cast<HFONT>(SendMessageA(GetDlgItem(hwnd, 2), WM_GETFONT, 0, 0));
    REQUIRE(ownFont != g_watch.dialogFont);
    g_tableCalls = 0;
    REQUIRE(tk::AddMessageHandler(dialog, WM_DESTROY, CountTableCall));
    REQUIRE(GetPropA(hwnd, "TS_HANDLERS") != nullptr);

    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROCRET, WatchDestroys, nullptr, GetCurrentThreadId());
    REQUIRE(hook != nullptr);
    tk::CloseDialog(dialog, 0);
    UnhookWindowsHookEx(hook);

    CHECK(g_watch.childrenDestroyed == 4);
    // The dialog manager frees its font after the controls are gone; none of them may.
    CHECK(g_watch.dialogFontGoneAt == 0);
    CHECK(GetObjectType(ownFont) == 0);
    CHECK(g_tableCalls == 1);  // the table still served WM_DESTROY ...
    CHECK_FALSE(g_watch.tableLeft);  // ... and was freed with the dialog
}

TEST_CASE("a modal dialog returns the value it is closed with") {
    g_events.clear();
    tk::Window dialog{};
    BuildDialog(dialog, WS_CAPTION | WS_SYSMENU);

    SUBCASE("closed by its handler on a click") {
        g_closeWith = 7;
        g_whenShown = [](HWND shown) { gui::ClickAt(gui::CentreOf(GetDlgItem(shown, 301))); };
        SetTimer(nullptr, 0, 20, ActWhenShown);
        CHECK(tk::ShowDialog(dialog, 1) == 7);
        CHECK(FindEvent(tk::EV_CONTROL, 301) != nullptr);
    }
    SUBCASE("the close box ends it with 2 and is still reported") {
        g_closeWith = -1;
        g_whenShown = [](HWND shown) { PostMessageA(shown, WM_CLOSE, 0, 0); };
        SetTimer(nullptr, 0, 20, ActWhenShown);
        CHECK(tk::ShowDialog(dialog, 1) == 2);
        CHECK(FindEvent(tk::EV_CLOSE) != nullptr);
    }
    CHECK(dialog.hwnd == nullptr);
    g_closeWith = -1;
}

TEST_CASE("a dialog flagged 0x800 is not shown") {
    tk::Window dialog{};
    BuildDialog(dialog, WS_CAPTION | tk::kDialogHidden);
    CHECK((dialog.dialogInfo->style & WS_VISIBLE) == 0);
    CHECK((dialog.dialogInfo->style & tk::kDialogHidden) == 0);
    REQUIRE(tk::ShowDialog(dialog, 0) == 1);
    CHECK_FALSE(IsWindowVisible(dialog.hwnd));
    tk::CloseDialog(dialog, 0);
}

TEST_CASE("an open record is not made a dialog") {
    tk::Window dialog{};
    BuildDialog(dialog, WS_CAPTION);
    REQUIRE(tk::ShowDialog(dialog, 0) == 1);
    CHECK(tk::OpenDialog(dialog, 0, 0, 100, 100, 0, nullptr, "x", DialogHandler) == 0);
    CHECK(tk::ShowDialog(dialog, 0) == 0);  // already shown
    tk::CloseDialog(dialog, 0);
}

TEST_CASE("ReleaseDialogs frees the list of every dialog made") {
    tk::Window dialog{};
    BuildDialog(dialog, WS_CAPTION);
    CHECK(tk::DialogListLength() >= 1);
    tk::ReleaseDialogs();
    CHECK(tk::DialogListLength() == 0);
    tk::ReleaseDialogs();  // nothing left: nothing happens
    CHECK(tk::DialogListLength() == 0);
}
