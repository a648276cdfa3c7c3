/* A DLL planted beside a program under the name of a system DLL. Loaded, it leaves the
 * marker C:\markers\<its own file name>.txt holding the path of the program that loaded
 * it, and returns TRUE so that the program goes on and every further planted load is
 * recorded too. No C runtime: it imports kernel32 alone, which is never planted. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char own[MAX_PATH] = "", loader[MAX_PATH + 2] = "", marker[2 * MAX_PATH] = "C:\\markers";
    GetModuleFileNameA(self, own, MAX_PATH);
    GetModuleFileNameA(NULL, loader, MAX_PATH);
    const char* name = own;
    for (const char* p = own; *p; ++p) {
        if (*p == '\\') name = p + 1;
    }
    CreateDirectoryA(marker, NULL);
    lstrcatA(lstrcatA(lstrcatA(marker, "\\"), name), ".txt");
    lstrcatA(loader, "\r\n");
    HANDLE file = CreateFileA(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, loader, (DWORD)lstrlenA(loader), &written, NULL);
        CloseHandle(file);
    }
    return TRUE;
}
