// IVdsAsync: an operation that runs on the service's worker thread, as the
// real service's asynchronous methods do. Wait blocks until it ends;
// QueryStatus answers at once (pending and a percentage while it runs);
// Cancel stops it only where the real service would.
#pragma once

#include <functional>

#include "core/sim_core.h"
#include "platform/vds_interfaces.h"

namespace tolvane::sim {

// What Wait and QueryStatus answer for an operation the service dropped
// because it was stopping: the call itself fails, as a call to a service
// that has gone away does.
inline constexpr HRESULT kServiceDisconnected = MAKE_HRESULT_CONST(0x80010108u);  // RPC_E_DISCONNECTED

// The running operation, as its work sees it.
class OperationProgress {
public:
    virtual ~OperationProgress() = default;
    virtual bool cancelled() const = 0;
    // 0..99 while running; only ever rises.
    virtual void report(unsigned long percent) = 0;
    // Runs `apply` unless the operation was cancelled (then
    // VDS_E_OPERATION_CANCELED); from here on, Cancel is too late.
    virtual HRESULT commit(const std::function<HRESULT()>& apply) = 0;
};

// The work of an operation: its result code, and what Wait hands out
// besides (interfaces in it carry one reference, which the operation owns).
using OperationWork = std::function<HRESULT(VDS_ASYNC_OUTPUT& output, OperationProgress& progress)>;

struct OperationOptions {
    VDS_ASYNC_OUTPUT_TYPE type = VDS_ASYNCOUT_UNKNOWN;
    // Only a few operations of the real service can be cancelled (the basic
    // provider's Clean); the others answer VDS_E_NOT_SUPPORTED.
    bool cancellable = false;
};

// Starts `work` on the worker and returns the operation with one reference
// for the caller. A wait fault injected for `method` replaces the work's
// outcome and the work is not run, so nothing changes.
IVdsAsync* startOperation(const char* method, OperationOptions options, OperationWork work);

// An asynchronous change of the machine: the worker applies `change` through
// Core::change, then `deliver` (if any) fills the operation's output from
// what the committed change gave back, e.g. with the new LUN's interface.
using DeliverOutput = std::function<void(VDS_ASYNC_OUTPUT& output, const ChangeOutput& made)>;
IVdsAsync* startChange(const char* method, OperationOptions options, ChangeFunction change,
                       DeliverOutput deliver = {});

// For tests of clients: takes `milliseconds`, reporting progress on the way,
// then delivers `result`. It can be cancelled until it ends.
IVdsAsync* startTestOperation(int milliseconds, HRESULT result);

}  // namespace tolvane::sim
