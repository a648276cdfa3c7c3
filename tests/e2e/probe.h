// What the screen probe's parts share.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace probe {

// A JSON string of ANSI text (code page 1252): bytes from 0x80 up as \u00XX.
std::string Quote(const std::string& text);

// The visible top-level window with exactly that title, or null.
HWND FindTitled(const std::string& title);
// Every child window of the window, its controls' children included.
std::vector<HWND> ChildrenOf(HWND parent);

// The accessibility reader's commands (acc, accfocus, focusevents): the answer, or an
// empty text when the command is not one of them.
std::string AccessAnswer(const std::vector<std::string>& args);

}  // namespace probe
