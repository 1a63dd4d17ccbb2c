#include "directory/children.h"
#include "protocol/log_output.h"

#include <cstdio>

namespace {

template <typename Parent>
using OpenChildren = HRESULT (STDMETHODCALLTYPE Parent::*)(IEnumVdsObject**);

// Counting pass: a fresh enumeration, every object released at once.
template <typename Parent>
int countChildren(Parent* parent, OpenChildren<Parent> open) {
    ComPtr<IEnumVdsObject> enumeration;
    if (FAILED((parent->*open)(enumeration.put())) || !enumeration) return 0;
    int count = 0;
    vdsWalk(enumeration.get(), [&](ComPtr<IUnknown>) {
        ++count;
        return true;
    });
    return count;
}

// Collecting pass: another fresh enumeration; stops at the capacity, at the
// end, or at the first object that lacks the child interface.
template <typename Parent, typename Child>
int collectChildren(Parent* parent, OpenChildren<Parent> open, REFIID childIid, Child** array,
                    int capacity) {
    if (capacity <= 0) return 0;
    ComPtr<IEnumVdsObject> enumeration;
    if (FAILED((parent->*open)(enumeration.put())) || !enumeration) return 0;
    int filled = 0;
    vdsWalk(enumeration.get(), [&](ComPtr<IUnknown> object) {
        Child* child = nullptr;
        if (object->QueryInterface(childIid, reinterpret_cast<void**>(&child)) != S_OK ||
            child == nullptr)
            return false;
        array[filled++] = child;
        return filled < capacity;
    });
    return filled;
}

}  // namespace

// One line per relation: the parent's enumeration method and the child's interface.
#define VDS_CHILD_LIST(CountName, CollectName, Parent, Method, Child)                    \
    int CountName(Parent* parent) { return countChildren(parent, &Parent::Method); }     \
    int CollectName(Parent* parent, Child** array, int capacity) {                       \
        return collectChildren(parent, &Parent::Method, IID_##Child, array, capacity);   \
    }

VDS_CHILD_LIST(vdsGetSubSystemCount, vdsGetSubSystems, IVdsHwProvider, QuerySubSystems, IVdsSubSystem)
VDS_CHILD_LIST(vdsGetDriveCount, vdsGetDrives, IVdsSubSystem, QueryDrives, IVdsDrive)
VDS_CHILD_LIST(vdsGetControllerCount, vdsGetControllers, IVdsSubSystem, QueryControllers, IVdsController)
VDS_CHILD_LIST(vdsGetLunPlexCount, vdsGetLunPlexes, IVdsLun, QueryPlexes, IVdsLunPlex)
VDS_CHILD_LIST(vdsGetAssociatedLunCount, vdsGetAssociatedLuns, IVdsController, QueryAssociatedLuns, IVdsLun)
VDS_CHILD_LIST(vdsGetActiveControllerCount, vdsGetActiveControllers, IVdsLun, QueryActiveControllers, IVdsController)
VDS_CHILD_LIST(vdsGetPackCount, vdsGetPacks, IVdsSwProvider, QueryPacks, IVdsPack)
VDS_CHILD_LIST(vdsGetDiskCount, vdsGetDisks, IVdsPack, QueryDisks, IVdsDisk)
VDS_CHILD_LIST(vdsGetVolumeCount, vdsGetVolumes, IVdsPack, QueryVolumes, IVdsVolume)
VDS_CHILD_LIST(vdsGetVolumePlexCount, vdsGetVolumePlexes, IVdsVolume, QueryPlexes, IVdsVolumePlex)

#undef VDS_CHILD_LIST

// The LUN listing writes a trace line on entry, without a line end.
int vdsGetLunCount(IVdsSubSystem* subSystem) {
    vdsLog("vdsGetLunCount(IVdsSubSystem *)");
    return countChildren(subSystem, &IVdsSubSystem::QueryLuns);
}

int vdsGetLuns(IVdsSubSystem* subSystem, IVdsLun** array, int capacity) {
    vdsLog("vdsGetLuns(IVdsSubSystem *, IVdsLun **, int )");
    return collectChildren(subSystem, &IVdsSubSystem::QueryLuns, IID_IVdsLun, array, capacity);
}
