#pragma once

#include <jni.h>

#include "notify/deliveries.h"
#include "platform/vds_types.h"

// Delivers one batch of notification records to the ticket's receiver as a
// java.util.ArrayList of 48-byte arrays, on the calling thread's environment.
void notifyJava(JNIEnv* env, DeliveryTicket& batch, LONG count, const VDS_NOTIFICATION* records);
