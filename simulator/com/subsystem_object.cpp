// The COM face of a RAID subsystem: IVdsSubSystem and IVdsMaintenance.
#include <algorithm>

#include <memory>

#include "changes/hardware_failures.h"
#include "changes/lun_changes.h"
#include "com/async_operation.h"
#include "com/com_support.h"
#include "com/enum_objects.h"
#include "com/object_factory.h"
#include "com/vds_conversions.h"

namespace tolvane::sim {

namespace {

class SubSystemObject final : public FacedObject, public IVdsSubSystem, public IVdsMaintenance {
public:
    explicit SubSystemObject(const GUID& id) : FacedObject(Kind::SubSystem, id) {}
    TOLVANE_SIM_UNKNOWN(IVdsSubSystem)

    HRESULT STDMETHODCALLTYPE GetProperties(VDS_SUB_SYSTEM_PROP* p) override {
        if (p == nullptr) return E_POINTER;
        *p = VDS_SUB_SYSTEM_PROP{};
        auto call = enterProperties("IVdsSubSystem::GetProperties");
        if (call.hr != S_OK) return call.hr;
        Core::instance().read([&](const Model& m) {
            const SubSystem& s = m.subsystems.at(id());
            p->id = s.id;
            p->pwszFriendlyName = coString(s.friendlyName);
            p->pwszIdentification = coString(s.identification);
            p->ulFlags = s.flags;
            p->ulStripeSizeFlags = s.stripeSizeFlags;
            p->status = static_cast<VDS_SUB_SYSTEM_STATUS>(s.status);
            p->health = static_cast<VDS_HEALTH>(s.health);
            p->sNumberOfInternalBuses = s.internalBuses;
            p->sMaxNumberOfSlotsEachBus = s.slotsPerBus;
            p->sMaxNumberOfControllers = s.maxControllers;
            p->sRebuildPriority = s.rebuildPriority;
            return 0;
        });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetProvider(IVdsProvider** pp) override {
        if (pp == nullptr) return E_POINTER;
        *pp = nullptr;
        auto call = enter("IVdsSubSystem::GetProvider");
        if (call.hr != S_OK) return call.hr;
        GUID provider = Core::instance().read([&](const Model& m) { return m.subsystems.at(id()).provider; });
        return handOut(Kind::Provider, provider, IID_IVdsProvider, pp);
    }
    HRESULT STDMETHODCALLTYPE QueryControllers(IEnumVdsObject** pp) override {
        return list("IVdsSubSystem::QueryControllers", pp, Kind::Controller, &SubSystem::controllers);
    }
    HRESULT STDMETHODCALLTYPE QueryLuns(IEnumVdsObject** pp) override {
        return list("IVdsSubSystem::QueryLuns", pp, Kind::Lun, &SubSystem::luns);
    }
    HRESULT STDMETHODCALLTYPE QueryDrives(IEnumVdsObject** pp) override {
        return list("IVdsSubSystem::QueryDrives", pp, Kind::Drive, &SubSystem::drives);
    }
    HRESULT STDMETHODCALLTYPE GetDrive(SHORT bus, SHORT slot, IVdsDrive** pp) override {
        if (pp == nullptr) return E_POINTER;
        *pp = nullptr;
        auto call = enter("IVdsSubSystem::GetDrive", joinArgs(bus, slot));
        if (call.hr != S_OK) return call.hr;
        std::optional<GUID> drive = Core::instance().read([&](const Model& m) -> std::optional<GUID> {
            for (const auto& d : m.subsystems.at(id()).drives) {
                const Drive& dr = m.drives.at(d);
                if (dr.bus == bus && dr.slot == slot) return d;
            }
            return std::nullopt;
        });
        if (!drive) return VDS_E_OBJECT_NOT_FOUND;
        return handOut(Kind::Drive, *drive, IID_IVdsDrive, pp);
    }
    HRESULT STDMETHODCALLTYPE Reenumerate() override {
        auto call = enter("IVdsSubSystem::Reenumerate");
        if (call.hr != S_OK) return call.hr;
        return notifyOutOfSync();
    }
    HRESULT STDMETHODCALLTYPE SetControllerStatus(const VDS_OBJECT_ID*, LONG online, const VDS_OBJECT_ID*,
                                                  LONG offline) override {
        auto call = enter("IVdsSubSystem::SetControllerStatus", joinArgs(online, offline));
        if (call.hr != S_OK) return call.hr;
        return notSimulatedYet();
    }
    HRESULT STDMETHODCALLTYPE CreateLun(VDS_LUN_TYPE type, ULONGLONG size, const VDS_OBJECT_ID* driveIds,
                                        LONG drives, LPCWSTR unmasking, const VDS_HINTS* hints,
                                        IVdsAsync** ppAsync) override {
        if (ppAsync == nullptr) return E_POINTER;
        *ppAsync = nullptr;
        if (drives < 0 || (drives > 0 && driveIds == nullptr) || unmasking == nullptr) return E_INVALIDARG;
        NewLun lun;
        lun.subsystem = id();
        lun.type = type;
        lun.size = size;
        lun.drives.assign(driveIds, driveIds + drives);
        lun.unmaskingList = modelText(unmasking);
        if (hints != nullptr) lun.hints = hintsFromVds(*hints);
        std::string driveText = "[";
        for (const auto& d : lun.drives) driveText += (driveText.size() > 1 ? " " : "") + guidToText(d);
        driveText += "]";
        // The identifier is chosen as the change is applied, so that LUNs built
        // side by side never share one; the output names the LUN this call built.
        return changeLater("IVdsSubSystem::CreateLun", joinArgs(type, size, drives, unmasking, driveText), ppAsync,
                           {VDS_ASYNCOUT_CREATELUN}, createLun(std::move(lun)),
                           [](VDS_ASYNC_OUTPUT& out, const ChangeOutput& made) {
                               out.cl.pLunUnk = Core::instance().acquire(Kind::Lun, made.made);
                           });
    }
    HRESULT STDMETHODCALLTYPE ReplaceDrive(VDS_OBJECT_ID oldDrive, VDS_OBJECT_ID newDrive) override {
        return changeNow("IVdsSubSystem::ReplaceDrive", joinArgs(oldDrive, newDrive),
                         replaceDrive(id(), oldDrive, newDrive));
    }
    HRESULT STDMETHODCALLTYPE SetStatus(VDS_SUB_SYSTEM_STATUS status) override {
        return changeNow("IVdsSubSystem::SetStatus", joinArgs(status), setSubSystemStatus(id(), status));
    }
    HRESULT STDMETHODCALLTYPE QueryMaxLunCreateSize(VDS_LUN_TYPE type, const VDS_OBJECT_ID* driveIds, LONG count,
                                                    const VDS_HINTS*, ULONGLONG* pullMaxLunSize) override {
        if (pullMaxLunSize == nullptr) return E_POINTER;
        *pullMaxLunSize = 0;
        auto call = enter("IVdsSubSystem::QueryMaxLunCreateSize", joinArgs(type, count));
        if (call.hr != S_OK) return call.hr;
        if (count < 0 || (count > 0 && driveIds == nullptr)) return E_INVALIDARG;
        return Core::instance().read([&](const Model& m) {
            const SubSystem& s = m.subsystems.at(id());
            std::vector<GUID> drives(driveIds, driveIds + count);
            if (drives.empty()) drives = s.drives.toVector();
            if (!allAmong(drives, s.drives)) return VDS_E_OBJECT_NOT_FOUND;
            *pullMaxLunSize = spaceOnDrives(m, drives, type, 2);
            return S_OK;
        });
    }

    TOLVANE_SIM_MAINTENANCE()

private:
    void* face(REFIID riid) override {
        if (riid == IID_IVdsSubSystem) return static_cast<IVdsSubSystem*>(this);
        if (riid == IID_IVdsMaintenance) return static_cast<IVdsMaintenance*>(this);
        return nullptr;
    }
    template <typename Ids>
    HRESULT list(const char* method, IEnumVdsObject** pp, Kind kind, Ids SubSystem::*member) {
        if (pp == nullptr) return E_POINTER;
        *pp = nullptr;
        auto call = enter(method);
        if (call.hr != S_OK) return call.hr;
        *pp = makeEnumeration(
            Core::instance().read([&](const Model& m) { return listOf(kind, m.subsystems.at(id()).*member); }));
        return Core::instance().faults.successCode(method);
    }
};

}  // namespace

ModelObject* makeSubSystemObject(const GUID& id) { return new SubSystemObject(id); }

}  // namespace tolvane::sim
