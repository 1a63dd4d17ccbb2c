// Request layouts of the commands that change subsystems, controllers and
// drives. Most name their target inside a hardware object address; the
// maintenance and drive-by-position commands have layouts of their own.
#pragma once

#include <cstdint>

#include "commands/request_layout.h"

// 0x0121: the subsystem at 20, its new status (int16) at 36.
struct SubSystemStatusRequest {
    GUID subsystem;
    std::int32_t status;
    static SubSystemStatusRequest read(RequestReader& in) {
        return {in.guid(hardware_address::kSubSystem), in.int16(36)};
    }
};

// 0x0122, 0x0123: the drive or controller at 36, its new status (int16) at 52.
struct ObjectStatusRequest {
    GUID object;
    std::int32_t status;
    static ObjectStatusRequest read(RequestReader& in) {
        return {in.guid(hardware_address::kObject), in.int16(52)};
    }
};

// 0x0124: the subsystem at 20, the drive to be replaced at 36, the replacement at 52.
struct ReplaceDriveRequest {
    GUID subsystem;
    GUID replaced;
    GUID replacement;
    static ReplaceDriveRequest read(RequestReader& in) {
        return {in.guid(hardware_address::kSubSystem), in.guid(hardware_address::kObject), in.guid(52)};
    }
};

// 0x0125: the controller at 36.
using ControllerRequest = IdentifierRequest<hardware_address::kObject>;

// 0x0126: what kind of object (int16 at 20), which one (24), the operation
// (int16 at 56), the action (60) and the pulse count (64).
struct MaintenanceRequest {
    std::int16_t kind;
    GUID target;
    std::int32_t operation;
    std::uint32_t action;
    std::uint32_t pulses;
    static MaintenanceRequest read(RequestReader& in) {
        return {in.int16(20), in.guid(24), in.int16(56), in.uint32(60), in.uint32(64)};
    }
};

// 0x0127: the subsystem at 4, then the bus (int16 at 20) and slot (int16 at 22).
struct DrivePositionRequest {
    GUID subsystem;
    std::int16_t bus;
    std::int16_t slot;
    static DrivePositionRequest read(RequestReader& in) {
        return {in.guid(4), in.int16(20), in.int16(22)};
    }
};

// 0x0300, 0x0301: the drive at 36, the VDS_DRIVE_FLAG bits at 52.
struct DriveFlagsRequest {
    GUID drive;
    std::uint32_t flags;
    static DriveFlagsRequest read(RequestReader& in) {
        return {in.guid(hardware_address::kObject), in.uint32(52)};
    }
};

// The commands that read these requests, answered in hardware_management.cpp.
Answer cmdSetSubSystemStatus(const SubSystemStatusRequest& request, IVdsService* service);
Answer cmdSetDriveStatus(const ObjectStatusRequest& request, IVdsService* service);
Answer cmdSetControllerStatus(const ObjectStatusRequest& request, IVdsService* service);
Answer cmdReplaceDrive(const ReplaceDriveRequest& request, IVdsService* service);
Answer cmdResetController(const ControllerRequest& request, IVdsService* service);
Answer cmdMaintenance(const MaintenanceRequest& request, IVdsService* service);
Answer cmdGetDrive(const DrivePositionRequest& request, IVdsService* service);
Answer cmdSetDriveFlags(const DriveFlagsRequest& request, IVdsService* service);
Answer cmdClearDriveFlags(const DriveFlagsRequest& request, IVdsService* service);
