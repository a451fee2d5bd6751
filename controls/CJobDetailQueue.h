#pragma once
// What the job detail dialog needs of its queue: the logon details, the
// schemas and server version, and the three requests it sends. Every
// request answers later on context's thread; false when it could not be
// queued (no answer comes then).

#include "controls/CJobListData.h"
#include "framework/TwWorkerRequest.h"

#include <functional>
#include <string>
#include <vector>

class CJobListCtrl;
class QObject;

class CJobDetailQueue {
public:
    virtual ~CJobDetailQueue() = default;

    virtual std::string Host() const = 0;
    virtual std::string UserName() const = 0;
    virtual std::string Password() const = 0;
    virtual std::vector<std::string> SchemaNames() const = 0;
    virtual long ServerMajorVersion() const = 0;

    // Parses a PL/SQL statement without running it; fails with the server's text.
    virtual bool TestSql(const std::string& statement, QObject* context, TwReplyCallback reply) = 0;
    // Runs a query; its first row comes as the outcome's evaluation.
    virtual bool Evaluate(const std::string& query, QObject* context, TwReplyCallback reply) = 0;
    // Saves the job (changed when its number is in the queue, else submitted);
    // the outcome's number is the job's number.
    virtual bool SaveJob(const CJobListData& job, QObject* context, TwReplyCallback reply) = 0;
    // Calls handler on context's thread after each refresh of the queue,
    // while context lives. A queue that does not refresh never calls it.
    virtual void WhenRefreshed(QObject* context, std::function<void()> handler)
    {
        (void)context;
        (void)handler;
    }
};

// The queue of a job list control.
class CJobListDetailQueue : public CJobDetailQueue {
public:
    explicit CJobListDetailQueue(CJobListCtrl& list) : m_list(list) {}

    std::string Host() const override;
    std::string UserName() const override;
    std::string Password() const override;
    std::vector<std::string> SchemaNames() const override;
    long ServerMajorVersion() const override;
    bool TestSql(const std::string& statement, QObject* context, TwReplyCallback reply) override;
    bool Evaluate(const std::string& query, QObject* context, TwReplyCallback reply) override;
    bool SaveJob(const CJobListData& job, QObject* context, TwReplyCallback reply) override;
    void WhenRefreshed(QObject* context, std::function<void()> handler) override;

private:
    CJobListCtrl& m_list;
};
