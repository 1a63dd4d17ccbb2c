// The notifications that the management calls on subsystems, controllers and
// drives send, in the order a client reads them.
#include <gmock/gmock.h>

#include "change_support.h"

namespace simtest {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kSubSystem = "20000000-0000-4000-8000-000000000001";
constexpr const char* kControllerA = "30000000-0000-4000-8000-000000000001";
constexpr const char* kDrive4 = "40000000-0000-4000-8000-000000000004";
constexpr const char* kSpareDrive = "40000000-0000-4000-8000-000000000008";
constexpr const char* kBootLun = "50000000-0000-4000-8000-000000000001";
constexpr const char* kMirroredLun = "50000000-0000-4000-8000-000000000002";
constexpr const char* kStripeLun = "50000000-0000-4000-8000-000000000003";
constexpr const char* kPortB1 = "31000000-0000-4000-8000-000000000003";
constexpr const char* kPortB2 = "31000000-0000-4000-8000-000000000004";

using HardwareChanges = ChangeSession;

// The notices of a rebuild that runs its course: each step's progress, then
// the healthy LUN.
std::vector<Notice> rebuildOf(const char* lun) {
    std::vector<Notice> out;
    for (int step = 1; step <= 10; ++step) out.push_back({VDS_NF_VOLUME_REBUILDING_PROGRESS, id(lun)});
    out.push_back({VDS_NF_LUN_MODIFY, id(lun)});
    return out;
}

std::vector<Notice> joined(std::vector<Notice> first, const std::vector<Notice>& then) {
    first.insert(first.end(), then.begin(), then.end());
    return first;
}

LONG lunHealth(const ComPtr<IVdsLun>& lun) {
    VDS_LUN_PROP prop{};
    EXPECT_EQ(lun->GetProperties(&prop), S_OK);
    CoTaskMemFree(prop.pwszFriendlyName);
    CoTaskMemFree(prop.pwszIdentification);
    CoTaskMemFree(prop.pwszUnmaskingList);
    return prop.health;
}

bool driveHoldsLun(const ComPtr<IVdsDrive>& drive, const char* lun) {
    VDS_DRIVE_EXTENT* extents = nullptr;
    LONG count = 0;
    EXPECT_EQ(drive->QueryExtents(&extents, &count), S_OK);
    bool holds = false;
    for (LONG i = 0; i < count; ++i) holds = holds || extents[i].LunId == id(lun);
    CoTaskMemFree(extents);
    return holds;
}

TEST_F(HardwareChanges, AFailedDriveDegradesItsLunsAndTheHotSpareRebuildsThem) {
    auto drive = get<IVdsDrive>(kDrive3, VDS_OT_DRIVE);
    ASSERT_EQ(drive->SetStatus(VDS_DRS_FAILED), S_OK);
    VdsSimWaitIdle();
    // Degraded first; then the spare stands in, and the copy on it is rebuilt.
    EXPECT_THAT(sink.take(), ::testing::ElementsAreArray(joined(
                                 {{VDS_NF_DRIVE_MODIFY, id(kDrive3)},
                                  {VDS_NF_LUN_MODIFY, id(kMirroredLun)},
                                  {VDS_NF_DRIVE_MODIFY, id(kDrive3)},
                                  {VDS_NF_DRIVE_MODIFY, id(kSpareDrive)},
                                  {VDS_NF_LUN_MODIFY, id(kMirroredLun)},
                                  {VDS_NF_DRIVE_REMOVED, id(kDrive3)}},
                                 rebuildOf(kMirroredLun))));
    EXPECT_EQ(lunHealth(get<IVdsLun>(kMirroredLun, VDS_OT_LUN)), VDS_H_HEALTHY);
    EXPECT_TRUE(driveHoldsLun(get<IVdsDrive>(kSpareDrive, VDS_OT_DRIVE), kMirroredLun));
    // Asking for the status it already has changes nothing and says nothing.
    ASSERT_EQ(drive->SetStatus(VDS_DRS_FAILED), S_OK);
    VdsSimWaitIdle();
    EXPECT_THAT(sink.take(), IsEmpty());
}

TEST_F(HardwareChanges, ReplacingADriveMovesItsStretchesAndRebuildsTheLun) {
    auto subsystem = get<IVdsSubSystem>(kSubSystem, VDS_OT_SUB_SYSTEM);
    ASSERT_EQ(subsystem->ReplaceDrive(id(kDrive3), id(kFreeDrive)), S_OK);
    EXPECT_EQ(lunHealth(get<IVdsLun>(kMirroredLun, VDS_OT_LUN)), VDS_H_REBUILDING);
    VdsSimWaitIdle();
    EXPECT_THAT(sink.take(), ::testing::ElementsAreArray(joined({{VDS_NF_DRIVE_MODIFY, id(kDrive3)},
                                                                 {VDS_NF_DRIVE_MODIFY, id(kFreeDrive)},
                                                                 {VDS_NF_LUN_MODIFY, id(kMirroredLun)},
                                                                 {VDS_NF_DRIVE_REMOVED, id(kDrive3)}},
                                                                rebuildOf(kMirroredLun))));
    EXPECT_EQ(lunHealth(get<IVdsLun>(kMirroredLun, VDS_OT_LUN)), VDS_H_HEALTHY);
    EXPECT_TRUE(driveHoldsLun(get<IVdsDrive>(kFreeDrive, VDS_OT_DRIVE), kMirroredLun));
}

TEST_F(HardwareChanges, RecoverWaitsForTheRebuildAndReportsItsProgress) {
    // No spare: the mirror stays degraded until Recover finds a drive with room.
    ASSERT_EQ(get<IVdsDrive>(kSpareDrive, VDS_OT_DRIVE)->ClearFlags(VDS_DRF_HOTSPARE), S_OK);
    ASSERT_EQ(get<IVdsDrive>(kDrive3, VDS_OT_DRIVE)->SetStatus(VDS_DRS_FAILED), S_OK);
    VdsSimWaitIdle();
    auto lun = get<IVdsLun>(kMirroredLun, VDS_OT_LUN);
    EXPECT_EQ(lunHealth(lun), VDS_H_FAILED_REDUNDANCY);
    sink.take();

    ComPtr<IVdsAsync> op;
    ASSERT_EQ(lun->Recover(op.put()), S_OK);
    EXPECT_EQ(op->Cancel(), VDS_E_NOT_SUPPORTED);
    HRESULT result = E_FAIL;
    VDS_ASYNC_OUTPUT output{};
    ASSERT_EQ(op->Wait(&result, &output), S_OK);
    EXPECT_EQ(result, S_OK);
    EXPECT_EQ(output.type, VDS_ASYNCOUT_RECOVERLUN);
    ULONG percent = 0;
    ASSERT_EQ(op->QueryStatus(&result, &percent), S_OK);
    EXPECT_EQ(percent, 100u);
    EXPECT_EQ(lunHealth(lun), VDS_H_HEALTHY);
    const auto told = sink.take();
    ASSERT_GE(told.size(), 4u);
    EXPECT_EQ(told.back(), (Notice{VDS_NF_LUN_MODIFY, id(kMirroredLun)}));
    EXPECT_EQ(std::count(told.begin(), told.end(), Notice{VDS_NF_VOLUME_REBUILDING_PROGRESS, id(kMirroredLun)}), 10);
}

TEST_F(HardwareChanges, ALunThatLostItsDataIsNotRebuiltByAReplacement) {
    constexpr const char* kDrive1 = "40000000-0000-4000-8000-000000000001";  // the boot LUN's only drive
    ASSERT_EQ(get<IVdsDrive>(kDrive1, VDS_OT_DRIVE)->SetStatus(VDS_DRS_FAILED), S_OK);
    sink.take();
    const unsigned long long before = VdsSimModelDigest();
    EXPECT_EQ(get<IVdsSubSystem>(kSubSystem, VDS_OT_SUB_SYSTEM)->ReplaceDrive(id(kDrive1), id(kSpareDrive)),
              VDS_E_OBJECT_STATUS_FAILED);
    EXPECT_EQ(VdsSimModelDigest(), before);
    EXPECT_THAT(sink.take(), IsEmpty());
}

TEST_F(HardwareChanges, RefusedChangesLeaveTheMachineAndSayNothing) {
    auto subsystem = get<IVdsSubSystem>(kSubSystem, VDS_OT_SUB_SYSTEM);
    const unsigned long long before = VdsSimModelDigest();
    EXPECT_EQ(subsystem->SetStatus(VDS_SSS_UNKNOWN), E_INVALIDARG);
    EXPECT_EQ(subsystem->ReplaceDrive(id(kDrive3), id(kDrive3)), E_INVALIDARG);
    EXPECT_EQ(subsystem->ReplaceDrive(id(kDrive3), id(kDrive4)), VDS_E_DEVICE_IN_USE);
    EXPECT_EQ(subsystem->ReplaceDrive(id(kDrive3), id(kControllerA)), VDS_E_OBJECT_NOT_FOUND);
    EXPECT_EQ(get<IVdsDrive>(kDrive3, VDS_OT_DRIVE)->SetFlags(VDS_DRF_HOTSPARE), VDS_E_DEVICE_IN_USE);
    EXPECT_EQ(get<IVdsController>(kControllerA, VDS_OT_CONTROLLER)->SetStatus(VDS_CS_REMOVED),
              VDS_E_NOT_SUPPORTED);
    EXPECT_EQ(VdsSimModelDigest(), before);
    EXPECT_THAT(sink.take(), IsEmpty());
}

TEST_F(HardwareChanges, StatusAndFlagChangesAreModifications) {
    ASSERT_EQ(get<IVdsSubSystem>(kSubSystem, VDS_OT_SUB_SYSTEM)->SetStatus(VDS_SSS_OFFLINE), S_OK);
    ASSERT_EQ(get<IVdsController>(kControllerB, VDS_OT_CONTROLLER)->SetStatus(VDS_CS_OFFLINE), S_OK);
    ASSERT_EQ(get<IVdsDrive>(kFreeDrive, VDS_OT_DRIVE)->SetFlags(VDS_DRF_HOTSPARE), S_OK);
    // No host reaches the LUNs of a subsystem that is offline; a controller
    // that stops serving takes its ports with it.
    EXPECT_THAT(sink.take(), ElementsAre(Notice{VDS_NF_SUB_SYSTEM_MODIFY, id(kSubSystem)},
                                         Notice{VDS_NF_LUN_MODIFY, id(kBootLun)},
                                         Notice{VDS_NF_LUN_MODIFY, id(kMirroredLun)},
                                         Notice{VDS_NF_LUN_MODIFY, id(kStripeLun)},
                                         Notice{VDS_NF_CONTROLLER_MODIFY, id(kControllerB)},
                                         Notice{VDS_NF_PORT_MODIFY, id(kPortB1)},
                                         Notice{VDS_NF_PORT_MODIFY, id(kPortB2)},
                                         Notice{VDS_NF_DRIVE_MODIFY, id(kFreeDrive)}));
}

TEST_F(HardwareChanges, MaintenanceKeepsTrackOfWhatRuns) {
    auto maintenance = get<IVdsMaintenance>(kFreeDrive, VDS_OT_DRIVE);
    EXPECT_EQ(maintenance->StopMaintenance(BlinkLight), S_FALSE);
    EXPECT_EQ(maintenance->PulseMaintenance(BlinkLight, 3), S_FALSE);
    EXPECT_EQ(maintenance->StartMaintenance(BlinkLight), S_OK);
    EXPECT_EQ(maintenance->PulseMaintenance(BlinkLight, 3), S_OK);
    EXPECT_EQ(maintenance->StopMaintenance(BlinkLight), S_FALSE);  // the pulses ended it
    EXPECT_EQ(maintenance->StartMaintenance(BeepAlarm), VDS_E_NOT_SUPPORTED);
    EXPECT_EQ(get<IVdsMaintenance>(kMirroredLun, VDS_OT_LUN)->StartMaintenance(Ping), VDS_E_NOT_SUPPORTED);

    auto controller = get<IVdsMaintenance>(kControllerA, VDS_OT_CONTROLLER);
    EXPECT_EQ(controller->StartMaintenance(Ping), S_OK);
    ASSERT_EQ(get<IVdsController>(kControllerA, VDS_OT_CONTROLLER)->Reset(), S_OK);
    EXPECT_EQ(controller->StopMaintenance(Ping), S_FALSE);  // the reset ended it
    EXPECT_THAT(sink.take(), IsEmpty());
}

}  // namespace
}  // namespace simtest
