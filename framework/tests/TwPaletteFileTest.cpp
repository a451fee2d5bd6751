// The palette file without windows: decoding whole files, damaged ones in
// every way a few thousand mutations find, and replacing a file only once
// the new one is complete.

#include "framework/TwPaletteFile.h"
#include "platform/Archive.h"
#include "testsupport/TestRoot.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Little-endian pieces of a hand-made file; nothing here uses the writer.
struct Bytes {
    std::string data;
    Bytes& Dword(DWORD v)
    {
        for (int i = 0; i < 4; ++i)
            data.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
        return *this;
    }
    Bytes& Str(const std::string& s)
    {
        data.push_back(static_cast<char>(s.size()));
        data += s;
        return *this;
    }
    Bytes& Window(LONG left, LONG top, LONG right, LONG bottom)
    {
        Dword(0).Dword(DWORD(left)).Dword(DWORD(top)).Dword(DWORD(right)).Dword(DWORD(bottom));
        for (int i = 0; i < 4; ++i)
            Dword(DWORD(-1));
        return Dword(1).Dword(1).Dword(1).Dword(0);
    }
    Bytes& Raw(const std::string& s)
    {
        data += s;
        return *this;
    }
};

std::string QueueRecord(const std::string& control)
{
    Bytes b;
    b.Window(10, 20, 410, 320).Window(0, 0, 392, 280);
    for (std::size_t at = 0; at < control.size(); at += 1024) {
        const std::string chunk = control.substr(at, 1024);
        b.Dword(DWORD(chunk.size())).Raw(chunk);
    }
    return b.Dword(0).data;
}

std::string TwoQueuePalette()
{
    Bytes b;
    b.Dword(1).Dword(0x00302010).Dword(0).Str("Night runs").Str("").Dword(2);
    b.Raw(QueueRecord("first")).Raw(QueueRecord(std::string(2500, 'x')));
    return b.data;
}

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(TwPaletteFile, DecodesAWholeFileIntoItsRecordAndQueueRecords)
{
    TwPaletteContents contents;
    std::string reason;
    ASSERT_TRUE(TwPaletteFile::Decode(TwoQueuePalette(), contents, reason)) << reason;
    EXPECT_EQ(contents.header, 1u);
    EXPECT_EQ(contents.record.colour, 0x00302010u);
    EXPECT_EQ(contents.record.mode, 0);
    EXPECT_EQ(contents.record.title, "Night runs");
    EXPECT_EQ(contents.record.picturePath, "");
    ASSERT_EQ(contents.queues.size(), 2u);
    EXPECT_EQ(contents.queues[0], QueueRecord("first"));
    // 2500 bytes: chunks of 1024, 1024 and 452.
    EXPECT_EQ(contents.queues[1].size(), 104u + 4 + 1024 + 4 + 1024 + 4 + 452 + 4);

    // An empty palette is a header, the record and a count of 0.
    Bytes empty;
    empty.Dword(1).Dword(0).Dword(1).Str("").Str("/p/sky.bmp").Dword(0);
    ASSERT_TRUE(TwPaletteFile::Decode(empty.data, contents, reason)) << reason;
    EXPECT_EQ(contents.record.mode, 1);
    EXPECT_EQ(contents.record.picturePath, "/p/sky.bmp");
    EXPECT_TRUE(contents.queues.empty());
}

TEST(TwPaletteFile, DamageIsNamed)
{
    const std::string good = TwoQueuePalette();
    const std::size_t queue2 = good.size() - QueueRecord(std::string(2500, 'x')).size();
    struct Case {
        const char* what;
        std::string bytes;
        const char* reason;
    };
    std::string bigChunk = good;
    bigChunk[queue2 + 104] = 0x01;
    bigChunk[queue2 + 105] = 0x14; // 0x1401 = 5121 bytes
    std::string farWindow = good;
    farWindow[queue2 + 4 + 3] = 0x7F; // the frame's left edge
    const Case cases[] = {
        {"empty", "", "The file ends before the Palette's settings are complete."},
        {"header only", good.substr(0, 4), "The file ends before the Palette's settings are complete."},
        {"title cut", good.substr(0, 14), "The file ends before the Palette's settings are complete."},
        {"second queue cut", good.substr(0, good.size() - 10), "The file ends inside queue 2 of 2."},
        {"first queue's windows cut", good.substr(0, 12 + 11 + 1 + 4 + 60), "The file ends inside queue 1 of 2."},
        {"trailing bytes", good + "x", "The file goes on after its last queue."},
        {"chunk above 1024", bigChunk, "Queue 2 holds a data block of 5121 bytes; a Palette's blocks hold at most 1024."},
        {"window far away", farWindow, "Queue 2 has a window position outside any screen."},
    };
    for (const Case& k : cases) {
        TwPaletteContents contents;
        contents.record.title = "unchanged";
        std::string reason;
        EXPECT_FALSE(TwPaletteFile::Decode(k.bytes, contents, reason)) << k.what;
        EXPECT_EQ(reason, k.reason) << k.what;
        EXPECT_EQ(contents.record.title, "unchanged") << k.what;
    }
}

// Every truncation and thousands of random bit flips, byte changes and
// length fields set to extremes: each either decodes to a whole palette or
// is refused with a reason, never read past its end.
TEST(TwPaletteFile, MutatedFilesAreDecodedOrRefusedWithAReason)
{
    const std::string good = TwoQueuePalette();
    int refused = 0, decoded = 0;
    const auto check = [&](const std::string& bytes) {
        TwPaletteContents contents;
        std::string reason;
        if (TwPaletteFile::Decode(bytes, contents, reason)) {
            ++decoded;
            std::size_t total = 0;
            for (const std::string& q : contents.queues)
                total += q.size();
            EXPECT_LE(total, bytes.size());
        } else {
            ++refused;
            EXPECT_FALSE(reason.empty());
        }
    };
    for (std::size_t n = 0; n < good.size(); ++n)
        check(good.substr(0, n));
    std::mt19937 random(15);
    for (int i = 0; i < 4000; ++i) {
        std::string bytes = good;
        const int flips = 1 + int(random() % 3);
        for (int f = 0; f < flips; ++f) {
            const std::size_t at = random() % bytes.size();
            switch (random() % 3) {
            case 0: bytes[at] = static_cast<char>(bytes[at] ^ (1 << (random() % 8))); break;
            case 1: bytes[at] = static_cast<char>(random()); break;
            default: bytes[at] = static_cast<char>(0xFF); break;
            }
        }
        check(bytes);
    }
    EXPECT_GT(refused, 2000);
    EXPECT_GT(decoded, 100); // flips in colours, titles and control data still read
}

TEST(TwPaletteFile, SplitsWhatADocumentWroteIntoWholeRecords)
{
    std::vector<std::string> records;
    std::string reason;
    const std::string two = QueueRecord("a") + QueueRecord("bc");
    ASSERT_TRUE(TwPaletteFile::SplitQueueRecords(two, records, reason)) << reason;
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1], QueueRecord("bc"));
    EXPECT_TRUE(TwPaletteFile::SplitQueueRecords("", records, reason));
    EXPECT_EQ(records.size(), 2u);
    // A record without its end marker is not a record.
    EXPECT_FALSE(TwPaletteFile::SplitQueueRecords(two.substr(0, two.size() - 4), records, reason));
    EXPECT_EQ(records.size(), 2u);
}

class TwPaletteFileWrite : public qvtest::FreshRootTest {};

TEST_F(TwPaletteFileWrite, ReplacesTheTargetAndLeavesNoTemporaryFile)
{
    const auto target = root() / "night.qvp";
    std::ofstream(target) << "old";
    std::string reason;
    ASSERT_TRUE(TwPaletteFile::WriteReplacing(target.string(), [](CArchive& ar) { ar << DWORD(7); }, reason)) << reason;
    EXPECT_EQ(ReadAll(target), std::string("\x07\0\0\0", 4));
    EXPECT_FALSE(std::filesystem::exists(root() / "shl1.tmp"));

    // A folder that does not exist: the reason names the file, nothing is made.
    const auto missing = root() / "nowhere" / "x.qvp";
    EXPECT_FALSE(TwPaletteFile::WriteReplacing(missing.string(), [](CArchive& ar) { ar << DWORD(7); }, reason));
    EXPECT_NE(reason.find("shl1.tmp"), std::string::npos) << reason;

    // A writer that fails halfway leaves the old file and no temporary one.
    std::ofstream(target) << "old";
    EXPECT_FALSE(TwPaletteFile::WriteReplacing(target.string(), [](CArchive& ar) {
        ar << DWORD(1);
        throw CArchiveException(CArchiveException::generic);
    }, reason));
    EXPECT_EQ(ReadAll(target), "old");
    EXPECT_FALSE(std::filesystem::exists(root() / "shl1.tmp"));
}

// A process killed after the new file is written but before it replaces the
// old one, and one killed while writing: the old palette is whole.
TEST_F(TwPaletteFileWrite, AKilledSaveLeavesTheOldFileIntact)
{
    const auto target = root() / "night.qvp";
    const std::string old = TwoQueuePalette();
    std::ofstream(target, std::ios::binary) << old;
    for (int whenKilled = 0; whenKilled < 2; ++whenKilled) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::string reason;
            const auto fill = [whenKilled](CArchive& ar) {
                ar << DWORD(1) << DWORD(2);
                if (whenKilled == 1) {
                    ar.Flush();
                    std::raise(SIGKILL);
                }
            };
            TwPaletteFile::WriteReplacing(target.string(), fill, reason, [] { std::raise(SIGKILL); });
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << whenKilled;
        EXPECT_EQ(WTERMSIG(status), SIGKILL);
        EXPECT_EQ(ReadAll(target), old) << whenKilled;
    }
    // The new file was complete at the kill, only not yet in place.
    EXPECT_EQ(ReadAll(root() / "shl1.tmp"), std::string("\x01\0\0\0\x02\0\0\0", 8));
}

} // namespace
