#include "core/recovery.h"

#include <chrono>
#include <thread>

#include "changes/hardware_failures.h"
#include "core/sim_core.h"

namespace tolvane::sim {

namespace {

constexpr int kSteps = 10;

// A subsystem takes a moment to give up on a drive and spin a spare up, so a
// client sees the LUN degraded before anything stands in.
constexpr std::chrono::milliseconds kSpareSpinUp{50};

HRESULT outcome(Core& core, const GUID& lunId) {
    return core.read([&](const Model& m) {
        const Lun* lun = m.luns.get(lunId);
        if (lun == nullptr) return VDS_E_OBJECT_DELETED;
        return lun->health == VDS_H_HEALTHY ? S_OK : VDS_E_OBJECT_STATUS_FAILED;
    });
}

}  // namespace

HRESULT rebuildLun(Core& core, const GUID& lun, const std::function<void(ULONG)>& report) {
    const std::chrono::milliseconds total(core.read([&](const Model& m) { return rebuildMilliseconds(m, lun); }));
    for (int step = 1; step < kSteps; ++step) {
        std::this_thread::sleep_for(total / kSteps);
        const auto percent = static_cast<ULONG>(step * 100 / kSteps);
        // A rebuild that stopped (its source failed, the LUN went) tells no more.
        if (core.change(tellRebuildProgress(lun, percent)) != S_OK) return outcome(core, lun);
        if (report) report(percent);
    }
    std::this_thread::sleep_for(total / kSteps);
    core.change(finishRebuild(lun));
    return outcome(core, lun);
}

void lookAfterLun(Core& core, const GUID& lun) {
    const bool rebuilding = core.read([&](const Model& m) {
        const Lun* l = m.luns.get(lun);
        return l != nullptr && l->rebuilding;
    });
    if (!rebuilding) std::this_thread::sleep_for(kSpareSpinUp);
    core.change(beginRecoveryByItself(lun));
    rebuildLun(core, lun, {});
}

}  // namespace tolvane::sim
