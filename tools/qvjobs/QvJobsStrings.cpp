#include "tools/qvjobs/QvJobsStrings.h"

const VkStringTable& QvJobsStrings()
{
    static const VkStringTable table{
        {IDS_QJ_USAGE,
         "Usage: qvjobs COMMAND USER@ALIAS ...\n"
         "\n"
         "Works on the DBMS_JOB queue of a database without a window, with the\n"
         "program's own queries, export files, forecast and safe stop.\n"
         "\n"
         "  list USER@ALIAS [--all] [--tsv]         the jobs (--all: every user's, as an\n"
         "                                          administrator sees them; --tsv: tab-\n"
         "                                          separated with a heading line)\n"
         "  export USER@ALIAS FILE [JOB...]         the jobs (all, or those named) to an\n"
         "                                          export file (.qvx)\n"
         "  import USER@ALIAS FILE [--keep-numbers] [--broken]\n"
         "                                          the jobs of an export file as new jobs\n"
         "                                          (--keep-numbers: a job whose number the\n"
         "                                          queue has is changed instead; --broken:\n"
         "                                          created broken)\n"
         "  run USER@ALIAS JOB...                   runs the jobs now and waits for them\n"
         "  break USER@ALIAS JOB...                 marks the jobs broken\n"
         "  unbreak USER@ALIAS JOB...               marks the jobs not broken\n"
         "  remove USER@ALIAS JOB...                removes the jobs\n"
         "  stop USER@ALIAS JOB...                  stops the jobs safely: broken during the\n"
         "                                          kill, broken flag and next date put back\n"
         "  forecast USER@ALIAS JOB [-n N]          the next N (1 to 100, 10 by default) run\n"
         "                                          dates, one a line, YYYY-MM-DD HH24:MI:SS\n"
         "  diff USER@ALIAS USER@ALIAS              the jobs of two queues side by side:\n"
         "                                          '=' the same, '~' differing fields,\n"
         "                                          '<' first queue only, '>' second only\n"
         "  --help                                  this text\n"
         "\n"
         "Passwords are never given on the command line. qvjobs takes the password\n"
         "of the environment variable QVJOBS_PASSWORD when it is set (for scripts),\n"
         "else the one the program remembers for the user, else asks for it without\n"
         "echo when standard input is a terminal.\n"
         "\n"
         "Exit status: 0 done; 1 an operation failed (the server's message is on\n"
         "standard error); 2 bad arguments; 3 the logon failed; 4 (diff only) the\n"
         "queues differ.\n"},
        {IDS_QJ_UNKNOWN_COMMAND, "qvjobs: unknown command '%s'. Try qvjobs --help."},
        {IDS_QJ_MISSING_ARGUMENT, "qvjobs: %s needs %s. Try qvjobs --help."},
        {IDS_QJ_EXTRA_ARGUMENT, "qvjobs: %s does not take '%s'. Try qvjobs --help."},
        {IDS_QJ_UNKNOWN_OPTION, "qvjobs: %s has no option '%s'. Try qvjobs --help."},
        {IDS_QJ_BAD_TARGET, "qvjobs: '%s' is not USER@ALIAS."},
        {IDS_QJ_PASSWORD_IN_TARGET,
         "qvjobs: passwords are not taken from the command line; give USER@ALIAS and set QVJOBS_PASSWORD "
         "or let qvjobs ask."},
        {IDS_QJ_BAD_JOB, "qvjobs: '%s' is not a job number."},
        {IDS_QJ_BAD_RUNS, "qvjobs: -n takes a number from 1 to 100, not '%s'."},
        {IDS_QJ_NO_JOBS, "qvjobs: %s needs at least one job number."},
        {IDS_QJ_NO_PASSWORD,
         "qvjobs: no password for %s: set QVJOBS_PASSWORD, log on once in the program, or run qvjobs from a "
         "terminal."},
        {IDS_QJ_PASSWORD_PROMPT, "Password for %s@%s: "},
        {IDS_QJ_LOGON_FAILED, "qvjobs: cannot log on as %s to %s: %s"},
        {IDS_QJ_NOT_IN_QUEUE, "qvjobs: job %ld is not in the queue of %s@%s."},
        {IDS_QJ_JOB_FAILED, "qvjobs: job %ld: %s"},
        {IDS_QJ_DONE_RUN, "Job %ld ran."},
        {IDS_QJ_DONE_BREAK, "Job %ld is broken."},
        {IDS_QJ_DONE_UNBREAK, "Job %ld is no longer broken."},
        {IDS_QJ_DONE_REMOVE, "Job %ld removed."},
        {IDS_QJ_EXPORTED, "%ld job(s) written to %s."},
        {IDS_QJ_EXPORT_FAILED, "qvjobs: cannot write %s: %s"},
        {IDS_QJ_READ_FAILED, "qvjobs: cannot import %s: %s"},
        {IDS_QJ_IMPORTED, "%ld job(s) imported, %ld failed."},
        {IDS_QJ_IMPORT_ITEM_FAILED, "qvjobs: job %ld of the file: %s"},
        {IDS_QJ_LIST_FAILED, "qvjobs: cannot read the jobs of %s@%s: %s"},
        {IDS_QJ_FORECAST_FAILED, "qvjobs: cannot forecast job %ld: %s"},
        {IDS_QJ_WARNING, "qvjobs: warning: %s"},
        {IDS_QJ_LIST_HEADER, "JOB\tSCHEMA\tLAST_DATE\tNEXT_DATE\tBROKEN\tFAILURES\tINTERVAL\tWHAT"},
        {IDS_QJ_DIFF_SAME, "The queues hold the same jobs."},
        {IDS_QJ_DIFF_SUMMARY, "%ld the same, %ld differing, %ld in the first queue only, %ld in the second only."},
        {IDS_QJ_FIELD_INTERVAL, "interval"},
        {IDS_QJ_FIELD_NEXT, "next date"},
        {IDS_QJ_FIELD_BROKEN, "broken"},
        {IDS_QJ_FIELD_SCHEMA, "schema"},
        {IDS_QJ_NO_CLIENT, "qvjobs: the Oracle client library cannot be loaded."},
        {IDS_QJ_PASSWORD_VARIABLE, "QVJOBS_PASSWORD"},
    };
    return table;
}
