// The COM face of a LUN: IVdsLun and IVdsMaintenance.
#include <algorithm>

#include "changes/hardware_failures.h"
#include "changes/lun_changes.h"
#include "changes/lun_growth.h"
#include "com/async_operation.h"
#include "com/com_support.h"
#include "com/enum_objects.h"
#include "com/object_factory.h"
#include "com/vds_conversions.h"
#include "core/recovery.h"

namespace tolvane::sim {

namespace {

// Identifiers for a journal line, in brackets.
std::string idsText(const std::vector<GUID>& ids) {
    std::string s = "[";
    for (const auto& id : ids) s += (s.size() > 1 ? " " : "") + guidToText(id);
    return s + "]";
}

class LunObject final : public FacedObject, public IVdsLun, public IVdsMaintenance {
public:
    explicit LunObject(const GUID& id) : FacedObject(Kind::Lun, id) {}
    TOLVANE_SIM_UNKNOWN(IVdsLun)

    HRESULT STDMETHODCALLTYPE GetProperties(VDS_LUN_PROP* p) override {
        if (p == nullptr) return E_POINTER;
        *p = VDS_LUN_PROP{};
        auto call = enterProperties("IVdsLun::GetProperties");
        if (call.hr != S_OK) return call.hr;
        Core::instance().read([&](const Model& m) {
            const Lun& l = m.luns.at(id());
            p->id = l.id;
            p->ullSize = l.size;
            p->pwszFriendlyName = coString(l.friendlyName);
            p->pwszIdentification = coString(l.identification);
            p->pwszUnmaskingList = coString(l.unmaskingList);
            p->ulFlags = l.flags;
            p->type = static_cast<VDS_LUN_TYPE>(l.type);
            p->status = static_cast<VDS_LUN_STATUS>(l.status);
            p->health = static_cast<VDS_HEALTH>(l.health);
            p->TransitionState = static_cast<VDS_TRANSITION_STATE>(l.transitionState);
            p->sRebuildPriority = l.rebuildPriority;
            return 0;
        });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSubSystem(IVdsSubSystem** pp) override {
        if (pp == nullptr) return E_POINTER;
        *pp = nullptr;
        auto call = enter("IVdsLun::GetSubSystem");
        if (call.hr != S_OK) return call.hr;
        GUID s = Core::instance().read([&](const Model& m) { return m.luns.at(id()).subsystem; });
        return handOut(Kind::SubSystem, s, IID_IVdsSubSystem, pp);
    }
    HRESULT STDMETHODCALLTYPE GetIdentificationData(VDS_LUN_INFORMATION* info) override {
        if (info == nullptr) return E_POINTER;
        *info = VDS_LUN_INFORMATION{};
        auto call = enter("IVdsLun::GetIdentificationData");
        if (call.hr != S_OK) return call.hr;
        return notSimulatedYet();
    }
    HRESULT STDMETHODCALLTYPE QueryActiveControllers(IEnumVdsObject** pp) override {
        return list("IVdsLun::QueryActiveControllers", pp, Kind::Controller, &Lun::activeControllers);
    }
    HRESULT STDMETHODCALLTYPE Extend(ULONGLONG bytes, const VDS_OBJECT_ID* driveIds, LONG drives, IVdsAsync** ppAsync) override {
        if (ppAsync == nullptr) return E_POINTER;
        *ppAsync = nullptr;
        if (drives < 0 || (drives > 0 && driveIds == nullptr)) return E_INVALIDARG;
        std::vector<GUID> ids(driveIds, driveIds + drives);
        const std::string args = joinArgs(bytes, drives, idsText(ids));
        return changeLater("IVdsLun::Extend", args, ppAsync, {VDS_ASYNCOUT_EXTENDLUN},
                           extendLun(id(), bytes, std::move(ids)));
    }
    HRESULT STDMETHODCALLTYPE Shrink(ULONGLONG bytes, IVdsAsync** ppAsync) override {
        return changeLater("IVdsLun::Shrink", joinArgs(bytes), ppAsync, {VDS_ASYNCOUT_SHRINKLUN},
                           shrinkLun(id(), bytes));
    }
    HRESULT STDMETHODCALLTYPE QueryPlexes(IEnumVdsObject** pp) override {
        return list("IVdsLun::QueryPlexes", pp, Kind::LunPlex, &Lun::plexes);
    }
    HRESULT STDMETHODCALLTYPE AddPlex(VDS_OBJECT_ID lun, IVdsAsync** ppAsync) override {
        return changeLater("IVdsLun::AddPlex", joinArgs(lun), ppAsync, {VDS_ASYNCOUT_ADDLUNPLEX},
                           addLunPlex(id(), lun));
    }
    HRESULT STDMETHODCALLTYPE RemovePlex(VDS_OBJECT_ID plex, IVdsAsync** ppAsync) override {
        return changeLater("IVdsLun::RemovePlex", joinArgs(plex), ppAsync, {VDS_ASYNCOUT_REMOVELUNPLEX},
                           removeLunPlex(id(), plex));
    }
    // Stand-ins are found at once; the rebuild then runs its course, and
    // Wait answers when it ends. The real subsystems offer no Cancel for it.
    HRESULT STDMETHODCALLTYPE Recover(IVdsAsync** ppAsync) override {
        if (ppAsync != nullptr) *ppAsync = nullptr;
        auto call = enter("IVdsLun::Recover");
        if (call.hr != S_OK) return call.hr;
        if (ppAsync == nullptr) return E_POINTER;
        *ppAsync = startOperation("IVdsLun::Recover", {VDS_ASYNCOUT_RECOVERLUN},
                                  [lun = id()](VDS_ASYNC_OUTPUT&, OperationProgress& progress) {
                                      Core& core = Core::instance();
                                      const HRESULT hr = progress.commit([&] { return core.change(recoverLun(lun)); });
                                      if (FAILED(hr)) return hr;
                                      return rebuildLun(core, lun, [&](ULONG p) { progress.report(p); });
                                  });
        return *ppAsync != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE SetMask(LPCWSTR list) override {
        if (list == nullptr) return E_POINTER;
        return changeNow("IVdsLun::SetMask", joinArgs(list), setLunMask(id(), modelText(list)));
    }
    HRESULT STDMETHODCALLTYPE Delete() override { return changeNow("IVdsLun::Delete", "", deleteLun(id())); }
    HRESULT STDMETHODCALLTYPE AssociateControllers(const VDS_OBJECT_ID* activeIds, LONG active,
                                                   const VDS_OBJECT_ID* inactiveIds, LONG inactive) override {
        if (active < 0 || inactive < 0 || (active > 0 && activeIds == nullptr) ||
            (inactive > 0 && inactiveIds == nullptr))
            return E_INVALIDARG;
        std::vector<GUID> on(activeIds, activeIds + active);
        std::vector<GUID> off(inactiveIds, inactiveIds + inactive);
        return changeNow("IVdsLun::AssociateControllers", joinArgs(active, inactive, idsText(on), idsText(off)),
                         associateControllers(id(), on, off));
    }
    HRESULT STDMETHODCALLTYPE QueryHints(VDS_HINTS* hints) override {
        if (hints == nullptr) return E_POINTER;
        *hints = VDS_HINTS{};
        auto call = enter("IVdsLun::QueryHints");
        if (call.hr != S_OK) return call.hr;
        Core::instance().read([&](const Model& m) {
            toVds(m.luns.at(id()).hints, *hints);
            return 0;
        });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ApplyHints(const VDS_HINTS* hints) override {
        if (hints == nullptr) return E_POINTER;
        return changeNow("IVdsLun::ApplyHints", joinArgs(hints->ullHintMask, hints->sRebuildPriority),
                         applyLunHints(id(), hintsFromVds(*hints)));
    }
    HRESULT STDMETHODCALLTYPE SetStatus(VDS_LUN_STATUS status) override {
        return changeNow("IVdsLun::SetStatus", joinArgs(status), setLunStatus(id(), status));
    }
    HRESULT STDMETHODCALLTYPE QueryMaxLunExtendSize(const VDS_OBJECT_ID* driveIds, LONG count,
                                                    ULONGLONG* pullMax) override {
        if (pullMax == nullptr) return E_POINTER;
        *pullMax = 0;
        auto call = enter("IVdsLun::QueryMaxLunExtendSize", joinArgs(count));
        if (call.hr != S_OK) return call.hr;
        if (count < 0 || (count > 0 && driveIds == nullptr)) return E_INVALIDARG;
        return Core::instance().read([&](const Model& m) {
            return maxLunExtendSize(m, id(), std::vector<GUID>(driveIds, driveIds + count), *pullMax);
        });
    }
    TOLVANE_SIM_MAINTENANCE()

private:
    void* face(REFIID riid) override {
        if (riid == IID_IVdsLun) return static_cast<IVdsLun*>(this);
        if (riid == IID_IVdsMaintenance) return static_cast<IVdsMaintenance*>(this);
        return nullptr;
    }
    template <typename Ids>
    HRESULT list(const char* method, IEnumVdsObject** pp, Kind kind, Ids Lun::*member) {
        if (pp == nullptr) return E_POINTER;
        *pp = nullptr;
        auto call = enter(method);
        if (call.hr != S_OK) return call.hr;
        *pp = makeEnumeration(Core::instance().read([&](const Model& m) { return listOf(kind, m.luns.at(id()).*member); }));
        return Core::instance().faults.successCode(method);
    }
};

}  // namespace

ModelObject* makeLunObject(const GUID& id) { return new LunObject(id); }

}  // namespace tolvane::sim
