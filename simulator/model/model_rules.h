// The rules every machine keeps, written once: the topology loader refuses a
// description that breaks one, and (in test builds) the service refuses a
// change that would.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/model.h"
#include "model/partition_table.h"
#include "model/partition_types.h"

namespace tolvane::sim {

// Plex and volume types, valued as VDS_LUN_PLEX_TYPE / VDS_VOLUME_PLEX_TYPE.
inline constexpr std::int32_t kSimpleType = 10;
inline constexpr std::int32_t kSpanType = 11;
inline constexpr std::int32_t kStripeType = 12;
inline constexpr std::int32_t kMirrorType = 13;
inline constexpr std::int32_t kParityType = 14;

// Bytes a plex of `type` holds over `members` columns whose stretches total
// `rawBytes`: a parity plex gives one column's worth to parity.
std::uint64_t plexCapacity(std::int32_t type, std::uint64_t rawBytes, std::uint32_t members);

// Members of a volume plex that hold no stretch: a parity plex that lost one
// member with its disk carries on from the others until a repair lays it anew.
// The most members a volume plex may have: counting them out must stay
// cheap whatever a description or a state file says.
inline constexpr std::uint32_t kMostPlexMembers = 1u << 16;
std::vector<std::uint32_t> absentMembers(const VolumePlex& plex);
// Bytes a volume plex holds over the stretches it has (plexCapacity).
std::uint64_t volumePlexCapacity(const VolumePlex& plex);

// The object holding drive letter `letter` (either case), nullopt when it is
// free: a volume, or the disk of a partition that holds it. Letters are unique across the machine, whatever holds them, so every
// change that hands one out asks here first.
std::optional<GUID> driveLetterHolder(const Model& model, char16_t letter);

// --- Partitions --------------------------------------------------------------

// Partitions are made and removed only on basic disks.
bool isDynamicDisk(const Model& model, const Disk& disk);
bool isDynamicPack(const Model& model, const Pack& pack);
bool isRemovableDisk(const Disk& disk);

// Whether the service formats and letters the partition itself: OEM, ESP
// and unknown partitions, the ones that are no volume. Data partitions go
// through their volume; MSR and LDM partitions and the extended partition
// are no one's to format.
bool servicedAsPartition(const Model& model, const Disk& disk, const Partition& partition);

// Protected partitions (OEM, ESP, MSR) are deleted only when asked to be.
bool isProtectedPartition(const Disk& disk, const Partition& partition);

// Volumes with a stretch on the disk, and whether one of them (or the disk
// itself) carries what the running system needs: system, boot, page file,
// hibernation or crash dump.
std::vector<GUID> volumesOnDisk(const Model& model, const GUID& disk);
bool carriesSystem(const Model& model, const Disk& disk);

// Whether `folder` lies under `path` ("C:\\" or "C:\\Data\\"), letters in either case.
bool liesUnder(const std::u16string& folder, const std::u16string& path);

// The volumes with a mount folder under `path`, in identifier order.
std::vector<GUID> volumesMountedUnder(const Model& model, const std::u16string& path);

// The first rule the model breaks: the object, the field under it (such as
// "extents/2", empty for the object as a whole) and what is wrong.
struct RuleBreak {
    GUID object{};
    std::string field;
    std::string what;
    std::string text() const;
};

std::optional<RuleBreak> findRuleBreak(const Model& model);

// The first break in where a disk belongs: an unallocated disk is in no pack
// and has no partitions, a disk in a pack has a partition style, a basic pack
// holds one disk, and on a basic disk data partitions and volumes are one.
std::optional<RuleBreak> findDiskPlacementBreak(const Model& model, const Disk& disk);

// A partition that holds a file system of its own: what a basic disk shows
// as a volume.
bool isDataPartition(const Disk& disk, const Partition& partition);

// The first break in one disk's own layout: its size and its partition
// table (sizes, bounds, order, overlaps). Both checks use it.
std::optional<RuleBreak> findPartitionTableBreak(const Disk& disk);

// The same for the change open on the model: the objects it touched and what
// lies beside them, in time that grows with them and not with the machine.
std::optional<RuleBreak> findTouchedRuleBreak(const Model& model);

// The same, as one line for a log; nullopt when every rule holds.
std::optional<std::string> checkModelRules(const Model& model);

}  // namespace tolvane::sim

namespace tolvane::sim {

// What the running system cannot do without, decided here for every call
// that would delete, format, hide, unletter or clean it away: a volume
// flagged system, boot, page file, hibernation or crash dump, and the
// partition the machine starts from (the active partition or the ESP of a
// disk that carries such a volume), with the volume on it.
bool systemVolume(const Model& model, const Volume& volume);
bool systemPartition(const Model& model, const Disk& disk, const Partition& partition);

// Why a disk's read-only flag may not change: the service-wide code for the
// first role its volumes or its own flags play (S_OK when none).
HRESULT systemDiskRefusal(const Model& model, const Disk& disk);

}  // namespace tolvane::sim
