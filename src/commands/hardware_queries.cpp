// Browsing a hardware subsystem: its drives, LUNs and controllers, the plexes
// of a LUN, the LUNs of a controller, and the extents of drives and LUN plexes.
#include "commands/handlers.h"
#include "commands/hardware_query_requests.h"
#include "commands/list_shapes.h"
#include "directory/records.h"

namespace {

namespace S = status;

constexpr ListTarget kDrives{"VDS: SubSystem ID: %s\n", VDS_OT_SUB_SYSTEM, S::MissingInterface,
                             S::NoDrives, ListForm::Short};
constexpr ListTarget kSubSystemLuns{"VDS: SubSystem ID: %s\n", VDS_OT_SUB_SYSTEM,
                                    S::TargetNotFound, STATUS_OK, ListForm::Short};
constexpr ListTarget kControllers{"VDS: SubSystem ID: %s\n", VDS_OT_SUB_SYSTEM,
                                  S::TargetNotFound, STATUS_OK, ListForm::Short};
constexpr ListTarget kLunPlexes{"VDS: LUN ID: %s\n", VDS_OT_LUN, S::MissingInterface, STATUS_OK,
                                ListForm::Short};
constexpr ListTarget kAssociatedLuns{"VDS: Controller ID: %s\n", VDS_OT_CONTROLLER,
                                     S::TargetNotFound, STATUS_OK, ListForm::Short};
constexpr ListTarget kDriveExtents{"VDS: Drive ID: %s\n", VDS_OT_DRIVE, S::VdsError, STATUS_OK,
                                   ListForm::Short};
constexpr ListTarget kLunPlexExtents{"VDS: LUN Plex ID: %s\n", VDS_OT_LUN_PLEX, S::VdsError,
                                     STATUS_OK, ListForm::Short};

template <typename Object>
HandlerResult listDriveExtents(const CommandRow& row, const ListTarget& t, const GUID& id,
                               REFIID iid) {
    return vdsListExtents<Object, VDS_DRIVE_EXTENT>(
        row, t, id, iid,
        [](Object* object, VDS_DRIVE_EXTENT** extents, LONG* count) {
            return object->QueryExtents(extents, count);
        },
        kDriveExtentRecordSize,
        // A lambda, not the function's address, so that the writer is inlined into the loop.
        [](const VDS_DRIVE_EXTENT& extent, unsigned char* at) { vdsWriteDriveExtentRecord(extent, at); });
}

}  // namespace

HandlerResult cmdQueryDrives(const CommandRow& row, RequestReader& in) {
    const auto r = vdsReadRequest<SubSystemTargetRequest>(in);
    if (!r) return HandlerResult::nullReply();
    return vdsListChildren<VDS_DRIVE_PROP>(row, kDrives, r->id, IID_IVdsSubSystem,
                                           vdsGetDriveCount, vdsGetDrives, vdsWriteDriveRecord);
}

HandlerResult cmdQuerySubSystemLuns(const CommandRow& row, RequestReader& in) {
    const auto r = vdsReadRequest<SubSystemTargetRequest>(in);
    if (!r) return HandlerResult::nullReply();
    return vdsListChildren<VDS_LUN_PROP>(row, kSubSystemLuns, r->id, IID_IVdsSubSystem,
                                         vdsGetLunCount, vdsGetLuns, vdsWriteLunRecord);
}

HandlerResult cmdQueryControllers(const CommandRow& row, RequestReader& in) {
    const auto r = vdsReadRequest<SubSystemTargetRequest>(in);
    if (!r) return HandlerResult::nullReply();
    return vdsListChildren<VDS_CONTROLLER_PROP>(row, kControllers, r->id, IID_IVdsSubSystem,
                                                vdsGetControllerCount, vdsGetControllers,
                                                vdsWriteControllerRecord);
}

HandlerResult cmdQueryLunPlexes(const CommandRow& row, RequestReader& in) {
    const auto r = vdsReadRequest<ObjectTargetRequest>(in);
    if (!r) return HandlerResult::nullReply();
    return vdsListChildren<VDS_LUN_PLEX_PROP>(row, kLunPlexes, r->id, IID_IVdsLun,
                                              vdsGetLunPlexCount, vdsGetLunPlexes,
                                              vdsWriteLunPlexRecord);
}

HandlerResult cmdQueryAssociatedLuns(const CommandRow& row, RequestReader& in) {
    const auto r = vdsReadRequest<ObjectTargetRequest>(in);
    if (!r) return HandlerResult::nullReply();
    return vdsListChildren<VDS_LUN_PROP>(row, kAssociatedLuns, r->id, IID_IVdsController,
                                         vdsGetAssociatedLunCount, vdsGetAssociatedLuns,
                                         vdsWriteLunRecord);
}

HandlerResult cmdQueryDriveExtents(const CommandRow& row, RequestReader& in) {
    const auto r = vdsReadRequest<ObjectTargetRequest>(in);
    if (!r) return HandlerResult::nullReply();
    return listDriveExtents<IVdsDrive>(row, kDriveExtents, r->id, IID_IVdsDrive);
}

HandlerResult cmdQueryLunPlexExtents(const CommandRow& row, RequestReader& in) {
    const auto r = vdsReadRequest<LunPlexTargetRequest>(in);
    if (!r) return HandlerResult::nullReply();
    return listDriveExtents<IVdsLunPlex>(row, kLunPlexExtents, r->id, IID_IVdsLunPlex);
}
