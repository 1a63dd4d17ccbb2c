// Changing a hardware subsystem's LUNs: create and delete them, grow and
// shrink them, add and remove plexes, recover them, and set or read their
// status, unmasking list, hints and controllers.
#include <cstdio>

#include "commands/list_shapes.h"
#include "commands/lun_requests.h"
#include "commands/target_call.h"
#include "directory/children.h"
#include "directory/interface_array.h"
#include "directory/property_texts.h"
#include "directory/records.h"
#include "protocol/framing.h"
#include "protocol/identifiers.h"
#include "protocol/log_output.h"
#include "protocol/text_convert.h"

namespace {

namespace S = status;

constexpr const char* kLunTrace = "VDS: LUN ID: %s\n";

ChangeLookup lunTarget(const GUID& id) { return {VDS_OT_LUN, id}; }

// VDS takes no array at all for an empty list of drives.
const VDS_OBJECT_ID* driveArray(const std::vector<VDS_OBJECT_ID>& ids) {
    return ids.empty() ? nullptr : ids.data();
}

LONG countOf(const std::vector<VDS_OBJECT_ID>& ids) { return static_cast<LONG>(ids.size()); }

// A LUN command whose one call takes nothing from the request but the LUN.
template <typename Call>
Answer lunCommand(const LunTargetRequest& r, IVdsService* service, Call&& call) {
    vdsLogId(kLunTrace, r.id);
    return vdsCallOnTarget<IVdsLun>(service, lunTarget(r.id), {}, call);
}

void writeLunHints(const VDS_HINTS& h, unsigned char* at) {
    vdsPutInt32(at, static_cast<std::int32_t>(h.ullHintMask & 0xFFFFFFFFu), 0);
    vdsPutInt32(at, static_cast<std::int32_t>(h.ullHintMask >> 32), 4);
    vdsPutInt32(at, static_cast<std::int32_t>(h.ullExpectedMaximumSize & 0xFFFFFFFFu), 8);
    vdsPutInt32(at, static_cast<std::int32_t>(h.ullExpectedMaximumSize >> 32), 12);
    const ULONG sizes[] = {h.ulOptimalReadSize,       h.ulOptimalReadAlignment,
                           h.ulOptimalWriteSize,      h.ulOptimalWriteAlignment,
                           h.ulMaximumDriveCount,     h.ulStripeSize};
    for (std::size_t i = 0; i < std::size(sizes); ++i)
        vdsPutInt32(at, static_cast<std::int32_t>(sizes[i]), 16 + 4 * static_cast<int>(i));
    vdsPutInt16(at, h.sRebuildPriority, 40);
    const BOOL flags[] = {h.bFastCrashRecoveryRequired, h.bMostlyReads,
                          h.bOptimizeForSequentialReads, h.bOptimizeForSequentialWrites,
                          h.bRemapEnabled, h.bReadBackVerifyEnabled,
                          h.bWriteThroughCachingEnabled, h.bHardwareChecksumEnabled,
                          h.bIsYankable};
    for (std::size_t i = 0; i < std::size(flags); ++i)
        at[42 + i] = static_cast<unsigned char>(flags[i] & 0xFF);
}

}  // namespace

Answer cmdCreateLun(const CreateLunRequest& r, IVdsService* service) {
    return vdsCallOnTarget<IVdsSubSystem>(service, {VDS_OT_SUB_SYSTEM, r.subsystem}, {},
        [&](IVdsSubSystem& subsystem) {
            const WideString list = vdsWideFromBytes(r.unmaskingList.data(), r.unmaskingList.size());
            // Wide and narrow output never share stdout, so the list is logged narrow.
            vdsLog("Unmasking List :%s.....................\n",
                        NarrowText(list.c_str()).c_str());
            VDS_HINTS hints = r.hints;
            ComPtr<IVdsAsync> op;
            return vdsCallThenWait(
                subsystem.CreateLun(r.type, r.size, driveArray(r.drives), countOf(r.drives),
                                    list.c_str(), &hints, op.put()),
                op);
        });
}

Answer cmdDeleteLun(const LunTargetRequest& r, IVdsService* service) {
    return lunCommand(r, service, [](IVdsLun& lun) {
        const HRESULT hr = lun.Delete();
        if (hr != S_OK)
            vdsLog("Delete LUN failed, error %d..................\n", static_cast<int>(hr));
        return vdsCallOutcome(hr);
    });
}

Answer cmdAddLunPlex(const AddLunPlexRequest& r, IVdsService* service) {
    vdsLogIds("VDS: LUN ID: %s, LUN to be added ID: %s\n", r.lun, r.plexLun);
    return vdsCallOnTarget<IVdsLun>(service, lunTarget(r.lun), {{VDS_OT_LUN, r.plexLun, S::SecondNotFound}},
        [&](IVdsLun& lun) {
            ComPtr<IVdsAsync> op;
            return vdsCallThenWait(lun.AddPlex(r.plexLun, op.put()), op);
        });
}

Answer cmdRemoveLunPlex(const RemoveLunPlexRequest& r, IVdsService* service) {
    vdsLogIds("VDS: LUN ID: %s, LUN Plex ID: %s\n", r.lun, r.plex);
    return vdsCallOnTarget<IVdsLun>(service, lunTarget(r.lun), {{VDS_OT_LUN_PLEX, r.plex, S::SecondNotFound}},
        [&](IVdsLun& lun) {
            ComPtr<IVdsAsync> op;
            return vdsCallThenWait(lun.RemovePlex(r.plex, op.put()), op);
        });
}

Answer cmdQueryMaxLunExtendSize(const QueryMaxLunExtendSizeRequest& r, IVdsService* service) {
    vdsLogId(kLunTrace, r.lun);
    ULONGLONG largest = 0;
    const Outcome o = vdsCallOnTarget<IVdsLun>(service, lunTarget(r.lun), {}, [&](IVdsLun& lun) {
        return vdsCallOutcome(
            lun.QueryMaxLunExtendSize(driveArray(r.drives), countOf(r.drives), &largest));
    });
    if (!o.succeeded()) return o;
    ReplyBody body = ReplyBody::withPayload(sizeof largest);
    if (body.empty()) return Answer::nullReply();
    vdsPutInt32(body.data(), static_cast<std::int32_t>(largest & 0xFFFFFFFFu), kOutputHeaderSize);
    vdsPutInt32(body.data(), static_cast<std::int32_t>(largest >> 32), kOutputHeaderSize + 4);
    return body;
}

Answer cmdExtendLun(const ExtendLunRequest& r, IVdsService* service) {
    vdsLogId(kLunTrace, r.lun);
    return vdsCallOnTarget<IVdsLun>(service, lunTarget(r.lun), {}, [&](IVdsLun& lun) {
        ComPtr<IVdsAsync> op;
        return vdsCallThenWait(
            lun.Extend(r.bytes, driveArray(r.drives), countOf(r.drives), op.put()), op);
    });
}

Answer cmdQueryLunHints(const LunTargetRequest& r, IVdsService* service) {
    VDS_HINTS hints{};
    vdsLogId(kLunTrace, r.id);
    const Outcome o = vdsCallOnTarget<IVdsLun>(service, lunTarget(r.id), {}, [&](IVdsLun& lun) {
        return vdsCallOutcome(lun.QueryHints(&hints));
    });
    if (!o.succeeded()) return o;
    vdsLog("VDS: Hints Rebuild Priority: %d, write through %d\n", hints.sRebuildPriority,
                hints.bWriteThroughCachingEnabled != 0 ? 1 : 0);
    ReplyBody body = ReplyBody::withPayload(kLunHintsRecordSize);
    if (body.empty()) return Answer::nullReply();
    writeLunHints(hints, body.data() + kOutputHeaderSize);
    return body;
}

Answer cmdApplyLunHints(const ApplyLunHintsRequest& r, IVdsService* service) {
    vdsLogId(kLunTrace, r.lun);
    return vdsCallOnTarget<IVdsLun>(service, lunTarget(r.lun), {}, [&](IVdsLun& lun) {
        VDS_HINTS hints = r.hints;
        return vdsCallOutcome(lun.ApplyHints(&hints));
    });
}

Answer cmdSetLunStatus(const SetLunStatusRequest& r, IVdsService* service) {
    vdsLogId(kLunTrace, r.lun);
    const Outcome o = vdsCallOnTarget<IVdsLun>(service, lunTarget(r.lun), {}, [&](IVdsLun& lun) {
        return vdsCallOutcome(lun.SetStatus(r.status));
    });
    if (!o.succeeded()) return o;
    // Its success is a reply of its own without payload, and without the size line.
    return ReplyBody::withPayload(0);
}

Answer cmdSetLunMask(const SetLunMaskRequest& r, IVdsService* service) {
    vdsLogId(kLunTrace, r.lun);
    return vdsCallOnTarget<IVdsLun>(service, lunTarget(r.lun), {}, [&](IVdsLun& lun) {
        const WideString list = vdsWideFromBytes(r.unmaskingList.data(), r.unmaskingList.size());
        return vdsCallOutcome(lun.SetMask(list.c_str()));
    });
}

Answer cmdQueryActiveControllers(const LunTargetRequest& r, IVdsService* service) {
    vdsLogId(kLunTrace, r.id);
    InterfaceArray<IVdsController> controllers;
    const Outcome o = vdsCallOnTarget<IVdsLun>(service, lunTarget(r.id), {}, [&](IVdsLun& lun) {
        const int n = vdsGetActiveControllerCount(&lun);
        if (n > 0) {
            controllers = InterfaceArray<IVdsController>(n);
            controllers.setSize(vdsGetActiveControllers(&lun, controllers.data(), controllers.capacity()));
        }
        return Outcome::ok();
    });
    // No active controller: the bare 14-byte answer with count 0.
    if (!o.succeeded() || controllers.size() == 0) return o;
    // A controller whose properties cannot be read is left out of the records and the count.
    RecordList records(ListForm::Short);
    records.reserve(controllers.size());
    vdsAddChildRecords<VDS_CONTROLLER_PROP>(records, controllers, vdsWriteControllerRecord);
    return records.reply();
}

Answer cmdAssociateControllers(const AssociateControllersRequest& r, IVdsService* service) {
    vdsLogId(kLunTrace, r.lun);
    return vdsCallOnTarget<IVdsLun>(service, lunTarget(r.lun), {}, [&](IVdsLun& lun) {
        // Both arrays are always passed, empty ones included.
        VDS_OBJECT_ID none{};
        const VDS_OBJECT_ID* active = r.active.empty() ? &none : r.active.data();
        const VDS_OBJECT_ID* inactive = r.inactive.empty() ? &none : r.inactive.data();
        return vdsCallOutcome(lun.AssociateControllers(active, countOf(r.active), inactive,
                                                       countOf(r.inactive)));
    });
}

Answer cmdShrinkLun(const ShrinkLunRequest& r, IVdsService* service) {
    vdsLogId(kLunTrace, r.lun);
    return vdsCallOnTarget<IVdsLun>(service, lunTarget(r.lun), {}, [&](IVdsLun& lun) {
        ComPtr<IVdsAsync> op;
        return vdsCallThenWait(lun.Shrink(r.bytes, op.put()), op);
    });
}

Answer cmdRecoverLun(const LunTargetRequest& r, IVdsService* service) {
    return lunCommand(r, service, [](IVdsLun& lun) {
        ComPtr<IVdsAsync> op;
        return vdsCallThenWait(lun.Recover(op.put()), op);
    });
}
