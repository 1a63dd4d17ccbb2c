// The volume commands against the simulated packs: what each answers, what
// it changes (read back through the library's own lists of volumes, plexes
// and extents) and what reaches the service.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "default_machine.h"
#include "directory/records.h"
#include "platform/vds_interfaces.h"
#include "service_fixture.h"
#include "tolvane.h"
#include "vds_sim.h"
#include "volume_request_bytes.h"

namespace {

using namespace machine;
using namespace volume_requests;

bool same(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool journalHas(const std::string& line) {
    const auto lines = journal();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool journalMentions(const std::string& method) {
    for (const auto& line : journal())
        if (line.rfind(method, 0) == 0) return true;
    return false;
}

struct VolumeSeen {
    GUID id;
    std::int32_t type;
    std::int32_t status;
    std::uint64_t size;
    std::uint32_t flags;
};

struct PlexSeen {
    GUID id;
    std::int32_t type;
    std::int32_t status;
    std::uint64_t size;
    std::uint32_t stripeSize;
    std::uint32_t members;
};

struct ExtentSeen {
    GUID disk;
    std::uint64_t offset;
    std::uint64_t size;
    GUID volume;
    GUID plex;
    std::uint32_t member;
};

class Volumes : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        connect();
        VdsSimJournalEnable(1);
    }

    // The pack's volumes as 0x0500 lists them.
    std::vector<VolumeSeen> volumesOf(const GUID& pack) {
        const Reply r = runCommand(RequestBytes(0x0500).guid(20, pack).data());
        std::vector<VolumeSeen> out;
        std::size_t at = 16;
        for (int i = 0; i < r.int32(12); ++i) {
            out.push_back({r.guid(at + 4), r.int32(at + 20), r.int32(at + 24), r.uint64(at + 36),
                           static_cast<std::uint32_t>(r.int32(at + 44))});
            at += static_cast<std::size_t>(r.int32(at));
        }
        return out;
    }
    std::optional<VolumeSeen> volume(const GUID& pack, const GUID& id) {
        for (const VolumeSeen& v : volumesOf(pack))
            if (same(v.id, id)) return v;
        return std::nullopt;
    }
    std::vector<PlexSeen> plexesOf(const GUID& volume) {
        const Reply r = runCommand(address(0x0501, volume));
        std::vector<PlexSeen> out;
        for (int i = 0; i < r.int32(12); ++i) {
            const std::size_t at = 16 + static_cast<std::size_t>(i) * kVolumePlexRecordSize;
            out.push_back({r.guid(at), r.int32(at + 16), r.int32(at + 20), r.uint64(at + 32),
                           static_cast<std::uint32_t>(r.int32(at + 40)), static_cast<std::uint32_t>(r.int32(at + 44))});
        }
        return out;
    }
    std::vector<ExtentSeen> extentsOf(const GUID& volume, const GUID& plex, const GUID& pack = kDynamicPack,
                                      const GUID& provider = kDynamicProvider) {
        const Reply r = runCommand(address(0x0502, volume, plex, pack, provider));
        EXPECT_EQ(r.status(), 0);
        std::vector<ExtentSeen> out;
        for (int i = 0; i < r.int32(12); ++i) {
            const std::size_t at = 16 + static_cast<std::size_t>(i) * kDiskExtentRecordSize;
            out.push_back({r.guid(at), r.uint64(at + 20), r.uint64(at + 28), r.guid(at + 36), r.guid(at + 52),
                           static_cast<std::uint32_t>(r.int32(at + 68))});
        }
        return out;
    }
    // A command that must succeed with the 12-byte reply of its own code.
    void succeeds(const std::vector<unsigned char>& request) {
        const int code = request[2] | (request[3] << 8);
        const Reply r = runCommand(request);
        ASSERT_EQ(r.bytes.size(), 12u);
        EXPECT_EQ(r.cmd(), code);
        ASSERT_EQ(r.status(), 0) << std::hex << r.addStatus() << " " << ::testing::PrintToString(journal());
    }
    // A command that the service refuses with `hr`.
    void refused(const std::vector<unsigned char>& request, HRESULT hr) {
        const Reply r = runCommand(request);
        ASSERT_EQ(r.bytes.size(), 12u);
        EXPECT_EQ(r.status(), -100);
        EXPECT_EQ(static_cast<std::uint32_t>(r.addStatus()), static_cast<std::uint32_t>(hr))
            << std::hex << r.addStatus();
    }
};

// Lists -----------------------------------------------------------------------

TEST_F(Volumes, AMirrorListsBothPlexesWithTheSecondAt64) {
    const Reply r = runCommand(address(0x0501, kMirrorVolume));
    ASSERT_EQ(r.bytes.size(), 112u);
    EXPECT_EQ(r.cmd(), 0x0501);
    EXPECT_EQ(r.status(), 0);
    EXPECT_EQ(r.int32(12), 2);
    EXPECT_TRUE(same(r.guid(64), kMirrorVolumePlex2));
    EXPECT_EQ(r.uint64(64 + 32), 20 * kGiB);
}

TEST_F(Volumes, APlexWhosePropertiesFailIsLeftOut) {
    VdsSimFailProperties(&kMirrorVolumePlex2, E_FAIL);
    const auto plexes = plexesOf(kMirrorVolume);
    ASSERT_EQ(plexes.size(), 1u);
    EXPECT_TRUE(same(plexes[0].id, kMirrorVolumePlex1));
}

TEST_F(Volumes, PlexListAnswersForUnknownAndForeignObjects) {
    const Reply unknown = runCommand(address(0x0501, kUnknown));
    EXPECT_EQ(unknown.bytes.size(), 16u);
    EXPECT_EQ(unknown.status(), -1);
    // An object that does not answer as a volume is a VDS error with the refusal.
    VdsSimRefuseInterface(&kMirrorVolume, &IID_IVdsVolume);
    const Reply noInterface = runCommand(address(0x0501, kMirrorVolume));
    EXPECT_EQ(noInterface.bytes.size(), 16u);
    EXPECT_EQ(noInterface.status(), -100);
    EXPECT_EQ(static_cast<std::uint32_t>(noInterface.addStatus()), static_cast<std::uint32_t>(E_NOINTERFACE));
}

TEST_F(Volumes, PlexExtentsWalkFromTheProviderDown) {
    const auto extents = extentsOf(kMirrorVolume, kMirrorVolumePlex2);
    ASSERT_EQ(extents.size(), 1u);
    EXPECT_TRUE(same(extents[0].disk, kSecondDynDisk));
    EXPECT_EQ(extents[0].offset, 2u << 20);
    EXPECT_EQ(extents[0].size, 20 * kGiB);
    EXPECT_TRUE(same(extents[0].volume, kMirrorVolume));
    EXPECT_TRUE(same(extents[0].plex, kMirrorVolumePlex2));

    struct Case {
        const char* what;
        GUID provider, pack, volume, plex;
        int status;
    };
    const GUID spanPlex = id("91000000-0000-4000-8000-000000000008");
    const Case cases[] = {
        {"unknown provider", kUnknown, kDynamicPack, kMirrorVolume, kMirrorVolumePlex2, -1},
        {"pack of another provider", kDynamicProvider, kBasicPack, kVolumeC, kVolumeCPlex, -2},
        {"volume of another pack", kDynamicProvider, kDynamicPack, kVolumeC, kVolumeCPlex, -3},
        {"plex of another volume", kDynamicProvider, kDynamicPack, kMirrorVolume, spanPlex, -4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        VdsSimJournalClear();
        const Reply r = runCommand(address(0x0502, c.volume, c.plex, c.pack, c.provider));
        EXPECT_EQ(r.bytes.size(), 16u);
        EXPECT_EQ(r.status(), c.status);
        EXPECT_FALSE(journalMentions("IVdsVolumePlex::QueryExtents"));
    }
}

TEST_F(Volumes, ASuccessCodeOtherThanOkStillListsTheExtents) {
    VdsSimSucceedWith("IVdsVolumePlex::QueryExtents", S_FALSE);
    const Reply r = runCommand(address(0x0502, kMirrorVolume, kMirrorVolumePlex2));
    EXPECT_EQ(r.bytes.size(), 16u + kDiskExtentRecordSize);
    EXPECT_EQ(r.status(), 0);
    EXPECT_EQ(r.int32(12), 1);
}

// Creating ----------------------------------------------------------------------

TEST_F(Volumes, CreateVolumeHandsTheStripeSizeOnlyToStripedTypes) {
    const struct {
        std::int32_t type;
        const char* line;
    } cases[] = {
        {10, "IVdsPack::CreateVolume(10, 2, 0)"}, {11, "IVdsPack::CreateVolume(11, 2, 0)"},
        {12, "IVdsPack::CreateVolume(12, 2, 65536)"}, {13, "IVdsPack::CreateVolume(13, 2, 0)"},
        {14, "IVdsPack::CreateVolume(14, 2, 65536)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        VdsSimJournalClear();
        runCommand(createVolume(kDynamicPack, c.type, {{kDynDisk, kGiB}, {kSecondDynDisk, kGiB, 1}}));
        EXPECT_TRUE(journalHas(c.line)) << ::testing::PrintToString(journal());
    }
}

TEST_F(Volumes, AMirrorIsMadeFromTheDisksGivenWithoutADriveLetter) {
    const auto before = volumesOf(kDynamicPack);
    succeeds(createVolume(kDynamicPack, 13, {{kDynDisk, kGiB}, {kSecondDynDisk, 2 * kGiB}}));
    const auto after = volumesOf(kDynamicPack);
    ASSERT_EQ(after.size(), before.size() + 1);
    const auto made = volume(kDynamicPack, kFirstMadeVolume);
    ASSERT_TRUE(made);
    EXPECT_EQ(made->type, 13);
    EXPECT_EQ(made->size, kGiB) << "a mirror is as large as its smallest disk's share";
    const auto plexes = plexesOf(kFirstMadeVolume);
    ASSERT_EQ(plexes.size(), 2u);
    std::vector<GUID> disks;
    for (const PlexSeen& p : plexes) {
        EXPECT_EQ(p.size, kGiB);
        for (const ExtentSeen& e : extentsOf(kFirstMadeVolume, p.id)) disks.push_back(e.disk);
    }
    ASSERT_EQ(disks.size(), 2u);
    EXPECT_TRUE(same(disks[0], kDynDisk));
    EXPECT_TRUE(same(disks[1], kSecondDynDisk));
}

TEST_F(Volumes, AStripeTakesEqualColumnsOfWholeStripes) {
    succeeds(createVolume(kDynamicPack, 12, {{kDynDisk, kGiB + 4096}, {kSecondDynDisk, 2 * kGiB, 1}}));
    const auto plexes = plexesOf(kFirstMadeVolume);
    ASSERT_EQ(plexes.size(), 1u);
    EXPECT_EQ(plexes[0].stripeSize, 65536u);
    EXPECT_EQ(plexes[0].members, 2u);
    EXPECT_EQ(plexes[0].size, 2 * kGiB);
    const auto extents = extentsOf(kFirstMadeVolume, plexes[0].id);
    ASSERT_EQ(extents.size(), 2u);
    EXPECT_EQ(extents[0].size, kGiB);
    EXPECT_EQ(extents[1].member, 1u);
}

TEST_F(Volumes, ABasicPackMakesOnlySimpleVolumesOnAPartition) {
    refused(createVolume(kBasicPack, 13, {{kMbrDisk, kGiB}, {kGptDisk, kGiB}}), VDS_E_NOT_SUPPORTED);
    succeeds(createVolume(kBasicPack, 10, {{kMbrDisk, kGiB}}));
    const auto made = volume(kBasicPack, kFirstMadeVolume);
    ASSERT_TRUE(made);
    EXPECT_EQ(made->size, kGiB);
    // The MBR disk held three primaries: the volume became a logical drive in
    // an extended partition made for it, where the next volume goes too.
    succeeds(createVolume(kBasicPack, 10, {{kMbrDisk, kGiB}}));
}

TEST_F(Volumes, CreateVolumeRefusesWhatThePackCannotHold) {
    const struct {
        const char* what;
        std::vector<unsigned char> request;
        HRESULT hr;
    } cases[] = {
        {"a disk of another pack", createVolume(kDynamicPack, 10, {{kMbrDisk, kGiB}}), VDS_E_DISK_NOT_FOUND_IN_PACK},
        {"a disk twice", createVolume(kDynamicPack, 11, {{kDynDisk, kGiB}, {kDynDisk, kGiB}}), VDS_E_DUPLICATE_DISK},
        {"more than the disk has free", createVolume(kDynamicPack, 10, {{kDynDisk, 64 * kGiB}}), VDS_E_NOT_ENOUGH_SPACE},
        {"a parity volume on two disks", createVolume(kDynamicPack, 14, {{kDynDisk, kGiB}, {kSecondDynDisk, kGiB, 1}}),
         VDS_E_INVALID_DISK_COUNT},
        {"stripe members out of order", createVolume(kDynamicPack, 12, {{kDynDisk, kGiB, 1}, {kSecondDynDisk, kGiB}}),
         VDS_E_INVALID_MEMBER_ORDER},
        {"no disks", createVolume(kDynamicPack, 10, {}), VDS_E_INVALID_DISK_COUNT},
    };
    const unsigned long long before = VdsSimModelDigest();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        refused(c.request, c.hr);
    }
    EXPECT_EQ(VdsSimModelDigest(), before);
}

TEST_F(Volumes, DiskArraysAtOddAddressesReachTheServiceIntact) {
    // The request starts one byte into its buffer, so every InputDiskRecord
    // in it, and every 64-bit size, lies at an odd address.
    const std::vector<unsigned char> request =
        createVolume(kDynamicPack, 11, {{kDynDisk, kGiB + (1u << 20)}, {kSecondDynDisk, 3 * kGiB}});
    std::vector<unsigned char> buffer(request.size() + 1);
    std::memcpy(buffer.data() + 1, request.data(), request.size());
    int outSize = 0;
    unsigned char* reply = vdsCmdHandler(buffer.data() + 1, static_cast<int>(request.size()), &outSize);
    ASSERT_NE(reply, nullptr);
    ASSERT_EQ(outSize, 12);
    std::int32_t status = 0;
    std::memcpy(&status, reply + 4, sizeof status);
    vdsFreeOutput(reply);
    ASSERT_EQ(status, 0);
    const auto plexes = plexesOf(kFirstMadeVolume);
    ASSERT_EQ(plexes.size(), 1u);
    const auto extents = extentsOf(kFirstMadeVolume, plexes[0].id);
    ASSERT_EQ(extents.size(), 2u);
    EXPECT_TRUE(same(extents[0].disk, kDynDisk));
    EXPECT_EQ(extents[0].size, kGiB + (1u << 20));
    EXPECT_TRUE(same(extents[1].disk, kSecondDynDisk));
    EXPECT_EQ(extents[1].size, 3 * kGiB);
}

// Growing and shrinking ----------------------------------------------------------------

TEST_F(Volumes, ABasicVolumeGrowsIntoTheSpaceBehindIt) {
    const std::uint64_t before = volume(kBasicPack, kVolumeD)->size;
    succeeds(extendVolume(kVolumeD, {{kMbrDisk, kGiB}}));
    EXPECT_EQ(volume(kBasicPack, kVolumeD)->size, before + kGiB);
    const auto extents =
        extentsOf(kVolumeD, id("91000000-0000-4000-8000-000000000003"), kBasicPack, kBasicProvider);
    ASSERT_EQ(extents.size(), 1u);
    EXPECT_EQ(extents[0].size, before + kGiB);
}

TEST_F(Volumes, ADynamicSimpleVolumeSpansTheDisksItIsExtendedOnto) {
    succeeds(createVolume(kDynamicPack, 10, {{kDynDisk, kGiB}}));
    succeeds(extendVolume(kFirstMadeVolume, {{kSecondDynDisk, 2 * kGiB}}));
    const auto grown = volume(kDynamicPack, kFirstMadeVolume);
    EXPECT_EQ(grown->type, 11);
    EXPECT_EQ(grown->size, 3 * kGiB);
    const auto extents = extentsOf(kFirstMadeVolume, kFirstMadePlex);
    ASSERT_EQ(extents.size(), 2u);
    EXPECT_TRUE(same(extents[1].disk, kSecondDynDisk));
}

TEST_F(Volumes, ExtendAnswersEveryRefusalAsAVdsError) {
    const struct {
        const char* what;
        std::vector<unsigned char> request;
        HRESULT hr;
    } cases[] = {
        // Nothing to add is a success of its own kind, which the protocol reports as it is.
        {"no disks", extendVolume(kVolumeD, {}), S_FALSE},
        {"a FAT32 volume", extendVolume(kSpanVolume, {{kDynDisk, kGiB}}), VDS_E_CANNOT_EXTEND},
        {"more than is free", extendVolume(kVolumeD, {{kMbrDisk, 100 * kGiB}}), VDS_E_EXTENT_EXCEEDS_DISK_FREE_SPACE},
        {"a basic volume onto a disk of another pack", extendVolume(kVolumeD, {{kGptDisk, kGiB}}),
         VDS_E_DISK_NOT_FOUND_IN_PACK},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        refused(c.request, c.hr);
    }
}

TEST_F(Volumes, ShrinkTakesTheWholeSixtyFourBitCount) {
    runCommand(RequestBytes(0x0510).guid(4, kVolumeD).int32(20, 5).int32(24, 1).data());
    EXPECT_TRUE(journalHas("IVdsVolume::Shrink(4294967301)")) << ::testing::PrintToString(journal());
}

TEST_F(Volumes, ShrinkGivesSpaceBackButNeverBelowTheFileSystemsData) {
    const std::uint64_t before = volume(kBasicPack, kVolumeD)->size;
    succeeds(shrinkVolume(kVolumeD, kGiB));
    EXPECT_EQ(volume(kBasicPack, kVolumeD)->size, before - kGiB);
    // The data volume holds about 15.6 GiB of its 39 GiB now.
    refused(shrinkVolume(kVolumeD, 30 * kGiB), VDS_E_SHRINK_SIZE_TOO_BIG);
    refused(shrinkVolume(kVolumeD, 0), E_INVALIDARG);
    refused(shrinkVolume(kSpanVolume, kGiB), VDS_E_CANNOT_SHRINK);
}

// Plexes ----------------------------------------------------------------------

TEST_F(Volumes, AnUnknownSecondVolumeStopsAddPlexBeforeTheCall) {
    const Reply r = runCommand(volumeAndSecond(0x0505, kMirrorVolume, kUnknown));
    EXPECT_EQ(r.bytes.size(), 12u);
    EXPECT_EQ(r.status(), -2);
    EXPECT_FALSE(journalMentions("IVdsVolume::AddPlex"));
}

TEST_F(Volumes, AddPlexMirrorsAVolumeAndTheSourceVolumeGoes) {
    succeeds(createVolume(kDynamicPack, 10, {{kDynDisk, kGiB}}));
    succeeds(createVolume(kDynamicPack, 10, {{kSecondDynDisk, 2 * kGiB}}));
    succeeds(volumeAndSecond(0x0505, kFirstMadeVolume, kSecondMadeVolume));
    EXPECT_FALSE(volume(kDynamicPack, kSecondMadeVolume)) << "the source volume is gone";
    const auto mirror = volume(kDynamicPack, kFirstMadeVolume);
    ASSERT_TRUE(mirror);
    EXPECT_EQ(mirror->type, 13);
    EXPECT_EQ(mirror->size, kGiB);
    EXPECT_EQ(plexesOf(kFirstMadeVolume).size(), 2u);
    // A volume smaller than the target cannot become its plex.
    succeeds(RequestBytes(0x0412).guid(4, kDynamicPack).guid(20, kRawDisk).int32(36, 1).int32(40, 0).data());
    // The next volume gets an identifier of its own, never the one of the
    // volume that went.
    succeeds(createVolume(kDynamicPack, 10, {{kRawDisk, kGiB / 2}}));
    EXPECT_FALSE(volume(kDynamicPack, kSecondMadeVolume));
    refused(volumeAndSecond(0x0505, kFirstMadeVolume, kThirdMadeVolume), VDS_E_VOLUME_TOO_SMALL);
}

TEST_F(Volumes, BreakPlexMakesANewVolumeOfThePlex) {
    const auto before = volumesOf(kDynamicPack);
    succeeds(volumeAndSecond(0x0506, kMirrorVolume, kMirrorVolumePlex2));
    const auto after = volumesOf(kDynamicPack);
    ASSERT_EQ(after.size(), before.size() + 1);
    const auto plexes = plexesOf(kMirrorVolume);
    ASSERT_EQ(plexes.size(), 1u);
    EXPECT_EQ(volume(kDynamicPack, kMirrorVolume)->type, 10);
    const auto broken = volume(kDynamicPack, kFirstMadeVolume);
    ASSERT_TRUE(broken);
    EXPECT_EQ(broken->size, 20 * kGiB);
    const auto extents = extentsOf(kFirstMadeVolume, kMirrorVolumePlex2);
    ASSERT_EQ(extents.size(), 1u);
    EXPECT_TRUE(same(extents[0].disk, kSecondDynDisk));
    // What is left is no mirror any more.
    refused(volumeAndSecond(0x0506, kMirrorVolume, kMirrorVolumePlex1), VDS_E_VOLUME_NOT_A_MIRROR);
}

TEST_F(Volumes, RemovePlexFreesItsExtentsButNotTheLastOne) {
    succeeds(volumeAndSecond(0x0507, kMirrorVolume, kMirrorVolumePlex2));
    ASSERT_EQ(plexesOf(kMirrorVolume).size(), 1u);
    const Reply gone = runCommand(volumeAndSecond(0x0507, kMirrorVolume, kMirrorVolumePlex2));
    EXPECT_EQ(gone.status(), -2) << "the plex no longer exists";
    refused(volumeAndSecond(0x0507, kMirrorVolume, kMirrorVolumePlex1), VDS_E_VOLUME_NOT_A_MIRROR);
}

TEST_F(Volumes, PlexOperationsAreRefusedOnBasicVolumes) {
    const GUID plexD = id("91000000-0000-4000-8000-000000000003");
    refused(volumeAndSecond(0x0506, kVolumeD, plexD), VDS_E_NOT_SUPPORTED);
    refused(volumeAndSecond(0x0507, kVolumeD, plexD), VDS_E_NOT_SUPPORTED);
    refused(volumeAndSecond(0x0505, kVolumeD, kVolumeF), VDS_E_NOT_SUPPORTED);
}

TEST_F(Volumes, RepairMendsParityPlexesOnly) {
    refused(repairPlex(kMirrorVolumePlex2, {{kRawDisk, 20 * kGiB}}), VDS_E_NOT_SUPPORTED);
    succeeds(RequestBytes(0x0412).guid(4, kDynamicPack).guid(20, kRawDisk).int32(36, 1).int32(40, 0).data());
    succeeds(createVolume(kDynamicPack, 14, {{kDynDisk, kGiB}, {kSecondDynDisk, kGiB, 1}, {kRawDisk, kGiB, 2}}));
    // A parity plex with every member in place has nothing to rebuild.
    refused(repairPlex(kFirstMadePlex, {{kRawDisk, kGiB}}), VDS_E_REPAIR_VOLUMESTATE);
}

// Deleting and flags --------------------------------------------------------------

TEST_F(Volumes, DeleteTakesTheVolumeAndItsPartitionAway) {
    succeeds(deleteVolume(kVolumeD));
    EXPECT_FALSE(volume(kBasicPack, kVolumeD));
    // Its partition went too: a new volume fits where it stood.
    succeeds(createVolume(kBasicPack, 10, {{kMbrDisk, 60 * kGiB}}));
    const Reply again = runCommand(deleteVolume(kVolumeD));
    EXPECT_EQ(again.status(), -1);
}

TEST_F(Volumes, TheSystemVolumeIsNotDeletedEvenByForce) {
    refused(deleteVolume(kVolumeC, 1), VDS_E_OPERATION_DENIED);
    EXPECT_TRUE(volume(kBasicPack, kVolumeC));
}

TEST_F(Volumes, FlagsAreSetAndClearedAsTheVolumeListShows) {
    succeeds(setFlags(kVolumeF, VDS_VF_HIDDEN));
    EXPECT_EQ(volume(kGptPack, kVolumeF)->flags & VDS_VF_HIDDEN, static_cast<std::uint32_t>(VDS_VF_HIDDEN));
    succeeds(clearFlags(kVolumeF, VDS_VF_HIDDEN));
    EXPECT_EQ(volume(kGptPack, kVolumeF)->flags & VDS_VF_HIDDEN, 0u);
    refused(setFlags(kVolumeC, VDS_VF_SHADOW_COPY), VDS_E_OPERATION_DENIED);
    // Hiding is disk-wide on a basic MBR disk: refused beside the running system.
    refused(setFlags(kVolumeD, VDS_VF_HIDDEN), VDS_E_OPERATION_DENIED);
    succeeds(setFlags(kVolumeD, VDS_VF_SHADOW_COPY));
    refused(setFlags(kVolumeD, VDS_VF_NO_DEFAULT_DRIVE_LETTER, 1), VDS_E_REVERT_ON_CLOSE);
    refused(setFlags(kVolumeD, VDS_VF_BOOT_VOLUME), VDS_E_INVALID_VOLUME_FLAG);
}

// Requests ----------------------------------------------------------------------

TEST_F(Volumes, RequestsTooShortForTheirArraysGetTheNullReplyBeforeAnyCall) {
    std::vector<unsigned char> twoPromisedOneSent = createVolume(kDynamicPack, 11, {{kDynDisk, kGiB}});
    twoPromisedOneSent[40] = 2;
    std::vector<unsigned char> negative = extendVolume(kVolumeD, {{kMbrDisk, kGiB}});
    negative[52] = 0xFF, negative[53] = 0xFF, negative[54] = 0xFF, negative[55] = 0xFF;
    std::vector<unsigned char> cutRepair = repairPlex(kMirrorVolumePlex2, {{kRawDisk, kGiB}});
    cutRepair.pop_back();
    const std::vector<std::vector<unsigned char>> requests = {
        twoPromisedOneSent,
        negative,
        cutRepair,
        RequestBytes(0x0501).guid(4, kDynamicProvider).data(),
        RequestBytes(0x0502).guid(36, kMirrorVolume).data(),
        RequestBytes(0x0505).guid(36, kMirrorVolume).data(),
        RequestBytes(0x0509).guid(4, kVolumeD).data(),
        RequestBytes(0x0510).guid(4, kVolumeD).int32(20, 5).data(),
        RequestBytes(0x0511).guid(4, kVolumeD).int32(20, 0x10).data(),
        RequestBytes(0x0512).guid(4, kVolumeD).data(),
    };
    for (std::size_t i = 0; i < requests.size(); ++i) {
        SCOPED_TRACE(i);
        VdsSimJournalClear();
        const Reply reply = runCommand(requests[i]);
        EXPECT_TRUE(reply.null);
        EXPECT_TRUE(journal().empty()) << "no VDS call";
    }
}

}  // namespace
