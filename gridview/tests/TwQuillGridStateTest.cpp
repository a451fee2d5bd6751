// The grid's persisted state: what survives a round trip with and without
// the connection, and that damaged bytes are refused without harm.

#include "gridview/TwQuillGridState.h"

#include <gtest/gtest.h>

namespace {

TwQuillGridState Sample()
{
    TwQuillGridState state;
    state.columns = {"ENAME", "SAL"};
    state.widths = {120, 80};
    state.rows = {{"KING", "5000"}, {"FORD", "3000"}};
    state.host = "DEMO";
    state.user = "scott";
    state.password = "tiger";
    state.refreshInterval = 30;
    state.maximumRows = 500;
    state.monitorMode = 1;
    state.sqlText = "SELECT ENAME, SAL FROM EMP";
    return state;
}

TEST(GridState, RoundTripKeepsOrBlanksTheConnectionAndTheCells)
{
    for (bool include : {true, false}) {
        SCOPED_TRACE(include ? "with connection" : "without connection");
        const TwQuillGridState saved = Sample();
        TwQuillGridState loaded;
        std::string error;
        ASSERT_TRUE(TwQuillGridState::FromBytes(saved.ToBytes(include), include, loaded, error)) << error;
        EXPECT_EQ(loaded.columns, saved.columns);
        EXPECT_EQ(loaded.widths, saved.widths);
        ASSERT_EQ(loaded.rows.size(), 2u);
        EXPECT_EQ(loaded.rows[0][0], include ? "KING" : "");
        EXPECT_EQ(loaded.rows[1][1], include ? "3000" : "");
        EXPECT_EQ(loaded.host, include ? "DEMO" : "");
        EXPECT_EQ(loaded.user, include ? "scott" : "");
        EXPECT_EQ(loaded.password, include ? "tiger" : "");
        EXPECT_EQ(loaded.refreshInterval, 30u);
        EXPECT_EQ(loaded.maximumRows, 500);
        EXPECT_EQ(loaded.monitorMode, 1);
        EXPECT_EQ(loaded.sqlText, saved.sqlText);
    }
}

TEST(GridState, StoredWithoutConnectionHoldsThreeEmptyStringsAndNoPassword)
{
    const std::vector<BYTE> bytes = Sample().ToBytes(false);
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(text.find("tiger"), std::string::npos);
    EXPECT_EQ(text.find("KING"), std::string::npos);
    // Saved with the connection but loaded without it, the details go.
    TwQuillGridState loaded;
    std::string error;
    ASSERT_TRUE(TwQuillGridState::FromBytes(Sample().ToBytes(true), false, loaded, error)) << error;
    EXPECT_TRUE(loaded.host.empty() && loaded.user.empty() && loaded.password.empty());
}

TEST(GridState, DamagedBytesAreRefusedAndLeaveTheStateAlone)
{
    const std::vector<BYTE> whole = Sample().ToBytes(true);
    std::vector<std::vector<BYTE>> damaged = {
        {},
        std::vector<BYTE>(whole.begin(), whole.begin() + static_cast<long>(whole.size() / 2)),
        std::vector<BYTE>(whole.begin(), whole.end() - 1),
        {0xFF, 0xFF, 0xFF, 0x7F}, // four billion columns, and nothing behind
        // No columns but four billion rows: rows of nothing must not be
        // counted out one by one into memory.
        {0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF},
    };
    for (const auto& bytes : damaged) {
        SCOPED_TRACE(bytes.size());
        TwQuillGridState state = Sample();
        std::string error;
        EXPECT_FALSE(TwQuillGridState::FromBytes(bytes, true, state, error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(state.sqlText, Sample().sqlText);
    }
}

TEST(GridState, RowsWithoutColumnsAreRefused)
{
    TwQuillGridState saved = Sample();
    saved.columns.clear();
    saved.widths.clear();
    TwQuillGridState loaded;
    std::string error;
    EXPECT_FALSE(TwQuillGridState::FromBytes(saved.ToBytes(true), true, loaded, error));
    EXPECT_FALSE(error.empty());
}

} // namespace
