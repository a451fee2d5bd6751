#pragma once
// The frame of every queue window: an MDI child that carries the queue
// icon, keeps its restored rectangle for the window record, and takes part
// in command routing.

#include "generic/VkCommand.h"

#include <QIcon>
#include <QMdiSubWindow>

class TwChildFrame : public QMdiSubWindow, public VkCommandTarget {
    Q_OBJECT
public:
    explicit TwChildFrame(QWidget* parent = nullptr);

    // The icon of all queue windows, set before the template is registered.
    static QIcon m_hIcon;

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void RememberNormalGeometry();
};
