#include "app/CQuorvaneApp.h"
#include "app/CQuorvaneBatchAnswerer.h"
#include "app/CQuorvaneDemoPalette.h"
#include "app/CQuorvaneScreenshot.h"
#include "app/CQuorvaneStrings.h"
#include "framework/TwCommandLineInfo.h"
#include "framework/TwMainFrame.h"
#include "platform/VkSqliteSetup.h"

#include <QApplication>

#include <cstdio>
#include <memory>

namespace {

// --write-demo-palette: the demo palette, unless the user has a last one.
int WriteDemoPalette(CQuorvaneApp& app)
{
    if (!app.StartWithNewPalette()) {
        std::printf("quorvane: keeping the last palette %s\n", app.CurrentPalette()->Path().toLocal8Bit().constData());
        return 0;
    }
    QString path = app.CommandLine().m_demoPalettePath;
    if (path.isEmpty())
        path = CQuorvaneDemoPalette::DefaultPath();
    std::string reason;
    if (!CQuorvaneDemoPalette::Write(app, path, reason)) {
        std::fprintf(stderr, "quorvane: the demo palette could not be written to %s: %s\n",
                     path.toLocal8Bit().constData(), reason.c_str());
        return 1;
    }
    std::printf("quorvane: wrote the demo palette %s\n", app.CurrentPalette()->Path().toLocal8Bit().constData());
    return 0;
}

} // namespace

// The program: one application object, started, run and ended.
int main(int argc, char** argv)
{
    VkSetUpSqlite();
    // Help and version need no window system.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    TwCommandLineInfo early;
    early.Parse(args);
    if (early.m_showHelp) {
        std::fputs(QvStrings().Load(IDS_QV_USAGE).c_str(), stdout);
        return 0;
    }
    if (early.m_showVersion) {
        std::printf("%s\n", CQuorvaneApp::VersionText().toLocal8Bit().constData());
        return 0;
    }

    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    // Nobody answers questions in the batch modes.
    std::unique_ptr<CQuorvaneBatchAnswerer> batch;
    if (!early.m_screenshotPath.isEmpty() || early.m_writeDemoPalette)
        batch = std::make_unique<CQuorvaneBatchAnswerer>();
    CQuorvaneApp app;
    if (!app.InitInstance(qapp.arguments().mid(1))) {
        app.ExitInstance();
        return 1;
    }
    // An embedded or automated start has no window and nothing to serve.
    if (app.CommandLine().IsEmbeddedOrAutomated())
        return app.ExitInstance();
    int result = 0;
    if (app.CommandLine().m_writeDemoPalette) {
        result = WriteDemoPalette(app);
    } else if (!app.CommandLine().m_screenshotPath.isEmpty()) {
        CQuorvaneScreenshot shot(&app, app.CommandLine().m_screenshotPath);
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
