// The one place where the system includes <windows.h>.
//
// Several routines of this system share a name with a Win32 macro (DeleteFile,
// CreateDirectory, LoadImage, MessageBox). The macros are undone here so that a call
// such as rt::LoadImage(...) always reaches the system's routine; Win32 is called by
// its explicit -A name (LoadImageA, MessageBoxA, ...). Win32 functions that are real
// functions with a system name (OpenFile, CloseWindow, SetFocus, FloodFill) are called
// with the global qualifier (::SetFocus) where the system's namespace has its own.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#undef CreateDirectory
#undef DeleteFile
#undef LoadImage
#undef MessageBox
#undef GetStartPath
