#include "controls/CJobListData.h"

#include "platform/Archive.h"
#include "platform/ArchiveFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

Bytes Store(const std::function<void(CArchive&)>& write)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        write(ar);
        ar.Close();
    }
    const BYTE* data = file.GetBuffer();
    return Bytes(data, data + file.GetLength());
}

// Runs read over bytes; the archive exception's cause, or none.
int Load(const Bytes& bytes, const std::function<void(CArchive&)>& read)
{
    CMemFile file;
    file.Assign(bytes.data(), bytes.size());
    CArchive ar(&file, CArchive::load);
    try {
        read(ar);
    } catch (const CArchiveException& e) {
        return e.m_cause;
    }
    return CArchiveException::none;
}

CJobListData SampleJob()
{
    CJobListData job;
    job.m_jobNumber = 4711;
    job.m_lastDate = 45000.25;
    job.m_nextDate = 45001.5;
    job.m_thisDate = 45000.75;
    job.m_what = "BEGIN\n  stats.gather('SALES');\nEND;";
    job.m_interval = "TRUNC(SYSDATE+1)+10/24";
    job.m_broken = true;
    job.m_failures = 3;
    job.m_logUser = "SCOTT";
    job.m_privUser = "SYSTEM";
    job.m_schemaUser = "SALES";
    job.m_totalTime = 86400;
    job.m_reserved = 1;
    job.m_running = 1;
    job.m_parse = 1;
    job.m_instance = 2;
    job.m_force = true;
    job.m_note = "not archived";
    return job;
}

void PutLong(Bytes& b, DWORD v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<BYTE>(v >> (8 * i)));
}

void PutDouble(Bytes& b, double d)
{
    BYTE raw[8];
    std::memcpy(raw, &d, 8);
    b.insert(b.end(), raw, raw + 8);
}

void PutString(Bytes& b, const char* s)
{
    PutLong(b, static_cast<DWORD>(std::strlen(s)));
    b.insert(b.end(), s, s + std::strlen(s));
}

TEST(CJobListData, NewRecordHasNoJobAndNoDates)
{
    const CJobListData job;
    EXPECT_EQ(job.m_jobNumber, -1);
    EXPECT_EQ(job.m_lastDate, 0.0);
    EXPECT_EQ(job.m_nextDate, 0.0);
    EXPECT_EQ(job.m_thisDate, 0.0);
    EXPECT_TRUE(job.m_what.empty() && job.m_interval.empty() && job.m_note.empty());
    EXPECT_FALSE(job.m_broken || job.m_force);
    EXPECT_EQ(job.m_failures + job.m_totalTime + job.m_instance, 0);
    EXPECT_EQ(job.m_reserved + job.m_running + job.m_parse, 0);
}

TEST(CJobListData, CopyAndAssignmentCarryEveryFieldIncludingTheNote)
{
    const CJobListData original = SampleJob();
    const CJobListData copy(original);
    EXPECT_EQ(copy, original);
    CJobListData assigned;
    assigned = original;
    EXPECT_EQ(assigned, original);
    EXPECT_EQ(assigned.m_note, "not archived");

    // Equality looks at each field, so a copy that differs anywhere is told apart.
    CJobListData other = original;
    other.m_force = false;
    EXPECT_NE(other, original);
    other = original;
    other.m_note.clear();
    EXPECT_NE(other, original);
}

TEST(CJobListData, ArchiveFormHasTheFieldsInOrderLittleEndian)
{
    const CJobListData job = SampleJob();
    const Bytes bytes = Store([&](CArchive& ar) { const_cast<CJobListData&>(job).Serialize(ar); });

    Bytes expected;
    PutLong(expected, 4711);
    PutDouble(expected, 45000.25);
    PutDouble(expected, 45001.5);
    PutDouble(expected, 45000.75);
    PutString(expected, "BEGIN\n  stats.gather('SALES');\nEND;");
    PutString(expected, "TRUNC(SYSDATE+1)+10/24");
    expected.push_back(1); // broken
    expected.push_back(1); // running
    PutLong(expected, 3);
    PutString(expected, "SCOTT");
    PutString(expected, "SYSTEM");
    PutString(expected, "SALES");
    PutLong(expected, 86400);
    expected.push_back(1); // reserved
    expected.push_back(1); // parse
    PutLong(expected, 2);
    expected.push_back(1); // force
    EXPECT_EQ(bytes, expected);
}

TEST(CJobListData, ReadBackEqualsWrittenExceptTheNote)
{
    const CJobListData cases[] = {SampleJob(), CJobListData{}, [] {
                                      CJobListData j;
                                      j.m_jobNumber = -2147483647 - 1;
                                      j.m_what = std::string(70000, 'x'); // beyond a 16-bit length
                                      j.m_failures = -5;
                                      return j;
                                  }()};
    for (const CJobListData& written : cases) {
        const Bytes bytes = Store([&](CArchive& ar) { const_cast<CJobListData&>(written).Serialize(ar); });
        CJobListData read;
        read.m_note = "stale";
        EXPECT_EQ(Load(bytes, [&](CArchive& ar) { read.Serialize(ar); }), CArchiveException::none);
        CJobListData expected = written;
        expected.m_note.clear();
        EXPECT_EQ(read, expected) << written.m_jobNumber;
    }
}

TEST(CJobListData, AnyNonZeroFlagByteReadsAsSet)
{
    CJobListData job;
    Bytes bytes = Store([&](CArchive& ar) { job.Serialize(ar); });
    // Offsets of the flag bytes in an archive of empty strings.
    const std::size_t broken = 4 + 24 + 4 + 4, running = broken + 1;
    const std::size_t reserved = running + 1 + 4 + 12 + 4, parse = reserved + 1;
    const std::size_t force = parse + 1 + 4;
    ASSERT_EQ(bytes.size(), force + 1);
    for (std::size_t at : {broken, running, reserved, parse, force})
        bytes[at] = 2;
    CJobListData read;
    ASSERT_EQ(Load(bytes, [&](CArchive& ar) { read.Serialize(ar); }), CArchiveException::none);
    EXPECT_TRUE(read.m_broken);
    EXPECT_TRUE(read.m_force);
    EXPECT_EQ(read.m_running, 1);
    EXPECT_EQ(read.m_reserved, 1);
    EXPECT_EQ(read.m_parse, 1);
}

TEST(CJobListData, TruncatedOrLyingArchiveFailsAndLeavesTheRecordAlone)
{
    const CJobListData job = SampleJob();
    const Bytes whole = Store([&](CArchive& ar) { const_cast<CJobListData&>(job).Serialize(ar); });
    for (std::size_t cut : {std::size_t{0}, std::size_t{3}, std::size_t{30}, whole.size() - 1}) {
        const Bytes part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
        CJobListData read = SampleJob();
        read.m_jobNumber = 1;
        EXPECT_EQ(Load(part, [&](CArchive& ar) { read.Serialize(ar); }), CArchiveException::endOfFile) << cut;
        EXPECT_EQ(read.m_jobNumber, 1) << cut;
    }
    // A string length far beyond the data is refused, not allocated.
    Bytes lying(whole.begin(), whole.begin() + 28);
    PutLong(lying, 0xFFFFFFF0u);
    lying.push_back('x');
    CJobListData read;
    EXPECT_EQ(Load(lying, [&](CArchive& ar) { read.Serialize(ar); }), CArchiveException::endOfFile);
}

TEST(CJobListData, TravelsAsAnObjectUnderItsClassName)
{
    CJobListData first = SampleJob();
    CJobListData second;
    second.m_jobNumber = 7;
    const Bytes bytes = Store([&](CArchive& ar) { ar << &first << &second; });

    // New class tag: 0xFFFF, schema 1, the name; the second object refers back to it.
    const Bytes head = {0xFF, 0xFF, 0x01, 0x00, 12, 0x00};
    ASSERT_GT(bytes.size(), head.size() + 12);
    EXPECT_TRUE(std::equal(head.begin(), head.end(), bytes.begin()));
    EXPECT_EQ(std::string(bytes.begin() + 6, bytes.begin() + 18), "CJobListData");

    CJobListData* a = nullptr;
    CJobListData* b = nullptr;
    ASSERT_EQ(Load(bytes, [&](CArchive& ar) { ar >> a >> b; }), CArchiveException::none);
    std::unique_ptr<CJobListData> ownA(a), ownB(b);
    ASSERT_TRUE(a && b);
    first.m_note.clear();
    EXPECT_EQ(*a, first);
    EXPECT_EQ(b->m_jobNumber, 7);
    EXPECT_EQ(VkFindSerialClass("CJobListData"), RUNTIME_CLASS(CJobListData));
}

} // namespace
