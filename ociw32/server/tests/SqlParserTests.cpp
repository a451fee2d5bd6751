// The front end's first two stages on their own: tokens and statement trees.
#include "ociw32/server/SqlParser.h"

#include <gtest/gtest.h>

namespace {

using VkOracle::SqlParseError;
using VkOracle::SqlParser;
using VkOracle::SqlStmtKind;
using VkOracle::TokKind;

TEST(SqlTokenTest, KindsTextsAndOffsets)
{
    VkOracle::SqlTokenError err;
    const auto t = VkOracle::TokenizeSql("select e.ename,'it''s' \"Mixed\" :b1 1.5e3 .5 (+) <> != -- note\n||/*x*/x", &err);
    EXPECT_EQ(err.code, 0);
    struct Expect {
        TokKind kind;
        const char* text;
        int pos;
    };
    const Expect expected[] = {
        {TokKind::Ident, "SELECT", 0}, {TokKind::Ident, "E", 7}, {TokKind::Op, ".", 8}, {TokKind::Ident, "ENAME", 9},
        {TokKind::Op, ",", 14}, {TokKind::String, "it's", 15}, {TokKind::QuotedIdent, "Mixed", 23},
        {TokKind::Bind, "B1", 31}, {TokKind::Number, "1.5e3", 35}, {TokKind::Number, ".5", 41},
        {TokKind::Op, "(+)", 44}, {TokKind::Op, "<>", 48}, {TokKind::Op, "!=", 51}, {TokKind::Op, "||", 62},
        {TokKind::Ident, "X", 69}, {TokKind::End, "", 70},
    };
    ASSERT_EQ(t.size(), std::size(expected));
    for (size_t i = 0; i < t.size(); ++i) {
        EXPECT_EQ(t[i].kind, expected[i].kind) << i;
        EXPECT_EQ(t[i].text, expected[i].text) << i;
        EXPECT_EQ(t[i].pos, expected[i].pos) << i;
    }
}

TEST(SqlTokenTest, LexicalErrors)
{
    struct Case {
        const char* sql;
        int code;
        int pos;
    };
    const Case cases[] = {
        {"select 'abc", 1756, 7},
        {"select \"abc", 1740, 7},
        {"select \"\" from dual", 1741, 7},
        {"select 1 # 2", 911, 9},
        {"select ?", 911, 7},
        {"select a234567890123456789012345678901 from dual", 972, 7},
        {"select \"a234567890123456789012345678901\" from dual", 972, 7},
    };
    VkOracle::SqlTokenError longLiteral;
    VkOracle::TokenizeSql("select '" + std::string(4001, 'x') + "' from dual", &longLiteral);
    EXPECT_EQ(longLiteral.code, 1704);
    for (const Case& c : cases) {
        VkOracle::SqlTokenError err;
        VkOracle::TokenizeSql(c.sql, &err);
        EXPECT_EQ(err.code, c.code) << c.sql;
        EXPECT_EQ(err.pos, c.pos) << c.sql;
    }
}

TEST(SqlParserTest, StatementKinds)
{
    struct Case {
        const char* sql;
        SqlStmtKind kind;
    };
    const Case cases[] = {
        {"select 1 from dual", SqlStmtKind::Select},
        {"(select 1 from dual) union (select 2 from dual)", SqlStmtKind::Select},
        {"insert into t values (1)", SqlStmtKind::Insert},
        {"insert into t (a, b) select 1, 2 from dual", SqlStmtKind::Insert},
        {"update t x set a = 1, b = b + 1 where c is not null", SqlStmtKind::Update},
        {"delete t where a in (select 1 from dual)", SqlStmtKind::Delete},
        {"commit work", SqlStmtKind::Commit},
        {"rollback", SqlStmtKind::Rollback},
        {"create table t (a number(5,2) default 0 not null, b varchar2(10) constraint u unique, primary key (a))",
         SqlStmtKind::CreateTable},
        {"create or replace view v (x) as select 1 from dual with read only", SqlStmtKind::CreateView},
        {"create unique index i on t (a desc, b)", SqlStmtKind::CreateIndex},
        {"create sequence s start with 10 increment by -2 maxvalue 100 minvalue 1 nocache cycle", SqlStmtKind::CreateSequence},
        {"create public synonym p for scott.emp", SqlStmtKind::CreateSynonym},
        {"create user u identified by p default tablespace users account lock", SqlStmtKind::CreateUser},
        {"create or replace trigger tr after update of a, b on t for each row when (new.a > 0) begin null; end;",
         SqlStmtKind::CreateTrigger},
        {"create or replace procedure p (a in number, b out varchar2, c in out date default sysdate) is begin null; end;",
         SqlStmtKind::CreateProcedure},
        {"create function f return number as begin return 1; end;", SqlStmtKind::CreateFunction},
        {"create package k is procedure p; function f (x number) return number; end k;", SqlStmtKind::CreatePackage},
        {"create package body k is procedure p is begin null; end; end k;", SqlStmtKind::CreatePackageBody},
        {"create type tt as table of number", SqlStmtKind::CreateType},
        {"drop public synonym p", SqlStmtKind::Drop},
        {"drop user u cascade", SqlStmtKind::Drop},
        {"grant select, insert on t to u, public with grant option", SqlStmtKind::Grant},
        {"grant create session, connect to u with admin option", SqlStmtKind::Grant},
        {"revoke all on t from public", SqlStmtKind::Revoke},
        {"alter session set current_schema = scott", SqlStmtKind::AlterSession},
        {"alter session set nls_date_format = 'YYYY-MM-DD'", SqlStmtKind::AlterSession},
        {"alter system kill session '12, 345'", SqlStmtKind::AlterSystem},
        {"alter user u identified by q account unlock", SqlStmtKind::AlterUser},
        {"alter table t add (c date, d char(2))", SqlStmtKind::AlterTable},
        {"alter table t add constraint c check (a > 0)", SqlStmtKind::AlterTable},
        {"begin null; end;", SqlStmtKind::Block},
        {"declare x number; begin x := 1; end;", SqlStmtKind::Block},
        {"lock table t in exclusive mode nowait", SqlStmtKind::Lock},
    };
    for (const Case& c : cases) {
        SqlParser parser(c.sql);
        SqlParseError err;
        auto st = parser.ParseStatement(&err);
        ASSERT_TRUE(st) << c.sql << " -> " << err.code << "@" << err.pos;
        EXPECT_EQ(st->kind, c.kind) << c.sql;
    }
}

TEST(SqlParserTest, SyntaxErrorsWithOffsets)
{
    struct Case {
        const char* sql;
        int code;
        int pos;
    };
    const Case cases[] = {
        {"", 900, 0},
        {"explain plan for select 1 from dual", 900, 0},
        {"select 1 from dual where", 936, 24},
        {"select 1 from dual where a =", 936, 28},
        {"select 1 from dual where a not b", 920, 27},
        {"select 1 from dual where a is null b", 933, 35},
        {"select 1, from dual", 936, 10},
        {"select count(1 from dual", 907, 15},
        {"select 1 from", 903, 13},
        {"select 1 from dual order 1", 924, 25},
        {"select 1 from dual group a", 924, 25},
        {"insert t values (1)", 925, 7},
        {"insert into t (a) (1)", 926, 18},
        {"update t a = 1", 971, 11},
        {"create table t", 906, 14},
        {"create tablex t (a number)", 901, 7},
        {"create table t (a numbr)", 902, 18},
        {"create table t (a varchar2)", 906, 26},
        {"drop cluster c", 950, 5},
        {"grant select on t", 941, 17},
        {"select case when 1 = 1 then 2 from dual", 905, 30},
        {"select 1 from dual where 1 = any 1", 936, 33},
        {"select 1 from dual;", 911, 18},
        {"select 1 from dual where x = 'y", 1756, 29},
    };
    for (const Case& c : cases) {
        SqlParser parser(c.sql);
        SqlParseError err;
        EXPECT_FALSE(parser.ParseStatement(&err)) << c.sql;
        EXPECT_EQ(std::to_string(err.code) + "@" + std::to_string(err.pos),
                  std::to_string(c.code) + "@" + std::to_string(c.pos))
            << c.sql;
    }
}

TEST(SqlParserTest, TreeShapes)
{
    SqlParser parser("select distinct e.ename n, d.* , count(*) from scott.emp e, dept d "
                     "where e.deptno = d.deptno (+) and not e.sal between 1 and 2 "
                     "group by e.ename having count(*) > 1 order by 1 desc nulls last, n");
    SqlParseError err;
    auto st = parser.ParseStatement(&err);
    ASSERT_TRUE(st);
    const VkOracle::SqlSelect& s = *st->select;
    EXPECT_TRUE(s.distinct);
    ASSERT_EQ(s.items.size(), 3u);
    EXPECT_EQ(s.items[0].alias, "N");
    EXPECT_EQ(s.items[1].expr->kind, VkOracle::SqlExpr::Kind::Star);
    EXPECT_EQ(s.items[1].expr->names, std::vector<std::string>{"D"});
    EXPECT_TRUE(s.items[2].expr->star);
    ASSERT_EQ(s.from.size(), 2u);
    EXPECT_EQ(s.from[0].name, (std::vector<std::string>{"SCOTT", "EMP"}));
    EXPECT_EQ(s.from[0].alias, "E");
    ASSERT_EQ(s.where->kind, VkOracle::SqlExpr::Kind::And);
    EXPECT_TRUE(s.where->args[0]->args[1]->outer);
    EXPECT_EQ(s.where->args[1]->kind, VkOracle::SqlExpr::Kind::Not);
    EXPECT_EQ(s.groupBy.size(), 1u);
    ASSERT_TRUE(s.having);
    ASSERT_EQ(s.orderBy.size(), 2u);
    EXPECT_TRUE(s.orderBy[0].desc);
    EXPECT_EQ(s.orderBy[0].nulls, 2);
}

TEST(SqlParserTest, StoredUnitMetadata)
{
    SqlParser parser("create or replace package k as\n"
                     "  function f (a in number) return varchar2;\n"
                     "  function f (a in varchar2, b out number) return number;\n"
                     "  cursor c is select 1 from dual;\n"
                     "  procedure p (x in out nocopy date);\n"
                     "end k;");
    SqlParseError err;
    auto st = parser.ParseStatement(&err);
    ASSERT_TRUE(st) << err.code << "@" << err.pos;
    ASSERT_EQ(st->subprograms.size(), 3u);
    EXPECT_TRUE(st->subprograms[0].isFunction);
    EXPECT_EQ(st->subprograms[0].returnType, "VARCHAR2");
    ASSERT_EQ(st->subprograms[1].args.size(), 2u);
    EXPECT_EQ(st->subprograms[1].args[1].mode, "OUT");
    EXPECT_EQ(st->subprograms[2].args[0].mode, "IN/OUT");
    EXPECT_EQ(st->subprograms[2].args[0].type, "DATE");
}

} // namespace
