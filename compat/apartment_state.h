// What the COM runtime stand-in knows about the calling thread.
#pragma once

namespace tolvane::compat {

// True while the calling thread has a successful, not yet balanced
// CoInitializeEx.
bool threadHasEnteredCom();

}  // namespace tolvane::compat
