// The process-wide state of the simulated service: the machine model and its
// lock, the live COM objects handed to clients, readiness, the journal and
// faults, notification delivery and the worker that runs long operations.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <utility>

#include "core/faults.h"
#include "core/journal.h"
#include "core/notifier.h"
#include "model/change.h"
#include "model/model.h"
#include "state/state_file.h"

namespace tolvane::sim {

class ModelObject;

// What a change that would break the model's rules answers.
inline constexpr HRESULT kChangeBrokeRules = E_UNEXPECTED;

// What a call made while the service is still starting answers.
inline constexpr HRESULT kServiceNotReady = MAKE_HRESULT_CONST(0x80070015u);  // ERROR_NOT_READY

class Core {
public:
    // Created on first use and never destroyed: objects that clients leak
    // past unload must still find it. shutdown() stops its threads.
    static Core& instance();

    // --- Model -----------------------------------------------------------
    template <typename F>
    auto read(F&& f) const {
        std::lock_guard lock(modelMutex_);
        return f(static_cast<const Model&>(*model_));
    }
    // read() as of the latest machine other processes committed to the state
    // file, for readers from outside a call (the control surface).
    template <typename F>
    auto readLatest(F&& f) {
        std::lock_guard lock(modelMutex_);
        catchUpLocked();
        return f(static_cast<const Model&>(*model_));
    }
    // Applies a change to the model in place and keeps it only when the
    // change succeeds and what it touched still keeps the model's rules;
    // otherwise puts back what it touched. The notifications are queued
    // before the lock is let go, so batches reach clients in the order their
    // changes committed.
    // What the change gives back lands in `output` when one is given. The
    // LUNs it leaves for the subsystem to look after are handed to the
    // worker once it is committed.
    HRESULT change(const ChangeFunction& apply, ChangeOutput* output = nullptr);
    void replaceModel(Model model);
    // Holds the model still for the length of one call, so that an object
    // found to exist at the start of a call is still there when it is read.
    // The lock is recursive: read() and change() may be used under it.
    std::unique_lock<std::recursive_mutex> holdModel() const { return std::unique_lock(modelMutex_); }

    // Loads the machine named by TOLVANE_SIM_TOPOLOGY (or the built-in one)
    // unless a test has put its own in place. Prints the reason on stderr
    // and returns a failure when the description is unusable.
    HRESULT loadForNewService();
    // Reads the environment's machine description again, unless a test pinned
    // the machine through the control surface.
    void rescan();
    HRESULT loadTopologyFile(const std::string& path);
    HRESULT loadTopologyJson(const std::string& text);
    void loadDefault();
    void useEnvironmentTopology();
    // Puts the environment's machine back, telling clients what differs.
    HRESULT resetToTopology();

    // --- The state file ------------------------------------------------------
    // Keeps the machine in the file TOLVANE_SIM_STATE names, shared with
    // every process that names it too; without it, the machine lives in the
    // process. Called as a service object is made and by the control
    // surface; cheap once the file is open. Refusals explain themselves on
    // stderr and answer kStateFileFailed.
    HRESULT attachStateFile();
    // A fault on every `method` call, or on its nth from now: in the state
    // file when one is attached, so that it holds for every process on it
    // (faults of other kinds stay this process's own), else in `faults`.
    void failCall(const std::string& method, int nth, HRESULT hr);
    void clearFaults();
    // --- Calls -------------------------------------------------------------
    // Records the call in the journal and answers the failure injected for
    // it, if any. Every call starts here, so it starts from what other
    // processes committed to the state file.
    std::optional<HRESULT> enter(const char* method, const std::string& args);
    Journal journal;
    Faults faults;
    Notifier notifier;

    // --- Live objects ------------------------------------------------------
    // A reference on the object's COM face (one per model object while any
    // client holds it), or null for an identifier of no known object.
    IUnknown* acquire(Kind kind, const GUID& id);
    void forget(ModelObject* object);
    long objectReferences(const GUID& id) const;
    std::atomic<long> liveReferences{0};     // every object but service and factory
    std::atomic<long> serviceReferences{0};  // service objects
    std::atomic<long> liveServiceObjects{0};

    // --- Readiness -----------------------------------------------------------
    void setStartingPhase(int milliseconds);
    void finishStarting();
    bool isReady(std::chrono::steady_clock::time_point initializedAt) const;
    void waitReady(std::chrono::steady_clock::time_point initializedAt);

    // --- Long operations -------------------------------------------------------
    // Runs `job` on the worker, in the order handed over. Once the service is
    // stopping, a job not yet started gets `abandon` instead (on the worker,
    // or at once on the caller's thread), so nothing waits for it forever.
    void runLater(std::function<void()> job, std::function<void()> abandon);
    // Blocks until the worker has run every job handed to it so far, and any
    // they handed on (a rebuild after the change that began it).
    void waitIdle();

    // Stops the worker (the job running finishes, the rest are abandoned)
    // and the notifier. Not undone: it is the end of the service.
    void shutdown();

private:
    std::optional<Model> environmentModel(std::string& error) const;
    HRESULT commit(const ChangeFunction& apply, ChangeOutput& output);
    // Replaces the whole machine: in the state file too when there is one.
    HRESULT putMachine(Model model, bool tell);
    // Brings the model up to what other processes committed, telling this
    // process's clients what they told theirs. Under modelMutex_.
    void catchUpLocked();
    void detachStateFileLocked();
    // Puts a machine read from a description in place (refused, and said on
    // stderr, when there is none), telling what differs when asked; whether
    // later service objects keep it (pinned) or read the environment again.
    HRESULT useMachine(std::optional<Model> model, const std::string& error, bool tell, bool pinned);
    void watchStateFile();
    Core();
    void workerLoop();

    mutable std::recursive_mutex modelMutex_;
    std::unique_ptr<Model> model_;
    bool pinned_ = false;  // a test's own model stays until it asks otherwise
    std::unique_ptr<StateFile> state_;
    std::atomic<bool> stateAttached_{false};  // state_ is set: calls catch up
    // Looks for other processes' changes while no call does.
    std::thread stateWatcher_;
    std::condition_variable_any stateWatchStop_;
    bool stopWatching_ = false;

    mutable std::mutex liveMutex_;
    std::unordered_map<GUID, ModelObject*, GuidHash> live_;

    mutable std::mutex readyMutex_;
    std::condition_variable readyChanged_;
    int startingPhaseMs_ = 0;
    bool startingFinished_ = false;

    std::mutex workMutex_;
    std::condition_variable workReady_;
    struct Job {
        std::function<void()> run;
        std::function<void()> abandon;
    };
    std::deque<Job> work_;
    bool working_ = false;  // a job is running
    std::condition_variable idle_;
    bool stopping_ = false;
    std::thread worker_;
};

}  // namespace tolvane::sim
