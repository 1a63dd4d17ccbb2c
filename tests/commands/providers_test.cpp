#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "directory/records.h"
#include "fault_sweep.h"
#include "default_machine.h"
#include "lane.h"
#include "service_fixture.h"
#include "stdout_capture.h"
#include "tolvane.h"
#include "vds_sim.h"

namespace {

constexpr GUID kHwProvider = machine::kHwProvider;
constexpr GUID kBasicProvider = machine::kBasicProvider;
constexpr GUID kDynamicProvider = machine::kDynamicProvider;

std::vector<unsigned char> providerRequest(int code, const GUID& provider) {
    return RequestBytes(code).guid(4, provider).data();
}

std::vector<unsigned char> freeSpaceRequest(const std::string& path) {
    return RequestBytes(0x1001).int32(4, static_cast<std::int32_t>(path.size())).bytes(8, path).data();
}

std::string textAt(const Reply& r, std::size_t record, std::size_t refAt) {
    const auto length = static_cast<std::size_t>(r.int16(record + refAt));
    const auto offset = static_cast<std::size_t>(r.int16(record + refAt + 2));
    return std::string(reinterpret_cast<const char*>(r.bytes.data() + record + offset), length);
}

class ProviderCommands : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        connect();
    }
};

TEST_F(ProviderCommands, HardwareProvidersLeaveOutTheSampleProviderOnly) {
    const Reply reply = runCommand(RequestBytes(0x0091).data());
    EXPECT_EQ(reply.printed, "");
    ASSERT_EQ(reply.status(), 0);
    ASSERT_EQ(reply.int16(12), 1);
    EXPECT_EQ(compareGUID(reply.guid(18), kHwProvider), 1);
    EXPECT_EQ(textAt(reply, 14, 52), "Tolvane RAID Provider");
    EXPECT_EQ(reply.int16(14 + 56 + 2), kProviderRecordFixed + 21);
    EXPECT_EQ(reply.bytes.size(), 14u + static_cast<std::size_t>(reply.int32(14)));
}

TEST_F(ProviderCommands, SoftwareProvidersAreAllListed) {
    const Reply reply = runCommand(RequestBytes(0x0400).data());
    ASSERT_EQ(reply.int16(12), 2);
    EXPECT_EQ(compareGUID(reply.guid(18), kBasicProvider), 1);
    const std::size_t second = 14 + static_cast<std::size_t>(reply.int32(14));
    EXPECT_EQ(compareGUID(reply.guid(second + 4), kDynamicProvider), 1);
    EXPECT_EQ(reply.bytes.size(), second + static_cast<std::size_t>(reply.int32(second)));
}

TEST_F(ProviderCommands, ProviderListsReportAServiceThatIsNotReadyAndAFailedQuery) {
    VdsSimInjectFault("IVdsService::IsServiceReady", 0, S_FALSE);
    Reply reply = runCommand(RequestBytes(0x0091).data());
    EXPECT_EQ(reply.status(), -1);
    EXPECT_EQ(reply.bytes.size(), 14u);
    VdsSimClearFaults();
    VdsSimInjectFault("IVdsService::QueryProviders", 0, E_FAIL);
    reply = runCommand(RequestBytes(0x0400).data());
    EXPECT_EQ(reply.status(), -2);
    EXPECT_EQ(reply.bytes.size(), 14u);
}

TEST_F(ProviderCommands, SubSystemsAndPacksOfAProvider) {
    Reply reply = runCommand(providerRequest(0x0092, kHwProvider));
    EXPECT_EQ(reply.printed, "VDS: Provider ID: 10000000-0000-4000-8000-000000000001\n");
    ASSERT_EQ(reply.int16(12), 1);
    EXPECT_EQ(textAt(reply, 14, 40), "Tolvane RAID 5400");
    EXPECT_EQ(textAt(reply, 14, 44), "TLV-5400-SN-000117");

    // The basic provider keeps a pack for each of its two disks, each with no
    // name: 32-byte records with TextRef (0, 32).
    reply = runCommand(providerRequest(0x0401, kBasicProvider));
    ASSERT_EQ(reply.int16(12), 2);
    for (int at : {14, 14 + kPackRecordFixed}) {
        EXPECT_EQ(reply.int32(at), kPackRecordFixed);
        EXPECT_EQ(reply.int16(at + 28), 0);
        EXPECT_EQ(reply.int16(at + 30), 32);
    }

    reply = runCommand(providerRequest(0x0401, kDynamicProvider));
    ASSERT_EQ(reply.int16(12), 1);
    EXPECT_EQ(textAt(reply, 14, 28), "TOLVANE-Dg0");
}

TEST_F(ProviderCommands, ProvidersAreLookedUpAmongTheirOwnKindOnly) {
    struct Case {
        int code;
        GUID provider;
        int status;
        std::size_t size;
    };
    const Case cases[] = {
        {0x0092, kBasicProvider, -1, 14},
        {0x0401, kHwProvider, -1, 14},
        {0x1000, kBasicProvider, -1, 12},
        {0x0092, g_guidMsHwProviderSample, 0, 14},  // a provider without subsystems
    };
    for (const Case& c : cases) {
        const Reply reply = runCommand(providerRequest(c.code, c.provider));
        EXPECT_EQ(reply.status(), c.status) << c.code;
        EXPECT_EQ(reply.bytes.size(), c.size) << c.code;
        EXPECT_NE(reply.printed.find("Output size:"), std::string::npos) << c.code;
    }
}

TEST_F(ProviderCommands, RefreshAndRescanAnswerWithTheVdsResult) {
    Reply reply = runCommand(providerRequest(0x1000, kHwProvider));
    EXPECT_EQ(reply.status(), 0);
    EXPECT_EQ(reply.bytes.size(), 12u);
    reply = runCommand(RequestBytes(0x1002).data());
    EXPECT_EQ(reply.status(), 0);
    // The rescan's notifications may print in between, from the service's thread.
    EXPECT_EQ(reply.printed.rfind("VDS cmdReenumerate\n", 0), 0u);
    EXPECT_NE(reply.printed.find("Output size:12, cmd: 1002, status:0, addStatus:0x0\n"),
              std::string::npos);

    VdsSimInjectFault("IVdsHwProvider::Refresh", 1, static_cast<HRESULT>(0x80042444u));
    reply = runCommand(providerRequest(0x1000, kHwProvider));
    EXPECT_EQ(reply.status(), -100);
    EXPECT_EQ(static_cast<std::uint32_t>(reply.addStatus()), 0x80042444u);
    VdsSimInjectFault("IVdsService::Reenumerate", 1, S_FALSE);
    reply = runCommand(RequestBytes(0x1002).data());
    EXPECT_EQ(reply.status(), -100);
    EXPECT_EQ(reply.addStatus(), S_FALSE);
}

TEST_F(ProviderCommands, ProviderCommandsSurviveEveryFailingCall) {
    const std::vector<std::vector<unsigned char>> requests = {
        RequestBytes(0x0091).data(), RequestBytes(0x0400).data(),
        providerRequest(0x0092, kHwProvider), providerRequest(0x0401, kDynamicProvider),
        providerRequest(0x1000, kHwProvider), RequestBytes(0x1002).data()};
    for (const auto& request : requests) EXPECT_GT(runFaultSweep(request), 0);
}

TEST_F(ProviderCommands, FreeSpaceOfADriveLetterComesFromItsFileSystem) {
    TOLVANE_LINUX_STAND_INS_ONLY("the simulated machine's drive letters");
    const Reply reply = runCommand(freeSpaceRequest("F:\\"));
    ASSERT_EQ(reply.bytes.size(), 36u);
    EXPECT_EQ(reply.status(), 0);
    EXPECT_EQ(reply.uint64(20), 200ull << 30);
    EXPECT_GT(reply.uint64(28), 0u);
    EXPECT_LE(reply.uint64(28), reply.uint64(20));
    EXPECT_EQ(reply.uint64(12), reply.uint64(28));
    EXPECT_NE(reply.printed.find("VDS: Root Path length: 3\n\n\nGetDiskFreeSpaceEx reports\n\n"
                                 "Available space to caller = "),
              std::string::npos);
    EXPECT_NE(reply.printed.find("Total space               = 204800 MB\n"), std::string::npos);
}

TEST_F(ProviderCommands, FreeSpaceOfAnUnknownLetterIsASystemError) {
    TOLVANE_LINUX_STAND_INS_ONLY("the simulated machine's drive letters");
    const Reply reply = runCommand(freeSpaceRequest("Q:"));
    EXPECT_EQ(reply.bytes.size(), 12u);
    EXPECT_EQ(reply.status(), -101);
    EXPECT_EQ(reply.addStatus(), 3);  // ERROR_PATH_NOT_FOUND
}

TEST_F(ProviderCommands, FreeSpaceOfADevicePathIsItsPartitionLengthOrZero) {
    char name[] = "/tmp/tolvane-not-a-device-XXXXXX";
    const int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    ::close(fd);
    for (const std::string& path : {std::string(), std::string(name), std::string("/nonexistent/dev")}) {
        const Reply reply = runCommand(freeSpaceRequest(path));
        ASSERT_EQ(reply.bytes.size(), 36u) << path;
        EXPECT_EQ(reply.status(), 0);
        EXPECT_EQ(reply.uint64(12) | reply.uint64(20) | reply.uint64(28), 0u) << path;
    }
    std::remove(name);
}

TEST_F(ProviderCommands, FreeSpaceNeverReadsPastThePath) {
    struct Case {
        std::int32_t length;
        std::size_t present;
    };
    for (const Case& c : {Case{10, 4}, Case{-1, 0}, Case{0x7FFFFFFF, 8}}) {
        auto request = RequestBytes(0x1001).int32(4, c.length).bytes(8, std::string(c.present, 'C')).data();
        const Reply reply = runCommand(request);
        EXPECT_TRUE(reply.null) << c.length;
        EXPECT_EQ(reply.outSize, 0);
    }
    // A zero byte ends the path, as in a terminated copy.
    TOLVANE_LINUX_STAND_INS_ONLY("the simulated machine's drive letters");
    const Reply reply = runCommand(freeSpaceRequest(std::string("F:\0zz", 5)));
    EXPECT_EQ(reply.status(), 0);
    EXPECT_EQ(reply.uint64(20), 200ull << 30);
}

class OnlyTheSampleProvider : public ServiceTest {};

TEST_F(OnlyTheSampleProvider, ListsNoHardwareProviderAndNoSoftwareProvider) {
    ASSERT_EQ(VdsSimLoadTopologyJson(R"({"hardwareProviders": [{
        "id": "6C9FEAEE-8193-400B-882C-49A83B50F862", "name": "Sample", "version": "1.0"}]})"),
              0);
    connect();
    for (int code : {0x0091, 0x0400}) {
        const Reply reply = runCommand(RequestBytes(code).data());
        EXPECT_EQ(reply.status(), 0);
        EXPECT_EQ(reply.int16(12), 0);
        EXPECT_EQ(reply.bytes.size(), 14u);
    }
}

}  // namespace

namespace {

// A machine read from a file that changes while the connection is open.
class ChangingMachine : public ServiceTest {
protected:
    void write(int drives) {
        std::string json = R"({"hardwareProviders": [{"id": "10000000-0000-4000-8000-000000000001",
            "name": "P", "version": "1", "subsystems": [{"id": "20000000-0000-4000-8000-000000000001",
            "drives": [)";
        for (int i = 1; i <= drives; ++i) {
            char drive[128];
            std::snprintf(drive, sizeof drive, R"(%s{"id": "40000000-0000-4000-8000-%012d", "slot": %d, "size": "1 GiB"})",
                          i > 1 ? "," : "", i, i - 1);
            json += drive;
        }
        json += "]}]}]}";
        FILE* f = std::fopen(path_.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs(json.c_str(), f);
        std::fclose(f);
    }
    void TearDown() override {
        ServiceTest::TearDown();
        ::unsetenv("TOLVANE_SIM_TOPOLOGY");
        std::remove(path_.c_str());
        VdsSimLoadDefault();
    }
    std::string path_ = "/tmp/tolvane-changing-machine-" + std::to_string(::getpid()) + ".json";
};

TEST_F(ChangingMachine, ARescanPicksUpTheNewDescriptionAndNotifies) {
    write(2);
    ::setenv("TOLVANE_SIM_TOPOLOGY", path_.c_str(), 1);
    VdsSimUseEnvironmentTopology();
    connect();
    const auto drives = RequestBytes(0x0093).guid(20, guidOf("20000000-0000-4000-8000-000000000001")).data();
    EXPECT_EQ(runCommand(drives).int16(12), 2);

    write(3);
    EXPECT_EQ(runCommand(drives).int16(12), 2);  // nothing changes before the rescan
    EXPECT_EQ(runCommand(RequestBytes(0x1002).data()).status(), 0);
    VdsSimWaitNotificationsDelivered();
    EXPECT_EQ(runCommand(drives).int16(12), 3);
}

}  // namespace
