// QuorvexPlenar.exe: the stand-in for the vehicle-diagnostics application. It shows
// every button shape of Keyglyph.dll, which it loads from its own folder.
#include "app/shape_grid.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    // System DLLs only from the system folder; Keyglyph.dll is loaded by full path.
    SetDllDirectoryA("");
    ShapeLibrary library;
    library.Open();
    ShapeGrid grid(library);
    if (!grid.Create(instance, show)) return 1;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
