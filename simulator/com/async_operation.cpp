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

IUnknown* outputInterface(const VDS_ASYNC_OUTPUT& out) {
    switch (out.type) {
        case VDS_ASYNCOUT_CREATEVOLUME: return out.cv.pVolumeUnk;
        case VDS_ASYNCOUT_BREAKVOLUMEPLEX: return out.bvp.pVolumeUnk;
        case VDS_ASYNCOUT_CREATELUN: return out.cl.pLunUnk;
        default: return nullptr;
    }
}

// The output of an operation that did not succeed: its type, nothing else.
VDS_ASYNC_OUTPUT bareOutput(VDS_ASYNC_OUTPUT_TYPE type) {
    VDS_ASYNC_OUTPUT out{};
    out.type = type;
    return out;
}

void releaseOutput(VDS_ASYNC_OUTPUT& out) {
    if (IUnknown* unk = outputInterface(out)) unk->Release();
    out = bareOutput(out.type);
}

// Shared between the client's object and the worker; the worker holds no
// COM reference, so a client that let go of everything counts zero.
struct OperationState final : OperationProgress {
    enum class Phase { Running, Committing, Done };

    explicit OperationState(OperationOptions o) : options(o), output(bareOutput(o.type)) {}
    ~OperationState() override { releaseOutput(output); }

    const OperationOptions options;
    mutable std::mutex mutex;
    std::condition_variable finished;
    Phase phase = Phase::Running;
    bool cancelledByClient = false;
    bool disconnected = false;
    // No client holds the operation any more: the worker may still be ending
    // it, but its output must not keep a reference that nobody can take.
    bool orphaned = false;
    unsigned long percent = 0;
    HRESULT result = S_OK;
    VDS_ASYNC_OUTPUT output;

    bool cancelled() const override {
        std::lock_guard lock(mutex);
        return cancelledByClient;
    }
    void report(unsigned long p) override {
        std::lock_guard lock(mutex);
        if (phase != Phase::Done && p > percent) percent = p > 99 ? 99 : p;
    }
    HRESULT commit(const std::function<HRESULT()>& apply) override {
        {
            std::lock_guard lock(mutex);
            if (cancelledByClient) return VDS_E_OPERATION_CANCELED;
            phase = Phase::Committing;
        }
        return apply();
    }

    // The worker's end of the operation; a cancelled one has already ended.
    void complete(HRESULT hr, VDS_ASYNC_OUTPUT out) {
        std::lock_guard lock(mutex);
        if (phase == Phase::Done) {
            releaseOutput(out);
            return;
        }
        if (FAILED(hr) || orphaned) releaseOutput(out);
        result = hr;
        output = out;
        percent = SUCCEEDED(hr) ? 100 : 0;
        phase = Phase::Done;
        finished.notify_all();
    }
    void abandon() {
        std::lock_guard lock(mutex);
        if (phase == Phase::Done) return;
        disconnected = true;
        phase = Phase::Done;
        finished.notify_all();
    }
    HRESULT cancel() {
        std::lock_guard lock(mutex);
        if (cancelledByClient) return VDS_E_OPERATION_CANCELED;
        if (!options.cancellable) return VDS_E_NOT_SUPPORTED;
        if (phase != Phase::Running) return VDS_E_CANCEL_TOO_LATE;
        cancelledByClient = true;
        result = VDS_E_OPERATION_CANCELED;
        percent = 0;
        phase = Phase::Done;
        finished.notify_all();
        return S_OK;
    }
};

class AsyncOperation final : public IVdsAsync, public CountedObject {
public:
    explicit AsyncOperation(std::shared_ptr<OperationState> state) : state_(std::move(state)) {}
    // The worker's job may outlive the client's last reference by a moment;
    // the output's reference goes with the client's, not with the job.
    ~AsyncOperation() override {
        std::lock_guard lock(state_->mutex);
        state_->orphaned = true;
        releaseOutput(state_->output);
    }

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
        return state_->cancel();
    }

    HRESULT STDMETHODCALLTYPE Wait(HRESULT* pHrResult, VDS_ASYNC_OUTPUT* pAsyncOut) override {
        if (pAsyncOut != nullptr) *pAsyncOut = VDS_ASYNC_OUTPUT{};
        if (auto fault = Core::instance().enter("IVdsAsync::Wait", "")) return *fault;
        if (pHrResult == nullptr) return E_POINTER;
        std::unique_lock lock(state_->mutex);
        state_->finished.wait(lock, [this] { return state_->phase == OperationState::Phase::Done; });
        if (state_->disconnected) return kServiceDisconnected;
        *pHrResult = state_->result;
        if (pAsyncOut != nullptr) {
            *pAsyncOut = state_->output;
            // Each Wait hands its caller a reference of its own.
            if (IUnknown* unk = outputInterface(*pAsyncOut)) unk->AddRef();
        }
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE QueryStatus(HRESULT* pHrResult, ULONG* pulPercentCompleted) override {
        if (pHrResult != nullptr) *pHrResult = S_OK;
        if (pulPercentCompleted != nullptr) *pulPercentCompleted = 0;
        if (auto fault = Core::instance().enter("IVdsAsync::QueryStatus", "")) return *fault;
        if (pHrResult == nullptr || pulPercentCompleted == nullptr) return E_POINTER;
        std::lock_guard lock(state_->mutex);
        if (state_->disconnected) return kServiceDisconnected;
        const bool done = state_->phase == OperationState::Phase::Done;
        *pHrResult = done ? state_->result : VDS_E_OPERATION_PENDING;
        *pulPercentCompleted = state_->percent;
        return S_OK;
    }

private:
    std::shared_ptr<OperationState> state_;
};

}  // namespace

IVdsAsync* startOperation(const char* method, OperationOptions options, OperationWork work) {
    auto state = std::make_shared<OperationState>(options);
    auto* op = new AsyncOperation(state);
    std::optional<HRESULT> waitFault = Core::instance().faults.waitOutcome(method);
    Core::instance().runLater(
        [state, work = std::move(work), waitFault] {
            VDS_ASYNC_OUTPUT out = bareOutput(state->options.type);
            HRESULT hr = S_OK;
            if (waitFault)
                hr = *waitFault;
            else if (state->cancelled())
                hr = VDS_E_OPERATION_CANCELED;
            else
                hr = work(out, *state);
            state->complete(hr, out);
        },
        [state] { state->abandon(); });
    return op;
}

IVdsAsync* startChange(const char* method, OperationOptions options, ChangeFunction change, DeliverOutput deliver) {
    return startOperation(method, options,
                          [change = std::move(change), deliver = std::move(deliver)](VDS_ASYNC_OUTPUT& out,
                                                                                      OperationProgress& progress) {
                              ChangeOutput made;
                              HRESULT hr = progress.commit([&] { return Core::instance().change(change, &made); });
                              if (SUCCEEDED(hr) && deliver) deliver(out, made);
                              return hr;
                          });
}

IVdsAsync* startTestOperation(int milliseconds, HRESULT result) {
    OperationOptions options;
    options.cancellable = true;
    return startOperation("VdsSim::TestOperation", options,
                          [milliseconds, result](VDS_ASYNC_OUTPUT&, OperationProgress& progress) {
                              constexpr int kSteps = 10;
                              for (int i = 0; i < kSteps && !progress.cancelled(); ++i) {
                                  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds) / kSteps);
                                  progress.report(static_cast<unsigned long>((i + 1) * 100 / kSteps));
                              }
                              return progress.commit([result] { return result; });
                          });
}

}  // namespace tolvane::sim
