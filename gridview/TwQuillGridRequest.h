#pragma once
// The grid worker's queued request. Only TwQuillGridWorker's own files
// include this.

#include "gridview/TwQuillGridWorker.h"

struct TwQuillGridWorker::Request {
    LONG kind = GvReqShutdown;
    std::string text;
    std::string schema;
    // Set for a waiting caller; shared so that an answer after the caller
    // gave up lands in a reply nobody reads.
    struct Reply {
        VkEvent done{true, false};
        TwGridRequestOutcome outcome;
    };
    std::shared_ptr<Reply> reply;
};
