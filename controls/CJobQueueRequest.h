#pragma once
// The worker's private records: a queued request and a running job's
// thread. Only CJobQueueWorker's own files include this.

#include "controls/CJobQueueWorker.h"

struct CJobQueueWorker::Request {
    LONG kind = ReqShutdown;
    std::string text;
    CJobListData job; // a copy, or a fresh record
    std::string schema;
    // Set for a waiting caller; shared so that an answer after the caller
    // gave up lands in a reply nobody reads.
    struct Reply {
        VkEvent done{true, false};
        CJobRequestOutcome outcome;
    };
    std::shared_ptr<Reply> reply;
};

struct CJobQueueWorker::RunThread {
    VkThread thread;
    // The run's session while it exists, for Stop() to interrupt.
    std::atomic<VkOracle::OCISession*> session{nullptr};
};
