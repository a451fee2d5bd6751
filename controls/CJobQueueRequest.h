#pragma once
// The worker's private records: a queued request and a running job's
// thread. Only CJobQueueWorker's own files include this.

#include "controls/CJobQueueWorker.h"

struct CJobQueueWorker::Request : TwWorkerRequest {
    CJobListData job; // a copy, or a fresh record
};

struct CJobQueueWorker::RunThread {
    VkThread thread;
    // The run's session while it exists, for Stop() to interrupt.
    std::atomic<VkOracle::OCISession*> session{nullptr};
};
