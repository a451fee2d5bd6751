#include "platform/Archive.h"
#include "platform/ArchiveFile.h"
#include "platform/Serializable.h"
#include "testsupport/TestRoot.h"

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

// ------------------------------------------------------------ test classes

class CTestRecord : public CObject {
    DECLARE_SERIAL(CTestRecord)
public:
    CTestRecord() = default;
    explicit CTestRecord(LONG value) : m_value(value) {}
    void Serialize(CArchive& ar) override
    {
        if (ar.IsStoring())
            ar << m_value;
        else
            ar >> m_value;
    }
    LONG m_value = 0;
};
IMPLEMENT_SERIAL(CTestRecord, CObject, 1)

class CTestOther : public CObject {
    DECLARE_SERIAL(CTestOther)
public:
    void Serialize(CArchive& ar) override
    {
        if (ar.IsStoring())
            ar << m_name;
        else
            ar >> m_name;
    }
    std::string m_name;
};
IMPLEMENT_SERIAL(CTestOther, CObject, 2)

// Holds another object, to store graphs with back-references.
class CTestNode : public CObject {
    DECLARE_SERIAL(CTestNode)
public:
    ~CTestNode() override { ++s_destroyed; }
    void Serialize(CArchive& ar) override
    {
        if (ar.IsStoring()) {
            ar << m_other;
        } else {
            ar >> m_other;
            s_lastSchema = ar.GetObjectSchema();
        }
    }
    CObject* m_other = nullptr;
    static inline int s_destroyed = 0;
    static inline UINT s_lastSchema = 0;
};
IMPLEMENT_SERIAL(CTestNode, CObject, VERSIONABLE_SCHEMA | 3)

// Stores nothing of its own: cheap objects for big indices.
class CTestEmpty : public CObject {
    DECLARE_SERIAL(CTestEmpty)
};
IMPLEMENT_SERIAL(CTestEmpty, CObject, 1)

class CTestNotSerial : public CObject {};

Bytes Store(const std::function<void(CArchive&)>& write, int bufSize = 4096)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store, bufSize);
        write(ar);
        ar.Close();
    }
    const BYTE* data = file.GetBuffer();
    return Bytes(data, data + file.GetLength());
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

Bytes Text(const char* s)
{
    return Bytes(s, s + std::strlen(s));
}

// Runs read over an archive loading bytes; the archive's cause when it throws.
int LoadCause(const Bytes& bytes, const std::function<void(CArchive&)>& read)
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

// ------------------------------------------------------------------ strings

TEST(Archive, StringLengthPrefixes)
{
    struct Case {
        std::size_t length;
        Bytes prefix;
    };
    const Case cases[] = {
        {0, {0x00}},
        {254, {0xFE}},
        {255, {0xFF, 0xFF, 0x00}},
        {65533, {0xFF, 0xFD, 0xFF}},
        {65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
        {70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        std::string text(c.length, 'x');
        for (std::size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<char>('a' + i % 26);
        const Bytes bytes = Store([&](CArchive& ar) { ar << text; });
        ASSERT_EQ(bytes.size(), c.prefix.size() + c.length);
        EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + static_cast<long>(c.prefix.size())), c.prefix);
        EXPECT_EQ(std::memcmp(bytes.data() + c.prefix.size(), text.data(), text.size()), 0);

        CMemFile file;
        file.Assign(bytes.data(), bytes.size());
        CArchive ar(&file, CArchive::load);
        EXPECT_EQ(ar.ReadString(), text);
        EXPECT_EQ(ar.GetRemaining(), 0u);
    }
}

TEST(Archive, ReadsWideStringsAsUtf8)
{
    // 0xFF 0xFFFE marks two bytes per character; the length follows as usual.
    const Bytes bytes = {0xFF, 0xFE, 0xFF, 0x04, 'a', 0, 0xE9, 0, 0x3D, 0xD8, 0x00, 0xDE};
    CMemFile file;
    file.Assign(bytes.data(), bytes.size());
    CArchive ar(&file, CArchive::load);
    EXPECT_EQ(ar.ReadString(), "a\xC3\xA9\xF0\x9F\x98\x80");
}

TEST(Archive, StringLongerThanTheRestFailsBeforeAllocating)
{
    // 0xFF 0xFFFF then 0xFFFFFFF0: four gigabytes announced, three bytes present.
    const Bytes bytes = {0xFF, 0xFF, 0xFF, 0xF0, 0xFF, 0xFF, 0xFF, 'a', 'b', 'c'};
    EXPECT_EQ(LoadCause(bytes, [](CArchive& ar) { ar.ReadString(); }), CArchiveException::endOfFile);
    EXPECT_EQ(LoadCause({0x05, 'a', 'b'}, [](CArchive& ar) { ar.ReadString(); }), CArchiveException::endOfFile);
    EXPECT_EQ(LoadCause({0x08, 0, 0, 0, 'a'}, [](CArchive& ar) {
                  DWORD n;
                  ar >> n;
                  ar.ReadBytes(n);
              }),
              CArchiveException::endOfFile);
}

// ------------------------------------------------------------------ numbers

TEST(Archive, NumbersAreLittleEndian)
{
    const Bytes bytes = Store([](CArchive& ar) {
        ar << static_cast<BYTE>(0xAB) << static_cast<WORD>(0x1234) << static_cast<short>(-2)
           << static_cast<LONG>(-2) << static_cast<DWORD>(0x01020304) << 1.0f << 1.0
           << static_cast<LONGLONG>(-3) << 'z';
    });
    const Bytes expected = {0xAB, 0x34, 0x12, 0xFE, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x04, 0x03, 0x02, 0x01,
                            0x00, 0x00, 0x80, 0x3F, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F,
                            0xFD, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'z'};
    EXPECT_EQ(bytes, expected);

    CMemFile file;
    file.Assign(bytes.data(), bytes.size());
    CArchive ar(&file, CArchive::load);
    BYTE b;
    WORD w;
    short s;
    LONG l;
    DWORD d;
    float f;
    double g;
    LONGLONG ll;
    char c;
    ar >> b >> w >> s >> l >> d >> f >> g >> ll >> c;
    EXPECT_EQ(b, 0xAB);
    EXPECT_EQ(w, 0x1234);
    EXPECT_EQ(s, -2);
    EXPECT_EQ(l, -2);
    EXPECT_EQ(d, 0x01020304u);
    EXPECT_EQ(f, 1.0f);
    EXPECT_EQ(g, 1.0);
    EXPECT_EQ(ll, -3);
    EXPECT_EQ(c, 'z');
    EXPECT_EQ(LoadCause(bytes, [](CArchive& a) {
                  BYTE skip[30];
                  a.Read(skip, sizeof skip);
                  double tooFar;
                  a >> tooFar;
              }),
              CArchiveException::endOfFile);
}

TEST(Archive, WrongDirectionThrows)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        DWORD d;
        try {
            ar >> d;
            FAIL() << "read from a storing archive";
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.m_cause, CArchiveException::writeOnly);
        }
    }
    EXPECT_EQ(LoadCause({1, 2, 3, 4}, [](CArchive& ar) { ar << static_cast<DWORD>(1); }),
              CArchiveException::readOnly);
}

// Raw data larger and smaller than the buffer, through small and normal buffers.
TEST(Archive, RawBytesCrossBufferBoundaries)
{
    for (int bufSize : {128, 4096}) {
        for (std::size_t size : {std::size_t(0), std::size_t(100), std::size_t(128), std::size_t(5000)}) {
            SCOPED_TRACE(testing::Message() << bufSize << "/" << size);
            std::string data(size, '\0');
            for (std::size_t i = 0; i < size; ++i)
                data[i] = static_cast<char>(i * 7);
            const Bytes bytes = Store(
                [&](CArchive& ar) {
                    ar << static_cast<BYTE>(1);
                    ar.Write(data.data(), static_cast<UINT>(size));
                    ar << static_cast<DWORD>(0xCAFEF00D);
                },
                bufSize);
            ASSERT_EQ(bytes.size(), size + 5);

            CMemFile file;
            file.Assign(bytes.data(), bytes.size());
            CArchive ar(&file, CArchive::load, bufSize);
            BYTE first;
            ar >> first;
            std::string back(size, '\0');
            EXPECT_EQ(ar.Read(back.data(), static_cast<UINT>(size)), size);
            DWORD last;
            ar >> last;
            EXPECT_EQ(back, data);
            EXPECT_EQ(last, 0xCAFEF00Du);
            char extra[4];
            EXPECT_EQ(ar.Read(extra, 4), 0u);
        }
    }
}

// ------------------------------------------------------------------ objects

TEST(Archive, ClassTagsOfFirstAndLaterObjects)
{
    CTestRecord a(7), b(8);
    CTestOther c;
    c.m_name = "hi";
    CTestOther d;
    const Bytes bytes = Store([&](CArchive& ar) {
        ar << &a << &b << &c << &d << &a << static_cast<const CObject*>(nullptr);
    });
    const Bytes expected = Concat({
        {0xFF, 0xFF, 0x01, 0x00, 0x0B, 0x00}, Text("CTestRecord"), {7, 0, 0, 0}, // class 1, object 2
        {0x01, 0x80, 8, 0, 0, 0},                                                 // object 3
        {0xFF, 0xFF, 0x02, 0x00, 0x0A, 0x00}, Text("CTestOther"), {2, 'h', 'i'},  // class 4, object 5
        {0x04, 0x80, 0},                                                          // object 6
        {0x02, 0x00},                                                             // a again
        {0x00, 0x00},                                                             // null
    });
    EXPECT_EQ(bytes, expected);

    CMemFile file;
    file.Assign(bytes.data(), bytes.size());
    CArchive ar(&file, CArchive::load);
    CTestRecord* ra = nullptr;
    CTestRecord* rb = nullptr;
    CTestOther* rc = nullptr;
    CTestOther* rd = nullptr;
    CTestRecord* again = nullptr;
    CObject* null = &a;
    ar >> ra >> rb >> rc >> rd >> again >> null;
    std::unique_ptr<CObject> own[] = {std::unique_ptr<CObject>(ra), std::unique_ptr<CObject>(rb),
                                      std::unique_ptr<CObject>(rc), std::unique_ptr<CObject>(rd)};
    ASSERT_TRUE(ra && rb && rc && rd);
    EXPECT_EQ(ra->m_value, 7);
    EXPECT_EQ(rb->m_value, 8);
    EXPECT_EQ(rc->m_name, "hi");
    EXPECT_EQ(rd->m_name, "");
    EXPECT_EQ(again, ra);
    EXPECT_EQ(null, nullptr);
}

// From map index 0x7FFF on, references take the long form.
TEST(Archive, BigIndicesUseTheLongForm)
{
    constexpr int count = 0x7FFF; // CTestEmpty is index 1, its objects 2..0x8000
    std::vector<CTestEmpty> objects(count);
    CTestRecord late(5);
    const Bytes bytes = Store([&](CArchive& ar) {
        for (const CTestEmpty& o : objects)
            ar << &o;
        ar << &objects.back() << &late << &late << &objects.front();
        ar.WriteClass(RUNTIME_CLASS(CTestEmpty));
    });
    // Tags: the first new class (2 + 2 + 2 + 10 bytes), then 0x8001 for each later object.
    std::size_t at = 16 + 2 * (count - 1);
    ASSERT_GE(bytes.size(), at + 6);
    EXPECT_EQ(Bytes(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at) + 6),
              (Bytes{0xFF, 0x7F, 0x00, 0x80, 0x00, 0x00})); // object 0x8000
    at += 6;
    // CTestRecord becomes class 0x8001 with object 0x8002; then late again,
    // the first object (index 2) and the short class tag of class 1.
    EXPECT_EQ(bytes.size(), at + 6 + 11 + 4 + 10);
    EXPECT_EQ(Bytes(bytes.end() - 10, bytes.end()),
              (Bytes{0xFF, 0x7F, 0x02, 0x80, 0x00, 0x00, 0x02, 0x00, 0x01, 0x80}));

    CMemFile file;
    file.Assign(bytes.data(), bytes.size());
    CArchive ar(&file, CArchive::load);
    std::vector<std::unique_ptr<CObject>> read;
    for (int i = 0; i < count; ++i)
        read.emplace_back(ar.ReadObject(RUNTIME_CLASS(CTestEmpty)));
    EXPECT_EQ(ar.ReadObject(), read.back().get());
    std::unique_ptr<CObject> lateRead(ar.ReadObject());
    EXPECT_EQ(ar.ReadObject(), lateRead.get());
    EXPECT_EQ(ar.ReadObject(), read.front().get());
    EXPECT_EQ(ar.ReadClass(), RUNTIME_CLASS(CTestEmpty));
    ASSERT_NE(dynamic_cast<CTestRecord*>(lateRead.get()), nullptr);
    EXPECT_EQ(static_cast<CTestRecord*>(lateRead.get())->m_value, 5);
}

// A new class after index 0x7FFF is referred to as 0x7FFF, 0x80000000 | index.
TEST(Archive, BigClassIndex)
{
    std::vector<CTestEmpty> objects(0x7FFE); // class 1, objects 2..0x7FFF
    CTestRecord x(1), y(2);
    const Bytes bytes = Store([&](CArchive& ar) {
        for (const CTestEmpty& o : objects)
            ar << &o;
        ar << &x << &y; // CTestRecord gets 0x8000
    });
    const Bytes expected = {0xFF, 0x7F, 0x00, 0x80, 0x00, 0x80, 2, 0, 0, 0};
    EXPECT_EQ(Bytes(bytes.end() - 10, bytes.end()), expected);

    CMemFile file;
    file.Assign(bytes.data(), bytes.size());
    CArchive ar(&file, CArchive::load);
    std::vector<std::unique_ptr<CObject>> read;
    for (std::size_t i = 0; i < objects.size() + 2; ++i)
        read.emplace_back(ar.ReadObject());
    auto* yRead = dynamic_cast<CTestRecord*>(read.back().get());
    ASSERT_NE(yRead, nullptr);
    EXPECT_EQ(yRead->m_value, 2);
}

TEST(Archive, BackReferencesInsideObjects)
{
    CTestRecord shared(3);
    CTestNode first, second;
    first.m_other = &shared;
    second.m_other = &shared;
    const Bytes bytes = Store([&](CArchive& ar) { ar << &first << &second << &shared; });

    CTestNode::s_lastSchema = 0;
    CMemFile file;
    file.Assign(bytes.data(), bytes.size());
    CArchive ar(&file, CArchive::load);
    std::unique_ptr<CObject> a(ar.ReadObject());
    std::unique_ptr<CObject> b(ar.ReadObject());
    CObject* c = ar.ReadObject();
    auto* na = dynamic_cast<CTestNode*>(a.get());
    auto* nb = dynamic_cast<CTestNode*>(b.get());
    ASSERT_TRUE(na && nb);
    EXPECT_EQ(na->m_other, nb->m_other);
    EXPECT_EQ(na->m_other, c);
    EXPECT_EQ(CTestNode::s_lastSchema, 3u);
    delete c;
}

TEST(Archive, VersionableSchemaAcceptsOlderData)
{
    const Bytes bytes = Concat({{0xFF, 0xFF, 0x01, 0x00, 0x09, 0x00}, Text("CTestNode"), {0x00, 0x00}});
    CTestNode::s_lastSchema = 0;
    CMemFile file;
    file.Assign(bytes.data(), bytes.size());
    CArchive ar(&file, CArchive::load);
    std::unique_ptr<CObject> node(ar.ReadObject());
    ASSERT_NE(dynamic_cast<CTestNode*>(node.get()), nullptr);
    EXPECT_EQ(CTestNode::s_lastSchema, 1u);
}

TEST(Archive, BadObjectDataThrows)
{
    const Bytes record = Concat({{0xFF, 0xFF, 0x01, 0x00, 0x0B, 0x00}, Text("CTestRecord"), {7, 0, 0, 0}});
    struct Case {
        const char* what;
        Bytes bytes;
        int cause;
    };
    const Case cases[] = {
        {"empty", {}, CArchiveException::endOfFile},
        {"back-reference to nothing", {0x05, 0x00}, CArchiveException::badIndex},
        {"long back-reference to nothing", {0xFF, 0x7F, 0x00, 0x00, 0x01, 0x00}, CArchiveException::badIndex},
        {"class index 0", {0x00, 0x80}, CArchiveException::badIndex},
        {"class index to nothing", {0x03, 0x80}, CArchiveException::badIndex},
        {"class index naming an object", Concat({record, {0x02, 0x80}}), CArchiveException::badIndex},
        {"object index naming a class", Concat({record, {0x01, 0x00}}), CArchiveException::badIndex},
        {"unknown class", Concat({{0xFF, 0xFF, 0x01, 0x00, 0x05, 0x00}, Text("CNope")}), CArchiveException::badClass},
        {"wrong schema", Concat({{0xFF, 0xFF, 0x02, 0x00, 0x0B, 0x00}, Text("CTestRecord"), {7, 0, 0, 0}}),
         CArchiveException::badSchema},
        {"class name too long", {0xFF, 0xFF, 0x01, 0x00, 0x40, 0x00}, CArchiveException::badClass},
        {"class name cut short", Concat({{0xFF, 0xFF, 0x01, 0x00, 0x0B, 0x00}, Text("CTest")}),
         CArchiveException::endOfFile},
        {"object data cut short", Concat({{0xFF, 0xFF, 0x01, 0x00, 0x0B, 0x00}, Text("CTestRecord"), {7, 0}}),
         CArchiveException::endOfFile},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(LoadCause(c.bytes,
                            [](CArchive& ar) {
                                for (int i = 0; i < 3; ++i)
                                    delete ar.ReadObject();
                            }),
                  c.cause);
    }
}

TEST(Archive, RequestedClassIsChecked)
{
    CTestRecord r(1);
    const Bytes bytes = Store([&](CArchive& ar) { ar << &r << &r; });
    // A new object of the wrong class.
    EXPECT_EQ(LoadCause(bytes, [](CArchive& ar) { delete ar.ReadObject(RUNTIME_CLASS(CTestOther)); }),
              CArchiveException::badClass);
    // A back-reference to an object of the wrong class.
    EXPECT_EQ(LoadCause(bytes,
                        [](CArchive& ar) {
                            std::unique_ptr<CObject> first(ar.ReadObject(RUNTIME_CLASS(CObject)));
                            ar.ReadObject(RUNTIME_CLASS(CTestOther));
                        }),
              CArchiveException::badClass);
}

TEST(Archive, ObjectFailingToLoadIsFreed)
{
    // A node whose inner object is cut short.
    const Bytes bytes = Concat({{0xFF, 0xFF, 0x03, 0x00, 0x09, 0x00}, Text("CTestNode"),
                                {0xFF, 0xFF, 0x01, 0x00, 0x0B, 0x00}, Text("CTestRecord"), {7}});
    const int before = CTestNode::s_destroyed;
    EXPECT_EQ(LoadCause(bytes, [](CArchive& ar) { ar.ReadObject(); }), CArchiveException::endOfFile);
    EXPECT_EQ(CTestNode::s_destroyed, before + 1);
}

TEST(Archive, UnserialisableClassCannotBeStored)
{
    CTestNotSerial plain;
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    try {
        ar << &plain;
        FAIL() << "stored an object without a serial class";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::badClass);
    }
    ar.Abort();
}

TEST(SerialClassRegistry, LatestRegistrationWinsAndRemovalRestores)
{
    static const CRuntimeClass other = {"CTestRecord", 9, nullptr, &CObject::classCObject};
    EXPECT_EQ(VkFindSerialClass("CTestRecord"), RUNTIME_CLASS(CTestRecord));
    {
        VkSerialClassRegistrar registrar(&other);
        EXPECT_EQ(VkFindSerialClass("CTestRecord"), &other);
    }
    EXPECT_EQ(VkFindSerialClass("CTestRecord"), RUNTIME_CLASS(CTestRecord));
    EXPECT_EQ(VkFindSerialClass("ctestrecord"), nullptr);
    EXPECT_EQ(VkFindSerialClass(nullptr), nullptr);
}

// -------------------------------------------------------------------- files

TEST(MemFile, SeekReadWriteAndDetach)
{
    CMemFile file;
    file.Write("abc", 3);
    EXPECT_EQ(file.Seek(5, CFile::begin), 5u);
    file.Write("z", 1);
    EXPECT_EQ(file.GetLength(), 6u);
    file.SeekToBegin();
    char back[8] = {};
    EXPECT_EQ(file.Read(back, 8), 6u);
    EXPECT_EQ(std::string(back, 6), std::string("abc\0\0z", 6));
    EXPECT_THROW(file.Seek(-7, CFile::current), CFileException);

    const ULONGLONG length = file.GetLength();
    BYTE* detached = file.Detach();
    EXPECT_EQ(length, 6u);
    EXPECT_EQ(std::memcmp(detached, "abc", 3), 0);
    EXPECT_EQ(file.GetLength(), 0u);
    std::free(detached);
}

TEST(MemFile, FixedBufferCannotGrow)
{
    BYTE buffer[4] = {1, 2, 3, 4};
    CMemFile file(buffer, sizeof buffer);
    EXPECT_EQ(file.GetLength(), 4u);
    file.Write("xy", 2);
    EXPECT_EQ(buffer[0], 'x');
    try {
        file.Write("pqr", 3);
        FAIL() << "wrote past a fixed buffer";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::diskFull);
    }
    EXPECT_EQ(buffer[2], 3);
}

class FileTest : public qvtest::FreshRootTest {};

TEST_F(FileTest, ArchiveOverAFile)
{
    const std::string path = (root() / "out.bin").string();
    CTestRecord r(42);
    {
        CFile file(path.c_str(), CFile::modeCreate | CFile::modeWrite);
        CArchive ar(&file, CArchive::store);
        ar << static_cast<DWORD>(1) << std::string("title") << &r;
        // Closing the archive writes its buffer; the destructor would too.
        ar.Close();
        file.Close();
    }
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead));
    EXPECT_EQ(file.GetLength(), 4u + 6u + 6u + 11u + 4u);
    {
        CArchive ar(&file, CArchive::load);
        DWORD version;
        std::string title;
        ar >> version >> title;
        EXPECT_EQ(version, 1u);
        EXPECT_EQ(title, "title");
        ar.Close();
    }
    // Closing a loading archive leaves the file at the first unread byte.
    EXPECT_EQ(file.GetPosition(), 10u);
    CArchive ar(&file, CArchive::load);
    std::unique_ptr<CObject> back(ar.ReadObject());
    ASSERT_NE(dynamic_cast<CTestRecord*>(back.get()), nullptr);
    EXPECT_EQ(static_cast<CTestRecord*>(back.get())->m_value, 42);
    try {
        BYTE extra;
        ar >> extra;
        FAIL() << "read past the end";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
        EXPECT_NE(e.GetErrorMessage().find("out.bin"), std::string::npos);
    }
}

TEST_F(FileTest, OpenFailuresAreReported)
{
    const std::string missing = (root() / "missing.bin").string();
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(missing.c_str(), CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    EXPECT_EQ(error.m_strFileName, missing);
    EXPECT_FALSE(file.Open(root().string().c_str(), CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::accessDenied);
    const std::string noFolder = (root() / "no" / "such.bin").string();
    try {
        CFile created(noFolder.c_str(), CFile::modeCreate | CFile::modeWrite);
        FAIL() << "created a file in a missing folder";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::fileNotFound);
    }
}

TEST_F(FileTest, CreateTruncatesUnlessAskedNotTo)
{
    const std::string path = (root() / "t.bin").string();
    {
        CFile file(path.c_str(), CFile::modeCreate | CFile::modeWrite);
        file.Write("hello", 5);
    }
    {
        CFile file(path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite);
        EXPECT_EQ(file.GetLength(), 5u);
        file.SeekToEnd();
        file.Write("!", 1);
    }
    {
        CFile file(path.c_str(), CFile::modeRead);
        EXPECT_EQ(file.GetLength(), 6u);
    }
    CFile file(path.c_str(), CFile::modeCreate | CFile::modeWrite);
    EXPECT_EQ(file.GetLength(), 0u);
}

} // namespace
