// Natives of the Java tests' Ardelune.SimControl, over the simulated
// service's control surface.
#include <jni.h>

#include <vector>

#include "vds_sim.h"

extern "C" {

JNIEXPORT void JNICALL Java_Ardelune_SimControl_loadDefault(JNIEnv*, jclass) { VdsSimLoadDefault(); }

JNIEXPORT void JNICALL Java_Ardelune_SimControl_setStartingPhase(JNIEnv*, jclass, jint ms) {
    VdsSimSetStartingPhase(ms);
}

JNIEXPORT void JNICALL Java_Ardelune_SimControl_finishStarting(JNIEnv*, jclass) {
    VdsSimFinishStarting();
}

JNIEXPORT void JNICALL Java_Ardelune_SimControl_fireNotifications(JNIEnv* env, jclass,
                                                                  jbyteArray records, jint count) {
    const jsize length = records != nullptr ? env->GetArrayLength(records) : 0;
    std::vector<jbyte> bytes(static_cast<std::size_t>(length));
    if (length > 0) env->GetByteArrayRegion(records, 0, length, bytes.data());
    if (count < 0 || static_cast<long long>(count) * 48 > length) return;
    VdsSimFireNotifications(bytes.data(), count);
}

JNIEXPORT void JNICALL Java_Ardelune_SimControl_waitNotificationsDelivered(JNIEnv*, jclass) {
    VdsSimWaitNotificationsDelivered();
}

JNIEXPORT jlong JNICALL Java_Ardelune_SimControl_liveReferences(JNIEnv*, jclass) {
    return VdsSimLiveReferences();
}

JNIEXPORT jlong JNICALL Java_Ardelune_SimControl_serviceReferences(JNIEnv*, jclass) {
    return VdsSimServiceReferences();
}

JNIEXPORT jlong JNICALL Java_Ardelune_SimControl_advisedSinks(JNIEnv*, jclass) {
    return VdsSimAdvisedSinks();
}

JNIEXPORT jint JNICALL Java_Ardelune_SimControl_setStatus(JNIEnv* env, jclass, jbyteArray id, jint status) {
    GUID object{};
    if (id == nullptr || env->GetArrayLength(id) != static_cast<jsize>(sizeof object)) return E_INVALIDARG;
    env->GetByteArrayRegion(id, 0, sizeof object, reinterpret_cast<jbyte*>(&object));
    return VdsSimSetStatus(&object, status);
}

JNIEXPORT void JNICALL Java_Ardelune_SimControl_waitIdle(JNIEnv*, jclass) { VdsSimWaitIdle(); }

JNIEXPORT void JNICALL Java_Ardelune_SimControl_setDeliveryThreads(JNIEnv*, jclass, jint count) {
    VdsSimSetDeliveryThreads(count);
}

}  // extern "C"
