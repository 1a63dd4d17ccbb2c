// Changing the hardware other than LUNs: the status of subsystems,
// controllers and drives, replacing a drive, resetting a controller,
// maintenance operations, drive flags, and finding a drive by its position.
// None of these VDS calls is asynchronous, so every one ends in vdsCallOutcome.
#include <cstdio>
#include <cstring>
#include <memory>

#include "commands/hardware_management_requests.h"
#include "commands/target_call.h"
#include "directory/property_texts.h"
#include "directory/records.h"
#include "protocol/framing.h"
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
Outcome maintain(IVdsService* service, VDS_OBJECT_TYPE type, Status notFound, const MaintenanceRequest& r) {
    return vdsCallOnTarget<Interface>(service, {type, r.target, notFound}, {}, [&](Interface& object) {
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

Answer cmdSetSubSystemStatus(const SubSystemStatusRequest& r, IVdsService* service) {
    logIdAndNumber("VDS: SubSystem ID: %s, status: %d\n", r.subsystem, r.status);
    return vdsCallOnTarget<IVdsSubSystem>(service, {VDS_OT_SUB_SYSTEM, r.subsystem}, {}, [&](IVdsSubSystem& s) {
        return vdsCallOutcome(s.SetStatus(static_cast<VDS_SUB_SYSTEM_STATUS>(r.status)));
    });
}

Answer cmdSetDriveStatus(const ObjectStatusRequest& r, IVdsService* service) {
    logIdAndNumber("VDS: Drive ID: %s, status: %d\n", r.object, r.status);
    return vdsCallOnTarget<IVdsDrive>(service, {VDS_OT_DRIVE, r.object}, {}, [&](IVdsDrive& d) {
        return vdsCallOutcome(d.SetStatus(static_cast<VDS_DRIVE_STATUS>(r.status)));
    });
}

Answer cmdSetControllerStatus(const ObjectStatusRequest& r, IVdsService* service) {
    logIdAndNumber("VDS: Controller ID: %s, status: %d\n", r.object, r.status);
    return vdsCallOnTarget<IVdsController>(service, {VDS_OT_CONTROLLER, r.object}, {}, [&](IVdsController& c) {
        return vdsCallOutcome(c.SetStatus(static_cast<VDS_CONTROLLER_STATUS>(r.status)));
    });
}

Answer cmdReplaceDrive(const ReplaceDriveRequest& r, IVdsService* service) {
    {
        const GuidText s = vdsGuidText(r.subsystem);
        const GuidText replaced = vdsGuidText(r.replaced);
        const GuidText replacement = vdsGuidText(r.replacement);
        vdsLog("VDS: Subsystem ID: %s, replace drive 1: %s, replace drive 2: %s\n", s.get(),
                    replaced.get(), replacement.get());
    }
    return vdsCallOnTarget<IVdsSubSystem>(service, 
        {VDS_OT_SUB_SYSTEM, r.subsystem},
        {{VDS_OT_DRIVE, r.replaced, S::SecondNotFound}, {VDS_OT_DRIVE, r.replacement, S::ThirdNotFound}},
        [&](IVdsSubSystem& s) { return vdsCallOutcome(s.ReplaceDrive(r.replaced, r.replacement)); });
}

Answer cmdResetController(const ControllerRequest& r, IVdsService* service) {
    return vdsCallOnTarget<IVdsController>(service, {VDS_OT_CONTROLLER, r.id}, {},
                                     [](IVdsController& c) { return vdsCallOutcome(c.Reset()); });
}

Answer cmdMaintenance(const MaintenanceRequest& r, IVdsService* service) {
    // Callers send kinds and actions beyond the known ones and have always
    // been told success, with nothing asked of VDS.
    if (r.action > kLastAction) return Outcome::ok();
    switch (r.kind) {
    case 0: return maintain<IVdsSubSystem>(service, VDS_OT_SUB_SYSTEM, S::TargetNotFound, r);
    case 1: return maintain<IVdsController>(service, VDS_OT_CONTROLLER, S::SecondNotFound, r);
    case 2: return maintain<IVdsDrive>(service, VDS_OT_DRIVE, S::ThirdNotFound, r);
    default: return Outcome::ok();
    }
}

Answer cmdGetDrive(const DrivePositionRequest& r, IVdsService* service) {
    {
        const GuidText s = vdsGuidText(r.subsystem);
        vdsLog("VDS: Subsystem ID: %s, bus number %d, slot number %d\n", s.get(), r.bus, r.slot);
    }
    VDS_DRIVE_PROP prop{};
    const Outcome found = vdsCallOnTarget<IVdsSubSystem>(service, {VDS_OT_SUB_SYSTEM, r.subsystem}, {},
                                                         [&](IVdsSubSystem& s) {
        ComPtr<IVdsDrive> drive;
        HRESULT hr = s.GetDrive(r.bus, r.slot, drive.put());
        if (hr == S_OK && !drive) hr = E_POINTER;
        if (hr != S_OK) return Outcome::vds(hr);
        hr = drive->GetProperties(&prop);
        if (hr != S_OK) vdsFreePropertyTexts(prop);
        return vdsCallOutcome(hr);
    });
    if (!found.succeeded()) return found;
    int length = 0;
    const std::unique_ptr<unsigned char[]> record(vdsMakeRecord(vdsWriteDriveRecord, prop, &length));
    if (!record) return Answer::nullReply();
    ReplyBody body = ReplyBody::withPayload(static_cast<std::size_t>(length));
    if (body.empty()) return Answer::nullReply();
    std::memcpy(body.data() + kOutputHeaderSize, record.get(), static_cast<std::size_t>(length));
    return body;
}

Answer cmdSetDriveFlags(const DriveFlagsRequest& r, IVdsService* service) {
    return vdsCallOnTarget<IVdsDrive>(service, {VDS_OT_DRIVE, r.drive}, {},
                                [&](IVdsDrive& d) { return vdsCallOutcome(d.SetFlags(r.flags)); });
}

Answer cmdClearDriveFlags(const DriveFlagsRequest& r, IVdsService* service) {
    return vdsCallOnTarget<IVdsDrive>(service, {VDS_OT_DRIVE, r.drive}, {},
                                [&](IVdsDrive& d) { return vdsCallOutcome(d.ClearFlags(r.flags)); });
}
