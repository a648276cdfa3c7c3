// Stands in for a wrong Keyglyph.dll: a library without load_bitmap.
extern "C" __declspec(dllexport) int keyglyph_version() { return 0; }
