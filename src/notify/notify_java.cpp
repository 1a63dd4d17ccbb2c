#include "notify/notify_java.h"

#include <cstdio>
#include <cstring>

#include "protocol/identifiers.h"

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

}  // namespace

void notifyJava(JNIEnv* env, DeliveryTicket& batch, LONG count, const VDS_NOTIFICATION* records) {
    const JavaTarget* target = batch.target();
    const jmethodID onNotify = target != nullptr ? target->onNotify() : nullptr;
    if (onNotify == nullptr) {
        std::printf("VDS: Could not find Tolvane onNotify() method...\n");
        return;
    }
    LocalRef listClass(env, env->FindClass("java/util/ArrayList"));
    if (listClass.get() == nullptr) {
        clearException(env);
        std::printf("Could not find java.util.ArrayList class!");
        return;
    }
    const auto cls = static_cast<jclass>(listClass.get());
    const jmethodID init = env->GetMethodID(cls, "<init>", "()V");
    if (init == nullptr) {
        clearException(env);
        std::printf("Could not find java.util.ArrayList constructor!");
        return;
    }
    LocalRef list(env, env->NewObject(cls, init));
    const jmethodID add = env->GetMethodID(cls, "add", "(Ljava/lang/Object;)Z");
    if (add == nullptr || list.get() == nullptr) {
        clearException(env);
        std::printf("Could not find java.util.ArrayList add(java.lang.Object) method!");
        return;
    }

    std::printf("===================VDS_NOTIFICATION size : %d=============\n",
                static_cast<int>(kRecordSize));
    for (LONG i = 0; i < count; ++i) {
        const VDS_NOTIFICATION& record = records[i];
        const auto* raw = reinterpret_cast<const unsigned char*>(&record);
        std::int32_t type = 0;
        std::int32_t event = 0;
        std::memcpy(&type, raw, sizeof type);
        std::memcpy(&event, raw + 8, sizeof event);
        std::printf("\nVDS: OnNotify(), type=%d, event=%d\n\n", static_cast<int>(type),
                    static_cast<int>(event));

        LocalRef array(env, env->NewByteArray(kRecordSize));
        bool added = false;
        if (array.get() != nullptr) {
            env->SetByteArrayRegion(static_cast<jbyteArray>(array.get()), 0, kRecordSize,
                                    reinterpret_cast<const jbyte*>(raw));
            added = env->CallBooleanMethod(list.get(), add, array.get()) == JNI_TRUE;
        }
        if (clearException(env)) added = false;
        if (!added) std::printf("VDS: notifyJava() => ArrayList add() failed\n");
        printMemory(raw, kRecordSize, "VDS_NOTIFICATION data, type %d, size %d", static_cast<int>(type),
                    static_cast<int>(kRecordSize));
    }

    std::printf("Notify JAVA start!!! Size: %d\n", static_cast<int>(count));
    // A connection closed while the list was built no longer hears of it.
    if (!batch.enterJava()) return;
    env->CallVoidMethod(target->receiver(), onNotify, static_cast<jlong>(count), list.get());
    clearException(env);
}
