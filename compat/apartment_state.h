// What the COM runtime stand-in knows about the calling thread and the
// process's multithreaded apartment.
#pragma once

namespace tolvane::compat {

// True while the calling thread has a successful, not yet balanced
// CoInitializeEx.
bool threadHasEnteredCom();

// True when the calling thread may call through COM: it has entered an
// apartment itself, or it never did and some other thread keeps the
// process's multithreaded apartment alive (the implicit apartment).
bool threadMayCallCom();

// Threads that are inside the multithreaded apartment right now.
long multithreadedApartmentMembers();

}  // namespace tolvane::compat
