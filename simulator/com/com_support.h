// Shared pieces of the service's COM objects: call entry (journal, injected
// faults, deleted objects), QueryInterface with its test hooks, and texts and
// arrays allocated for the caller with CoTaskMemAlloc.
#pragma once

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "com/async_operation.h"
#include "changes/hardware_changes.h"
#include "com/model_object.h"
#include "core/call_args.h"
#include "core/sim_core.h"
#include "platform/vds_interfaces.h"

namespace tolvane::sim {

// A copy of `text` that the caller frees with CoTaskMemFree; never null.
LPWSTR coString(const std::u16string& text);

// A CoTaskMemAlloc'd copy of `items`, or null when there are none.
template <typename T>
T* coArray(const std::vector<T>& items) {
    if (items.empty()) return nullptr;
    auto* out = static_cast<T*>(CoTaskMemAlloc(sizeof(T) * items.size()));
    if (out != nullptr) std::memcpy(static_cast<void*>(out), items.data(), sizeof(T) * items.size());
    return out;
}

// The name of an interface for journal lines, or its identifier's text.
std::string interfaceName(REFIID iid);

// The changing operations answer this until they are simulated. Each becomes
// real as one pure function over the model (see ChangeFunction) that its COM
// method hands to changeNow, or to changeLater when the real method is
// asynchronous.
inline HRESULT notSimulatedYet() { return E_NOTIMPL; }

// Base of the objects that stand for one model object.
class FacedObject : public ModelObject {
public:
    using ModelObject::ModelObject;

protected:
    // A call in progress: its outcome so far and the model held still.
    struct Call {
        HRESULT hr;
        std::unique_lock<std::recursive_mutex> model;
    };
    // Journals the call, answers an injected fault, and refuses calls on an
    // object that no longer exists (VDS_E_OBJECT_DELETED). Keep the result
    // for the rest of the call: the object cannot vanish while it is held.
    Call enter(const char* method, const std::string& args = {});
    // GetProperties entry: as enter(), plus the property faults of tests.
    Call enterProperties(const char* method);
    HRESULT queryInterface(const char* primaryName, REFIID riid, void** ppv);
    // Entry of a changing operation that is not simulated yet.
    HRESULT unsimulated(const char* method, const std::string& args);
    HRESULT unsimulatedAsync(const char* method, const std::string& args, IVdsAsync** ppAsync);
    // The whole body of a changing method: entry as enter(), then `change`
    // applied through Core::change; its result is the method's.
    HRESULT changeNow(const char* method, const std::string& args, ChangeFunction change,
                      ChangeOutput* output = nullptr);
    // The same for an asynchronous method: after entry the change runs on
    // the worker and *ppAsync receives its IVdsAsync. Checks the real method
    // makes before it returns belong in the caller, before this.
    HRESULT changeLater(const char* method, const std::string& args, IVdsAsync** ppAsync, OperationOptions options,
                        ChangeFunction change, DeliverOutput deliver = {});
    // An asynchronous method refused before anything starts: entry as
    // enter(), then `why`, with no IVdsAsync handed out.
    HRESULT refuseAsync(const char* method, const std::string& args, IVdsAsync** ppAsync, HRESULT why);
    // changeLater for a method whose real counterpart checks the machine
    // before it starts: a failing `check` is the call's own result and no
    // operation starts; the change itself checks again as it runs.
    HRESULT changeLaterChecked(const char* method, const std::string& args, IVdsAsync** ppAsync,
                               OperationOptions options, const std::function<HRESULT(const Model&)>& check,
                               ChangeFunction change, DeliverOutput deliver = {});
    // The interface pointer for riid, or null.
    virtual void* face(REFIID riid) = 0;

    // Hands the caller a reference on another model object's face.
    template <typename I>
    HRESULT handOut(Kind kind, const GUID& id, REFIID iid, I** out) {
        IUnknown* unk = Core::instance().acquire(kind, id);
        if (unk == nullptr) return VDS_E_OBJECT_NOT_FOUND;
        HRESULT hr = unk->QueryInterface(iid, reinterpret_cast<void**>(out));
        unk->Release();
        return hr;
    }
};


}  // namespace tolvane::sim

// The IUnknown trio of a model object's COM face.
#define TOLVANE_SIM_UNKNOWN(Primary)                                                   \
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {       \
        return queryInterface(#Primary, riid, ppv);                                    \
    }                                                                                  \
    ULONG STDMETHODCALLTYPE AddRef() override { return addRef(); }                     \
    ULONG STDMETHODCALLTYPE Release() override { return release(); }                   \
    IUnknown* primary() override { return static_cast<Primary*>(this); }

// IVdsMaintenance, offered by subsystems, controllers, drives and LUNs; what
// each kind of object can do is the change function's to say.
#define TOLVANE_SIM_MAINTENANCE()                                                          \
    HRESULT STDMETHODCALLTYPE StartMaintenance(VDS_MAINTENANCE_OPERATION op) override {    \
        return changeNow("IVdsMaintenance::StartMaintenance", joinArgs(op),                \
                         maintain(id(), MaintenanceAction::Start, op));                    \
    }                                                                                      \
    HRESULT STDMETHODCALLTYPE StopMaintenance(VDS_MAINTENANCE_OPERATION op) override {     \
        return changeNow("IVdsMaintenance::StopMaintenance", joinArgs(op),                 \
                         maintain(id(), MaintenanceAction::Stop, op));                     \
    }                                                                                      \
    HRESULT STDMETHODCALLTYPE PulseMaintenance(VDS_MAINTENANCE_OPERATION op, ULONG count)  \
        override {                                                                         \
        return changeNow("IVdsMaintenance::PulseMaintenance", joinArgs(op, count),         \
                         maintain(id(), MaintenanceAction::Pulse, op));                    \
    }
