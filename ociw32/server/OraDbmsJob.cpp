#include "ociw32/server/OraDbmsJob.h"
#include "ociw32/server/OraTransaction.h"

#include "ociw32/functions/OraErrors.h"
#include "ociw32/functions/OraFunctions.h"
#include "ociw32/server/OraEngineErrors.h"
#include "ociw32/server/SqliteUtil.h"

#include <algorithm>

namespace VkOracle {
namespace {

const int64_t kYear4000 = 64060588800; // 01-JAN-4000, the next date of a broken job
const char* const kNlsBefore = "NLS_LANGUAGE='AMERICAN' NLS_TERRITORY='AMERICA' NLS_CURRENCY='$' "
                               "NLS_ISO_CURRENCY='AMERICA' NLS_NUMERIC_CHARACTERS='.,' NLS_DATE_FORMAT=";
const char* const kNlsAfter = " NLS_DATE_LANGUAGE='AMERICAN' NLS_SORT='BINARY'";

// The NLS_ENV a job keeps: the submitting session's settings.
std::string NlsEnvOf(const std::string& dateFormat)
{
    std::string quoted = "'";
    for (char c : dateFormat)
        quoted += c == '\'' ? std::string("''") : std::string(1, c);
    return kNlsBefore + quoted + "'" + kNlsAfter;
}

// The date format a job's NLS_ENV names; empty when it names none.
std::string DateFormatOf(const std::string& nlsEnv)
{
    const std::string key = "NLS_DATE_FORMAT='";
    const size_t at = nlsEnv.find(key);
    if (at == std::string::npos)
        return {};
    std::string format;
    for (size_t i = at + key.size(); i < nlsEnv.size(); ++i) {
        if (nlsEnv[i] == '\'') {
            if (i + 1 < nlsEnv.size() && nlsEnv[i + 1] == '\'') {
                format += '\'';
                ++i;
                continue;
            }
            return format;
        }
        format += nlsEnv[i];
    }
    return {};
}

// Whether a session (this one, another, or a queue process) is running the job.
bool JobRunning(sqlite3* db, int64_t job)
{
    SqliteStmt q(db, "SELECT 1 FROM inst.cat_jobs_running WHERE job = ?");
    q.Bind(1, job);
    return q.Step();
}

PlsqlParam In(const char* name, const char* type, bool optional = false)
{
    PlsqlParam p;
    p.name = name;
    p.type = type;
    p.optional = optional;
    return p;
}

int64_t IntOf(const OraValue& v)
{
    if (v.kind != OraValue::Kind::Number)
        return 0;
    return v.number.isInt ? v.number.i : static_cast<int64_t>(v.number.d);
}

bool IsTrue(const OraValue& v)
{
    return v.kind == OraValue::Kind::Number && IntOf(v) != 0;
}

void BindValue(SqliteStmt& q, int index, const OraValue& v)
{
    switch (v.kind) {
    case OraValue::Kind::Null: q.BindNull(index); break;
    case OraValue::Kind::Number: q.Bind(index, IntOf(v)); break;
    case OraValue::Kind::Text: q.Bind(index, v.text); break;
    case OraValue::Kind::Date: q.Bind(index, v.date); break;
    }
}

// The variables a job's WHAT sees: job, next_date and broken.
std::map<std::string, PlsqlVar> JobVariables(int64_t job, int64_t nextDate)
{
    std::map<std::string, PlsqlVar> vars;
    PlsqlVar j;
    j.base = 'N';
    j.constant = true;
    j.value.kind = OraValue::Kind::Number;
    j.value.number = OraNumFromInt(job);
    vars["JOB"] = j;
    PlsqlVar d;
    d.base = 'D';
    d.value.kind = OraValue::Kind::Date;
    d.value.date = nextDate;
    vars["NEXT_DATE"] = d;
    PlsqlVar b;
    b.base = 'B';
    b.value.kind = OraValue::Kind::Number;
    b.value.number = OraNumFromInt(0);
    vars["BROKEN"] = b;
    return vars;
}

} // namespace

int64_t OraDbmsJob::OwnJob(const OraValue& job)
{
    const int64_t number = IntOf(job);
    OraSessionCore& core = m_in.Core();
    // Prepared each time: the name may be a committed-image view.
    SqliteStmt q(core.Db(), "SELECT 1 FROM cat_jobs WHERE job = ? AND priv_user = ?");
    q.Bind(1, number).Bind(2, core.Catalog().User());
    if (job.kind == OraValue::Kind::Null || !q.Step())
        PlsqlInterpreter::Raise(23421, FormatOraError(23421, {job.kind == OraValue::Kind::Null ? "" : std::to_string(number)}));
    return number;
}

void OraDbmsJob::CheckWhat(const OraValue& what)
{
    if (what.kind == OraValue::Kind::Null)
        return;
    OraResult r = m_in.Compile("BEGIN " + what.text + " END;", JobVariables(0, 0), nullptr);
    if (!r.Ok())
        PlsqlInterpreter::RaiseResult(r);
}

void OraDbmsJob::CheckInterval(const OraValue& interval)
{
    if (interval.kind == OraValue::Kind::Null)
        return;
    OraValue value;
    OraResult r = m_in.EvaluateSql(interval.text, &value);
    if (!r.Ok())
        PlsqlInterpreter::RaiseResult(r);
    const int64_t now = OracleSysdate(m_in.Core().Db());
    if ((value.kind == OraValue::Kind::Date && value.date < now) ||
        (value.kind != OraValue::Kind::Date && value.kind != OraValue::Kind::Null))
        PlsqlInterpreter::Raise(23420, FormatOraError(23420));
}

void OraDbmsJob::Update(int64_t job, const std::string& assignments, const OraValue& a, const OraValue& b)
{
    OraSessionCore& core = m_in.Core();
    // Only the job's row is locked, so other jobs never wait for this one.
    OraResult r = core.RunWrite([&] {
        SqliteStmt q(core.Db(), "UPDATE main.cat_jobs SET " + assignments + " WHERE job = ?3");
        BindValue(q, 1, a);
        BindValue(q, 2, b);
        q.Bind(3, job);
        return q.Run() ? OraResult{} : core.MapError(q.LastCode(), true);
    });
    if (!r.Ok())
        PlsqlInterpreter::RaiseResult(r);
}

bool OraDbmsJob::Call(const std::string& procedure, const PlsqlStmt& call, PlsqlScope* scope)
{
    const std::string name = "DBMS_JOB." + procedure;
    std::vector<PlsqlParam> params;
    const bool submit = procedure == "SUBMIT" || procedure == "ISUBMIT";
    // Version 7 has no instances: no INSTANCE procedure, no INSTANCE or
    // FORCE arguments.
    const bool instances = m_in.Core().Major() > 7;
    if (submit) {
        PlsqlParam job = In("JOB", "NUMBER");
        if (procedure == "SUBMIT")
            job.mode = "OUT";
        params = {job, In("WHAT", "VARCHAR2"), In("NEXT_DATE", "DATE", true), In("INTERVAL", "VARCHAR2", true),
                  In("NO_PARSE", "BOOLEAN", true)};
        if (procedure == "SUBMIT" && instances) {
            params.push_back(In("INSTANCE", "NUMBER", true));
            params.push_back(In("FORCE", "BOOLEAN", true));
        }
    } else if (procedure == "CHANGE") {
        params = {In("JOB", "NUMBER"), In("WHAT", "VARCHAR2"), In("NEXT_DATE", "DATE"), In("INTERVAL", "VARCHAR2")};
        if (instances) {
            params.push_back(In("INSTANCE", "NUMBER", true));
            params.push_back(In("FORCE", "BOOLEAN", true));
        }
    } else if (procedure == "WHAT") {
        params = {In("JOB", "NUMBER"), In("WHAT", "VARCHAR2")};
    } else if (procedure == "NEXT_DATE") {
        params = {In("JOB", "NUMBER"), In("NEXT_DATE", "DATE")};
    } else if (procedure == "INTERVAL") {
        params = {In("JOB", "NUMBER"), In("INTERVAL", "VARCHAR2")};
    } else if (procedure == "INSTANCE" && instances) {
        params = {In("JOB", "NUMBER"), In("INSTANCE", "NUMBER"), In("FORCE", "BOOLEAN", true)};
    } else if (procedure == "BROKEN") {
        params = {In("JOB", "NUMBER"), In("BROKEN", "BOOLEAN"), In("NEXT_DATE", "DATE", true)};
    } else if (procedure == "REMOVE") {
        params = {In("JOB", "NUMBER")};
    } else if (procedure == "RUN") {
        params = {In("JOB", "NUMBER")};
        if (instances)
            params.push_back(In("FORCE", "BOOLEAN", true));
    } else {
        return false;
    }
    std::vector<PlsqlArg> args = m_in.Arguments(params, call, scope, name);
    if (m_in.Checking())
        return true;
    OraSessionCore& core = m_in.Core();
    // Jobs other transactions changed are read as they were committed.
    if (OraResult synced = core.Transaction().SyncShadows(); !synced.Ok())
        PlsqlInterpreter::RaiseResult(synced);
    sqlite3* db = core.Db();
    const int64_t now = OracleSysdate(db);
    OraValue nowValue;
    nowValue.kind = OraValue::Kind::Date;
    nowValue.date = now;
    // A job made due now is run without waiting for the queue's next look.
    auto dueNow = [&](const OraValue& next) {
        if (next.kind == OraValue::Kind::Date && next.date <= now)
            core.WakeJobQueueAtCommit();
    };
    if (submit) {
        const OraValue& what = args[1].value;
        const OraValue next = args[2].given && args[2].value.kind != OraValue::Kind::Null ? args[2].value : nowValue;
        OraValue interval = args[3].given ? args[3].value : OraValue{OraValue::Kind::Text, {}, "null", 0};
        if (interval.kind == OraValue::Kind::Null)
            interval = OraValue{OraValue::Kind::Text, {}, "null", 0};
        if (what.kind == OraValue::Kind::Null)
            PlsqlInterpreter::Raise(6502, FormatOraError(6502));
        if (!(args[4].given && IsTrue(args[4].value)))
            CheckWhat(what);
        CheckInterval(interval);
        const int64_t instance = procedure == "SUBMIT" && instances && args[5].given ? IntOf(args[5].value) : 0;
        if (instance < 0)
            PlsqlInterpreter::Raise(23319, "ORA-23319: parameter value \"" + std::to_string(instance) +
                                               "\" is not appropriate");
        int64_t number = IntOf(args[0].value);
        OraResult r = core.RunWrite([&] {
            if (procedure == "SUBMIT") {
                SqliteStmt seq(core.Prepared("SELECT last_number FROM cat_sequences WHERE sequence_owner = 'SYS' AND"
                                             " sequence_name = 'JOBSEQ'"));
                number = seq.Step() ? seq.Int(0) : 1;
                SqliteStmt bump(core.Prepared("UPDATE cat_sequences SET last_number = last_number + 1 WHERE"
                                              " sequence_owner = 'SYS' AND sequence_name = 'JOBSEQ'"));
                bump.Run();
            }
            SqliteStmt q(core.Prepared("INSERT INTO main.cat_jobs(job, log_user, priv_user, schema_user, last_date,"
                                       " this_date, next_date, total_time, broken, interval, failures, what, nls_env,"
                                       " misc_env, instance) VALUES (?, ?, ?, ?, NULL, NULL, ?, 0, 'N', ?, NULL, ?, ?,"
                                       " x'0102000200000000', ?)"));
            const std::string user = core.Catalog().User();
            q.Bind(1, number).Bind(2, user).Bind(3, user).Bind(4, core.Catalog().Schema());
            q.Bind(5, next.kind == OraValue::Kind::Date ? next.date : now).Bind(6, interval.text).Bind(7, what.text);
            q.Bind(8, NlsEnvOf(SessionDateFormat(db))).Bind(9, instance);
            return q.Run() ? OraResult{} : core.MapError(q.LastCode(), false);
        });
        if (!r.Ok())
            PlsqlInterpreter::RaiseResult(r);
        dueNow(next.kind == OraValue::Kind::Date ? next : nowValue);
        OraValue out;
        out.kind = OraValue::Kind::Number;
        out.number = OraNumFromInt(number);
        m_in.WriteBack(args[0], out, call.token);
        return true;
    }
    const int64_t job = OwnJob(args[0].value);
    if (procedure == "CHANGE") {
        CheckWhat(args[1].value);
        CheckInterval(args[3].value);
        Update(job, "what = COALESCE(?1, what), next_date = COALESCE(?2, next_date)", args[1].value, args[2].value);
        dueNow(args[2].value);
        if (args[3].value.kind != OraValue::Kind::Null)
            Update(job, "interval = ?1", args[3].value);
        if (instances && args[4].given && args[4].value.kind != OraValue::Kind::Null)
            Update(job, "instance = ?1", args[4].value);
    } else if (procedure == "WHAT") {
        if (args[1].value.kind == OraValue::Kind::Null)
            PlsqlInterpreter::Raise(6502, FormatOraError(6502));
        CheckWhat(args[1].value);
        Update(job, "what = ?1", args[1].value);
    } else if (procedure == "NEXT_DATE") {
        if (args[1].value.kind == OraValue::Kind::Null)
            PlsqlInterpreter::Raise(1400, "ORA-01400: cannot insert NULL into (\"SYS\".\"JOB$\".\"NEXT_DATE\")");
        Update(job, "next_date = ?1", args[1].value);
        dueNow(args[1].value);
    } else if (procedure == "INTERVAL") {
        const OraValue interval = args[1].value.kind == OraValue::Kind::Null ? OraValue{OraValue::Kind::Text, {}, "null", 0}
                                                                             : args[1].value;
        CheckInterval(interval);
        Update(job, "interval = ?1", interval);
    } else if (procedure == "INSTANCE") {
        Update(job, "instance = ?1", args[1].value);
    } else if (procedure == "BROKEN") {
        if (IsTrue(args[1].value)) {
            OraValue year4000;
            year4000.kind = OraValue::Kind::Date;
            year4000.date = kYear4000;
            Update(job, "broken = 'Y', next_date = ?1", year4000);
        } else {
            const OraValue next = args[2].given && args[2].value.kind != OraValue::Kind::Null ? args[2].value : nowValue;
            Update(job, "broken = 'N', next_date = ?1", next);
            dueNow(next);
        }
    } else if (procedure == "REMOVE") {
        OraResult r = core.RunWrite([&] {
            SqliteStmt q(db, "DELETE FROM main.cat_jobs WHERE job = ?");
            q.Bind(1, job);
            return q.Run() ? OraResult{} : core.MapError(q.LastCode(), false);
        });
        if (!r.Ok())
            PlsqlInterpreter::RaiseResult(r);
    } else if (procedure == "RUN") {
        const std::string stack = "\nORA-06512: at \"SYS.DBMS_IJOB\", line 406\nORA-06512: at \"SYS.DBMS_JOB\", line 272";
        // A job runs in one session at a time: its lock is asked for without waiting.
        if (JobRunning(db, job))
            PlsqlInterpreter::Raise(54, FormatOraError(54) + stack);
        OraResult r = RunJob(job);
        // Too deep a recursion ends every level, not only the job at the bottom.
        if (r.code == 36)
            PlsqlInterpreter::Raise(36, r.message + stack);
        if (!r.Ok())
            PlsqlInterpreter::Raise(12011, FormatOraError(12011, {"1"}) + stack);
    }
    return true;
}

struct OraDbmsJob::JobRow {
    std::string what, interval, schema, nlsEnv;
    int64_t failures = 0, next = 0, thisDate = 0;
};

namespace {

// The process's turn for a write transaction, unless the session already
// holds the lock (its job's own changes) and so waits for nobody.
std::unique_lock<std::mutex> WriterTurn(sqlite3* db, std::mutex* writers)
{
    if (!writers || sqlite3_txn_state(db, "main") == SQLITE_TXN_WRITE)
        return {};
    return std::unique_lock<std::mutex>(*writers);
}

} // namespace

bool OraDbmsJob::ReadRow(int64_t job, JobRow* row, bool committedImage)
{
    OraSessionCore& core = m_in.Core();
    // The queue reads rows it has claimed, which nobody else holds: the
    // table itself. A client's RUN reads the committed image, which may be
    // a view made since any statement was kept.
    static const char* const kTable = "SELECT what, interval, schema_user, COALESCE(failures, 0), next_date, nls_env,"
                                      " this_date FROM main.cat_jobs WHERE job = ?";
    static const char* const kImage = "SELECT what, interval, schema_user, COALESCE(failures, 0), next_date, nls_env,"
                                      " this_date FROM cat_jobs WHERE job = ?";
    auto read = [&](SqliteStmt& q) {
        q.Bind(1, job);
        if (!q.Step())
            return false;
        row->what = q.Text(0);
        row->interval = q.Text(1);
        row->schema = q.Text(2);
        row->failures = q.Int(3);
        row->next = q.Int(4);
        row->nlsEnv = q.Text(5);
        row->thisDate = q.Int(6);
        return true;
    };
    if (committedImage) {
        SqliteStmt q(core.Db(), kImage);
        return read(q);
    }
    SqliteStmt q(core.Prepared(kTable));
    return read(q);
}

OraResult OraDbmsJob::RunJob(int64_t job)
{
    return Run(job, nullptr, nullptr);
}

OraResult OraDbmsJob::RunQueued(int64_t job, QueueSlot* slot, QueueRun* outcome)
{
    return Run(job, slot, outcome);
}

OraResult OraDbmsJob::Run(int64_t job, QueueSlot* slot, QueueRun* outcome)
{
    OraSessionCore& core = m_in.Core();
    sqlite3* db = core.Db();
    if (outcome)
        *outcome = QueueRun::NotDue;
    // The job's body is recursive SQL of the caller.
    if (core.m_recursiveSql >= OraSessionCore::kMaxRecursiveSql)
        return OraResult{36, EngineErrorMessage(36, core.Major(), {std::to_string(OraSessionCore::kMaxRecursiveSql)}), 0};
    struct Level {
        int& depth;
        ~Level() { --depth; }
    } level{++core.m_recursiveSql};
    OraResult r = core.Commit(); // RUN commits the caller's work first
    if (r.Ok() && !slot)
        r = core.Transaction().SyncShadows();
    if (!r.Ok())
        return r;
    JobRow row;
    int64_t start = OracleSysdate(db);
    const bool claimed = slot && slot->claimed == job;
    const std::shared_ptr<JobRow> claimedRow = slot ? std::move(slot->claimedRow) : nullptr;
    if (slot) {
        slot->claimed = 0;
        slot->claimedRow.reset();
        slot->next = 0;
    }
    if (claimed) {
        if (claimedRow) {
            row = *claimedRow;
        } else if (!ReadRow(job, &row, false)) {
            ReleaseClaim(job, slot->writers);
            return r;
        }
        // Claimed and marked with the runner's last run: it started then.
        start = row.thisDate;
        *outcome = QueueRun::Ran;
    } else if (slot) {
        r = Claim(job, *slot, start, &row, outcome);
        if (*outcome != QueueRun::Ran)
            return r;
    } else if (!ReadRow(job, &row, true)) {
        return OraResult{23421, FormatOraError(23421, {std::to_string(job)}), 0};
    }
    // The interval is evaluated just before the job starts.
    OraValue next;
    r = m_in.EvaluateSql(row.interval.empty() ? "null" : row.interval, &next);
    if (r.Ok() && next.kind != OraValue::Kind::Date && next.kind != OraValue::Kind::Null)
        r = OraResult{23420, FormatOraError(23420), 0};
    if (r.Ok() && !slot)
        r = Mark(job, start); // the queue's claim has marked it
    std::map<std::string, PlsqlVar> vars = JobVariables(job, row.next);
    if (r.Ok()) {
        std::shared_ptr<PlsqlUnit> unit;
        // The run sees the schema and date format the job was submitted with.
        const std::string savedSchema = core.Catalog().Schema();
        const std::string savedFormat = SessionDateFormat(db);
        const std::string jobFormat = DateFormatOf(row.nlsEnv);
        core.Catalog().SetSchema(row.schema);
        if (!jobFormat.empty())
            SetSessionDateFormat(db, jobFormat);
        PlsqlInterpreter runner(m_in.CorePtr());
        r = runner.Compile("BEGIN " + row.what + " END;", vars, &unit);
        if (r.Ok())
            r = runner.RunWith(*unit, &vars);
        SetSessionDateFormat(db, savedFormat);
        core.Catalog().SetSchema(savedSchema);
    }
    return Finish(job, row, start, next, vars, r, slot);
}

OraResult OraDbmsJob::Claim(int64_t job, const QueueSlot& slot, int64_t start, JobRow* row, QueueRun* outcome)
{
    OraSessionCore& core = m_in.Core();
    const auto turn = WriterTurn(core.Db(), slot.writers);
    // The claim is the queue's own bookkeeping, committed at once: it locks
    // no row of the job.
    if (OraResult begun = core.OpenOwnWrite(OraSessionCore::LockWait::Wait); !begun.Ok())
        return begun;
    *outcome = ClaimIn(job, slot.runner, start);
    if (*outcome == QueueRun::Ran && !ReadRow(job, row, false))
        *outcome = QueueRun::NotDue;
    const OraResult ended = core.CloseOwnWrite(*outcome == QueueRun::Ran);
    if (*outcome == QueueRun::Taken)
        return OraResult{54, FormatOraError(54), 0};
    if (!ended.Ok())
        *outcome = QueueRun::NotDue;
    return ended;
}

OraDbmsJob::QueueRun OraDbmsJob::ClaimIn(int64_t job, int runner, int64_t start)
{
    OraSessionCore& core = m_in.Core();
    // A client's DBMS_JOB.RUN may be running it.
    SqliteStmt claim(core.Prepared("INSERT INTO inst.cat_jobs_running(job, sid) VALUES (?, ?)"));
    claim.Bind(1, job).Bind(2, static_cast<int64_t>(core.Sid()));
    if (!claim.Run())
        return QueueRun::Taken;
    // Read under the write lock, so the newest run, change or ALTER SYSTEM
    // SET JOB_QUEUE_PROCESSES decides. A job whose row another transaction
    // holds waits for that transaction's end: its row is not committed.
    SqliteStmt mark(core.Prepared("UPDATE main.cat_jobs SET this_date = ?1 WHERE job = ?2 AND broken = 'N'"
                                  " AND next_date <= ?1 AND ?3 < (SELECT CAST(value AS INTEGER) FROM main.cat_db"
                                  " WHERE key = 'job_queue_processes') AND NOT EXISTS (SELECT 1 FROM main.cat_undo"
                                  " WHERE tbl = 'cat_jobs' AND rid = ?2)"));
    mark.Bind(1, start).Bind(2, job).Bind(3, static_cast<int64_t>(runner));
    if (mark.Run() && sqlite3_changes(core.Db()) == 1)
        return QueueRun::Ran;
    SqliteStmt release(core.Prepared("DELETE FROM inst.cat_jobs_running WHERE job = ? AND sid = ?"));
    release.Bind(1, job).Bind(2, static_cast<int64_t>(core.Sid()));
    release.Run();
    return QueueRun::NotDue;
}

void OraDbmsJob::ReleaseClaim(int64_t job, std::mutex* writers)
{
    OraSessionCore& core = m_in.Core();
    core.Rollback();
    const auto turn = WriterTurn(core.Db(), writers);
    // Never a long wait (the queue may be stopping): a claim that cannot be
    // let go now goes with the session, counted as a run that failed.
    core.RunOwnWrite(
        [&] {
            SqliteStmt unmark(core.Prepared("UPDATE main.cat_jobs SET this_date = NULL WHERE job = ?"));
            unmark.Bind(1, job);
            unmark.Run();
            SqliteStmt release(core.Prepared("DELETE FROM inst.cat_jobs_running WHERE job = ? AND sid = ?"));
            release.Bind(1, job).Bind(2, static_cast<int64_t>(core.Sid()));
            release.Run();
            return OraResult{};
        },
        OraSessionCore::LockWait::Brief);
}

OraResult OraDbmsJob::Mark(int64_t job, int64_t start)
{
    OraSessionCore& core = m_in.Core();
    sqlite3* db = core.Db();
    // The job's row is locked for the run's start, waiting for a transaction
    // that holds it.
    OraResult r = core.RunWrite([&] {
        SqliteStmt mark(db, "UPDATE main.cat_jobs SET this_date = ? WHERE job = ?");
        mark.Bind(1, start).Bind(2, job);
        mark.Run();
        SqliteStmt running(db, "INSERT OR REPLACE INTO inst.cat_jobs_running(job, sid) VALUES (?, ?)");
        running.Bind(1, job).Bind(2, static_cast<int64_t>(core.Sid()));
        running.Run();
        return OraResult{};
    });
    return r.Ok() ? core.Commit() : r;
}

OraResult OraDbmsJob::Finish(int64_t job, const JobRow& row, int64_t start, OraValue next,
                             std::map<std::string, PlsqlVar>& vars, OraResult r, QueueSlot* slot)
{
    OraSessionCore& core = m_in.Core();
    sqlite3* db = core.Db();
    const int64_t end = OracleSysdate(db);
    // Lets go of the job, so that it is not shown running for as long as
    // the session lasts.
    auto release = [&] {
        if (!slot)
            return;
        SqliteStmt release(core.Prepared("DELETE FROM inst.cat_jobs_running WHERE job = ? AND sid = ?"));
        release.Bind(1, job).Bind(2, static_cast<int64_t>(core.Sid()));
        release.Run();
    };
    auto book = [&]() -> OraResult {
        if (r.Ok()) {
            const bool broken = IsTrue(vars["BROKEN"].value);
            const OraValue& leftNext = vars["NEXT_DATE"].value;
            // A job that changed next_date itself keeps that date.
            OraValue runNext = next;
            if (leftNext.kind == OraValue::Kind::Date && leftNext.date != row.next)
                runNext = leftNext;
            if (runNext.kind == OraValue::Kind::Null && !broken) {
                SqliteStmt del(core.Prepared("DELETE FROM main.cat_jobs WHERE job = ?"));
                del.Bind(1, job);
                del.Run();
            } else {
                SqliteStmt q(core.Prepared("UPDATE main.cat_jobs SET last_date = ?1, this_date = NULL, next_date = ?2,"
                                           " failures = 0, broken = ?3, total_time = total_time + ?4 WHERE job = ?5"));
                q.Bind(1, start).Bind(2, broken ? kYear4000 : runNext.date).Bind(3, std::string(broken ? "Y" : "N"));
                q.Bind(4, end - start).Bind(5, job);
                q.Run();
            }
        } else {
            const int64_t failures = row.failures + 1;
            // Retries back off 1, 2, 4 ... minutes, never beyond the normal interval.
            int64_t retry = start + 60 * (int64_t{1} << std::min<int64_t>(failures - 1, 20));
            if (next.kind == OraValue::Kind::Date && next.date < retry)
                retry = next.date;
            const bool broken = failures >= 16;
            SqliteStmt q(core.Prepared("UPDATE main.cat_jobs SET this_date = NULL, failures = ?1,"
                                       " next_date = CASE WHEN ?3 OR broken = 'Y' THEN ?6 ELSE ?2 END,"
                                       " broken = CASE WHEN ?3 THEN 'Y' ELSE broken END,"
                                       " total_time = total_time + ?4 WHERE job = ?5"));
            q.Bind(1, failures).Bind(2, retry).Bind(3, static_cast<int64_t>(broken));
            q.Bind(4, end - start).Bind(5, job).Bind(6, kYear4000);
            q.Run();
        }
        SqliteStmt done(core.Prepared("DELETE FROM inst.cat_jobs_running WHERE job = ?"));
        done.Bind(1, job);
        done.Run();
        // The runner's next job is claimed with this run's bookkeeping.
        if (slot && slot->takeNext && !slot->next) {
            slot->next = slot->takeNext();
            if (slot->next && ClaimIn(slot->next, slot->runner, OracleSysdate(db)) == QueueRun::Ran) {
                slot->claimed = slot->next;
                // Read in the same transaction, not in one of its own.
                auto claimedRow = std::make_shared<JobRow>();
                if (ReadRow(slot->next, claimedRow.get(), false))
                    slot->claimedRow = std::move(claimedRow);
            }
        }
        return OraResult{};
    };
    // The job's own changes are committed (or, when it failed, undone) in
    // the SQLite transaction that books the run: a crash never keeps the
    // one without the other. A commit that fails makes the run a failure,
    // booked with its work undone.
    for (;;) {
        OraResult ended;
        int64_t holder = 0;
        {
            const auto turn = WriterTurn(db, slot ? slot->writers : nullptr);
            ended = core.CommitWith(book, !r.Ok(), {{"cat_jobs", job}}, &holder);
        }
        if (holder != 0) {
            // Another transaction holds the job's row: its end is waited for
            // outside the process's turn.
            if (OraResult waited = core.WaitForTransaction(holder); !waited.Ok()) {
                release();
                return waited;
            }
            continue;
        }
        if (ended.Ok() || !r.Ok()) {
            if (!ended.Ok())
                release();
            return r.Ok() ? ended : r;
        }
        r = ended; // the job's work was not kept: a failed run
        if (slot) {
            slot->claimed = 0; // nor the next claim
            slot->claimedRow.reset();
        }
    }
}

} // namespace VkOracle
