#include "app/CQuorvaneScreenshot.h"

#include "app/CQuorvaneApp.h"
#include "app/CQuorvaneDoc.h"
#include "app/CSchedulerCtrl.h"
#include "framework/CExplorerCtrl.h"
#include "framework/TwExplorerTool.h"
#include "framework/TwMDIClientWnd.h"
#include "framework/TwMainFrame.h"
#include "generic/VkDocTemplate.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QImage>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPixmap>
#include <QTreeWidget>

#include <functional>

namespace {

std::vector<CQuorvaneDoc*> Queues(const CQuorvaneApp* app)
{
    std::vector<CQuorvaneDoc*> queues;
    if (VkMultiDocTemplate* tpl = app ? app->FirstTemplate() : nullptr)
        for (VkDocument* doc : tpl->Documents())
            if (auto* queue = qobject_cast<CQuorvaneDoc*>(doc))
                queues.push_back(queue);
    return queues;
}

bool StillLoggingOn(const CQuorvaneDoc* doc)
{
    const QString& title = doc->GetTitle();
    return title == QLatin1String("Loading...") || title.endsWith(QLatin1String("- Connecting"));
}

// The jobs of a connected queue arrive a moment after its logon.
bool StillListing(const CQuorvaneDoc* doc)
{
    CSchedulerCtrl* control = doc->Control();
    return control && control->Connected() && control->Items() == 0;
}

} // namespace

bool CQuorvaneScreenshot::Save(QWidget* window, const QString& path)
{
    if (!window || path.isEmpty())
        return false;
    const QPixmap picture = window->grab();
    return !picture.isNull() && picture.save(path, "PNG");
}

bool CQuorvaneScreenshot::Save(QWidget* window, QWidget* tool, const QString& path)
{
    if (!tool)
        return Save(window, path);
    if (!window || path.isEmpty())
        return false;
    const QRect main = window->geometry();
    const QRect both = main.united(tool->geometry());
    QImage picture(both.size(), QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.drawPixmap(main.topLeft() - both.topLeft(), window->grab());
    painter.drawPixmap(tool->geometry().topLeft() - both.topLeft(), tool->grab());
    painter.end();
    return picture.save(path, "PNG");
}

QWidget* CQuorvaneScreenshot::ShownExplorer() const
{
    TwExplorerTool* tool = m_app ? m_app->ExplorerTool() : nullptr;
    QWidget* window = tool ? tool->Window() : nullptr;
    return window && window->isVisible() ? window : nullptr;
}

bool CQuorvaneScreenshot::LogonsFinished() const
{
    for (const CQuorvaneDoc* doc : Queues(m_app))
        if (StillLoggingOn(doc))
            return false;
    if (ShownExplorer() && m_app->ExplorerTool()->Control() && m_app->ExplorerTool()->Control()->Connecting())
        return false;
    return true;
}

QStringList CQuorvaneScreenshot::Describe() const
{
    QStringList lines;
    if (!m_app || !m_app->MainFrame())
        return lines;
    lines << m_app->MainFrame()->windowTitle();
    VkMultiDocTemplate* tpl = m_app->FirstTemplate();
    for (QMdiSubWindow* window : m_app->MDIFrame()->subWindowList(QMdiArea::StackingOrder)) {
        if (!window->isVisible())
            continue;
        auto* doc = tpl ? qobject_cast<CQuorvaneDoc*>(tpl->DocumentOfFrame(window)) : nullptr;
        QString line = window->windowTitle();
        if (doc)
            line += QLatin1Char('\t') + QString::number(doc->Control() ? doc->Control()->Items() : 0);
        lines << line;
    }
    if (QWidget* explorer = ShownExplorer())
        lines << explorer->windowTitle();
    return lines;
}

int CQuorvaneScreenshot::Run(std::FILE* out)
{
    if (!m_app)
        return 1;
    // The loop runs while we wait: the queues' logon messages arrive
    // through it.
    QDeadlineTimer limit(kLogonWaitMs);
    const auto waitFor = [&](const std::function<bool()>& done) {
        while (!done() && !limit.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    };
    waitFor([this] { return LogonsFinished(); });
    waitFor([this] {
        for (const CQuorvaneDoc* doc : Queues(m_app))
            if (StillListing(doc))
                return false;
        // The explorer's schemas arrive a moment after its logon too.
        if (QWidget* explorer = ShownExplorer()) {
            TwHost::CExplorerCtrl* control = m_app->ExplorerTool()->Control();
            auto* tree = explorer->findChild<QTreeWidget*>();
            if (control && control->Connected() && tree && tree->topLevelItemCount() == 0)
                return false;
        }
        return true;
    });
    // Lay out and paint what the last messages changed.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    if (!Save(m_app->MainFrame(), ShownExplorer(), m_path))
        return 1;
    for (const QString& line : Describe())
        std::fprintf(out, "%s\n", line.toLocal8Bit().constData());
    std::fflush(out);
    return 0;
}
