#include "com/async_operation.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "com/counted_object.h"
#include "core/call_args.h"

namespace tolvane::sim {

namespace {

void releaseOutput(VDS_ASYNC_OUTPUT& out) {
    IUnknown* unk = nullptr;
    switch (out.type) {
        case VDS_ASYNCOUT_CREATEVOLUME: unk = out.cv.pVolumeUnk; break;
        case VDS_ASYNCOUT_BREAKVOLUMEPLEX: unk = out.bvp.pVolumeUnk; break;
        case VDS_ASYNCOUT_CREATELUN: unk = out.cl.pLunUnk; break;
        default: break;
    }
    if (unk != nullptr) unk->Release();
    out = VDS_ASYNC_OUTPUT{};
}

void addRefOutput(const VDS_ASYNC_OUTPUT& out) {
    IUnknown* unk = nullptr;
    switch (out.type) {
        case VDS_ASYNCOUT_CREATEVOLUME: unk = out.cv.pVolumeUnk; break;
        case VDS_ASYNCOUT_BREAKVOLUMEPLEX: unk = out.bvp.pVolumeUnk; break;
        case VDS_ASYNCOUT_CREATELUN: unk = out.cl.pLunUnk; break;
        default: break;
    }
    if (unk != nullptr) unk->AddRef();
}

// Shared between the client's object and the worker; the worker holds no
// COM reference, so a client that let go of everything counts zero.
struct OperationState {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    HRESULT result = S_OK;
    VDS_ASYNC_OUTPUT output{};

    ~OperationState() { releaseOutput(output); }

    void complete(HRESULT hr, const VDS_ASYNC_OUTPUT& out) {
        std::lock_guard lock(mutex);
        result = hr;
        output = out;
        done = true;
        finished.notify_all();
    }
};

class AsyncOperation final : public IVdsAsync, public CountedObject {
public:
    explicit AsyncOperation(std::shared_ptr<OperationState> state) : state_(std::move(state)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        *ppv = nullptr;
        if (auto fault = Core::instance().enter("IVdsAsync::QueryInterface", guidToText(riid))) return *fault;
        if (riid != IID_IUnknown && riid != IID_IVdsAsync) return E_NOINTERFACE;
        addRef();
        *ppv = static_cast<IVdsAsync*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return addRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return release(); }

    HRESULT STDMETHODCALLTYPE Cancel() override {
        if (auto fault = Core::instance().enter("IVdsAsync::Cancel", "")) return *fault;
        // Operations are applied whole once started; there is no point at
        // which one could still be stopped.
        return VDS_E_CANCEL_TOO_LATE;
    }

    HRESULT STDMETHODCALLTYPE Wait(HRESULT* pHrResult, VDS_ASYNC_OUTPUT* pAsyncOut) override {
        if (pAsyncOut != nullptr) *pAsyncOut = VDS_ASYNC_OUTPUT{};
        if (auto fault = Core::instance().enter("IVdsAsync::Wait", "")) return *fault;
        if (pHrResult == nullptr) return E_POINTER;
        std::unique_lock lock(state_->mutex);
        state_->finished.wait(lock, [this] { return state_->done; });
        *pHrResult = state_->result;
        if (pAsyncOut != nullptr) {
            *pAsyncOut = state_->output;
            addRefOutput(*pAsyncOut);  // each Wait hands its caller a reference
        }
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE QueryStatus(HRESULT* pHrResult, ULONG* pulPercentCompleted) override {
        if (pHrResult != nullptr) *pHrResult = S_OK;
        if (pulPercentCompleted != nullptr) *pulPercentCompleted = 0;
        if (auto fault = Core::instance().enter("IVdsAsync::QueryStatus", "")) return *fault;
        if (pHrResult == nullptr || pulPercentCompleted == nullptr) return E_POINTER;
        std::lock_guard lock(state_->mutex);
        *pHrResult = state_->done ? state_->result : VDS_S_IN_PROGRESS;
        *pulPercentCompleted = state_->done ? 100 : 0;
        return S_OK;
    }

private:
    std::shared_ptr<OperationState> state_;
};

}  // namespace

IVdsAsync* startOperation(const char* method, OperationWork work) {
    auto state = std::make_shared<OperationState>();
    auto* op = new AsyncOperation(state);
    std::optional<HRESULT> waitFault = Core::instance().faults.waitOutcome(method);
    Core::instance().runLater([state, work = std::move(work), waitFault] {
        VDS_ASYNC_OUTPUT out{};
        HRESULT hr = waitFault ? *waitFault : work(out);
        state->complete(hr, out);
    });
    return op;
}

IVdsAsync* startTestOperation(int milliseconds, HRESULT result) {
    return startOperation("VdsSim::TestOperation", [milliseconds, result](VDS_ASYNC_OUTPUT&) {
        if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        return result;
    });
}

}  // namespace tolvane::sim
