// QuorvexPlenar.exe: the stand-in for the vehicle-diagnostics application. It shows
// every button shape of Keyglyph.dll, which it loads from its own folder.
#include "app/shape_grid.h"
#include "runtime/dll_safety.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    // First: system DLLs only from the system folder; Keyglyph.dll is loaded by full path.
    rt::RestrictDllSearch();
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
