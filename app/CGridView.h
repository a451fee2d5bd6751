#pragma once
// The view of a SQL grid window: it hosts one SQL grid control over its
// whole area, listens to the control's events through a sink, and retitles
// its document from the control's title.

#include "platform/WinTypes.h"

#include <QWidget>

class CGridDoc;
class CQuillView;

// Posted by the control's events to the view.
constexpr UINT UWM_GRID_LOGIN = 1725;
constexpr UINT UWM_GRID_TITLE = 1726;

class CGridView : public QWidget {
    Q_OBJECT

public:
    // Creates the control (an empty view when it cannot be created).
    explicit CGridView(CGridDoc* doc, QWidget* parent = nullptr);
    // Disconnects the sink and closes the control first.
    ~CGridView() override;

    QSize sizeHint() const override { return {760, 420}; }
    QSize minimumSizeHint() const override { return {200, 120}; }

    CGridDoc* GetDocument() const { return m_doc; }
    // Null when the control could not be created.
    CQuillView* Control() const { return m_control; }
    // Ends the control's work and disconnects the sink (window closing).
    void CloseControl();

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:

    CGridDoc* m_doc;
    CQuillView* m_control = nullptr; // a child
};
