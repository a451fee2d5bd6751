// The client's command lines, bind placeholders, variables and the texts
// DESCRIBE and SHOW PARAMETER build, and the output they go to, without a
// server.

#include "ociw32/tools/ocisql/OciSqlCommand.h"
#include "ociw32/tools/ocisql/OciSqlOutput.h"
#include "ociw32/tools/ocisql/OciSqlScript.h"
#include "ociw32/tools/ocisql/OciSqlShow.h"
#include "ociw32/tools/ocisql/OciSqlVariables.h"
#include "testsupport/TestLocale.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

using namespace VkOracle;

TEST(OciSqlCommand, TellsCommandsFromSql)
{
    using Kind = OciSqlCommand::Kind;
    struct Case {
        const char* line;
        bool command;
        Kind kind;
        std::vector<std::string> args;
    };
    const Case cases[] = {
        {"SET SERVEROUTPUT ON SIZE 2000;", true, Kind::Set, {"SERVEROUTPUT", "ON", "SIZE", "2000"}},
        {"  set feedback off", true, Kind::Set, {"feedback", "off"}},
        {"set transaction read only;", false, Kind::Set, {}},
        {"SET ROLE ALL", false, Kind::Set, {}},
        {"set constraints all deferred", false, Kind::Set, {}},
        {"desc emp", true, Kind::Describe, {"emp"}},
        {"DESCRIBE scott.emp;", true, Kind::Describe, {"scott.emp"}},
        {"des emp", false, Kind::Describe, {}},
        {"describer emp", false, Kind::Describe, {}},
        {"var n number", true, Kind::Variable, {"n", "number"}},
        {"VARIABLE s VARCHAR2(20)", true, Kind::Variable, {"s", "VARCHAR2(20)"}},
        {"pri", true, Kind::Print, {}},
        {"sho user", true, Kind::Show, {"user"}},
        {"exec p(1);", true, Kind::Execute, {"p(1)"}},
        {"EXIT;", true, Kind::Exit, {}},
        {"quit 3", true, Kind::Exit, {"3"}},
        {"WHENEVER SQLERROR EXIT FAILURE", true, Kind::Whenever, {"SQLERROR", "EXIT", "FAILURE"}},
        {"prompt Hello, world", true, Kind::Prompt, {"Hello,", "world"}},
        {"rem whatever", true, Kind::Remark, {"whatever"}},
        {"@x.sql", true, Kind::Script, {"x.sql"}},
        {"@@ sub/y", true, Kind::NestedScript, {"sub/y"}},
        {"start x", true, Kind::Script, {"x"}},
        {"select 1 from dual;", false, Kind::Set, {}},
        {"rename a to b;", false, Kind::Set, {}},
        {"exits", false, Kind::Set, {}},
        {"", false, Kind::Set, {}},
    };
    for (const Case& c : cases) {
        OciSqlCommand command;
        ASSERT_EQ(OciSqlCommand::Parse(c.line, &command), c.command) << c.line;
        if (!c.command)
            continue;
        EXPECT_EQ(command.kind, c.kind) << c.line;
        EXPECT_EQ(command.args, c.args) << c.line;
    }
    OciSqlCommand prompt;
    ASSERT_TRUE(OciSqlCommand::Parse("PROMPT   two  spaces kept ", &prompt));
    EXPECT_EQ(prompt.text, "two  spaces kept");
}

TEST(OciSqlCommand, CommandWordsIgnoreTheTurkishLocale)
{
    qvtest::ProcessLocale turkish(qvtest::kTurkishLocale);
    QV_REQUIRE_LOCALE(turkish);
    OciSqlCommand command;
    ASSERT_TRUE(OciSqlCommand::Parse("print", &command));
    EXPECT_EQ(command.kind, OciSqlCommand::Kind::Print);
    ASSERT_TRUE(OciSqlCommand::Parse("exit", &command));
    EXPECT_EQ(command.kind, OciSqlCommand::Kind::Exit);
    EXPECT_EQ(OciSqlVariables::Placeholders("select :idx from dual"), std::vector<std::string>{"IDX"});
}

TEST(OciSqlExit, ReadsStatusAndTransactionEnd)
{
    struct Case {
        std::vector<std::string> words;
        bool ok;
        OciSqlExit::Code code;
        int value;
        bool commit;
    };
    const Case cases[] = {
        {{}, true, OciSqlExit::Code::Value, 0, true},
        {{"SUCCESS"}, true, OciSqlExit::Code::Value, 0, true},
        {{"failure", "rollback"}, true, OciSqlExit::Code::Value, 1, false},
        {{"WARNING"}, true, OciSqlExit::Code::Value, 2, true},
        {{"42", "COMMIT"}, true, OciSqlExit::Code::Value, 42, true},
        {{"ROLLBACK"}, true, OciSqlExit::Code::Value, 0, false},
        {{"sql.sqlcode"}, true, OciSqlExit::Code::SqlCode, 0, true},
        {{":rc"}, true, OciSqlExit::Code::Variable, 0, true},
        {{"soon"}, false, OciSqlExit::Code::Value, 0, true},
        {{"1", "2"}, false, OciSqlExit::Code::Value, 0, true},
        {{"1x"}, false, OciSqlExit::Code::Value, 0, true},
    };
    for (const Case& c : cases) {
        OciSqlExit exit;
        ASSERT_EQ(OciSqlExit::Parse(c.words, &exit), c.ok) << ::testing::PrintToString(c.words);
        if (!c.ok)
            continue;
        EXPECT_EQ(exit.code, c.code);
        EXPECT_EQ(exit.value, c.value);
        EXPECT_EQ(exit.commit, c.commit);
    }
    OciSqlExit exit;
    ASSERT_TRUE(OciSqlExit::Parse({":rc"}, &exit));
    EXPECT_EQ(exit.variable, "RC");
}

TEST(OciSqlVariables, PlaceholdersSkipQuotesCommentsAndAssignments)
{
    struct Case {
        const char* statement;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"select :a, :B, :a from dual", {"A", "B"}},
        {"begin :n := :n + 1; end;", {"N"}},
        {"begin x:=1; end;", {}},
        {"select to_char(sysdate, 'HH24:MI:SS') from dual where x = :v", {"V"}},
        {"select \":q\" from t -- :c\n/* :d */ where y = :e_1$", {"E_1$"}},
        {"select ':open", {}},
        {"select 1 from dual where a = :", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OciSqlVariables::Placeholders(c.statement), c.names) << c.statement;
}

TEST(OciSqlVariables, DeclaresNumbersAndSizedTexts)
{
    OciSqlVariables vars;
    std::string error;
    ASSERT_TRUE(vars.Declare("n", "NUMBER", &error));
    ASSERT_TRUE(vars.Declare("s", "varchar2 ( 20 )", &error));
    ASSERT_TRUE(vars.Declare("c", "CHAR", &error));
    EXPECT_EQ(vars.Find(":N")->TypeText(), "NUMBER");
    EXPECT_EQ(vars.Find("s")->TypeText(), "VARCHAR2(20)");
    EXPECT_EQ(vars.Find("s")->buffer.size(), 21u);
    EXPECT_EQ(vars.Find("C")->TypeText(), "CHAR(1)");
    EXPECT_EQ(vars.Find("n")->Value(), ""); // NULL until assigned
    EXPECT_EQ(vars.Find("nope"), nullptr);
    // Redeclaring replaces the variable, as NULL.
    vars.Find("n")->indicator = 0;
    ASSERT_TRUE(vars.Declare("N", "VARCHAR2(5)", &error));
    EXPECT_EQ(vars.All().size(), 3u);
    EXPECT_EQ(vars.Find("n")->indicator, -1);
    for (const char* bad : {"VARCHAR2", "VARCHAR2(0)", "VARCHAR2(32768)", "VARCHAR2(x)", "DATE", "NUMBER(5)", ""}) {
        error.clear();
        EXPECT_FALSE(vars.Declare("v", bad, &error)) << bad;
        EXPECT_NE(error.find("Usage: VAR"), std::string::npos) << bad;
    }
    for (const char* bad : {"9x", "a-b", "", "A234567890123456789012345678901"}) {
        error.clear();
        EXPECT_FALSE(vars.Declare(bad, "NUMBER", &error)) << bad;
        EXPECT_EQ(error, std::string("SP2-0553: Illegal variable name \"") + bad + "\".");
    }
}

TEST(OciSqlShow, TypesAsDescribeShowsThem)
{
    struct Case {
        const char* type;
        const char* length;
        const char* precision;
        const char* scale;
        const char* text;
    };
    const Case cases[] = {
        {"NUMBER", "22", "", "", "NUMBER"},
        {"NUMBER", "22", "", "0", "NUMBER(38)"},
        {"NUMBER", "22", "4", "0", "NUMBER(4)"},
        {"NUMBER", "22", "7", "2", "NUMBER(7,2)"},
        {"NUMBER", "22", "5", "-2", "NUMBER(5,-2)"},
        {"FLOAT", "22", "", "", "FLOAT(126)"},
        {"VARCHAR2", "14", "", "", "VARCHAR2(14)"},
        {"CHAR", "1", "", "", "CHAR(1)"},
        {"RAW", "16", "", "", "RAW(16)"},
        {"DATE", "7", "", "", "DATE"},
        {"LONG", "0", "", "", "LONG"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OciSqlShow::TypeText(c.type, c.length, c.precision, c.scale), c.text) << c.text;
    EXPECT_EQ(OciSqlShow::ParameterType("1"), "boolean");
    EXPECT_EQ(OciSqlShow::ParameterType("2"), "string");
    EXPECT_EQ(OciSqlShow::ParameterType("3"), "integer");
    EXPECT_EQ(OciSqlShow::ParameterType("6"), "big integer");
    EXPECT_EQ(OciSqlShow::ParameterType("7"), "unknown");
    EXPECT_EQ(OciSqlShow::ParameterType(""), "unknown");
}

TEST(OciSqlScript, ADotLineHoldsTheEntryForTheNextSlash)
{
    OciSqlScript script;
    std::vector<std::string> out;
    for (const char* line : {"begin", "  null;", "end;", "."})
        script.AddLine(line, &out);
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(script.AtStart());
    script.AddLine("/", &out);
    EXPECT_EQ(out, std::vector<std::string>{"begin\n  null;\nend;"});
    // Once run, a second '/' does not run it again.
    out.clear();
    script.AddLine("/", &out);
    EXPECT_TRUE(out.empty());
    // A '.' line ends SQL too; the next statement replaces what was held.
    for (const char* line : {"select 1", ".", "select 2 from dual;"})
        script.AddLine(line, &out);
    EXPECT_EQ(out, std::vector<std::string>{"select 2 from dual"});
    // A '.' with nothing entered is nothing.
    out.clear();
    script.AddLine(".", &out);
    script.AddLine("/", &out);
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(script.AtStart());
    // Continuation lines are counted for the prompt.
    script.AddLine("declare", &out);
    script.AddLine("  n number;", &out);
    EXPECT_FALSE(script.AtStart());
    EXPECT_EQ(script.LineCount(), 2);
}

TEST(OciSqlOutput, WritesTextAndNumbersAsAStreamWould)
{
    OciSqlOutput text;
    text << "n=" << -12 << ' ' << static_cast<size_t>(4000000000u) << ' ' << std::string("s") << '\t'
         << static_cast<short>(-1) << std::string_view("|end") << 0L << '\n';
    EXPECT_EQ(text.Text(), "n=-12 4000000000 s\t-1|end0\n");
    text.Clear();
    EXPECT_EQ(text.Text(), "");

    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    {
        OciSqlOutput out(file);
        out << "to a file " << 7 << '\n';
        out.Flush();
        EXPECT_EQ(out.Text(), ""); // nothing kept when writing to a file
    }
    std::rewind(file);
    char buffer[64] = {};
    ASSERT_NE(std::fgets(buffer, sizeof buffer, file), nullptr);
    EXPECT_STREQ(buffer, "to a file 7\n");
    std::fclose(file);
}
