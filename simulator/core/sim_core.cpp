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
}

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
    Model& m = *model_;
    m.openChange();
    const HRESULT hr = apply(m, batch, output);
    if (FAILED(hr)) {
        m.undoChange();
        return hr;
    }
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
        m.undoChange();
        return kChangeBrokeRules;
    }
    m.commitChange();
    // post() only queues; delivery happens on the notifier's thread.
    if (!batch.empty()) notifier.post(std::move(batch));
    return hr;
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
    {
        std::lock_guard lock(modelMutex_);
        if (pinned_ || liveServiceObjects.load() > 0) return S_OK;
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
        if (pinned_) return;
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
    if (!model) {
        std::fprintf(stderr, "TolvaneSim: %s\n", error.c_str());
        return kTopologyRefused;
    }
    std::lock_guard lock(modelMutex_);
    model_ = std::make_unique<Model>(std::move(*model));
    model_->commitChange();
    pinned_ = true;
    return S_OK;
}

HRESULT Core::loadTopologyJson(const std::string& text) {
    std::string error;
    auto model = loadTopologyText(text, "(text)", error);
    if (!model) {
        std::fprintf(stderr, "TolvaneSim: %s\n", error.c_str());
        return kTopologyRefused;
    }
    std::lock_guard lock(modelMutex_);
    model_ = std::make_unique<Model>(std::move(*model));
    model_->commitChange();
    pinned_ = true;
    return S_OK;
}

void Core::loadDefault() {
    std::string error;
    auto model = loadTopologyText(defaultTopologyText(), "(built-in)", error);
    std::lock_guard lock(modelMutex_);
    model_ = std::make_unique<Model>(model ? std::move(*model) : Model{});
    model_->commitChange();
    pinned_ = true;
}

void Core::useEnvironmentTopology() {
    std::lock_guard lock(modelMutex_);
    pinned_ = false;
}

std::optional<HRESULT> Core::enter(const char* method, const std::string& args) {
    if (journal.enabled()) journal.append(std::string(method) + "(" + args + ")");
    return faults.onCall(method);
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
        std::lock_guard lock(workMutex_);
        stopping_ = true;
        workReady_.notify_all();
    }
    if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id()) worker_.join();
    notifier.shutdown();
}

}  // namespace tolvane::sim
