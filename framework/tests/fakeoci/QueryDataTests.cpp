// Describe, fetch, cell getters, binds and copies over the stand-in library.

#include "FakeOciTestSupport.h"

#include "generic/VkDateFormat.h"

#include <QLocale>

#include <cmath>
#include <limits>

using VkOracle::OCISession;
using QueryData = OCISession::OCIQueryData;

namespace {

class OciQuery : public fakeoci::FakeOciTest {
protected:
    void SetUp() override { m_session = fakeoci::Logon(); }

    std::unique_ptr<QueryData> Sql(OCISession::OCICursor& cursor, const char* sql)
    {
        std::unique_ptr<QueryData> data(cursor.Sql(sql));
        EXPECT_TRUE(data) << sql << ": " << cursor.Error();
        return data;
    }

    std::unique_ptr<OCISession> m_session;
};

TEST_F(OciQuery, FetchesInArraysUntilTheEnd)
{
    auto cursor = m_session->Cursor();
    auto data = Sql(cursor, "select n from rows120");
    ASSERT_TRUE(data);
    ASSERT_EQ(data->Columns(), 1);
    EXPECT_EQ(data->FetchCount(), 0);
    const long expected[] = {50, 50, 20, 0};
    long first = 1;
    for (long rows : expected) {
        EXPECT_EQ(data->Fetch(50), rows);
        EXPECT_EQ(data->Rows(), rows);
        if (rows > 0) {
            EXPECT_EQ(data->GetLong(0, 0), first);
            EXPECT_EQ(data->GetLong(static_cast<int>(rows - 1), 0), first + rows - 1);
        }
        first += rows;
    }
    EXPECT_EQ(data->TotalRows(), 120);
    EXPECT_EQ(data->FetchCount(), 4);
    // Only the rows of the last fetch are cells.
    EXPECT_EQ(data->GetLong(0, 0), 0);
}

TEST_F(OciQuery, LaterFetchesAskForAtMostTheBufferedRows)
{
    auto cursor = m_session->Cursor();
    auto data = Sql(cursor, "select n from rows30");
    ASSERT_TRUE(data);
    EXPECT_EQ(data->Fetch(10), 10);
    EXPECT_EQ(data->Column(0).BufferedRows(), 10);
    EXPECT_EQ(data->Fetch(100), 10);
    EXPECT_EQ(data->GetLong(9, 0), 20);
    EXPECT_EQ(data->Fetch(0), 0);
}

TEST_F(OciQuery, DescribesTypesSizesAndBuffers)
{
    auto cursor = m_session->Cursor();
    auto data = Sql(cursor, "select * from edge_cells");
    ASSERT_TRUE(data);
    struct Expect {
        const char* name;
        int internal, external, size;
    } expected[] = {{"NUM", 2, 4, 8}, {"TXT", 1, 5, 11}, {"DAT", 12, 12, 7},
                    {"CNT", 8, 5, 32761}, {"CH", 96, 5, 6},  {"RAWC", 23, 24, 4}};
    ASSERT_EQ(data->Columns(), 6);
    for (int i = 0; i < 6; ++i) {
        auto column = data->Column(i);
        EXPECT_EQ(column.Name(), expected[i].name);
        EXPECT_EQ(column.InternalType(), expected[i].internal);
        EXPECT_EQ(column.TypeToExternalOracleType(), expected[i].external) << expected[i].name;
        EXPECT_EQ(column.ExternalDataSize(), expected[i].size) << expected[i].name;
    }
    EXPECT_EQ(data->Column(0).Precision(), 10);
    EXPECT_EQ(data->Column(0).Scale(), 2);
    EXPECT_TRUE(data->Column(0).IsFloat());
    EXPECT_TRUE(data->Column(1).IsString());
    EXPECT_TRUE(data->Column(2).IsDate());
    EXPECT_TRUE(data->Column(3).IsString()); // LONG text
    EXPECT_EQ(data->Column(0).DataBuffer(), nullptr);
    EXPECT_EQ(data->Fetch(4), 4);
    EXPECT_NE(data->Column(1).DataBuffer(), nullptr);
    EXPECT_EQ(data->Column(1).BufferedRows(), 4);
    // Out of range: an empty column, no crash.
    EXPECT_EQ(data->Column(6).Name(), "");
    EXPECT_EQ(data->Column(-1).DataBuffer(), nullptr);
}

// The edge rows of the canned table, one expectation per row.
struct CellRow {
    long numLong;
    double numFloat;
    const char* numText;
    const char* txt;
    long txtLong;
    double txtFloat;
    bool txtBool;
};

TEST_F(OciQuery, CellGettersFollowTheTypeAndReturnedLength)
{
    auto cursor = m_session->Cursor();
    auto data = Sql(cursor, "select * from edge_cells");
    ASSERT_TRUE(data);
    ASSERT_EQ(data->Fetch(20), 8);
    const CellRow rows[] = {
        {0, 0.0, "0", "", 0, 0.0, false},                          // NULL cells: length 0
        {42, 42.75, "42.75", "Yes", 1, 1.0, true},                 //
        {-3, -3.9, "-3.9", "N", 0, 0.0, false},                    // toward zero
        {0, 0.0, "0", "0", 0, 0.0, false},                         //
        {1234567, 1234567.0, "1.23457e+06", "42abc", 42, 42.0, true}, //
        {0, 0.5, "0.5", "yes", 1, 1.0, true},                      //
        {std::numeric_limits<long>::max(), 1e300, "1e+300", "  -17 ", -17, -17.0, true},
        {std::numeric_limits<long>::min(), -1e300, "-1e+300", "3.75e1x", 3, 37.5, true},
    };
    for (int r = 0; r < 8; ++r) {
        SCOPED_TRACE(r);
        const CellRow& e = rows[r];
        EXPECT_EQ(data->GetLong(r, 0), e.numLong);
        EXPECT_DOUBLE_EQ(data->GetFloat(r, 0), e.numFloat);
        EXPECT_EQ(data->GetString(r, 0), e.numText);
        EXPECT_EQ(data->GetString(r, 1), e.txt);
        EXPECT_EQ(data->GetLong(r, 1), e.txtLong);
        EXPECT_DOUBLE_EQ(data->GetFloat(r, 1), e.txtFloat);
        EXPECT_EQ(data->GetBoolean(r, 1), e.txtBool);
        // Numbers and texts are no dates.
        EXPECT_EQ(data->GetDate(r, 0), 0.0);
        EXPECT_EQ(data->GetDate(r, 1), 0.0);
    }
    EXPECT_EQ(data->Column(0).IndicatorBuffer()[0], -1);
    EXPECT_EQ(data->Column(0).RetCodeBuffer()[0], OCI_NULL_FETCHED);
}

TEST_F(OciQuery, DateCells)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    auto cursor = m_session->Cursor();
    auto data = Sql(cursor, "select * from edge_cells");
    ASSERT_TRUE(data);
    ASSERT_EQ(data->Fetch(20), 8);
    double endOf1999 = 0;
    ASSERT_TRUE(VkDateFormat::ToAutomationDate({1999, 12, 31, 23, 59, 58}, endOf1999));
    EXPECT_NEAR(endOf1999, 36525.0 + 86398.0 / 86400.0, 1e-9);
    EXPECT_EQ(data->GetDate(0, 2), 0.0); // NULL date
    EXPECT_EQ(data->GetString(0, 2), "");
    EXPECT_EQ(data->GetDate(1, 2), endOf1999);
    EXPECT_EQ(data->GetString(1, 2), "31/Dec/1999 23:59");
    EXPECT_EQ(data->GetString(2, 2), "01/Jan/2001 01:01");
    EXPECT_EQ(data->GetString(3, 2), ""); // year 0: no date
    EXPECT_EQ(data->GetDate(3, 2), 0.0);
    EXPECT_EQ(data->GetString(4, 2), "29/Feb/2000 12:30");
    EXPECT_EQ(data->GetDate(5, 2), 0.0); // 30 February
    // Dates read as numbers give 0.
    EXPECT_EQ(data->GetLong(1, 2), 0);
    EXPECT_EQ(data->GetFloat(1, 2), 0.0);
    QLocale::setDefault(QLocale::system());
}

TEST_F(OciQuery, IntegerCharAndRawCells)
{
    auto cursor = m_session->Cursor();
    auto data = Sql(cursor, "select * from edge_cells");
    ASSERT_TRUE(data);
    ASSERT_EQ(data->Fetch(20), 8);
    EXPECT_EQ(data->GetLong(1, 3), 7);
    EXPECT_EQ(data->GetLong(2, 3), -5);
    EXPECT_EQ(data->GetString(2, 3), "-5");
    EXPECT_DOUBLE_EQ(data->GetFloat(2, 3), -5.0);
    EXPECT_TRUE(data->GetBoolean(1, 3));
    EXPECT_FALSE(data->GetBoolean(3, 3));
    // CHAR comes blank-padded; "Y" anywhere first reads as true.
    EXPECT_EQ(data->GetString(1, 4), "ab   ");
    EXPECT_EQ(data->GetLong(2, 4), 1);
    EXPECT_EQ(data->GetLong(3, 4), 0);
    EXPECT_EQ(data->GetLong(4, 4), 12);
    EXPECT_EQ(data->GetLong(6, 4), 1);
    // Other types have no conversions.
    EXPECT_EQ(data->GetString(1, 5), "");
    EXPECT_EQ(data->GetLong(1, 5), 0);
    int length = 0;
    const ub1* raw = data->Column(5).GetItemPtr(1, length);
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(raw), static_cast<std::size_t>(length)), "wxyz");
    EXPECT_EQ(data->Column(5).GetItemPtr(99, length), nullptr);
    EXPECT_EQ(length, 0);
}

TEST_F(OciQuery, ColumnNamesAreCutToTwentyCharactersAndTrimmed)
{
    auto cursor = m_session->Cursor();
    auto data = Sql(cursor, "select * from long_names");
    ASSERT_TRUE(data);
    ASSERT_EQ(data->Columns(), 3);
    EXPECT_EQ(data->Column(0).Name(), "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(data->ColumnIndexFromName("ABCDEFGHIJKLMNOPQRSTUVWXY"), -1);
    // Both long names cut to the same text: the first one is found.
    EXPECT_EQ(data->ColumnIndexFromName("ABCDEFGHIJKLMNOPQRST"), 0);
    EXPECT_EQ(data->ColumnIndexFromName("SPACED"), 1);
    EXPECT_EQ(data->ColumnIndexFromName("spaced"), -1);
    EXPECT_EQ(data->ColumnIndexFromName(""), -1);
}

TEST_F(OciQuery, ExecuteBindsNamedDoublesAndCommits)
{
    auto cursor = m_session->Cursor();
    auto submit = Sql(cursor, "BEGIN DBMS_JOB.SUBMIT(:jobno, 'null;', SYSDATE, NULL); END;");
    ASSERT_TRUE(submit);
    EXPECT_EQ(submit->Columns(), 0);
    const int commits = fakeoci::Stat("commits");
    double job = 0;
    ASSERT_TRUE(submit->Execute(":jobno", &job));
    EXPECT_GE(job, 1000.0);
    EXPECT_EQ(fakeoci::Stat("commits"), commits + 1);
    // Without the bind the server reports the unbound variable.
    auto cursor2 = m_session->Cursor();
    auto unbound = Sql(cursor2, "BEGIN DBMS_JOB.SUBMIT(:jobno, 'null;', SYSDATE, NULL); END;");
    ASSERT_TRUE(unbound);
    EXPECT_FALSE(unbound->Execute(":jobno", nullptr));
    EXPECT_EQ(cursor2.OracleError(), 1008);
    EXPECT_EQ(fakeoci::Stat("commits"), commits + 1);

    auto cursor3 = m_session->Cursor();
    auto both = Sql(cursor3, "begin :a := :a * 10 + :b; end;");
    ASSERT_TRUE(both);
    double a = 4, b = 2;
    ASSERT_TRUE(both->Execute(":a", &a, ":b", &b));
    EXPECT_EQ(a, 42.0);
    EXPECT_EQ(b, 2.0);
    // An unknown placeholder stops before executing.
    EXPECT_FALSE(both->Execute(":a", &a, ":nosuch", &b));
    EXPECT_EQ(cursor3.OracleError(), 1036);
    EXPECT_EQ(a, 42.0);
}

TEST_F(OciQuery, StatementsWithoutRowsFetchNothing)
{
    auto cursor = m_session->Cursor();
    auto update = Sql(cursor, "update jobs set broken = 0");
    ASSERT_TRUE(update);
    EXPECT_TRUE(update->Execute());
    EXPECT_EQ(update->Fetch(10), 0);
    EXPECT_EQ(update->FetchCount(), 1);

    auto failing = Sql(cursor, "select * from fetch_error");
    ASSERT_TRUE(failing);
    EXPECT_EQ(failing->Fetch(10), 0);
    EXPECT_EQ(failing->TotalRows(), 0);
    EXPECT_EQ(cursor.Error(), "ORA-01722: invalid number");
}

TEST_F(OciQuery, CopyServesItsCellsAndDropFreesThem)
{
    auto cursor = m_session->Cursor();
    auto data = Sql(cursor, "select * from edge_cells");
    ASSERT_TRUE(data);
    ASSERT_EQ(data->Fetch(5), 5);
    std::unique_ptr<QueryData> copy(data->GetCopy());
    ASSERT_TRUE(copy);
    data->Drop();
    EXPECT_EQ(data->Rows(), 0);
    EXPECT_EQ(data->Column(0).DataBuffer(), nullptr);
    EXPECT_EQ(data->Fetch(5), 0);
    EXPECT_EQ(data->GetString(1, 1), "");

    EXPECT_EQ(copy->Rows(), 5);
    EXPECT_EQ(copy->TotalRows(), 5);
    EXPECT_EQ(copy->Columns(), 6);
    EXPECT_EQ(copy->GetString(1, 1), "Yes");
    EXPECT_EQ(copy->GetLong(4, 1), 42);
    EXPECT_DOUBLE_EQ(copy->GetFloat(1, 0), 42.75);
    EXPECT_NE(copy->GetDate(1, 2), 0.0);
    // A copy has no cursor and cannot fetch.
    EXPECT_EQ(copy->Fetch(5), 0);
    EXPECT_EQ(copy->GetString(1, 1), "Yes");
}

TEST_F(OciQuery, ColumnCopiesAreDeep)
{
    auto cursor = m_session->Cursor();
    auto data = Sql(cursor, "select * from edge_cells");
    ASSERT_TRUE(data);
    ASSERT_EQ(data->Fetch(3), 3);
    OCISession::OCIColumn copy(data->Column(1));
    OCISession::OCIColumn assigned;
    assigned = data->Column(1);
    EXPECT_NE(copy.DataBuffer(), data->Column(1).DataBuffer());
    EXPECT_NE(assigned.DataBuffer(), copy.DataBuffer());
    data->Drop();
    EXPECT_EQ(copy.GetString(1), "Yes");
    EXPECT_EQ(assigned.GetString(2), "N");
    EXPECT_TRUE(copy == std::string("TXT"));
}

} // namespace
