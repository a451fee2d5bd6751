#include "platform/Guid.h"
#include "platform/SafeArray.h"
#include "platform/VkBstr.h"
#include "platform/VkVariant.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <unordered_set>

namespace {

// ---- GUID ----

constexpr GUID Sample = {0x8AF90668, 0xA1AF, 0x49F2, {0x8C, 0x84, 0x5B, 0xF8, 0x72, 0xE5, 0x8E, 0x6A}};

TEST(Guid, FormatsAndParsesTheRegistryForm)
{
    EXPECT_EQ(VkGuidToString(Sample), "{8AF90668-A1AF-49F2-8C84-5BF872E58E6A}");
    GUID g{};
    ASSERT_TRUE(VkGuidFromString("{8af90668-a1af-49f2-8c84-5bf872e58e6a}", &g));
    EXPECT_TRUE(IsEqualGUID(g, Sample));
    EXPECT_EQ(VkGuidToString(GUID_NULL), "{00000000-0000-0000-0000-000000000000}");

    OLECHAR wide[39];
    ASSERT_EQ(StringFromGUID2(Sample, wide, 39), 39);
    CLSID back{};
    ASSERT_EQ(CLSIDFromString(wide, &back), S_OK);
    EXPECT_TRUE(back == Sample);
    EXPECT_EQ(StringFromGUID2(Sample, wide, 38), 0);
}

TEST(Guid, RejectsMalformedText)
{
    const char* bad[] = {
        "",
        "8AF90668-A1AF-49F2-8C84-5BF872E58E6A",
        "{8AF90668-A1AF-49F2-8C84-5BF872E58E6A",
        "{8AF90668A1AF-49F2-8C84-5BF872E58E6A}",
        "{8AF90668-A1AF-49F2-8C845BF872E58E6A0}",
        "{8AF9066G-A1AF-49F2-8C84-5BF872E58E6A}",
        "{8AF90668-A1AF-49F2-8C84-5BF872E58E6A} ",
        " {8AF90668-A1AF-49F2-8C84-5BF872E58E6A}",
        "{+AF90668-A1AF-49F2-8C84-5BF872E58E6A}",
    };
    for (const char* text : bad) {
        GUID g = Sample;
        EXPECT_FALSE(VkGuidFromString(text, &g)) << text;
        EXPECT_TRUE(g == Sample) << "untouched on failure: " << text;
    }
    const std::u16string wide = u"{not a guid}";
    CLSID c{};
    EXPECT_EQ(CLSIDFromString(wide.c_str(), &c), CO_E_CLASSSTRING);
    EXPECT_EQ(CLSIDFromString(nullptr, &c), CO_E_CLASSSTRING);
}

TEST(Guid, ComparesOrdersAndHashes)
{
    GUID a = Sample, b = Sample, c = Sample;
    b.Data4[7] ^= 1;
    c.Data1 += 1;
    EXPECT_FALSE(a == b);
    EXPECT_TRUE(a < b || b < a);
    EXPECT_TRUE(a < c);
    EXPECT_FALSE(c < a);
    EXPECT_FALSE(a < a);
    std::set<GUID> ordered{a, b, c, a};
    EXPECT_EQ(ordered.size(), 3u);
    std::unordered_set<GUID> hashed{a, b, c, a};
    EXPECT_EQ(hashed.size(), 3u);
    EXPECT_EQ(std::hash<GUID>()(a), std::hash<GUID>()(Sample));
}

// ---- BSTR ----

TEST(Bstr, LengthPrefixedWithTerminator)
{
    BSTR s = SysAllocString(u"hello");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(SysStringLen(s), 5u);
    EXPECT_EQ(SysStringByteLen(s), 10u);
    EXPECT_EQ(s[5], 0);
    SysFreeString(s);

    // Embedded NULs count; the string still ends in one.
    const OLECHAR withNul[] = {u'a', 0, u'b'};
    s = SysAllocStringLen(withNul, 3);
    EXPECT_EQ(SysStringLen(s), 3u);
    EXPECT_EQ(s[1], 0);
    EXPECT_EQ(s[3], 0);
    EXPECT_EQ(VkBstrToUtf8(s), std::string("a\0b", 3));
    SysFreeString(s);

    // An odd byte count keeps the bytes and rounds the characters down.
    s = SysAllocStringByteLen("abc", 3);
    EXPECT_EQ(SysStringByteLen(s), 3u);
    EXPECT_EQ(SysStringLen(s), 1u);
    EXPECT_EQ(reinterpret_cast<const char*>(s)[2], 'c');
    SysFreeString(s);

    s = SysAllocStringLen(nullptr, 4);
    EXPECT_EQ(SysStringLen(s), 4u);
    EXPECT_EQ(s[0], 0);
    SysFreeString(s);
}

TEST(Bstr, NullIsTheEmptyString)
{
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysStringByteLen(nullptr), 0u);
    EXPECT_EQ(VkBstrToUtf8(nullptr), "");
    SysFreeString(nullptr);

    BSTR s = SysAllocString(u"x");
    ASSERT_TRUE(SysReAllocString(&s, u"longer"));
    EXPECT_EQ(VkBstrToUtf8(s), "longer");
    ASSERT_TRUE(SysReAllocStringLen(&s, u"abcdef", 2));
    EXPECT_EQ(VkBstrToUtf8(s), "ab");
    SysFreeString(s);
}

TEST(Bstr, Utf8RoundTrip)
{
    const std::string texts[] = {"", "plain", "Grüße €", "日本語", "emoji 😀 pair", std::string("nul\0inside", 10)};
    for (const auto& t : texts) {
        VkBstr b{std::string_view(t)};
        EXPECT_EQ(b.Utf8(), t);
        EXPECT_EQ(VkUtf16ToUtf8(VkUtf8ToUtf16(t)), t);
    }
    EXPECT_EQ(VkBstr(std::string_view("😀")).Length(), 2u) << "a surrogate pair";
    // Invalid UTF-8 is replaced, never passed through or dropped silently.
    EXPECT_EQ(VkUtf8ToUtf16("a\xFF" "b"), u"a\uFFFDb");
}

TEST(Bstr, OwningWrapper)
{
    VkBstr a("text");
    VkBstr b = a;
    EXPECT_NE(a.Get(), b.Get());
    EXPECT_EQ(b.Utf8(), "text");
    BSTR raw = b.Detach();
    EXPECT_TRUE(b.IsNull());
    VkBstr c = VkBstr::Attach(raw);
    EXPECT_EQ(c.Get(), raw);
    BSTR copy = c.Copy();
    EXPECT_NE(copy, raw);
    SysFreeString(copy);
    *c.Out() = SysAllocString(u"out");
    EXPECT_EQ(c.Utf8(), "out");
}

// ---- SAFEARRAY ----

TEST(SafeArray, OneDimensionalByteArrays)
{
    SAFEARRAY* a = SafeArrayCreateVector(VT_UI1, 1, 4);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(SafeArrayGetDim(a), 1u);
    EXPECT_EQ(SafeArrayGetElemsize(a), 1u);
    VARTYPE vt = 0;
    EXPECT_EQ(SafeArrayGetVartype(a, &vt), S_OK);
    EXPECT_EQ(vt, VT_UI1);
    LONG lo = 0, hi = 0;
    EXPECT_EQ(SafeArrayGetLBound(a, 1, &lo), S_OK);
    EXPECT_EQ(SafeArrayGetUBound(a, 1, &hi), S_OK);
    EXPECT_EQ(lo, 1);
    EXPECT_EQ(hi, 4);
    EXPECT_EQ(SafeArrayGetLBound(a, 2, &lo), DISP_E_BADINDEX);

    for (LONG i = 1; i <= 4; ++i) {
        BYTE b = static_cast<BYTE>(i * 10);
        EXPECT_EQ(SafeArrayPutElement(a, &i, &b), S_OK);
    }
    LONG outside[] = {0, 5, -1};
    BYTE b = 0;
    for (LONG i : outside) {
        EXPECT_EQ(SafeArrayPutElement(a, &i, &b), DISP_E_BADINDEX) << i;
        EXPECT_EQ(SafeArrayGetElement(a, &i, &b), DISP_E_BADINDEX) << i;
    }
    EXPECT_EQ(VkSafeArrayBytes(a), (std::vector<BYTE>{10, 20, 30, 40}));

    // Locked arrays cannot go away or change size.
    void* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(a, &data), S_OK);
    EXPECT_EQ(static_cast<BYTE*>(data)[2], 30);
    EXPECT_EQ(SafeArrayDestroy(a), DISP_E_ARRAYISLOCKED);
    SAFEARRAYBOUND bigger{6, 1};
    EXPECT_EQ(SafeArrayRedim(a, &bigger), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(SafeArrayUnaccessData(a), S_OK);
    EXPECT_EQ(SafeArrayUnlock(a), E_UNEXPECTED);

    ASSERT_EQ(SafeArrayRedim(a, &bigger), S_OK);
    EXPECT_EQ(VkSafeArrayBytes(a), (std::vector<BYTE>{10, 20, 30, 40, 0, 0}));

    SAFEARRAY* copy = nullptr;
    ASSERT_EQ(SafeArrayCopy(a, &copy), S_OK);
    LONG first = 1;
    b = 99;
    SafeArrayPutElement(copy, &first, &b);
    EXPECT_EQ(VkSafeArrayBytes(a)[0], 10) << "a deep copy";
    EXPECT_EQ(SafeArrayDestroy(copy), S_OK);
    EXPECT_EQ(SafeArrayDestroy(a), S_OK);
}

TEST(SafeArray, RefusesWhatItDoesNotSupport)
{
    SAFEARRAYBOUND two[2] = {{2, 0}, {2, 0}};
    EXPECT_EQ(SafeArrayCreate(VT_UI1, 2, two), nullptr);
    EXPECT_EQ(SafeArrayCreateVector(VT_I4, 0, 2), nullptr);
    EXPECT_EQ(SafeArrayCreateVector(VT_BSTR, 0, 2), nullptr);
    SAFEARRAY* empty = SafeArrayCreateVector(VT_I1, 0, 0);
    ASSERT_NE(empty, nullptr);
    LONG hi = 0;
    SafeArrayGetUBound(empty, 1, &hi);
    EXPECT_EQ(hi, -1);
    EXPECT_TRUE(VkSafeArrayBytes(empty).empty());
    EXPECT_EQ(SafeArrayDestroy(empty), S_OK);
    EXPECT_EQ(SafeArrayDestroy(nullptr), S_OK);
}

// ---- VARIANT ownership ----

TEST(Variant, CopyIsDeepAndClearFrees)
{
    VkVariant text("abc");
    VARIANT copy;
    VariantInit(&copy);
    ASSERT_EQ(VariantCopy(&copy, &text), S_OK);
    EXPECT_EQ(copy.vt, VT_BSTR);
    EXPECT_NE(copy.bstrVal, text.bstrVal);
    EXPECT_EQ(VkBstrToUtf8(copy.bstrVal), "abc");
    EXPECT_EQ(VariantClear(&copy), S_OK);
    EXPECT_EQ(copy.vt, VT_EMPTY);

    VkVariant bytes = VkVariant::Bytes("xy", 2);
    VkVariant bytesCopy(bytes);
    EXPECT_NE(bytesCopy.parray, bytes.parray);
    std::vector<BYTE> got;
    ASSERT_EQ(bytesCopy.ToBytes(&got), S_OK);
    EXPECT_EQ(got, (std::vector<BYTE>{'x', 'y'}));

    VARIANT bad;
    VariantInit(&bad);
    bad.vt = 6; // a type this runtime does not hold
    EXPECT_EQ(VariantClear(&bad), DISP_E_BADVARTYPE);
    EXPECT_EQ(VariantCopy(&copy, &bad), DISP_E_BADVARTYPE);
    bad.vt = VT_ARRAY | VT_I4;
    EXPECT_EQ(VariantClear(&bad), DISP_E_BADVARTYPE);
}

TEST(Variant, WrapperReadsBackByTheRules)
{
    std::string text;
    EXPECT_EQ(VkVariant(true).ToText(&text), S_OK);
    EXPECT_EQ(text, "-1");
    EXPECT_EQ(VkVariant(true).ToText(&text, VARIANT_ALPHABOOL), S_OK);
    EXPECT_EQ(text, "True");
    LONG n = 0;
    EXPECT_EQ(VkVariant("17").ToLong(&n), S_OK);
    EXPECT_EQ(n, 17);
    n = 5;
    EXPECT_EQ(VkVariant("seventeen").ToLong(&n), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(n, 5);
    bool flag = false;
    EXPECT_EQ(VkVariant("True").ToBool(&flag), S_OK);
    EXPECT_TRUE(flag);
    EXPECT_EQ(VkVariant(LONG(0)).ToBool(&flag), S_OK);
    EXPECT_FALSE(flag);
    std::vector<BYTE> bytes;
    EXPECT_EQ(VkVariant(LONG(1)).ToBytes(&bytes), E_INVALIDARG);

    VkVariant moved = VkVariant("m");
    VkVariant target = std::move(moved);
    EXPECT_EQ(moved.vt, VT_EMPTY);
    EXPECT_EQ(target.vt, VT_BSTR);
    VARIANT out;
    VariantInit(&out);
    EXPECT_EQ(target.Detach(&out), S_OK);
    EXPECT_EQ(target.vt, VT_EMPTY);
    EXPECT_EQ(VkBstrToUtf8(out.bstrVal), "m");
    VariantClear(&out);
}

TEST(Variant, SystemTimeConversions)
{
    SYSTEMTIME st{};
    ASSERT_TRUE(VariantTimeToSystemTime(45000.75, &st));
    EXPECT_EQ(st.wYear, 2023);
    EXPECT_EQ(st.wMonth, 3);
    EXPECT_EQ(st.wDay, 15);
    EXPECT_EQ(st.wDayOfWeek, 3); // a Wednesday
    EXPECT_EQ(st.wHour, 18);
    // Times round to the second, carrying into the next day.
    ASSERT_TRUE(VariantTimeToSystemTime(1.9999999, &st));
    EXPECT_EQ(st.wDay, 1);
    EXPECT_EQ(st.wMonth, 1);
    EXPECT_EQ(st.wYear, 1900);
    EXPECT_EQ(st.wHour, 0);
    // Before day 0 the fraction still counts forward from midnight.
    ASSERT_TRUE(VariantTimeToSystemTime(-1.25, &st));
    EXPECT_EQ(st.wDay, 29);
    EXPECT_EQ(st.wHour, 6);
    DATE d = 0;
    ASSERT_TRUE(SystemTimeToVariantTime(&st, &d));
    EXPECT_DOUBLE_EQ(d, -1.25);
    st.wMonth = 2;
    st.wDay = 30;
    EXPECT_FALSE(SystemTimeToVariantTime(&st, &d));
    EXPECT_FALSE(VariantTimeToSystemTime(3e6, &st));
}

} // namespace
