// The volumes of a pack and their plexes: list plexes and their extents;
// create, grow, shrink and delete volumes; add, break off, remove and repair
// plexes; set and clear a volume's flags.
#include <cstdio>
#include <cstring>
#include <memory>

#include "commands/list_shapes.h"
#include "commands/target_call.h"
#include "commands/volume_requests.h"
#include "directory/finders.h"
#include "directory/providers.h"
#include "directory/records.h"
#include "protocol/identifiers.h"
#include "protocol/log_output.h"

namespace {

namespace S = status;

constexpr ListTarget kVolumePlexes{"VDS: Volume ID: %s\n", VDS_OT_VOLUME, S::VdsError, STATUS_OK,
                                   ListForm::Long};

// Striped and parity volumes are laid out in 64 KiB stripes; the other kinds
// take none.
constexpr ULONG kStripeSize = 65536;
ULONG stripeSizeFor(std::int32_t type) {
    return type == VDS_VT_STRIPE || type == VDS_VT_PARITY ? kStripeSize : 0;
}

// VDS takes no array at all for an empty list of disks. The array is a copy
// of the request's (aligned, as it never is in the request's own bytes): VDS
// takes it as its to write.
VDS_INPUT_DISK* diskArray(std::vector<VDS_INPUT_DISK>& disks) {
    return disks.empty() ? nullptr : disks.data();
}
LONG countOf(const std::vector<VDS_INPUT_DISK>& disks) { return static_cast<LONG>(disks.size()); }

ChangeLookup volumeTarget(const GUID& id) { return {VDS_OT_VOLUME, id}; }

// A command of the volume named at 4 that takes nothing else from the
// request but what `call` reads from it.
template <typename Request, typename Call>
Answer volumeCommand(const Request& r, IVdsService* service, Call&& call) {
    return vdsCallOnTarget<IVdsVolume>(service, volumeTarget(r.volume), {},
                                       [&](IVdsVolume& volume) { return call(volume, r); });
}

// 0x0505 to 0x0507: the volume, then the second object, which only has to exist.
template <typename Call>
Answer volumeAndSecond(const VolumeAndSecondRequest& r, IVdsService* service, const char* trace,
                       VDS_OBJECT_TYPE secondType, Call&& call) {
    vdsLogIds(trace, r.volume, r.second);
    return vdsCallOnTarget<IVdsVolume>(service, volumeTarget(r.volume), {{secondType, r.second, S::SecondNotFound}},
                                       [&](IVdsVolume& volume) {
                                           ComPtr<IVdsAsync> operation;
                                           return vdsCallThenWait(call(volume, r.second, operation.put()), operation);
                                       });
}

}  // namespace

Answer cmdQueryVolumePlexes(const VolumePlexListRequest& r, IVdsService* service) {
    return vdsListChildren<VDS_VOLUME_PLEX_PROP>(service, kVolumePlexes, r.id, IID_IVdsVolume,
                                                 vdsGetVolumePlexCount, vdsGetVolumePlexes,
                                                 vdsWriteVolumePlexRecord);
}

Answer cmdQueryVolumePlexExtents(const VolumePlexExtentsRequest& r, IVdsService* service) {
    vdsLog("VDS: Provider ID: %s, pack ID: %s, volume ID: %s, plex ID: %s\n",
                vdsGuidText(r.provider).get(), vdsGuidText(r.pack).get(),
                vdsGuidText(r.volume).get(), vdsGuidText(r.plex).get());
    // Each level is searched among the children of the one above, so an
    // identifier of another branch is unknown here.
    ComPtr<IVdsSwProvider> provider(vdsFindSwProvider(service, r.provider));
    if (!provider) return Outcome::failed(S::TargetNotFound);
    ComPtr<IVdsPack> pack(vdsFindPack(provider.get(), r.pack));
    provider.reset();
    if (!pack) return Outcome::failed(S::SecondNotFound);
    ComPtr<IVdsVolume> volume(vdsFindVolume(pack.get(), r.volume));
    pack.reset();
    if (!volume) return Outcome::failed(S::ThirdNotFound);
    ComPtr<IVdsVolumePlex> plex(vdsFindVolumePlex(volume.get(), r.plex));
    volume.reset();
    if (!plex) return Outcome::failed(S::FourthNotFound);
    return vdsListExtentsOf<IVdsVolumePlex, VDS_DISK_EXTENT>(
        ListForm::Long, std::move(plex),
        [](IVdsVolumePlex* p, VDS_DISK_EXTENT** extents, LONG* count) {
            return p->QueryExtents(extents, count);
        },
        kDiskExtentRecordSize,
        [](const VDS_DISK_EXTENT& extent, unsigned char* at) { vdsWriteDiskExtentRecordAt(extent, at); });
}

Answer cmdRepairVolumePlex(const RepairVolumePlexRequest& r, IVdsService* service) {
    vdsLogId("VDS: Volume Plex ID %s\n", r.plex);
    std::vector<VDS_INPUT_DISK> disks = r.disks;
    return vdsCallOnTarget<IVdsVolumePlex>(service, {VDS_OT_VOLUME_PLEX, r.plex}, {}, [&](IVdsVolumePlex& plex) {
        ComPtr<IVdsAsync> operation;
        return vdsCallThenWait(plex.Repair(diskArray(disks), countOf(disks), operation.put()), operation);
    });
}

Answer cmdExtendVolume(const ExtendVolumeRequest& r, IVdsService* service) {
    vdsLogId("VDS: Volume ID %s\n", r.volume);
    std::vector<VDS_INPUT_DISK> disks = r.disks;
    return vdsCallOnTarget<IVdsVolume>(service, volumeTarget(r.volume), {}, [&](IVdsVolume& volume) {
        ComPtr<IVdsAsync> operation;
        return vdsCallThenWait(volume.Extend(diskArray(disks), countOf(disks), operation.put()), operation);
    });
}

Answer cmdAddVolumePlex(const VolumeAndSecondRequest& r, IVdsService* service) {
    return volumeAndSecond(r, service, "VDS: Volume ID: %s, volume to be added ID: %s\n", VDS_OT_VOLUME,
                           [](IVdsVolume& v, const GUID& source, IVdsAsync** op) {
                               return v.AddPlex(source, op);
                           });
}

Answer cmdBreakVolumePlex(const VolumeAndSecondRequest& r, IVdsService* service) {
    return volumeAndSecond(r, service, "VDS: Volume ID: %s, volume plex ID: %s\n", VDS_OT_VOLUME_PLEX,
                           [](IVdsVolume& v, const GUID& plex, IVdsAsync** op) {
                               return v.BreakPlex(plex, op);
                           });
}

Answer cmdRemoveVolumePlex(const VolumeAndSecondRequest& r, IVdsService* service) {
    return volumeAndSecond(r, service, "VDS: Volume ID: %s, volume plex ID: %s\n", VDS_OT_VOLUME_PLEX,
                           [](IVdsVolume& v, const GUID& plex, IVdsAsync** op) {
                               return v.RemovePlex(plex, op);
                           });
}

Answer cmdCreateVolume(const CreateVolumeRequest& r, IVdsService* service) {
    vdsLog("VDS: Pack ID: %s, type %d, number of disks: %d\n", vdsGuidText(r.pack).get(), r.type, r.count);
    std::vector<VDS_INPUT_DISK> disks = r.disks;
    return vdsCallOnTarget<IVdsPack>(service, {VDS_OT_PACK, r.pack}, {}, [&](IVdsPack& pack) {
        ComPtr<IVdsAsync> operation;
        return vdsCallThenWait(pack.CreateVolume(static_cast<VDS_VOLUME_TYPE>(r.type), diskArray(disks),
                                                 countOf(disks), stripeSizeFor(r.type), operation.put()),
                               operation);
    });
}

Answer cmdDeleteVolume(const DeleteVolumeRequest& r, IVdsService* service) {
    return volumeCommand(r, service, [](IVdsVolume& v, const DeleteVolumeRequest& r) {
        return vdsCallOutcome(v.Delete(r.force));
    });
}

Answer cmdShrinkVolume(const ShrinkVolumeRequest& r, IVdsService* service) {
    return volumeCommand(r, service, [](IVdsVolume& v, const ShrinkVolumeRequest& r) {
        ComPtr<IVdsAsync> operation;
        return vdsCallThenWait(v.Shrink(r.bytes, operation.put()), operation);
    });
}

Answer cmdSetVolumeFlags(const SetVolumeFlagsRequest& r, IVdsService* service) {
    return volumeCommand(r, service, [](IVdsVolume& v, const SetVolumeFlagsRequest& r) {
        return vdsCallOutcome(v.SetFlags(r.flags, r.revertOnClose));
    });
}

Answer cmdClearVolumeFlags(const ClearVolumeFlagsRequest& r, IVdsService* service) {
    return volumeCommand(r, service, [](IVdsVolume& v, const ClearVolumeFlagsRequest& r) {
        return vdsCallOutcome(v.ClearFlags(r.flags));
    });
}
