#include "generic/VkHelpContents.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <set>
#include <system_error>

namespace {

QString ReadPage(const std::filesystem::path& page)
{
    QFile file(QString::fromStdString(page.string()));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // Topics are small; a runaway file only costs its first megabyte.
    return QString::fromUtf8(file.read(1 << 20));
}

bool IsTopic(const std::filesystem::path& path)
{
    const std::string ext = path.extension().string();
    return ext == ".html" || ext == ".htm";
}

// The canonical form of a link target inside folder; empty for anything
// outside it, external addresses and anchors.
std::filesystem::path LinkTarget(const std::filesystem::path& folder, const QString& href)
{
    if (href.isEmpty() || href.startsWith(QLatin1Char('#')) || href.contains(QLatin1String("://"))
        || href.startsWith(QLatin1String("mailto:")))
        return {};
    QString local = href.section(QLatin1Char('#'), 0, 0);
    local.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const std::filesystem::path rel = std::filesystem::path(local.toStdString()).lexically_normal();
    if (rel.empty() || rel.is_absolute() || *rel.begin() == "..")
        return {};
    const std::filesystem::path full = folder / rel;
    std::error_code error;
    if (!IsTopic(full) || !std::filesystem::is_regular_file(full, error))
        return {};
    return full;
}

} // namespace

QString VkHelpPageTitle(const std::filesystem::path& page)
{
    static const QRegularExpression title(QStringLiteral("<title>(.*?)</title>"),
                                          QRegularExpression::CaseInsensitiveOption
                                              | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = title.match(ReadPage(page));
    return match.hasMatch() ? match.captured(1).simplified() : QString();
}

std::vector<VkHelpEntry> VkHelpContents(const std::filesystem::path& helpFolder)
{
    const std::filesystem::path folder = helpFolder.lexically_normal();
    std::vector<VkHelpEntry> contents;
    const std::filesystem::path index = folder / "index.html";
    std::error_code error;
    if (!std::filesystem::is_regular_file(index, error))
        return contents;
    auto entry = [](const std::filesystem::path& page, int level) {
        QString title = VkHelpPageTitle(page);
        if (title.isEmpty())
            title = QString::fromStdString(page.stem().string());
        return VkHelpEntry{title, page, level};
    };
    contents.push_back(entry(index, 0));
    std::set<std::filesystem::path> seen{index};

    static const QRegularExpression link(QStringLiteral("<a\\s[^>]*href\\s*=\\s*\"([^\"]*)\""),
                                         QRegularExpression::CaseInsensitiveOption);
    for (auto it = link.globalMatch(ReadPage(index)); it.hasNext();) {
        const std::filesystem::path target = LinkTarget(folder, it.next().captured(1));
        if (!target.empty() && seen.insert(target).second)
            contents.push_back(entry(target, 1));
    }

    std::vector<VkHelpEntry> rest;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        const std::filesystem::path path = it->path().lexically_normal();
        if (IsTopic(path) && it->is_regular_file(error) && seen.insert(path).second)
            rest.push_back(entry(path, 1));
    }
    std::sort(rest.begin(), rest.end(), [](const VkHelpEntry& a, const VkHelpEntry& b) {
        const int order = a.title.compare(b.title, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.page < b.page;
    });
    contents.insert(contents.end(), rest.begin(), rest.end());
    return contents;
}
