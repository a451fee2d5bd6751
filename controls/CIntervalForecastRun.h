#pragma once
// One forecast in progress: evaluates the interval step by step through a
// worker (never on the interface thread) and hands the dates and warnings
// to done, once, on the context's thread.

#include "controls/CIntervalForecast.h"
#include "framework/TwWorkerRequest.h"

#include <functional>
#include <string>
#include <vector>

class QObject;

struct CIntervalForecastResult {
    bool failed = false;
    std::string error;             // the server's text when failed
    std::vector<DATE> runs;        // the next date first, then one a step
    std::vector<CIntervalWarning> warnings;
    DATE serverNow = 0;
};

class CIntervalForecastRun {
public:
    // Queues a one-row query; answers through reply (the worker's Evaluate).
    using Evaluate = std::function<bool(const std::string& query, QObject* context, TwReplyCallback reply)>;
    using Done = std::function<void(const CIntervalForecastResult& result)>;

    // Forecasts up to runs dates (clamped to 1..100) of a job with interval
    // whose next date is what nextDateExpression gives now (a date literal,
    // "SYSDATE", or the job dialog's text). False when the first step could
    // not be queued; done is then never called.
    static bool Start(const Evaluate& evaluate, QObject* context, const std::string& interval,
                      const std::string& nextDateExpression, int runs, const Done& done);
    // The same for a next date (0: a new job, which would first run now).
    static bool Start(const Evaluate& evaluate, QObject* context, const std::string& interval, DATE nextDate,
                      int runs, const Done& done);
};
