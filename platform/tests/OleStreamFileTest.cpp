#include "platform/Archive.h"
#include "platform/ComPtr.h"
#include "platform/MemoryStream.h"
#include "platform/OleStreamFile.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(OleStreamFile, ArchivesRoundTripThroughAStream)
{
    ComPtr<IStream> stream;
    ASSERT_EQ(VkCreateMemoryStream(stream.GetAddressOf()), S_OK);
    {
        COleStreamFile file(stream.Get());
        CArchive ar(&file, CArchive::store, 4096);
        ar.Write("queue", 5);
        const std::string big(5000, 'x'); // more than one buffer
        ar.Write(big.data(), static_cast<UINT>(big.size()));
        ar.Close();
        EXPECT_EQ(file.GetLength(), 5005u);
    }
    std::vector<BYTE> bytes;
    ASSERT_EQ(VkStreamBytes(stream.Get(), &bytes), S_OK);
    ASSERT_EQ(bytes.size(), 5005u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 5), "queue");

    LARGE_INTEGER zero{0};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    COleStreamFile file(stream.Get());
    CArchive ar(&file, CArchive::load, 4096);
    char head[5];
    ASSERT_EQ(ar.Read(head, 5), 5u);
    EXPECT_EQ(std::string(head, 5), "queue");
    EXPECT_THROW(ar.ReadBytes(6000), CArchiveException) << "more than the stream holds";
}

TEST(OleStreamFile, HoldsOneReferenceAndFailsWithoutAStream)
{
    ComPtr<IStream> stream;
    ASSERT_EQ(VkCreateMemoryStream("abc", 3, stream.GetAddressOf()), S_OK);
    {
        COleStreamFile file(stream.Get());
        EXPECT_EQ(stream->AddRef(), 3u);
        stream->Release();
        EXPECT_EQ(file.Seek(1, CFile::begin), 1u);
        char c = 0;
        EXPECT_EQ(file.Read(&c, 1), 1u);
        EXPECT_EQ(c, 'b');
        EXPECT_EQ(file.GetPosition(), 2u);
        file.SetLength(10);
        EXPECT_EQ(file.GetLength(), 10u);
        EXPECT_THROW(file.Seek(-20, CFile::current), CFileException);
        IStream* detached = file.Detach();
        EXPECT_FALSE(file.IsOpen());
        detached->Release();
    }
    EXPECT_EQ(stream->AddRef(), 2u) << "nothing left held by the file";
    stream->Release();

    COleStreamFile none;
    char c = 0;
    EXPECT_FALSE(none.IsOpen());
    EXPECT_THROW(none.Read(&c, 1), CFileException);
    EXPECT_THROW(none.Write(&c, 1), CFileException);
    CFileException error;
    EXPECT_FALSE(none.Open("x", CFile::modeRead, &error));
}

} // namespace
