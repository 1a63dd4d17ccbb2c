#include "directory/lookup.h"

IUnknown* vdsGetObject(IVdsService* service, VDS_OBJECT_TYPE type, VDS_OBJECT_ID id) {
    if (service == nullptr) return nullptr;
    IUnknown* object = nullptr;
    // A failed lookup only yields none; the caller answers with a not-found
    // status. A success code other than S_OK is still a found object.
    if (FAILED(service->GetObject(id, type, &object)) && object != nullptr) {
        object->Release();
        object = nullptr;
    }
    return object;
}

void vdsRelease(IUnknown* object) {
    if (object != nullptr) object->Release();
}

void vdsReleaseAll(IUnknown** objects, unsigned int count) {
    for (unsigned int i = 0; i < count; ++i) vdsRelease(objects[i]);
}

int vdsCountObjects(IEnumVdsObject* enumeration) {
    int count = 0;
    vdsWalk(enumeration, [&](ComPtr<IUnknown>) {
        ++count;
        return true;
    });
    enumeration->Reset();
    return count;
}

namespace {

template <typename T>
T* queryOrNull(IUnknown* object, REFIID iid) {
    if (object == nullptr) return nullptr;
    T* result = nullptr;
    if (object->QueryInterface(iid, reinterpret_cast<void**>(&result)) != S_OK) {
        if (result != nullptr) result->Release();
        return nullptr;
    }
    return result;
}

}  // namespace

IVdsAdvancedDisk* vdsGetAdvancedDisk(IUnknown* object) {
    return queryOrNull<IVdsAdvancedDisk>(object, IID_IVdsAdvancedDisk);
}

IVdsVolumeMF* vdsGetVolumeMF(IUnknown* object) {
    return queryOrNull<IVdsVolumeMF>(object, IID_IVdsVolumeMF);
}
