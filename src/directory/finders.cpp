#include "directory/finders.h"

#include "directory/children.h"
#include "directory/property_texts.h"
#include "protocol/identifiers.h"

namespace {

template <typename Properties, typename Parent, typename Child>
Child* findChild(Parent* parent, const VDS_OBJECT_ID& wanted, int (*count)(Parent*),
                 int (*collect)(Parent*, Child**, int)) {
    InterfaceArray<Child> children = vdsCollect(parent, count, collect);
    for (Child* child : children) {
        Properties properties{};
        const HRESULT hr = child->GetProperties(&properties);
        const bool match = hr == S_OK && compareGUID(properties.id, wanted) != 0;
        vdsFreePropertyTexts(properties);
        if (match) {
            child->AddRef();
            return child;
        }
    }
    return nullptr;
}

}  // namespace

IVdsPack* vdsFindPack(IVdsSwProvider* provider, VDS_OBJECT_ID id) {
    return findChild<VDS_PACK_PROP>(provider, id, vdsGetPackCount, vdsGetPacks);
}

IVdsVolume* vdsFindVolume(IVdsPack* pack, VDS_OBJECT_ID id) {
    return findChild<VDS_VOLUME_PROP>(pack, id, vdsGetVolumeCount, vdsGetVolumes);
}

IVdsVolumePlex* vdsFindVolumePlex(IVdsVolume* volume, VDS_OBJECT_ID id) {
    return findChild<VDS_VOLUME_PLEX_PROP>(volume, id, vdsGetVolumePlexCount, vdsGetVolumePlexes);
}
