#pragma once
// --screenshot FILE: waits until every queue window and a shown schema
// explorer have finished their logon (at most 20 seconds, the event loop
// running meanwhile), renders the main window (and the explorer over it
// where it stands) to a PNG and tells what it shows: one line per window,
// its title and, for a queue window, the number of jobs it lists,
// tab-separated.

#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdio>

class CQuorvaneApp;

class CQuorvaneScreenshot {
public:
    CQuorvaneScreenshot(CQuorvaneApp* app, QString path) : m_app(app), m_path(std::move(path)) {}

    // Waits, writes the picture and the lines to out; 0 on success.
    int Run(std::FILE* out = stdout);
    // Renders the window to the file now; false on failure.
    static bool Save(QWidget* window, const QString& path);
    // The same with a tool window drawn over it at its place on the screen.
    static bool Save(QWidget* window, QWidget* tool, const QString& path);
    // True once no queue window and no shown explorer is still connecting
    // or loading.
    bool LogonsFinished() const;
    // The lines describing the open windows, main window first, then the
    // queue windows from the bottom-most up, then a shown explorer.
    QStringList Describe() const;

    static constexpr int kLogonWaitMs = 20000;

private:
    // The explorer's window when it is shown, else null.
    QWidget* ShownExplorer() const;

    CQuorvaneApp* m_app;
    QString m_path;
};
