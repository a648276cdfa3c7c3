// The texts that the uninstall entry and the settings record about the product: its
// publisher, its description and the addresses of its web sites. The package manager's
// manifest (tools/winget_manifest.py) names the same, read from here: so each stays a
// constant on one line with a plain quoted text.
#pragma once

namespace install {

inline constexpr char kPublisher[] = "Brindlemark";
// The uninstall entry's name: "Quorvex Plenar " + version + " - " + description.
inline constexpr char kProductDescription[] = "Vehicle diagnostics software";
inline constexpr char kOfficialWebSite[] = "https://www.brindlemark.example/quorvex-plenar/";
inline constexpr char kDriversWebSite[] = "https://duckduckgo.com/?q=Prolific+PL2303+USB+to+serial+driver";
inline constexpr char kFaceBookWebSite[] = "https://www.facebook.com/BrindlemarkDiagnostics";
inline constexpr char kDownloadsWebSite[] = "https://www.brindlemark.example/quorvex-plenar/downloads/";
inline constexpr char kPublisherWebSite[] = "https://www.brindlemark.example/";

}  // namespace install
