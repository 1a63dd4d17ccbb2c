#include <gtest/gtest.h>

#include <optional>

#include "default_machine.h"
#include "fault_sweep.h"
#include "platform/vds_interfaces.h"
#include "sample_requests.h"
#include "service_fixture.h"
#include "tolvane.h"
#include "vds_sim.h"

namespace {

using namespace machine;

// Status and health of one object as a short list (0x0093, 0x0094, 0x0096) reports it.
struct Reported {
    int status;
    int health;
    std::uint32_t flags;
    GUID id;
};

// Where each list's records keep their status, health and flags.
struct ListLayout {
    int code;
    std::size_t status, health, flags;
};
constexpr ListLayout kDrives{0x0093, 32, 34, 28};
constexpr ListLayout kLuns{0x0094, 36, 38, 28};
constexpr ListLayout kControllers{0x0096, 20, 24, 20};  // controllers carry no flags

std::optional<Reported> reported(const ListLayout& list, const GUID& id) {
    const Reply r = runCommand(RequestBytes(list.code).guid(20, kSubSystem).data());
    std::size_t at = 14;
    for (int i = 0; i < r.int16(12); ++i) {
        if (compareGUID(r.guid(at + 4), id) == 1)
            return Reported{r.int16(at + list.status), r.int16(at + list.health),
                            static_cast<std::uint32_t>(r.int32(at + list.flags)), id};
        at += static_cast<std::size_t>(r.int32(at));
    }
    return std::nullopt;
}

std::vector<unsigned char> withArgument(int code, const GUID& object, int width, std::int32_t value) {
    RequestBytes r(code);
    r.guid(4, kHwProvider).guid(20, kSubSystem).guid(36, object);
    if (width == 2)
        r.int16(52, value);
    else
        r.int32(52, value);
    return r.data();
}

std::vector<unsigned char> setDriveStatus(const GUID& drive, int status) {
    return withArgument(0x0122, drive, 2, status);
}

std::vector<unsigned char> replaceDrive(const GUID& replaced, const GUID& replacement,
                                        const GUID& subsystem = kSubSystem) {
    return RequestBytes(0x0124).guid(20, subsystem).guid(36, replaced).guid(52, replacement).data();
}

std::vector<unsigned char> maintenance(int kind, const GUID& target, int operation, int action,
                                       int pulses = 0) {
    return RequestBytes(0x0126)
        .int16(20, kind)
        .guid(24, target)
        .int16(56, operation)
        .int32(60, action)
        .int32(64, pulses)
        .data();
}

std::vector<unsigned char> getDrive(const GUID& subsystem, int bus, int slot) {
    return RequestBytes(0x0127).guid(4, subsystem).int16(20, bus).int16(22, slot).data();
}

constexpr int kOnline = 1, kOffline = 4, kFailed = 5;
constexpr int kHealthy = 1, kFailedRedundancy = 6, kHealthFailed = 8;
constexpr std::int32_t kInvalidArg = static_cast<std::int32_t>(0x80070057);
constexpr std::int32_t kNotSupported = static_cast<std::int32_t>(0x80042400);
constexpr std::int32_t kDeviceInUse = static_cast<std::int32_t>(0x80042413);

class HardwareManagement : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        connect();
    }
};

TEST_F(HardwareManagement, StatusChangesReadBackThroughTheLists) {
    struct Case {
        std::vector<unsigned char> request;
        ListLayout list;
        GUID object;
        int status;
        const char* printed;
    };
    const Case cases[] = {
        {RequestBytes(0x0121).guid(20, kSubSystem).int16(36, kOffline).data(), {0x0092, 0, 0, 0}, kSubSystem,
         kOffline, "VDS: SubSystem ID: 20000000-0000-4000-8000-000000000001, status: 4\n"},
        {withArgument(0x0123, kControllerB, 2, kOffline), kControllers, kControllerB, kOffline,
         "VDS: Controller ID: 30000000-0000-4000-8000-000000000002, status: 4\n"},
        {setDriveStatus(kFreeDrive, kOffline), kDrives, kFreeDrive, kOffline,
         "VDS: Drive ID: 40000000-0000-4000-8000-000000000006, status: 4\n"},
    };
    for (const Case& c : cases) {
        const Reply reply = runCommand(c.request);
        EXPECT_EQ(reply.status(), 0) << reply.printed;
        EXPECT_EQ(reply.printed.substr(0, reply.printed.find('\n') + 1), c.printed);
        if (c.list.code == 0x0092) continue;  // the subsystem's own record is checked below
        const auto seen = reported(c.list, c.object);
        ASSERT_TRUE(seen);
        EXPECT_EQ(seen->status, c.status);
    }
    const Reply subsystems = runCommand(RequestBytes(0x0092).guid(4, kHwProvider).data());
    EXPECT_EQ(subsystems.int16(14 + 28), kOffline);
}

TEST_F(HardwareManagement, StatusValuesTheObjectCannotTakeAreRefused) {
    const std::pair<std::vector<unsigned char>, std::int32_t> cases[] = {
        {RequestBytes(0x0121).guid(20, kSubSystem).int16(36, 0).data(), kInvalidArg},
        {RequestBytes(0x0121).guid(20, kSubSystem).int16(36, 3).data(), kInvalidArg},
        {setDriveStatus(kDrive1, 0), kInvalidArg},
        {setDriveStatus(kDrive1, 8), kNotSupported},  // only a hand can pull a drive
        {withArgument(0x0123, kControllerA, 2, -1), kInvalidArg},
    };
    const auto before = VdsSimModelDigest();
    for (const auto& [request, result] : cases) {
        const Reply reply = runCommand(request);
        EXPECT_EQ(reply.status(), -100);
        EXPECT_EQ(reply.addStatus(), result);
    }
    EXPECT_EQ(VdsSimModelDigest(), before);
}

TEST_F(HardwareManagement, AFailedDriveDegradesTheLunsOnItAndAReplacementHealsThem) {
    // Without its hot spare the subsystem cannot heal the mirror by itself.
    ASSERT_EQ(runCommand(withArgument(0x0301, kSpareDrive, 4, 1)).status(), 0);
    ASSERT_EQ(runCommand(setDriveStatus(kDrive3, kFailed)).status(), 0);
    VdsSimWaitIdle();
    EXPECT_EQ(reported(kDrives, kDrive3)->health, kHealthFailed);
    const auto mirror = reported(kLuns, kMirroredLun);
    EXPECT_EQ(mirror->status, kOnline);  // the other plex still serves it
    EXPECT_EQ(mirror->health, kFailedRedundancy);
    // The plex on the failed drive has failed; LUN plex records are 44 bytes, identifier first.
    const Reply plexes = runCommand(withArgument(0x0097, kMirroredLun, 2, 0));
    ASSERT_EQ(plexes.int16(12), 2);
    for (std::size_t at = 14; at < 14 + 2 * 44; at += 44) {
        const bool onFailedDrive = compareGUID(plexes.guid(at), kMirroredLunPlex2) == 1;
        EXPECT_EQ(plexes.int16(at + 36), onFailedDrive ? kFailed : kOnline);
        EXPECT_EQ(plexes.int16(at + 38), onFailedDrive ? kHealthFailed : kHealthy);
    }

    ASSERT_EQ(runCommand(setDriveStatus(kDrive4, kFailed)).status(), 0);
    const auto stripe = reported(kLuns, kStripeLun);
    EXPECT_EQ(stripe->status, kFailed);  // a stripe has no redundancy
    EXPECT_EQ(stripe->health, kHealthFailed);

    const Reply replaced = runCommand(replaceDrive(kDrive3, kSpareDrive));
    EXPECT_EQ(replaced.status(), 0);
    EXPECT_EQ(replaced.printed.substr(0, replaced.printed.find('\n') + 1),
              "VDS: Subsystem ID: 20000000-0000-4000-8000-000000000001, replace drive 1: "
              "40000000-0000-4000-8000-000000000003, replace drive 2: 40000000-0000-4000-8000-000000000008\n");
    // The copy on the replacement is rebuilt over time, then the mirror is whole.
    VdsSimWaitIdle();
    EXPECT_EQ(reported(kLuns, kMirroredLun)->health, kHealthy);
    // The extents moved: the replacement now reports the LUN's stretch.
    const Reply extents = runCommand(withArgument(0x0095, kSpareDrive, 2, 0));
    ASSERT_EQ(extents.status(), 0);
    EXPECT_GE(extents.int16(12), 1);
}

TEST_F(HardwareManagement, ReplaceDriveNamesTheMissingObjectWithoutCallingVds) {
    struct Case {
        std::vector<unsigned char> request;
        int status;
    };
    const Case cases[] = {
        {replaceDrive(kDrive3, kFreeDrive, kUnknown), -1},
        {replaceDrive(kUnknown, kFreeDrive), -2},
        {replaceDrive(kDrive3, kUnknown), -3},
    };
    for (const Case& c : cases) {
        VdsSimJournalClear();
        VdsSimJournalEnable(1);
        const Reply reply = runCommand(c.request);
        VdsSimJournalEnable(0);
        EXPECT_EQ(reply.status(), c.status);
        EXPECT_EQ(reply.bytes.size(), 12u);
        char line[256];
        for (std::size_t i = 0; i < VdsSimJournalSize(); ++i) {
            VdsSimJournalEntry(i, line, sizeof line);
            EXPECT_EQ(std::string(line).find("ReplaceDrive"), std::string::npos) << line;
        }
    }
    // A replacement that already holds data is refused by the subsystem.
    const Reply busy = runCommand(replaceDrive(kDrive3, kDrive4));
    EXPECT_EQ(busy.status(), -100);
    EXPECT_EQ(busy.addStatus(), kDeviceInUse);
}

TEST_F(HardwareManagement, GetDriveFindsTheDriveByBusAndSlot) {
    const Reply reply = runCommand(getDrive(kSubSystem, 1, 3));
    EXPECT_EQ(reply.printed,
              "VDS: Subsystem ID: 20000000-0000-4000-8000-000000000001, bus number 1, slot number 3\n");
    ASSERT_EQ(reply.status(), 0);
    EXPECT_EQ(compareGUID(reply.guid(12 + 4), kSpareDrive), 1);
    EXPECT_EQ(reply.int16(12 + 36), 1);
    EXPECT_EQ(reply.int16(12 + 38), 3);
    EXPECT_EQ(reply.bytes.size(), 12u + static_cast<std::size_t>(reply.int32(12)));

    EXPECT_EQ(runCommand(getDrive(kUnknown, 1, 3)).status(), -1);
    const Reply empty = runCommand(getDrive(kSubSystem, 7, 7));
    EXPECT_EQ(empty.status(), -100);
    EXPECT_EQ(empty.bytes.size(), 12u);
}

TEST_F(HardwareManagement, DriveFlagsOnlyTheHotSpareBelongsToTheCaller) {
    EXPECT_EQ(runCommand(withArgument(0x0300, kFreeDrive, 4, 1)).status(), 0);
    EXPECT_EQ(reported(kDrives, kFreeDrive)->flags & 1u, 1u);
    const Reply byPosition = runCommand(getDrive(kSubSystem, 1, 1));  // drive 1.1
    ASSERT_EQ(byPosition.status(), 0);
    EXPECT_EQ(compareGUID(byPosition.guid(12 + 4), kFreeDrive), 1);
    EXPECT_EQ(byPosition.int32(12 + 28) & 1, 1);
    EXPECT_EQ(runCommand(withArgument(0x0301, kFreeDrive, 4, 1)).status(), 0);
    EXPECT_EQ(reported(kDrives, kFreeDrive)->flags & 1u, 0u);

    const Reply inUse = runCommand(withArgument(0x0300, kDrive1, 4, 1));
    EXPECT_EQ(inUse.addStatus(), kDeviceInUse);
    const Reply providerOwned = runCommand(withArgument(0x0300, kFreeDrive, 4, 2));
    EXPECT_EQ(providerOwned.addStatus(), kInvalidArg);
    EXPECT_EQ(runCommand(withArgument(0x0300, kUnknown, 4, 1)).status(), -1);
}

TEST_F(HardwareManagement, MaintenanceRunsStopsAndPulsesWhatTheObjectSupports) {
    struct Case {
        int kind;
        GUID target;
        int operation;
        int action;
        int status;
        std::int32_t addStatus;
    };
    constexpr int kBlink = 1, kBeep = 2, kSpinDown = 3;
    const Case cases[] = {
        {0, kSubSystem, kBeep, 0, 0, 0},
        {0, kSubSystem, kBeep, 2, 0, 0},            // pulses, then stops
        {0, kSubSystem, kBeep, 1, -100, S_FALSE},   // no longer running
        {1, kControllerA, kBlink, 1, -100, S_FALSE},
        {1, kControllerA, kBeep, 0, -100, kNotSupported},
        {2, kDrive1, kSpinDown, 0, 0, 0},
        {2, kDrive1, kSpinDown, 2, -100, kNotSupported},
        {2, kDrive1, kSpinDown, 1, 0, 0},
        {2, kDrive1, 9, 0, -100, kInvalidArg},
        {1, kUnknown, kBlink, 0, -2, 0},
        {2, kUnknown, kBlink, 0, -3, 0},
        {0, kUnknown, kBlink, 0, -1, 0},
    };
    for (const Case& c : cases) {
        const Reply reply = runCommand(maintenance(c.kind, c.target, c.operation, c.action));
        EXPECT_EQ(reply.status(), c.status) << c.kind << "/" << c.operation << "/" << c.action;
        EXPECT_EQ(reply.addStatus(), c.addStatus) << c.kind << "/" << c.operation << "/" << c.action;
        EXPECT_EQ(reply.printed.rfind("Output size", 0), 0u) << reply.printed;
    }
}

TEST_F(HardwareManagement, MaintenanceOfAnUnknownKindOrActionAsksNothingOfVds) {
    for (const auto& request : {maintenance(3, kDrive1, 1, 0), maintenance(2, kUnknown, 1, 7)}) {
        VdsSimJournalClear();
        VdsSimJournalEnable(1);
        const Reply reply = runCommand(request);
        VdsSimJournalEnable(0);
        EXPECT_EQ(reply.status(), 0);
        EXPECT_EQ(VdsSimJournalSize(), 0u);
    }
}

TEST_F(HardwareManagement, ResetAndMaintenanceFailuresCarryTheResult) {
    const Reply reset = runCommand(RequestBytes(0x0125).guid(36, kControllerA).data());
    EXPECT_EQ(reset.status(), 0);
    EXPECT_EQ(reset.printed.rfind("Output size", 0), 0u);
    EXPECT_EQ(reset.printed.find("VDS:"), std::string::npos);

    VdsSimInjectFault("IVdsMaintenance::StartMaintenance", 0, E_FAIL);
    const Reply failed = runCommand(maintenance(0, kSubSystem, 1, 0));
    EXPECT_EQ(failed.status(), -100);
    EXPECT_EQ(failed.addStatus(), E_FAIL);
    VdsSimClearFaults();

    VdsSimRefuseInterface(&kDrive1, &IID_IVdsMaintenance);
    const Reply refused = runCommand(maintenance(2, kDrive1, 1, 0));
    EXPECT_EQ(refused.status(), -100);
    EXPECT_EQ(refused.addStatus(), E_NOINTERFACE);
    VdsSimClearFaults();

    // The object's own interface missing is a VDS error too, with QueryInterface's result.
    VdsSimRefuseInterface(&kDrive1, &IID_IVdsDrive);
    const Reply noDrive = runCommand(setDriveStatus(kDrive1, kOffline));
    EXPECT_EQ(noDrive.status(), -100);
    EXPECT_EQ(noDrive.addStatus(), E_NOINTERFACE);
    VdsSimClearFaults();
}

TEST_F(HardwareManagement, RequestsTooShortGetTheNullReply) {
    // Each command's sample, cut one byte short of the last field it reads.
    const std::pair<int, std::size_t> reach[] = {{0x0121, 38}, {0x0122, 54}, {0x0123, 54},
                                                 {0x0124, 68}, {0x0125, 52}, {0x0126, 68},
                                                 {0x0127, 24}, {0x0300, 56}, {0x0301, 56}};
    for (const auto& [code, end] : reach) {
        auto request = *sampleRequest(code);
        request.resize(end - 1);
        VdsSimJournalClear();
        VdsSimJournalEnable(1);
        EXPECT_TRUE(runCommand(request).null) << std::hex << code;
        VdsSimJournalEnable(0);
        EXPECT_EQ(VdsSimJournalSize(), 0u) << std::hex << code;
    }
}

TEST_F(HardwareManagement, EveryFailedCallLeavesTheMachineAsItWas) {
    // Requests that change the machine when they succeed, each on a fresh machine.
    const std::vector<unsigned char> changing[] = {
        RequestBytes(0x0121).guid(20, kSubSystem).int16(36, kOffline).data(),
        setDriveStatus(kDrive3, kFailed),
        withArgument(0x0123, kControllerB, 2, kOffline),
        replaceDrive(kDrive3, kSpareDrive),
        RequestBytes(0x0125).guid(36, kControllerA).data(),
        maintenance(0, kSubSystem, 1, 0),
        getDrive(kSubSystem, 0, 2),
        withArgument(0x0300, kFreeDrive, 4, 1),
        withArgument(0x0301, kSpareDrive, 4, 1),
    };
    for (const auto& request : changing) {
        VdsSimLoadDefault();
        EXPECT_GT(runFaultSweep(request), 0) << std::hex << request[2];
    }
    VdsSimLoadDefault();
}

}  // namespace
