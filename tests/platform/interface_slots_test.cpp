// Our VDS interface declarations against the method order of the real ones
// (vds.h): a client calls through vtable slots, so a method declared out of
// place calls the wrong one at run time, with no compiler to notice. Each
// method's calling convention is checked while this file compiles.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "platform/calling_convention.h"
#include "platform/vds_interfaces.h"

namespace {

// The vtable slot of a virtual member function. GCC's C++ ABI (Linux and
// MinGW alike) stores a virtual member pointer as 1 + the byte offset of its
// vtable entry, followed by the this-adjustment.
template <typename C, typename F>
std::size_t slotOf(F C::*method) {
    static_assert(kCalledAcrossTheBoundary<F C::*>, "a COM method without the COM calling convention");
    struct Representation {
        std::ptrdiff_t ptr;
        std::ptrdiff_t adj;
    } r{};
    static_assert(sizeof method == sizeof r);
    std::memcpy(&r, &method, sizeof r);
    return static_cast<std::size_t>(r.ptr - 1) / sizeof(void*);
}

struct Method {
    const char* name;
    std::size_t slot;
};

struct Interface {
    const char* name;
    std::vector<Method> methods;  // in the real interface's order
};

#define TOLVANE_SLOT(I, m) Method{#m, slotOf(&I::m)}

// Windows' IUnknown adds a template overload of QueryInterface.
using QueryInterfaceMethod = HRESULT (STDMETHODCALLTYPE IUnknown::*)(REFIID, void**);

// Slots 0 to 2 are IUnknown's; every VDS interface derives from it directly.
const std::vector<Interface>& realOrder() {
    static const std::vector<Interface> table = {
        {"IUnknown", {Method{"QueryInterface", slotOf(static_cast<QueryInterfaceMethod>(&IUnknown::QueryInterface))},
                       TOLVANE_SLOT(IUnknown, AddRef), TOLVANE_SLOT(IUnknown, Release)}},
        {"IVdsServiceInitialization", {TOLVANE_SLOT(IVdsServiceInitialization, Initialize)}},
        {"IEnumVdsObject",
         {TOLVANE_SLOT(IEnumVdsObject, Next), TOLVANE_SLOT(IEnumVdsObject, Skip), TOLVANE_SLOT(IEnumVdsObject, Reset),
          TOLVANE_SLOT(IEnumVdsObject, Clone)}},
        {"IVdsService",
         {TOLVANE_SLOT(IVdsService, IsServiceReady), TOLVANE_SLOT(IVdsService, WaitForServiceReady),
          TOLVANE_SLOT(IVdsService, GetProperties), TOLVANE_SLOT(IVdsService, QueryProviders),
          TOLVANE_SLOT(IVdsService, QueryMaskedDisks), TOLVANE_SLOT(IVdsService, QueryUnallocatedDisks),
          TOLVANE_SLOT(IVdsService, GetObject), TOLVANE_SLOT(IVdsService, QueryDriveLetters),
          TOLVANE_SLOT(IVdsService, QueryFileSystemTypes), TOLVANE_SLOT(IVdsService, Reenumerate),
          TOLVANE_SLOT(IVdsService, Refresh), TOLVANE_SLOT(IVdsService, CleanupObsoleteMountPoints),
          TOLVANE_SLOT(IVdsService, Advise), TOLVANE_SLOT(IVdsService, Unadvise), TOLVANE_SLOT(IVdsService, Reboot),
          TOLVANE_SLOT(IVdsService, SetFlags), TOLVANE_SLOT(IVdsService, ClearFlags)}},
        {"IVdsAsync",
         {TOLVANE_SLOT(IVdsAsync, Cancel), TOLVANE_SLOT(IVdsAsync, Wait), TOLVANE_SLOT(IVdsAsync, QueryStatus)}},
        {"IVdsAdviseSink", {TOLVANE_SLOT(IVdsAdviseSink, OnNotify)}},
        {"IVdsProvider", {TOLVANE_SLOT(IVdsProvider, GetProperties)}},
        {"IVdsHwProvider",
         {TOLVANE_SLOT(IVdsHwProvider, QuerySubSystems), TOLVANE_SLOT(IVdsHwProvider, Reenumerate),
          TOLVANE_SLOT(IVdsHwProvider, Refresh)}},
        {"IVdsSwProvider", {TOLVANE_SLOT(IVdsSwProvider, QueryPacks), TOLVANE_SLOT(IVdsSwProvider, CreatePack)}},
        {"IVdsSubSystem",
         {TOLVANE_SLOT(IVdsSubSystem, GetProperties), TOLVANE_SLOT(IVdsSubSystem, GetProvider),
          TOLVANE_SLOT(IVdsSubSystem, QueryControllers), TOLVANE_SLOT(IVdsSubSystem, QueryLuns),
          TOLVANE_SLOT(IVdsSubSystem, QueryDrives), TOLVANE_SLOT(IVdsSubSystem, GetDrive),
          TOLVANE_SLOT(IVdsSubSystem, Reenumerate), TOLVANE_SLOT(IVdsSubSystem, SetControllerStatus),
          TOLVANE_SLOT(IVdsSubSystem, CreateLun), TOLVANE_SLOT(IVdsSubSystem, ReplaceDrive),
          TOLVANE_SLOT(IVdsSubSystem, SetStatus), TOLVANE_SLOT(IVdsSubSystem, QueryMaxLunCreateSize)}},
        {"IVdsController",
         {TOLVANE_SLOT(IVdsController, GetProperties), TOLVANE_SLOT(IVdsController, GetSubSystem),
          TOLVANE_SLOT(IVdsController, GetPortProperties), TOLVANE_SLOT(IVdsController, FlushCache),
          TOLVANE_SLOT(IVdsController, InvalidateCache), TOLVANE_SLOT(IVdsController, Reset),
          TOLVANE_SLOT(IVdsController, QueryAssociatedLuns), TOLVANE_SLOT(IVdsController, SetStatus)}},
        {"IVdsDrive",
         {TOLVANE_SLOT(IVdsDrive, GetProperties), TOLVANE_SLOT(IVdsDrive, GetSubSystem),
          TOLVANE_SLOT(IVdsDrive, QueryExtents), TOLVANE_SLOT(IVdsDrive, SetFlags), TOLVANE_SLOT(IVdsDrive, ClearFlags),
          TOLVANE_SLOT(IVdsDrive, SetStatus)}},
        {"IVdsMaintenance",
         {TOLVANE_SLOT(IVdsMaintenance, StartMaintenance), TOLVANE_SLOT(IVdsMaintenance, StopMaintenance),
          TOLVANE_SLOT(IVdsMaintenance, PulseMaintenance)}},
        {"IVdsLun",
         {TOLVANE_SLOT(IVdsLun, GetProperties), TOLVANE_SLOT(IVdsLun, GetSubSystem),
          TOLVANE_SLOT(IVdsLun, GetIdentificationData), TOLVANE_SLOT(IVdsLun, QueryActiveControllers),
          TOLVANE_SLOT(IVdsLun, Extend), TOLVANE_SLOT(IVdsLun, Shrink), TOLVANE_SLOT(IVdsLun, QueryPlexes),
          TOLVANE_SLOT(IVdsLun, AddPlex), TOLVANE_SLOT(IVdsLun, RemovePlex), TOLVANE_SLOT(IVdsLun, Recover),
          TOLVANE_SLOT(IVdsLun, SetMask), TOLVANE_SLOT(IVdsLun, Delete), TOLVANE_SLOT(IVdsLun, AssociateControllers),
          TOLVANE_SLOT(IVdsLun, QueryHints), TOLVANE_SLOT(IVdsLun, ApplyHints), TOLVANE_SLOT(IVdsLun, SetStatus),
          TOLVANE_SLOT(IVdsLun, QueryMaxLunExtendSize)}},
        {"IVdsLunPlex",
         {TOLVANE_SLOT(IVdsLunPlex, GetProperties), TOLVANE_SLOT(IVdsLunPlex, GetLun),
          TOLVANE_SLOT(IVdsLunPlex, QueryExtents), TOLVANE_SLOT(IVdsLunPlex, QueryHints),
          TOLVANE_SLOT(IVdsLunPlex, ApplyHints)}},
        {"IVdsPack",
         {TOLVANE_SLOT(IVdsPack, GetProperties), TOLVANE_SLOT(IVdsPack, GetProvider),
          TOLVANE_SLOT(IVdsPack, QueryVolumes), TOLVANE_SLOT(IVdsPack, QueryDisks), TOLVANE_SLOT(IVdsPack, CreateVolume),
          TOLVANE_SLOT(IVdsPack, AddDisk), TOLVANE_SLOT(IVdsPack, MigrateDisks), TOLVANE_SLOT(IVdsPack, ReplaceDisk),
          TOLVANE_SLOT(IVdsPack, RemoveMissingDisk), TOLVANE_SLOT(IVdsPack, Recover)}},
        {"IVdsDisk",
         {TOLVANE_SLOT(IVdsDisk, GetProperties), TOLVANE_SLOT(IVdsDisk, GetPack),
          TOLVANE_SLOT(IVdsDisk, GetIdentificationData), TOLVANE_SLOT(IVdsDisk, QueryExtents),
          TOLVANE_SLOT(IVdsDisk, ConvertStyle), TOLVANE_SLOT(IVdsDisk, SetFlags), TOLVANE_SLOT(IVdsDisk, ClearFlags)}},
        {"IVdsAdvancedDisk",
         {TOLVANE_SLOT(IVdsAdvancedDisk, GetPartitionProperties), TOLVANE_SLOT(IVdsAdvancedDisk, QueryPartitions),
          TOLVANE_SLOT(IVdsAdvancedDisk, CreatePartition), TOLVANE_SLOT(IVdsAdvancedDisk, DeletePartition),
          TOLVANE_SLOT(IVdsAdvancedDisk, ChangeAttributes), TOLVANE_SLOT(IVdsAdvancedDisk, AssignDriveLetter),
          TOLVANE_SLOT(IVdsAdvancedDisk, DeleteDriveLetter), TOLVANE_SLOT(IVdsAdvancedDisk, GetDriveLetter),
          TOLVANE_SLOT(IVdsAdvancedDisk, FormatPartition), TOLVANE_SLOT(IVdsAdvancedDisk, Clean)}},
        {"IVdsVolume",
         {TOLVANE_SLOT(IVdsVolume, GetProperties), TOLVANE_SLOT(IVdsVolume, GetPack),
          TOLVANE_SLOT(IVdsVolume, QueryPlexes), TOLVANE_SLOT(IVdsVolume, Extend), TOLVANE_SLOT(IVdsVolume, Shrink),
          TOLVANE_SLOT(IVdsVolume, AddPlex), TOLVANE_SLOT(IVdsVolume, BreakPlex), TOLVANE_SLOT(IVdsVolume, RemovePlex),
          TOLVANE_SLOT(IVdsVolume, Delete), TOLVANE_SLOT(IVdsVolume, SetFlags), TOLVANE_SLOT(IVdsVolume, ClearFlags)}},
        {"IVdsVolumePlex",
         {TOLVANE_SLOT(IVdsVolumePlex, GetProperties), TOLVANE_SLOT(IVdsVolumePlex, GetVolume),
          TOLVANE_SLOT(IVdsVolumePlex, QueryExtents), TOLVANE_SLOT(IVdsVolumePlex, Repair)}},
        {"IVdsVolumeMF",
         {TOLVANE_SLOT(IVdsVolumeMF, GetFileSystemProperties), TOLVANE_SLOT(IVdsVolumeMF, Format),
          TOLVANE_SLOT(IVdsVolumeMF, AddAccessPath), TOLVANE_SLOT(IVdsVolumeMF, QueryAccessPaths),
          TOLVANE_SLOT(IVdsVolumeMF, QueryReparsePoints), TOLVANE_SLOT(IVdsVolumeMF, DeleteAccessPath),
          TOLVANE_SLOT(IVdsVolumeMF, Mount), TOLVANE_SLOT(IVdsVolumeMF, Dismount),
          TOLVANE_SLOT(IVdsVolumeMF, SetFileSystemFlags), TOLVANE_SLOT(IVdsVolumeMF, ClearFileSystemFlags)}},
    };
    return table;
}

#undef TOLVANE_SLOT

TEST(VdsInterfaceSlots, FollowTheRealInterfacesMethodOrder) {
    for (const Interface& in : realOrder()) {
        const std::size_t first = std::string(in.name) == "IUnknown" ? 0 : 3;
        for (std::size_t i = 0; i < in.methods.size(); ++i)
            EXPECT_EQ(in.methods[i].slot, first + i) << in.name << "::" << in.methods[i].name;
    }
}

}  // namespace
