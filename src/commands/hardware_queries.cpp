// Browsing a hardware subsystem: its drives, LUNs and controllers, the plexes
// of a LUN, the LUNs of a controller, and the extents of drives and LUN plexes.
#include "commands/handlers.h"
#include "commands/list_shapes.h"
#include "directory/records.h"

namespace {

// Request offsets of the identifiers in a hardware object address.
constexpr std::size_t kSubSystemAt = 20;
constexpr std::size_t kObjectAt = 36;
constexpr std::size_t kLunPlexAt = 52;

constexpr ListTarget kDrives{0x0093, "VDS: SubSystem ID: %s\n", kSubSystemAt, VDS_OT_SUB_SYSTEM,
                             STATUS_NOT_FOUND_3, STATUS_NOT_FOUND_3, ListForm::Short};
constexpr ListTarget kSubSystemLuns{0x0094, "VDS: SubSystem ID: %s\n", kSubSystemAt,
                                    VDS_OT_SUB_SYSTEM, STATUS_NOT_FOUND, STATUS_OK, ListForm::Short};
constexpr ListTarget kControllers{0x0096, "VDS: SubSystem ID: %s\n", kSubSystemAt,
                                  VDS_OT_SUB_SYSTEM, STATUS_NOT_FOUND, STATUS_OK, ListForm::Short};
constexpr ListTarget kLunPlexes{0x0097, "VDS: LUN ID: %s\n", kObjectAt, VDS_OT_LUN,
                                STATUS_NOT_FOUND_3, STATUS_OK, ListForm::Short};
constexpr ListTarget kAssociatedLuns{0x0099, "VDS: Controller ID: %s\n", kObjectAt,
                                     VDS_OT_CONTROLLER, STATUS_NOT_FOUND, STATUS_OK, ListForm::Short};
constexpr ListTarget kDriveExtents{0x0095, "VDS: Drive ID: %s\n", kObjectAt, VDS_OT_DRIVE,
                                   STATUS_VDS_ERROR, STATUS_OK, ListForm::Short};
constexpr ListTarget kLunPlexExtents{0x0098, "VDS: LUN Plex ID: %s\n", kLunPlexAt, VDS_OT_LUN_PLEX,
                                     STATUS_VDS_ERROR, STATUS_OK, ListForm::Short};

void writeDriveExtent(const VDS_DRIVE_EXTENT& extent, unsigned char* at) {
    vdsWriteDriveExtentRecords(&extent, 1, at);
}

template <typename Object>
unsigned char* listDriveExtents(const ListTarget& t, RequestReader& request, int* outSize,
                                REFIID iid) {
    return vdsListExtents<Object, VDS_DRIVE_EXTENT>(
        t, request, outSize, iid,
        [](Object* object, VDS_DRIVE_EXTENT** extents, LONG* count) {
            return object->QueryExtents(extents, count);
        },
        kDriveExtentRecordSize, writeDriveExtent);
}

}  // namespace

unsigned char* cmdQueryDrives(RequestReader& request, int* outSize) {
    return vdsListChildren<VDS_DRIVE_PROP>(kDrives, request, outSize, IID_IVdsSubSystem,
                                           vdsGetDriveCount, vdsGetDrives, vdsMakeDriveRecord);
}

unsigned char* cmdQuerySubSystemLuns(RequestReader& request, int* outSize) {
    return vdsListChildren<VDS_LUN_PROP>(kSubSystemLuns, request, outSize, IID_IVdsSubSystem,
                                         vdsGetLunCount, vdsGetLuns, vdsMakeLunRecord);
}

unsigned char* cmdQueryControllers(RequestReader& request, int* outSize) {
    return vdsListChildren<VDS_CONTROLLER_PROP>(kControllers, request, outSize, IID_IVdsSubSystem,
                                                vdsGetControllerCount, vdsGetControllers,
                                                vdsMakeControllerRecord);
}

unsigned char* cmdQueryLunPlexes(RequestReader& request, int* outSize) {
    return vdsListChildren<VDS_LUN_PLEX_PROP>(kLunPlexes, request, outSize, IID_IVdsLun,
                                              vdsGetLunPlexCount, vdsGetLunPlexes,
                                              vdsMakeLunPlexRecord);
}

unsigned char* cmdQueryAssociatedLuns(RequestReader& request, int* outSize) {
    return vdsListChildren<VDS_LUN_PROP>(kAssociatedLuns, request, outSize, IID_IVdsController,
                                         vdsGetAssociatedLunCount, vdsGetAssociatedLuns,
                                         vdsMakeLunRecord);
}

unsigned char* cmdQueryDriveExtents(RequestReader& request, int* outSize) {
    return listDriveExtents<IVdsDrive>(kDriveExtents, request, outSize, IID_IVdsDrive);
}

unsigned char* cmdQueryLunPlexExtents(RequestReader& request, int* outSize) {
    return listDriveExtents<IVdsLunPlex>(kLunPlexExtents, request, outSize, IID_IVdsLunPlex);
}
