// The native methods of the Java class Ardelune.Tolvane.
#include <jni.h>

#include <cstdio>

#include "notify/deliveries.h"
#include "platform/calling_convention.h"
#include "protocol/log_output.h"
#include "tolvane.h"

extern "C" {

JNIEXPORT jint JNICALL Java_Ardelune_Tolvane_Initialize(JNIEnv* env, jobject self) {
    // The target must be in place before the sink is registered: notifications
    // may arrive while vdsInitialize still waits for the service. Batches
    // already under way keep the receiver they started with.
    vdsDeliveries().setTarget(env, self);
    return static_cast<jint>(vdsInitialize());
}

JNIEXPORT void JNICALL Java_Ardelune_Tolvane_Uninitialize(JNIEnv*, jobject) {
    vdsUninitialize();
    // No new batch starts now; one still in Java keeps its own hold on the receiver.
    vdsDeliveries().clearTarget();
    vdsLog("Uninitailize VDS\n");
}
JNIEXPORT jbyteArray JNICALL Java_Ardelune_Tolvane_CmdHandler(JNIEnv* env, jobject,
                                                              jbyteArray request, jint size) {
    // Never let the dispatcher read past the array, whatever size Java passed.
    const jsize length = request != nullptr ? env->GetArrayLength(request) : 0;
    if (size < 0) size = 0;
    if (size > length) size = length;

    unsigned char* reply = nullptr;
    int outSize = 0;
    if (request != nullptr) {
        jbyte* elements = env->GetByteArrayElements(request, nullptr);
        if (elements == nullptr) return nullptr;  // the pending OutOfMemoryError stands
        reply = vdsCmdHandler(reinterpret_cast<unsigned char*>(elements), size, &outSize);
        env->ReleaseByteArrayElements(request, elements, JNI_ABORT);
    }
    if (reply == nullptr) outSize = 0;

    jbyteArray result = env->NewByteArray(outSize);
    if (result != nullptr && outSize > 0)
        env->SetByteArrayRegion(result, 0, outSize, reinterpret_cast<const jbyte*>(reply));
    vdsFreeOutput(reply);
    return result;
}

}  // extern "C"

// The JVM calls these natives with the platform's JNI convention.
static_assert(kCalledAcrossTheBoundary<decltype(&Java_Ardelune_Tolvane_Initialize)>);
static_assert(kCalledAcrossTheBoundary<decltype(&Java_Ardelune_Tolvane_Uninitialize)>);
static_assert(kCalledAcrossTheBoundary<decltype(&Java_Ardelune_Tolvane_CmdHandler)>);
