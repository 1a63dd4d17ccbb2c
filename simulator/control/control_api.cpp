// The exported control surface of vds_sim.h.
#include "vds_sim.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>

#include "changes/outside_events.h"
#include "changes/pack_changes.h"
#include "com/async_operation.h"
#include "core/sim_core.h"
#include "model/model_digest.h"
#include "model/topology_writer.h"

using tolvane::sim::Batch;
using tolvane::sim::Core;

namespace {

// The control surface steers the machine TOLVANE_SIM_STATE names, when it
// names one, even before any client has made a service object.
Core* sharedCore() {
    Core& core = Core::instance();
    return SUCCEEDED(core.attachStateFile()) ? &core : nullptr;
}

// The machine as it stands, in the state file too when there is one.
std::string machineAsTopology() {
    Core* core = sharedCore();
    if (core == nullptr) return {};
    return core->readLatest([](const tolvane::sim::Model& m) { return tolvane::sim::writeTopologyText(m); });
}

// The Win32 code a failed file write would have given on Windows. Creating a
// file fails with ENOENT only for a folder of its path that is missing.
HRESULT writeFailure(int error) {
    static const std::pair<int, std::uint32_t> kCodes[] = {
        {ENOENT, 3 /* ERROR_PATH_NOT_FOUND */},  {ENOTDIR, 3},
        {EACCES, 5 /* ERROR_ACCESS_DENIED */},   {EPERM, 5},
        {EISDIR, 5},                             {EROFS, 19 /* ERROR_WRITE_PROTECT */},
        {ENOSPC, 112 /* ERROR_DISK_FULL */},
    };
    for (const auto& [posix, win32] : kCodes)
        if (posix == error) return MAKE_HRESULT_CONST(0x80070000u | win32);
    return E_FAIL;
}

// Written beside the file and moved over it once whole, so that a save that
// fails half way leaves the file that was there.
HRESULT saveText(const std::string& path, const std::string& text) {
    const std::string part = path + ".part";
    std::FILE* f = std::fopen(part.c_str(), "wb");
    if (f == nullptr) {
        const int error = errno;
        std::fprintf(stderr, "TolvaneSim: cannot write the topology %s: %s\n", path.c_str(), std::strerror(error));
        return writeFailure(error);
    }
    int error = std::fwrite(text.data(), 1, text.size(), f) == text.size() ? 0 : errno;
    if (std::fclose(f) != 0 && error == 0) error = errno;
    std::error_code moved;
    if (error == 0) std::filesystem::rename(part, path, moved);
    if (error == 0 && !moved) return S_OK;
    if (error == 0) error = moved.value();
    std::remove(part.c_str());
    std::fprintf(stderr, "TolvaneSim: cannot write the topology %s: %s\n", path.c_str(), std::strerror(error));
    return writeFailure(error);
}

}  // namespace

extern "C" {

VDS_SIM_API int VdsSimLoadTopologyFile(const char* path) {
    if (path == nullptr) return E_POINTER;
    Core* core = sharedCore();
    return core != nullptr ? core->loadTopologyFile(path) : tolvane::sim::kStateFileFailed;
}

VDS_SIM_API int VdsSimLoadTopologyJson(const char* json) {
    if (json == nullptr) return E_POINTER;
    Core* core = sharedCore();
    return core != nullptr ? core->loadTopologyJson(json) : tolvane::sim::kStateFileFailed;
}

VDS_SIM_API void VdsSimLoadDefault(void) {
    if (Core* core = sharedCore()) core->loadDefault();
}

VDS_SIM_API void VdsSimUseEnvironmentTopology(void) { Core::instance().useEnvironmentTopology(); }

VDS_SIM_API void VdsSimSetStartingPhase(int milliseconds) { Core::instance().setStartingPhase(milliseconds); }

VDS_SIM_API void VdsSimFinishStarting(void) { Core::instance().finishStarting(); }

VDS_SIM_API void VdsSimInjectFault(const char* method, int nth, HRESULT hr) {
    if (method == nullptr) return;
    // A refused state file leaves the fault to this process.
    sharedCore();
    Core::instance().failCall(method, nth, hr);
}

VDS_SIM_API void VdsSimInjectWaitFault(const char* method, HRESULT hr) {
    if (method != nullptr) Core::instance().faults.failWait(method, hr);
}

VDS_SIM_API void VdsSimRefuseInterface(const GUID* objectId, const GUID* iid) {
    if (objectId != nullptr && iid != nullptr) Core::instance().faults.refuseInterface(*objectId, *iid);
}

VDS_SIM_API void VdsSimFailProperties(const GUID* objectId, HRESULT hr) {
    if (objectId != nullptr) Core::instance().faults.failProperties(*objectId, hr);
}

VDS_SIM_API void VdsSimSucceedWith(const char* method, HRESULT hr) {
    if (method != nullptr) Core::instance().faults.succeedWith(method, hr);
}

VDS_SIM_API void VdsSimClearFaults(void) {
    sharedCore();
    Core::instance().clearFaults();
}

VDS_SIM_API size_t VdsSimJournalSize(void) { return Core::instance().journal.size(); }

VDS_SIM_API size_t VdsSimJournalEntry(size_t i, char* buf, size_t bufSize) {
    std::string line = Core::instance().journal.entry(i);
    if (buf != nullptr && bufSize > 0) {
        std::size_t n = line.size() < bufSize - 1 ? line.size() : bufSize - 1;
        std::memcpy(buf, line.data(), n);
        buf[n] = '\0';
    }
    return line.size();
}

VDS_SIM_API void VdsSimJournalClear(void) { Core::instance().journal.clear(); }

VDS_SIM_API long VdsSimLiveReferences(void) { return Core::instance().liveReferences.load(); }

VDS_SIM_API long VdsSimObjectReferences(const GUID* objectId) {
    return objectId == nullptr ? 0 : Core::instance().objectReferences(*objectId);
}

VDS_SIM_API long VdsSimServiceReferences(void) { return Core::instance().serviceReferences.load(); }

VDS_SIM_API void VdsSimFireNotifications(const void* records, long count) {
    Batch batch;
    if (count > 0 && records != nullptr) {
        batch.resize(static_cast<std::size_t>(count));
        std::memcpy(batch.data(), records, batch.size() * sizeof(VDS_NOTIFICATION));
    }
    Core::instance().notifier.post(std::move(batch));
}

VDS_SIM_API void VdsSimWaitNotificationsDelivered(void) { Core::instance().notifier.waitDelivered(); }

VDS_SIM_API long VdsSimAdvisedSinks(void) { return Core::instance().notifier.sinkCount(); }

// ---- The machine as it changes ----
VDS_SIM_API unsigned long long VdsSimModelDigest(void) {
    Core* core = sharedCore();
    if (core == nullptr) return 0;
    return core->readLatest([](const tolvane::sim::Model& m) { return tolvane::sim::modelDigest(m); });
}

VDS_SIM_API HRESULT VdsSimSetStatus(const GUID* objectId, int status) {
    if (objectId == nullptr) return E_POINTER;
    Core* core = sharedCore();
    return core != nullptr ? core->change(tolvane::sim::setStatus(*objectId, status)) : tolvane::sim::kStateFileFailed;
}

VDS_SIM_API HRESULT VdsSimRemoveObject(const GUID* objectId) {
    if (objectId == nullptr) return E_POINTER;
    Core* core = sharedCore();
    return core != nullptr ? core->change(tolvane::sim::removeFromMachine(*objectId)) : tolvane::sim::kStateFileFailed;
}

VDS_SIM_API void VdsSimWaitIdle(void) { Core::instance().waitIdle(); }

VDS_SIM_API void VdsSimJournalEnable(int on) { Core::instance().journal.enable(on != 0); }

VDS_SIM_API void VdsSimStopService(void) { Core::instance().shutdown(); }
// ---- end of the machine-as-it-changes block ----

VDS_SIM_API HRESULT VdsSimStartTestOperation(int milliseconds, HRESULT result, void** asyncOut) {
    if (asyncOut == nullptr) return E_POINTER;
    IVdsAsync* async = tolvane::sim::startTestOperation(milliseconds, result);
    *asyncOut = async;
    return async == nullptr ? E_OUTOFMEMORY : S_OK;
}

// --- Notification delivery threads --------------------------------------

VDS_SIM_API void VdsSimSetDeliveryThreads(int count) { Core::instance().notifier.setDeliveryThreads(count); }

// --- Pack replacement ---------------------------------------------------

VDS_SIM_API void VdsSimSupportReplaceDisk(int on) { tolvane::sim::supportReplaceDisk(on != 0); }

// --- The machine as a topology file ----------------------------------------

VDS_SIM_API int VdsSimSaveTopologyFile(const char* path) {
    if (path == nullptr) return E_POINTER;
    if (sharedCore() == nullptr) return tolvane::sim::kStateFileFailed;
    return saveText(path, machineAsTopology());
}

VDS_SIM_API size_t VdsSimTopologyJson(char* buf, size_t bufSize) {
    const std::string text = machineAsTopology();
    if (buf != nullptr && bufSize > 0) {
        const std::size_t copied = std::min(text.size(), bufSize - 1);
        std::memcpy(buf, text.data(), copied);
        buf[copied] = '\0';
    }
    return text.size();
}

VDS_SIM_API int VdsSimResetToTopology(void) {
    Core* core = sharedCore();
    return core != nullptr ? core->resetToTopology() : tolvane::sim::kStateFileFailed;
}

}  // extern "C"
