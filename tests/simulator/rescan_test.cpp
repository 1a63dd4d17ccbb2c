// A rescan tells what changed in the machine object by object, then that the
// client should read afresh.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "change_support.h"

using namespace simtest;
using ::testing::ElementsAre;

namespace {

const char* kSubSystemR = "C1000000-0000-4000-8000-000000000001";
const char* kKeptDrive = "C2000000-0000-4000-8000-000000000001";
const char* kPulledDrive = "C2000000-0000-4000-8000-000000000002";
const char* kNewDrive = "C2000000-0000-4000-8000-000000000003";
const char* kDiskR = "D2000000-0000-4000-8000-000000000001";
const char* kVolumeR = "D3000000-0000-4000-8000-000000000001";

std::string machine(const std::string& drives, const std::string& partitions, const char* letter) {
    return R"({ "hardwareProviders": [ { "id": "C0000000-0000-4000-8000-000000000001",
        "subsystems": [ { "id": ")" + std::string(kSubSystemR) + R"(", "drives": [ )" + drives + R"( ],
          "luns": [ { "id": "C3000000-0000-4000-8000-000000000001", "plexes": [ {
            "id": "C4000000-0000-4000-8000-000000000001",
            "extents": [ { "drive": ")" + kKeptDrive + R"(", "size": "1 GiB" } ] } ] } ] } ] } ],
      "softwareProviders": [ { "id": "D0000000-0000-4000-8000-000000000001", "packs": [ {
        "id": "D1000000-0000-4000-8000-000000000001",
        "disks": [ { "id": ")" + kDiskR + R"(", "size": "10 GiB", "partitions": [ )" + partitions + R"( ] } ],
        "volumes": [ { "id": ")" + kVolumeR + R"(", "driveLetter": ")" + letter + R"(",
          "plexes": [ { "id": "D4000000-0000-4000-8000-000000000001",
            "extents": [ { "disk": ")" + kDiskR + R"(", "offset": "1 MiB", "size": "1 GiB" } ] } ] } ] } ] } ] })";
}

std::string drive(const char* id, int slot) {
    return R"({ "id": ")" + std::string(id) + R"(", "size": "100 GiB", "slot": )" + std::to_string(slot) + "}";
}

const std::string kFirstPartition = R"({ "offset": "1 MiB", "size": "1 GiB" })";
// OEM partitions: no volume lies on them.
const std::string kSecondPartition = R"({ "offset": "2 GiB", "size": "1 GiB", "mbrType": 18 })";

class Rescan : public ChangeSession {
protected:
    void SetUp() override {
        ChangeSession::SetUp();
        // Tests may run at once in several processes: a file of each's own.
        path_ = ::testing::TempDir() + "rescan_" + ::testing::UnitTest::GetInstance()->current_test_info()->name() +
                "_" + std::to_string(getpid()) + ".json";
        describe(machine(drive(kKeptDrive, 0) + "," + drive(kPulledDrive, 1), kFirstPartition + "," + kSecondPartition,
                         "E"));
        setenv("TOLVANE_SIM_TOPOLOGY", path_.c_str(), 1);
        VdsSimUseEnvironmentTopology();
        ASSERT_EQ(service->Reenumerate(), S_OK);
        sink.take();
    }
    void TearDown() override {
        unsetenv("TOLVANE_SIM_TOPOLOGY");
        std::remove(path_.c_str());
        VdsSimLoadDefault();
        ChangeSession::TearDown();
    }
    void describe(const std::string& json) { std::ofstream(path_) << json; }

    std::string path_;
};

const Notice kOutOfSync{VDS_NF_SERVICE_OUT_OF_SYNC, GUID{}};

TEST_F(Rescan, UnchangedMachineSendsOnlyOutOfSync) {
    const unsigned long long before = VdsSimModelDigest();
    ASSERT_EQ(service->Reenumerate(), S_OK);
    EXPECT_EQ(VdsSimModelDigest(), before);
    EXPECT_THAT(sink.take(), ElementsAre(kOutOfSync));
}

TEST_F(Rescan, TellsEachDepartureArrivalAndModification) {
    describe(machine(drive(kKeptDrive, 0) + "," + drive(kNewDrive, 2), kFirstPartition, "F"));
    ASSERT_EQ(service->Reenumerate(), S_OK);
    const GUID volume = id(kVolumeR);
    EXPECT_THAT(sink.take(), ElementsAre(Notice{VDS_NF_PARTITION_DEPART, id(kDiskR)},
                                         Notice{VDS_NF_DRIVE_DEPART, id(kPulledDrive)},
                                         Notice{VDS_NF_DRIVE_ARRIVE, id(kNewDrive)},
                                         Notice{VDS_NF_DISK_MODIFY, id(kDiskR)},
                                         Notice{VDS_NF_DRIVE_LETTER_FREE, GUID{}},
                                         Notice{VDS_NF_DRIVE_LETTER_ASSIGN, volume},
                                         Notice{VDS_NF_MOUNT_POINTS_CHANGE, volume}, kOutOfSync));
    // What the notices announce is what a client now finds.
    ComPtr<IUnknown> gone;
    EXPECT_EQ(service->GetObject(id(kPulledDrive), VDS_OT_DRIVE, gone.put()), VDS_E_OBJECT_NOT_FOUND);
    EXPECT_TRUE(object(kNewDrive, VDS_OT_DRIVE));
}

TEST_F(Rescan, PartitionArrivesBeforeTheDiskIsModified) {
    describe(machine(drive(kKeptDrive, 0) + "," + drive(kPulledDrive, 1),
                     kFirstPartition + "," + kSecondPartition + R"(, { "offset": "4 GiB", "size": "1 GiB", "mbrType": 18 })", "E"));
    ASSERT_EQ(service->Reenumerate(), S_OK);
    EXPECT_THAT(sink.take(), ElementsAre(Notice{VDS_NF_PARTITION_ARRIVE, id(kDiskR)},
                                         Notice{VDS_NF_DISK_MODIFY, id(kDiskR)}, kOutOfSync));
}

TEST_F(Rescan, UnreadableDescriptionChangesNothing) {
    const unsigned long long before = VdsSimModelDigest();
    describe("{ not json");
    ::testing::internal::CaptureStderr();
    ASSERT_EQ(service->Reenumerate(), S_OK);
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(VdsSimModelDigest(), before);
    EXPECT_THAT(sink.take(), ElementsAre(kOutOfSync));
}

}  // namespace
