// The machine digest: equal for equal machines whatever their history,
// different when any object differs.
#include <string>

#include "sim_session.h"

namespace {

std::string machine(const std::string& firstDrive, const std::string& secondDrive) {
    return R"({ "hardwareProviders": [ { "id": "A0000000-0000-4000-8000-000000000001", "name": "Tiny",
      "subsystems": [ { "id": "A1000000-0000-4000-8000-000000000001", "friendlyName": "Box",
        "drives": [ )" +
           firstDrive + ", " + secondDrive + R"( ] } ] } ], "softwareProviders": [] })";
}

const std::string kDriveA = R"({ "id": "A2000000-0000-4000-8000-000000000001", "size": "1 GiB", "bus": 0, "slot": 3 })";
const std::string kDriveB = R"({ "id": "A2000000-0000-4000-8000-000000000002", "size": "2 GiB", "bus": 0, "slot": 4 })";

unsigned long long digestOf(const std::string& json) {
    EXPECT_EQ(VdsSimLoadTopologyJson(json.c_str()), 0) << json;
    return VdsSimModelDigest();
}

TEST(ModelDigest, EqualMachinesAgreeWhateverCameBefore) {
    VdsSimLoadDefault();
    const unsigned long long builtIn = VdsSimModelDigest();
    EXPECT_EQ(VdsSimModelDigest(), builtIn);

    const unsigned long long small = digestOf(machine(kDriveA, kDriveB));
    EXPECT_NE(small, builtIn);
    VdsSimLoadDefault();
    EXPECT_EQ(VdsSimModelDigest(), builtIn);
    EXPECT_EQ(digestOf(machine(kDriveA, kDriveB)), small);
    VdsSimLoadDefault();
}

struct Variant {
    const char* name;
    std::string firstDrive;
    std::string secondDrive;
};

class ModelDigestVariant : public ::testing::TestWithParam<Variant> {};

TEST_P(ModelDigestVariant, DiffersFromTheOriginal) {
    const unsigned long long original = digestOf(machine(kDriveA, kDriveB));
    const Variant& v = GetParam();
    EXPECT_NE(digestOf(machine(v.firstDrive, v.secondDrive)), original);
    VdsSimLoadDefault();
}

INSTANTIATE_TEST_SUITE_P(
    OneThingChanged, ModelDigestVariant,
    ::testing::Values(
        Variant{"size", R"({ "id": "A2000000-0000-4000-8000-000000000001", "size": "3 GiB", "bus": 0, "slot": 3 })",
                kDriveB},
        Variant{"slot", R"({ "id": "A2000000-0000-4000-8000-000000000001", "size": "1 GiB", "bus": 0, "slot": 5 })",
                kDriveB},
        Variant{"name",
                R"({ "id": "A2000000-0000-4000-8000-000000000001", "size": "1 GiB", "bus": 0, "slot": 3,
                     "friendlyName": "x" })",
                kDriveB},
        Variant{"identifier",
                R"({ "id": "A2000000-0000-4000-8000-000000000003", "size": "1 GiB", "bus": 0, "slot": 3 })",
                kDriveB},
        // The subsystem lists its drives in order; that order is part of the machine.
        Variant{"enumerationOrder", kDriveB, kDriveA}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
