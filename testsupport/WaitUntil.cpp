#include "testsupport/WaitUntil.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>

namespace qvtest {

bool WaitUntil(const std::function<bool()>& done, int limitMs)
{
    QDeadlineTimer limit(limitMs);
    while (!done()) {
        if (limit.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

} // namespace qvtest
