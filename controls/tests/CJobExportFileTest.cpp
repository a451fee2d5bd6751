// The export file: its bytes read back by hand, the replacement of an old
// file only by a complete new one, and damaged files refused whole.

#include "controls/CJobExportFile.h"

#include "ExportFileDecoder.h"

#include "testsupport/TestRoot.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

CJobListData SampleJob(LONG number)
{
    CJobListData job;
    job.m_jobNumber = number;
    job.m_lastDate = 45000.25;
    job.m_nextDate = 45001.5 + number;
    job.m_thisDate = 0;
    job.m_what = "proc_" + std::to_string(number) + "('it''s');\nnull;";
    job.m_interval = number == 2 ? "" : "SYSDATE + 1";
    job.m_broken = number == 2;
    job.m_failures = number * 3;
    job.m_logUser = "SCOTT";
    job.m_privUser = "SCOTT";
    job.m_schemaUser = "APPUSER";
    job.m_totalTime = 120 + number;
    job.m_running = number == 3;
    job.m_parse = 1;
    job.m_instance = 7;
    job.m_force = true;
    job.m_note = "never stored";
    return job;
}

class JobExportFile : public qvtest::FreshRootTest {};

TEST_F(JobExportFile, ThreeJobsAreStoredFieldByFieldWithOneClassTagThenBackReferences)
{
    const std::vector<CJobListData> jobs = {SampleJob(1), SampleJob(2), SampleJob(3)};
    const fs::path path = root() / "out" / "deeper" / "three.qvx";
    std::string error;
    ASSERT_TRUE(CJobExportFile::Write(path, jobs, &error)) << error;

    qvtest::Decoder d(ReadAll(path));
    EXPECT_EQ(d.Long(), 1); // version
    EXPECT_EQ(d.Long(), 3); // count
    EXPECT_EQ(d.Unsigned(2), 0xFFFFu);
    EXPECT_EQ(d.Unsigned(2), 1u); // schema
    EXPECT_EQ(d.Unsigned(2), 12u);
    EXPECT_EQ(d.Text(12), "CJobListData");
    qvtest::ExpectRecord(d, jobs[0]);
    EXPECT_EQ(d.Unsigned(2), 0x8001u);
    qvtest::ExpectRecord(d, jobs[1]);
    EXPECT_EQ(d.Unsigned(2), 0x8001u);
    qvtest::ExpectRecord(d, jobs[2]);
    EXPECT_TRUE(d.AtEnd());

    // Read back: everything but the note, which is never stored.
    std::vector<CJobListData> read;
    ASSERT_TRUE(CJobExportFile::Read(path, read, &error)) << error;
    ASSERT_EQ(read.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        CJobListData expected = jobs[i];
        expected.m_note.clear();
        EXPECT_EQ(read[i], expected) << i;
    }
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(path.parent_path()), fs::directory_iterator()), 1);
}

TEST_F(JobExportFile, AnEmptyListIsVersionAndZeroCount)
{
    const fs::path path = root() / "empty.qvx";
    ASSERT_TRUE(CJobExportFile::Write(path, {}));
    EXPECT_EQ(ReadAll(path), std::string("\x01\0\0\0\0\0\0\0", 8));
    std::vector<CJobListData> read = {SampleJob(9)};
    ASSERT_TRUE(CJobExportFile::Read(path, read));
    EXPECT_TRUE(read.empty());
}

TEST_F(JobExportFile, AFailureMidwayLeavesTheOldFileAsItWas)
{
    const fs::path path = root() / "keep.qvx";
    WriteAll(path, "the old export");
    std::vector<CJobListData> jobs(5, SampleJob(4));
    std::string error;
    bool destinationIntactMidway = false;
    const bool written = CJobExportFile::Write(path, jobs, &error, [&](size_t done) {
        if (done < 3)
            return;
        // Where a crash would strike: the destination is still the old one.
        destinationIntactMidway = ReadAll(path) == "the old export";
        throw CFileException(CFileException::diskFull, 28, "fault");
    });
    EXPECT_FALSE(written);
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(destinationIntactMidway);
    EXPECT_EQ(ReadAll(path), "the old export");
    EXPECT_EQ(std::distance(fs::directory_iterator(root()), fs::directory_iterator()), 1) << "temporary file left";

    // A complete write then replaces it.
    ASSERT_TRUE(CJobExportFile::Write(path, jobs, &error)) << error;
    std::vector<CJobListData> read;
    ASSERT_TRUE(CJobExportFile::Read(path, read));
    EXPECT_EQ(read.size(), 5u);
}

TEST_F(JobExportFile, ADestinationThatCannotBeReplacedFailsWithoutLeftovers)
{
    const fs::path folder = root() / "a folder.qvx";
    fs::create_directories(folder / "inside");
    std::string error;
    EXPECT_FALSE(CJobExportFile::Write(folder, {SampleJob(1)}, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(fs::is_directory(folder / "inside"));
    EXPECT_EQ(std::distance(fs::directory_iterator(root()), fs::directory_iterator()), 1);
    // A missing file is an error too, not an empty import.
    std::vector<CJobListData> read;
    EXPECT_FALSE(CJobExportFile::Read(root() / "missing.qvx", read, &error));
}

std::string ValidBytes()
{
    qvtest::TempRoot scratch;
    const fs::path path = scratch.path() / "valid.qvx";
    CJobExportFile::Write(path, {SampleJob(1), SampleJob(2), SampleJob(3)});
    return ReadAll(path);
}

TEST(JobExportFileDamage, CountsAndLengthsBeyondTheFileAreRefusedBeforeAnyJob)
{
    const std::string valid = ValidBytes();
    ASSERT_GT(valid.size(), 100u);
    auto patched = [&](size_t at, uint32_t value) {
        std::string bytes = valid;
        std::memcpy(&bytes[at], &value, 4);
        return bytes;
    };
    // The first job's what length sits after the header, the class tag, the
    // number and three dates.
    const size_t whatLength = 8 + 18 + 4 + 24;
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"count far beyond the file", patched(4, 0x7FFFFFFF)},
        {"negative count", patched(4, 0xFFFFFFFF)},
        {"one job more than stored", patched(4, 4)},
        {"string longer than the file", patched(whatLength, 0xFFFFFFF0)},
        {"string one byte past the end", patched(whatLength, static_cast<uint32_t>(valid.size()))},
        {"cut inside the last job", valid.substr(0, valid.size() - 1)},
        {"only the header", valid.substr(0, 8)},
        {"nothing", ""},
        {"another class", [&] {
             std::string bytes = valid;
             bytes[8 + 6] = 'X';
             return bytes;
         }()},
        {"another schema", [&] {
             std::string bytes = valid;
             bytes[8 + 2] = 2;
             return bytes;
         }()},
    };
    for (const auto& c : cases) {
        std::vector<CJobListData> jobs = {SampleJob(42)};
        std::string error;
        EXPECT_FALSE(CJobExportFile::Parse(c.bytes, jobs, &error)) << c.name;
        EXPECT_FALSE(error.empty()) << c.name;
        ASSERT_EQ(jobs.size(), 1u) << c.name;
        EXPECT_EQ(jobs[0].m_jobNumber, 42) << c.name << ": nothing handed over";
    }
}

TEST(JobExportFileDamage, TruncatedAndBitFlippedFilesNeverCrashNorYieldGarbage)
{
    const std::string valid = ValidBytes();
    // Every cut short of the whole is refused.
    for (size_t length = 0; length < valid.size(); ++length) {
        std::vector<CJobListData> jobs;
        EXPECT_FALSE(CJobExportFile::Parse(valid.substr(0, length), jobs)) << length;
        EXPECT_TRUE(jobs.empty());
    }
    // Bit flips: a file that still reads is made of whole records (at most
    // the stored count), anything else is refused with a reason.
    std::mt19937 random(12345);
    int refused = 0;
    for (int round = 0; round < 4000; ++round) {
        std::string bytes = valid;
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int f = 0; f < flips; ++f) {
            const size_t at = random() % bytes.size();
            bytes[at] = static_cast<char>(bytes[at] ^ (1 << (random() % 8)));
        }
        std::vector<CJobListData> jobs;
        std::string error;
        if (CJobExportFile::Parse(bytes, jobs, &error)) {
            EXPECT_LE(jobs.size(), 3u) << round;
        } else {
            EXPECT_FALSE(error.empty()) << round;
            EXPECT_TRUE(jobs.empty()) << round;
            ++refused;
        }
    }
    // Flips in the header, tags and lengths are common enough to be seen.
    EXPECT_GT(refused, 100);
}

} // namespace
