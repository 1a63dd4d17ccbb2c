// The COM face of a LUN plex: IVdsLunPlex.
#include <algorithm>

#include "com/async_operation.h"
#include "com/com_support.h"
#include "com/enum_objects.h"
#include "com/object_factory.h"
#include "com/vds_conversions.h"

namespace tolvane::sim {

namespace {

class LunPlexObject final : public FacedObject, public IVdsLunPlex {
public:
    explicit LunPlexObject(const GUID& id) : FacedObject(Kind::LunPlex, id) {}
    TOLVANE_SIM_UNKNOWN(IVdsLunPlex)

    HRESULT STDMETHODCALLTYPE GetProperties(VDS_LUN_PLEX_PROP* p) override {
        if (p == nullptr) return E_POINTER;
        *p = VDS_LUN_PLEX_PROP{};
        auto call = enterProperties("IVdsLunPlex::GetProperties");
        if (call.hr != S_OK) return call.hr;
        Core::instance().read([&](const Model& m) {
            const LunPlex& x = m.lunPlexes.at(id());
            p->id = x.id;
            p->ullSize = x.size;
            p->type = static_cast<VDS_LUN_PLEX_TYPE>(x.type);
            p->status = static_cast<VDS_LUN_PLEX_STATUS>(x.status);
            p->health = static_cast<VDS_HEALTH>(x.health);
            p->TransitionState = static_cast<VDS_TRANSITION_STATE>(x.transitionState);
            p->ulFlags = x.flags;
            p->ulStripeSize = x.stripeSize;
            p->sRebuildPriority = x.rebuildPriority;
            return 0;
        });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetLun(IVdsLun** pp) override {
        if (pp == nullptr) return E_POINTER;
        *pp = nullptr;
        auto call = enter("IVdsLunPlex::GetLun");
        if (call.hr != S_OK) return call.hr;
        GUID lun = Core::instance().read([&](const Model& m) { return m.lunPlexes.at(id()).lun; });
        return handOut(Kind::Lun, lun, IID_IVdsLun, pp);
    }
    HRESULT STDMETHODCALLTYPE QueryExtents(VDS_DRIVE_EXTENT** pp, LONG* pn) override {
        if (pp == nullptr || pn == nullptr) return E_POINTER;
        *pp = nullptr;
        *pn = 0;
        auto call = enter("IVdsLunPlex::QueryExtents");
        if (call.hr != S_OK) return call.hr;
        auto extents = toVds(Core::instance().read([&](const Model& m) { return m.lunPlexExtents(id()); }));
        *pp = coArray(extents);
        *pn = static_cast<LONG>(extents.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryHints(VDS_HINTS* hints) override {
        if (hints == nullptr) return E_POINTER;
        *hints = VDS_HINTS{};
        auto call = enter("IVdsLunPlex::QueryHints");
        if (call.hr != S_OK) return call.hr;
        Core::instance().read([&](const Model& m) {
            toVds(m.luns.at(m.lunPlexes.at(id()).lun).hints, *hints);
            return 0;
        });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ApplyHints(const VDS_HINTS*) override {
        auto call = enter("IVdsLunPlex::ApplyHints");
        if (call.hr != S_OK) return call.hr;
        return notSimulatedYet();
    }

private:
    void* face(REFIID riid) override {
        return riid == IID_IVdsLunPlex ? static_cast<IVdsLunPlex*>(this) : nullptr;
    }
};

}  // namespace

ModelObject* makeLunPlexObject(const GUID& id) { return new LunPlexObject(id); }

}  // namespace tolvane::sim
