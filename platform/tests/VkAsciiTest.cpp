// ASCII case mapping and number texts give the same answers in the Turkish
// locale, where the C library's give others.
#include "platform/VkAscii.h"
#include "platform/VkNumberText.h"
#include "testsupport/TestLocale.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <string>

namespace {

class TurkishLocaleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QV_REQUIRE_LOCALE(m_turkish);
        // The traps these helpers avoid are live here. (Called through a
        // pointer: GCC reasons about toupper's result the C locale's way.)
        int (*volatile toUpper)(int) = std::toupper;
        ASSERT_EQ(toUpper('i'), 'i');
        const std::string text = "1.5";
        ASSERT_EQ(std::strtod(text.c_str(), nullptr), 1.0);
    }

    qvtest::ProcessLocale m_turkish{qvtest::kTurkishLocale};
};

TEST_F(TurkishLocaleTest, CaseMappingIsAscii)
{
    EXPECT_EQ(VkAsciiUpper("scott/tiger distinct partitioned"), "SCOTT/TIGER DISTINCT PARTITIONED");
    EXPECT_EQ(VkAsciiLower("PARTITIONED IN/OUT"), "partitioned in/out");
    EXPECT_EQ(VkAsciiToUpper('i'), 'I');
    EXPECT_EQ(VkAsciiToLower('I'), 'i');
    // Other bytes stay as they are: UTF-8 dotless i and dotted capital I.
    EXPECT_EQ(VkAsciiUpper("\xC4\xB1 \xC4\xB0"), "\xC4\xB1 \xC4\xB0");
    EXPECT_EQ(VkAsciiLower("\xC4\xB1 \xC4\xB0"), "\xC4\xB1 \xC4\xB0");
    EXPECT_TRUE(VkAsciiEqualNoCase("hkey_local_machine", "HKEY_LOCAL_MACHINE"));
    EXPECT_FALSE(VkAsciiEqualNoCase("HKEY_LOCAL_MACHINE", "HKEY_LOCAL_MACHIN"));
    EXPECT_FALSE(VkAsciiEqualNoCase("\xC4\xB1", "I"));
}

TEST_F(TurkishLocaleTest, ClassificationIsAscii)
{
    for (int c = 0; c < 256; ++c) {
        const char ch = static_cast<char>(c);
        const bool ascii = c < 0x80;
        SCOPED_TRACE(c);
        EXPECT_EQ(VkIsAsciiAlpha(ch), ascii && std::isalpha(c) != 0);
        EXPECT_EQ(VkIsAsciiDigit(ch), c >= '0' && c <= '9');
        EXPECT_EQ(VkIsAsciiAlnum(ch), ascii && std::isalnum(c) != 0);
        EXPECT_EQ(VkIsAsciiSpace(ch), ascii && std::isspace(c) != 0);
        EXPECT_EQ(VkIsAsciiHexDigit(ch), ascii && std::isxdigit(c) != 0);
    }
    EXPECT_EQ(VkAsciiTrim(" \t\r\n scott \v\f"), "scott");
    EXPECT_EQ(VkAsciiTrim("   "), "");
}

TEST_F(TurkishLocaleTest, NumbersReadAndWriteWithAPoint)
{
    char* end = nullptr;
    const char text[] = "  -1.5e2)";
    EXPECT_EQ(VkStrtod(text, &end), -150.0);
    EXPECT_EQ(end, text + 8);
    EXPECT_EQ(VkStrtod("0.25"), 0.25);
    // A comma ends the number, as in the C locale.
    EXPECT_EQ(VkStrtod("1,5", &end), 1.0);
    EXPECT_EQ(*end, ',');
    EXPECT_EQ(VkStrtod("abc", &end), 0.0);
    EXPECT_STREQ(end, "abc");
    errno = 0;
    EXPECT_TRUE(std::isinf(VkStrtod("1e400")));
    EXPECT_EQ(errno, ERANGE);

    EXPECT_EQ(VkFormatDouble(0.5, std::chars_format::general, 6), "0.5");
    EXPECT_EQ(VkFormatDouble(0.001, std::chars_format::general, 17), "0.001");
    EXPECT_EQ(VkFormatDouble(1234.5, std::chars_format::scientific, 2), "1.23e+03");
    EXPECT_EQ(VkFormatDouble(0.75, std::chars_format::fixed, 5), "0.75000");
    EXPECT_EQ(VkFormatDouble(-2.0 / 3.0, std::chars_format::scientific, 14), "-6.66666666666667e-01");
}

} // namespace
