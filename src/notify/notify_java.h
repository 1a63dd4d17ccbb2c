#pragma once

#include <jni.h>

#include "platform/vds_types.h"

// Delivers one batch of notification records to g_javaObject's onNotify as a
// java.util.ArrayList of 48-byte arrays, on the calling thread's environment.
void notifyJava(JNIEnv* env, LONG count, const VDS_NOTIFICATION* records);
