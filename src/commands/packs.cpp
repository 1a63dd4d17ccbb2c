// The packs of a software provider: their disks and volumes, a new pack,
// and the disks that move into, out of and between packs.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "commands/created_packs.h"
#include "commands/list_shapes.h"
#include "commands/pack_requests.h"
#include "commands/target_call.h"
#include "directory/providers.h"
#include "directory/records.h"
#include "protocol/framing.h"
#include "protocol/identifiers.h"
#include "protocol/log_output.h"
#include "tolvane.h"

namespace {

namespace S = status;

constexpr ListTarget kPackDisks{"VDS: Pack ID: %s\n", VDS_OT_PACK, S::VdsError, STATUS_OK,
                                ListForm::Short};
constexpr ListTarget kPackVolumes{"VDS: Pack ID %s\n", VDS_OT_PACK, S::VdsError, STATUS_OK,
                                  ListForm::Long};

// A pack that the request names, as its own interface: `notFound` when the
// service has no such pack, a VDS error when it does not answer as a pack.
Outcome resolvePack(IVdsService* service, const GUID& id, Status notFound, ComPtr<IVdsPack>& pack) {
    HRESULT hr = S_OK;
    switch (vdsResolve(service, VDS_OT_PACK, id, IID_IVdsPack, pack, &hr)) {
    case Resolved::NotFound:
        return Outcome::failed(notFound);
    case Resolved::NoInterface:
        return Outcome::vds(FAILED(hr) ? hr : E_NOINTERFACE);
    case Resolved::Found:
        break;
    }
    return Outcome::ok();
}

// Only an enumeration that opened and holds nothing makes a pack empty: one
// that cannot be read says nothing about the pack, and an empty target is
// what lets a kept reference go.
bool knownEmpty(IVdsPack* pack) {
    ComPtr<IEnumVdsObject> disks;
    if (FAILED(pack->QueryDisks(disks.put())) || !disks) return false;
    return vdsCountObjects(disks.get()) == 0;
}

// The disk record leaves the five texts of the properties with the caller.
void writeDiskRecord(VDS_DISK_PROP properties, RecordSink& out) {
    vdsWriteDiskRecord(properties, out);
    vdsFreePropertyTexts(properties);
}

constexpr int kMigrateFirstResult = 12;
constexpr int kMigrateReboot = 16;
constexpr int kNewPackId = 12;

}  // namespace

Answer cmdQueryPackDisks(const PackListRequest& r, IVdsService* service) {
    return vdsListChildren<VDS_DISK_PROP>(service, kPackDisks, r.id, IID_IVdsPack, vdsGetDiskCount,
                                          vdsGetDisks, writeDiskRecord);
}

Answer cmdQueryVolumes(const PackListRequest& r, IVdsService* service) {
    return vdsListChildren<VDS_VOLUME_PROP>(service, kPackVolumes, r.id, IID_IVdsPack,
                                            vdsGetVolumeCount, vdsGetVolumes, vdsWriteVolumeRecord);
}

Answer cmdAddDisk(const AddDiskRequest& r, IVdsService* service) {
    vdsLogId("VDS: Pack ID %s\n", r.pack);
    return vdsCallOnTarget<IVdsPack>(service, {VDS_OT_PACK, r.pack}, {}, [&](IVdsPack& pack) {
        return vdsCallOutcome(
            pack.AddDisk(r.disk, static_cast<VDS_PARTITION_STYLE>(r.style), r.hotSpare));
    });
}

Answer cmdMigrateDisks(const MigrateDisksRequest& r, IVdsService* service) {
    vdsLog("VDS: Pack ID %s, target Pack ID %s, force %d, query only %d, number of disks %d\n",
                vdsGuidText(r.source).get(), vdsGuidText(r.target).get(), r.force, r.queryOnly,
                r.count);

    ComPtr<IVdsPack> source;
    if (const Outcome o = resolvePack(service, r.source, S::TargetNotFound, source); !o.succeeded())
        return o;
    ComPtr<IVdsPack> target;
    if (const Outcome o = resolvePack(service, r.target, S::SecondNotFound, target); !o.succeeded())
        return o;
    const bool targetWasEmpty = knownEmpty(target.get());

    std::vector<HRESULT> results(std::max<std::size_t>(r.disks.size(), 1), S_OK);
    BOOL reboot = FALSE;
    std::vector<VDS_OBJECT_ID> disks = r.disks;  // VDS takes the array as its to write
    const HRESULT hr = source->MigrateDisks(disks.data(), r.count, r.target, r.force,
                                            r.queryOnly, results.data(), &reboot);
    source.reset();
    target.reset();

    // Disks moving into a pack made here end the need for our reference,
    // whatever the move answered; a pack made elsewhere has none to give.
    if (targetWasEmpty && vdsGiveBackCreatedPack(r.target))
        vdsLog("Release the new Pack interface....\n");

    if (hr != S_OK) return Outcome::vds(hr);
    const HRESULT first = r.disks.empty() ? S_OK : results[0];
    ReplyBody body = ReplyBody::withPayload(sizeof first + sizeof reboot);
    if (body.empty()) return Answer::nullReply();
    vdsPutInt32(body.data(), first, kMigrateFirstResult);
    vdsPutInt32(body.data(), reboot, kMigrateReboot);
    return body;
}

Answer cmdReplaceDisk(const ReplaceDiskRequest& r, IVdsService* service) {
    vdsLog("VDS: Pack ID %s, old disk ID %s, new disk ID %s\n", vdsGuidText(r.pack).get(),
                vdsGuidText(r.oldDisk).get(), vdsGuidText(r.newDisk).get());
    // The disks are looked up before the pack.
    if (const Outcome o = vdsCheckExist(service, {{VDS_OT_DISK, r.oldDisk, S::SecondNotFound},
                                         {VDS_OT_DISK, r.newDisk, S::ThirdNotFound}});
        !o.succeeded())
        return o;
    return vdsCallOnTarget<IVdsPack>(service, {VDS_OT_PACK, r.pack}, {}, [&](IVdsPack& pack) {
        ComPtr<IVdsAsync> operation;
        return vdsCallThenWait(pack.ReplaceDisk(r.oldDisk, r.newDisk, operation.put()), operation);
    });
}

Answer cmdRemoveMissingDisk(const RemoveMissingDiskRequest& r, IVdsService* service) {
    vdsLogIds("VDS: Pack ID %s, disk ID %s\n", r.pack, r.disk);
    if (const Outcome o = vdsCheckExist(service, {{VDS_OT_DISK, r.disk, S::SecondNotFound}}); !o.succeeded())
        return o;
    return vdsCallOnTarget<IVdsPack>(service, {VDS_OT_PACK, r.pack}, {}, [&](IVdsPack& pack) {
        return vdsCallOutcome(pack.RemoveMissingDisk(r.disk));
    });
}

Answer cmdCreatePack(const CreatePackRequest& r, IVdsService* service) {
    vdsLogId("VDS: Software Provider ID %s\n", r.id);
    ComPtr<IVdsSwProvider> provider(vdsFindSwProvider(service, r.id));
    if (!provider) return Outcome::failed(S::TargetNotFound);

    ComPtr<IVdsPack> pack;
    HRESULT hr = provider->CreatePack(pack.put());
    provider.reset();
    if (hr != S_OK) return Outcome::vds(hr);
    if (!pack) return Outcome::vds(E_POINTER);

    VDS_PACK_PROP properties{};
    hr = pack->GetProperties(&properties);
    vdsFreePropertyTexts(properties);
    // A pack whose identifier cannot be read can never be named again, so
    // its reference is given back here rather than held for ever.
    if (hr != S_OK) return Outcome::vds(hr);

    const VDS_OBJECT_ID id = properties.id;
    vdsKeepCreatedPack(id, std::move(pack));
    ReplyBody body = ReplyBody::withPayload(sizeof id);
    if (body.empty()) return Answer::nullReply();
    std::memcpy(body.data() + kNewPackId, &id, sizeof id);
    return body;
}
