#include "commands/target_call.h"

Outcome vdsCallOutcome(HRESULT result) {
    return result == S_OK ? Outcome::ok() : Outcome::vds(result);
}

Outcome vdsAsyncOutcome(HRESULT callResult, HRESULT waitResult, HRESULT delivered) {
    if (callResult != S_OK) return Outcome::vds(callResult);
    if (FAILED(waitResult)) return Outcome::vds(waitResult);
    return delivered == S_OK ? Outcome::ok() : Outcome::vds(delivered);
}

void vdsReleaseAsyncOutput(VDS_ASYNC_OUTPUT& output) {
    IUnknown** handedOver = nullptr;
    switch (output.type) {
    case VDS_ASYNCOUT_CREATEVOLUME:
        handedOver = &output.cv.pVolumeUnk;
        break;
    case VDS_ASYNCOUT_BREAKVOLUMEPLEX:
        handedOver = &output.bvp.pVolumeUnk;
        break;
    case VDS_ASYNCOUT_CREATELUN:
        handedOver = &output.cl.pLunUnk;
        break;
    case VDS_ASYNCOUT_CREATETARGET:
        handedOver = &output.ct.pTargetUnk;
        break;
    case VDS_ASYNCOUT_CREATEPORTALGROUP:
        handedOver = &output.cpg.pPortalGroupUnk;
        break;
    case VDS_ASYNCOUT_CREATE_VDISK:
        handedOver = &output.cvd.pVDiskUnk;
        break;
    default:
        return;
    }
    ComPtr<IUnknown> owned(*handedOver);
    *handedOver = nullptr;
}

Outcome vdsCallThenWait(HRESULT callResult, ComPtr<IVdsAsync>& operation) {
    if (callResult != S_OK) {
        operation.reset();
        return Outcome::vds(callResult);
    }
    if (!operation) return Outcome::vds(E_POINTER);
    // Wait leaves both outputs untouched when it fails, so they start as a
    // failure and an empty output rather than as whatever the stack held.
    HRESULT delivered = E_UNEXPECTED;
    VDS_ASYNC_OUTPUT output{};
    const HRESULT waited = operation->Wait(&delivered, &output);
    operation.reset();
    vdsReleaseAsyncOutput(output);
    return vdsAsyncOutcome(callResult, waited, delivered);
}

Outcome vdsCheckExist(IVdsService* service, std::initializer_list<ChangeLookup> further) {
    for (const ChangeLookup& lookup : further) {
        ComPtr<IUnknown> object(vdsGetObject(service, lookup.type, lookup.id));
        if (!object) return Outcome::failed(lookup.notFound);
    }
    return Outcome::ok();
}
