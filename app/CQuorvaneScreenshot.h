#pragma once
// --screenshot FILE: waits until every queue window has finished its logon
// (at most 20 seconds, the event loop running meanwhile), renders the main
// window to a PNG and tells what it shows: one line per window, its title
// and, for a queue window, the number of jobs it lists, tab-separated.

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
    // True once no queue window is still connecting or loading.
    bool LogonsFinished() const;
    // The lines describing the open windows, main window first, then the
    // queue windows from the bottom-most up.
    QStringList Describe() const;

    static constexpr int kLogonWaitMs = 20000;

private:
    CQuorvaneApp* m_app;
    QString m_path;
};
