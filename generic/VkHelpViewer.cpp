#include "generic/VkHelpViewer.h"

#include "generic/VkStrings.h"

#include <QAction>
#include <QGuiApplication>
#include <QListWidget>
#include <QScreen>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyle>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

namespace {

std::filesystem::path LocalPath(const QUrl& url)
{
    return std::filesystem::path(url.toLocalFile().toStdString()).lexically_normal();
}

} // namespace

VkHelpViewer::VkHelpViewer(QWidget* owner) : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("VkHelpWindow"));
    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("helpToolBar"));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_back = bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), tr("Back"));
    m_forward = bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), tr("Forward"));
    m_home = bar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), tr("Home"));
    m_back->setShortcut(QKeySequence::Back);
    m_forward->setShortcut(QKeySequence::Forward);
    m_back->setEnabled(false);
    m_forward->setEnabled(false);

    auto* splitter = new QSplitter(this);
    m_contents = new QListWidget(splitter);
    m_contents->setObjectName(QStringLiteral("helpContents"));
    m_browser = new QTextBrowser(splitter);
    m_browser->setObjectName(QStringLiteral("helpPage"));
    m_browser->setOpenExternalLinks(true);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({170, 470});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(splitter, 1);
    resize(640, 520);

    connect(m_back, &QAction::triggered, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QAction::triggered, m_browser, &QTextBrowser::forward);
    connect(m_home, &QAction::triggered, this, [this] {
        if (!m_folder.empty())
            m_browser->setSource(QUrl::fromLocalFile(QString::fromStdString((m_folder / "index.html").string())));
    });
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, &VkHelpViewer::PageChanged);
    connect(m_contents, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row < static_cast<int>(m_entries.size())
            && LocalPath(m_browser->source()) != m_entries[static_cast<size_t>(row)].page)
            m_browser->setSource(
                QUrl::fromLocalFile(QString::fromStdString(m_entries[static_cast<size_t>(row)].page.string())));
    });
}

void VkHelpViewer::ShowPage(const std::filesystem::path& folder, const std::filesystem::path& page)
{
    const std::filesystem::path normal = folder.lexically_normal();
    if (normal != m_folder) {
        m_folder = normal;
        FillContents();
    }
    m_browser->setSource(QUrl::fromLocalFile(QString::fromStdString(page.string())));
}

void VkHelpViewer::FillContents()
{
    m_entries = VkHelpContents(m_folder);
    const QSignalBlocker block(m_contents);
    m_contents->clear();
    for (const VkHelpEntry& entry : m_entries) {
        auto* item = new QListWidgetItem(entry.title, m_contents);
        if (entry.level == 0) {
            QFont font = item->font();
            font.setBold(true);
            item->setFont(font);
        }
    }
}

// The browser announces a new page before source() reports it.
void VkHelpViewer::PageChanged(const QUrl& url)
{
    const QString title = m_browser->documentTitle();
    setWindowTitle(title.isEmpty() ? VkString(IDS_VK_HELP_CAPTION) : title);
    const std::filesystem::path page = LocalPath(url);
    const QSignalBlocker block(m_contents);
    m_contents->setCurrentRow(-1);
    for (size_t i = 0; i < m_entries.size(); ++i)
        if (m_entries[i].page == page)
            m_contents->setCurrentRow(static_cast<int>(i));
}

void VkHelpViewer::PlaceBeside(QWidget* owner)
{
    QWidget* main = owner ? owner->window() : nullptr;
    if (!main || !main->isVisible())
        return;
    const QRect frame = main->frameGeometry();
    QScreen* screen = main->screen() ? main->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : frame;
    const QSize size = this->size();
    QPoint at(frame.right() + 1, frame.top());
    if (at.x() + size.width() - 1 > area.right())
        at.setX(frame.left() - size.width());
    if (at.x() < area.left())
        at.setX(area.right() - size.width() + 1);
    at.setX(std::max(at.x(), area.left()));
    at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - size.height() + 1)));
    move(at);
}
