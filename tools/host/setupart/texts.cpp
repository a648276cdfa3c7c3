#include "texts.h"

#include <string_view>
#include <vector>

#include "setup/license_lines.h"

namespace setupart {

namespace {

constexpr size_t kWidestLine = 79;

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) out += "\r\n";
        out += lines[i];
    }
    return out;
}

}  // namespace

std::string EulaText() {
    std::vector<std::string> lines = {""};
    for (std::string_view line : setup::kLicenseLines) {
        if (line.starts_with(' ')) line.remove_prefix(1);
        // The list needs a blank to show an empty item; a file does not.
        if (line.find_first_not_of(' ') == std::string_view::npos) line = {};
        lines.emplace_back(line);
    }
    lines.push_back("\xA9 Brindlemark. All rights reserved.");
    return JoinLines(lines);
}

std::string ReadmeText() {
    return JoinLines({
        "==============================================",
        "  Welcome to Quorvex Plenar 2.11",
        "  Vehicle diagnostics by Brindlemark",
        "==============================================",
        "",
        "MINIMUM SYSTEM REQUIREMENTS",
        "- Windows 7, Windows 8 or Windows 10",
        "- 1 GHz processor, 1 GB of memory",
        "- 30 MB free on the system drive",
        "- A screen of 1024 x 768 pixels or more",
        "- A USB or serial port for the vehicle interface",
        "",
        "SETTING UP",
        "1. Run SetupQuorvexPlenar.exe from a folder of its",
        "   own, not from a Temp folder.",
        "2. Read the license agreement and accept it.",
        "3. Choose the units for speed and temperature.",
        "4. Choose the desktop shortcuts you want.",
        "5. Wait while the files are copied.",
        "6. Choose Finish. Leave the box ticked to start",
        "   Quorvex Plenar at once.",
        "",
        "WHAT THE SETUP PROGRAM DOES",
        "- Writes Eula.txt and ReadMe.txt beside itself.",
        "- Records your settings and an uninstall entry in",
        "  the registry.",
        "- Copies Keyglyph.dll and QuorvexPlenar.exe into",
        "  \"C:\\Quorvex Plenar\" on the system drive, then",
        "  checks that both files arrived.",
        "- Makes the log folder \"Quorvex Plenar Log Files\"",
        "  on the system drive.",
        "- Adds the desktop shortcuts you chose.",
        "- On Windows 8 and 10, sets the Windows 7",
        "  compatibility layer for Quorvex Plenar.",
        "Run the setup program again to repair or remove it.",
        "",
        "ON THE FIRST RUN",
        "Quorvex Plenar places its help file and its",
        "button bitmaps beside itself.",
        "",
        "INSTALLED FILES",
        "Keyglyph.dll            button shapes for the program",
        "QuorvexPlenar.exe       the diagnostics program",
        "SetupQuorvexPlenar.exe  setup, repair and removal",
        "Eula.txt                the license agreement",
        "ReadMe.txt              this file",
        "QuorvexPlenar.chm       help, added on the first run",
        "CommPorts.chm           help on the interface ports",
        "cogs.bmp, home.bmp      buttons, added on the first run",
        "tools.bmp, dial.bmp     buttons, added on the first run",
        "",
        "Thank you for choosing Quorvex Plenar.",
        " ",
    });
}

std::string TextFault(const std::string& text, TextShape shape) {
    if (text.size() != shape.bytes) {
        return std::to_string(text.size()) + " bytes instead of " + std::to_string(shape.bytes);
    }
    int lines = 1;
    size_t lineStart = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        const bool end = i == text.size() || text.compare(i, 2, "\r\n") == 0;
        if (end) {
            const std::string_view line(text.data() + lineStart, i - lineStart);
            if (line.size() > kWidestLine) {
                return "line " + std::to_string(lines) + " is wider than " +
                       std::to_string(kWidestLine);
            }
            if (line.ends_with(' ') && line != " ") {
                return "line " + std::to_string(lines) + " ends in a blank";
            }
            if (i == text.size()) break;
            ++lines;
            lineStart = i + 2;
            ++i;
            continue;
        }
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c < 0x20 || c > 0x7E) && c != 0xA9 && c != 0xAE) {
            return "byte " + std::to_string(c) + " in line " + std::to_string(lines);
        }
    }
    if (lines != shape.lines) {
        return std::to_string(lines) + " lines instead of " + std::to_string(shape.lines);
    }
    return {};
}

}  // namespace setupart
