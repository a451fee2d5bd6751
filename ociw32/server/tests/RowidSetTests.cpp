// The rowid set behind "a row imaged since the last savepoint needs no new
// image": spans join and split as rows come and go, and membership stays
// exact at their edges.
#include "ociw32/server/OraRowidSet.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <vector>

namespace {

using VkOracle::OraRowidSet;

struct SpanCase {
    const char* name;
    std::vector<int64_t> inserted;
    std::vector<int64_t> erased;
    size_t spans;
};

TEST(RowidSetTest, MembershipMatchesAPlainSetAndSpansStayMerged)
{
    const SpanCase cases[] = {
        {"one run", {1, 2, 3, 4, 5}, {}, 1},
        {"run backwards", {5, 4, 3, 2, 1}, {}, 1},
        {"two runs", {1, 2, 3, 10, 11}, {}, 2},
        {"gap filled joins both", {1, 2, 4, 5, 3}, {}, 1},
        {"repeats", {7, 7, 8, 7}, {}, 1},
        {"split in the middle", {1, 2, 3, 4, 5}, {3}, 2},
        {"erase the edges", {1, 2, 3, 4, 5}, {1, 5}, 1},
        {"erase a single", {9}, {9}, 0},
        {"erase what is not there", {1, 2}, {0, 3, 100}, 1},
        {"negative and zero", {-2, -1, 0, 1}, {}, 1},
        {"at the ends of the range", {INT64_MAX, INT64_MAX - 1, INT64_MIN, INT64_MIN + 1}, {}, 2},
        {"erase at the ends", {INT64_MAX, INT64_MAX - 1, INT64_MIN, INT64_MIN + 1}, {INT64_MAX, INT64_MIN}, 2},
        {"scattered", {100, 3, 50, 4, 51, 2}, {}, 3},
    };
    for (const SpanCase& c : cases) {
        SCOPED_TRACE(c.name);
        OraRowidSet set;
        std::set<int64_t> plain;
        for (int64_t r : c.inserted) {
            set.Insert(r);
            plain.insert(r);
        }
        for (int64_t r : c.erased) {
            set.Erase(r);
            plain.erase(r);
        }
        EXPECT_EQ(set.Spans(), c.spans);
        EXPECT_EQ(set.Empty(), plain.empty());
        std::set<int64_t> probes = plain;
        for (int64_t r : plain) {
            if (r > INT64_MIN)
                probes.insert(r - 1);
            if (r < INT64_MAX)
                probes.insert(r + 1);
        }
        for (int64_t r : c.erased)
            probes.insert(r);
        for (int64_t r : probes)
            EXPECT_EQ(set.Contains(r), plain.count(r) == 1) << "rowid " << r;
    }
}

TEST(RowidSetTest, ClearEmptiesIt)
{
    OraRowidSet set;
    for (int64_t r = 1; r <= 1000; ++r)
        set.Insert(r);
    EXPECT_EQ(set.Spans(), 1u);
    set.Clear();
    EXPECT_TRUE(set.Empty());
    EXPECT_FALSE(set.Contains(1));
}

} // namespace
