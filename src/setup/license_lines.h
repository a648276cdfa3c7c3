// The licence agreement as the licence page's list box shows it: one item per line,
// never wrapped, so each line carries its own indent (one blank, or five for a
// continuation or a numbered sub-item). ANSI, code page 1252.
#pragma once

namespace setup {

inline constexpr int kLicenseLineCount = 81;
extern const char* const kLicenseLines[kLicenseLineCount];

}  // namespace setup
