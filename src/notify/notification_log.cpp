#include "notify/notification_log.h"

#include <cstdio>
#include <cstdint>
#include <cstring>

#include "protocol/hex_dump.h"

namespace {

constexpr int kRecordSize = static_cast<int>(sizeof(VDS_NOTIFICATION));
static_assert(kNotificationLogCapacity > 3 * 64 + vdsHexRowsSize(sizeof(VDS_NOTIFICATION)),
              "room for the three lines and the dump");

std::size_t put(char* out, std::size_t at, const char* text) {
    const std::size_t n = std::strlen(text);
    std::memcpy(out + at, text, n);
    return at + n;
}

}  // namespace

std::size_t vdsFormatNotificationLog(const VDS_NOTIFICATION& record, bool addedToList, char* out) {
    const auto* raw = reinterpret_cast<const unsigned char*>(&record);
    std::int32_t type = 0;
    std::int32_t event = 0;
    std::memcpy(&type, raw, sizeof type);
    std::memcpy(&event, raw + 8, sizeof event);
    std::size_t at = static_cast<std::size_t>(std::snprintf(
        out, 64, "\nVDS: OnNotify(), type=%d, event=%d\n\n", static_cast<int>(type), static_cast<int>(event)));
    if (!addedToList) at = put(out, at, "VDS: notifyJava() => ArrayList add() failed\n");
    at += static_cast<std::size_t>(std::snprintf(out + at, 64, "VDS_NOTIFICATION data, type %d, size %d\n",
                                                 static_cast<int>(type), kRecordSize));
    return at + vdsFormatHexRows(raw, sizeof(VDS_NOTIFICATION), out + at);
}
