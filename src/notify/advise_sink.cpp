#include "notify/advise_sink.h"

#include <cstdio>
#include <memory>
#include <new>

#include "notify/deliveries.h"
#include "notify/jvm_lookup.h"
#include "notify/notify_java.h"
#include "protocol/log_output.h"

HRESULT CVdsAdviseSink::Create(CVdsAdviseSink** sink, unsigned generation) {
    *sink = new (std::nothrow) CVdsAdviseSink(generation);
    return *sink == nullptr ? E_OUTOFMEMORY : S_OK;
}

HRESULT STDMETHODCALLTYPE CVdsAdviseSink::QueryInterface(REFIID riid, void** ppvObject) {
    if (ppvObject == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IVdsAdviseSink)) {
        *ppvObject = static_cast<IVdsAdviseSink*>(this);
        AddRef();
        return S_OK;
    }
    *ppvObject = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CVdsAdviseSink::AddRef() { return ++refs_; }

ULONG STDMETHODCALLTYPE CVdsAdviseSink::Release() {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

HRESULT STDMETHODCALLTYPE CVdsAdviseSink::OnNotify(LONG lNumberOfNotifications,
                                                   const VDS_NOTIFICATION* pNotificationArray) {
    vdsLog("Into OnNotify().................\n");
    JavaVM* vm = vdsFindJavaVM();
    vdsLog("After JNI_GetCreatedJavaVMs OnNotify().................\n");
    if (vm == nullptr) {
        vdsLog("CVdsAdviseSink: Can not get the jvm");
        return S_OK;
    }
    // After Uninitialize the batch goes nowhere, without touching Java.
    std::unique_ptr<DeliveryTicket> batch = vdsDeliveries().begin(generation_);
    if (batch == nullptr) return S_OK;

    // A thread that is already attached stays attached when we are done.
    JNIEnv* env = nullptr;
    const bool wasAttached =
        vm->GetEnv(reinterpret_cast<void**>(&env), JNI_VERSION_1_6) == JNI_OK;
    if (!wasAttached && vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK) {
        vdsLog("Can not attach thread");
        return S_OK;
    }

    const JavaTarget* target = batch->target();
    if (target == nullptr || target->onNotify() == nullptr)
        vdsLog("JAVA Tolvane onNotify() GetMethodID failed\n");

    vdsLog("===================== OnNotify() ====================\n");
    notifyJava(env, *batch, lNumberOfNotifications, pNotificationArray);
    vdsLog("After JAVA notify()..........\n");
    // The batch ends, and may let go of a replaced receiver, while attached.
    batch.reset();

    if (!wasAttached) vm->DetachCurrentThread();
    vdsLog("DetachCurrentThread()..........\n");
    return S_OK;
}
