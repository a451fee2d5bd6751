#include "platform/VkVariant.h"
#include "platform/tests/VariantTestSupport.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

using vartest::Describe;
using vartest::HrName;

namespace {

struct Case {
    VkVariant from;
    VARTYPE to;
    WORD flags;
    HRESULT hr;
    std::string want; // Describe() of the result when hr is S_OK
};

void RunCases(const std::vector<Case>& cases, LCID lcid = LOCALE_USER_DEFAULT)
{
    for (const auto& c : cases) {
        VkVariant out;
        HRESULT hr = VariantChangeTypeEx(&out, &c.from, lcid, c.flags, c.to);
        const std::string where = Describe(c.from) + " -> vt " + std::to_string(c.to);
        EXPECT_EQ(HrName(hr), HrName(c.hr)) << where;
        if (SUCCEEDED(hr) && SUCCEEDED(c.hr)) {
            EXPECT_EQ(Describe(out), c.want) << where;
        }
        if (FAILED(hr)) {
            EXPECT_EQ(out.vt, VT_EMPTY) << where << ": a failed conversion leaves the target alone";
        }
    }
}

VkVariant I1(CHAR v)
{
    VkVariant x;
    x.vt = VT_I1;
    x.cVal = v;
    return x;
}
VkVariant UI2(USHORT v)
{
    VkVariant x;
    x.vt = VT_UI2;
    x.uiVal = v;
    return x;
}
VkVariant UI4(ULONG v)
{
    VkVariant x;
    x.vt = VT_UI4;
    x.ulVal = v;
    return x;
}

class VariantConvert : public ::testing::Test {
protected:
    vartest::LocaleScope m_locale{"en_US"};
};

TEST_F(VariantConvert, TextToNumbers)
{
    RunCases({
        {"42", VT_I4, 0, S_OK, "I4 42"},
        {" -17 ", VT_I2, 0, S_OK, "I2 -17"},
        {"+8", VT_UI1, 0, S_OK, "UI1 8"},
        {"1,234,567", VT_I4, 0, S_OK, "I4 1234567"},
        {"2.5", VT_I4, 0, S_OK, "I4 2"},
        {"3.5", VT_I4, 0, S_OK, "I4 4"},
        {"-2.5", VT_I4, 0, S_OK, "I4 -2"},
        {"1e3", VT_I4, 0, S_OK, "I4 1000"},
        {"1.5E-1", VT_R8, 0, S_OK, "R8 0.14999999999999999"},
        {"&HFF", VT_I4, 0, S_OK, "I4 255"},
        {"&o17", VT_I4, 0, S_OK, "I4 15"},
        {"(5)", VT_I4, 0, S_OK, "I4 -5"},
        {"9223372036854775807", VT_I8, 0, S_OK, "I8 9223372036854775807"},
        {"-9223372036854775808", VT_I8, 0, S_OK, "I8 -9223372036854775808"},
        {"18446744073709551615", VT_UI8, 0, S_OK, "UI8 18446744073709551615"},
        {"1.5", VT_R8, 0, S_OK, "R8 1.5"},
        {"-0.25", VT_R4, 0, S_OK, "R4 -0.25"},
        {"1", VT_INT, 0, S_OK, "INT 1"},
        // Failures.
        {"abc", VT_I4, 0, DISP_E_TYPEMISMATCH, ""},
        {"", VT_I4, 0, DISP_E_TYPEMISMATCH, ""},
        {"   ", VT_R8, 0, DISP_E_TYPEMISMATCH, ""},
        {"12abc", VT_I4, 0, DISP_E_TYPEMISMATCH, ""},
        {"1.2.3", VT_R8, 0, DISP_E_TYPEMISMATCH, ""},
        {"1e", VT_R8, 0, DISP_E_TYPEMISMATCH, ""},
        {"&HXYZ", VT_I4, 0, DISP_E_TYPEMISMATCH, ""},
        {"32768", VT_I2, 0, DISP_E_OVERFLOW, ""},
        {"-32769", VT_I2, 0, DISP_E_OVERFLOW, ""},
        {"-1", VT_UI1, 0, DISP_E_OVERFLOW, ""},
        {"256", VT_UI1, 0, DISP_E_OVERFLOW, ""},
        {"9223372036854775808", VT_I8, 0, DISP_E_OVERFLOW, ""},
        {"18446744073709551616", VT_UI8, 0, DISP_E_OVERFLOW, ""},
        {"1e400", VT_R8, 0, DISP_E_OVERFLOW, ""},
        {"3.5e38", VT_R4, 0, DISP_E_OVERFLOW, ""},
        {"2147483647.5", VT_I4, 0, DISP_E_OVERFLOW, ""},
    });
}

TEST_F(VariantConvert, NumbersToText)
{
    RunCases({
        {LONG(-42), VT_BSTR, 0, S_OK, "BSTR \"-42\""},
        {uint64_t(18446744073709551615ull), VT_BSTR, 0, S_OK, "BSTR \"18446744073709551615\""},
        {int64_t(std::numeric_limits<int64_t>::min()), VT_BSTR, 0, S_OK, "BSTR \"-9223372036854775808\""},
        {I1(-128), VT_BSTR, 0, S_OK, "BSTR \"-128\""},
        {BYTE(255), VT_BSTR, 0, S_OK, "BSTR \"255\""},
        {1.5, VT_BSTR, 0, S_OK, "BSTR \"1.5\""},
        {1.0 / 3, VT_BSTR, 0, S_OK, "BSTR \"0.333333333333333\""},
        {0.1 + 0.2, VT_BSTR, 0, S_OK, "BSTR \"0.3\""},
        {1e20, VT_BSTR, 0, S_OK, "BSTR \"1E+20\""},
        {1.5e-7, VT_BSTR, 0, S_OK, "BSTR \"1.5E-07\""},
        {123456789012345678.0, VT_BSTR, 0, S_OK, "BSTR \"1.23456789012346E+17\""},
        {-0.0, VT_BSTR, 0, S_OK, "BSTR \"0\""},
        {0.1f, VT_BSTR, 0, S_OK, "BSTR \"0.1\""},
        {FLOAT(1.0f / 3), VT_BSTR, 0, S_OK, "BSTR \"0.3333333\""},
        {VkVariant(), VT_BSTR, 0, S_OK, "BSTR \"\""},
        {VkVariant::Null(), VT_BSTR, 0, DISP_E_TYPEMISMATCH, ""},
        {VkVariant::Error(E_FAIL), VT_BSTR, 0, DISP_E_TYPEMISMATCH, ""},
    });
}

TEST_F(VariantConvert, Booleans)
{
    RunCases({
        // Read from text.
        {"-1", VT_BOOL, 0, S_OK, "BOOL -1"},
        {"0", VT_BOOL, 0, S_OK, "BOOL 0"},
        {"True", VT_BOOL, 0, S_OK, "BOOL -1"},
        {"false", VT_BOOL, 0, S_OK, "BOOL 0"},
        {" TRUE ", VT_BOOL, 0, S_OK, "BOOL -1"},
        {"2", VT_BOOL, 0, S_OK, "BOOL -1"},
        {"0.0", VT_BOOL, 0, S_OK, "BOOL 0"},
        {"0.5", VT_BOOL, 0, S_OK, "BOOL -1"},
        {"yes", VT_BOOL, 0, DISP_E_TYPEMISMATCH, ""},
        {"", VT_BOOL, 0, DISP_E_TYPEMISMATCH, ""},
        // Written as text: -1 unless the alphabetic form is asked for.
        {true, VT_BSTR, 0, S_OK, "BSTR \"-1\""},
        {false, VT_BSTR, 0, S_OK, "BSTR \"0\""},
        {true, VT_BSTR, VARIANT_ALPHABOOL, S_OK, "BSTR \"True\""},
        {false, VT_BSTR, VARIANT_ALPHABOOL, S_OK, "BSTR \"False\""},
        // Numbers: any non-zero is true; true is -1.
        {LONG(0), VT_BOOL, 0, S_OK, "BOOL 0"},
        {LONG(5), VT_BOOL, 0, S_OK, "BOOL -1"},
        {0.1, VT_BOOL, 0, S_OK, "BOOL -1"},
        {uint64_t(1) << 40, VT_BOOL, 0, S_OK, "BOOL -1"},
        {true, VT_I4, 0, S_OK, "I4 -1"},
        {true, VT_R8, 0, S_OK, "R8 -1"},
        {true, VT_UI1, 0, S_OK, "UI1 255"},
        {true, VT_UI2, 0, S_OK, "UI2 65535"},
        {false, VT_UI4, 0, S_OK, "UI4 0"},
        {true, VT_DATE, 0, S_OK, "DATE -1"},
        {VkVariant(), VT_BOOL, 0, S_OK, "BOOL 0"},
    });
}

TEST_F(VariantConvert, NumbersAmongThemselves)
{
    RunCases({
        {2.5, VT_I4, 0, S_OK, "I4 2"},
        {3.5, VT_I4, 0, S_OK, "I4 4"},
        {-0.5, VT_I4, 0, S_OK, "I4 0"},
        {-1.5, VT_I2, 0, S_OK, "I2 -2"},
        {-2147483648.5, VT_I4, 0, S_OK, "I4 -2147483648"},
        {2147483647.5, VT_I4, 0, DISP_E_OVERFLOW, ""},
        {std::numeric_limits<double>::quiet_NaN(), VT_I4, 0, DISP_E_OVERFLOW, ""},
        {LONG(300), VT_UI1, 0, DISP_E_OVERFLOW, ""},
        {LONG(-129), VT_I1, 0, DISP_E_OVERFLOW, ""},
        {LONG(-1), VT_UI2, 0, DISP_E_OVERFLOW, ""},
        {LONG(-1), VT_UI8, 0, DISP_E_OVERFLOW, ""},
        {uint64_t(1) << 63, VT_I4, 0, DISP_E_OVERFLOW, ""},
        {1e39, VT_R4, 0, DISP_E_OVERFLOW, ""},
        {-1e39, VT_R4, 0, DISP_E_OVERFLOW, ""},
        {1e10, VT_I8, 0, S_OK, "I8 10000000000"},
        {9.3e18, VT_I8, 0, DISP_E_OVERFLOW, ""},
        {9.3e18, VT_UI8, 0, S_OK, "UI8 9300000000000000000"},
        // Same size, other sign: the bits are kept.
        {LONG(-1), VT_UI4, 0, S_OK, "UI4 4294967295"},
        {UI4(4294967295u), VT_I4, 0, S_OK, "I4 -1"},
        {BYTE(255), VT_I1, 0, S_OK, "I1 -1"},
        {I1(-1), VT_UI1, 0, S_OK, "UI1 255"},
        {SHORT(-1), VT_UI2, 0, S_OK, "UI2 65535"},
        {UI2(65535), VT_I2, 0, S_OK, "I2 -1"},
        {int64_t(-1), VT_UI8, 0, S_OK, "UI8 18446744073709551615"},
        // Widening is exact.
        {SHORT(-7), VT_I8, 0, S_OK, "I8 -7"},
        {UI4(4000000000u), VT_I8, 0, S_OK, "I8 4000000000"},
        {LONG(16777217), VT_R8, 0, S_OK, "R8 16777217"},
        {LONG(7), VT_R4, 0, S_OK, "R4 7"},
        {LONG(12), VT_INT, 0, S_OK, "INT 12"},
        // Empty is zero; null and errors convert to nothing else.
        {VkVariant(), VT_I4, 0, S_OK, "I4 0"},
        {VkVariant(), VT_R8, 0, S_OK, "R8 0"},
        {VkVariant::Null(), VT_I4, 0, DISP_E_TYPEMISMATCH, ""},
        {VkVariant::Error(5), VT_I4, 0, DISP_E_TYPEMISMATCH, ""},
        {LONG(5), VT_ERROR, 0, DISP_E_TYPEMISMATCH, ""},
        {VkVariant::Error(5), VT_ERROR, 0, S_OK, "ERROR 5"},
        {VkVariant(), VT_NULL, 0, S_OK, "NULL"},
        {LONG(3), VT_EMPTY, 0, S_OK, "EMPTY"},
        {VkVariant::Null(), VT_EMPTY, 0, DISP_E_TYPEMISMATCH, ""},
        {VkVariant::Null(), VT_NULL, 0, S_OK, "NULL"},
        {LONG(3), VT_UNKNOWN, 0, DISP_E_TYPEMISMATCH, ""},
        {LONG(3), VARTYPE(6), 0, DISP_E_BADVARTYPE, ""},
    });
}

TEST_F(VariantConvert, DatesAndNumbers)
{
    RunCases({
        {VkVariant::Date(1.75), VT_R8, 0, S_OK, "R8 1.75"},
        {VkVariant::Date(1.5), VT_I4, 0, S_OK, "I4 2"},
        {VkVariant::Date(2.5), VT_I4, 0, S_OK, "I4 2"},
        {VkVariant::Date(-1.25), VT_R4, 0, S_OK, "R4 -1.25"},
        {45000.5, VT_DATE, 0, S_OK, "DATE 45000.5"},
        {LONG(2958465), VT_DATE, 0, S_OK, "DATE 2958465"},
        {LONG(-657434), VT_DATE, 0, S_OK, "DATE -657434"},
        {1e10, VT_DATE, 0, DISP_E_OVERFLOW, ""},
        {LONG(2958466), VT_DATE, 0, DISP_E_OVERFLOW, ""},
        {LONG(-700000), VT_DATE, 0, DISP_E_OVERFLOW, ""},
        {VkVariant(), VT_DATE, 0, S_OK, "DATE 0"},
    });
}

// Dates as text in the user's locale, both ways.
TEST_F(VariantConvert, DatesAndTextUnitedStates)
{
    struct Row {
        DATE date;
        const char* text;
    } rows[] = {
        {45000.0, "3/15/2023"},
        {45000.75, "3/15/2023 6:00:00 PM"},
        {45000.0 + (13 * 3600 + 5 * 60 + 9) / 86400.0, "3/15/2023 1:05:09 PM"},
        {2.0, "1/1/1900"},
        {0.0, "12:00:00 AM"},
        {0.5, "12:00:00 PM"},
        {-1.25, "12/29/1899 6:00:00 AM"},
        {2958465.0, "12/31/9999"},
        {-657434.0, "1/1/0100"},
    };
    for (const auto& r : rows) {
        VkVariant date = VkVariant::Date(r.date), text;
        ASSERT_EQ(HrName(VariantChangeType(&text, &date, 0, VT_BSTR)), "S_OK") << r.text;
        EXPECT_EQ(Describe(text), std::string("BSTR \"") + r.text + "\"");
        VkVariant back;
        ASSERT_EQ(HrName(VariantChangeType(&back, &text, 0, VT_DATE)), "S_OK") << r.text;
        EXPECT_NEAR(back.date, r.date, 1e-9) << r.text;
    }

    // Other spellings that read as dates, and texts that do not.
    RunCases({
        {"3/15/23", VT_DATE, 0, S_OK, "DATE 45000"},
        {"03/15/2023", VT_DATE, 0, S_OK, "DATE 45000"},
        {"1/1/30", VT_DATE, 0, S_OK, "DATE 10959"},
        {"1/1/29", VT_DATE, 0, S_OK, "DATE 47119"},
        {"3/15/2023 18:00", VT_DATE, 0, S_OK, "DATE 45000.75"},
        {"6:00 PM", VT_DATE, 0, S_OK, "DATE 0.75"},
        {"18:00:00", VT_DATE, 0, S_OK, "DATE 0.75"},
        {"2023-03-15", VT_DATE, 0, S_OK, "DATE 45000"},
        {"2023-03-15T18:00:00", VT_DATE, 0, S_OK, "DATE 45000.75"},
        {"13/45/2023", VT_DATE, 0, DISP_E_TYPEMISMATCH, ""},
        {"2/30/2023", VT_DATE, 0, DISP_E_TYPEMISMATCH, ""},
        {"hello", VT_DATE, 0, DISP_E_TYPEMISMATCH, ""},
        {"", VT_DATE, 0, DISP_E_TYPEMISMATCH, ""},
        {VkVariant::Date(3e6), VT_BSTR, 0, E_INVALIDARG, ""},
    });
}

TEST_F(VariantConvert, DateFlagsPickOnePart)
{
    BSTR text = nullptr;
    ASSERT_EQ(VarBstrFromDate(45000.75, LOCALE_USER_DEFAULT, VAR_DATEVALUEONLY, &text), S_OK);
    EXPECT_EQ(VkBstrToUtf8(text), "3/15/2023");
    SysFreeString(text);
    ASSERT_EQ(VarBstrFromDate(45000.75, LOCALE_USER_DEFAULT, VAR_TIMEVALUEONLY, &text), S_OK);
    EXPECT_EQ(VkBstrToUtf8(text), "6:00:00 PM");
    SysFreeString(text);
    // VariantChangeType's own flags do not cut a date short.
    VkVariant date = VkVariant::Date(45000.75), out;
    ASSERT_EQ(VariantChangeType(&out, &date, VARIANT_ALPHABOOL | VARIANT_NOVALUEPROP, VT_BSTR), S_OK);
    EXPECT_EQ(Describe(out), "BSTR \"3/15/2023 6:00:00 PM\"");
    DATE d = 0;
    EXPECT_EQ(VarDateFromStr(u"3/15/2023 6:00 PM", LOCALE_USER_DEFAULT, 0, &d), S_OK);
    EXPECT_DOUBLE_EQ(d, 45000.75);
    EXPECT_EQ(VarDateFromStr(u"later", LOCALE_USER_DEFAULT, 0, &d), DISP_E_TYPEMISMATCH);
}

TEST(VariantConvertGerman, DecimalCommaAndDayFirstDates)
{
    vartest::LocaleScope german("de_DE");
    RunCases({
        {1.5, VT_BSTR, 0, S_OK, "BSTR \"1,5\""},
        {1e20, VT_BSTR, 0, S_OK, "BSTR \"1E+20\""},
        {"1.234,5", VT_R8, 0, S_OK, "R8 1234.5"},
        {"1,5", VT_I4, 0, S_OK, "I4 2"},
        {"1.5", VT_R8, 0, S_OK, "R8 15"},
        {"1,2,3", VT_R8, 0, DISP_E_TYPEMISMATCH, ""},
        {VkVariant::Date(45000.75), VT_BSTR, 0, S_OK, "BSTR \"15.03.2023 18:00:00\""},
        {"15.03.2023", VT_DATE, 0, S_OK, "DATE 45000"},
        {"15.03.2023 18:00:00", VT_DATE, 0, S_OK, "DATE 45000.75"},
        {"3/15/2023", VT_DATE, 0, DISP_E_TYPEMISMATCH, ""},
        {true, VT_BSTR, VARIANT_ALPHABOOL, S_OK, "BSTR \"True\""},
    });
    // The invariant locale ignores the user's settings.
    RunCases({
        {1.5, VT_BSTR, 0, S_OK, "BSTR \"1.5\""},
        {"1,234.5", VT_R8, 0, S_OK, "R8 1234.5"},
        {VkVariant::Date(45000.75), VT_BSTR, 0, S_OK, "BSTR \"03/15/2023 18:00:00\""},
    }, LOCALE_INVARIANT);
}

TEST_F(VariantConvert, ByteArraysAndText)
{
    const BYTE bytes[] = {'A', 0, 'B', 0};
    VkVariant array = VkVariant::Bytes(bytes, sizeof bytes);
    VkVariant text;
    ASSERT_EQ(VariantChangeType(&text, &array, 0, VT_BSTR), S_OK);
    EXPECT_EQ(Describe(text), "BSTR \"AB\"");
    EXPECT_EQ(SysStringByteLen(text.bstrVal), 4u);

    VkVariant back;
    ASSERT_EQ(VariantChangeType(&back, &text, 0, VT_ARRAY | VT_UI1), S_OK);
    std::vector<BYTE> got;
    ASSERT_EQ(back.ToBytes(&got), S_OK);
    EXPECT_EQ(got, std::vector<BYTE>(bytes, bytes + 4));

    // An array copies into an array of its own type only.
    VkVariant copy;
    ASSERT_EQ(VariantChangeType(&copy, &array, 0, VT_ARRAY | VT_UI1), S_OK);
    EXPECT_NE(copy.parray, array.parray);
    EXPECT_EQ(VariantChangeType(&copy, &array, 0, VT_I4), DISP_E_TYPEMISMATCH);
    VkVariant number(LONG(5));
    EXPECT_EQ(VariantChangeType(&copy, &number, 0, VT_ARRAY | VT_UI1), DISP_E_TYPEMISMATCH);
    VkVariant signedBytes = VkVariant::Bytes(bytes, 2, VT_I1);
    EXPECT_EQ(signedBytes.vt, VT_ARRAY | VT_I1);
    EXPECT_EQ(VariantChangeType(&copy, &signedBytes, 0, VT_BSTR), DISP_E_TYPEMISMATCH);
}

TEST_F(VariantConvert, ByReferenceSourcesConvertTheirValue)
{
    LONG n = 1234;
    VARIANT ref;
    VariantInit(&ref);
    ref.vt = VT_I4 | VT_BYREF;
    ref.plVal = &n;
    VkVariant text;
    ASSERT_EQ(VariantChangeType(&text, &ref, 0, VT_BSTR), S_OK);
    EXPECT_EQ(Describe(text), "BSTR \"1234\"");

    VkVariant inner("77");
    VARIANT varRef;
    VariantInit(&varRef);
    varRef.vt = VT_VARIANT | VT_BYREF;
    varRef.pvarVal = &inner;
    VkVariant number;
    ASSERT_EQ(VariantChangeType(&number, &varRef, 0, VT_I2), S_OK);
    EXPECT_EQ(Describe(number), "I2 77");

    // Converting a by-reference variant in place must not free what it points to.
    ASSERT_EQ(VariantChangeType(&varRef, &varRef, 0, VT_I4), S_OK);
    EXPECT_EQ(Describe(varRef), "I4 77");
    EXPECT_EQ(Describe(inner), "BSTR \"77\"");

    VkVariant deref;
    ref.vt = VT_I4 | VT_BYREF;
    ASSERT_EQ(VariantCopyInd(&deref, &ref), S_OK);
    EXPECT_EQ(Describe(deref), "I4 1234");
}

TEST_F(VariantConvert, InPlaceConversionReplacesTheValue)
{
    VkVariant v("  12 ");
    ASSERT_EQ(v.ChangeType(VT_I4), S_OK);
    EXPECT_EQ(Describe(v), "I4 12");
    VkVariant bad("x");
    EXPECT_EQ(bad.ChangeType(VT_I4), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Describe(bad), "BSTR \"x\"");
}

} // namespace
