// The COM face of a drive: IVdsDrive and IVdsMaintenance.
#include <algorithm>

#include "com/async_operation.h"
#include "com/com_support.h"
#include "com/enum_objects.h"
#include "com/object_factory.h"
#include "com/vds_conversions.h"

namespace tolvane::sim {

namespace {

class DriveObject final : public FacedObject, public IVdsDrive, public IVdsMaintenance {
public:
    explicit DriveObject(const GUID& id) : FacedObject(Kind::Drive, id) {}
    TOLVANE_SIM_UNKNOWN(IVdsDrive)

    HRESULT STDMETHODCALLTYPE GetProperties(VDS_DRIVE_PROP* p) override {
        if (p == nullptr) return E_POINTER;
        *p = VDS_DRIVE_PROP{};
        auto call = enterProperties("IVdsDrive::GetProperties");
        if (call.hr != S_OK) return call.hr;
        Core::instance().read([&](const Model& m) {
            const Drive& d = m.drives.at(id());
            p->id = d.id;
            p->ullSize = d.size;
            p->pwszFriendlyName = coString(d.friendlyName);
            p->pwszIdentification = coString(d.identification);
            p->ulFlags = d.flags;
            p->status = static_cast<VDS_DRIVE_STATUS>(d.status);
            p->health = static_cast<VDS_HEALTH>(d.health);
            p->sInternalBusNumber = d.bus;
            p->sSlotNumber = d.slot;
            return 0;
        });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSubSystem(IVdsSubSystem** pp) override {
        if (pp == nullptr) return E_POINTER;
        *pp = nullptr;
        auto call = enter("IVdsDrive::GetSubSystem");
        if (call.hr != S_OK) return call.hr;
        GUID s = Core::instance().read([&](const Model& m) { return m.drives.at(id()).subsystem; });
        return handOut(Kind::SubSystem, s, IID_IVdsSubSystem, pp);
    }
    HRESULT STDMETHODCALLTYPE QueryExtents(VDS_DRIVE_EXTENT** pp, LONG* pn) override {
        if (pp == nullptr || pn == nullptr) return E_POINTER;
        *pp = nullptr;
        *pn = 0;
        auto call = enter("IVdsDrive::QueryExtents");
        if (call.hr != S_OK) return call.hr;
        auto extents = toVds(Core::instance().read([&](const Model& m) { return m.driveExtents(id()); }));
        *pp = coArray(extents);
        *pn = static_cast<LONG>(extents.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetFlags(ULONG flags) override {
        return changeNow("IVdsDrive::SetFlags", joinArgs(Hex{flags}), setDriveFlags(id(), flags));
    }
    HRESULT STDMETHODCALLTYPE ClearFlags(ULONG flags) override {
        return changeNow("IVdsDrive::ClearFlags", joinArgs(Hex{flags}), clearDriveFlags(id(), flags));
    }
    HRESULT STDMETHODCALLTYPE SetStatus(VDS_DRIVE_STATUS status) override {
        return changeNow("IVdsDrive::SetStatus", joinArgs(status), setDriveStatus(id(), status));
    }
    TOLVANE_SIM_MAINTENANCE()

private:
    void* face(REFIID riid) override {
        if (riid == IID_IVdsDrive) return static_cast<IVdsDrive*>(this);
        if (riid == IID_IVdsMaintenance) return static_cast<IVdsMaintenance*>(this);
        return nullptr;
    }
};

}  // namespace

ModelObject* makeDriveObject(const GUID& id) { return new DriveObject(id); }

}  // namespace tolvane::sim
