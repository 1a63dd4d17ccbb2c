// The shape of a command that makes one call on the object it names, to
// change it or to read from it: resolve the target and the further objects
// the request names, in the command's order; ask the target for the
// interface; make the one call; when the call starts an operation, wait for
// it; answer. Such a command supplies only its log line, its lookups and its
// call:
//
//     return vdsCallOnTarget<IVdsLun>(service, {VDS_OT_LUN, r.lun}, {},
//         [&](IVdsLun& lun) {
//             ComPtr<IVdsAsync> op;
//             return vdsCallThenWait(lun.Shrink(r.bytes, op.put()), op);
//         });
#pragma once

#include <initializer_list>

#include "directory/lookup.h"
#include "platform/com_ptr.h"
#include "platform/vds_interfaces.h"
#include "protocol/outcome.h"

// The outcome of a synchronous call: any result but S_OK is a VDS error that
// carries it, positive success codes included, as the callers have always
// been told.
Outcome vdsCallOutcome(HRESULT result);

// The one reading of the three results of an asynchronous call: the call's
// own, Wait's own, and the result Wait delivered. The first failure in that
// order is the answer. A Wait that failed delivers nothing, so its own result
// stands in for the delivered one instead of an unset value read as success.
Outcome vdsAsyncOutcome(HRESULT callResult, HRESULT waitResult, HRESULT delivered);

// Waits for the operation that a call started and releases any interface its
// output hands over (a new LUN, a new volume): callers find new objects in
// the lists. A call that failed is not waited for; one that succeeded without
// an operation is a VDS error (E_POINTER), since its end cannot be known.
Outcome vdsCallThenWait(HRESULT callResult, ComPtr<IVdsAsync>& operation);

// Releases the interface that a finished operation's output carries, if any.
void vdsReleaseAsyncOutput(VDS_ASYNC_OUTPUT& output);

// An object that the request names, and the status that says it is unknown.
struct ChangeLookup {
    VDS_OBJECT_TYPE type;
    VDS_OBJECT_ID id;
    Status notFound = status::TargetNotFound;
};

// Looks up each further object only to see that it exists; VDS is then given
// the identifier from the request. The first unknown one ends the command.
Outcome vdsCheckExist(IVdsService* service, std::initializer_list<ChangeLookup> further);

// The whole shape. The target must answer to Interface; when it does not,
// the answer is a VDS error with QueryInterface's result. `call` receives the
// interface and returns the outcome of its call (vdsCallOutcome or
// vdsCallThenWait); it runs only when every lookup succeeded.
template <typename Interface, typename Call>
Outcome vdsCallOnTarget(IVdsService* service, const ChangeLookup& target,
                        std::initializer_list<ChangeLookup> further, Call&& call) {
    ComPtr<Interface> object;
    HRESULT hr = S_OK;
    switch (vdsResolve(service, target.type, target.id, vdsIidOf<Interface>(), object, &hr)) {
    case Resolved::NotFound:
        return Outcome::failed(target.notFound);
    case Resolved::NoInterface:
        return Outcome::vds(FAILED(hr) ? hr : E_NOINTERFACE);
    case Resolved::Found:
        break;
    }
    if (const Outcome o = vdsCheckExist(service, further); !o.succeeded()) return o;
    return call(*object.get());
}
