// Where a new partition may go, and the letters partitions hold.
#include <gmock/gmock.h>

#include "built_in_model.h"
#include "model/model_rules.h"
#include "platform/vds_types.h"

using namespace simmodel;
using namespace tolvane::sim;

namespace {

constexpr std::uint64_t kKiB = 1024;
constexpr std::uint64_t kMiB = 1024 * kKiB;
constexpr std::uint64_t kGiB = 1024 * kMiB;

Disk diskOf(std::uint64_t size, std::int32_t style, std::vector<std::pair<std::uint64_t, std::uint64_t>> parts) {
    Disk d;
    d.size = size;
    d.partitionStyle = style;
    std::uint32_t n = 0;
    for (const auto& [offset, length] : parts) {
        Partition p;
        p.number = ++n;
        p.offset = offset;
        p.size = length;
        d.partitions.push_back(p);
    }
    return d;
}

struct Placement {
    const char* what;
    Disk disk;
    std::uint64_t offset;
    std::uint64_t size;
    HRESULT expected;
    std::uint64_t start;  // when placed
};

TEST(PartitionRules, NewPartitionsAreAlignedAndFitInFreeSpace) {
    const Placement cases[] = {
        {"a small disk aligns to 64 KiB", diskOf(2 * kGiB, 1, {}), kMiB + 1, kMiB, S_OK, kMiB + 64 * kKiB},
        {"a large disk aligns to 1 MiB", diskOf(8 * kGiB, 2, {}), kMiB + 1, kMiB, S_OK, 2 * kMiB},
        {"the tables' mebibyte is never used", diskOf(8 * kGiB, 2, {}), 0, kMiB, S_OK, kMiB},
        {"exactly the free stretch", diskOf(8 * kGiB, 2, {{kMiB, kGiB}}), kGiB + kMiB, 7 * kGiB - kMiB, S_OK,
         kGiB + kMiB},
        {"one byte more", diskOf(8 * kGiB, 2, {{kMiB, kGiB}}), kGiB + kMiB, 7 * kGiB - kMiB + 1,
         VDS_E_NOT_ENOUGH_SPACE, 0},
        {"up to the next partition", diskOf(8 * kGiB, 2, {{2 * kGiB, kGiB}}), kMiB, 2 * kGiB,
         VDS_E_NOT_ENOUGH_SPACE, 0},
        {"inside a partition", diskOf(8 * kGiB, 2, {{kMiB, kGiB}}), 10 * kMiB, kMiB, VDS_E_INVALID_SPACE, 0},
        {"past the end", diskOf(8 * kGiB, 2, {}), 8 * kGiB, kMiB, VDS_E_INVALID_SPACE, 0},
        {"an offset whose rounding overflows", diskOf(8 * kGiB, 2, {}), UINT64_MAX - 5, kMiB,
         VDS_E_INVALID_SPACE, 0},
        {"a fifth MBR partition",
         diskOf(8 * kGiB, 1, {{kMiB, kGiB}, {kGiB + kMiB, kGiB}, {2 * kGiB + kMiB, kGiB}, {3 * kGiB + kMiB, kGiB}}),
         5 * kGiB, kGiB, VDS_E_PARTITION_LIMIT_REACHED, 0},
        {"a fifth GPT partition",
         diskOf(8 * kGiB, 2, {{kMiB, kGiB}, {kGiB + kMiB, kGiB}, {2 * kGiB + kMiB, kGiB}, {3 * kGiB + kMiB, kGiB}}),
         5 * kGiB, kGiB, S_OK, 5 * kGiB},
    };
    for (const Placement& c : cases) {
        std::uint64_t start = 0;
        EXPECT_EQ(placePartition(c.disk, c.offset, c.size, start), c.expected) << c.what;
        if (c.expected == S_OK) {
            EXPECT_EQ(start, c.start) << c.what;
        }
    }
}

TEST(PartitionRules, APartitionsLetterIsHeldAgainstEveryoneElse) {
    Model m = defaultMachine();
    Disk& gpt = m.disks.at(id("80000000-0000-4000-8000-000000000002"));
    gpt.partitions[0].driveLetter = u'S';
    EXPECT_EQ(driveLetterHolder(m, u's'), gpt.id);
    EXPECT_EQ(checkModelRules(m), std::nullopt);

    gpt.partitions[0].driveLetter = u'C';  // volume C's
    ASSERT_TRUE(checkModelRules(m).has_value());
    EXPECT_THAT(*checkModelRules(m), ::testing::HasSubstr("drive letter C"));

    gpt.partitions[0].driveLetter = 0;
    gpt.partitions[2].driveLetter = u'T';  // volume F's partition
    ASSERT_TRUE(checkModelRules(m).has_value());
    EXPECT_THAT(*checkModelRules(m), ::testing::HasSubstr("through the volume"));
}

TEST(PartitionTable, NewPartitionsAreNumberedOnAndNeverGetAnIdentityTwice) {
    Model m;
    Pack pack;
    pack.id = id("70000000-0000-4000-8000-0000000000AA");
    m.packs[pack.id] = pack;
    Disk gpt = diskOf(100 * kGiB, VDS_PST_GPT, {{kMiB, kGiB}});
    gpt.id = id("80000000-0000-4000-8000-0000000000AA");
    gpt.pack = pack.id;
    m.disks[gpt.id] = gpt;
    Disk mbr = diskOf(100 * kGiB, VDS_PST_MBR, {{kMiB, kGiB}, {2 * kGiB, kGiB}, {4 * kGiB, kGiB}});
    mbr.id = id("80000000-0000-4000-8000-0000000000AB");
    m.disks[mbr.id] = mbr;

    Partition p;
    p.offset = 10 * kGiB;
    p.size = kGiB;
    ASSERT_EQ(addPartition(m, gpt.id, p), S_OK);
    const Partition first = *partitionAt(m.disks.at(gpt.id), p.offset);
    EXPECT_EQ(first.number, 2u);
    EXPECT_NE(first.gptId, GUID{});
    // Deleted and made again at the same place: a partition of its own.
    std::erase_if(m.disks.at(gpt.id).partitions, [&](const Partition& q) { return q.offset == p.offset; });
    ASSERT_EQ(addPartition(m, gpt.id, p), S_OK);
    EXPECT_NE(partitionAt(m.disks.at(gpt.id), p.offset)->gptId, first.gptId);
    EXPECT_EQ(m.disks.at(gpt.id).partitions.back().offset, p.offset) << "kept in the order of offsets";

    // An MBR table holds four entries, however much room is left.
    ASSERT_EQ(addPartition(m, mbr.id, p), S_OK);
    EXPECT_EQ(m.disks.at(mbr.id).partitions.back().gptId, GUID{}) << "an MBR partition has no GPT identity";
    p.offset = 20 * kGiB;
    EXPECT_EQ(addPartition(m, mbr.id, p), VDS_E_PARTITION_LIMIT_REACHED);
    EXPECT_EQ(m.disks.at(mbr.id).partitions.size(), 4u);
}

}  // namespace
