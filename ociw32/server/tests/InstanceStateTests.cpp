// The instance state file (<SID>.state): what oradmin writes is what every
// logon reads back, and a damaged file never makes a closed database look
// open with a clock it did not ask for.
#include "ociw32/server/OraDatabaseFiles.h"
#include "testsupport/TestRoot.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using VkOracle::OraClockMode;
using VkOracle::OraInstanceState;
using VkOracle::OraShutdownMode;

class InstanceStateTest : public qvtest::FreshRootTest {
protected:
    VkOracle::OraDatabaseRef Db() const { return {"ST", root().string()}; }
    void WriteRaw(const std::string& text) const
    {
        std::ofstream out(VkOracle::StateFilePath(Db()), std::ios::binary | std::ios::trunc);
        out << text;
    }
};

TEST_F(InstanceStateTest, WrittenStatesReadBack)
{
    struct Case {
        bool open;
        OraShutdownMode shutdown;
        OraClockMode clock;
        int64_t value;
    };
    const Case cases[] = {
        {true, OraShutdownMode::Normal, OraClockMode::System, 0},
        {false, OraShutdownMode::Normal, OraClockMode::System, 0},
        {false, OraShutdownMode::Immediate, OraClockMode::Pinned, 1700000000},
        {false, OraShutdownMode::Abort, OraClockMode::Offset, -86400},
        {true, OraShutdownMode::Normal, OraClockMode::Offset, 3600},
        {true, OraShutdownMode::Normal, OraClockMode::Pinned, 0},
    };
    for (const Case& c : cases) {
        OraInstanceState written;
        written.open = c.open;
        written.shutdown = c.shutdown;
        written.clock.mode = c.clock;
        written.clock.value = c.value;
        ASSERT_TRUE(VkOracle::WriteInstanceState(Db(), written));
        const OraInstanceState read = VkOracle::ReadInstanceState(Db());
        EXPECT_EQ(read.open, c.open);
        EXPECT_EQ(read.shutdown, c.shutdown);
        EXPECT_EQ(read.clock.mode, c.clock);
        EXPECT_EQ(read.clock.value, c.value);
    }
}

TEST_F(InstanceStateTest, HandWrittenAndDamagedFiles)
{
    // Any spacing between words.
    WriteRaw("  SHUTDOWN\tABORT\r\n\n  PINNED   42 \n");
    OraInstanceState s = VkOracle::ReadInstanceState(Db());
    EXPECT_FALSE(s.open);
    EXPECT_EQ(s.shutdown, OraShutdownMode::Abort);
    EXPECT_EQ(s.clock.mode, OraClockMode::Pinned);
    EXPECT_EQ(s.clock.value, 42);

    // A value that is no number stops the reading there: the clock stays
    // the system's and later words are not taken.
    WriteRaw("SHUTDOWN\nOFFSET 12x\nOPEN\n");
    s = VkOracle::ReadInstanceState(Db());
    EXPECT_FALSE(s.open);
    EXPECT_EQ(s.clock.mode, OraClockMode::System);
    WriteRaw("SHUTDOWN\nPINNED");
    s = VkOracle::ReadInstanceState(Db());
    EXPECT_FALSE(s.open);
    EXPECT_EQ(s.clock.mode, OraClockMode::System);

    // Unknown words are passed over; the last of OPEN and SHUTDOWN counts.
    WriteRaw("OPEN MAINTENANCE SHUTDOWN IMMEDIATE OPEN SYSTEM");
    s = VkOracle::ReadInstanceState(Db());
    EXPECT_TRUE(s.open);
    EXPECT_EQ(s.shutdown, OraShutdownMode::Immediate);
}

TEST_F(InstanceStateTest, NoFileIsAnOpenInstanceOnTheSystemClock)
{
    const OraInstanceState s = VkOracle::ReadInstanceState(Db());
    EXPECT_TRUE(s.open);
    EXPECT_EQ(s.shutdown, OraShutdownMode::Normal);
    EXPECT_EQ(s.clock.mode, OraClockMode::System);
}

} // namespace
