// One setup program at a time in a user's session. Two at once would write the same
// registry values, files and links in turns, and the user would answer pages of both.
#pragma once

namespace setup {

// True when no other setup program runs in this session; this one then counts as
// running until its process ends (the platform closes the claim with it, so neither a
// setup started later nor the deletion of the installed copy waits on it).
bool ClaimSession();
// Brings the running setup program's front window (its page, or its message box) to
// the front, restored when minimised. Nothing when it shows none.
void ShowFirstSetup();

}  // namespace setup
