#pragma once
// Tests of request workers: start a request in its callback form and
// process events until its answer arrives, as a dialog would.

#include "framework/TwWorkerRequest.h"
#include "testsupport/WaitUntil.h"

#include <QObject>

#include <functional>
#include <memory>
#include <string>

namespace qvtest {

// start queues a request that answers to the given context and callback
// and returns whether it was queued. The outcome, or a failed one when
// nothing was queued or no answer came.
inline TwRequestOutcome AwaitReply(const std::function<bool(QObject*, TwReplyCallback)>& start)
{
    QObject context;
    TwRequestOutcome got;
    bool answered = false;
    auto reply = [&](TwRequestOutcome& outcome) {
        got = std::move(outcome);
        answered = true;
    };
    if (!start(&context, reply) || !WaitUntil([&] { return answered; }, 120000)) {
        got.failed = true;
        if (got.message.empty())
            got.message = "no answer";
    }
    return got;
}

} // namespace qvtest

namespace qvtest {

// A worker's syntax check, awaited: true when the statement parses, else
// error gets the message.
template <class Worker>
bool TestSql(Worker& worker, const std::string& statement, std::string& error)
{
    TwRequestOutcome outcome =
        AwaitReply([&](QObject* context, TwReplyCallback reply) { return worker.TestSql(statement, context, reply); });
    if (outcome.failed)
        error = outcome.message;
    return !outcome.failed;
}

// A worker's one-row evaluation, awaited: the row, or null and error.
template <class Worker>
std::unique_ptr<VkOracle::OCISession::OCIQueryData> Evaluate(Worker& worker, const std::string& query,
                                                             std::string& error)
{
    TwRequestOutcome outcome =
        AwaitReply([&](QObject* context, TwReplyCallback reply) { return worker.Evaluate(query, context, reply); });
    if (outcome.failed)
        error = outcome.message;
    return outcome.failed ? nullptr : std::move(outcome.evaluation);
}

} // namespace qvtest
