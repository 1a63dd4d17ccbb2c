// What the forwarding prints for one notification record, formatted into
// memory so that each record reaches standard output in one write.
#pragma once

#include <cstddef>

#include "platform/vds_types.h"

// The record's type and event line, the failure line when it could not be
// added to the Java list, and the dump of its bytes.
inline constexpr std::size_t kNotificationLogCapacity = 512;

// Writes the lines for `record` into `out` (kNotificationLogCapacity bytes,
// no terminator) and returns their length.
std::size_t vdsFormatNotificationLog(const VDS_NOTIFICATION& record, bool addedToList, char* out);
