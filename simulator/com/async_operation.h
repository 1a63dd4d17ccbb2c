// IVdsAsync: an operation that runs on the service's worker thread; Wait
// blocks until the worker has finished it and delivers its result.
#pragma once

#include <functional>

#include "platform/vds_interfaces.h"

namespace tolvane::sim {

// The work of an operation: its result code, and what Wait hands out
// besides (interfaces in it carry one reference, which the operation owns).
using OperationWork = std::function<HRESULT(VDS_ASYNC_OUTPUT& output)>;

// Starts `work` on the worker and returns the operation with one reference
// for the caller. A wait fault injected for `method` replaces the work's
// outcome and the work is not run, so nothing changes.
IVdsAsync* startOperation(const char* method, OperationWork work);

IVdsAsync* startTestOperation(int milliseconds, HRESULT result);

}  // namespace tolvane::sim
