#pragma once
// The program's command line: the platform's standard flags (with "/" or
// "-", any case), --screenshot FILE, --help, --version and
// --write-demo-palette [FILE]. Nothing else is acted on.

#include <QString>
#include <QStringList>

class TwCommandLineInfo {
public:
    enum Shell { FileNew, FileOpen, FilePrint, FilePrintTo, FileDDE, AppRegister, AppUnregister };

    // args without the program name.
    void Parse(const QStringList& args);

    bool m_bShowSplash = true;
    bool m_bRunEmbedded = false;
    bool m_bRunAutomated = false;
    Shell m_nShellCommand = FileNew;
    QString m_strFileName;
    // --screenshot FILE: render the main window to FILE and quit.
    QString m_screenshotPath;
    // --help / -h and --version: print and end.
    bool m_showHelp = false;
    bool m_showVersion = false;
    // --write-demo-palette [FILE]: write the demo palette (FILE, or Demo.qvp
    // in the documents folder when none follows) and end.
    bool m_writeDemoPalette = false;
    QString m_demoPalettePath;
    // Arguments that were not understood (kept for a warning).
    QStringList m_unknown;

    bool IsEmbeddedOrAutomated() const { return m_bRunEmbedded || m_bRunAutomated; }
};
