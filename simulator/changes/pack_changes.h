// What the software providers do to packs: make one, take an unallocated
// disk into one, move disks between them, give up a disk that has gone
// missing, and put a new disk in place of an old one. Each is one pure change
// over the model; the notifications are whatever differs afterwards.
#pragma once

#include <vector>

#include "model/change.h"

namespace tolvane::sim {

// A new, empty pack of the provider; `created` receives its identifier. Such
// a pack has nothing on any disk to record it: while it holds no disks it
// lives only as long as some client holds it.
// Gives back the new pack (ChangeOutput::made).
ChangeFunction createPack(const GUID& provider);

// Whether the pack is one made by CreatePack and not yet settled.
bool isPlaceholderPack(const Model& m, const GUID& pack);

// After the last client let go of a pack: a created pack that still holds
// nothing is dropped (PACK_DEPART); one that holds something stays for good.
// Nothing happens while `stillHeld` says a client has taken it again.
ChangeFunction letGoOfPack(const GUID& pack, std::function<bool()> stillHeld);

// Initialises an unallocated disk with `style` and files it under the pack.
ChangeFunction addDiskToPack(const GUID& pack, const GUID& disk, std::int32_t style, BOOL hotSpare);

// Moves `disks` from `source` into `target` (or, for a foreign source, imports
// them in place). `results` (one per disk) and `reboot` are written whatever
// the answer; with `queryOnly` nothing moves.
struct Migration {
    GUID source{};
    GUID target{};
    std::vector<GUID> disks;
    bool force = false;
    bool queryOnly = false;
};
// Gives back each disk's result and whether a reboot is due
// (ChangeOutput::perDisk, rebootNeeded), refused or not.
ChangeFunction migrateDisks(Migration migration);

// Takes a missing disk out of its dynamic pack.
ChangeFunction removeMissingDisk(const GUID& pack, const GUID& disk);

// Checks the real service makes before ReplaceDisk starts its operation.
HRESULT checkReplaceDisk(const Model& m, const GUID& pack, const GUID& oldDisk, const GUID& newDisk);
// The replacement itself: the old disk's volume stretches move to the new one.
ChangeFunction replaceDisk(const GUID& pack, const GUID& oldDisk, const GUID& newDisk);

}  // namespace tolvane::sim

namespace tolvane::sim {

// Whether IVdsPack::ReplaceDisk does its work (tests) or answers
// VDS_E_NOT_SUPPORTED as the released service does (the default).
bool replaceDiskSupported();
void supportReplaceDisk(bool on);

}  // namespace tolvane::sim
