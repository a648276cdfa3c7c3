#include "setup/another_setup.h"

#include "runtime/win.h"

namespace setup {

namespace {

// A named object of the session's namespace, holding the first setup program's process
// id: a second one needs it to find that program's windows.
constexpr char kSessionClaim[] = "Local\\QuorvexPlenarSetupRunning";

// Kept open until the process ends: the claim lives as long as this handle.
HANDLE g_claim = nullptr;

struct Search {
    DWORD processId;
    HWND found;
};

// EnumWindows goes from the top of the Z order down, so the first visible window of
// that process is the one its user saw last.
BOOL CALLBACK FindFrontWindow(HWND hwnd, LPARAM lParam) {
    Search* search = reinterpret_cast<Search*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != search->processId || !IsWindowVisible(hwnd)) return TRUE;
    search->found = hwnd;
    return FALSE;
}

// The process id the first setup program left in the claim; 0 when there is none yet.
DWORD FirstSetupProcess() {
    HANDLE claim = OpenFileMappingA(FILE_MAP_READ, FALSE, kSessionClaim);
    if (!claim) return 0;
    DWORD processId = 0;
    if (const void* view = MapViewOfFile(claim, FILE_MAP_READ, 0, 0, sizeof processId)) {
        processId = *static_cast<const volatile DWORD*>(view);
        UnmapViewOfFile(view);
    }
    CloseHandle(claim);
    return processId;
}

}  // namespace

bool ClaimSession() {
    g_claim = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(DWORD),
                                 kSessionClaim);
    if (!g_claim) return true;  // no claim to be had: better two than none
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(g_claim);
        g_claim = nullptr;
        return false;
    }
    if (void* view = MapViewOfFile(g_claim, FILE_MAP_WRITE, 0, 0, sizeof(DWORD))) {
        *static_cast<volatile DWORD*>(view) = GetCurrentProcessId();
        UnmapViewOfFile(view);
    }
    return true;
}

void ShowFirstSetup() {
    Search search{FirstSetupProcess(), nullptr};
    if (search.processId == 0) return;
    EnumWindows(FindFrontWindow, reinterpret_cast<LPARAM>(&search));
    if (!search.found) return;
    if (IsIconic(search.found)) ShowWindow(search.found, SW_RESTORE);
    SetForegroundWindow(search.found);
}

}  // namespace setup
