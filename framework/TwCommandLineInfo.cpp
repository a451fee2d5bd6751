#include "framework/TwCommandLineInfo.h"

void TwCommandLineInfo::Parse(const QStringList& args)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--screenshot")) {
            if (i + 1 < args.size())
                m_screenshotPath = args[++i];
            else
                m_unknown << arg;
            continue;
        }
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            m_showHelp = true;
            continue;
        }
        if (arg == QLatin1String("--version")) {
            m_showVersion = true;
            continue;
        }
        if (arg == QLatin1String("--write-demo-palette")) {
            m_writeDemoPalette = true;
            m_bShowSplash = false;
            if (i + 1 < args.size() && !args[i + 1].startsWith(QLatin1Char('-')))
                m_demoPalettePath = args[++i];
            continue;
        }
        if (arg.startsWith(QLatin1String("--screenshot="))) {
            m_screenshotPath = arg.mid(13);
            continue;
        }
        const bool isFlag = arg.size() > 1 && (arg[0] == QLatin1Char('/') || arg[0] == QLatin1Char('-'));
        if (!isFlag) {
            if (m_strFileName.isEmpty())
                m_strFileName = arg;
            if (m_nShellCommand == FileNew)
                m_nShellCommand = FileOpen;
            continue;
        }
        const QString flag = arg.mid(1).toLower();
        if (flag == QLatin1String("embedding")) {
            m_bRunEmbedded = true;
            m_bShowSplash = false;
        } else if (flag == QLatin1String("automation")) {
            m_bRunAutomated = true;
            m_bShowSplash = false;
        } else if (flag == QLatin1String("p")) {
            m_nShellCommand = FilePrint;
        } else if (flag == QLatin1String("pt")) {
            m_nShellCommand = FilePrintTo;
        } else if (flag == QLatin1String("dde")) {
            m_nShellCommand = FileDDE;
        } else if (flag == QLatin1String("register") || flag == QLatin1String("regserver")) {
            m_nShellCommand = AppRegister;
        } else if (flag == QLatin1String("unregister") || flag == QLatin1String("unregserver")) {
            m_nShellCommand = AppUnregister;
        } else if (flag == QLatin1String("nologo")) {
            m_bShowSplash = false;
        } else {
            m_unknown << arg;
        }
    }
}
