// The "Quorvane JLData" item: the transfer container's bytes, reading them
// back, hostile blocks, and the two formats of a rendered item.

#include "controls/CJobClipboard.h"
#include "platform/ArchiveFile.h"

#include <gtest/gtest.h>

#include <QMimeData>

namespace {

CJobListData Job(LONG number, bool broken = false)
{
    CJobListData job;
    job.m_jobNumber = number;
    job.m_what = "pkg.proc(" + std::to_string(number) + ");";
    job.m_interval = "SYSDATE + 1";
    job.m_nextDate = 46000.5;
    job.m_broken = broken;
    job.m_logUser = "SCOTT";
    job.m_schemaUser = "SCOTT";
    job.m_failures = 2;
    job.m_totalTime = 17;
    return job;
}

// The record's own data as its Serialize writes it.
QByteArray RecordBytes(const CJobListData& job)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        const_cast<CJobListData&>(job).Serialize(ar);
        ar.Close();
    }
    return QByteArray(reinterpret_cast<const char*>(file.GetBuffer()), static_cast<qsizetype>(file.GetLength()));
}

QByteArray Bytes(std::initializer_list<int> bytes)
{
    QByteArray out;
    for (int b : bytes)
        out.append(static_cast<char>(b));
    return out;
}

TEST(JobClipboard, ContainerBytesAreHostCountAndArchiveObjects)
{
    CJobTransferList list;
    list.m_sourceHost = "DEMO";
    list.Add(Job(41));
    list.Add(Job(7, true));
    const QByteArray block = CJobClipboard::Write(list);

    QByteArray expected = Bytes({4}) + "DEMO" + Bytes({2, 0, 0, 0});
    // A class new to the archive: 0xFFFF, schema 1, name length, name.
    expected += Bytes({0xFF, 0xFF, 1, 0, 12, 0}) + "CJobListData" + RecordBytes(Job(41));
    // The same class again: a reference to index 1.
    expected += Bytes({0x01, 0x80}) + RecordBytes(Job(7, true));
    EXPECT_EQ(block.toHex().toStdString(), expected.toHex().toStdString());
    EXPECT_EQ(CJobClipboard::Format(), "Quorvane JLData");
}

TEST(JobClipboard, ReadingAppendsTheRecordsInOrder)
{
    CJobTransferList source;
    source.m_sourceHost = "PROD.WORLD";
    for (LONG n : {5, 3, 9})
        source.Add(Job(n, n == 3));
    const QByteArray block = CJobClipboard::Write(source);

    CJobTransferList target;
    target.Add(Job(1));
    std::string error;
    ASSERT_TRUE(CJobClipboard::Read(block, target, &error)) << error;
    EXPECT_EQ(target.m_sourceHost, "PROD.WORLD");
    ASSERT_EQ(target.m_items.size(), 4u);
    EXPECT_EQ(target.m_items[0]->m_jobNumber, 1);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(*target.m_items[i + 1], *source.m_items[i]);
}

TEST(JobClipboard, BrokenBlocksAreRefusedWholeWithAReason)
{
    CJobTransferList source;
    source.m_sourceHost = "DEMO";
    source.Add(Job(1));
    source.Add(Job(2));
    const QByteArray good = CJobClipboard::Write(source);

    QByteArray otherClass = good;
    otherClass.replace("CJobListData", "CJobListDatb");
    QByteArray hugeCount = good;
    hugeCount[5] = static_cast<char>(0xFF);
    hugeCount[6] = static_cast<char>(0xFF);

    const struct {
        const char* name;
        QByteArray block;
    } cases[] = {
        {"empty", QByteArray()},
        {"host only", good.left(5)},
        {"cut in the first record", good.left(40)},
        {"cut in the second record", good.left(good.size() - 3)},
        {"unknown class", otherClass},
        {"count beyond the records", hugeCount},
        {"noise", QByteArray(300, '\xFF')},
    };
    for (const auto& c : cases) {
        CJobTransferList list;
        std::string error;
        EXPECT_FALSE(CJobClipboard::Read(c.block, list, &error)) << c.name;
        EXPECT_FALSE(error.empty()) << c.name;
        EXPECT_TRUE(list.m_items.empty()) << c.name;
    }
}

TEST(JobClipboard, ABackReferenceToARecordIsReadAsACopy)
{
    // Host, two records: the first in full, the second a reference to the
    // first object (index 2: the class is 1). Owning it twice would free it
    // twice.
    const QByteArray block = Bytes({0, 2, 0, 0, 0, 0xFF, 0xFF, 1, 0, 12, 0}) + "CJobListData" +
                             RecordBytes(Job(8)) + Bytes({2, 0});
    CJobTransferList list;
    std::string error;
    ASSERT_TRUE(CJobClipboard::Read(block, list, &error)) << error;
    ASSERT_EQ(list.m_items.size(), 2u);
    EXPECT_NE(list.m_items[0], list.m_items[1]);
    EXPECT_EQ(*list.m_items[1], Job(8));
}

TEST(JobClipboard, RenderedItemCarriesTextAndJobs)
{
    const std::unique_ptr<QMimeData> item =
        CJobClipboard::Render("41\tpkg.proc(41);\r\n", "DEMO", {Job(41), Job(42)});
    ASSERT_TRUE(item);
    EXPECT_EQ(item->text(), "41\tpkg.proc(41);\r\n");
    ASSERT_TRUE(CJobClipboard::HasJobs(item.get()));
    CJobTransferList list;
    ASSERT_TRUE(CJobClipboard::Read(CJobClipboard::JobsBlock(item.get()), list));
    EXPECT_EQ(list.m_sourceHost, "DEMO");
    ASSERT_EQ(list.m_items.size(), 2u);
    EXPECT_EQ(*list.m_items[1], Job(42));

    // Text alone is no jobs item.
    QMimeData text;
    text.setText("41");
    EXPECT_FALSE(CJobClipboard::HasJobs(&text));
    EXPECT_TRUE(CJobClipboard::JobsBlock(&text).isEmpty());
    EXPECT_FALSE(CJobClipboard::HasJobs(nullptr));
}

} // namespace
