// The simulated machine: every storage object the service shows, as plain
// values. A change edits the model in place; each table remembers what the
// change touched, so that a failed change is undone by putting back only
// those objects, and a committed one is told from them alone.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/guid_text.h"
#include "model/id_list.h"
#include "model/object_table.h"
#include "platform/com_types.h"

namespace tolvane::sim {

// Object kinds, valued as VDS_OBJECT_TYPE.
enum class Kind : std::int32_t {
    Provider = 1,
    Pack = 10,
    Volume = 11,
    VolumePlex = 12,
    Disk = 13,
    SubSystem = 30,
    Controller = 31,
    Drive = 32,
    Lun = 33,
    LunPlex = 34,
    Port = 35,
};

struct Hints {
    std::uint64_t hintMask = 0;
    std::uint64_t expectedMaximumSize = 0;
    std::uint32_t optimalReadSize = 0;
    std::uint32_t optimalReadAlignment = 0;
    std::uint32_t optimalWriteSize = 0;
    std::uint32_t optimalWriteAlignment = 0;
    std::uint32_t maximumDriveCount = 0;
    std::uint32_t stripeSize = 0;
    bool fastCrashRecoveryRequired = false;
    bool mostlyReads = false;
    bool optimizeForSequentialReads = false;
    bool optimizeForSequentialWrites = false;
    bool remapEnabled = false;
    bool readBackVerifyEnabled = false;
    bool writeThroughCachingEnabled = false;
    bool hardwareChecksumEnabled = false;
    bool isYankable = false;
    std::int16_t rebuildPriority = 0;
};

struct Provider {
    GUID id{};
    GUID versionId{};
    std::u16string name;
    std::u16string version;
    std::int32_t type = 0;  // 1 software, 2 hardware
    std::uint32_t flags = 0;
    std::uint32_t stripeSizeFlags = 0;
    std::int16_t rebuildPriority = 0;
    IdList children;  // subsystems or packs, in enumeration order
};

struct SubSystem {
    GUID id{};
    GUID provider{};
    std::u16string friendlyName;
    std::u16string identification;
    std::uint32_t flags = 0;
    std::uint32_t stripeSizeFlags = 0;
    std::int32_t status = 1;
    std::int32_t health = 1;
    std::int16_t internalBuses = 0;
    std::int16_t slotsPerBus = 0;
    std::int16_t maxControllers = 0;
    std::int16_t rebuildPriority = 0;
    std::uint32_t maintenanceRunning = 0;  // bit 1 << VDS_MAINTENANCE_OPERATION
    // How the array looks after its data: a hot spare stands in for a failed
    // drive, and a copy that fell behind is resynced, without being asked
    // (otherwise only Recover does it); a rebuild takes this long per GiB.
    bool recoversByItself = true;
    std::uint32_t rebuildMsPerGiB = 2;
    IdList controllers;
    IdList drives;
    IdList luns;
};

struct Controller {
    GUID id{};
    GUID subsystem{};
    std::u16string friendlyName;
    std::u16string identification;
    std::int32_t status = 1;
    std::int32_t health = 1;
    std::uint32_t maintenanceRunning = 0;  // bit 1 << VDS_MAINTENANCE_OPERATION
    IdList ports;
};

struct Port {
    GUID id{};
    GUID controller{};
    std::u16string friendlyName;
    std::u16string identification;
    std::int32_t status = 1;
    std::int16_t portNumber = 0;
};

struct Drive {
    GUID id{};
    GUID subsystem{};
    std::u16string friendlyName;
    std::u16string identification;
    std::uint64_t size = 0;
    std::uint32_t flags = 0;
    std::int32_t status = 1;
    std::int32_t health = 1;
    std::int16_t bus = 0;
    std::int16_t slot = 0;
    std::uint32_t maintenanceRunning = 0;  // bit 1 << VDS_MAINTENANCE_OPERATION
};

// A stretch of a drive that a LUN plex occupies. A stale stretch holds no
// current copy of its data yet: a drive that stood in for a failed one, or
// came back after missing writes, until the rebuild reaches it.
struct DriveSpan {
    GUID drive{};
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    bool stale = false;
};

struct LunPlex {
    GUID id{};
    GUID lun{};
    std::uint64_t size = 0;
    std::int32_t type = 10;
    std::int32_t status = 1;
    std::int32_t health = 1;
    std::int32_t transitionState = 1;
    std::uint32_t flags = 0;
    std::uint32_t stripeSize = 0;
    std::int16_t rebuildPriority = 0;
    std::vector<DriveSpan> extents;
};

struct Lun {
    GUID id{};
    GUID subsystem{};
    std::u16string friendlyName;
    std::u16string identification;
    std::u16string unmaskingList;
    std::uint64_t size = 0;
    std::uint32_t flags = 0;
    std::int32_t type = 1;
    std::int32_t status = 1;
    std::int32_t health = 1;
    std::int32_t transitionState = 1;
    std::int16_t rebuildPriority = 0;
    // The subsystem is bringing its stale stretches up to date.
    bool rebuilding = false;
    IdList plexes;
    std::vector<GUID> activeControllers;
    std::vector<GUID> associatedControllers;
    Hints hints;
};

struct Partition {
    std::uint32_t number = 0;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::uint32_t flags = 0;
    // MBR details.
    std::uint8_t mbrType = 0x07;
    bool bootIndicator = false;
    bool recognized = true;
    // GPT details.
    GUID gptType{};
    GUID gptId{};
    std::uint64_t gptAttributes = 0;
    std::u16string gptName;
    // What the service itself keeps for a partition that is no volume (OEM,
    // ESP or unknown): its drive letter (0: none), and the file system it was
    // formatted with (VDS_FILE_SYSTEM_TYPE; 0: never formatted) and its label.
    char16_t driveLetter = 0;
    std::int32_t fileSystem = 0;
    std::u16string label;
};

struct Pack {
    GUID id{};
    GUID provider{};
    std::u16string name;
    std::int32_t status = 1;
    std::uint32_t flags = 0;
    // Made empty by CreatePack: it goes when its last client lets go of it
    // while it still holds nothing. The service's own mark, never told.
    bool placeholder = false;
    IdList disks;
    IdList volumes;
};

struct Disk {
    GUID id{};
    GUID pack{};
    std::int32_t status = 1;
    std::int32_t reserveMode = 0;
    std::int32_t health = 1;
    std::uint32_t deviceType = 7;  // FILE_DEVICE_DISK
    std::uint32_t mediaType = 12;  // FixedMedia
    std::uint64_t size = 0;
    std::uint32_t bytesPerSector = 512;
    std::uint32_t sectorsPerTrack = 63;
    std::uint32_t tracksPerCylinder = 255;
    std::uint32_t flags = 0;
    std::int32_t busType = 1;
    std::int32_t partitionStyle = 0;  // 0 unknown, 1 MBR, 2 GPT
    std::uint32_t signature = 0;
    GUID diskGuid{};
    std::u16string diskAddress;
    std::u16string name;
    std::u16string friendlyName;
    std::u16string adaptorName;
    std::u16string devicePath;
    std::vector<Partition> partitions;  // sorted by offset
};

// A stretch of a disk that a volume plex occupies.
struct DiskSpan {
    GUID disk{};
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::uint32_t member = 0;
};

struct VolumePlex {
    GUID id{};
    GUID volume{};
    std::int32_t type = 10;
    std::int32_t status = 1;
    std::int32_t health = 1;
    std::int32_t transitionState = 1;
    std::uint64_t size = 0;
    std::uint32_t stripeSize = 0;
    std::uint32_t numberOfMembers = 1;
    std::vector<DiskSpan> extents;
};

struct FileSystem {
    std::int32_t type = 4;  // NTFS
    std::uint32_t flags = 0;
    std::uint32_t allocationUnitSize = 4096;
    std::uint64_t totalAllocationUnits = 0;
    std::uint64_t availableAllocationUnits = 0;
    std::u16string label;
    std::uint32_t compressionFlags = 0;
    std::uint32_t maximumFileNameLength = 255;
};

struct Volume {
    GUID id{};
    GUID pack{};
    std::u16string name;
    std::int32_t type = 10;
    std::int32_t status = 1;
    std::int32_t health = 1;
    std::int32_t transitionState = 1;
    std::uint64_t size = 0;
    std::uint32_t flags = 0;
    std::int32_t recommendedFileSystem = 4;
    char16_t driveLetter = 0;  // 0 when the volume has none
    std::vector<std::u16string> mountFolders;  // e.g. u"C:\\Data\\Archive\\"
    std::optional<FileSystem> fileSystem;
    IdList plexes;
    // Dismounted until next mounted; a permanent dismount also sets
    // VDS_VF_PERMANENTLY_DISMOUNTED and takes the volume offline.
    bool dismounted = false;
};

// One extent of a drive as IVdsDrive::QueryExtents reports it.
struct DriveExtentView {
    GUID drive{};
    GUID lun{};
    std::uint64_t size = 0;
    bool used = false;
};

// One extent of a disk as IVdsDisk::QueryExtents reports it.
struct DiskExtentView {
    GUID disk{};
    std::int32_t type = 0;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    GUID volume{};
    GUID plex{};
    std::uint32_t member = 0;
};

struct ReparsePointView {
    GUID sourceVolume{};
    std::u16string path;
};

// One sum per object table and one for the kind index.
using DigestSums = std::array<std::uint64_t, 12>;

struct Model {
    std::vector<GUID> hardwareProviders;  // enumeration order
    std::vector<GUID> softwareProviders;
    // Disks with no partition style: the service's own, in no pack, as
    // QueryUnallocatedDisks lists them (a disk's `pack` is null).
    std::vector<GUID> unallocatedDisks;

    ObjectTable<Provider> providers;
    ObjectTable<SubSystem> subsystems;
    ObjectTable<Controller> controllers;
    ObjectTable<Port> ports;
    ObjectTable<Drive> drives;
    ObjectTable<Lun> luns;
    ObjectTable<LunPlex> lunPlexes;
    ObjectTable<Pack> packs;
    ObjectTable<Disk> disks;
    ObjectTable<Volume> volumes;
    ObjectTable<VolumePlex> volumePlexes;

    // The kind of every object, for GetObject in constant time.
    ObjectTable<Kind> kinds;

    std::optional<Kind> kindOf(const GUID& id) const;

    // --- Changes ---------------------------------------------------------
    // A change opens, edits the tables in place, then commits or is undone.
    // Outside a change, edits accumulate in the tables' records until the
    // next commit (a loader commits once at its end).
    void openChange();
    // Puts back every object the change touched, and the provider lists and
    // identifier serials as they stood when it opened.
    void undoChange();
    // Keeps the change: the indexes learn what it touched, the records clear.
    void commitChange();
    // Shows the machine as it stood before the open change, or, called
    // again, as it stands now (every touched object traded with its record).
    void tradeTouched();

    // A new object's identifier, <prefix>-0000-4000-8000-<serial>: the next
    // serial of that prefix that no object uses. Serials only rise, so a
    // deleted object's identifier never comes back during the machine's
    // life, as with the real service: a client may still hold the old
    // object, and must never reach a new one through it.
    GUID issueId(std::uint32_t prefix);
    // Each table's sum of object fingerprints at the last commit, so that the
    // machine's digest costs what a change touched (model_digest.h).
    DigestSums committedDigestSums{};

    // The last serial handed out for each identifier prefix.
    std::unordered_map<std::uint32_t, std::uint64_t> lastSerial;

    // Views derived from the objects above.
    std::vector<DriveExtentView> driveExtents(const GUID& drive) const;
    std::vector<DriveExtentView> lunPlexExtents(const GUID& plex) const;
    std::vector<DiskExtentView> diskExtents(const GUID& disk) const;
    std::vector<DiskExtentView> volumePlexExtents(const GUID& plex) const;
    std::vector<ReparsePointView> reparsePoints(const GUID& volume) const;
    std::vector<std::u16string> accessPaths(const GUID& volume) const;
    // The volume that holds a drive letter (upper case), if any.
    const Volume* volumeWithLetter(char16_t letter) const;
    // Every volume that holds it: more than one only while a change is open
    // and about to be refused.
    std::vector<GUID> volumesWithLetter(char16_t letter) const;
    // The volume whose plex starts on this disk at this offset, if any.
    const Volume* volumeAt(const GUID& disk, std::uint64_t offset) const;
    std::vector<GUID> lunsOfController(const GUID& controller) const;
    // LUN plexes with an extent on the drive, volume plexes with one on the
    // disk, in no particular order: from the indexes, corrected by what the
    // open change touched.
    std::vector<GUID> lunPlexesOnDrive(const GUID& drive) const;
    std::vector<GUID> volumePlexesOnDisk(const GUID& disk) const;
    // Volumes with a mount folder under the drive letter, in no particular
    // order: from an index, corrected by what the open change touched.
    std::vector<GUID> volumesWithFoldersUnder(char16_t letter) const;
    // The disk with a partition (no volume's) that holds the letter, if any.
    const Disk* diskWithPartitionLetter(char16_t letter) const;

private:
    template <typename F>
    void eachTable(F&& f) {
        f(providers);
        f(subsystems);
        f(controllers);
        f(ports);
        f(drives);
        f(luns);
        f(lunPlexes);
        f(packs);
        f(disks);
        f(volumes);
        f(volumePlexes);
        f(kinds);
    }

    // As they stood when the open change began.
    struct Opened {
        std::vector<GUID> hardwareProviders;
        std::vector<GUID> softwareProviders;
        std::vector<GUID> unallocatedDisks;
        std::unordered_map<std::uint32_t, std::uint64_t> lastSerial;
    };
    std::optional<Opened> opened_;
    // Committed state only: which plexes have extents where, and which volume
    // holds each drive letter.
    std::unordered_map<GUID, std::vector<GUID>, GuidHash> lunPlexesByDrive_;
    std::unordered_map<GUID, std::vector<GUID>, GuidHash> volumePlexesByDisk_;
    std::unordered_map<char16_t, GUID> volumeByLetter_;
    std::unordered_map<char16_t, GUID> diskByPartitionLetter_;
    std::unordered_map<char16_t, std::vector<GUID>> volumesByFolderLetter_;
};

}  // namespace tolvane::sim
