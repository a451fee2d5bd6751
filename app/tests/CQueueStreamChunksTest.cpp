#include "app/CQueueStreamChunks.h"

#include "platform/Archive.h"
#include "platform/ArchiveException.h"
#include "platform/ArchiveFile.h"
#include "platform/ComPtr.h"
#include "platform/MemoryStream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

std::vector<BYTE> Pattern(size_t size)
{
    std::vector<BYTE> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<BYTE>(i * 7 + 3);
    return bytes;
}

// The archive bytes of a stream holding data.
std::vector<BYTE> Written(const std::vector<BYTE>& data)
{
    ComPtr<IStream> stream;
    EXPECT_EQ(VkCreateMemoryStream(data.data(), data.size(), stream.GetAddressOf()), S_OK);
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        CQueueStreamChunks::Write(ar, stream.Get());
    }
    std::vector<BYTE> bytes(static_cast<size_t>(file.GetLength()));
    file.SeekToBegin();
    file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
    return bytes;
}

// Reads archive bytes back into a fresh stream.
std::vector<BYTE> ReadBack(std::vector<BYTE> archived)
{
    CMemFile file;
    file.Write(archived.data(), static_cast<UINT>(archived.size()));
    file.SeekToBegin();
    ComPtr<IStream> stream;
    EXPECT_EQ(VkCreateMemoryStream(stream.GetAddressOf()), S_OK);
    CArchive ar(&file, CArchive::load);
    CQueueStreamChunks::Read(ar, stream.Get());
    std::vector<BYTE> bytes;
    EXPECT_EQ(VkStreamBytes(stream.Get(), &bytes), S_OK);
    return bytes;
}

DWORD LengthAt(const std::vector<BYTE>& bytes, size_t offset)
{
    DWORD value = 0;
    std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

TEST(CQueueStreamChunks, DataOverAChunkIsWrittenInSeveralAndReadWhole)
{
    const struct {
        size_t size;
        std::vector<DWORD> chunks;
    } cases[] = {
        {0, {}}, {1, {1}}, {1024, {1024}}, {1025, {1024, 1}}, {3000, {1024, 1024, 952}},
    };
    for (const auto& c : cases) {
        const std::vector<BYTE> data = Pattern(c.size);
        const std::vector<BYTE> archived = Written(data);
        size_t offset = 0;
        for (DWORD chunk : c.chunks) {
            ASSERT_LE(offset + 4, archived.size());
            EXPECT_EQ(LengthAt(archived, offset), chunk) << c.size;
            offset += 4 + chunk;
        }
        ASSERT_EQ(archived.size(), offset + 4) << c.size;
        EXPECT_EQ(LengthAt(archived, offset), 0u);
        EXPECT_EQ(ReadBack(archived), data) << c.size;
    }
}

TEST(CQueueStreamChunks, AChunkLongerThanTheWriterMakesIsRefused)
{
    std::vector<BYTE> archived = Written(Pattern(2000));
    // 1025 in the first length.
    archived[0] = 0x01;
    archived[1] = 0x04;
    try {
        ReadBack(archived);
        FAIL() << "a chunk of 1025 bytes was read";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::badSchema);
    }
}

TEST(CQueueStreamChunks, DataThatEndsEarlyIsRefused)
{
    std::vector<BYTE> archived = Written(Pattern(1500));
    archived.resize(archived.size() - 10);
    EXPECT_THROW(ReadBack(archived), CArchiveException);
}

} // namespace
