// The licence and read-me texts that the setup program carries and writes beside itself
// as Eula.txt and ReadMe.txt: ANSI (code page 1252), lines separated by CR LF, no line
// break after the last line.
#pragma once

#include <cstddef>
#include <string>

namespace setupart {

struct TextShape {
    size_t bytes;
    int lines;
};

inline constexpr TextShape kEulaShape{3566, 83};
inline constexpr TextShape kReadmeShape{1900, 53};

// The licence page's lines without the list's one-blank margin, after an empty first
// line and before a closing copyright line.
std::string EulaText();
std::string ReadmeText();

// Empty when the text has exactly the shape's size and line count and reads as a plain
// text file (no NUL, no bare CR or LF, no byte outside printable ASCII but the copyright
// and registered signs, no line wider than Notepad's 79 columns, no blank at a line's end
// except a line that is a single blank); otherwise what is wrong.
std::string TextFault(const std::string& text, TextShape shape);

}  // namespace setupart
