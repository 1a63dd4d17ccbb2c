// What each VDS property structure says, as the simulator's model holds it:
// one function per structure, pure, so that the walker only gathers and the
// mapping can be read against docs/topology.md field by field.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/model.h"
#include "platform/vds_types.h"

namespace tolvane::capture {

std::u16string textOf(const WCHAR* text);

sim::Provider providerFrom(const VDS_PROVIDER_PROP& p);
sim::SubSystem subsystemFrom(const VDS_SUB_SYSTEM_PROP& p, const GUID& provider);
sim::Controller controllerFrom(const VDS_CONTROLLER_PROP& p, const GUID& subsystem);
sim::Port portFrom(const VDS_PORT_PROP& p, const GUID& controller, SHORT number);
sim::Drive driveFrom(const VDS_DRIVE_PROP& p, const GUID& subsystem);
sim::Lun lunFrom(const VDS_LUN_PROP& p, const GUID& subsystem);
sim::LunPlex lunPlexFrom(const VDS_LUN_PLEX_PROP& p, const GUID& lun);

sim::Pack packFrom(const VDS_PACK_PROP& p, const GUID& provider);
sim::Disk diskFrom(const VDS_DISK_PROP& p, const GUID& pack);
sim::Partition partitionFrom(const VDS_PARTITION_PROP& p);
sim::Volume volumeFrom(const VDS_VOLUME_PROP& p, const GUID& pack);
// Nothing for a volume that reads as RAW with no units: never formatted.
std::optional<sim::FileSystem> fileSystemFrom(const VDS_FILE_SYSTEM_PROP& p);
sim::VolumePlex volumePlexFrom(const VDS_VOLUME_PLEX_PROP& p, const GUID& volume);
sim::DiskSpan diskSpanFrom(const VDS_DISK_EXTENT& e);
// "E:\" is the volume's drive letter; every other path a mount folder.
void accessPathsInto(sim::Volume& v, const std::vector<std::u16string>& paths);

// A LUN plex's extents name their drive and size but no offset; the drive's
// own extents, listed in offset order with the free gaps, place them. Each
// used stretch of a drive is handed out once, in the order asked.
class DriveLayouts {
public:
    void add(const GUID& drive, const std::vector<VDS_DRIVE_EXTENT>& extents);
    std::optional<std::uint64_t> place(const GUID& drive, const GUID& lun, std::uint64_t size);

private:
    struct Used {
        GUID lun{};
        std::uint64_t offset = 0;
        std::uint64_t size = 0;
        bool placed = false;
    };
    std::unordered_map<GUID, std::vector<Used>, sim::GuidHash> used_;
};

}  // namespace tolvane::capture
