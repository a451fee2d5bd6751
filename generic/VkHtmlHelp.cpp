#include "generic/VkHtmlHelp.h"

#include "generic/VkHelpViewer.h"

#include <QPointer>
#include <QWidget>

#include <system_error>

namespace {

QPointer<VkHelpViewer> s_window;

bool IsFile(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// dir/name, or the entry of dir whose name matches name without regard to
// case (help paths are written in several spellings).
std::filesystem::path MatchEntry(const std::filesystem::path& dir, const std::string& name)
{
    std::error_code error;
    if (std::filesystem::exists(dir / name, error))
        return dir / name;
    const QString wanted = QString::fromStdString(name);
    for (const auto& entry : std::filesystem::directory_iterator(dir, error))
        if (QString::fromStdString(entry.path().filename().string()).compare(wanted, Qt::CaseInsensitive) == 0)
            return entry.path();
    return dir / name;
}

} // namespace

std::filesystem::path VkHelpTopicPath(const std::filesystem::path& helpFile, const std::string& topic)
{
    if (helpFile.empty())
        return {};
    const std::filesystem::path file = helpFile.lexically_normal();
    const std::filesystem::path dir = file.parent_path();
    const std::filesystem::path folder =
        MatchEntry(MatchEntry(dir.parent_path(), dir.filename().string()), file.stem().string());
    std::string relative = topic;
    for (char& c : relative)
        if (c == '\\')
            c = '/';
    while (!relative.empty() && relative.front() == '/')
        relative.erase(0, 1);
    if (relative.empty())
        relative = "index.html";
    // Topics never leave their folder.
    const std::filesystem::path rel = std::filesystem::path(relative).lexically_normal();
    if (rel.empty() || *rel.begin() == "..")
        return {};
    const std::filesystem::path base = folder / rel;
    for (const char* ext : {".html", ".htm"}) {
        std::filesystem::path candidate = base;
        candidate.replace_extension(ext);
        if (IsFile(candidate))
            return candidate;
    }
    return IsFile(base) ? base : std::filesystem::path();
}

bool VkShowHelpTopic(QWidget* owner, const std::filesystem::path& helpFile, const std::string& topic)
{
    const std::filesystem::path page = VkHelpTopicPath(helpFile, topic);
    if (page.empty())
        return false;
    const bool fresh = s_window.isNull();
    if (fresh) {
        // Owned by the outermost window, so that it outlives the dialog
        // that asked for it and closes with the program.
        QWidget* top = owner ? owner->window() : nullptr;
        while (top && top->parentWidget())
            top = top->parentWidget()->window();
        auto* window = new VkHelpViewer(top);
        window->setAttribute(Qt::WA_DeleteOnClose);
        s_window = window;
        window->PlaceBeside(top);
    }
    s_window->ShowPage(VkHelpTopicPath(helpFile, "").parent_path(), page);
    s_window->show();
    s_window->raise();
    return true;
}

bool VkHtmlHelp(QWidget* owner, const std::filesystem::path& helpFile, UINT command, const char* data)
{
    switch (command) {
    case HH_DISPLAY_TOPIC:
        return VkShowHelpTopic(owner, helpFile, data ? data : "");
    case HH_DISPLAY_TOC:
        return VkShowHelpTopic(owner, helpFile, "");
    case HH_CLOSE_ALL:
        if (!s_window.isNull())
            s_window->close();
        return true;
    default:
        return false;
    }
}

QWidget* VkHelpWindow()
{
    return s_window.data();
}
