// Changing a hardware subsystem's LUNs: create and delete them, grow and
// shrink them, add and remove plexes, recover them, and set or read their
// status, unmasking list, hints and controllers.
#include <cstdio>

#include "commands/change_shape.h"
#include "commands/handlers.h"
#include "commands/list_shapes.h"
#include "commands/lun_requests.h"
#include "commands/payload_reply.h"
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
HandlerResult lunCommand(RequestReader& in, Call&& call) {
    const auto r = vdsReadRequest<LunTargetRequest>(in);
    if (!r) return HandlerResult::nullReply();
    vdsLogId(kLunTrace, r->id);
    return vdsChange<IVdsLun>(lunTarget(r->id), {}, call);
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

HandlerResult cmdCreateLun(const CommandRow&, RequestReader& in) {
    const auto r = vdsReadRequest<CreateLunRequest>(in);
    if (!r) return HandlerResult::nullReply();
    return vdsChange<IVdsSubSystem>({VDS_OT_SUB_SYSTEM, r->subsystem}, {},
        [&](IVdsSubSystem& subsystem) {
            const WideString list = vdsWideFromBytes(r->unmaskingList.data(), r->unmaskingList.size());
            // Wide and narrow output never share stdout, so the list is logged narrow.
            vdsLog("Unmasking List :%s.....................\n",
                        NarrowText(list.c_str()).c_str());
            VDS_HINTS hints = r->hints;
            ComPtr<IVdsAsync> op;
            return vdsCallThenWait(
                subsystem.CreateLun(r->type, r->size, driveArray(r->drives), countOf(r->drives),
                                    list.c_str(), &hints, op.put()),
                op);
        });
}

HandlerResult cmdDeleteLun(const CommandRow&, RequestReader& in) {
    return lunCommand(in, [](IVdsLun& lun) {
        const HRESULT hr = lun.Delete();
        if (hr != S_OK)
            vdsLog("Delete LUN failed, error %d..................\n", static_cast<int>(hr));
        return vdsCallOutcome(hr);
    });
}

HandlerResult cmdAddLunPlex(const CommandRow&, RequestReader& in) {
    const auto r = vdsReadRequest<AddLunPlexRequest>(in);
    if (!r) return HandlerResult::nullReply();
    vdsLogIds("VDS: LUN ID: %s, LUN to be added ID: %s\n", r->lun, r->plexLun);
    return vdsChange<IVdsLun>(lunTarget(r->lun), {{VDS_OT_LUN, r->plexLun, S::SecondNotFound}},
        [&](IVdsLun& lun) {
            ComPtr<IVdsAsync> op;
            return vdsCallThenWait(lun.AddPlex(r->plexLun, op.put()), op);
        });
}

HandlerResult cmdRemoveLunPlex(const CommandRow&, RequestReader& in) {
    const auto r = vdsReadRequest<RemoveLunPlexRequest>(in);
    if (!r) return HandlerResult::nullReply();
    vdsLogIds("VDS: LUN ID: %s, LUN Plex ID: %s\n", r->lun, r->plex);
    return vdsChange<IVdsLun>(lunTarget(r->lun), {{VDS_OT_LUN_PLEX, r->plex, S::SecondNotFound}},
        [&](IVdsLun& lun) {
            ComPtr<IVdsAsync> op;
            return vdsCallThenWait(lun.RemovePlex(r->plex, op.put()), op);
        });
}

HandlerResult cmdQueryMaxLunExtendSize(const CommandRow& row, RequestReader& in) {
    const auto r = vdsReadRequest<QueryMaxLunExtendSizeRequest>(in);
    if (!r) return HandlerResult::nullReply();
    vdsLogId(kLunTrace, r->lun);
    ULONGLONG largest = 0;
    const Outcome o = vdsChange<IVdsLun>(lunTarget(r->lun), {}, [&](IVdsLun& lun) {
        return vdsCallOutcome(
            lun.QueryMaxLunExtendSize(driveArray(r->drives), countOf(r->drives), &largest));
    });
    if (!o.succeeded()) return o;
    return vdsPayloadReply(row, 20, [&](unsigned char* reply) {
        vdsPutInt32(reply, static_cast<std::int32_t>(largest & 0xFFFFFFFFu), 12);
        vdsPutInt32(reply, static_cast<std::int32_t>(largest >> 32), 16);
    });
}

HandlerResult cmdExtendLun(const CommandRow&, RequestReader& in) {
    const auto r = vdsReadRequest<ExtendLunRequest>(in);
    if (!r) return HandlerResult::nullReply();
    vdsLogId(kLunTrace, r->lun);
    return vdsChange<IVdsLun>(lunTarget(r->lun), {}, [&](IVdsLun& lun) {
        ComPtr<IVdsAsync> op;
        return vdsCallThenWait(
            lun.Extend(r->bytes, driveArray(r->drives), countOf(r->drives), op.put()), op);
    });
}

HandlerResult cmdQueryLunHints(const CommandRow& row, RequestReader& in) {
    VDS_HINTS hints{};
    const auto r = vdsReadRequest<LunTargetRequest>(in);
    if (!r) return HandlerResult::nullReply();
    vdsLogId(kLunTrace, r->id);
    const Outcome o = vdsChange<IVdsLun>(lunTarget(r->id), {}, [&](IVdsLun& lun) {
        return vdsCallOutcome(lun.QueryHints(&hints));
    });
    if (!o.succeeded()) return o;
    vdsLog("VDS: Hints Rebuild Priority: %d, write through %d\n", hints.sRebuildPriority,
                hints.bWriteThroughCachingEnabled != 0 ? 1 : 0);
    return vdsPayloadReply(row, 12 + static_cast<int>(kLunHintsRecordSize),
                           [&](unsigned char* reply) { writeLunHints(hints, reply + 12); });
}

HandlerResult cmdApplyLunHints(const CommandRow&, RequestReader& in) {
    const auto r = vdsReadRequest<ApplyLunHintsRequest>(in);
    if (!r) return HandlerResult::nullReply();
    vdsLogId(kLunTrace, r->lun);
    return vdsChange<IVdsLun>(lunTarget(r->lun), {}, [&](IVdsLun& lun) {
        VDS_HINTS hints = r->hints;
        return vdsCallOutcome(lun.ApplyHints(&hints));
    });
}

HandlerResult cmdSetLunStatus(const CommandRow& row, RequestReader& in) {
    const auto r = vdsReadRequest<SetLunStatusRequest>(in);
    if (!r) return HandlerResult::nullReply();
    vdsLogId(kLunTrace, r->lun);
    const Outcome o = vdsChange<IVdsLun>(lunTarget(r->lun), {}, [&](IVdsLun& lun) {
        return vdsCallOutcome(lun.SetStatus(r->status));
    });
    if (!o.succeeded()) return o;
    // Its success is written whole, like the replies with a payload, without the size line.
    return vdsPayloadReply(row, 12, [](unsigned char*) {});
}

HandlerResult cmdSetLunMask(const CommandRow&, RequestReader& in) {
    const auto r = vdsReadRequest<SetLunMaskRequest>(in);
    if (!r) return HandlerResult::nullReply();
    vdsLogId(kLunTrace, r->lun);
    return vdsChange<IVdsLun>(lunTarget(r->lun), {}, [&](IVdsLun& lun) {
        const WideString list = vdsWideFromBytes(r->unmaskingList.data(), r->unmaskingList.size());
        return vdsCallOutcome(lun.SetMask(list.c_str()));
    });
}

HandlerResult cmdQueryActiveControllers(const CommandRow& row, RequestReader& in) {
    const auto r = vdsReadRequest<LunTargetRequest>(in);
    if (!r) return HandlerResult::nullReply();
    vdsLogId(kLunTrace, r->id);
    InterfaceArray<IVdsController> controllers;
    const Outcome o = vdsChange<IVdsLun>(lunTarget(r->id), {}, [&](IVdsLun& lun) {
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
    return records.reply(row.replyCode());
}

HandlerResult cmdAssociateControllers(const CommandRow&, RequestReader& in) {
    const auto r = vdsReadRequest<AssociateControllersRequest>(in);
    if (!r) return HandlerResult::nullReply();
    vdsLogId(kLunTrace, r->lun);
    return vdsChange<IVdsLun>(lunTarget(r->lun), {}, [&](IVdsLun& lun) {
        // Both arrays are always passed, empty ones included.
        VDS_OBJECT_ID none{};
        const VDS_OBJECT_ID* active = r->active.empty() ? &none : r->active.data();
        const VDS_OBJECT_ID* inactive = r->inactive.empty() ? &none : r->inactive.data();
        return vdsCallOutcome(lun.AssociateControllers(active, countOf(r->active), inactive,
                                                       countOf(r->inactive)));
    });
}

HandlerResult cmdShrinkLun(const CommandRow&, RequestReader& in) {
    const auto r = vdsReadRequest<ShrinkLunRequest>(in);
    if (!r) return HandlerResult::nullReply();
    vdsLogId(kLunTrace, r->lun);
    return vdsChange<IVdsLun>(lunTarget(r->lun), {}, [&](IVdsLun& lun) {
        ComPtr<IVdsAsync> op;
        return vdsCallThenWait(lun.Shrink(r->bytes, op.put()), op);
    });
}

HandlerResult cmdRecoverLun(const CommandRow&, RequestReader& in) {
    return lunCommand(in, [](IVdsLun& lun) {
        ComPtr<IVdsAsync> op;
        return vdsCallThenWait(lun.Recover(op.put()), op);
    });
}
