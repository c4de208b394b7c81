#include "layouts/LayoutLocations.h"

#include <algorithm>

#include "data/DbfTable.h"
#include "common/IniFile.h"
#include "shell/SettingsKeys.h"

#include <QDir>

namespace lobrix::layouts {
namespace {

IniFile settingsOf(const QString &startFolder)
{
    return IniFile(
        QDir(startFolder).filePath(QString::fromLatin1(shell::keys::SettingsFile)));
}

} // namespace

QString LayoutLocations::inFolder(const QString &folder, const QString &fileName)
{
    return data::DbfTable::resolve(folder, fileName);
}

QString LayoutLocations::standardBadge(const QString &startFolder)
{
    return inFolder(startFolder, QString::fromLatin1(StandardBadgeFile));
}

QString LayoutLocations::publishedBadge(const QString &databaseFolder)
{
    return inFolder(databaseFolder, QString::fromLatin1(StandardBadgeFile));
}

QString LayoutLocations::visitorSheet(const QString &startFolder)
{
    return inFolder(startFolder, shell::keys::read(settingsOf(startFolder),
                                                   shell::keys::settings::BesucherscheinPfad));
}

QString LayoutLocations::badgeWorkingCopy(const QString &startFolder)
{
    return inFolder(startFolder, QString::fromLatin1(BadgeWorkingCopyFile));
}

QString LayoutLocations::sheetWorkingCopy(const QString &startFolder)
{
    return inFolder(startFolder, QString::fromLatin1(SheetWorkingCopyFile));
}

QStringList LayoutLocations::badgeTypes(const QString &databaseFolder)
{
    const QStringList files = QDir(databaseFolder)
                                  .entryList({QStringLiteral("Ausweis*.ini")}, QDir::Files,
                                             QDir::Name | QDir::IgnoreCase);
    QStringList types;
    for (const QString &file : files)
        types.append(file.chopped(4));
    return types;
}

QString LayoutLocations::badgeLayout(const QString &startFolder, const QString &databaseFolder,
                                     const QString &badgeType)
{
    if (badgeType.isEmpty())
        return standardBadge(startFolder);
    return inFolder(databaseFolder, badgeType + QStringLiteral(".ini"));
}

QString LayoutLocations::imagesFolder(const QString &startFolder)
{
    return shell::keys::read(settingsOf(startFolder), shell::keys::settings::BilderPfad,
                             startFolder);
}

QString LayoutLocations::picture(const QString &imagesFolder, const QString &pfad)
{
    return inFolder(imagesFolder, pfad);
}

std::optional<QString> LayoutLocations::badgeTypeFileName(const QString &chosen)
{
    QString name = chosen.mid(chosen.lastIndexOf(u'/') + 1);
    static const QString forbidden = QStringLiteral("\\:*?\"<>|");
    if (name.isEmpty() ||
        std::any_of(name.begin(), name.end(), [](QChar c) { return forbidden.contains(c) || c.unicode() < 32; }))
        return std::nullopt;
    if (name.left(8) != u"Ausweis ")
        name.prepend(QStringLiteral("Ausweis "));
    if (name.right(4) != u".ini")
        name.append(QStringLiteral(".ini"));
    return name;
}

} // namespace lobrix::layouts
