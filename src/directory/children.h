// Child listings: for each parent-child relation, one helper that counts the
// children and one that collects them. Lists are built in these two passes:
// count, allocate, then collect at most that many.
#pragma once

#include "directory/interface_array.h"

int vdsGetSubSystemCount(IVdsHwProvider* provider);
int vdsGetSubSystems(IVdsHwProvider* provider, IVdsSubSystem** array, int capacity);
int vdsGetDriveCount(IVdsSubSystem* subSystem);
int vdsGetDrives(IVdsSubSystem* subSystem, IVdsDrive** array, int capacity);
int vdsGetControllerCount(IVdsSubSystem* subSystem);
int vdsGetControllers(IVdsSubSystem* subSystem, IVdsController** array, int capacity);
int vdsGetLunCount(IVdsSubSystem* subSystem);
int vdsGetLuns(IVdsSubSystem* subSystem, IVdsLun** array, int capacity);
int vdsGetLunPlexCount(IVdsLun* lun);
int vdsGetLunPlexes(IVdsLun* lun, IVdsLunPlex** array, int capacity);
int vdsGetAssociatedLunCount(IVdsController* controller);
int vdsGetAssociatedLuns(IVdsController* controller, IVdsLun** array, int capacity);
int vdsGetActiveControllerCount(IVdsLun* lun);
int vdsGetActiveControllers(IVdsLun* lun, IVdsController** array, int capacity);

int vdsGetPackCount(IVdsSwProvider* provider);
int vdsGetPacks(IVdsSwProvider* provider, IVdsPack** array, int capacity);
int vdsGetDiskCount(IVdsPack* pack);
int vdsGetDisks(IVdsPack* pack, IVdsDisk** array, int capacity);
int vdsGetVolumeCount(IVdsPack* pack);
int vdsGetVolumes(IVdsPack* pack, IVdsVolume** array, int capacity);
int vdsGetVolumePlexCount(IVdsVolume* volume);
int vdsGetVolumePlexes(IVdsVolume* volume, IVdsVolumePlex** array, int capacity);

// Counts with `count`, then collects with `collect` into a new array; the
// array is empty when there are no children or no memory for them.
template <typename Parent, typename Child>
InterfaceArray<Child> vdsCollect(Parent* parent, int (*count)(Parent*),
                                 int (*collect)(Parent*, Child**, int)) {
    const int n = count(parent);
    if (n <= 0) return {};
    InterfaceArray<Child> children(n);
    if (children.capacity() > 0) children.setSize(collect(parent, children.data(), children.capacity()));
    return children;
}
