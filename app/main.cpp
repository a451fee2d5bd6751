#include "app/CQuorvaneApp.h"
#include "app/CQuorvaneScreenshot.h"
#include "framework/TwMainFrame.h"

#include <QApplication>

#include <cstdio>

// The program: one application object, started, run and ended.
int main(int argc, char** argv)
{
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    CQuorvaneApp app;
    if (!app.InitInstance(qapp.arguments().mid(1))) {
        app.ExitInstance();
        return 1;
    }
    // An embedded or automated start has no window and nothing to serve.
    if (app.CommandLine().IsEmbeddedOrAutomated())
        return app.ExitInstance();
    int result = 0;
    if (!app.CommandLine().m_screenshotPath.isEmpty()) {
        CQuorvaneScreenshot shot(app.MainFrame(), app.CommandLine().m_screenshotPath);
        result = shot.Run();
        if (result != 0)
            std::fprintf(stderr, "quorvane: cannot write the screenshot to %s\n",
                         app.CommandLine().m_screenshotPath.toLocal8Bit().constData());
    } else {
        result = qapp.exec();
    }
    const int exitCode = app.ExitInstance();
    return result != 0 ? result : exitCode;
}
