// LUN management read back through the library: a change is checked by the
// library's own queries of the machine, a refusal by the machine staying as
// it was, and the request layouts by the calls the service journals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "default_machine.h"
#include "directory/records.h"
#include "platform/vds_interfaces.h"
#include "service_fixture.h"
#include "tolvane.h"
#include "vds_sim.h"

namespace {

using machine::kMirroredLun;
using machine::kSubSystem;

constexpr std::uint64_t kGiB = 1ull << 30;
constexpr GUID kDrive5 = machine::id("40000000-0000-4000-8000-000000000005");
constexpr GUID kDrive6 = machine::id("40000000-0000-4000-8000-000000000006");
constexpr GUID kDrive7 = machine::id("40000000-0000-4000-8000-000000000007");
constexpr GUID kHotSpare = machine::id("40000000-0000-4000-8000-000000000008");
// The first LUN the service builds.
constexpr GUID kFirstBuilt = machine::id("52000000-0000-4000-8000-000000000001");

RequestBytes& uint64At(RequestBytes& r, std::size_t at, std::uint64_t v) {
    return r.int32(at, static_cast<std::int32_t>(v & 0xFFFFFFFFu))
        .int32(at + 4, static_cast<std::int32_t>(v >> 32));
}

std::vector<unsigned char> createLun(int type, std::uint64_t size, const std::vector<GUID>& drives,
                                     const std::string& list = "*") {
    RequestBytes r(0x0120);
    r.guid(20, kSubSystem).int16(36, type);
    uint64At(r, 40, size);
    r.int32(48, static_cast<std::int32_t>(list.size())).int32(52, static_cast<std::int32_t>(drives.size()));
    r.bytes(56, list).int32(56 + list.size() + 48, 0);  // reaches the end of the hints
    for (std::size_t i = 0; i < drives.size(); ++i) r.guid(108 + list.size() + 16 * i, drives[i]);
    return r.data();
}

std::vector<unsigned char> onLun(int code, const GUID& lun) {
    return RequestBytes(code).guid(4, machine::kHwProvider).guid(20, kSubSystem).guid(36, lun).data();
}

std::vector<unsigned char> extendLun(const GUID& lun, std::uint64_t bytes, const std::vector<GUID>& drives = {}) {
    RequestBytes r(0x0204);
    r.guid(36, lun);
    uint64At(r, 52, bytes).int16(60, static_cast<int>(drives.size()));
    for (std::size_t i = 0; i < drives.size(); ++i) r.guid(62 + 16 * i, drives[i]);
    return r.data();
}

struct LunSeen {
    bool found = false;
    std::uint64_t size = 0;
    int type = 0;
};

// The LUN as 0x0094 lists it.
LunSeen lunInList(const GUID& lun) {
    const Reply reply = runCommand(RequestBytes(0x0094).guid(20, kSubSystem).data());
    std::size_t at = 14;
    for (int i = 0; i < reply.int16(12); ++i) {
        if (compareGUID(reply.guid(at + 4), lun) == 1)
            return {true, reply.uint64(at + 20), reply.int16(at + 32)};
        at += static_cast<std::size_t>(reply.int32(at));
    }
    return {};
}

// Bytes of the drive that 0x0095 reports as used by `lun`.
std::uint64_t driveBytesOf(const GUID& drive, const GUID& lun) {
    const Reply reply = runCommand(onLun(0x0095, drive));
    std::uint64_t used = 0;
    for (int i = 0; i < reply.int16(12); ++i) {
        const std::size_t at = 14 + static_cast<std::size_t>(i) * kDriveExtentRecordSize;
        if (reply.bytes[at + 40] != 0 && compareGUID(reply.guid(at + 16), lun) == 1) used += reply.uint64(at + 32);
    }
    return used;
}

bool journalHas(const std::string& line) {
    const auto lines = journal();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool journalMentions(const std::string& method) {
    for (const auto& line : journal())
        if (line.rfind(method, 0) == 0) return true;
    return false;
}

class Luns : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        connect();
        VdsSimJournalEnable(1);
    }
};

TEST_F(Luns, AMirrorIsBuiltGrownAndDeletedAsTheQueriesShow) {
    const std::vector<unsigned char> drive5Before = runCommand(onLun(0x0095, kDrive5)).bytes;
    const Reply created = runCommand(createLun(13, kGiB, {kDrive5, kDrive6}));
    ASSERT_EQ(created.bytes.size(), 12u);
    ASSERT_EQ(created.status(), 0) << std::hex << created.addStatus();
    EXPECT_NE(created.printed.find("Unmasking List :*.....................\n"), std::string::npos);

    LunSeen lun = lunInList(kFirstBuilt);
    ASSERT_TRUE(lun.found);
    EXPECT_EQ(lun.size, kGiB);
    EXPECT_EQ(lun.type, 13);
    EXPECT_EQ(runCommand(onLun(0x0097, kFirstBuilt)).int16(12), 2);
    EXPECT_EQ(driveBytesOf(kDrive5, kFirstBuilt), kGiB);
    EXPECT_EQ(driveBytesOf(kDrive6, kFirstBuilt), kGiB);

    ASSERT_EQ(runCommand(extendLun(kFirstBuilt, kGiB)).status(), 0);
    EXPECT_EQ(lunInList(kFirstBuilt).size, 2 * kGiB);
    EXPECT_EQ(driveBytesOf(kDrive5, kFirstBuilt), 2 * kGiB);

    const Reply shrunk = runCommand(uint64At(RequestBytes(0x0212).guid(36, kFirstBuilt), 52, kGiB / 2).data());
    ASSERT_EQ(shrunk.status(), 0);
    EXPECT_EQ(lunInList(kFirstBuilt).size, kGiB + kGiB / 2);
    EXPECT_EQ(driveBytesOf(kDrive6, kFirstBuilt), kGiB + kGiB / 2);

    ASSERT_EQ(runCommand(onLun(0x0200, kFirstBuilt)).status(), 0);
    EXPECT_FALSE(lunInList(kFirstBuilt).found);
    EXPECT_EQ(driveBytesOf(kDrive5, kFirstBuilt), 0u);
    EXPECT_EQ(runCommand(onLun(0x0095, kDrive5)).bytes, drive5Before) << "drive 5 is as it was";
    EXPECT_EQ(VdsSimLiveReferences(), 0);
}

TEST_F(Luns, CreateLunTakesItsFieldsFromTheirOffsets) {
    // A 16-byte list puts the hints at 72 and the drives at 124; a size of
    // 2^32 or more arrives whole.
    const std::uint64_t size = 5 * kGiB;
    const Reply reply = runCommand(createLun(10, size, {kDrive5}, "2100000e1e30ac5a"));
    ASSERT_EQ(reply.status(), 0) << std::hex << reply.addStatus();
    EXPECT_TRUE(journalHas("IVdsSubSystem::CreateLun(10, 5368709120, 1, \"2100000e1e30ac5a\", "
                           "[40000000-0000-4000-8000-000000000005])"))
        << ::testing::PrintToString(journal());
    EXPECT_EQ(lunInList(kFirstBuilt).size, size);
    EXPECT_EQ(driveBytesOf(kDrive5, kFirstBuilt), size);

    // No drives named: a null array, and the subsystem chooses.
    VdsSimJournalClear();
    ASSERT_EQ(runCommand(createLun(12, kGiB, {}, "")).status(), 0);
    EXPECT_TRUE(journalHas("IVdsSubSystem::CreateLun(12, 1073741824, 0, \"\", [])"))
        << ::testing::PrintToString(journal());
}

TEST_F(Luns, TheSubsystemRefusesWhatARaidSubsystemRefusesAndChangesNothing) {
    const GUID unknownDrive = machine::kUnknown;
    struct Case {
        const char* what;
        std::vector<unsigned char> request;
        HRESULT result;
    };
    const Case cases[] = {
        {"too big", createLun(10, 65 * kGiB, {kDrive5}), VDS_E_NOT_ENOUGH_SPACE},
        {"hot spare", createLun(10, kGiB, {kHotSpare}), VDS_E_INVALID_OPERATION},
        {"unknown drive", createLun(10, kGiB, {unknownDrive}), VDS_E_OBJECT_NOT_FOUND},
        {"a host name for an unmasking list", createLun(10, kGiB, {kDrive5}, "host1"), E_INVALIDARG},
        {"mirror on one drive", createLun(13, kGiB, {kDrive5}), VDS_E_NOT_ENOUGH_DRIVE},
        {"unsupported type", createLun(19, kGiB, {}), VDS_E_NOT_SUPPORTED},
        {"no such type", createLun(99, kGiB, {}), E_INVALIDARG},
        {"extend past the drives", extendLun(kMirroredLun, 1000 * kGiB), VDS_E_NOT_ENOUGH_SPACE},
        {"remove the only plex",
         RequestBytes(0x0202).guid(36, machine::kBootLun).guid(52, machine::kBootLunPlex).data(),
         VDS_E_INVALID_OPERATION},
        {"recover a simple LUN", onLun(0x0213, machine::kBootLun), VDS_E_INVALID_OPERATION},
        {"shrink to nothing", uint64At(RequestBytes(0x0212).guid(36, machine::kBootLun), 52, 32 * kGiB).data(),
         VDS_E_INVALID_OPERATION},
        {"a controller left out",
         RequestBytes(0x0210).guid(36, kMirroredLun).int16(52, 1).int16(54, 0).guid(56, machine::kControllerA).data(),
         E_INVALIDARG},
        {"status unknown", RequestBytes(0x0207).guid(36, kMirroredLun).int16(52, 0).data(), E_INVALIDARG},
        {"add a smaller LUN as a plex",
         RequestBytes(0x0201).guid(36, kMirroredLun).guid(84, machine::kBootLun).data(), VDS_E_INVALID_OPERATION},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const unsigned long long before = VdsSimModelDigest();
        const Reply reply = runCommand(c.request);
        EXPECT_EQ(reply.bytes.size(), 12u);
        EXPECT_EQ(reply.status(), -100);
        EXPECT_EQ(reply.addStatus(), c.result);
        EXPECT_EQ(VdsSimModelDigest(), before);
    }
    // A failed drive holds nothing new.
    ASSERT_EQ(VdsSimSetStatus(&kDrive7, VDS_DRS_FAILED), S_OK);
    const unsigned long long before = VdsSimModelDigest();
    const Reply failed = runCommand(createLun(10, kGiB, {kDrive7}));
    EXPECT_EQ(failed.status(), -100);
    EXPECT_EQ(failed.addStatus(), VDS_E_OBJECT_STATUS_FAILED);
    EXPECT_EQ(VdsSimModelDigest(), before);
    EXPECT_EQ(VdsSimLiveReferences(), 0);
}

TEST_F(Luns, AnUnknownLunAnswersMinusOneInTheCommandsFailureSize) {
    struct Case {
        int code;
        std::size_t size;
    };
    const Case cases[] = {{0x0200, 12}, {0x0202, 12}, {0x0203, 20}, {0x0204, 12}, {0x0205, 12},
                          {0x0206, 12}, {0x0207, 12}, {0x0208, 12}, {0x0209, 14}, {0x0210, 12},
                          {0x0212, 12}, {0x0213, 12}, {0x0201, 12}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        // Long enough for every layout, with zero counts.
        const Reply reply = runCommand(RequestBytes(c.code, 160).guid(36, machine::kUnknown).data());
        ASSERT_EQ(reply.bytes.size(), c.size);
        EXPECT_EQ(reply.status(), -1);
        EXPECT_EQ(reply.addStatus(), 0);
        for (std::size_t i = 12; i < reply.bytes.size(); ++i) EXPECT_EQ(reply.bytes[i], 0);
    }
    const Reply subsystem = runCommand(RequestBytes(0x0120, 120).guid(20, machine::kUnknown).data());
    EXPECT_EQ(subsystem.bytes.size(), 12u);
    EXPECT_EQ(subsystem.status(), -1);
}

TEST_F(Luns, ASecondObjectThatIsNotThereAnswersMinusTwoWithoutTheCall) {
    const Reply add = runCommand(RequestBytes(0x0201).guid(36, kMirroredLun).guid(84, machine::kUnknown).data());
    EXPECT_EQ(add.status(), -2);
    EXPECT_EQ(add.bytes.size(), 12u);
    EXPECT_FALSE(journalMentions("IVdsLun::AddPlex"));
    EXPECT_NE(add.printed.find("VDS: LUN ID: 50000000-0000-4000-8000-000000000002, LUN to be added ID: "
                               "DEADBEEF-0000-4000-8000-000000000000\n"),
              std::string::npos);
    const Reply remove = runCommand(RequestBytes(0x0202).guid(36, kMirroredLun).guid(52, machine::kUnknown).data());
    EXPECT_EQ(remove.status(), -2);
    EXPECT_FALSE(journalMentions("IVdsLun::RemovePlex"));
}

TEST_F(Luns, RequestsThatDoNotHoldTheirCountsGetTheNullReply) {
    const std::vector<std::vector<unsigned char>> requests = {
        RequestBytes(0x0203).guid(36, kMirroredLun).int16(52, -1).data(),
        RequestBytes(0x0203).guid(36, kMirroredLun).int16(52, 2).guid(56, kDrive5).data(),
        RequestBytes(0x0204).guid(36, kMirroredLun).int16(60, -3).data(),
        RequestBytes(0x0204).guid(36, kMirroredLun).int16(60, 2).guid(62, kDrive5).data(),
        RequestBytes(0x0208).guid(36, kMirroredLun).int16(52, -1).data(),
        RequestBytes(0x0208).guid(36, kMirroredLun).int16(52, 9).bytes(54, "host").data(),
        RequestBytes(0x0210).guid(36, kMirroredLun).int16(52, -1).int16(54, 1).guid(56, kDrive5).data(),
        RequestBytes(0x0210).guid(36, kMirroredLun).int16(52, 1).int16(54, 1).guid(56, kDrive5).data(),
        RequestBytes(0x0206).guid(36, kMirroredLun).int32(96, 0).data(),
        RequestBytes(0x0120).guid(20, kSubSystem).int32(48, 0).int32(52, 1).int32(104, 0).data(),
        RequestBytes(0x0120).guid(20, kSubSystem).int32(48, -1).int32(52, 0).int32(104, 0).data(),
        RequestBytes(0x0212).guid(36, kMirroredLun).int32(52, 0).data(),
    };
    for (std::size_t i = 0; i < requests.size(); ++i) {
        SCOPED_TRACE(i);
        VdsSimJournalClear();
        const Reply reply = runCommand(requests[i]);
        EXPECT_TRUE(reply.null);
        EXPECT_EQ(reply.outSize, 0);
        EXPECT_TRUE(journal().empty()) << "no VDS call";
    }
}

TEST_F(Luns, ExtendAndQueryMaxReadTheirDrivesFromTheirOwnOffsets) {
    const Reply max = runCommand(RequestBytes(0x0203).guid(36, kMirroredLun).int16(52, 1).guid(56, kDrive5).data());
    ASSERT_EQ(max.bytes.size(), 20u);
    EXPECT_EQ(max.status(), 0);
    // Each copy keeps its own drive (16 GiB free) and the others go by turns
    // to the copy with less room, drive 5 first: 5, 6 and 4 to the first,
    // 7 and 1 to the second, 176 GiB each, as with no drive named.
    EXPECT_EQ(max.uint64(12), 176 * kGiB);
    EXPECT_TRUE(journalHas("IVdsLun::QueryMaxLunExtendSize(1)")) << ::testing::PrintToString(journal());

    VdsSimJournalClear();
    const Reply extend = runCommand(extendLun(kMirroredLun, kGiB, {kDrive5}));
    EXPECT_EQ(extend.status(), 0);
    EXPECT_TRUE(journalHas("IVdsLun::Extend(1073741824, 1, [40000000-0000-4000-8000-000000000005])"))
        << ::testing::PrintToString(journal());
    EXPECT_EQ(lunInList(kMirroredLun).size, 49 * kGiB);
}

TEST_F(Luns, ExtendByTheMostQueryMaxAnswersSucceedsAndByOneByteMoreFails) {
    // A span and a parity LUN beside the built-in simple, mirror and stripe.
    ASSERT_EQ(runCommand(createLun(11, 2 * kGiB, {kDrive6})).status(), 0);
    ASSERT_EQ(runCommand(createLun(14, 3 * kGiB, {kDrive5, kDrive6, kDrive7})).status(), 0);
    const GUID kSpanLun = kFirstBuilt;
    const GUID kParityLun = machine::id("52000000-0000-4000-8000-000000000002");
    struct Case {
        const char* type;
        GUID lun;
        std::vector<GUID> drives;
    };
    const Case cases[] = {{"parity", kParityLun, {}},       {"stripe", machine::kStripeLun, {}},
                          {"mirror", kMirroredLun, {kDrive7}}, {"span", kSpanLun, {kDrive6}},
                          {"simple", machine::kBootLun, {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        RequestBytes query(0x0203);
        query.guid(36, c.lun).int16(52, static_cast<int>(c.drives.size()));
        for (std::size_t i = 0; i < c.drives.size(); ++i) query.guid(56 + 16 * i, c.drives[i]);
        const Reply max = runCommand(query.data());
        ASSERT_EQ(max.status(), 0);
        const std::uint64_t most = max.uint64(12);
        const std::uint64_t before = lunInList(c.lun).size;
        const Reply over = runCommand(extendLun(c.lun, most + 1, c.drives));
        EXPECT_EQ(over.status(), -100);
        EXPECT_EQ(static_cast<HRESULT>(over.int32(8)), VDS_E_NOT_ENOUGH_SPACE);
        EXPECT_EQ(lunInList(c.lun).size, before);
        EXPECT_EQ(runCommand(extendLun(c.lun, most, c.drives)).status(), 0);
        EXPECT_EQ(lunInList(c.lun).size, before + most);
    }
}

TEST_F(Luns, HintsTravelAsTheRecordLaysThemOut) {
    const Reply stripe = runCommand(onLun(0x0205, machine::kStripeLun));
    ASSERT_EQ(stripe.bytes.size(), 64u);
    EXPECT_EQ(stripe.status(), 0);
    EXPECT_EQ(stripe.int32(12), 511);
    EXPECT_EQ(stripe.int32(12 + 16), 65536);
    EXPECT_EQ(stripe.int16(12 + 40), 5);
    EXPECT_EQ(stripe.bytes[12 + 48], 1) << "write-through";
    EXPECT_NE(stripe.printed.find("VDS: Hints Rebuild Priority: 5, write through 1\n"), std::string::npos);

    // Applied hints read back: a mask past 2^32, a negative flag byte read as true.
    RequestBytes apply(0x0206);
    apply.guid(36, kMirroredLun).int32(52, 0x40).int32(56, 1).int32(60, 0).int32(64, 2);
    apply.int16(92, -2).int32(100, 0xFF);
    ASSERT_EQ(runCommand(apply.data()).status(), 0);
    const Reply back = runCommand(onLun(0x0205, kMirroredLun));
    EXPECT_EQ(back.uint64(12), 0x100000040ull);
    EXPECT_EQ(back.uint64(20), 2ull << 32);
    EXPECT_EQ(back.int16(52), -2);
    EXPECT_EQ(back.bytes[12 + 48], 1);
    EXPECT_EQ(back.bytes[12 + 42], 0);
}

TEST_F(Luns, ActiveControllersComeAsRecordsLeavingOutThoseThatCannotBeRead) {
    const Reply one = runCommand(onLun(0x0209, kMirroredLun));
    EXPECT_EQ(one.status(), 0);
    ASSERT_EQ(one.int16(12), 1);
    EXPECT_EQ(compareGUID(one.guid(14 + 4), machine::kControllerA), 1);
    EXPECT_EQ(one.bytes.size(), 14u + static_cast<std::size_t>(one.int32(14)));

    // Both controllers inactive: none left to answer.
    ASSERT_EQ(runCommand(RequestBytes(0x0210)
                             .guid(36, kMirroredLun)
                             .int16(52, 0)
                             .int16(54, 2)
                             .guid(56, machine::kControllerA)
                             .guid(72, machine::kControllerB)
                             .data())
                  .status(),
              0);
    const Reply none = runCommand(onLun(0x0209, kMirroredLun));
    EXPECT_EQ(none.bytes.size(), 14u);
    EXPECT_EQ(none.status(), 0);
    EXPECT_EQ(none.int16(12), 0);

    VdsSimFailProperties(&machine::kControllerA, E_FAIL);
    const Reply unreadable = runCommand(onLun(0x0209, kMirroredLun));
    EXPECT_EQ(unreadable.status(), 0);
    EXPECT_EQ(unreadable.int16(12), 0);
    EXPECT_EQ(unreadable.bytes.size(), 14u);
    VdsSimClearFaults();

    // Both controllers named once: B becomes the active one.
    const Reply swap = runCommand(RequestBytes(0x0210)
                                      .guid(36, kMirroredLun)
                                      .int16(52, 1)
                                      .int16(54, 1)
                                      .guid(56, machine::kControllerB)
                                      .guid(72, machine::kControllerA)
                                      .data());
    ASSERT_EQ(swap.status(), 0);
    const Reply after = runCommand(onLun(0x0209, kMirroredLun));
    ASSERT_EQ(after.int16(12), 1);
    EXPECT_EQ(compareGUID(after.guid(14 + 4), machine::kControllerB), 1);
    EXPECT_EQ(VdsSimLiveReferences(), 0);
}

TEST_F(Luns, FailuresReportTheResultThatCausedThem) {
    // An operation that ends in failure: the delivered result.
    VdsSimInjectWaitFault("IVdsLun::Extend", VDS_E_NOT_ENOUGH_DRIVE);
    const Reply extend = runCommand(extendLun(kMirroredLun, kGiB));
    EXPECT_EQ(extend.status(), -100);
    EXPECT_EQ(extend.addStatus(), VDS_E_NOT_ENOUGH_DRIVE);
    EXPECT_EQ(lunInList(kMirroredLun).size, 48 * kGiB);
    VdsSimClearFaults();

    // An object without IVdsLun: QueryInterface's own result.
    VdsSimRefuseInterface(&kMirroredLun, &IID_IVdsLun);
    const Reply refused = runCommand(onLun(0x0205, kMirroredLun));
    EXPECT_EQ(refused.status(), -100);
    EXPECT_EQ(refused.addStatus(), E_NOINTERFACE);
    EXPECT_EQ(refused.bytes.size(), 12u);
    VdsSimClearFaults();

    VdsSimInjectFault("IVdsLun::Delete", 1, VDS_E_OBJECT_STATUS_FAILED);
    const Reply deleted = runCommand(onLun(0x0200, kMirroredLun));
    EXPECT_EQ(deleted.status(), -100);
    EXPECT_NE(deleted.printed.find("Delete LUN failed, error -2147212239..................\n"), std::string::npos);
    EXPECT_EQ(VdsSimLiveReferences(), 0);
}

TEST_F(Luns, MaskAndStatusReplaceWhatTheLunHad) {
    ASSERT_EQ(runCommand(RequestBytes(0x0208).guid(36, kMirroredLun).int16(52, 0).data()).status(), 0);
    EXPECT_TRUE(journalHas("IVdsLun::SetMask(\"\")")) << ::testing::PrintToString(journal());
    ASSERT_EQ(runCommand(RequestBytes(0x0207).guid(36, kMirroredLun).int16(52, 4).data()).status(), 0);
    EXPECT_TRUE(journalHas("IVdsLun::SetStatus(4)"));
    const Reply again = runCommand(RequestBytes(0x0207).guid(36, kMirroredLun).int16(52, 4).data());
    EXPECT_EQ(again.bytes.size(), 12u);
    EXPECT_EQ(again.printed, "VDS: LUN ID: 50000000-0000-4000-8000-000000000002\n") << "no size line";
    const Reply luns = runCommand(RequestBytes(0x0094).guid(20, kSubSystem).data());
    std::size_t at = 14;
    for (int i = 0; i < luns.int16(12); ++i, at += static_cast<std::size_t>(luns.int32(at)))
        if (compareGUID(luns.guid(at + 4), kMirroredLun) == 1) {
            EXPECT_EQ(luns.int16(at + 36), 4);
        }
}

}  // namespace
