// Each record's lines, formatted in memory, are the very bytes that a printf
// of the event line, the failure line and printMemory of the record print.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "notify/notification_log.h"
#include "stdout_capture.h"
#include "tolvane.h"

namespace {

std::string printedOneByOne(const VDS_NOTIFICATION& record, bool added) {
    const auto* raw = reinterpret_cast<const unsigned char*>(&record);
    std::int32_t type = 0;
    std::int32_t event = 0;
    std::memcpy(&type, raw, sizeof type);
    std::memcpy(&event, raw + 8, sizeof event);
    return capturedStdout([&] {
        std::printf("\nVDS: OnNotify(), type=%d, event=%d\n\n", type, event);
        if (!added) std::printf("VDS: notifyJava() => ArrayList add() failed\n");
        printMemory(raw, static_cast<int>(sizeof record), "VDS_NOTIFICATION data, type %d, size %d", type,
                    static_cast<int>(sizeof record));
    });
}

TEST(NotificationLog, SameBytesAsPrintingEachPart) {
    struct Case {
        std::int32_t type;
        std::int32_t event;
        unsigned char fill;
        bool added;
    };
    const Case cases[] = {
        {11, 1, 0x00, true},       // pack arrival, zero bytes
        {13, 3, 0xFF, true},       // every byte 0xFF
        {-1, -2147483647 - 1, 0x5A, false},  // extreme numbers, add failed
        {210, 2, 0x80, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        VDS_NOTIFICATION record{};
        auto* raw = reinterpret_cast<unsigned char*>(&record);
        for (std::size_t i = 0; i < sizeof record; ++i) raw[i] = static_cast<unsigned char>(c.fill + i * 13);
        std::memcpy(raw, &c.type, sizeof c.type);
        std::memcpy(raw + 8, &c.event, sizeof c.event);
        char out[kNotificationLogCapacity];
        const std::size_t n = vdsFormatNotificationLog(record, c.added, out);
        EXPECT_EQ(std::string(out, n), printedOneByOne(record, c.added));
    }
}

}  // namespace
