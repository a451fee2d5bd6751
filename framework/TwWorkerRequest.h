#pragma once
// A request to a TwRequestWorker and what its caller gets back.

#include "framework/OCISession.h"
#include "platform/WinTypes.h"

#include <functional>
#include <memory>
#include <string>

// What a request got back: its own outcome, so that a late answer to a
// caller who gave up can never be taken for the next caller's.
struct TwRequestOutcome {
    bool failed = false;
    std::string message;
    double number = 0; // the job a submit or change made or changed
    std::unique_ptr<VkOracle::OCISession::OCIQueryData> evaluation;
};

// Called on the thread of the caller's context object (the interface
// thread) with the outcome, or with "Timed out waiting for a response."
// when none came in time; exactly once, never after the context is gone.
using TwReplyCallback = std::function<void(TwRequestOutcome& outcome)>;

class TwWorkerReply;

// One queued request; workers derive to carry more. Created by the poster,
// owned by the queue, then by the worker thread until handled.
struct TwWorkerRequest {
    virtual ~TwWorkerRequest() = default;
    LONG kind = 0;
    std::string text;
    std::string schema;
    // What the handler found beyond the last status (evaluation, job number).
    TwRequestOutcome outcome;
    // Set when someone waits for the answer.
    std::shared_ptr<TwWorkerReply> reply;
};
