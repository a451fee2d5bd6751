#include "platform/ComObject.h"
#include "platform/MemoryStream.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string ReadAll(IStream* s, ULONG max = 1000)
{
    std::string out(max, '\0');
    ULONG read = 0;
    EXPECT_EQ(s->Read(out.data(), max, &read), S_OK);
    out.resize(read);
    return out;
}

ULONGLONG Seek(IStream* s, LONGLONG move, DWORD origin)
{
    ULARGE_INTEGER pos{~0ull};
    EXPECT_EQ(s->Seek(LARGE_INTEGER{move}, origin, &pos), S_OK);
    return pos.QuadPart;
}

ULONGLONG Size(IStream* s)
{
    STATSTG st{};
    EXPECT_EQ(s->Stat(&st, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(st.type, STGTY_STREAM);
    EXPECT_EQ(st.pwcsName, nullptr);
    return st.cbSize.QuadPart;
}

TEST(MemoryStream, WriteSeekReadAndGrow)
{
    ComPtr<IStream> s;
    ASSERT_EQ(VkCreateMemoryStream(s.GetAddressOf()), S_OK);
    EXPECT_EQ(Size(s.Get()), 0u);
    ULONG written = 0;
    ASSERT_EQ(s->Write("hello world", 11, &written), S_OK);
    EXPECT_EQ(written, 11u);
    EXPECT_EQ(Size(s.Get()), 11u);
    EXPECT_EQ(ReadAll(s.Get()), "") << "the position is at the end";

    EXPECT_EQ(Seek(s.Get(), 6, STREAM_SEEK_SET), 6u);
    EXPECT_EQ(ReadAll(s.Get(), 3), "wor");
    EXPECT_EQ(Seek(s.Get(), -2, STREAM_SEEK_CUR), 7u);
    EXPECT_EQ(ReadAll(s.Get()), "orld");
    EXPECT_EQ(Seek(s.Get(), -5, STREAM_SEEK_END), 6u);
    ASSERT_EQ(s->Write("WORLD!", 6, nullptr), S_OK);
    EXPECT_EQ(Size(s.Get()), 12u);

    // Writing beyond the end leaves a gap of zeros.
    EXPECT_EQ(Seek(s.Get(), 15, STREAM_SEEK_SET), 15u);
    ASSERT_EQ(s->Write("!", 1, nullptr), S_OK);
    EXPECT_EQ(Size(s.Get()), 16u);
    Seek(s.Get(), 0, STREAM_SEEK_SET);
    EXPECT_EQ(ReadAll(s.Get()), std::string("hello WORLD!\0\0\0!", 16));

    // Bad seeks change nothing.
    ULARGE_INTEGER pos{};
    EXPECT_EQ(s->Seek(LARGE_INTEGER{-1}, STREAM_SEEK_SET, &pos), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(s->Seek(LARGE_INTEGER{0}, 7, &pos), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(Seek(s.Get(), 0, STREAM_SEEK_CUR), 16u);
    EXPECT_EQ(s->Read(nullptr, 4, nullptr), STG_E_INVALIDPOINTER);
}

TEST(MemoryStream, SetSizeKeepsThePosition)
{
    ComPtr<IStream> s;
    ASSERT_EQ(VkCreateMemoryStream("abcdef", 6, s.GetAddressOf()), S_OK);
    EXPECT_EQ(Seek(s.Get(), 0, STREAM_SEEK_CUR), 0u) << "a stream made from bytes starts at 0";
    Seek(s.Get(), 5, STREAM_SEEK_SET);
    ASSERT_EQ(s->SetSize(ULARGE_INTEGER{3}), S_OK);
    EXPECT_EQ(Size(s.Get()), 3u);
    EXPECT_EQ(Seek(s.Get(), 0, STREAM_SEEK_CUR), 5u);
    EXPECT_EQ(ReadAll(s.Get()), "");
    ASSERT_EQ(s->SetSize(ULARGE_INTEGER{5}), S_OK);
    Seek(s.Get(), 0, STREAM_SEEK_SET);
    EXPECT_EQ(ReadAll(s.Get()), std::string("abc\0\0", 5));
    EXPECT_EQ(s->SetSize(ULARGE_INTEGER{1ull << 40}), STG_E_MEDIUMFULL);
}

TEST(MemoryStream, ClonesShareTheBlockNotThePosition)
{
    ComPtr<IStream> s;
    ASSERT_EQ(VkCreateMemoryStream("0123456789", 10, s.GetAddressOf()), S_OK);
    Seek(s.Get(), 4, STREAM_SEEK_SET);
    ComPtr<IStream> c;
    ASSERT_EQ(s->Clone(c.GetAddressOf()), S_OK);
    EXPECT_EQ(Seek(c.Get(), 0, STREAM_SEEK_CUR), 4u);
    EXPECT_EQ(ReadAll(c.Get(), 2), "45");
    EXPECT_EQ(Seek(s.Get(), 0, STREAM_SEEK_CUR), 4u);
    ASSERT_EQ(c->Write("xy", 2, nullptr), S_OK);
    EXPECT_EQ(ReadAll(s.Get(), 4), "45xy");

    // CopyTo moves bytes from the position on and advances both streams.
    ComPtr<IStream> target;
    ASSERT_EQ(VkCreateMemoryStream(target.GetAddressOf()), S_OK);
    Seek(s.Get(), 2, STREAM_SEEK_SET);
    ULARGE_INTEGER read{}, written{};
    ASSERT_EQ(s->CopyTo(target.Get(), ULARGE_INTEGER{100}, &read, &written), S_OK);
    EXPECT_EQ(read.QuadPart, 8u);
    EXPECT_EQ(written.QuadPart, 8u);
    std::vector<BYTE> bytes;
    ASSERT_EQ(VkStreamBytes(target.Get(), &bytes), S_OK);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "2345xy89");
    EXPECT_EQ(Seek(target.Get(), 0, STREAM_SEEK_CUR), 8u) << "VkStreamBytes keeps the position";
}

TEST(MemoryStream, AnswersItsInterfacesAndFreesItself)
{
    const LONG before = VkModuleLocal::LockCount();
    ComPtr<IStream> s;
    ASSERT_EQ(VkCreateMemoryStream(s.GetAddressOf()), S_OK);
    ComPtr<ISequentialStream> seq;
    EXPECT_EQ(s.As(&seq), S_OK);
    ComPtr<IDispatch> none;
    EXPECT_EQ(s.As(&none), E_NOINTERFACE);
    EXPECT_EQ(seq.Reset(), 1u);
    EXPECT_EQ(s.Reset(), 0u);
    // The stream lives in the platform library, not in this program.
    EXPECT_EQ(VkModuleLocal::LockCount(), before);
    EXPECT_EQ(VkCreateMemoryStream(nullptr, 5, s.GetAddressOf()), E_INVALIDARG);
    EXPECT_EQ(VkCreateMemoryStream(nullptr), E_POINTER);
}

} // namespace
