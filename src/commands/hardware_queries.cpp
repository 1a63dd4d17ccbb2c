// Browsing a hardware subsystem: its drives, LUNs and controllers, the plexes
// of a LUN, the LUNs of a controller, and the extents of drives and LUN plexes.
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
Answer listDriveExtents(IVdsService* service, const ListTarget& t, const GUID& id, REFIID iid) {
    return vdsListExtents<Object, VDS_DRIVE_EXTENT>(
        service, t, id, iid,
        [](Object* object, VDS_DRIVE_EXTENT** extents, LONG* count) {
            return object->QueryExtents(extents, count);
        },
        kDriveExtentRecordSize,
        // A lambda, not the function's address, so that the writer is inlined into the loop.
        [](const VDS_DRIVE_EXTENT& extent, unsigned char* at) { vdsWriteDriveExtentRecord(extent, at); });
}

}  // namespace

Answer cmdQueryDrives(const SubSystemTargetRequest& r, IVdsService* service) {
    return vdsListChildren<VDS_DRIVE_PROP>(service, kDrives, r.id, IID_IVdsSubSystem,
                                           vdsGetDriveCount, vdsGetDrives, vdsWriteDriveRecord);
}

Answer cmdQuerySubSystemLuns(const SubSystemTargetRequest& r, IVdsService* service) {
    return vdsListChildren<VDS_LUN_PROP>(service, kSubSystemLuns, r.id, IID_IVdsSubSystem,
                                         vdsGetLunCount, vdsGetLuns, vdsWriteLunRecord);
}

Answer cmdQueryControllers(const SubSystemTargetRequest& r, IVdsService* service) {
    return vdsListChildren<VDS_CONTROLLER_PROP>(service, kControllers, r.id, IID_IVdsSubSystem,
                                                vdsGetControllerCount, vdsGetControllers,
                                                vdsWriteControllerRecord);
}

Answer cmdQueryLunPlexes(const ObjectTargetRequest& r, IVdsService* service) {
    return vdsListChildren<VDS_LUN_PLEX_PROP>(service, kLunPlexes, r.id, IID_IVdsLun,
                                              vdsGetLunPlexCount, vdsGetLunPlexes,
                                              vdsWriteLunPlexRecord);
}

Answer cmdQueryAssociatedLuns(const ObjectTargetRequest& r, IVdsService* service) {
    return vdsListChildren<VDS_LUN_PROP>(service, kAssociatedLuns, r.id, IID_IVdsController,
                                         vdsGetAssociatedLunCount, vdsGetAssociatedLuns,
                                         vdsWriteLunRecord);
}

Answer cmdQueryDriveExtents(const ObjectTargetRequest& r, IVdsService* service) {
    return listDriveExtents<IVdsDrive>(service, kDriveExtents, r.id, IID_IVdsDrive);
}

Answer cmdQueryLunPlexExtents(const LunPlexTargetRequest& r, IVdsService* service) {
    return listDriveExtents<IVdsLunPlex>(service, kLunPlexExtents, r.id, IID_IVdsLunPlex);
}
