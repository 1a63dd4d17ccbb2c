// Changing the hardware other than LUNs: the status of subsystems,
// controllers and drives, replacing a drive, resetting a controller,
// maintenance operations, drive flags, and finding a drive by its position.
// None of these VDS calls is asynchronous, so every one ends in vdsCallOutcome.
#include <cstdio>
#include <cstring>
#include <memory>

#include "commands/change_shape.h"
#include "commands/handlers.h"
#include "commands/hardware_management_requests.h"
#include "commands/payload_reply.h"
#include "directory/property_texts.h"
#include "directory/records.h"
#include "protocol/identifiers.h"
#include "protocol/log_output.h"

namespace {

namespace S = status;

void logIdAndNumber(const char* format, const GUID& id, int number) {
    const GuidText text = vdsGuidText(id);
    vdsLog(format, text.get(), number);
}

// The maintenance targets by kind, each with the status that says it is unknown.
template <typename Interface>
Outcome maintain(VDS_OBJECT_TYPE type, Status notFound, const MaintenanceRequest& r) {
    return vdsChange<Interface>({type, r.target, notFound}, {}, [&](Interface& object) {
        ComPtr<IVdsMaintenance> maintenance;
        const HRESULT hr = object.QueryInterface(IID_IVdsMaintenance, maintenance.putVoid());
        if (hr != S_OK || !maintenance) return Outcome::vds(hr != S_OK ? hr : E_NOINTERFACE);
        const auto operation = static_cast<VDS_MAINTENANCE_OPERATION>(r.operation);
        switch (r.action) {
        case 0: return vdsCallOutcome(maintenance->StartMaintenance(operation));
        case 1: return vdsCallOutcome(maintenance->StopMaintenance(operation));
        default: return vdsCallOutcome(maintenance->PulseMaintenance(operation, r.pulses));
        }
    });
}

constexpr std::uint32_t kLastAction = 2;  // 0 start, 1 stop, 2 pulse

}  // namespace

HandlerResult cmdSetSubSystemStatus(const CommandRow&, RequestReader& in) {
    const auto r = vdsReadRequest<SubSystemStatusRequest>(in);
    if (!r) return HandlerResult::nullReply();
    logIdAndNumber("VDS: SubSystem ID: %s, status: %d\n", r->subsystem, r->status);
    return vdsChange<IVdsSubSystem>({VDS_OT_SUB_SYSTEM, r->subsystem}, {}, [&](IVdsSubSystem& s) {
        return vdsCallOutcome(s.SetStatus(static_cast<VDS_SUB_SYSTEM_STATUS>(r->status)));
    });
}

HandlerResult cmdSetDriveStatus(const CommandRow&, RequestReader& in) {
    const auto r = vdsReadRequest<ObjectStatusRequest>(in);
    if (!r) return HandlerResult::nullReply();
    logIdAndNumber("VDS: Drive ID: %s, status: %d\n", r->object, r->status);
    return vdsChange<IVdsDrive>({VDS_OT_DRIVE, r->object}, {}, [&](IVdsDrive& d) {
        return vdsCallOutcome(d.SetStatus(static_cast<VDS_DRIVE_STATUS>(r->status)));
    });
}

HandlerResult cmdSetControllerStatus(const CommandRow&, RequestReader& in) {
    const auto r = vdsReadRequest<ObjectStatusRequest>(in);
    if (!r) return HandlerResult::nullReply();
    logIdAndNumber("VDS: Controller ID: %s, status: %d\n", r->object, r->status);
    return vdsChange<IVdsController>({VDS_OT_CONTROLLER, r->object}, {}, [&](IVdsController& c) {
        return vdsCallOutcome(c.SetStatus(static_cast<VDS_CONTROLLER_STATUS>(r->status)));
    });
}

HandlerResult cmdReplaceDrive(const CommandRow&, RequestReader& in) {
    const auto r = vdsReadRequest<ReplaceDriveRequest>(in);
    if (!r) return HandlerResult::nullReply();
    {
        const GuidText s = vdsGuidText(r->subsystem);
        const GuidText replaced = vdsGuidText(r->replaced);
        const GuidText replacement = vdsGuidText(r->replacement);
        vdsLog("VDS: Subsystem ID: %s, replace drive 1: %s, replace drive 2: %s\n", s.get(),
                    replaced.get(), replacement.get());
    }
    return vdsChange<IVdsSubSystem>(
        {VDS_OT_SUB_SYSTEM, r->subsystem},
        {{VDS_OT_DRIVE, r->replaced, S::SecondNotFound}, {VDS_OT_DRIVE, r->replacement, S::ThirdNotFound}},
        [&](IVdsSubSystem& s) { return vdsCallOutcome(s.ReplaceDrive(r->replaced, r->replacement)); });
}

HandlerResult cmdResetController(const CommandRow&, RequestReader& in) {
    const auto r = vdsReadRequest<ControllerRequest>(in);
    if (!r) return HandlerResult::nullReply();
    return vdsChange<IVdsController>({VDS_OT_CONTROLLER, r->id}, {},
                                     [](IVdsController& c) { return vdsCallOutcome(c.Reset()); });
}

HandlerResult cmdMaintenance(const CommandRow&, RequestReader& in) {
    const auto r = vdsReadRequest<MaintenanceRequest>(in);
    if (!r) return HandlerResult::nullReply();
    // Callers send kinds and actions beyond the known ones and have always
    // been told success, with nothing asked of VDS.
    if (r->action > kLastAction) return Outcome::ok();
    switch (r->kind) {
    case 0: return maintain<IVdsSubSystem>(VDS_OT_SUB_SYSTEM, S::TargetNotFound, *r);
    case 1: return maintain<IVdsController>(VDS_OT_CONTROLLER, S::SecondNotFound, *r);
    case 2: return maintain<IVdsDrive>(VDS_OT_DRIVE, S::ThirdNotFound, *r);
    default: return Outcome::ok();
    }
}

HandlerResult cmdGetDrive(const CommandRow& row, RequestReader& in) {
    const auto r = vdsReadRequest<DrivePositionRequest>(in);
    if (!r) return HandlerResult::nullReply();
    {
        const GuidText s = vdsGuidText(r->subsystem);
        vdsLog("VDS: Subsystem ID: %s, bus number %d, slot number %d\n", s.get(), r->bus, r->slot);
    }
    VDS_DRIVE_PROP prop{};
    const Outcome found = vdsChange<IVdsSubSystem>({VDS_OT_SUB_SYSTEM, r->subsystem}, {}, [&](IVdsSubSystem& s) {
        ComPtr<IVdsDrive> drive;
        HRESULT hr = s.GetDrive(r->bus, r->slot, drive.put());
        if (hr == S_OK && !drive) hr = E_POINTER;
        if (hr != S_OK) return Outcome::vds(hr);
        hr = drive->GetProperties(&prop);
        if (hr != S_OK) vdsFreePropertyTexts(prop);
        return vdsCallOutcome(hr);
    });
    if (!found.succeeded()) return found;
    int length = 0;
    const std::unique_ptr<unsigned char[]> record(vdsMakeRecord(vdsWriteDriveRecord, prop, &length));
    if (!record) return HandlerResult::nullReply();
    return vdsPayloadReply(row, 12 + length,
                           [&](unsigned char* reply) { std::memcpy(reply + 12, record.get(), length); });
}

HandlerResult cmdSetDriveFlags(const CommandRow&, RequestReader& in) {
    const auto r = vdsReadRequest<DriveFlagsRequest>(in);
    if (!r) return HandlerResult::nullReply();
    return vdsChange<IVdsDrive>({VDS_OT_DRIVE, r->drive}, {},
                                [&](IVdsDrive& d) { return vdsCallOutcome(d.SetFlags(r->flags)); });
}

HandlerResult cmdClearDriveFlags(const CommandRow&, RequestReader& in) {
    const auto r = vdsReadRequest<DriveFlagsRequest>(in);
    if (!r) return HandlerResult::nullReply();
    return vdsChange<IVdsDrive>({VDS_OT_DRIVE, r->drive}, {},
                                [&](IVdsDrive& d) { return vdsCallOutcome(d.ClearFlags(r->flags)); });
}
