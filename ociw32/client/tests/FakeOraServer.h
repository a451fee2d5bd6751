#pragma once
// A small stand-in for the engine that serves canned statements, so that the
// call interface can be tested on its own:
//   SELECT * FROM ROWS<n>   n rows: ID NUMBER(6) NOT NULL (1..n), NAME
//                           VARCHAR2(10) ('ROW<i>'), NOTE VARCHAR2(20) (NULL
//                           on every third row), D DATE (2001-01-01 + i days)
//   SELECT VALUES           one row of assorted values (see kValues)
//   SELECT :A, :B FROM DUAL one row echoing the bound values
//   UPDATE <n>              DML touching n rows
//   CREATE ...              DDL, counted in ddlRuns
//   BEGIN ... END;          a block: every bind named OUT<x> receives IN<x> * 2
//                           (numbers) or IN<x> twice (texts)
//   SELECT SLOW             a fetch that waits until Break
//   LOST / KILLED           execution fails with ORA-03113 / ORA-00028
// Anything else fails with ORA-00900 at offset 0; "SELECT FROM" with 936 at 7.
// Logons: SCOTT/TIGER; LOCKED gets ORA-28000; database DOWN ORA-01034.

#include "ociw32/server/OraServer.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace fake {

// The values of "SELECT VALUES", in select-list order.
std::vector<VkOracle::OraValue> Values();
std::vector<VkOracle::OraColumnDesc> ValueColumns();

class FakeOraServer final : public VkOracle::OraServer {
public:
    VkOracle::OraResult Logon(const VkOracle::OraDatabaseRef& db, const std::string& user,
                              const std::string& password,
                              std::unique_ptr<VkOracle::OraSession>* session) override;
    VkOracle::OraResult CreateDatabase(const VkOracle::OraDatabaseRef&, const std::string&) override { return {}; }
    VkOracle::OraResult LoadDemoContent(const VkOracle::OraDatabaseRef&) override { return {}; }
    VkOracle::OraResult Startup(const VkOracle::OraDatabaseRef&) override { return {}; }
    VkOracle::OraResult Shutdown(const VkOracle::OraDatabaseRef&, VkOracle::OraShutdownMode) override { return {}; }
    std::string Status(const VkOracle::OraDatabaseRef&) override { return "OPEN 10.2.0.1.0"; }
    VkOracle::OraResult SetClock(const VkOracle::OraDatabaseRef&, const VkOracle::OraClockSetting&) override { return {}; }

    std::atomic<int> ddlRuns{0};
    std::atomic<int> commits{0};
    std::atomic<int> liveSessions{0};
    std::mutex sidMutex;
    std::string lastSid;

    // Set when a SLOW fetch has started waiting.
    std::mutex slowMutex;
    std::condition_variable slowStarted;
    bool slowWaiting = false;
};

} // namespace fake
