// A parent's list of children against a plain vector doing the same: random
// additions, insertions and removals on lists small and large enough to fold
// their overlay many times, with copies taken on the way that must keep
// what they held (a change's record of how a parent stood).
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <utility>
#include <vector>

#include "model/id_list.h"

using tolvane::sim::IdList;

namespace {

GUID child(std::uint32_t n) {
    GUID id{};
    id.Data1 = n;
    id.Data4[0] = 0x80;
    return id;
}

void expectSame(const IdList& list, const std::vector<GUID>& expected) {
    ASSERT_EQ(list.size(), expected.size());
    EXPECT_EQ(list.empty(), expected.empty());
    EXPECT_TRUE(std::equal(list.begin(), list.end(), expected.begin(), expected.end()));
    if (!expected.empty()) {
        EXPECT_EQ(list.front(), expected.front());
        EXPECT_EQ(list.back(), expected.back());
    }
}

TEST(IdList, BehavesAsAVectorOfDistinctChildrenAndCopiesKeepTheirContents) {
    for (std::uint32_t start : {0u, 5u, 40u, 3000u}) {
        SCOPED_TRACE(start);
        std::mt19937 random(start + 1);
        std::vector<GUID> expected;
        for (std::uint32_t i = 0; i < start; ++i) expected.push_back(child(i));
        IdList list(expected);
        std::uint32_t next = start;
        std::vector<std::pair<IdList, std::vector<GUID>>> copies;
        for (int step = 0; step < 4000; ++step) {
            const unsigned op = random() % 10;
            if (op < 4 || expected.empty()) {
                list.push_back(child(next));
                expected.push_back(child(next++));
            } else if (op < 8) {
                const GUID gone = expected[random() % expected.size()];
                EXPECT_EQ(list.erase(gone), 1u);
                std::erase(expected, gone);
            } else if (op == 8) {
                const std::size_t at = random() % (expected.size() + 1);
                list.insert(at, child(next));
                expected.insert(expected.begin() + static_cast<std::ptrdiff_t>(at), child(next++));
            } else {
                EXPECT_EQ(list.erase(child(next + 7)), 0u) << "a child never listed";
            }
            if (step % 97 == 0) copies.emplace_back(list, expected);
            const GUID probe = child(static_cast<std::uint32_t>(random() % (next + 1)));
            EXPECT_EQ(list.contains(probe), std::find(expected.begin(), expected.end(), probe) != expected.end());
        }
        expectSame(list, expected);
        for (const auto& [copy, held] : copies) expectSame(copy, held);
        EXPECT_TRUE(list == IdList(expected));
        EXPECT_EQ(list.fingerprint(), IdList(expected).fingerprint()) << "kept in step with every change";
    }
}

}  // namespace
