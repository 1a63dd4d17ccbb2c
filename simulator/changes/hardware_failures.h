// How the condition of the hardware reaches the data on it. A subsystem,
// controller, port or drive whose status changes, whether a client asked for
// it or it happened to the machine, goes through one change, which judges
// again every LUN and plex resting on it. Recovery then takes the steps a RAID
// array takes: a stand-in drive for a failed one, and a rebuild that brings
// each stale stretch up to date over time (run by the service's worker, one
// change per step, ChangeOutput::lunsToRecover saying which LUNs to look after).
#pragma once

#include <cstdint>

#include "model/change.h"
#include "platform/vds_types.h"

namespace tolvane::sim {

// Status values the subsystem, controller, port, drive, LUN and LUN plex
// enumerations share, so that the rules over them can mix the kinds.
inline constexpr std::int32_t kHwOnline = VDS_DRS_ONLINE;
inline constexpr std::int32_t kHwNotReady = VDS_DRS_NOT_READY;
inline constexpr std::int32_t kHwOffline = VDS_DRS_OFFLINE;
inline constexpr std::int32_t kHwFailed = VDS_DRS_FAILED;
inline constexpr std::int32_t kHwRemoved = VDS_DRS_REMOVED;
static_assert(kHwOnline == VDS_SSS_ONLINE && kHwOnline == VDS_CS_ONLINE && kHwOnline == VDS_PRS_ONLINE &&
              kHwOnline == VDS_LS_ONLINE && kHwOnline == VDS_LPS_ONLINE);
static_assert(kHwNotReady == VDS_CS_NOT_READY && kHwNotReady == VDS_LS_NOT_READY && kHwOffline == VDS_PRS_OFFLINE);
static_assert(kHwFailed == VDS_SSS_FAILED && kHwFailed == VDS_CS_FAILED && kHwFailed == VDS_LS_FAILED &&
              kHwFailed == VDS_LPS_FAILED);
static_assert(kHwRemoved == VDS_CS_REMOVED);

// Whether a drive is there to hold its stretches' data.
bool driveInService(const Drive& drive);

// Whether the LUN's data survives: some plex holds all of it, or, for a
// mirror of striped plexes, every column has a current copy on some plex.
bool lunHoldsData(const Model& m, const Lun& lun);

// Sets the LUN's and its plexes' status and health from what is under them:
// the drives (in service, stale), the rebuild under way, and the controllers
// and subsystem through which hosts reach it. A LUN set offline by a client
// stays offline.
void judgeLun(Model& m, const GUID& lun);

// The status of a subsystem, controller, port or drive becomes `status`
// (that kind's VDS status value); S_FALSE, nothing told, when it already is.
// Health follows (FAILED: failed, ONLINE: healthy). A controller that stops
// serving takes its ports offline and brings them back when it serves again.
// A drive that comes back after its LUN went on without it holds stale
// copies. A drive or controller set REMOVED departs, and arrives again when
// it leaves that status. No check of what a client may ask: the callers
// make theirs first.
ChangeFunction changeHardwareStatus(const GUID& id, std::int32_t status);

// What the subsystem does by itself for a LUN, if it recovers by itself: hot
// spares stand in for its failed drives, and the rebuild of its stale
// stretches begins. S_FALSE when there is nothing to do.
ChangeFunction beginRecoveryByItself(const GUID& lun);

// IVdsLun::Recover: a stand-in (a hot spare, else any drive with room that
// holds none of the LUN) for every drive of the LUN out of service, and the
// rebuild begins. VDS_E_INVALID_OPERATION for a LUN that is not fault
// tolerant, VDS_E_OBJECT_STATUS_FAILED for one that lost its data,
// VDS_E_NOT_ENOUGH_DRIVE when no drive can stand in.
ChangeFunction recoverLun(const GUID& lun);

// IVdsSubSystem::ReplaceDrive: the replacement takes over every stretch of
// the replaced drive at the same offsets; the copies of fault-tolerant LUNs
// are rebuilt on it, other LUNs' data is copied at once.
ChangeFunction replaceDrive(const GUID& subsystem, const GUID& replaced, const GUID& replacement);

// One step of a rebuild: tells each rebuilding plex's progress. S_FALSE,
// nothing told, when the LUN is not rebuilding (any more).
ChangeFunction tellRebuildProgress(const GUID& lun, ULONG percent);
// The rebuild's end: every stale stretch on a drive in service is up to
// date, and the LUN is judged again. S_FALSE when nothing was rebuilding.
ChangeFunction finishRebuild(const GUID& lun);
// How long rebuilding the LUN's stale stretches takes; 0 when it is not rebuilding.
std::uint64_t rebuildMilliseconds(const Model& m, const GUID& lun);

}  // namespace tolvane::sim
