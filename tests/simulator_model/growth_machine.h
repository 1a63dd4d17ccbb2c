// A small RAID subsystem with a LUN of every type, for the growth and
// drive-notice rows. Free space on the drives in service (GiB):
//   drive  1  2  3  4  5  6  7  8  9 10  11 | 12 hot spare, 13 failed
//   free  90 80 80 40 50 70 70 30 30 30 200 | 770 in all
// LUN 1 simple on drive 1; 2 span on 2 and 3; 3 stripe on 4 and 5; 4 mirror,
// one copy on 6 and one on 7; 5 parity on 8, 9 and 10; 6, failed, on 13;
// each extent 10 GiB but the span's (20). A second subsystem, failed, holds
// drive 20 and LUN 7.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "model/guid_text.h"
#include "model/model.h"
#include "model/topology_loader.h"

namespace simmodel {

inline constexpr std::uint64_t kGrowthGiB = 1ull << 30;

inline std::string growthId(const char* prefix, int n) {
    char text[40];
    std::snprintf(text, sizeof text, "%s-0000-4000-8000-0000000000%02d", prefix, n);
    return text;
}
inline GUID driveNo(int n) { return *tolvane::sim::guidFromText(growthId("40000000", n)); }
inline GUID lunNo(int n) { return *tolvane::sim::guidFromText(growthId("50000000", n)); }
// Plex `p` (1-based) of LUN `n`.
inline GUID lunPlexNo(int n, int p) { return *tolvane::sim::guidFromText(growthId("51000000", n * 10 + p)); }

inline tolvane::sim::Model growthMachine() {
    const auto q = [](const std::string& s) { return "\"" + s + "\""; };
    const auto gibs = [](int n) { return "\"" + std::to_string(n) + " GiB\""; };
    const auto drive = [&](int n, int gib, const char* more = "") {
        return "{\"id\": " + q(growthId("40000000", n)) + ", \"size\": " + gibs(gib) + more + "}";
    };
    const auto extent = [&](int driveNumber, int gib) {
        return "{\"drive\": " + q(growthId("40000000", driveNumber)) + ", \"size\": " + gibs(gib) + "}";
    };
    const auto plex = [&](int lun, int p, const char* type, const std::string& extents) {
        return "{\"id\": " + q(growthId("51000000", lun * 10 + p)) + ", \"type\": \"" + type +
               "\", \"extents\": [" + extents + "]}";
    };
    const auto lun = [&](int n, const char* type, const std::string& plexes, const char* more = "") {
        return "{\"id\": " + q(growthId("50000000", n)) + ", \"type\": \"" + type + "\"" + more + ", \"plexes\": [" +
               plexes + "]}";
    };
    const std::string text =
        R"({"hardwareProviders": [{"id": "10000000-0000-4000-8000-0000000000C1", "subsystems": [
            {"id": "20000000-0000-4000-8000-0000000000C1", "drives": [)" +
        drive(1, 100) + "," + drive(2, 100) + "," + drive(3, 100) + "," + drive(4, 50) + "," + drive(5, 60) + "," +
        drive(6, 80) + "," + drive(7, 80) + "," + drive(8, 40) + "," + drive(9, 40) + "," + drive(10, 40) + "," +
        drive(11, 200) + "," + drive(12, 300, ", \"flags\": 1") + "," + drive(13, 500, ", \"status\": 5") +
        R"(], "luns": [)" +
        lun(1, "simple", plex(1, 1, "simple", extent(1, 10))) + "," +
        lun(2, "span", plex(2, 1, "span", extent(2, 20) + "," + extent(3, 20))) + "," +
        lun(3, "stripe", plex(3, 1, "stripe", extent(4, 10) + "," + extent(5, 10))) + "," +
        lun(4, "mirror", plex(4, 1, "simple", extent(6, 10)) + "," + plex(4, 2, "simple", extent(7, 10))) + "," +
        lun(5, "parity", plex(5, 1, "parity", extent(8, 10) + "," + extent(9, 10) + "," + extent(10, 10))) + "," +
        lun(6, "simple", plex(6, 1, "simple", extent(13, 10)), ", \"status\": 5") +
        R"(]},
            {"id": "20000000-0000-4000-8000-0000000000C2", "status": 5, "drives": [)" +
        drive(20, 100) + R"(], "luns": [)" + lun(7, "simple", plex(7, 1, "simple", extent(20, 10))) + "]}]}]}";
    std::string error;
    auto model = tolvane::sim::loadTopologyText(text, "(growth machine)", error);
    EXPECT_TRUE(model) << error;
    return model ? *model : tolvane::sim::Model{};
}

}  // namespace simmodel
