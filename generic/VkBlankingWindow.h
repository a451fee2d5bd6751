#pragma once
// Covers a window with a plain panel while it exists, so that the user does
// not watch a window being filled piece by piece.

#include <QPointer>
#include <QWidget>

class VkBlankingWindow {
public:
    // Covers target (nothing when null) with colour, painted at once.
    VkBlankingWindow(QWidget* target, const QColor& colour);
    ~VkBlankingWindow();
    VkBlankingWindow(const VkBlankingWindow&) = delete;
    VkBlankingWindow& operator=(const VkBlankingWindow&) = delete;

    // The covering panel; null when there was nothing to cover.
    QWidget* Panel() const { return m_panel; }

private:
    QPointer<QWidget> m_panel;
};
