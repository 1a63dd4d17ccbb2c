#include <gtest/gtest.h>

#include <cstring>

#include "directory/records.h"
#include "fault_sweep.h"
#include "platform/vds_interfaces.h"
#include "default_machine.h"
#include "service_fixture.h"
#include "stdout_capture.h"
#include "tolvane.h"
#include "vds_sim.h"

namespace {

constexpr GUID kProvider = machine::kHwProvider;
constexpr GUID kSubSystem = machine::kSubSystem;
constexpr GUID kControllerA = machine::kControllerA;
constexpr GUID kDrive1 = machine::kDrive1;
constexpr GUID kDrive4 = machine::kDrive4;
constexpr GUID kMirroredLun = machine::kMirroredLun;
constexpr GUID kStripePlex = machine::kStripePlex;
constexpr GUID kUnknown = machine::kUnknown;

// A hardware request: provider at 4, subsystem at 20, object at 36, LUN plex at 52.
std::vector<unsigned char> hardwareRequest(int code, const GUID& subSystem,
                                           const GUID& object = GUID{},
                                           const GUID& plex = GUID{}) {
    RequestBytes r(code);
    r.guid(4, kProvider).guid(20, subSystem).guid(36, object);
    if (code == 0x0098) r.guid(52, plex);
    return r.data();
}

struct Command {
    int code;
    std::size_t targetEnd;  // the request must reach this far
    std::vector<unsigned char> request;
};

std::vector<Command> commandsOnTheDefaultMachine() {
    return {
        {0x0093, 36, hardwareRequest(0x0093, kSubSystem)},
        {0x0094, 36, hardwareRequest(0x0094, kSubSystem)},
        {0x0096, 36, hardwareRequest(0x0096, kSubSystem)},
        {0x0097, 52, hardwareRequest(0x0097, kSubSystem, kMirroredLun)},
        {0x0099, 52, hardwareRequest(0x0099, kSubSystem, kControllerA)},
        {0x0095, 52, hardwareRequest(0x0095, kSubSystem, kDrive4)},
        {0x0098, 68, hardwareRequest(0x0098, kSubSystem, kMirroredLun, kStripePlex)},
    };
}

// Sums the record lengths of a short list reply: a record with texts carries
// its length at its offset 0, the others are 44 bytes.
std::size_t listLength(const Reply& reply, bool fixed44) {
    std::size_t at = 14;
    for (int i = 0; i < reply.int16(12); ++i)
        at += fixed44 ? 44 : static_cast<std::size_t>(reply.int32(at));
    return at;
}

class HardwareQueries : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        connect();
    }
};

TEST_F(HardwareQueries, EveryCommandListsItsTargetOnTheDefaultMachine) {
    struct Expected {
        int code;
        int count;
        bool fixed44;
    };
    const Expected expected[] = {{0x0093, 8, false}, {0x0094, 3, false}, {0x0096, 2, false},
                                 {0x0097, 2, true},  {0x0099, 1, false}, {0x0095, 1, true},
                                 {0x0098, 2, true}};
    auto commands = commandsOnTheDefaultMachine();
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const Reply reply = runCommand(commands[i].request);
        SCOPED_TRACE(std::to_string(commands[i].code));
        ASSERT_FALSE(reply.null);
        EXPECT_EQ(reply.bytes[0], 0);
        EXPECT_EQ(reply.bytes[1], 1);
        EXPECT_EQ(reply.cmd(), expected[i].code);
        EXPECT_EQ(reply.status(), 0);
        EXPECT_GE(reply.int16(12), expected[i].count);
        EXPECT_EQ(reply.bytes.size(), listLength(reply, expected[i].fixed44));
        // Success replies are built directly, without the reply log line.
        EXPECT_EQ(reply.printed.find("Output size"), std::string::npos);
    }
}

TEST_F(HardwareQueries, DrivesComeAsDriveRecordsInEnumerationOrder) {
    const Reply reply = runCommand(hardwareRequest(0x0093, kSubSystem));
    EXPECT_EQ(reply.printed, "VDS: SubSystem ID: 20000000-0000-4000-8000-000000000001\n");
    ASSERT_EQ(reply.int16(12), 8);
    const std::size_t first = 14;
    EXPECT_EQ(reply.int32(first), kDriveRecordFixed + 9 + 11);
    EXPECT_EQ(std::memcmp(reply.bytes.data() + first + 4, &kDrive1, 16), 0);
    EXPECT_EQ(reply.uint64(first + 20), 64ull << 30);
    EXPECT_EQ(reply.int16(first + 40), 9);
    EXPECT_EQ(reply.int16(first + 42), 48);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(reply.bytes.data() + first + 48), 20),
              "Drive 0.0WD-SN-A0001");
}

TEST_F(HardwareQueries, ALunWithTwoPlexesAnswersTwoRecordsAt14And58) {
    const Reply reply = runCommand(hardwareRequest(0x0097, kSubSystem, kMirroredLun));
    EXPECT_EQ(reply.printed, "VDS: LUN ID: 50000000-0000-4000-8000-000000000002\n");
    ASSERT_EQ(reply.bytes.size(), 14u + 88u);
    EXPECT_EQ(reply.int16(12), 2);
    EXPECT_EQ(compareGUID(reply.guid(14), guidOf("51000000-0000-4000-8000-000000000002")), 1);
    EXPECT_EQ(compareGUID(reply.guid(58), guidOf("51000000-0000-4000-8000-000000000003")), 1);
}

TEST_F(HardwareQueries, UnknownIdentifiersAnswerNotFoundIn14Bytes) {
    const std::vector<std::vector<unsigned char>> requests = {
        hardwareRequest(0x0093, kUnknown), hardwareRequest(0x0094, kUnknown),
        hardwareRequest(0x0096, kUnknown), hardwareRequest(0x0097, kSubSystem, kUnknown),
        hardwareRequest(0x0099, kSubSystem, kUnknown), hardwareRequest(0x0095, kSubSystem, kUnknown),
        hardwareRequest(0x0098, kSubSystem, kMirroredLun, kUnknown),
        // An identifier of another kind of object is not found either.
        hardwareRequest(0x0097, kSubSystem, kDrive1),
    };
    for (const auto& request : requests) {
        const Reply reply = runCommand(request);
        EXPECT_EQ(reply.bytes.size(), 14u);
        EXPECT_EQ(reply.status(), -1);
        EXPECT_EQ(reply.addStatus(), 0);
        EXPECT_EQ(reply.int16(12), 0);
        EXPECT_NE(reply.printed.find("Output size:14, cmd: "), std::string::npos);
    }
}

TEST_F(HardwareQueries, AnObjectWithoutItsInterfaceAnswersTheCommandsOwnStatus) {
    struct Case {
        GUID object;
        const IID* iid;
        std::vector<unsigned char> request;
        int status;
        HRESULT addStatus;
    };
    const Case cases[] = {
        {kSubSystem, &IID_IVdsSubSystem, hardwareRequest(0x0093, kSubSystem), -3, 0},
        {kSubSystem, &IID_IVdsSubSystem, hardwareRequest(0x0094, kSubSystem), -1, 0},
        {kMirroredLun, &IID_IVdsLun, hardwareRequest(0x0097, kSubSystem, kMirroredLun), -3, 0},
        {kDrive4, &IID_IVdsDrive, hardwareRequest(0x0095, kSubSystem, kDrive4), -100, E_NOINTERFACE},
    };
    for (const Case& c : cases) {
        VdsSimClearFaults();
        VdsSimRefuseInterface(&c.object, c.iid);
        const Reply reply = runCommand(c.request);
        EXPECT_EQ(reply.bytes.size(), 14u);
        EXPECT_EQ(reply.status(), c.status);
        EXPECT_EQ(reply.addStatus(), c.addStatus);
        EXPECT_EQ(VdsSimLiveReferences(), 0);
    }
}

TEST_F(HardwareQueries, ADriveWhosePropertiesFailIsLeftOut) {
    VdsSimFailProperties(&kDrive1, E_FAIL);
    const Reply reply = runCommand(hardwareRequest(0x0093, kSubSystem));
    EXPECT_EQ(reply.status(), 0);
    EXPECT_EQ(reply.int16(12), 7);
    EXPECT_EQ(reply.bytes.size(), listLength(reply, false));
}

TEST_F(HardwareQueries, ExtentQueriesTreatFalseAsSuccessAndFailuresAsVdsErrors) {
    VdsSimInjectFault("IVdsDrive::QueryExtents", 1, S_FALSE);
    Reply reply = runCommand(hardwareRequest(0x0095, kSubSystem, kDrive4));
    EXPECT_EQ(reply.status(), 0);
    EXPECT_EQ(reply.bytes.size(), 14u);

    VdsSimClearFaults();
    VdsSimInjectFault("IVdsLunPlex::QueryExtents", 1, static_cast<HRESULT>(0x80042405u));
    reply = runCommand(hardwareRequest(0x0098, kSubSystem, kMirroredLun, kStripePlex));
    EXPECT_EQ(reply.status(), -100);
    EXPECT_EQ(static_cast<std::uint32_t>(reply.addStatus()), 0x80042405u);
    EXPECT_EQ(reply.bytes.size(), 14u);
}

TEST_F(HardwareQueries, DriveExtentsCarryTheLunAndTheUsedFlag) {
    const Reply reply = runCommand(hardwareRequest(0x0098, kSubSystem, kMirroredLun, kStripePlex));
    ASSERT_EQ(reply.int16(12), 2);
    ASSERT_EQ(reply.bytes.size(), 14u + 88u);
    EXPECT_EQ(compareGUID(reply.guid(14), kDrive4), 1);
    EXPECT_EQ(compareGUID(reply.guid(30), guidOf("50000000-0000-4000-8000-000000000003")), 1);
    EXPECT_EQ(reply.uint64(46), 16ull << 30);
    EXPECT_EQ(reply.bytes[54], 1);
    EXPECT_EQ(reply.bytes[55] | reply.bytes[56] | reply.bytes[57], 0);
}

TEST_F(HardwareQueries, RequestsTooShortForTheirTargetGetTheNullReplyBeforeAnyCall) {
    for (const Command& c : commandsOnTheDefaultMachine()) {
        for (std::size_t size = 4; size < c.targetEnd; ++size) {
            VdsSimJournalClear();
            const Reply reply = runCommand(c.request, static_cast<int>(size));
            EXPECT_TRUE(reply.null) << c.code << " at " << size;
            EXPECT_EQ(reply.outSize, 0);
            EXPECT_TRUE(journal().empty()) << c.code << " at " << size;
        }
    }
}

TEST_F(HardwareQueries, WithoutAConnectionEveryLookupAnswersNotFound) {
    capturedStdout([] { vdsUninitialize(); });
    for (const Command& c : commandsOnTheDefaultMachine()) {
        const Reply reply = runCommand(c.request);
        EXPECT_EQ(reply.status(), -1) << c.code;
        EXPECT_EQ(reply.bytes.size(), 14u);
    }
}

TEST_F(HardwareQueries, EveryFailingCallGivesADefinedAnswerAndLeavesNoReference) {
    for (const Command& c : commandsOnTheDefaultMachine())
        EXPECT_GT(runFaultSweep(c.request), 2) << c.code;
}

class EmptySubSystem : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        ASSERT_EQ(VdsSimLoadTopologyJson(R"({"hardwareProviders": [{
            "id": "10000000-0000-4000-8000-000000000001", "name": "P", "version": "1",
            "subsystems": [{"id": "20000000-0000-4000-8000-000000000001"}]}]})"),
                  0);
        connect();
    }
};

TEST_F(EmptySubSystem, NoDrivesIsNotFoundButNoLunsOrControllersIsAnEmptyList) {
    const Reply drives = runCommand(hardwareRequest(0x0093, kSubSystem));
    EXPECT_EQ(drives.bytes.size(), 14u);
    EXPECT_EQ(drives.status(), -3);
    EXPECT_EQ(drives.printed,
              "VDS: SubSystem ID: 20000000-0000-4000-8000-000000000001\n"
              "Output size:14, cmd: 93, status:-3, addStatus:0x0\n");

    const Reply luns = runCommand(hardwareRequest(0x0094, kSubSystem));
    EXPECT_EQ(luns.bytes.size(), 14u);
    EXPECT_EQ(luns.status(), 0);
    // The LUN count's trace line has no line end, so the reply line follows on it.
    EXPECT_EQ(luns.printed,
              "VDS: SubSystem ID: 20000000-0000-4000-8000-000000000001\n"
              "vdsGetLunCount(IVdsSubSystem *)Output size:14, cmd: 94, status:0, addStatus:0x0\n");

    const Reply controllers = runCommand(hardwareRequest(0x0096, kSubSystem));
    EXPECT_EQ(controllers.bytes.size(), 14u);
    EXPECT_EQ(controllers.status(), 0);
}

}  // namespace

namespace {

// The service may open an enumeration, or find an object, with a success
// code other than S_OK; the command still lists what it found.
TEST_F(HardwareQueries, SuccessCodesOtherThanSOkStillList) {
    struct Case {
        const char* method;
        int code;
        int count;
    };
    const Case cases[] = {
        {"IVdsSubSystem::QueryDrives", 0x0093, 8},
        {"IVdsSubSystem::QueryLuns", 0x0094, 3},
        {"IVdsLun::QueryPlexes", 0x0097, 2},
        {"IVdsController::QueryAssociatedLuns", 0x0099, 2},
        {"IVdsService::GetObject", 0x0093, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method);
        VdsSimClearFaults();
        VdsSimSucceedWith(c.method, S_FALSE);
        const GUID object = c.code == 0x0097 ? kMirroredLun : kControllerA;
        const Reply reply = runCommand(hardwareRequest(c.code, kSubSystem, object));
        EXPECT_EQ(reply.status(), 0);
        EXPECT_EQ(reply.int16(12), c.count);
    }
    VdsSimClearFaults();
}

}  // namespace
