// The notifications a change of the machine sends, built in one place.
#pragma once

#include <optional>
#include <utility>

#include "model/change.h"
#include "model/model.h"

namespace tolvane::sim {

enum class Event { Arrive, Depart, Modify };

// The notification of `event` for an object of `kind`; nullopt for kinds
// that have no notifications of their own (providers and plexes).
std::optional<VDS_NOTIFICATION> objectNotice(Kind kind, const GUID& id, Event event);
// Adds it to `out` when there is one.
void note(Batch& out, Kind kind, const GUID& id, Event event);

VDS_NOTIFICATION partitionNotice(const GUID& disk, std::uint64_t offset, Event event);
// Assigned to `volume`, or freed when `volume` is null.
VDS_NOTIFICATION driveLetterNotice(char16_t letter, const GUID* volume);
VDS_NOTIFICATION mountPointsNotice(const GUID& volume);
VDS_NOTIFICATION fileSystemNotice(const GUID& volume);

// How far a format of `volume` has come, in percent; a format the service
// runs on a partition that is no volume names no volume (GUID_NULL).
VDS_NOTIFICATION formatProgressNotice(const GUID& volume, unsigned long percent);

// Rebuild progress of a plex of `volume` (VOLUME_REBUILDING_PROGRESS).
VDS_NOTIFICATION rebuildProgressNotice(const GUID& volume, const GUID& plex, ULONG percent);

// Everything that differs between two machines, in the order a client can
// follow: departures (contents before containers), arrivals (containers
// first), then modifications, drive letters, mount points and file systems.
void noteDifferences(const Model& before, const Model& after, Batch& out);

// The drive letters that partitions which are no volumes gained or lost in
// the change open on `m` (a partition's letter is told with no volume).
void notePartitionLetters(Model& m, Batch& out);

// The same, for the change open on `m`, found from what it touched and what
// depends on it, in time that grows with that alone. `m` is shown as it was
// before the change for a moment, and left as it is.
void noteTouched(Model& m, Batch& out);

// A change told as every difference it made: `edit` changes the model and
// answers; a success is told from what it touched.
template <typename Edit>
ChangeFunction tellingDifferences(Edit edit) {
    return [edit = std::move(edit)](Model& m, Batch& out) -> HRESULT {
        const HRESULT hr = edit(m);
        if (SUCCEEDED(hr)) noteTouched(m, out);
        return hr;
    };
}

}  // namespace tolvane::sim
