#include "notify/advise_sink.h"

#include <cstdio>
#include <new>

#include "notify/java_target.h"
#include "notify/jvm_lookup.h"
#include "notify/notify_java.h"

HRESULT CVdsAdviseSink::Create(CVdsAdviseSink** sink) {
    *sink = new (std::nothrow) CVdsAdviseSink();
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

namespace {

// Looks up onNotify on the receiving object's class. A failed lookup leaves a
// NoSuchMethodError pending, which must not survive into later JNI calls.
jmethodID findOnNotify(JNIEnv* env) {
    const jobject target = g_javaObject.load();
    if (target == nullptr) return nullptr;
    const jclass cls = env->GetObjectClass(target);
    jmethodID method = env->GetMethodID(cls, "onNotify", "(JLjava/util/ArrayList;)V");
    if (env->ExceptionCheck()) {
        env->ExceptionClear();
        method = nullptr;
    }
    env->DeleteLocalRef(cls);
    return method;
}

}  // namespace

HRESULT STDMETHODCALLTYPE CVdsAdviseSink::OnNotify(LONG lNumberOfNotifications,
                                                   const VDS_NOTIFICATION* pNotificationArray) {
    std::printf("Into OnNotify().................\n");
    JavaVM* vm = vdsFindJavaVM();
    g_javaVM.store(vm);
    std::printf("After JNI_GetCreatedJavaVMs OnNotify().................\n");
    if (vm == nullptr) {
        std::printf("CVdsAdviseSink: Can not get the jvm");
        return S_OK;
    }

    // A thread that is already attached stays attached when we are done.
    JNIEnv* env = nullptr;
    const bool wasAttached =
        vm->GetEnv(reinterpret_cast<void**>(&env), JNI_VERSION_1_6) == JNI_OK;
    if (!wasAttached && vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK) {
        std::printf("Can not attach thread");
        return S_OK;
    }

    const jmethodID method = findOnNotify(env);
    g_onNotifyMethod.store(method);
    if (method == nullptr) std::printf("JAVA Tolvane onNotify() GetMethodID failed\n");

    std::printf("===================== OnNotify() ====================\n");
    notifyJava(env, lNumberOfNotifications, pNotificationArray);
    std::printf("After JAVA notify()..........\n");

    if (!wasAttached) vm->DetachCurrentThread();
    std::printf("DetachCurrentThread()..........\n");
    return S_OK;
}
