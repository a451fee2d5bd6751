#include "ociw32/names/OraTnsNames.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

using namespace VkOracle;

namespace {

// Everything an entry says, in one line, for comparing two readings.
std::string Describe(const OraTnsNames& names)
{
    std::string out;
    for (const auto& [name, entry] : names.Entries()) {
        out += name + " sid=" + entry.sid + " service=" + entry.serviceName;
        for (const OraTnsAddress& a : entry.addresses)
            out += " [" + std::to_string(a.protocol) + " " + a.hostOrKey + " " + std::to_string(a.port) + "]";
        out += "\n";
    }
    return out;
}

// Reads text as a stream and as text in memory (what a file is read into);
// both readings must agree in everything.
OraTnsNames Parse(const std::string& text, OraTnsNames::Status* status = nullptr)
{
    OraTnsNames names;
    std::istringstream in(text);
    OraTnsNames::Status s = names.Load(in);
    OraTnsNames fromText;
    EXPECT_EQ(fromText.Load(std::string_view(text)), s) << text;
    EXPECT_EQ(Describe(fromText), Describe(names)) << text;
    if (status)
        *status = s;
    return names;
}

} // namespace

TEST(OraTnsNames, OneLineEntry)
{
    OraTnsNames::Status status;
    OraTnsNames names = Parse(
        "X=(DESCRIPTION=(ADDRESS=(PROTOCOL=TCP)(HOST=h1)(PORT=1521))(CONNECT_DATA=(SID=ORCL)))\n",
        &status);
    EXPECT_EQ(status, OraTnsNames::Status::Loaded);
    ASSERT_EQ(names.Entries().size(), 1u);
    const OraTnsEntry* e = names.Find("X");
    ASSERT_NE(e, nullptr);
    ASSERT_EQ(e->addresses.size(), 1u);
    EXPECT_EQ(e->addresses[0].protocol, OraTnsAddress::Tcp);
    EXPECT_EQ(e->addresses[0].hostOrKey, "h1");
    EXPECT_EQ(e->addresses[0].port, 1521);
    EXPECT_EQ(e->sid, "ORCL");
}

TEST(OraTnsNames, MultiLineEntriesWithCommentsAndTwoAddresses)
{
    const char* text =
        "# the demo databases\n"
        "demo =\n"
        "  (DESCRIPTION =\n"
        "    # first the local listener\n"
        "    (ADDRESS_LIST =\n"
        "      (ADDRESS = (PROTOCOL = TCP)(HOST = localhost)(PORT = 1521))\n"
        "      (ADDRESS = (PROTOCOL = IPC)(KEY = EXTPROC0))\n"
        "    )\n"
        "    (CONNECT_DATA = (SERVICE_NAME = demo.world) # kept as text\n"
        "    )\n"
        "  )\n"
        "\n"
        "OTHER = (DESCRIPTION = (ADDRESS = (PROTOCOL = tcp)(HOST = far)(PORT = 15x21))\n"
        "  (CONNECT_DATA = (SID = O1)))\n";
    OraTnsNames names = Parse(text);
    ASSERT_EQ(names.Entries().size(), 2u);
    EXPECT_EQ(names.Entries().begin()->first, "DEMO");
    const OraTnsEntry* demo = names.Find("demo");
    ASSERT_NE(demo, nullptr);
    ASSERT_EQ(demo->addresses.size(), 2u);
    EXPECT_EQ(demo->addresses[0].hostOrKey, "localhost");
    EXPECT_EQ(demo->addresses[1].protocol, OraTnsAddress::Ipc);
    EXPECT_EQ(demo->addresses[1].hostOrKey, "EXTPROC0");
    EXPECT_EQ(demo->serviceName, "demo.world");
    const OraTnsEntry* other = names.Find("OTHER");
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->addresses[0].protocol, OraTnsAddress::Unknown);
    EXPECT_EQ(other->addresses[0].port, 15);
    EXPECT_EQ(other->sid, "O1");
}

TEST(OraTnsNames, DamagedFiles)
{
    struct Case {
        const char* text;
        OraTnsNames::Status status;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        // an unbalanced tail is dropped, the entries before it stay
        {"A=(DESCRIPTION=(CONNECT_DATA=(SID=A)))\nB=(DESCRIPTION=(ADDRESS=\n", OraTnsNames::Status::Corrupt, {"A"}},
        // a parameter without a name skips its entry only
        {"A=(DESCRIPTION=(CONNECT_DATA=(SID=A)))\nB=(DESCRIPTION=(=X))\nC=(D=(SID=C))\n",
         OraTnsNames::Status::Corrupt, {"A", "C"}},
        // an entry left open ends where the next alias starts in the first column
        // (an indented alias is still part of the open entry)
        {"A=(DESCRIPTION=(CONNECT_DATA=(SID=A))\n  C=(D=(SID=C))\nB = (D=(SID=B))\n", OraTnsNames::Status::Corrupt,
         {"B"}},
        // a stray ")" is dropped, on a line of its own or after an entry
        {"A=(D=(SID=A)))\n)\nB=(D=(ADDRESS=(HOST=h))(CONNECT_DATA=(SID=B)))\n", OraTnsNames::Status::Corrupt,
         {"A", "B"}},
        {"junk)B=(D=(SID=B))\n", OraTnsNames::Status::Corrupt, {"B"}},
        // two entries on one line read as one
        {"A=(X=(SID=1))B=(X=(SID=2))\n", OraTnsNames::Status::Loaded, {"A"}},
        // a word broken over two lines is joined
        {"LONG\nNAME=(DESCRIPTION=(CONNECT_DATA=(SID=L)))\n", OraTnsNames::Status::Loaded, {"LONGNAME"}},
        {"", OraTnsNames::Status::Loaded, {}},
        {"garbage without parentheses\n", OraTnsNames::Status::Loaded, {}},
    };
    for (const Case& c : cases) {
        OraTnsNames::Status status;
        OraTnsNames names = Parse(c.text, &status);
        EXPECT_EQ(status, c.status) << c.text;
        std::vector<std::string> got;
        for (const auto& [name, entry] : names.Entries())
            got.push_back(name);
        EXPECT_EQ(got, c.names) << c.text;
    }
}

TEST(OraTnsNames, LaterEntryReplacesEarlierOfSameName)
{
    OraTnsNames names = Parse("A=(D=(CONNECT_DATA=(SID=ONE)))\na=(D=(CONNECT_DATA=(SID=TWO)))\n");
    ASSERT_NE(names.Find("A"), nullptr);
    EXPECT_EQ(names.Find("A")->sid, "TWO");
}

TEST(OraTnsNames, AStrayParenthesisLeavesTheNextEntryWhole)
{
    OraTnsNames::Status status;
    OraTnsNames names = Parse("A=(D=(CONNECT_DATA=(SID=A))))\n"
                              "B=(DESCRIPTION=(ADDRESS=(PROTOCOL=TCP)(HOST=hb)(PORT=2))\n"
                              "  (CONNECT_DATA=(SERVICE_NAME=sb)))\n",
                              &status);
    EXPECT_EQ(status, OraTnsNames::Status::Corrupt);
    const OraTnsEntry* b = names.Find("B");
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(b->addresses.size(), 1u);
    EXPECT_EQ(b->addresses[0].hostOrKey, "hb");
    EXPECT_EQ(b->serviceName, "sb");
}

TEST(OraTnsNames, LongLinesAndHugeEntriesReadInLinearTime)
{
    // One line of 100 000 characters, then an entry of 20 000 lines, then a
    // plain alias: all of them read, quickly.
    std::string text = "WIDE=(DESCRIPTION=(CONNECT_DATA=(SID=W)(X=" + std::string(100000, 'x') + ")))\n";
    text += "BIG = (DESCRIPTION =\n";
    for (int i = 0; i < 20000; ++i)
        text += "    (ADDRESS = (PROTOCOL = TCP)(HOST = h" + std::to_string(i) + ")(PORT = 1))\n";
    text += "    (CONNECT_DATA = (SID = BIG)))\nLAST=(D=(CONNECT_DATA=(SID=L)))\n";
    const auto started = std::chrono::steady_clock::now();
    OraTnsNames::Status status;
    OraTnsNames names = Parse(text, &status);
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(status, OraTnsNames::Status::Loaded);
    ASSERT_NE(names.Find("WIDE"), nullptr);
    EXPECT_EQ(names.Find("WIDE")->sid, "W");
    ASSERT_NE(names.Find("BIG"), nullptr);
    EXPECT_EQ(names.Find("BIG")->addresses.size(), 20000u);
    EXPECT_EQ(names.Find("BIG")->addresses.back().hostOrKey, "h19999");
    ASSERT_NE(names.Find("LAST"), nullptr);
    // Quadratic reading took seconds here; linear takes milliseconds.
    EXPECT_LT(took, std::chrono::seconds(2));
}

TEST(OraTnsNames, LinesEndAsAStreamEndsThem)
{
    // No final line break, CR LF endings, blank lines and a lone "\n".
    for (const char* text : {"A=(DESCRIPTION=(CONNECT_DATA=(SID=S1)))",
                             "A=(DESCRIPTION=\r\n(CONNECT_DATA=(SID=S1)))\r\n\r\nB=(DESCRIPTION=(CONNECT_DATA=(SID=S2)))\r\n",
                             "\n", "", "A=(DESCRIPTION=\n\n\n(CONNECT_DATA=(SID=S1))", "A=(X=1)\nB=(Y=2"})
        Parse(text); // compares the two readings
}

TEST(OraTnsNames, LoadsAFileByPath)
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("tns-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::filesystem::path file = dir / "tnsnames.ora";
    {
        std::ofstream out(file, std::ios::binary);
        out << "ONE = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = h)(PORT = 1)) (CONNECT_DATA = (SID = X)))\n"
               "TWO = (DESCRIPTION = (CONNECT_DATA = (SID = Y))";
    }
    OraTnsNames names;
    EXPECT_EQ(names.Load(file), OraTnsNames::Status::Corrupt); // TWO never closes
    ASSERT_NE(names.Find("one"), nullptr);
    EXPECT_EQ(names.Find("one")->sid, "X");
    EXPECT_EQ(names.Find("two"), nullptr);
    EXPECT_EQ(names.Load(dir / "missing.ora"), OraTnsNames::Status::NotFound);
    EXPECT_EQ(names.Load(dir), OraTnsNames::Status::NotFound); // a folder is no file
    std::filesystem::remove_all(dir);
}
