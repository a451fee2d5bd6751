#pragma once
// The help window: Back, Forward and Home on a tool bar, the folder's
// contents list beside the page, placed beside the window it helps.

#include "generic/VkHelpContents.h"

#include <QWidget>

#include <filesystem>

class QAction;
class QListWidget;
class QTextBrowser;
class QUrl;

class VkHelpViewer : public QWidget {
    Q_OBJECT
public:
    explicit VkHelpViewer(QWidget* owner);

    // Shows page, a topic of folder; the contents list follows the folder.
    void ShowPage(const std::filesystem::path& folder, const std::filesystem::path& page);

    // Places the window to the right of owner's window, or to its left when
    // the right does not fit the screen, else at the screen's right edge.
    void PlaceBeside(QWidget* owner);

    QAction* BackAction() const { return m_back; }
    QAction* ForwardAction() const { return m_forward; }
    QAction* HomeAction() const { return m_home; }
    QListWidget* Contents() const { return m_contents; }
    QTextBrowser* Browser() const { return m_browser; }

private:
    void FillContents();
    void PageChanged(const QUrl& url);

    std::filesystem::path m_folder;
    std::vector<VkHelpEntry> m_entries;
    QAction* m_back = nullptr;
    QAction* m_forward = nullptr;
    QAction* m_home = nullptr;
    QListWidget* m_contents = nullptr;
    QTextBrowser* m_browser = nullptr;
};
