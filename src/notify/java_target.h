// The Java side of notifications: the object that receives onNotify and the
// method's identifier, shared by the bridge (which sets the object) and the
// sink (which looks the method up before every batch).
#pragma once

#include <jni.h>

#include <atomic>

// Global reference to the Ardelune.Tolvane object that opened the connection.
extern std::atomic<jobject> g_javaObject;
// onNotify "(JLjava/util/ArrayList;)V" on the class of g_javaObject; null when the lookup failed.
extern std::atomic<jmethodID> g_onNotifyMethod;
// The process's Java virtual machine, once a notification has found it.
extern std::atomic<JavaVM*> g_javaVM;
