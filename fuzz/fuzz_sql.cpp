// The stand-in's SQL and PL/SQL front ends (tokens to trees; nothing runs).
#include "fuzz/FuzzTarget.h"
#include "ociw32/server/PlsqlParser.h"
#include "ociw32/server/SqlParser.h"

using namespace VkOracle;

std::vector<std::string> QvFuzzSeeds()
{
    return {
        "select empno, ename || ' (' || job || ')', nvl(comm, 0) + sal from emp where deptno in (10, 20) "
        "order by 2 desc",
        "select deptno, count(*), max(case when sal > 2000 then 'high' else 'low' end) from emp group by deptno "
        "having count(*) > 1 union all select null, 0, 'x' from dual",
        "select job, next_date, interval, what from user_jobs where broken = 'N' and next_date < sysdate + 1/24",
        "insert into emp (empno, ename, hiredate) values (9999, 'X', to_date('2026-12-07', 'YYYY-MM-DD'))",
        "update emp set sal = sal * 1.1 where empno = (select max(empno) from emp e where e.deptno = emp.deptno)",
        "delete from emp where rowid in (select rowid from emp where ename like 'A%')",
        "select * from (select a.*, rownum r from (select * from emp order by sal) a where rownum <= 10) where r > 5",
        "create table t (a number(10,2) not null, b varchar2(30) default 'x', c date, primary key (a))",
        "declare n number := 0; begin for i in 1 .. 10 loop n := n + i; end loop; "
        "dbms_job.submit(:job, 'null;', sysdate, 'sysdate + 1'); exception when others then null; end;",
        "begin if :x is null then raise no_data_found; elsif :x > 1 then :y := substr('abc', 1, 2); "
        "else while true loop exit; end loop; end if; end;",
        "declare cursor c is select ename from emp; r c%rowtype; begin open c; fetch c into r; close c; end;",
    };
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text = QvFuzzBytes(data, size);
    SqlParseError sqlError;
    SqlParser(text).ParseStatement(&sqlError);
    SqlParseError exprError;
    SqlParser(text).ParseStandaloneExpr(&exprError);
    PlsqlUnit unit;
    PlsqlCompileError plsqlError;
    PlsqlParser::ParseBlock(text, &unit, &plsqlError);
    return 0;
}
