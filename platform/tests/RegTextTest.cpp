#include "platform/RegText.h"
#include "testsupport/TestRoot.h"

#include <map>
#include <string>
#include <vector>

namespace {

class RegText : public qvtest::FreshRootTest {};

LONG Set(HKEY key, const char* name, DWORD type, const std::string& data)
{
    return RegSetValueEx(key, name, type, reinterpret_cast<const BYTE*>(data.data()),
                         static_cast<DWORD>(data.size()));
}

// Everything below key: "path|name" -> "type:bytes", values in order.
void Dump(HKEY key, const std::string& path, std::vector<std::string>* out)
{
    out->push_back("[" + path + "]");
    char name[512];
    BYTE data[4096];
    for (DWORD i = 0;; ++i) {
        DWORD nameLen = sizeof name, dataLen = sizeof data, type = 0;
        if (RegEnumValue(key, i, name, &nameLen, &type, data, &dataLen) != ERROR_SUCCESS)
            break;
        out->push_back(std::string(name, nameLen) + "=" + std::to_string(type) + ":" +
                       std::string(reinterpret_cast<char*>(data), dataLen));
    }
    for (DWORD i = 0;; ++i) {
        DWORD len = sizeof name;
        if (RegEnumKeyEx(key, i, name, &len) != ERROR_SUCCESS)
            break;
        HKEY sub = nullptr;
        std::string subName(name, len);
        ASSERT_EQ(RegOpenKeyEx(key, subName.c_str(), KEY_READ, &sub), ERROR_SUCCESS);
        Dump(sub, path + "\\" + subName, out);
        RegCloseKey(sub);
    }
}

std::vector<std::string> DumpPath(HKEY root, const char* path)
{
    std::vector<std::string> out;
    HKEY key = nullptr;
    if (RegOpenKeyEx(root, path, KEY_READ, &key) != ERROR_SUCCESS)
        return {"<missing>"};
    Dump(key, path, &out);
    RegCloseKey(key);
    return out;
}

bool Exists(HKEY root, const char* path, const char* value = nullptr)
{
    HKEY key = nullptr;
    if (RegOpenKeyEx(root, path, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    bool ok = !value || RegQueryValueEx(key, value, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

// A branch holding every value type and awkward names.
void MakeBranch()
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Tarnwick\\RoundTrip", KEY_ALL_ACCESS, &key),
              ERROR_SUCCESS);
    ASSERT_EQ(Set(key, nullptr, REG_SZ, std::string("default\0", 8)), ERROR_SUCCESS);
    ASSERT_EQ(Set(key, "Text", REG_SZ, std::string("C:\\dir \"quoted\" ;x=1\0", 21)), ERROR_SUCCESS);
    ASSERT_EQ(Set(key, "Empty", REG_SZ, std::string("\0", 1)), ERROR_SUCCESS);
    ASSERT_EQ(Set(key, "Lines", REG_SZ, std::string("one\r\ntwo\0", 9)), ERROR_SUCCESS);
    ASSERT_EQ(Set(key, "Inner nul", REG_SZ, std::string("a\0b\0", 4)), ERROR_SUCCESS);
    ASSERT_EQ(Set(key, "Expand", REG_EXPAND_SZ, std::string("%TEMP%\\x\0", 9)), ERROR_SUCCESS);
    ASSERT_EQ(Set(key, "Binary", REG_BINARY, std::string("\x00\x7f\x80\xff", 4)), ERROR_SUCCESS);
    ASSERT_EQ(Set(key, "EmptyBinary", REG_BINARY, ""), ERROR_SUCCESS);
    ASSERT_EQ(Set(key, "Dword", REG_DWORD, std::string("\x2a\x00\x00\x00", 4)), ERROR_SUCCESS);
    ASSERT_EQ(Set(key, "ShortDword", REG_DWORD, std::string("\x01\x02", 2)), ERROR_SUCCESS);
    ASSERT_EQ(Set(key, "BigEndian", REG_DWORD_BIG_ENDIAN, std::string("\x00\x00\x01\x00", 4)), ERROR_SUCCESS);
    ASSERT_EQ(Set(key, "Link", REG_LINK, std::string("\\Registry\\x", 11)), ERROR_SUCCESS);
    ASSERT_EQ(Set(key, "Multi", REG_MULTI_SZ, std::string("a\0bc\0\0", 6)), ERROR_SUCCESS);
    ASSERT_EQ(Set(key, "None", REG_NONE, std::string("\x01", 1)), ERROR_SUCCESS);
    ASSERT_EQ(Set(key, "EmptyNone", REG_NONE, ""), ERROR_SUCCESS);
    ASSERT_EQ(Set(key, "Qword", 11, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8)), ERROR_SUCCESS);
    ASSERT_EQ(Set(key, "name \"with\" \\ and\nline", REG_DWORD, std::string(4, '\0')), ERROR_SUCCESS);
    ASSERT_EQ(Set(key, "Long", REG_BINARY, std::string(1000, '\xab')), ERROR_SUCCESS);
    ASSERT_EQ(Set(key, std::string(400, 'n').c_str(), REG_SZ, std::string("long name\0", 10)), ERROR_SUCCESS);
    ASSERT_EQ(Set(key, "Utf8", REG_SZ, "Gr\xc3\xbc\xc3\x9f" "e"), ERROR_SUCCESS);
    HKEY sub = nullptr;
    ASSERT_EQ(RegCreateKeyEx(key, "Sub Key\\Deeper", KEY_ALL_ACCESS, &sub), ERROR_SUCCESS);
    ASSERT_EQ(Set(sub, "x", REG_SZ, std::string("y\0", 2)), ERROR_SUCCESS);
    RegCloseKey(sub);
    ASSERT_EQ(RegCreateKeyEx(key, "empty]key", KEY_ALL_ACCESS, &sub), ERROR_SUCCESS);
    RegCloseKey(sub);
    RegCloseKey(key);
}

TEST_F(RegText, ExportImportReproducesTheBranchExactly)
{
    MakeBranch();
    const auto before = DumpPath(HKEY_CURRENT_USER, "Software\\Tarnwick\\RoundTrip");
    std::string text;
    ASSERT_EQ(VkRegText::Export("HKCU\\software\\tarnwick\\roundtrip", &text), ERROR_SUCCESS);

    // The usual REGEDIT4 spellings, with the stored spelling of the path.
    for (const char* line : {"REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Tarnwick\\RoundTrip]\n",
                             "\n@=\"default\"\n", "\n\"Text\"=\"C:\\\\dir \\\"quoted\\\" ;x=1\"\n",
                             "\n\"Empty\"=\"\"\n", "\n\"Dword\"=dword:0000002a\n", "\n\"Binary\"=hex:00,7f,80,ff\n",
                             "\n\"EmptyBinary\"=hex:\n", "\n\"Expand\"=hex(2):25,54,45,4d,50,25,5c,78,00\n",
                             "\n\"Multi\"=hex(7):61,00,62,63,00,00\n", "\n\"EmptyNone\"=hex(0):\n",
                             "\n\"Qword\"=hex(b):01,02,03,04,05,06,07,08\n", "\n\"ShortDword\"=hex(4):01,02\n",
                             "\n\"name \\\"with\\\" \\\\ and\\nline\"=dword:00000000\n",
                             "\n[HKEY_CURRENT_USER\\Software\\Tarnwick\\RoundTrip\\Sub Key\\Deeper]\n\"x\"=\"y\"\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n---\n" << text;
    // Long hex data is wrapped with continuation lines.
    EXPECT_NE(text.find("ab,\\\n  ab,"), std::string::npos);

    ASSERT_EQ(VkRegText::DeleteKey("HKEY_CURRENT_USER\\Software\\Tarnwick\\RoundTrip"), ERROR_SUCCESS);
    EXPECT_FALSE(Exists(HKEY_CURRENT_USER, "Software\\Tarnwick\\RoundTrip"));
    auto r = VkRegText::Import(text);
    ASSERT_EQ(r.status, ERROR_SUCCESS) << r.line << ": " << r.message;
    EXPECT_EQ(r.keys, 4);
    EXPECT_EQ(r.values, 21);
    EXPECT_EQ(DumpPath(HKEY_CURRENT_USER, "Software\\Tarnwick\\RoundTrip"), before);
    std::string again;
    ASSERT_EQ(VkRegText::Export("HKEY_CURRENT_USER\\Software\\Tarnwick\\RoundTrip", &again), ERROR_SUCCESS);
    EXPECT_EQ(again, text);
}

TEST_F(RegText, ImportAcceptsCrLfBomCommentsAndDeletions)
{
    MakeBranch();
    const std::string text =
        "\xEF\xBB\xBFREGEDIT4\r\n"
        "; a comment\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Tarnwick\\RoundTrip]\r\n"
        "\"Text\"=-\r\n"
        "\"Added\" = \"value\"\r\n"
        "\"Wrapped\"=hex:01,02,\\\r\n"
        "  03,04\r\n"
        "\"Hex\"=HEX(2):41,00\r\n"
        "\"Num\"=DWORD:ff\r\n"
        "[-HKEY_CURRENT_USER\\Software\\Tarnwick\\RoundTrip\\Sub Key]\r\n"
        "[-HKEY_CURRENT_USER\\Software\\Nothing\\There]\r\n";
    auto r = VkRegText::Import(text);
    ASSERT_EQ(r.status, ERROR_SUCCESS) << r.line << ": " << r.message;
    const char* key = "Software\\Tarnwick\\RoundTrip";
    EXPECT_FALSE(Exists(HKEY_CURRENT_USER, key, "Text"));
    EXPECT_FALSE(Exists(HKEY_CURRENT_USER, "Software\\Tarnwick\\RoundTrip\\Sub Key"));
    EXPECT_TRUE(Exists(HKEY_CURRENT_USER, "Software\\Tarnwick\\RoundTrip\\empty]key"));
    HKEY h = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, key, KEY_READ, &h), ERROR_SUCCESS);
    struct Want {
        const char* name;
        DWORD type;
        std::string data;
    } wants[] = {{"Added", REG_SZ, std::string("value\0", 6)},
                 {"Wrapped", REG_BINARY, std::string("\x01\x02\x03\x04", 4)},
                 {"Hex", REG_EXPAND_SZ, std::string("A\0", 2)},
                 {"Num", REG_DWORD, std::string("\xff\0\0\0", 4)}};
    for (const auto& w : wants) {
        BYTE buf[32];
        DWORD len = sizeof buf, type = 0;
        ASSERT_EQ(RegQueryValueEx(h, w.name, &type, buf, &len), ERROR_SUCCESS) << w.name;
        EXPECT_EQ(type, w.type) << w.name;
        EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), len), w.data) << w.name;
    }
    RegCloseKey(h);
}

TEST_F(RegText, MalformedTextChangesNothing)
{
    const std::string head = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\M]\n\"good\"=\"1\"\n";
    struct Case {
        std::string text;
        int line;
        const char* what;
    } cases[] = {
        {"[HKEY_CURRENT_USER\\x]\n", 1, "REGEDIT4"},
        {"", 1, "REGEDIT4"},
        {"Windows Registry Editor Version 5.00\n", 1, "version 5"},
        {head + "\"bad\"=dword:xyz\n\"after\"=\"2\"\n", 5, "dword"},
        {head + "\"bad\"=dword:123456789\n", 5, "dword"},
        {head + "\"bad\"=\"open\n", 5, "quote"},
        {head + "\"bad=\"x\"\n", 5, "'='"},
        {head + "\"bad\"=\"a\"b\"\n", 5, "after"},
        {head + "\"bad\"=hex:01,zz\n", 5, "zz"},
        {head + "\"bad\"=hex:01,123\n", 5, "123"},
        {head + "\"bad\"=hex(q):01\n", 5, "type"},
        {head + "\"bad\"=hex:01,\\\n", 5, "end of the file"},
        {head + "\"bad\"=word:1\n", 5, "unrecognised"},
        {head + "[HKEY_NOWHERE\\x]\n", 5, "unknown root"},
        {head + "[HKEY_CURRENT_USER\\x\n", 5, "']'"},
        {head + "[-HKEY_CURRENT_USER]\n", 5, "root"},
        {head + "garbage\n", 5, "expected"},
        {"REGEDIT4\n\"orphan\"=\"1\"\n", 2, "outside"},
        {head + "[-HKEY_CURRENT_USER\\Software\\Gone]\n\"v\"=\"1\"\n", 6, "outside"},
    };
    for (const auto& c : cases) {
        RegDeleteTree(HKEY_CURRENT_USER, "Software\\M");
        auto r = VkRegText::Import(c.text);
        EXPECT_NE(r.status, ERROR_SUCCESS) << c.text;
        EXPECT_EQ(r.line, c.line) << c.text;
        EXPECT_NE(r.message.find(c.what), std::string::npos) << c.text << " -> " << r.message;
        // Nothing of the file was applied, not even the lines before the bad one.
        EXPECT_FALSE(Exists(HKEY_CURRENT_USER, "Software\\M", "good")) << c.text;
        EXPECT_FALSE(Exists(HKEY_CURRENT_USER, "Software\\M", "after")) << c.text;
        EXPECT_FALSE(Exists(HKEY_CURRENT_USER, "Software\\M", "bad")) << c.text;
        EXPECT_EQ(r.keys, 0) << c.text;
        EXPECT_EQ(r.values, 0) << c.text;
    }
}

TEST_F(RegText, PathsAndRoots)
{
    HKEY root = nullptr;
    std::string sub;
    EXPECT_TRUE(VkRegText::SplitKeyPath("HKLM\\SOFTWARE\\ORACLE", &root, &sub));
    EXPECT_EQ(root, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(sub, "SOFTWARE\\ORACLE");
    EXPECT_TRUE(VkRegText::SplitKeyPath("HKEY_USERS", &root, &sub));
    EXPECT_EQ(root, HKEY_USERS);
    EXPECT_EQ(sub, "");
    EXPECT_FALSE(VkRegText::SplitKeyPath("HKEY_SOMEWHERE\\x", &root, &sub));

    std::string text;
    EXPECT_EQ(VkRegText::Export("HKEY_CURRENT_USER\\Software\\Absent", &text), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(VkRegText::Export("NOROOT\\x", &text), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(VkRegText::DeleteKey("HKEY_CURRENT_USER"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(VkRegText::DeleteKey("HKEY_CURRENT_USER\\"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(VkRegText::DeleteKey("HKEY_CURRENT_USER\\Software\\Absent"), ERROR_FILE_NOT_FOUND);

    // A whole root exports too, and the classes root under its own name.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CLASSES_ROOT, "Vk.Thing", KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_EQ(VkRegText::Export("HKEY_CLASSES_ROOT", &text), ERROR_SUCCESS);
    EXPECT_EQ(text, "REGEDIT4\n\n[HKEY_CLASSES_ROOT]\n\n[HKEY_CLASSES_ROOT\\Vk.Thing]\n\n");
}


TEST_F(RegText, AnImportOverTwoHivesIsAllOrNothing)
{
    ASSERT_EQ(VkRegText::Import("REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Old]\n\"keep\"=\"1\"\n").status,
              ERROR_SUCCESS);
    std::string deep;
    for (int i = 0; i < 512; ++i) // below Software: level 513
        deep += "\\k";
    struct Case {
        const char* what;
        std::string tail;
        int line;
    };
    const std::string head = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\New]\n\"a\"=\"1\"\n"
                             "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Old]\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n"
                             "@=dword:1\n";
    const Case cases[] = {
        {"a bad line at the end", "\"z\"=bogus\n", 8},
        {"a key deeper than 512 levels", "[HKEY_CURRENT_USER\\Software" + deep + "]\n", 8},
    };
    for (const Case& c : cases) {
        const auto r = VkRegText::Import(head + c.tail);
        EXPECT_NE(r.status, ERROR_SUCCESS) << c.what;
        EXPECT_EQ(r.line, c.line) << c.what;
        EXPECT_FALSE(Exists(HKEY_CURRENT_USER, "Software\\New")) << c.what;
        EXPECT_FALSE(Exists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Other")) << c.what;
        EXPECT_TRUE(Exists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Old", "keep")) << c.what;
    }
    EXPECT_NE(VkRegText::Import(head + cases[1].tail).message.find("deeper than 512 levels"), std::string::npos);
    // The same text without its bad end applies whole.
    const auto r = VkRegText::Import(head);
    EXPECT_EQ(r.status, ERROR_SUCCESS);
    EXPECT_EQ(r.keys, 3);
    EXPECT_EQ(r.values, 2);
    EXPECT_TRUE(Exists(HKEY_CURRENT_USER, "Software\\New", "a"));
    EXPECT_TRUE(Exists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Other", ""));
    EXPECT_FALSE(Exists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Old"));
}
} // namespace
