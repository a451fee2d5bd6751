#pragma once
// The view of a queue window: it hosts one job scheduler control over its
// whole area, listens to the control's OnLogin through an event sink, and
// retitles its document when a logon or log-off ended.

#include "platform/WinTypes.h"

#include <QWidget>

class CArchive;
class CQuorvaneDoc;
class CSchedulerCtrl;

// Posted by the control's OnLogin to the view when a logon or log-off ended.
constexpr UINT UWM_QUEUE_LOGIN = 1724;

class CQuorvaneView : public QWidget {
    Q_OBJECT

public:
    // Creates the control (an empty view when it cannot be created).
    explicit CQuorvaneView(CQuorvaneDoc* doc, QWidget* parent = nullptr);
    // Disconnects the sink and closes the control first.
    ~CQuorvaneView() override;

    // A new queue window opens at a size that shows several jobs.
    QSize sizeHint() const override { return {760, 360}; }
    QSize minimumSizeHint() const override { return {200, 120}; }

    CQuorvaneDoc* GetDocument() const { return m_doc; }
    // Null when the control could not be created.
    CSchedulerCtrl* Control() const;

    // The view's window record; after loading, the frame is asked to lay
    // its contents out again.
    void Serialize(CArchive& ar);
    // Ends the control's work and disconnects the sink (window closing).
    void CloseControl();

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:

    CQuorvaneDoc* m_doc;
    CSchedulerCtrl* m_control = nullptr; // a child
};
