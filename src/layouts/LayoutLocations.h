#pragma once
// Where the layout files and their pictures are: the standard badge layout, the visitor
// sheet layout and the designers' working copies in the start folder, the badge types
// ("Ausweis *.ini") and the published badge copy in the database folder, the pictures
// in the images folder. File names are found without regard to case, since folders
// come over from Windows installations.
#include <QString>
#include <QStringList>

#include <optional>

namespace lobrix::layouts {

class LayoutLocations
{
public:
    static constexpr char StandardBadgeFile[] = "Badge.ini";
    static constexpr char BadgeWorkingCopyFile[] = "tmpBadge.ini";
    static constexpr char SheetWorkingCopyFile[] = "tmpQuittung.ini";

    static QString standardBadge(const QString &startFolder);
    // The copy of the standard badge layout that other programs read; no printer does.
    static QString publishedBadge(const QString &databaseFolder);
    // Start folder + settings.ini [Besucherschein] Pfad ("Besucherschein.ini").
    static QString visitorSheet(const QString &startFolder);
    static QString badgeWorkingCopy(const QString &startFolder);
    static QString sheetWorkingCopy(const QString &startFolder);

    // The badge types of the database folder: the files matching "Ausweis*.ini", by
    // name without ".ini", in alphabetical order.
    static QStringList badgeTypes(const QString &databaseFolder);
    // The layout a badge prints from: the chosen badge type, or the standard badge
    // layout when none is chosen (the database folder has no badge type).
    static QString badgeLayout(const QString &startFolder, const QString &databaseFolder,
                               const QString &badgeType);

    // settings.ini [Bilder] Pfad, the start folder when it is not set.
    static QString imagesFolder(const QString &startFolder);
    // A picture item's file in the images folder.
    static QString picture(const QString &imagesFolder, const QString &pfad);

    // The file name a badge type is saved under, from the name chosen in the save dialog
    // (its folder left aside: badge types live in the database folder): "Gast", "Ausweis
    // Gast" and "Ausweis Gast.ini" all give "Ausweis Gast.ini". None for a name with a
    // backslash, a control character or one of : * ? " < > |, which Windows refuses.
    static std::optional<QString> badgeTypeFileName(const QString &chosen);

    // The file in the folder, found without regard to case.
    static QString inFolder(const QString &folder, const QString &fileName);
};

} // namespace lobrix::layouts
