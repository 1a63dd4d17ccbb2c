// The COM face of a subsystem controller: IVdsController and IVdsMaintenance.
#include <algorithm>

#include "com/async_operation.h"
#include "com/com_support.h"
#include "com/enum_objects.h"
#include "com/object_factory.h"
#include "com/vds_conversions.h"

namespace tolvane::sim {

namespace {

class ControllerObject final : public FacedObject, public IVdsController, public IVdsMaintenance {
public:
    explicit ControllerObject(const GUID& id) : FacedObject(Kind::Controller, id) {}
    TOLVANE_SIM_UNKNOWN(IVdsController)

    HRESULT STDMETHODCALLTYPE GetProperties(VDS_CONTROLLER_PROP* p) override {
        if (p == nullptr) return E_POINTER;
        *p = VDS_CONTROLLER_PROP{};
        auto call = enterProperties("IVdsController::GetProperties");
        if (call.hr != S_OK) return call.hr;
        Core::instance().read([&](const Model& m) {
            const Controller& c = m.controllers.at(id());
            p->id = c.id;
            p->pwszFriendlyName = coString(c.friendlyName);
            p->pwszIdentification = coString(c.identification);
            p->status = static_cast<VDS_CONTROLLER_STATUS>(c.status);
            p->health = static_cast<VDS_HEALTH>(c.health);
            p->sNumberOfPorts = static_cast<SHORT>(c.ports.size());
            return 0;
        });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSubSystem(IVdsSubSystem** pp) override {
        if (pp == nullptr) return E_POINTER;
        *pp = nullptr;
        auto call = enter("IVdsController::GetSubSystem");
        if (call.hr != S_OK) return call.hr;
        GUID s = Core::instance().read([&](const Model& m) { return m.controllers.at(id()).subsystem; });
        return handOut(Kind::SubSystem, s, IID_IVdsSubSystem, pp);
    }
    HRESULT STDMETHODCALLTYPE GetPortProperties(SHORT number, VDS_PORT_PROP* p) override {
        if (p == nullptr) return E_POINTER;
        *p = VDS_PORT_PROP{};
        auto call = enter("IVdsController::GetPortProperties", joinArgs(number));
        if (call.hr != S_OK) return call.hr;
        return Core::instance().read([&](const Model& m) {
            for (const auto& portId : m.controllers.at(id()).ports) {
                const Port& port = m.ports.at(portId);
                if (port.portNumber != number) continue;
                p->id = port.id;
                p->pwszFriendlyName = coString(port.friendlyName);
                p->pwszIdentification = coString(port.identification);
                p->status = static_cast<VDS_PORT_STATUS>(port.status);
                return S_OK;
            }
            return VDS_E_OBJECT_NOT_FOUND;
        });
    }
    HRESULT STDMETHODCALLTYPE FlushCache() override { return enter("IVdsController::FlushCache").hr; }
    HRESULT STDMETHODCALLTYPE InvalidateCache() override { return enter("IVdsController::InvalidateCache").hr; }
    HRESULT STDMETHODCALLTYPE Reset() override {
        return changeNow("IVdsController::Reset", "", resetController(id()));
    }
    HRESULT STDMETHODCALLTYPE QueryAssociatedLuns(IEnumVdsObject** pp) override {
        if (pp == nullptr) return E_POINTER;
        *pp = nullptr;
        auto call = enter("IVdsController::QueryAssociatedLuns");
        if (call.hr != S_OK) return call.hr;
        *pp = makeEnumeration(
            Core::instance().read([&](const Model& m) { return listOf(Kind::Lun, m.lunsOfController(id())); }));
        return Core::instance().faults.successCode("IVdsController::QueryAssociatedLuns");
    }
    HRESULT STDMETHODCALLTYPE SetStatus(VDS_CONTROLLER_STATUS status) override {
        return changeNow("IVdsController::SetStatus", joinArgs(status), setControllerStatus(id(), status));
    }
    TOLVANE_SIM_MAINTENANCE()

private:
    void* face(REFIID riid) override {
        if (riid == IID_IVdsController) return static_cast<IVdsController*>(this);
        if (riid == IID_IVdsMaintenance) return static_cast<IVdsMaintenance*>(this);
        return nullptr;
    }
};

}  // namespace

ModelObject* makeControllerObject(const GUID& id) { return new ControllerObject(id); }

}  // namespace tolvane::sim
