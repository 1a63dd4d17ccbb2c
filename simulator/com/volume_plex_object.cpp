// The COM face of a volume plex: IVdsVolumePlex.
#include <algorithm>

#include "changes/volume_changes.h"
#include "com/async_operation.h"
#include "com/com_support.h"
#include "com/enum_objects.h"
#include "com/object_factory.h"
#include "com/vds_conversions.h"

namespace tolvane::sim {

namespace {

class VolumePlexObject final : public FacedObject, public IVdsVolumePlex {
public:
    explicit VolumePlexObject(const GUID& id) : FacedObject(Kind::VolumePlex, id) {}
    TOLVANE_SIM_UNKNOWN(IVdsVolumePlex)

    HRESULT STDMETHODCALLTYPE GetProperties(VDS_VOLUME_PLEX_PROP* p) override {
        if (p == nullptr) return E_POINTER;
        *p = VDS_VOLUME_PLEX_PROP{};
        auto call = enterProperties("IVdsVolumePlex::GetProperties");
        if (call.hr != S_OK) return call.hr;
        Core::instance().read([&](const Model& m) {
            const VolumePlex& x = m.volumePlexes.at(id());
            p->id = x.id;
            p->type = static_cast<VDS_VOLUME_PLEX_TYPE>(x.type);
            p->status = static_cast<VDS_VOLUME_PLEX_STATUS>(x.status);
            p->health = static_cast<VDS_HEALTH>(x.health);
            p->TransitionState = static_cast<VDS_TRANSITION_STATE>(x.transitionState);
            p->ullSize = x.size;
            p->ulStripeSize = x.stripeSize;
            p->ulNumberOfMembers = x.numberOfMembers;
            return 0;
        });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetVolume(IVdsVolume** pp) override {
        if (pp == nullptr) return E_POINTER;
        *pp = nullptr;
        auto call = enter("IVdsVolumePlex::GetVolume");
        if (call.hr != S_OK) return call.hr;
        GUID volume = Core::instance().read([&](const Model& m) { return m.volumePlexes.at(id()).volume; });
        return handOut(Kind::Volume, volume, IID_IVdsVolume, pp);
    }
    HRESULT STDMETHODCALLTYPE QueryExtents(VDS_DISK_EXTENT** pp, LONG* pn) override {
        if (pp == nullptr || pn == nullptr) return E_POINTER;
        *pp = nullptr;
        *pn = 0;
        auto call = enter("IVdsVolumePlex::QueryExtents");
        if (call.hr != S_OK) return call.hr;
        auto extents = toVds(Core::instance().read([&](const Model& m) { return m.volumePlexExtents(id()); }));
        *pp = coArray(extents);
        *pn = static_cast<LONG>(extents.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Repair(const VDS_INPUT_DISK* diskArray, LONG disks, IVdsAsync** ppAsync) override {
        const std::string args = joinArgs(disks);
        if (disks < 0 || (disks > 0 && diskArray == nullptr)) return refuseAsync("IVdsVolumePlex::Repair", args, ppAsync, E_INVALIDARG);
        std::vector<VDS_INPUT_DISK> given(diskArray, diskArray + disks);
        const GUID plex = id();
        return changeLaterChecked("IVdsVolumePlex::Repair", args, ppAsync, {VDS_ASYNCOUT_REPAIRVOLUMEPLEX},
                                  [&](const Model& m) { return checkRepairPlex(m, plex, given); },
                                  repairVolumePlex(plex, given));
    }

private:
    void* face(REFIID riid) override {
        return riid == IID_IVdsVolumePlex ? static_cast<IVdsVolumePlex*>(this) : nullptr;
    }
};

}  // namespace

ModelObject* makeVolumePlexObject(const GUID& id) { return new VolumePlexObject(id); }

}  // namespace tolvane::sim
