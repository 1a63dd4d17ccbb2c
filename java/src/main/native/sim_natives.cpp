// Natives of Ardelune.sim.Natives over the simulated service's control
// surface (vds_sim.h). Texts arrive as UTF-8 bytes without a terminator and
// identifiers as the 16 bytes of a GUID in memory; the Java side has checked
// both, but nothing here trusts that: a missing or short array never reaches
// the service.
#include <jni.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "vds_sim.h"

namespace {

constexpr jsize kRecordBytes = 48;

std::optional<std::string> text(JNIEnv* env, jbyteArray bytes) {
    if (bytes == nullptr) return std::nullopt;
    const jsize length = env->GetArrayLength(bytes);
    std::string out(static_cast<std::size_t>(length), '\0');
    if (length > 0) env->GetByteArrayRegion(bytes, 0, length, reinterpret_cast<jbyte*>(out.data()));
    // A terminator inside would silently cut the text short.
    if (out.find('\0') != std::string::npos) return std::nullopt;
    return out;
}

std::optional<GUID> guid(JNIEnv* env, jbyteArray bytes) {
    GUID id{};
    if (bytes == nullptr || env->GetArrayLength(bytes) != static_cast<jsize>(sizeof id)) return std::nullopt;
    env->GetByteArrayRegion(bytes, 0, sizeof id, reinterpret_cast<jbyte*>(&id));
    return id;
}

jbyteArray byteArray(JNIEnv* env, const std::string& bytes) {
    const auto length = static_cast<jsize>(bytes.size());
    jbyteArray out = env->NewByteArray(length);
    if (out != nullptr && length > 0) {
        env->SetByteArrayRegion(out, 0, length, reinterpret_cast<const jbyte*>(bytes.data()));
    }
    return out;
}

// The machine as text; it may grow between asking for the length and the
// copy, so the copy is repeated until it fits. The first try, with room for
// the terminator alone, asks for the length.
std::string topologyText() {
    std::size_t need = 0;
    for (;;) {
        std::vector<char> buf(need + 1);
        const std::size_t got = VdsSimTopologyJson(buf.data(), buf.size());
        if (got <= need) return std::string(buf.data(), got);
        need = got;
    }
}

std::vector<std::string> journal() {
    std::vector<std::string> lines;
    const std::size_t count = VdsSimJournalSize();
    lines.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t need = VdsSimJournalEntry(i, nullptr, 0);
        if (need == 0) break;  // cleared meanwhile
        for (;;) {
            std::vector<char> buf(need + 1);
            const std::size_t got = VdsSimJournalEntry(i, buf.data(), buf.size());
            if (got <= need) {
                lines.emplace_back(buf.data(), got);
                break;
            }
            need = got;
        }
    }
    return lines;
}

}  // namespace

extern "C" {

JNIEXPORT jint JNICALL Java_Ardelune_sim_Natives_loadTopologyFile(JNIEnv* env, jclass, jbyteArray path) {
    const auto p = text(env, path);
    return p ? VdsSimLoadTopologyFile(p->c_str()) : E_INVALIDARG;
}

JNIEXPORT jint JNICALL Java_Ardelune_sim_Natives_loadTopologyText(JNIEnv* env, jclass, jbyteArray json) {
    const auto t = text(env, json);
    return t ? VdsSimLoadTopologyJson(t->c_str()) : E_INVALIDARG;
}

JNIEXPORT void JNICALL Java_Ardelune_sim_Natives_loadDefault(JNIEnv*, jclass) { VdsSimLoadDefault(); }

JNIEXPORT void JNICALL Java_Ardelune_sim_Natives_useEnvironmentTopology(JNIEnv*, jclass) {
    VdsSimUseEnvironmentTopology();
}

JNIEXPORT jint JNICALL Java_Ardelune_sim_Natives_saveTopologyFile(JNIEnv* env, jclass, jbyteArray path) {
    const auto p = text(env, path);
    return p ? VdsSimSaveTopologyFile(p->c_str()) : E_INVALIDARG;
}

JNIEXPORT jbyteArray JNICALL Java_Ardelune_sim_Natives_topologyText(JNIEnv* env, jclass) {
    return byteArray(env, topologyText());
}

JNIEXPORT jint JNICALL Java_Ardelune_sim_Natives_resetToTopology(JNIEnv*, jclass) { return VdsSimResetToTopology(); }

JNIEXPORT jlong JNICALL Java_Ardelune_sim_Natives_digest(JNIEnv*, jclass) {
    return static_cast<jlong>(VdsSimModelDigest());
}

JNIEXPORT jint JNICALL Java_Ardelune_sim_Natives_setStatus(JNIEnv* env, jclass, jbyteArray id, jint status) {
    const auto object = guid(env, id);
    return object ? VdsSimSetStatus(&*object, status) : E_INVALIDARG;
}

JNIEXPORT jint JNICALL Java_Ardelune_sim_Natives_removeObject(JNIEnv* env, jclass, jbyteArray id) {
    const auto object = guid(env, id);
    return object ? VdsSimRemoveObject(&*object) : E_INVALIDARG;
}

JNIEXPORT jlong JNICALL Java_Ardelune_sim_Natives_objectReferences(JNIEnv* env, jclass, jbyteArray id) {
    const auto object = guid(env, id);
    return object ? VdsSimObjectReferences(&*object) : 0;
}

JNIEXPORT void JNICALL Java_Ardelune_sim_Natives_injectFault(JNIEnv* env, jclass, jbyteArray method, jint nth,
                                                             jint hr) {
    if (const auto m = text(env, method)) VdsSimInjectFault(m->c_str(), nth, hr);
}

JNIEXPORT void JNICALL Java_Ardelune_sim_Natives_injectWaitFault(JNIEnv* env, jclass, jbyteArray method, jint hr) {
    if (const auto m = text(env, method)) VdsSimInjectWaitFault(m->c_str(), hr);
}

JNIEXPORT void JNICALL Java_Ardelune_sim_Natives_refuseInterface(JNIEnv* env, jclass, jbyteArray id,
                                                                 jbyteArray iid) {
    const auto object = guid(env, id);
    const auto interfaceId = guid(env, iid);
    if (object && interfaceId) VdsSimRefuseInterface(&*object, &*interfaceId);
}

JNIEXPORT void JNICALL Java_Ardelune_sim_Natives_failProperties(JNIEnv* env, jclass, jbyteArray id, jint hr) {
    if (const auto object = guid(env, id)) VdsSimFailProperties(&*object, hr);
}

JNIEXPORT void JNICALL Java_Ardelune_sim_Natives_succeedWith(JNIEnv* env, jclass, jbyteArray method, jint hr) {
    if (const auto m = text(env, method)) VdsSimSucceedWith(m->c_str(), hr);
}

JNIEXPORT void JNICALL Java_Ardelune_sim_Natives_clearFaults(JNIEnv*, jclass) { VdsSimClearFaults(); }

JNIEXPORT void JNICALL Java_Ardelune_sim_Natives_setStartingPhase(JNIEnv*, jclass, jint milliseconds) {
    VdsSimSetStartingPhase(milliseconds);
}

JNIEXPORT void JNICALL Java_Ardelune_sim_Natives_finishStarting(JNIEnv*, jclass) { VdsSimFinishStarting(); }

JNIEXPORT void JNICALL Java_Ardelune_sim_Natives_fireNotifications(JNIEnv* env, jclass, jbyteArray records) {
    if (records == nullptr) return;
    const jsize length = env->GetArrayLength(records);
    if (length % kRecordBytes != 0) return;
    std::vector<jbyte> bytes(static_cast<std::size_t>(length));
    if (length > 0) env->GetByteArrayRegion(records, 0, length, bytes.data());
    VdsSimFireNotifications(bytes.data(), static_cast<long>(length / kRecordBytes));
}

JNIEXPORT void JNICALL Java_Ardelune_sim_Natives_waitNotificationsDelivered(JNIEnv*, jclass) {
    VdsSimWaitNotificationsDelivered();
}

JNIEXPORT jlong JNICALL Java_Ardelune_sim_Natives_advisedSinks(JNIEnv*, jclass) { return VdsSimAdvisedSinks(); }

JNIEXPORT jlong JNICALL Java_Ardelune_sim_Natives_liveReferences(JNIEnv*, jclass) { return VdsSimLiveReferences(); }

JNIEXPORT jlong JNICALL Java_Ardelune_sim_Natives_serviceReferences(JNIEnv*, jclass) {
    return VdsSimServiceReferences();
}

JNIEXPORT jobjectArray JNICALL Java_Ardelune_sim_Natives_journal(JNIEnv* env, jclass) {
    const std::vector<std::string> lines = journal();
    jclass bytesClass = env->FindClass("[B");
    if (bytesClass == nullptr) return nullptr;
    jobjectArray out = env->NewObjectArray(static_cast<jsize>(lines.size()), bytesClass, nullptr);
    env->DeleteLocalRef(bytesClass);
    if (out == nullptr) return nullptr;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        jbyteArray line = byteArray(env, lines[i]);
        if (line == nullptr) return nullptr;  // OutOfMemoryError pending
        env->SetObjectArrayElement(out, static_cast<jsize>(i), line);
        env->DeleteLocalRef(line);
    }
    return out;
}

JNIEXPORT void JNICALL Java_Ardelune_sim_Natives_enableJournal(JNIEnv*, jclass, jboolean on) {
    VdsSimJournalEnable(on == JNI_TRUE ? 1 : 0);
}

JNIEXPORT void JNICALL Java_Ardelune_sim_Natives_clearJournal(JNIEnv*, jclass) { VdsSimJournalClear(); }

JNIEXPORT void JNICALL Java_Ardelune_sim_Natives_waitIdle(JNIEnv*, jclass) { VdsSimWaitIdle(); }

JNIEXPORT void JNICALL Java_Ardelune_sim_Natives_setDeliveryThreads(JNIEnv*, jclass, jint count) {
    VdsSimSetDeliveryThreads(count);
}

JNIEXPORT void JNICALL Java_Ardelune_sim_Natives_supportReplaceDisk(JNIEnv*, jclass, jboolean on) {
    VdsSimSupportReplaceDisk(on == JNI_TRUE ? 1 : 0);
}

JNIEXPORT void JNICALL Java_Ardelune_sim_Natives_stopService(JNIEnv*, jclass) { VdsSimStopService(); }

}  // extern "C"
