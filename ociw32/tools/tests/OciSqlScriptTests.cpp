#include "ociw32/tools/ocisql/OciSqlScript.h"

#include <gtest/gtest.h>

#include <sstream>

using VkOracle::OciSqlScript;

namespace {

std::vector<std::string> Split(const std::string& input, bool* exited = nullptr)
{
    OciSqlScript script;
    std::vector<std::string> out;
    std::istringstream in(input);
    std::string line;
    bool more = true;
    while (more && std::getline(in, line))
        more = script.AddLine(line, &out);
    if (more)
        script.Finish(&out);
    if (exited)
        *exited = !more;
    return out;
}

} // namespace

TEST(OciSqlScript, SplitsStatementsAndBlocks)
{
    struct Case {
        const char* input;
        std::vector<std::string> statements;
    };
    const Case cases[] = {
        {"select 1 from dual;\nselect 2\n  from dual;\n", {"select 1 from dual", "select 2\n  from dual"}},
        {"select ';' from dual; select 'a''b;' x from dual;\n", {"select ';' from dual", "select 'a''b;' x from dual"}},
        {"select 1 -- not ; the end\nfrom dual;\n", {"select 1 -- not ; the end\nfrom dual"}},
        {"select /* ; \n ; */ 1 from dual;\n", {"select /* ; \n ; */ 1 from dual"}},
        {"begin\n  null;\n  x := 1;\nend;\n/\nselect 1 from dual;\n", {"begin\n  null;\n  x := 1;\nend;", "select 1 from dual"}},
        {"DECLARE n NUMBER; BEGIN n := 1; END;\n/\n", {"DECLARE n NUMBER; BEGIN n := 1; END;"}},
        {"create or replace procedure p is\nbegin null; end;\n/\n", {"create or replace procedure p is\nbegin null; end;"}},
        {"create table t (x number);\n", {"create table t (x number)"}},
        {"update t set x = 1\n/\n", {"update t set x = 1"}},
        {"-- a comment line\n\nREM a remark\nselect 1 from dual;\n/\n", {"select 1 from dual"}},
        {"select 1 from dual", {"select 1 from dual"}},
        {"select 1 from dual;\r\n", {"select 1 from dual"}},
        {"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Split(c.input), c.statements) << c.input;
}

TEST(OciSqlScript, ExitEndsTheInput)
{
    bool exited = false;
    EXPECT_EQ(Split("select 1 from dual;\nexit\nselect 2 from dual;\n", &exited),
              std::vector<std::string>{"select 1 from dual"});
    EXPECT_TRUE(exited);
    // Inside a statement "exit" is just a word.
    EXPECT_EQ(Split("select\nexit\nfrom t;\n"), std::vector<std::string>{"select\nexit\nfrom t"});
}

TEST(OciSqlScript, SingleStatementDropsOneTrailingSemicolonFromSql)
{
    EXPECT_EQ(OciSqlScript::SingleStatement(" select 1 from dual ; "), "select 1 from dual");
    EXPECT_EQ(OciSqlScript::SingleStatement("select 1 from dual"), "select 1 from dual");
    EXPECT_EQ(OciSqlScript::SingleStatement("begin null; end;"), "begin null; end;");
    EXPECT_TRUE(OciSqlScript::IsBlock("  /* c */ BEGIN"));
    EXPECT_TRUE(OciSqlScript::IsBlock("create package body p as"));
    EXPECT_FALSE(OciSqlScript::IsBlock("create table begin_x (x number)"));
    EXPECT_FALSE(OciSqlScript::IsBlock("select 1 from dual"));
}
