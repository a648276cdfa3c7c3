/* A program planted under a system program's name: it leaves a marker named after
   itself in C:\markers, so that a test sees it was started instead of the real one. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    char path[MAX_PATH];
    char marker[MAX_PATH + 32];
    const char* name;
    (void)instance, (void)previous, (void)commandLine, (void)show;
    GetModuleFileNameA(NULL, path, MAX_PATH);
    name = strrchr(path, '\\') ? strrchr(path, '\\') + 1 : path;
    CreateDirectoryA("C:\\markers", NULL);
    wsprintfA(marker, "C:\\markers\\%s.txt", name);
    CloseHandle(CreateFileA(marker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    return 0;
}
