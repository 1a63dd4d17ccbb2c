// The pack commands against the simulated software providers: what each
// answers, what it changes (read back through the library's own lists), and
// which references it keeps or gives back.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "bridge/connection.h"
#include "commands/created_packs.h"
#include "default_machine.h"
#include "directory/providers.h"
#include "directory/records.h"
#include "fault_sweep.h"
#include "platform/com_ptr.h"
#include "service_fixture.h"
#include "stdout_capture.h"
#include "tolvane.h"
#include "vds_sim.h"

namespace {

using namespace machine;

constexpr GUID kSecondDynDisk = id("80000000-0000-4000-8000-000000000005");
constexpr int kDiskMissing = 6;
constexpr const char* kReleaseLine = "Release the new Pack interface....\n";

std::uint32_t u(std::int32_t v) { return static_cast<std::uint32_t>(v); }

std::vector<unsigned char> packAddress(int code, const GUID& pack) {
    return RequestBytes(code).guid(4, kDynamicProvider).guid(20, pack).data();
}
std::vector<unsigned char> createPack(const GUID& provider) {
    return RequestBytes(0x0416).guid(4, provider).data();
}
std::vector<unsigned char> addDisk(const GUID& pack, const GUID& disk, int style = 1, int hotSpare = 0) {
    return RequestBytes(0x0412).guid(4, pack).guid(20, disk).int32(36, style).int32(40, hotSpare).data();
}
std::vector<unsigned char> migrate(const GUID& source, const GUID& target, const GUID& disk,
                                   int queryOnly = 0) {
    return RequestBytes(0x0413)
        .guid(4, source)
        .guid(20, target)
        .int32(40, queryOnly)
        .int32(44, 1)
        .guid(48, disk)
        .data();
}
std::vector<unsigned char> replaceDisk(const GUID& pack, const GUID& oldDisk, const GUID& newDisk) {
    return RequestBytes(0x0414).guid(4, pack).guid(20, oldDisk).guid(36, newDisk).data();
}
std::vector<unsigned char> removeMissing(const GUID& pack, const GUID& disk) {
    return RequestBytes(0x0415).guid(4, pack).guid(20, disk).data();
}

bool same(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

class PackCommands : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        connect();
    }
    void TearDown() override {
        VdsSimSupportReplaceDisk(0);
        ServiceTest::TearDown();
    }
    // A new pack of the basic provider, made through the library: empty, to
    // take one disk (only one dynamic pack may be online).
    GUID newPack(const GUID& provider = kBasicProvider) {
        const Reply r = runCommand(createPack(provider));
        EXPECT_EQ(r.status(), 0);
        EXPECT_EQ(r.bytes.size(), 28u);
        return r.guid(12);
    }
    std::vector<GUID> disksOf(const GUID& pack) {
        const Reply r = runCommand(packAddress(0x0402, pack));
        std::vector<GUID> disks;
        for (int i = 0; i < r.int16(12); ++i) disks.push_back(r.guid(14 + i * kDiskRecordSize));
        return disks;
    }
};

TEST_F(PackCommands, DiskListsHoldOneRecordPerDiskBackToBack) {
    const Reply r = runCommand(packAddress(0x0402, kDynamicPack));
    EXPECT_EQ(r.printed, "VDS: Pack ID: 70000000-0000-4000-8000-000000000002\n");
    ASSERT_EQ(r.bytes.size(), 150u);
    EXPECT_EQ(r.status(), 0);
    EXPECT_EQ(r.int16(12), 2);
    const GUID expected[] = {kDynDisk, kSecondDynDisk};
    for (int i = 0; i < 2; ++i) EXPECT_TRUE(same(r.guid(14 + 68 * i), expected[i])) << i;
    // A basic pack holds its one disk.
    EXPECT_EQ(runCommand(packAddress(0x0402, kBasicPack)).bytes.size(), 82u);

    // A disk whose properties cannot be read is left out, not sent as zeros.
    VdsSimFailProperties(&kSecondDynDisk, E_FAIL);
    const Reply fewer = runCommand(packAddress(0x0402, kDynamicPack));
    EXPECT_EQ(fewer.int16(12), 1);
    EXPECT_EQ(fewer.bytes.size(), 14u + 68);
}

TEST_F(PackCommands, VolumeRecordsFollowEachOtherByTheirOwnLength) {
    ASSERT_EQ(VdsSimLoadTopologyJson(R"({"softwareProviders": [{
        "id": "60000000-0000-4000-8000-000000000002", "name": "Dyn", "version": "1", "kind": "dynamic",
        "packs": [{"id": "70000000-0000-4000-8000-000000000002", "name": "G",
          "disks": [{"id": "80000000-0000-4000-8000-000000000004", "size": "8 GiB", "style": "mbr"}],
          "volumes": [
            {"id": "90000000-0000-4000-8000-000000000006", "name": "V",
             "plexes": [{"id": "91000000-0000-4000-8000-000000000006", "extents": [
               {"disk": "80000000-0000-4000-8000-000000000004", "offset": "1 MiB", "size": "1 GiB"}]}]},
            {"id": "90000000-0000-4000-8000-000000000007", "name": "",
             "plexes": [{"id": "91000000-0000-4000-8000-000000000007", "extents": [
               {"disk": "80000000-0000-4000-8000-000000000004", "offset": "2 GiB", "size": "1 GiB"}]}]}]}]}]})"),
              0);
    const Reply r = runCommand(packAddress(0x0500, kDynamicPack));
    EXPECT_NE(r.printed.find("VDS: Pack ID 70000000-0000-4000-8000-000000000002\n"), std::string::npos);
    ASSERT_EQ(r.bytes.size(), 129u);
    EXPECT_EQ(r.int32(12), 2);
    EXPECT_EQ(r.int32(16), 57);
    EXPECT_EQ(r.int32(73), 56);
    EXPECT_TRUE(same(r.guid(73 + 4), id("90000000-0000-4000-8000-000000000007")));
}

TEST_F(PackCommands, ListsOfAnUnknownOrForeignObjectAnswerWithTheirRow) {
    struct Case {
        int code;
        GUID pack;
        int status;
        std::size_t size;
    };
    VdsSimRefuseInterface(&kBasicPack, &IID_IVdsPack);
    const Case cases[] = {
        {0x0402, kUnknown, -1, 14},
        {0x0500, kUnknown, -1, 16},
        {0x0402, kMbrDisk, -1, 14},  // a disk is not a pack
        {0x0402, kBasicPack, -100, 14},
        {0x0500, kBasicPack, -100, 16},
    };
    for (const Case& c : cases) {
        const Reply r = runCommand(packAddress(c.code, c.pack));
        EXPECT_EQ(r.status(), c.status) << c.code;
        ASSERT_EQ(r.bytes.size(), c.size) << c.code;
        if (c.status == -100) {
            EXPECT_EQ(u(r.addStatus()), u(E_NOINTERFACE));
        }
        for (std::size_t i = 12; i < c.size; ++i) EXPECT_EQ(r.bytes[i], 0) << c.code << " byte " << i;
    }
}

TEST_F(PackCommands, ANewPackIsListedUnderItsProviderAndStartsEmpty) {
    const Reply made = runCommand(createPack(kBasicProvider));
    EXPECT_NE(made.printed.find("VDS: Software Provider ID 60000000-0000-4000-8000-000000000001\n"), std::string::npos);
    ASSERT_EQ(made.bytes.size(), 28u);
    ASSERT_EQ(made.status(), 0);
    const Reply packs = runCommand(RequestBytes(0x0401).guid(4, kBasicProvider).data());
    ASSERT_EQ(packs.int16(12), 3);
    std::size_t third = 14;
    for (int i = 0; i < 2; ++i) third += static_cast<std::size_t>(packs.int32(third));
    EXPECT_TRUE(same(packs.guid(third + 4), made.guid(12)));

    const Reply empty = runCommand(packAddress(0x0402, made.guid(12)));
    EXPECT_EQ(empty.status(), 0);
    EXPECT_EQ(empty.bytes.size(), 14u);
    EXPECT_EQ(runCommand(packAddress(0x0500, made.guid(12))).bytes.size(), 16u);
    // The library holds exactly the one reference CreatePack gave.
    const GUID made12 = made.guid(12);
    EXPECT_EQ(VdsSimObjectReferences(&made12), 1);
}

TEST_F(PackCommands, CreatePackFailuresAnswer28ZeroBytes) {
    struct Case {
        GUID provider;
        int status;
        HRESULT addStatus;
    };
    const Case cases[] = {
        {kUnknown, -1, 0},
        {kHwProvider, -1, 0},
        {kDynamicProvider, -100, VDS_E_ONLINE_PACK_EXISTS},  // one dynamic pack runs at a time
    };
    for (const Case& c : cases) {
        const Reply r = runCommand(createPack(c.provider));
        EXPECT_EQ(r.status(), c.status);
        EXPECT_EQ(u(r.addStatus()), u(c.addStatus));
        ASSERT_EQ(r.bytes.size(), 28u);
        for (std::size_t i = 12; i < 28; ++i) EXPECT_EQ(r.bytes[i], 0);
    }
}

TEST_F(PackCommands, AnUnreadableNewPackIsGivenBackAndLeftToTheService) {
    const unsigned long long before = VdsSimModelDigest();
    VdsSimInjectFault("IVdsPack::GetProperties", 1, E_FAIL);
    const Reply r = runCommand(createPack(kBasicProvider));
    EXPECT_EQ(r.status(), -100);
    EXPECT_EQ(u(r.addStatus()), u(E_FAIL));
    EXPECT_EQ(VdsSimLiveReferences(), 0);
    // Nobody holds the empty pack, so the provider let it go again.
    EXPECT_EQ(VdsSimModelDigest(), before);
}

TEST_F(PackCommands, OnlyAnUnallocatedDiskCanBeAdded) {
    const GUID pack = newPack();
    struct Case {
        GUID pack;
        GUID disk;
        int style;
        int hotSpare;
        int status;
        HRESULT addStatus;
    };
    const Case cases[] = {
        {kUnknown, kRawDisk, 1, 0, -1, 0},
        {pack, kMbrDisk, 1, 0, -100, VDS_E_NOT_AN_UNALLOCATED_DISK},
        {pack, kRawDisk, 3, 0, -100, E_INVALIDARG},
        {pack, kRawDisk, 1, 1, -100, E_INVALIDARG},
        {pack, kUnknown, 1, 0, -100, VDS_E_OBJECT_NOT_FOUND},
        {kBasicPack, kRawDisk, 2, 0, -100, VDS_E_NOT_SUPPORTED},  // a basic pack is one disk's
        {pack, kRawDisk, 2, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const unsigned long long before = VdsSimModelDigest();
        const Reply r = runCommand(addDisk(c.pack, c.disk, c.style, c.hotSpare));
        EXPECT_EQ(r.status(), c.status);
        EXPECT_EQ(u(r.addStatus()), u(c.addStatus));
        EXPECT_EQ(r.bytes.size(), 12u);
        if (c.status != 0) {
            EXPECT_EQ(VdsSimModelDigest(), before);
        }
    }
    const auto disks = disksOf(pack);
    ASSERT_EQ(disks.size(), 1u);
    EXPECT_TRUE(same(disks[0], kRawDisk));
    EXPECT_EQ(disksOf(kBasicPack).size(), 1u);
}

TEST_F(PackCommands, MigratingIntoANewPackGivesItsReferenceBackOnce) {
    const GUID pack = newPack();
    EXPECT_EQ(VdsSimObjectReferences(&pack), 1);
    Reply r = runCommand(migrate(kGptPack, pack, kGptDisk));
    EXPECT_EQ(r.status(), 0);
    ASSERT_EQ(r.bytes.size(), 20u);
    EXPECT_EQ(r.int32(12), 0);
    EXPECT_EQ(r.int32(16), 0);
    EXPECT_NE(r.printed.find("VDS: Pack ID 70000000-0000-4000-8000-000000000003, target Pack ID "), std::string::npos);
    EXPECT_NE(r.printed.find(", force 0, query only 0, number of disks 1\n"), std::string::npos);
    EXPECT_NE(r.printed.find(kReleaseLine), std::string::npos);
    EXPECT_EQ(VdsSimObjectReferences(&pack), 0);
    ASSERT_EQ(disksOf(pack).size(), 1u);
    // The volumes lying wholly on the moved disk went with it.
    EXPECT_EQ(runCommand(packAddress(0x0500, pack)).int32(12), 2);

    // Now holding its one disk, the basic pack takes no other.
    r = runCommand(migrate(kBasicPack, pack, kMbrDisk));
    EXPECT_EQ(u(r.addStatus()), u(VDS_E_NOT_SUPPORTED));
    EXPECT_EQ(r.printed.find(kReleaseLine), std::string::npos);
    EXPECT_EQ(disksOf(pack).size(), 1u);
}

TEST_F(PackCommands, AnEmptyPackMadeElsewhereKeepsItsReferences) {
    // Another client of the service makes and holds a pack.
    ComPtr<IVdsSwProvider> provider(vdsFindSwProvider(vdsConnectionView().service, kBasicProvider));
    ASSERT_TRUE(provider);
    ComPtr<IVdsPack> theirs;
    ASSERT_EQ(provider->CreatePack(theirs.put()), S_OK);
    VDS_PACK_PROP properties{};
    ASSERT_EQ(theirs->GetProperties(&properties), S_OK);
    CoTaskMemFree(properties.pwszName);

    const Reply r = runCommand(migrate(kGptPack, properties.id, kGptDisk));
    EXPECT_EQ(r.status(), 0);
    EXPECT_EQ(r.printed.find(kReleaseLine), std::string::npos);
    EXPECT_EQ(VdsSimObjectReferences(&properties.id), 1);
}

TEST_F(PackCommands, MigrationAnswersTheFirstDiskAndTheRebootFlag) {
    const unsigned long long before = VdsSimModelDigest();
    // The system disk may move, but only with a restart; a query moves nothing.
    Reply r = runCommand(migrate(kBasicPack, kDynamicPack, kMbrDisk, 1));
    EXPECT_EQ(r.status(), 0);
    EXPECT_EQ(r.int32(12), 0);
    EXPECT_EQ(r.int32(16), 1);
    EXPECT_EQ(r.printed.find(kReleaseLine), std::string::npos);
    EXPECT_EQ(VdsSimModelDigest(), before);

    // A disk of another pack cannot move: the call says so with S_FALSE.
    r = runCommand(migrate(kBasicPack, kDynamicPack, kDynDisk));
    EXPECT_EQ(r.status(), -100);
    EXPECT_EQ(r.addStatus(), S_FALSE);
    for (std::size_t i = 12; i < 20; ++i) EXPECT_EQ(r.bytes[i], 0);
    EXPECT_EQ(VdsSimModelDigest(), before);

    r = runCommand(migrate(kBasicPack, kUnknown, kMbrDisk));
    EXPECT_EQ(r.status(), -2);
    EXPECT_EQ(r.bytes.size(), 20u);
    EXPECT_EQ(VdsSimLiveReferences(), 0);
    r = runCommand(migrate(kUnknown, kUnknown, kMbrDisk));
    EXPECT_EQ(r.status(), -1);

    // N promising more identifiers than the request holds is refused unread.
    VdsSimJournalClear();
    auto shortRequest = migrate(kBasicPack, kDynamicPack, kMbrDisk);
    shortRequest[44] = 3;
    EXPECT_TRUE(runCommand(shortRequest).null);
    EXPECT_TRUE(journal().empty());
}

TEST_F(PackCommands, ForeignDisksAreImportedWhereTheyStandAndTheNewPackIsDropped) {
    ASSERT_EQ(VdsSimLoadTopologyJson(R"({"softwareProviders": [{
        "id": "60000000-0000-4000-8000-000000000002", "name": "Dyn", "version": "1", "kind": "dynamic",
        "packs": [
          {"id": "70000000-0000-4000-8000-000000000003", "name": "Away", "status": 4, "flags": 1,
           "disks": [{"id": "80000000-0000-4000-8000-000000000006", "size": "8 GiB", "style": "mbr"},
                     {"id": "80000000-0000-4000-8000-000000000007", "size": "8 GiB", "style": "mbr"}]}]}]})"),
              0);
    const GUID foreign = id("70000000-0000-4000-8000-000000000003");
    const GUID first = id("80000000-0000-4000-8000-000000000006");
    const GUID second = id("80000000-0000-4000-8000-000000000007");
    // With no dynamic pack online, the provider makes one to import into.
    const GUID pack = newPack(kDynamicProvider);

    // Part of a foreign pack cannot be imported.
    Reply r = runCommand(migrate(foreign, pack, first));
    EXPECT_EQ(r.status(), -100);
    EXPECT_EQ(u(r.addStatus()), u(VDS_E_IMPORT_SET_INCOMPLETE));
    EXPECT_NE(r.printed.find(kReleaseLine), std::string::npos);

    const GUID again = newPack(kDynamicProvider);
    r = runCommand(RequestBytes(0x0413)
                       .guid(4, foreign)
                       .guid(20, again)
                       .int32(44, 2)
                       .guid(48, first)
                       .guid(64, second)
                       .data());
    EXPECT_EQ(r.status(), 0);
    EXPECT_NE(r.printed.find(kReleaseLine), std::string::npos);
    EXPECT_EQ(runCommand(packAddress(0x0402, again)).status(), -1);
    EXPECT_EQ(disksOf(foreign).size(), 2u);
    const Reply packs = runCommand(RequestBytes(0x0401).guid(4, kDynamicProvider).data());
    ASSERT_EQ(packs.int16(12), 1);
    const std::size_t away = 14;
    EXPECT_EQ(packs.int32(away + 20), 1);  // online
    EXPECT_EQ(packs.int32(away + 24), 0);  // no longer foreign
}

TEST_F(PackCommands, ReplaceDiskIsRefusedAsByTheReleasedService) {
    struct Case {
        GUID pack, oldDisk, newDisk;
        int status;
        HRESULT addStatus;
    };
    const Case cases[] = {
        {kUnknown, kUnknown, kUnknown, -2, 0},
        {kUnknown, kDynDisk, kUnknown, -3, 0},
        {kUnknown, kDynDisk, kRawDisk, -1, 0},
        {kDynamicPack, kDynDisk, kRawDisk, -100, VDS_E_NOT_SUPPORTED},
    };
    for (const Case& c : cases) {
        const Reply r = runCommand(replaceDisk(c.pack, c.oldDisk, c.newDisk));
        EXPECT_EQ(r.status(), c.status);
        EXPECT_EQ(u(r.addStatus()), u(c.addStatus));
        EXPECT_EQ(r.bytes.size(), 12u);
    }
}

TEST_F(PackCommands, ReplaceDiskReportsTheOperationsOwnResult) {
    VdsSimSupportReplaceDisk(1);
    // The call starts; the operation finds the new disk outside the pack.
    Reply r = runCommand(replaceDisk(kDynamicPack, kDynDisk, kRawDisk));
    EXPECT_EQ(r.status(), -100);
    EXPECT_EQ(u(r.addStatus()), u(VDS_E_DISK_NOT_FOUND_IN_PACK));
    EXPECT_NE(r.printed.find("VDS: Pack ID 70000000-0000-4000-8000-000000000002, old disk ID "
                              "80000000-0000-4000-8000-000000000004, new disk ID "
                              "80000000-0000-4000-8000-000000000003\n"),
              std::string::npos);

    ASSERT_EQ(runCommand(addDisk(kDynamicPack, kRawDisk)).status(), 0);
    r = runCommand(replaceDisk(kDynamicPack, kDynDisk, kRawDisk));
    EXPECT_EQ(r.status(), 0);
    EXPECT_EQ(VdsSimLiveReferences(), 0);
}

TEST_F(PackCommands, OnlyAMissingDiskOfADynamicPackCanBeRemoved) {
    VdsSimJournalClear();
    Reply r = runCommand(removeMissing(kUnknown, kUnknown));
    EXPECT_EQ(r.status(), -2);
    EXPECT_NE(r.printed.find("VDS: Pack ID DEADBEEF-0000-4000-8000-000000000000, disk ID "), std::string::npos);
    // Only the disk was looked up.
    std::vector<std::string> lookups;
    for (const std::string& call : journal())
        if (call.rfind("IVdsService::GetObject", 0) == 0) lookups.push_back(call);
    ASSERT_EQ(lookups.size(), 1u);
    EXPECT_NE(lookups[0].find(", 13)"), std::string::npos) << lookups[0];

    struct Case {
        GUID pack, disk;
        int status;
        HRESULT addStatus;
    };
    const Case refused[] = {
        {kUnknown, kSecondDynDisk, -1, 0},
        {kDynamicPack, kSecondDynDisk, -100, VDS_E_DISK_NOT_MISSING},
        {kBasicPack, kSecondDynDisk, -100, VDS_E_DISK_NOT_FOUND_IN_PACK},
        {kBasicPack, kMbrDisk, -100, VDS_E_NOT_SUPPORTED},
    };
    for (const Case& c : refused) {
        const unsigned long long before = VdsSimModelDigest();
        r = runCommand(removeMissing(c.pack, c.disk));
        EXPECT_EQ(r.status(), c.status);
        EXPECT_EQ(u(r.addStatus()), u(c.addStatus));
        EXPECT_EQ(VdsSimModelDigest(), before);
    }
    ASSERT_EQ(VdsSimSetStatus(&kSecondDynDisk, kDiskMissing), S_OK);
    r = runCommand(removeMissing(kDynamicPack, kSecondDynDisk));
    EXPECT_EQ(r.status(), 0);
    const auto left = disksOf(kDynamicPack);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_TRUE(same(left[0], kDynDisk));
}

TEST_F(PackCommands, ClosingGivesBackEveryKeptPack) {
    const GUID first = newPack();
    newPack();
    EXPECT_EQ(VdsSimLiveReferences(), 2);
    capturedStdout([] { vdsUninitialize(); });
    EXPECT_EQ(VdsSimLiveReferences(), 0);
    // Nothing was ever put in them, so the provider dropped them.
    connect();
    EXPECT_EQ(runCommand(packAddress(0x0402, first)).status(), -1);
}

TEST_F(PackCommands, EachPackCommandSurvivesEveryFailingCall) {
    const GUID pack = newPack();
    vdsGiveBackCreatedPack(pack);
    ASSERT_EQ(VdsSimSetStatus(&kSecondDynDisk, kDiskMissing), S_OK);
    const std::vector<std::vector<unsigned char>> requests = {
        packAddress(0x0402, kBasicPack),
        packAddress(0x0500, kDynamicPack),
        createPack(kBasicProvider),
        migrate(kBasicPack, kDynamicPack, kMbrDisk, 1),
        removeMissing(kDynamicPack, kSecondDynDisk),
        addDisk(kDynamicPack, kRawDisk),
    };
    for (const auto& request : requests) EXPECT_GT(runFaultSweep(request), 0);
}

}  // namespace
