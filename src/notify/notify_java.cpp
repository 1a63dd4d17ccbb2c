#include "notify/notify_java.h"

#include <cstdio>
#include <atomic>
#include <cstring>
#include <mutex>

#include "notify/notification_log.h"
#include "protocol/log_output.h"

namespace {

constexpr jsize kRecordSize = static_cast<jsize>(sizeof(VDS_NOTIFICATION));

// A Java exception left pending would make every later JNI call on this thread
// invalid; report it and carry on with the next record or batch.
bool clearException(JNIEnv* env) {
    if (!env->ExceptionCheck()) return false;
    env->ExceptionDescribe();
    env->ExceptionClear();
    return true;
}

// Deletes a local reference at scope exit, so that a large batch never fills
// the thread's local reference table.
class LocalRef {
public:
    LocalRef(JNIEnv* env, jobject ref) : env_(env), ref_(ref) {}
    ~LocalRef() {
        if (ref_ != nullptr) env_->DeleteLocalRef(ref_);
    }
    LocalRef(const LocalRef&) = delete;
    LocalRef& operator=(const LocalRef&) = delete;
    jobject get() const { return ref_; }

private:
    JNIEnv* env_;
    jobject ref_;
};

// java.util.ArrayList and the two methods used on it, looked up once per
// process: a global reference keeps the class, and with it the method ids,
// valid for as long as the JVM runs.
struct ArrayListClass {
    jclass cls = nullptr;
    jmethodID init = nullptr;
    jmethodID add = nullptr;
};

// Null, with the same lines as before the class was cached, when a lookup fails.
const ArrayListClass* arrayListClass(JNIEnv* env) {
    static std::mutex mutex;
    static ArrayListClass found;
    static std::atomic<const ArrayListClass*> ready{nullptr};
    if (const ArrayListClass* known = ready.load(std::memory_order_acquire)) return known;
    const std::lock_guard<std::mutex> lock(mutex);
    if (const ArrayListClass* known = ready.load(std::memory_order_relaxed)) return known;
    LocalRef local(env, env->FindClass("java/util/ArrayList"));
    if (local.get() == nullptr) {
        clearException(env);
        vdsLog("Could not find java.util.ArrayList class!");
        return nullptr;
    }
    const auto cls = static_cast<jclass>(local.get());
    const jmethodID init = env->GetMethodID(cls, "<init>", "()V");
    if (init == nullptr) {
        clearException(env);
        vdsLog("Could not find java.util.ArrayList constructor!");
        return nullptr;
    }
    const jmethodID add = env->GetMethodID(cls, "add", "(Ljava/lang/Object;)Z");
    if (add == nullptr) {
        clearException(env);
        vdsLog("Could not find java.util.ArrayList add(java.lang.Object) method!");
        return nullptr;
    }
    const auto global = static_cast<jclass>(env->NewGlobalRef(cls));
    if (global == nullptr) return nullptr;
    found = {global, init, add};
    ready.store(&found, std::memory_order_release);
    return &found;
}

}  // namespace

void notifyJava(JNIEnv* env, DeliveryTicket& batch, LONG count, const VDS_NOTIFICATION* records) {
    const JavaTarget* target = batch.target();
    const jmethodID onNotify = target != nullptr ? target->onNotify() : nullptr;
    if (onNotify == nullptr) {
        vdsLog("VDS: Could not find Tolvane onNotify() method...\n");
        return;
    }
    const ArrayListClass* arrayList = arrayListClass(env);
    if (arrayList == nullptr) return;
    LocalRef list(env, env->NewObject(arrayList->cls, arrayList->init));
    if (list.get() == nullptr) {
        clearException(env);
        vdsLog("Could not find java.util.ArrayList add(java.lang.Object) method!");
        return;
    }

    vdsLog("===================VDS_NOTIFICATION size : %d=============\n",
                static_cast<int>(kRecordSize));
    char lines[kNotificationLogCapacity];
    for (LONG i = 0; i < count; ++i) {
        const VDS_NOTIFICATION& record = records[i];
        LocalRef array(env, env->NewByteArray(kRecordSize));
        bool added = false;
        if (array.get() != nullptr) {
            env->SetByteArrayRegion(static_cast<jbyteArray>(array.get()), 0, kRecordSize,
                                    reinterpret_cast<const jbyte*>(&record));
            added = env->CallBooleanMethod(list.get(), arrayList->add, array.get()) == JNI_TRUE;
        }
        if (clearException(env)) added = false;
        // The record's lines, formatted once and written at once.
        vdsLogWrite(lines, vdsFormatNotificationLog(record, added, lines));
    }

    vdsLog("Notify JAVA start!!! Size: %d\n", static_cast<int>(count));
    // A connection closed while the list was built no longer hears of it.
    if (!batch.enterJava()) return;
    env->CallVoidMethod(target->receiver(), onNotify, static_cast<jlong>(count), list.get());
    clearException(env);
}
