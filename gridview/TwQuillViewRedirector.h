#pragma once
// The plain window between the grid control's own window and the grid
// view: it covers its parent and keeps the window it holds stretched over
// itself in both directions.

#include <QPointer>
#include <QWidget>

class TwQuillViewRedirector : public QWidget {
    Q_OBJECT

public:
    // Covers parent, following its size.
    explicit TwQuillViewRedirector(QWidget* parent);

    // The child stretched over the whole window (a child of this window).
    void SetStretched(QWidget* child);
    QWidget* Stretched() const { return m_stretched; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QPointer<QWidget> m_stretched;
};
