#include "core/sim_core.h"

#include <cstdio>
#include <cstdlib>

#include "com/model_object.h"
#include "core/notices.h"
#include "core/recovery.h"
#include "model/model_rules.h"
#include "model/topology_loader.h"

namespace tolvane::sim {

namespace {
constexpr HRESULT kTopologyRefused = E_FAIL;
// How soon a process with no calls of its own hears of another's change.
constexpr auto kWatchEvery = std::chrono::milliseconds(50);

const char* stateFileNamed() {
    const char* path = std::getenv("TOLVANE_SIM_STATE");
    return path != nullptr && *path != '\0' ? path : nullptr;
}
}  // namespace

Core& Core::instance() {
    static Core* core = new Core;
    return *core;
}

Core::Core() {
    std::string error;
    auto model = loadTopologyText(defaultTopologyText(), "(built-in)", error);
    model_ = std::make_unique<Model>(model ? std::move(*model) : Model{});
    model_->commitChange();
    if (!model) std::fprintf(stderr, "TolvaneSim: %s\n", error.c_str());
}

HRESULT Core::change(const ChangeFunction& apply, ChangeOutput* output) {
    ChangeOutput unused;
    ChangeOutput& made = output != nullptr ? *output : unused;
    const HRESULT hr = commit(apply, made);
    // What the subsystem then does by itself runs on the worker, after the
    // change's own notifications.
    if (SUCCEEDED(hr))
        for (const GUID& lun : made.lunsToRecover)
            runLater([this, lun] { lookAfterLun(*this, lun); }, [] {});
    return hr;
}

HRESULT Core::commit(const ChangeFunction& apply, ChangeOutput& output) {
    Batch batch;
    std::lock_guard lock(modelMutex_);
    std::string error;
    // Shared, the change applies to the latest committed machine, inside the
    // write, so two processes' changes never pass each other unseen.
    if (state_) {
        if (!state_->beginWrite(error)) {
            std::fprintf(stderr, "TolvaneSim: the state file %s is busy: %s\n", state_->path().c_str(), error.c_str());
            return kStateFileFailed;
        }
        catchUpLocked();
    }
    Model& m = *model_;
    const auto refuse = [&](HRESULT why) {
        m.undoChange();
        if (state_) state_->rollback();
        return why;
    };
    m.openChange();
    const HRESULT hr = apply(m, batch, output);
    if (FAILED(hr)) return refuse(hr);
    // What the change touched is checked in every build; test builds also
    // check the whole machine, which catches a change that broke a rule
    // beyond what it touched.
    std::optional<std::string> broken;
    if (auto touched = findTouchedRuleBreak(m)) broken = touched->text();
#if TOLVANE_SIM_CHECK_RULES
    if (!broken) broken = checkModelRules(m);
#endif
    if (broken) {
        std::fprintf(stderr, "TolvaneSim: a change broke the model's rules: %s\n", broken->c_str());
        return refuse(kChangeBrokeRules);
    }
    // Written before anyone is told: a change a client heard of, or whose
    // Wait answered, is in the file.
    if (state_ && !state_->commitChange(m, batch, error)) {
        std::fprintf(stderr, "TolvaneSim: the state file %s took no change: %s\n", state_->path().c_str(),
                     error.c_str());
        m.undoChange();
        return kStateFileFailed;
    }
    m.commitChange();
    // post() only queues; delivery happens on the notifier's thread.
    if (!batch.empty()) notifier.post(std::move(batch));
    return hr;
}

void Core::catchUpLocked() {
    if (!state_) return;
    std::string error;
    auto news = state_->news(error);
    if (!news) {
        std::fprintf(stderr, "TolvaneSim: the state file %s cannot be read: %s\n", state_->path().c_str(),
                     error.c_str());
        return;
    }
    using What = StateFile::News::What;
    if (news->what == What::Nothing) return;
    if (news->what == What::Changes) {
        Model& m = *model_;
        m.openChange();
        if (putRows(m, news->rows, news->gone, news->lists, error)) {
#if TOLVANE_SIM_CHECK_RULES
            if (auto broken = checkModelRules(m))
                std::fprintf(stderr, "TolvaneSim: another process's change broke the model's rules: %s\n",
                             broken->c_str());
#endif
            m.commitChange();
            state_->caughtUp(news->sequence);
            for (Batch& told : news->batches)
                if (!told.empty()) notifier.post(std::move(told));
            return;
        }
        m.undoChange();
    }
    // Too far behind the log, or a machine loaded whole: read it all again
    // and tell this process's clients what differs.
    auto model = state_->loadMachine(error);
    if (!model) {
        std::fprintf(stderr, "TolvaneSim: the state file %s is damaged: %s; the machine stays as it was\n",
                     state_->path().c_str(), error.c_str());
        return;
    }
    Batch told;
    noteDifferences(*model_, *model, told);
    model_ = std::make_unique<Model>(std::move(*model));
    if (!told.empty()) notifier.post(std::move(told));
}

HRESULT Core::attachStateFile() {
    const char* path = stateFileNamed();
    std::lock_guard lock(modelMutex_);
    if (path == nullptr) {
        detachStateFileLocked();
        return S_OK;
    }
    if (state_ && state_->path() == path) return S_OK;
    detachStateFileLocked();
    bool created = false;
    std::string error;
    auto state = StateFile::open(path, [this](std::string& why) { return environmentModel(why); }, created, error);
    std::optional<Model> model = state ? state->loadMachine(error) : std::nullopt;
    if (!model) {
        std::fprintf(stderr, "TolvaneSim: the state file %s %s; the service does not start\n", path,
                     state ? ("is damaged: " + error).c_str() : error.c_str());
        return kStateFileFailed;
    }
    const char* topology = std::getenv("TOLVANE_SIM_TOPOLOGY");
    if (!created && topology != nullptr && *topology != '\0')
        std::fprintf(stderr, "TolvaneSim: the state file %s holds the machine; TOLVANE_SIM_TOPOLOGY=%s is ignored\n",
                     path, topology);
    model_ = std::make_unique<Model>(std::move(*model));
    state_ = std::move(state);
    stateAttached_ = true;
    if (!stateWatcher_.joinable()) stateWatcher_ = std::thread([this] { watchStateFile(); });
    return S_OK;
}

void Core::detachStateFileLocked() {
    state_.reset();
    stateAttached_ = false;
}

void Core::watchStateFile() {
    std::unique_lock lock(modelMutex_);
    while (!stopWatching_) {
        stateWatchStop_.wait_for(lock, kWatchEvery, [this] { return stopWatching_; });
        if (!stopWatching_) catchUpLocked();
    }
}

HRESULT Core::putMachine(Model model, bool tell) {
    std::lock_guard lock(modelMutex_);
    model.commitChange();
    Batch told;
    if (tell) noteDifferences(*model_, model, told);
    if (state_) {
        std::string error;
        if (!state_->beginWrite(error) || !state_->commitWholeMachine(model, told, error)) {
            std::fprintf(stderr, "TolvaneSim: the state file %s took no machine: %s\n", state_->path().c_str(),
                         error.c_str());
            return kStateFileFailed;
        }
    }
    model_ = std::make_unique<Model>(std::move(model));
    if (!told.empty()) notifier.post(std::move(told));
    return S_OK;
}

void Core::replaceModel(Model model) {
    std::lock_guard lock(modelMutex_);
    model_ = std::make_unique<Model>(std::move(model));
    model_->commitChange();
}

std::optional<Model> Core::environmentModel(std::string& error) const {
    const char* path = std::getenv("TOLVANE_SIM_TOPOLOGY");
    if (path == nullptr || *path == '\0') return loadTopologyText(defaultTopologyText(), "(built-in)", error);
    auto model = tolvane::sim::loadTopologyFile(path, error);
    if (!model) error += "; the service does not start";
    return model;
}

HRESULT Core::loadForNewService() {
    if (const HRESULT hr = attachStateFile(); FAILED(hr)) return hr;
    {
        std::lock_guard lock(modelMutex_);
        // The state file holds the machine, as it stands.
        if (state_ || pinned_ || liveServiceObjects.load() > 0) return S_OK;
    }
    std::string error;
    auto model = environmentModel(error);
    if (!model) {
        std::fprintf(stderr, "TolvaneSim: %s\n", error.c_str());
        return kTopologyRefused;
    }
    replaceModel(std::move(*model));
    return S_OK;
}

void Core::rescan() {
    {
        std::lock_guard lock(modelMutex_);
        if (state_) catchUpLocked();
        if (pinned_ || state_) return;
    }
    // A rescan finds the machine as its description now stands; a description
    // that no longer reads leaves the machine as it was.
    std::string error;
    auto model = environmentModel(error);
    if (!model) {
        std::fprintf(stderr, "TolvaneSim: rescan kept the machine as it was: %s\n", error.c_str());
        return;
    }
    change([&](Model& m, Batch& out) {
        noteDifferences(m, *model, out);
        m = std::move(*model);
        return S_OK;
    });
}

HRESULT Core::loadTopologyFile(const std::string& path) {
    std::string error;
    auto model = tolvane::sim::loadTopologyFile(path, error);
    return useMachine(std::move(model), error, false, true);
}

HRESULT Core::loadTopologyJson(const std::string& text) {
    std::string error;
    auto model = loadTopologyText(text, "(text)", error);
    return useMachine(std::move(model), error, false, true);
}

void Core::loadDefault() {
    std::string error;
    auto model = loadTopologyText(defaultTopologyText(), "(built-in)", error);
    if (!model) model.emplace();
    useMachine(std::move(model), error, false, true);
}

void Core::useEnvironmentTopology() {
    std::lock_guard lock(modelMutex_);
    pinned_ = false;
}

HRESULT Core::resetToTopology() {
    std::string error;
    auto model = environmentModel(error);
    return useMachine(std::move(model), error, true, false);
}

HRESULT Core::useMachine(std::optional<Model> model, const std::string& error, bool tell, bool pinned) {
    if (!model) {
        std::fprintf(stderr, "TolvaneSim: %s\n", error.c_str());
        return kTopologyRefused;
    }
    const HRESULT hr = putMachine(std::move(*model), tell);
    if (SUCCEEDED(hr)) {
        std::lock_guard lock(modelMutex_);
        pinned_ = pinned;
    }
    return hr;
}

std::optional<HRESULT> Core::enter(const char* method, const std::string& args) {
    if (journal.enabled()) journal.append(std::string(method) + "(" + args + ")");
    if (stateAttached_.load(std::memory_order_relaxed)) {
        std::lock_guard lock(modelMutex_);
        catchUpLocked();
        if (state_ && state_->hasCallFault(method)) {
            std::string error;
            if (auto due = state_->countCall(method, error)) return due;
            if (!error.empty()) return kStateFileFailed;
        }
    }
    return faults.onCall(method);
}

void Core::failCall(const std::string& method, int nth, HRESULT hr) {
    {
        std::lock_guard lock(modelMutex_);
        std::string error;
        if (state_ && !state_->setCallFault(method, nth, hr, error))
            std::fprintf(stderr, "TolvaneSim: the state file %s cannot keep the fault: %s\n", state_->path().c_str(),
                         error.c_str());
        if (state_) return;
    }
    faults.failCall(method, nth, hr);
}

void Core::clearFaults() {
    {
        std::lock_guard lock(modelMutex_);
        std::string error;
        if (state_ && !state_->clearCallFaults(error))
            std::fprintf(stderr, "TolvaneSim: the state file %s cannot clear its faults: %s\n",
                         state_->path().c_str(), error.c_str());
    }
    faults.clear();
}

IUnknown* Core::acquire(Kind kind, const GUID& id) {
    std::lock_guard lock(liveMutex_);
    auto it = live_.find(id);
    if (it != live_.end() && it->second->kind() == kind && it->second->tryAddRef()) return it->second->primary();
    ModelObject* object = makeModelObject(kind, id);
    if (object == nullptr) return nullptr;
    liveReferences.fetch_add(1);
    live_[id] = object;
    return object->primary();
}

void Core::forget(ModelObject* object) {
    std::lock_guard lock(liveMutex_);
    auto it = live_.find(object->id());
    if (it != live_.end() && it->second == object) live_.erase(it);
}

long Core::objectReferences(const GUID& id) const {
    std::lock_guard lock(liveMutex_);
    auto it = live_.find(id);
    return it == live_.end() ? 0 : static_cast<long>(it->second->references());
}

void Core::setStartingPhase(int milliseconds) {
    std::lock_guard lock(readyMutex_);
    startingPhaseMs_ = milliseconds;
    startingFinished_ = false;
    readyChanged_.notify_all();
}

void Core::finishStarting() {
    std::lock_guard lock(readyMutex_);
    startingFinished_ = true;
    readyChanged_.notify_all();
}

bool Core::isReady(std::chrono::steady_clock::time_point initializedAt) const {
    std::lock_guard lock(readyMutex_);
    if (startingFinished_ || startingPhaseMs_ == 0) return true;
    if (startingPhaseMs_ < 0) return false;
    return std::chrono::steady_clock::now() >= initializedAt + std::chrono::milliseconds(startingPhaseMs_);
}

void Core::waitReady(std::chrono::steady_clock::time_point initializedAt) {
    std::unique_lock lock(readyMutex_);
    for (;;) {
        if (startingFinished_ || startingPhaseMs_ == 0) return;
        if (startingPhaseMs_ < 0) {
            readyChanged_.wait(lock);
            continue;
        }
        auto due = initializedAt + std::chrono::milliseconds(startingPhaseMs_);
        if (std::chrono::steady_clock::now() >= due) return;
        readyChanged_.wait_until(lock, due);
    }
}

void Core::runLater(std::function<void()> job, std::function<void()> abandon) {
    {
        std::lock_guard lock(workMutex_);
        if (!stopping_) {
            if (!worker_.joinable()) worker_ = std::thread([this] { workerLoop(); });
            work_.push_back({std::move(job), std::move(abandon)});
            workReady_.notify_one();
            return;
        }
    }
    abandon();
}

void Core::workerLoop() {
    std::unique_lock lock(workMutex_);
    for (;;) {
        workReady_.wait(lock, [this] { return stopping_ || !work_.empty(); });
        if (work_.empty()) {  // stopping with nothing left
            idle_.notify_all();
            return;
        }
        Job job = std::move(work_.front());
        work_.pop_front();
        const bool abandoned = stopping_;
        working_ = true;
        lock.unlock();
        if (abandoned)
            job.abandon();
        else
            job.run();
        lock.lock();
        working_ = false;
        if (work_.empty()) idle_.notify_all();
    }
}

void Core::waitIdle() {
    std::unique_lock lock(workMutex_);
    idle_.wait(lock, [this] { return (work_.empty() && !working_) || !worker_.joinable(); });
}

void Core::shutdown() {
    {
        std::lock_guard lock(modelMutex_);
        stopWatching_ = true;
        stateWatchStop_.notify_all();
    }
    if (stateWatcher_.joinable() && stateWatcher_.get_id() != std::this_thread::get_id()) stateWatcher_.join();
    {
        std::lock_guard lock(workMutex_);
        stopping_ = true;
        workReady_.notify_all();
    }
    if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id()) worker_.join();
    notifier.shutdown();
}

}  // namespace tolvane::sim
