#include "registry/VkRegValueNode.h"

#include "testsupport/TestLocale.h"

#include <gtest/gtest.h>

namespace {

TEST(VkRegValueNode, NewValueIsUntypedAndEmpty)
{
    VkRegValueNode value("v");
    EXPECT_EQ(value.Type(), dtypePre);
    EXPECT_TRUE(value.Data()->IsEmpty());
    EXPECT_EQ(value.Delimiters(), "|");
    EXPECT_EQ(value.Parts(), 0);
}

TEST(VkRegValueNode, PutTypesFromTheDataButReplaceKeepsTheType)
{
    VkRegValueNode value("v");
    value.PutData(VkRegPlainData::Number(7));
    EXPECT_EQ(value.Type(), dtypeInteger);
    value.PutData(VkRegPlainData::Bytes({1, 2}));
    EXPECT_EQ(value.Type(), dtypeBinary);
    value.PutData(VkRegPlainData::Text("x"));
    EXPECT_EQ(value.Type(), dtypeString);
    value.PutData(VkRegPlainData::Empty());
    EXPECT_EQ(value.Type(), dtypeString);

    value.ReplaceData(VkRegPlainData::Number(3));
    EXPECT_EQ(value.Type(), dtypeString);
    LONG n = 0;
    ASSERT_TRUE(value.Data()->ToInt32(&n));
    EXPECT_EQ(n, 3);
}

TEST(VkRegValueNode, TypePutAcceptsOnlyTheRealTypes)
{
    VkRegValueNode value("v");
    for (int bad : {int(dtypePre), int(dtypeMax), 99, -7}) {
        EXPECT_FALSE(value.SetType(bad)) << bad;
    }
    EXPECT_EQ(value.Type(), dtypePre);
    for (int good : {int(dtypeEmpty), int(dtypeString), int(dtypeInteger), int(dtypeBinary)}) {
        EXPECT_TRUE(value.SetType(good));
        EXPECT_EQ(value.Type(), good);
    }
}

TEST(VkRegValueNode, SubValuesSplitAtAnyDelimiter)
{
    struct Case {
        const char* data;
        const char* delimiters;
        std::vector<std::string> parts;
    };
    const Case cases[] = {
        {"one|two|three", "|", {"one", "two", "three"}},
        {"10,20,630,470", ",", {"10", "20", "630", "470"}},
        {"a,b;c", ",;", {"a", "b", "c"}},
        {"a||b|", "|", {"a", "", "b", ""}},
        {"no delimiter", "|", {"no delimiter"}},
        {"a|b", "", {"a|b"}},
        {"", "|", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.data);
        VkRegValueNode value("v");
        value.PutData(VkRegPlainData::Text(c.data));
        value.SetDelimiters(c.delimiters);
        ASSERT_EQ(value.Parts(), static_cast<LONG>(c.parts.size()));
        for (std::size_t i = 0; i < c.parts.size(); ++i) {
            std::string part;
            ASSERT_TRUE(value.SubValue(static_cast<LONG>(i), &part));
            EXPECT_EQ(part, c.parts[i]);
        }
        std::string untouched = "keep";
        EXPECT_FALSE(value.SubValue(static_cast<LONG>(c.parts.size()), &untouched));
        EXPECT_FALSE(value.SubValue(-1, &untouched));
        EXPECT_EQ(untouched, "keep");
    }
}

TEST(VkRegValueNode, PartsFollowChangesOfDataAndDelimiters)
{
    VkRegValueNode value("v");
    value.PutData(VkRegPlainData::Text("1,2|3"));
    EXPECT_EQ(value.Parts(), 2);
    value.SetDelimiters(",");
    EXPECT_EQ(value.Parts(), 2);
    value.SetDelimiters(",|");
    EXPECT_EQ(value.Parts(), 3);
    value.ReplaceData(VkRegPlainData::Text("x"));
    EXPECT_EQ(value.Parts(), 1);
    // A number is split as its text.
    value.PutData(VkRegPlainData::Number(-45));
    std::string part;
    ASSERT_TRUE(value.SubValue(0, &part));
    EXPECT_EQ(part, "-45");
    // Bytes have no text and so no parts.
    value.PutData(VkRegPlainData::Bytes({'a', '|', 'b'}));
    EXPECT_EQ(value.Parts(), 0);
}

TEST(VkRegValueNode, SubValuePutKeepsTheOtherPartsAndTheirDelimiters)
{
    VkRegValueNode value("v");
    value.PutData(VkRegPlainData::Number(5));
    value.ReplaceData(VkRegPlainData::Text("a,b;c"));
    value.SetDelimiters(",;");
    ASSERT_TRUE(value.SetSubValue(1, "BEE"));
    std::string text;
    ASSERT_TRUE(value.Data()->ToText(&text));
    EXPECT_EQ(text, "a,BEE;c");
    EXPECT_EQ(value.Type(), dtypeString);
    ASSERT_TRUE(value.SetSubValue(3, "d"));
    value.Data()->ToText(&text);
    EXPECT_EQ(text, "a,BEE;c,d");
    EXPECT_FALSE(value.SetSubValue(5, "x"));
    EXPECT_FALSE(value.SetSubValue(-1, "x"));
    EXPECT_EQ(value.Parts(), 4);

    VkRegValueNode empty("e");
    ASSERT_TRUE(empty.SetSubValue(0, "first"));
    empty.Data()->ToText(&text);
    EXPECT_EQ(text, "first");
}

TEST(VkRegPlainData, Conversions)
{
    struct Case {
        const char* text;
        bool ok;
        LONG number;
    };
    const Case cases[] = {
        {"42", true, 42},       {" -17 ", true, -17},         {"+3", true, 3},
        {"2.5", true, 2},       {"3.5", true, 4},             {"2147483647", true, 2147483647},
        {"2147483648", false, 0}, {"-2147483648", true, -2147483647 - 1},
        {"", false, 0},         {"abc", false, 0},            {"12abc", false, 0},
        {"0x10", false, 0},     {"nan", false, 0},            {"1e3", true, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        LONG n = 12345;
        EXPECT_EQ(VkRegPlainData(std::string(c.text)).ToInt32(&n), c.ok);
        if (c.ok) {
            EXPECT_EQ(n, c.number);
        }
    }
    std::string text;
    EXPECT_TRUE(VkRegPlainData(LONG(-9)).ToText(&text));
    EXPECT_EQ(text, "-9");
    EXPECT_FALSE(VkRegPlainData(std::vector<BYTE>{1}).ToText(&text));
    std::vector<BYTE> bytes;
    EXPECT_FALSE(VkRegPlainData(std::string("x")).ToBytes(&bytes));
    EXPECT_TRUE(VkRegPlainData(std::vector<BYTE>{1, 0, 2}).ToBytes(&bytes));
    EXPECT_EQ(bytes, (std::vector<BYTE>{1, 0, 2}));
}

// Numbers stored as text read the same where the decimal point is a comma.
TEST(VkRegPlainData, TextToNumberIgnoresTheLocale)
{
    qvtest::ProcessLocale turkish(qvtest::kTurkishLocale);
    QV_REQUIRE_LOCALE(turkish);
    const std::pair<const char*, LONG> numbers[] = {{"2.5", 2}, {"3.5", 4}, {"1.5e1", 15}, {" -0.75 ", -1}};
    for (const auto& [text, number] : numbers) {
        LONG n = 12345;
        EXPECT_TRUE(VkRegPlainData(std::string(text)).ToInt32(&n)) << text;
        EXPECT_EQ(n, number) << text;
    }
    LONG n = 0;
    EXPECT_FALSE(VkRegPlainData(std::string("1,5")).ToInt32(&n));
}

} // namespace
