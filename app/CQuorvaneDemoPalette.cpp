#include "app/CQuorvaneDemoPalette.h"

#include "app/CQuorvaneApp.h"
#include "app/CQuorvaneDoc.h"
#include "app/CQuorvaneStrings.h"
#include "app/CQuorvaneView.h"
#include "app/CSchedulerCtrl.h"
#include "framework/TwPalette.h"
#include "generic/VkDocTemplate.h"
#include "generic/VkPaths.h"

#include "platform/VkPrivateFiles.h"

#include <QFileInfo>
#include <QMdiSubWindow>

#include <filesystem>

namespace {

struct DemoQueue {
    const char* user;
    const char* password;
    const char* database;
    QRect window;
};

// Side by side, each wide enough for the job list's first columns.
const DemoQueue kQueues[] = {
    {"scott", "tiger", "DEMO", QRect(0, 0, 640, 420)},
    {"scott", "tiger", "LEGACY", QRect(640, 0, 640, 420)},
};

} // namespace

QString CQuorvaneDemoPalette::DefaultPath()
{
    return QString::fromStdString((VkPersonalFolder() / QvStrings().Load(IDS_QV_DEMO_FILE)).string());
}

bool CQuorvaneDemoPalette::Write(CQuorvaneApp& app, const QString& path, std::string& reason)
{
    VkMultiDocTemplate* tpl = app.FirstTemplate();
    TwPalette* palette = app.CurrentPalette();
    if (!tpl || !palette)
        return false;
    for (const DemoQueue& queue : kQueues) {
        // Opened like a saved queue: no logon dialog, the details come next.
        CQuorvaneDoc::OpeningSaved opening;
        auto* doc = static_cast<CQuorvaneDoc*>(tpl->OpenDocumentFile(true));
        CQuorvaneView* view = doc && !doc->Views().empty() ? doc->Views().front() : nullptr;
        CSchedulerCtrl* control = view ? view->Control() : nullptr;
        if (!control || !control->HasControl() || !control->SetLogon(queue.user, queue.password, queue.database)) {
            reason = QvStrings().Load(IDS_QV_DEMO_NO_CONTROL);
            return false;
        }
        doc->Frames().front()->setGeometry(queue.window);
    }
    palette->SetTitle(QString::fromStdString(QvStrings().Load(IDS_QV_DEMO_TITLE)));
    const QString target = QFileInfo(path).absoluteFilePath();
    VkCreatePrivateDirectories(QFileInfo(target).absolutePath().toStdString());
    if (!palette->WriteTo(app, target, reason))
        return false;
    palette->SetPath(target);
    return true;
}
