// Finding VDS objects by identifier, and the small helpers every command
// shares. Nothing is cached: each command resolves its identifiers afresh,
// through the service its caller holds (null when there is no connection:
// nothing is found).
#pragma once

#include "platform/com_ptr.h"
#include "platform/vds_interfaces.h"

// The object with this identifier and type, carrying one reference for the
// caller, or null (no connection, unknown identifier, wrong type).
IUnknown* vdsGetObject(IVdsService* service, VDS_OBJECT_TYPE type, VDS_OBJECT_ID id);

void vdsRelease(IUnknown* object);
void vdsReleaseAll(IUnknown** objects, unsigned int count);

// Walks the enumeration once, releasing each object, then resets it to its
// start. The enumeration stays the caller's.
int vdsCountObjects(IEnumVdsObject* enumeration);

// The object's IVdsAdvancedDisk or IVdsVolumeMF, or null; the argument keeps its reference.
IVdsAdvancedDisk* vdsGetAdvancedDisk(IUnknown* object);
IVdsVolumeMF* vdsGetVolumeMF(IUnknown* object);

// Reads an enumeration one object at a time. `each` receives every fetched
// object (holding one reference) and returns false to end the walk. The walk
// also ends at the enumeration's end or on its first failure.
template <typename Each>
void vdsWalk(IEnumVdsObject* enumeration, Each&& each) {
    for (;;) {
        IUnknown* fetched = nullptr;
        ULONG count = 0;
        const HRESULT hr = enumeration->Next(1, &fetched, &count);
        ComPtr<IUnknown> object(count == 1 ? fetched : nullptr);
        if ((hr != S_OK && hr != S_FALSE) || !object) return;
        if (!each(std::move(object))) return;
    }
}

// The outcome of resolving an identifier to one of the object's interfaces.
enum class Resolved { Found, NotFound, NoInterface };

// vdsGetObject, then the object's own interface; the IUnknown is released at
// once. `hr` receives QueryInterface's result when the interface is missing.
template <typename T>
Resolved vdsResolve(IVdsService* service, VDS_OBJECT_TYPE type, const VDS_OBJECT_ID& id, REFIID iid,
                    ComPtr<T>& out, HRESULT* hr = nullptr) {
    ComPtr<IUnknown> object(vdsGetObject(service, type, id));
    if (!object) return Resolved::NotFound;
    const HRESULT result = object.queryInterface(iid, out);
    if (hr != nullptr) *hr = result;
    return (result == S_OK && out) ? Resolved::Found : Resolved::NoInterface;
}
