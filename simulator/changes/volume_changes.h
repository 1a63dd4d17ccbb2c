// What a software provider does to the volumes of its packs: make them from
// stretches of the pack's disks, grow, shrink and delete them, set their
// flags, and mirror, split, trim and mend their plexes. Each is one pure
// change over the model; the checks the real service makes before it starts
// an operation are separate, so its COM face can answer them from the call.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "model/change.h"
#include "platform/vds_types.h"

namespace tolvane::sim {

struct NewVolume {
    GUID pack{};
    std::int32_t type = 0;  // VDS_VOLUME_TYPE
    std::vector<VDS_INPUT_DISK> disks;
    std::uint32_t stripeSize = 0;
};

// A new identifier for the next volume made on this machine, never one a
// volume has had before.
GUID nextVolumeId(Model& m);

// Files the volume a new data partition of a basic disk is: one plex with
// one stretch, the partition itself, and no file system yet. Gives back its
// identifier in `made`.
HRESULT addPartitionVolume(Model& m, const GUID& disk, std::uint64_t offset, std::uint64_t size, GUID& made);

// A basic volume's partition goes with it; a logical drive that was the
// last in its extended partition takes the extended partition along.
// `departed` receives each partition gone (disk and start), in that order.
void removeBasicPartition(Model& m, const GUID& disk, std::uint64_t offset, std::vector<DiskSpan>& departed);

HRESULT checkCreateVolume(const Model& m, const NewVolume& request);
// Gives back the new volume (ChangeOutput::made).
ChangeFunction createVolume(NewVolume request);

HRESULT checkExtendVolume(const Model& m, const GUID& volume, const std::vector<VDS_INPUT_DISK>& disks);
ChangeFunction extendVolume(const GUID& volume, std::vector<VDS_INPUT_DISK> disks);

// `reclaimed` receives the bytes the shrink gave back.
HRESULT checkShrinkVolume(const Model& m, const GUID& volume, std::uint64_t bytes);
// Gives back the bytes it reclaimed (ChangeOutput::reclaimed).
ChangeFunction shrinkVolume(const GUID& volume, std::uint64_t bytes);

ChangeFunction deleteVolume(const GUID& volume, bool force);
ChangeFunction setVolumeFlags(const GUID& volume, std::uint32_t flags, bool revertOnClose);
ChangeFunction clearVolumeFlags(const GUID& volume, std::uint32_t flags);

// Plex operations are refused from the call on volumes of a basic pack.
HRESULT checkPlexOperation(const Model& m, const GUID& volume);
ChangeFunction addVolumePlex(const GUID& volume, const GUID& source);
// Gives back the volume the plex becomes (ChangeOutput::made).
ChangeFunction breakVolumePlex(const GUID& volume, const GUID& plex);
ChangeFunction removeVolumePlex(const GUID& volume, const GUID& plex);

// The type a volume has from its plexes: a mirror while it has more than
// one, else its plex's type.
void settleVolumeType(Model& m, Volume& v);
// Members of a plex that no longer serve: gone with their disk, or on a disk
// that is not online. A parity plex survives one, and Repair rebuilds it.
std::vector<std::uint32_t> unavailableMembers(const Model& m, const VolumePlex& plex);
HRESULT checkRepairPlex(const Model& m, const GUID& plex, const std::vector<VDS_INPUT_DISK>& disks);
ChangeFunction repairVolumePlex(const GUID& plex, std::vector<VDS_INPUT_DISK> disks);

}  // namespace tolvane::sim
