#pragma once
// The grid's status bar: the worker's status text (with its tip), the
// server version, the server time of the last run and the status image
// (animated while connecting and running).

#include "gridview/TwQuillGridMessages.h"

#include <QWidget>

class QLabel;
class TwStatusImagePane;

class TwQuillGridStatusCtrl : public QWidget {
    Q_OBJECT

public:
    explicit TwQuillGridStatusCtrl(QWidget* parent = nullptr);

    void ApplyStatus(const TwGridStatusRecord& status);
    void SetVersion(const std::string& version);
    void SetServerTime(DATE serverTime);

    QString StatusText() const;
    QString StatusTip() const;
    LONG Image() const;
    TwStatusImagePane* ImagePane() const { return m_image; }
    QString VersionText() const;

signals:
    // A double-click on the status bar while not connected.
    void reconnectRequested();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QLabel* m_text;
    QLabel* m_version;
    QLabel* m_time;
    TwStatusImagePane* m_image;
};
