// Natives of the Java benchmark's Ardelune.DirectClient: the benchmarks'
// plain VDS client behind JNI, so that the library's CmdHandler can be timed
// beside a client making the same service calls from Java.
#include <jni.h>

#include <memory>

#include "direct_client.h"

namespace {

// One client for the benchmark's one thread, open between open and close.
std::unique_ptr<DirectClient> gClient;

}  // namespace

extern "C" {

JNIEXPORT jint JNICALL Java_Ardelune_DirectClient_open(JNIEnv*, jclass) {
    gClient = std::make_unique<DirectClient>();
    const HRESULT hr = gClient->open();
    if (FAILED(hr)) gClient.reset();
    return static_cast<jint>(hr);
}

JNIEXPORT void JNICALL Java_Ardelune_DirectClient_close(JNIEnv*, jclass) { gClient.reset(); }

// The calls of the drive list: the subsystem by identifier, its drives
// counted and collected, each one's properties read. Returns the drives read,
// -1 when the client is not open or the subsystem cannot be listed.
JNIEXPORT jint JNICALL Java_Ardelune_DirectClient_listDrives(JNIEnv* env, jclass, jbyteArray subSystem) {
    if (!gClient || subSystem == nullptr || env->GetArrayLength(subSystem) != 16) return -1;
    GUID id{};
    env->GetByteArrayRegion(subSystem, 0, 16, reinterpret_cast<jbyte*>(&id));
    return directChildren<VDS_DRIVE_PROP, IVdsDrive>(
        gClient->object<IVdsSubSystem>(id, VDS_OT_SUB_SYSTEM, IID_IVdsSubSystem), &IVdsSubSystem::QueryDrives,
        IID_IVdsDrive);
}

}  // extern "C"
