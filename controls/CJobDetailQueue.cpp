#include "controls/CJobDetailQueue.h"

#include "controls/CJobListCtrl.h"
#include "controls/CJobListStatusCtrl.h"


std::string CJobListDetailQueue::Host() const
{
    return m_list.Worker().Host();
}

std::string CJobListDetailQueue::UserName() const
{
    return m_list.Worker().UserName();
}

std::string CJobListDetailQueue::Password() const
{
    return m_list.Worker().Password();
}

std::vector<std::string> CJobListDetailQueue::SchemaNames() const
{
    return m_list.Worker().SchemaUsers();
}

long CJobListDetailQueue::ServerMajorVersion() const
{
    return m_list.Worker().ServerMajorVersion();
}

bool CJobListDetailQueue::TestSql(const std::string& statement, QObject* context, TwReplyCallback reply)
{
    return m_list.Worker().TestSql(statement, context, std::move(reply));
}

bool CJobListDetailQueue::Evaluate(const std::string& query, QObject* context, TwReplyCallback reply)
{
    return m_list.Worker().Evaluate(query, context, std::move(reply));
}

bool CJobListDetailQueue::SaveJob(const CJobListData& job, QObject* context, TwReplyCallback reply)
{
    return m_list.SaveJob(job, false, context, std::move(reply));
}

void CJobListDetailQueue::WhenRefreshed(QObject* context, std::function<void()> handler)
{
    QObject::connect(&m_list, &CJobListCtrl::listInstalled, context, std::move(handler));
}
