#include "generic/VkPaths.h"

#include "platform/DataRoot.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QStandardPaths>

#include <cstdlib>
#include <system_error>

std::filesystem::path VkProgramFolder()
{
    const QString dir = QCoreApplication::applicationDirPath();
    if (!dir.isEmpty())
        return std::filesystem::path(dir.toStdString());
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::current_path(error) : self.parent_path();
}

std::filesystem::path VkPersonalFolder()
{
    const char* root = std::getenv("QUORVANE_ROOT");
    if (!(root && *root)) {
        const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        std::error_code error;
        if (!docs.isEmpty() && std::filesystem::is_directory(docs.toStdString(), error))
            return docs.toStdString();
    }
    return VkDataRootDir("documents");
}

std::filesystem::path VkReplaceLastFolder(const std::filesystem::path& folder, const std::string& name)
{
    std::filesystem::path f = folder;
    if (!f.has_filename())
        f = f.parent_path(); // a trailing separator
    return f.parent_path() / name;
}

std::filesystem::path VkFirstFreeNumberedFile(const std::filesystem::path& folder, const std::string& stem,
                                              const std::string& ext)
{
    for (unsigned long n = 1;; ++n) {
        std::filesystem::path candidate = folder / (stem + std::to_string(n) + ext);
        std::error_code error;
        if (!std::filesystem::exists(candidate, error))
            return candidate;
    }
}

QString VkFitPathToWidth(const QString& path, const QFontMetrics& metrics, int width)
{
    if (metrics.horizontalAdvance(path) <= width)
        return path;
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    const QString name = slash >= 0 ? path.mid(slash) : path;
    QString head = slash >= 0 ? path.left(slash) : QString();
    const QString dots = QStringLiteral("...");
    while (!head.isEmpty()) {
        head.chop(1);
        const QString candidate = head + dots + name;
        if (metrics.horizontalAdvance(candidate) <= width)
            return candidate;
    }
    return metrics.elidedText(dots + name, Qt::ElideLeft, width);
}
