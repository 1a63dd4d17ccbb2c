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
constexpr const char* kMirroredLun = "50000000-0000-4000-8000-000000000002";

using HardwareChanges = ChangeSession;

TEST_F(HardwareChanges, AFailingDriveTellsTheDriveAndEveryLunOnIt) {
    auto drive = get<IVdsDrive>(kDrive3, VDS_OT_DRIVE);
    ASSERT_EQ(drive->SetStatus(VDS_DRS_FAILED), S_OK);
    EXPECT_THAT(sink.take(), ElementsAre(Notice{VDS_NF_DRIVE_MODIFY, id(kDrive3)},
                                         Notice{VDS_NF_LUN_MODIFY, id(kMirroredLun)}));
    // Asking for the status it already has changes nothing and says nothing.
    ASSERT_EQ(drive->SetStatus(VDS_DRS_FAILED), S_OK);
    EXPECT_THAT(sink.take(), IsEmpty());

    auto lun = get<IVdsLun>(kMirroredLun, VDS_OT_LUN);
    VDS_LUN_PROP prop{};
    ASSERT_EQ(lun->GetProperties(&prop), S_OK);
    EXPECT_EQ(prop.status, VDS_LS_ONLINE);
    EXPECT_EQ(prop.health, VDS_H_FAILED_REDUNDANCY);
    CoTaskMemFree(prop.pwszFriendlyName);
    CoTaskMemFree(prop.pwszIdentification);
    CoTaskMemFree(prop.pwszUnmaskingList);
}

TEST_F(HardwareChanges, ReplacingADriveMovesItsStretchesAndRebuildsTheLun) {
    ASSERT_EQ(get<IVdsDrive>(kDrive3, VDS_OT_DRIVE)->SetStatus(VDS_DRS_FAILED), S_OK);
    sink.take();
    auto subsystem = get<IVdsSubSystem>(kSubSystem, VDS_OT_SUB_SYSTEM);
    ASSERT_EQ(subsystem->ReplaceDrive(id(kDrive3), id(kSpareDrive)), S_OK);
    EXPECT_THAT(sink.take(), ElementsAre(Notice{VDS_NF_DRIVE_MODIFY, id(kDrive3)},
                                         Notice{VDS_NF_DRIVE_MODIFY, id(kSpareDrive)},
                                         Notice{VDS_NF_LUN_MODIFY, id(kMirroredLun)},
                                         Notice{VDS_NF_DRIVE_REMOVED, id(kDrive3)}));
    VDS_DRIVE_EXTENT* extents = nullptr;
    LONG count = 0;
    ASSERT_EQ(get<IVdsDrive>(kSpareDrive, VDS_OT_DRIVE)->QueryExtents(&extents, &count), S_OK);
    bool holdsLun = false;
    for (LONG i = 0; i < count; ++i) holdsLun = holdsLun || extents[i].LunId == id(kMirroredLun);
    CoTaskMemFree(extents);
    EXPECT_TRUE(holdsLun);
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
    EXPECT_THAT(sink.take(), ElementsAre(Notice{VDS_NF_SUB_SYSTEM_MODIFY, id(kSubSystem)},
                                         Notice{VDS_NF_CONTROLLER_MODIFY, id(kControllerB)},
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
