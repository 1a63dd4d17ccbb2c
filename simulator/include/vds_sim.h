/* Control surface of the simulated Virtual Disk Service, for tests and the
 * demo. Clients of the service itself reach it through COM
 * (CoCreateInstance of CLSID_VdsService); these functions steer it from the
 * outside: which machine it shows, how long it takes to start, which calls
 * fail, and what it has seen.
 *
 * Identifiers are passed as GUID pointers; texts are UTF-8.
 *
 * With TOLVANE_SIM_STATE naming a state file (docs/state-file.md), the
 * machine these functions load, change, read and save is the file's, shared
 * by every process that names it; a file that cannot be used makes them
 * answer 0x800710D9 (ERROR_DATABASE_FAILURE). Call faults (VdsSimInjectFault)
 * are kept in the file too, counted over every process; the other faults,
 * the journal and the start-up delay stay each process's own. */
#ifndef TOLVANE_VDS_SIM_H
#define TOLVANE_VDS_SIM_H

#include <stddef.h>

#include "platform/com_types.h"

#if defined(_WIN32) && defined(TOLVANE_SIM_BUILDING)
#define VDS_SIM_API __declspec(dllexport)
#elif defined(_WIN32)
#define VDS_SIM_API __declspec(dllimport)
#else
#define VDS_SIM_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
/* Registration of the service's class object with COM, so that
 * CoCreateInstance(CLSID_VdsService) in this process reaches it. On Windows
 * the caller registers explicitly, from a thread that has entered COM and
 * never from DllMain: the loader lock is held there, and COM's own threads
 * need it. VdsSimRevoke also stops the service's threads. Off Windows the
 * library registers itself when it is loaded. */
VDS_SIM_API HRESULT VdsSimRegister(void);
VDS_SIM_API HRESULT VdsSimRevoke(void);
#endif

/* Machine description (see docs/topology.md). Each replaces the whole model
 * and keeps it for later service objects too; a refused description changes
 * nothing, returns a failure HRESULT and explains itself on stderr. */
VDS_SIM_API int VdsSimLoadTopologyFile(const char* path);
VDS_SIM_API int VdsSimLoadTopologyJson(const char* json);
VDS_SIM_API void VdsSimLoadDefault(void);
/* Lets the next service object read TOLVANE_SIM_TOPOLOGY (or the built-in
 * machine) again, as a fresh process would. */
VDS_SIM_API void VdsSimUseEnvironmentTopology(void);

/* Readiness: IsServiceReady answers S_FALSE for this long after Initialize;
 * 0 = ready at once; negative = until VdsSimFinishStarting(). */
VDS_SIM_API void VdsSimSetStartingPhase(int milliseconds);
VDS_SIM_API void VdsSimFinishStarting(void);

/* Faults. Methods are named "IVdsSubSystem::QueryDrives"; nth is 1-based and
 * counted from the injection (over every process on a state file), 0 fails
 * every call. */
VDS_SIM_API void VdsSimInjectFault(const char* method, int nth, HRESULT hr);
VDS_SIM_API void VdsSimInjectWaitFault(const char* method, HRESULT hr);
VDS_SIM_API void VdsSimRefuseInterface(const GUID* objectId, const GUID* iid);
VDS_SIM_API void VdsSimFailProperties(const GUID* objectId, HRESULT hr);
/* Success codes: every call of `method` does its work and then answers hr, a
 * success code other than S_OK, as the real service may (enumeration-opening
 * calls of providers, subsystems, controllers and LUNs, and the service's
 * QueryProviders and GetObject). Cleared with the faults. */
VDS_SIM_API void VdsSimSucceedWith(const char* method, HRESULT hr);
VDS_SIM_API void VdsSimClearFaults(void);

/* Journal of calls into the service, one "Interface::Method(args)" line each.
 * VdsSimJournalEntry copies entry i (terminated, cut to bufSize) and returns
 * the length it needs without the terminator; 0 past the end. */
VDS_SIM_API size_t VdsSimJournalSize(void);
VDS_SIM_API size_t VdsSimJournalEntry(size_t i, char* buf, size_t bufSize);
VDS_SIM_API void VdsSimJournalClear(void);

/* References that clients hold: on all objects but the service objects and
 * the class factory; on one object; on service objects. */
VDS_SIM_API long VdsSimLiveReferences(void);
VDS_SIM_API long VdsSimObjectReferences(const GUID* objectId);
VDS_SIM_API long VdsSimServiceReferences(void);

/* Notifications: count 48-byte VDS_NOTIFICATION records, delivered as one
 * batch to every advised sink on the service's thread (count 0: an empty
 * batch). */
VDS_SIM_API void VdsSimFireNotifications(const void* records, long count);
VDS_SIM_API void VdsSimWaitNotificationsDelivered(void);
VDS_SIM_API long VdsSimAdvisedSinks(void);

/* ---- The machine as it changes ----------------------------------------
 * A fingerprint of the whole machine model: equal before and after an
 * operation that failed, different after almost any change. Stable within
 * one build, not across builds. */
VDS_SIM_API unsigned long long VdsSimModelDigest(void);

/* Events from outside the service, applied as the service applies its own
 * changes (all or nothing, notified in commit order). VdsSimSetStatus sets
 * the status of a subsystem, controller, port, drive, LUN, plex, pack, disk
 * or volume to a value of that kind's VDS status enumeration. Hardware takes
 * the path a client's SetStatus takes: the LUNs on it are judged again, and
 * a subsystem that recovers by itself looks after them afterwards. A drive or
 * controller set to REMOVED (8) departs and arrives again when it leaves that
 * status, other changes notify a modification; S_FALSE and nothing sent when
 * the status already is that. VdsSimRemoveObject takes an object and all
 * under it out of the machine (a pulled drive, a lost disk): departures and
 * modifications are notified; VDS_E_DEVICE_IN_USE when other storage still
 * lives on it. Both answer VDS_E_OBJECT_NOT_FOUND for an unknown id. */
VDS_SIM_API HRESULT VdsSimSetStatus(const GUID* objectId, int status);
VDS_SIM_API HRESULT VdsSimRemoveObject(const GUID* objectId);

/* Blocks until the service's worker has nothing left to do: every
 * asynchronous operation started so far has ended, and so has what the
 * hardware does by itself (hot spares standing in, rebuilds). */
VDS_SIM_API void VdsSimWaitIdle(void);

/* The journal (see above) is off until this turns it on (on != 0); while
 * off, calls are not recorded. */
VDS_SIM_API void VdsSimJournalEnable(int on);

/* Ends the service as a stopping service ends: the worker finishes the
 * operation it is running, and every operation not yet started (or started
 * later) ends at once, its Wait and QueryStatus failing with
 * RPC_E_DISCONNECTED (0x80010108). Notifications stop. Not undone: for tests
 * that run in a process of their own. */
VDS_SIM_API void VdsSimStopService(void);
/* ---- end of the machine-as-it-changes block ---- */

/* Starts an asynchronous operation that takes `milliseconds` on the service's
 * worker and then delivers `result`; *asyncOut receives its IVdsAsync. For
 * tests of clients that wait. */
VDS_SIM_API HRESULT VdsSimStartTestOperation(int milliseconds, HRESULT result, void** asyncOut);

/* --- Notification delivery threads ------------------------------------
 * 1 (the default) or 2 threads deliver batches; with 2, two batches may
 * reach one sink at the same time, as on the real service. Out-of-range
 * values are clamped. */
VDS_SIM_API void VdsSimSetDeliveryThreads(int count);

/* --- Pack replacement --------------------------------------------------
 * Nonzero: IVdsPack::ReplaceDisk does the work its interface describes.
 * Zero (the default): it answers VDS_E_NOT_SUPPORTED as the released
 * service does. */
VDS_SIM_API void VdsSimSupportReplaceDisk(int on);

/* --- The machine as a topology file --------------------------------------
 * VdsSimSaveTopologyFile writes the machine as it stands now in the topology
 * format (docs/topology.md); loading that file gives the same machine (the
 * same VdsSimModelDigest). VdsSimTopologyJson copies the same text into buf
 * (terminated, cut to bufSize) and returns the length it needs without the
 * terminator. VdsSimResetToTopology puts back the machine of
 * TOLVANE_SIM_TOPOLOGY (or the built-in one), in the state file too when the
 * service keeps one, telling clients what differs. Failures are HRESULTs
 * explained on stderr. */
VDS_SIM_API int VdsSimSaveTopologyFile(const char* path);
VDS_SIM_API size_t VdsSimTopologyJson(char* buf, size_t bufSize);
VDS_SIM_API int VdsSimResetToTopology(void);

#ifdef __cplusplus
}
#endif

#endif /* TOLVANE_VDS_SIM_H */
