#include "framework/TwRecentPalettes.h"

#include "framework/TwSettings.h"
#include "framework/TwStrings.h"

#include <QFileInfo>

namespace {

std::string ValueName(int n)
{
    return TwStrings().Format(IDS_TW_RECENT_VALUE, long(n));
}

bool Listed(const std::vector<TwRecentPalette>& list, const QString& path)
{
    // Exact comparison: on this system two names differing in case are two
    // files.
    for (const TwRecentPalette& entry : list)
        if (entry.path == path)
            return true;
    return false;
}

} // namespace

std::vector<TwRecentPalette> TwRecentPalettes::Update(TwSettings& settings, const QString& newPath,
                                                      const QString& newTitle)
{
    const std::string section = TwStrings().Load(IDS_TW_RECENT_PALETTES);
    std::vector<TwRecentPalette> list;
    if (!newPath.isEmpty())
        list.push_back({newPath, newTitle});
    for (int n = 1; n <= kMax; ++n) {
        const QString value = QString::fromStdString(settings.GetString(section.c_str(), ValueName(n).c_str(), ""));
        const qsizetype bar = value.indexOf(QLatin1Char('|'));
        const QString path = bar < 0 ? value : value.left(bar);
        const QString title = bar < 0 ? QString() : value.mid(bar + 1);
        if (path.isEmpty() || Listed(list, path) || !QFileInfo(path).isFile())
            continue;
        list.push_back({path, title});
    }
    if (list.size() > std::size_t(kMax))
        list.resize(kMax);
    for (int n = 1; n <= kMax; ++n) {
        const std::string value = n <= int(list.size())
                                      ? (list[n - 1].path + QLatin1Char('|') + list[n - 1].title).toStdString()
                                      : std::string();
        settings.SetString(section.c_str(), ValueName(n).c_str(), value);
    }
    settings.UpdateNow();
    return list;
}

QString TwRecentPalettes::MenuText(int n, const TwRecentPalette& entry)
{
    return QString::fromStdString(TwStrings().Format(IDS_TW_RECENT_ITEM, long(n), entry.title.toUtf8().constData(),
                                                          entry.path.toUtf8().constData()));
}
