// The screen probe's accessibility reader: what a screen reader learns of a program's
// windows, read the way screen readers read it, through Active Accessibility (oleacc)
// and the platform's focus events.
//
//   acc TITLE     the window's accessible object, then each child control's:
//                 {"id", "name", "role", "state", "focused", "checked"}
//   accfocus      the object of the focus window of the foreground window's thread
//   focusevents   the EVENT_OBJECT_FOCUS events raised since the last ask, each with the
//                 control's id and the name of the object it names; the first ask starts
//                 the watch and answers an empty list
// clang-format off
#include <windows.h>
#include <oleacc.h>
// clang-format on

#include <cstdio>
#include <string>
#include <vector>

#include "probe.h"

namespace {

// A UTF-16 text in code page 1252, as the rest of the probe's answers are.
std::string Narrow(const wchar_t* text) {
    if (!text || !*text) return {};
    const int length = WideCharToMultiByte(1252, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(1252, 0, text, -1, &out[0], length, nullptr, nullptr);
    out.resize(static_cast<size_t>(length > 0 ? length - 1 : 0));
    return out;
}

std::string Error(const std::string& what) { return "{\"error\":" + probe::Quote(what) + "}"; }

// One object, as the platform hands it to a screen reader: by default a window's client
// object, otherwise the object a focus event names.
std::string ObjectJson(HWND hwnd, LONG objectId = OBJID_CLIENT, LONG childId = CHILDID_SELF) {
    IAccessible* object = nullptr;
    VARIANT child{};
    const HRESULT hr = AccessibleObjectFromEvent(hwnd, objectId, childId, &object, &child);
    const std::string id = std::to_string(GetAncestor(hwnd, GA_ROOT) == hwnd ? 0 : GetDlgCtrlID(hwnd));
    if (FAILED(hr) || !object) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08lx", static_cast<unsigned long>(hr));
        return "{\"id\":" + id + ",\"error\":\"no accessible object: " + code + "\"}";
    }
    BSTR name = nullptr;
    object->get_accName(child, &name);
    VARIANT role{};
    object->get_accRole(child, &role);
    VARIANT state{};
    object->get_accState(child, &state);
    char roleText[64] = {};
    if (role.vt == VT_I4) GetRoleTextA(static_cast<DWORD>(role.lVal), roleText, sizeof roleText);
    const long bits = state.vt == VT_I4 ? state.lVal : 0;
    std::string out = "{\"id\":" + id + ",\"name\":" + probe::Quote(Narrow(name)) +
                      ",\"role\":" + probe::Quote(roleText) + ",\"state\":" + std::to_string(bits) +
                      ",\"focused\":" + ((bits & STATE_SYSTEM_FOCUSED) ? "true" : "false") +
                      ",\"checked\":" + ((bits & STATE_SYSTEM_CHECKED) ? "true" : "false") + "}";
    SysFreeString(name);
    VariantClear(&role);
    VariantClear(&state);
    VariantClear(&child);
    object->Release();
    return out;
}

std::string Objects(HWND window) {
    const std::vector<HWND> children = probe::ChildrenOf(window);
    std::string out = "{\"window\":" + ObjectJson(window) + ",\"controls\":[";
    for (size_t i = 0; i < children.size(); ++i) out += (i ? "," : "") + ObjectJson(children[i]);
    return out + "]}";
}

std::string FocusObject() {
    HWND foreground = GetForegroundWindow();
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!foreground || !GetGUIThreadInfo(GetWindowThreadProcessId(foreground, nullptr), &info) ||
        !info.hwndFocus) {
        return Error("no focus");
    }
    return "{\"focus\":" + ObjectJson(info.hwndFocus) + "}";
}

// ---- Focus events, watched by a thread of their own that takes the platform's calls ----

struct FocusEvent {
    HWND hwnd;
    LONG objectId;
    LONG childId;
};

CRITICAL_SECTION g_eventsLock;
std::vector<FocusEvent> g_events;

struct Locked {
    Locked() { EnterCriticalSection(&g_eventsLock); }
    ~Locked() { LeaveCriticalSection(&g_eventsLock); }
};

void CALLBACK OnFocus(HWINEVENTHOOK, DWORD, HWND hwnd, LONG objectId, LONG childId, DWORD, DWORD) {
    // Only noted here; the objects are read when asked for, outside the platform's call.
    Locked hold;
    g_events.push_back({hwnd, objectId, childId});
}

DWORD WINAPI WatchFocus(void* ready) {
    SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, OnFocus, 0, 0,
                    WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    SetEvent(static_cast<HANDLE>(ready));
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}

std::string FocusEvents() {
    static bool watching = false;
    if (!watching) {
        InitializeCriticalSection(&g_eventsLock);
        HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        CloseHandle(CreateThread(nullptr, 0, WatchFocus, ready, 0, nullptr));
        WaitForSingleObject(ready, 5000);
        CloseHandle(ready);
        watching = true;
    }
    std::vector<FocusEvent> events;
    {
        Locked hold;
        events.swap(g_events);
    }
    std::string out = "{\"events\":[";
    for (size_t i = 0; i < events.size(); ++i) {
        const FocusEvent& e = events[i];
        out += (i ? "," : "") + (IsWindow(e.hwnd) ? ObjectJson(e.hwnd, e.objectId, e.childId)
                                                  : std::string("{\"gone\":true}"));
    }
    return out + "]}";
}

}  // namespace

std::string probe::AccessAnswer(const std::vector<std::string>& args) {
    static const bool com = SUCCEEDED(CoInitialize(nullptr));
    (void)com;
    const std::string& command = args[0];
    if (command == "acc") {
        HWND window = args.size() > 1 ? probe::FindTitled(args[1]) : nullptr;
        return window ? Objects(window) : Error("no window titled " + (args.size() > 1 ? args[1] : ""));
    }
    if (command == "accfocus") return FocusObject();
    if (command == "focusevents") return FocusEvents();
    return {};
}
