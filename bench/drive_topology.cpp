#include "drive_topology.h"

#include <cstdio>

#include <nlohmann/json.hpp>

namespace {

// Identifiers of the form XX000000-0000-4000-8000-<48-bit serial>, one prefix
// per kind of object, so they never collide and read well in journals.
VDS_OBJECT_ID benchId(unsigned prefix, unsigned long long serial) {
    VDS_OBJECT_ID id{};
    id.Data1 = prefix << 24;
    id.Data3 = 0x4000;
    id.Data4[0] = 0x80;
    for (int i = 0; i < 6; ++i) id.Data4[7 - i] = static_cast<unsigned char>(serial >> (8 * i));
    return id;
}

std::string text(const VDS_OBJECT_ID& id) {
    char out[37];
    std::snprintf(out, sizeof out, "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X",
                  static_cast<unsigned>(id.Data1), id.Data2, id.Data3, id.Data4[0], id.Data4[1],
                  id.Data4[2], id.Data4[3], id.Data4[4], id.Data4[5], id.Data4[6], id.Data4[7]);
    return out;
}

nlohmann::json drive(int index) {
    const int bus = index / kBenchSlotsPerBus;
    const int slot = index % kBenchSlotsPerBus;
    char serial[32];
    std::snprintf(serial, sizeof serial, "BENCH-SN-%06d", index);
    return {{"id", text(benchId(0xB2, static_cast<unsigned long long>(index) + 1))},
            {"friendlyName", "Drive " + std::to_string(bus) + "." + std::to_string(slot)},
            {"identification", serial},
            {"size", "64 GiB"},
            {"bus", bus},
            {"slot", slot}};
}

}  // namespace

DriveTopology makeDriveTopology(int drives) {
    DriveTopology t{benchId(0xB0, 1), benchId(0xB1, 1), {}};
    nlohmann::json list = nlohmann::json::array();
    for (int i = 0; i < drives; ++i) list.push_back(drive(i));
    const int buses = drives / kBenchSlotsPerBus + 1;
    nlohmann::json subSystem = {{"id", text(t.subSystem)},
                                {"friendlyName", "Bench RAID"},
                                {"identification", "BENCH-RAID-0001"},
                                {"internalBuses", buses},
                                {"slotsPerBus", kBenchSlotsPerBus},
                                {"drives", std::move(list)}};
    nlohmann::json provider = {{"id", text(t.provider)},
                               {"name", "Bench RAID Provider"},
                               {"version", "1.0"},
                               {"subsystems", nlohmann::json::array({std::move(subSystem)})}};
    nlohmann::json root = {{"hardwareProviders", nlohmann::json::array({std::move(provider)})}};
    t.json = root.dump();
    return t;
}
