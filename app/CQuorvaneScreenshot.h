#pragma once
// --screenshot FILE: lets the event loop settle, renders the main window
// to a PNG and ends the loop.

#include <QPointer>
#include <QString>
#include <QWidget>

class CQuorvaneScreenshot {
public:
    CQuorvaneScreenshot(QWidget* window, QString path) : m_window(window), m_path(std::move(path)) {}

    // Runs the event loop until the picture is written; 0 on success.
    int Run();
    // Renders the window to the file now; false on failure.
    static bool Save(QWidget* window, const QString& path);

private:
    QPointer<QWidget> m_window;
    QString m_path;
};
