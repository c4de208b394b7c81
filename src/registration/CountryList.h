#pragma once
// The country list of the visit form: Laender.ini in the database folder, a plain
// Windows text file with one country per line in the order of the drop-down list. It is
// changed under its folder lock, so entries added at once on two workstations both stay.
#include "common/TextFile.h"
#include "data/FolderLock.h"

#include <QString>
#include <QStringList>

namespace lobrix::registration {

class CountryList {
public:
    static constexpr char FileName[] = "Laender.ini";

    explicit CountryList(QString databaseFolder);

    // The list when the form opens. A missing file is created from the list held from the
    // last opening, which is empty at the first; one that is there but cannot be read is
    // left as it is and the list held is shown.
    QStringList open();
    // After a save: reads the file again under the lock (a missing file starts from the
    // list of the opening) and appends the country unless it is blank or already listed.
    // True when it was added. Throws lobrix::Error when the file is there but cannot be
    // read, or cannot be written.
    bool update(const QString &country);

    const QStringList &countries() const { return m_countries; }

    // Blank: nothing but spaces.
    static bool isBlank(const QString &country);
    // Equal when the letters a-z match without regard to case and every other character
    // matches exactly ("Polen" = "POLEN", but "österreich" != "Österreich").
    static bool sameCountry(const QString &a, const QString &b);
    // Appends the country to the list unless it is blank or listed; true when appended.
    static bool addTo(QStringList &list, const QString &country);

    QString path() const;

private:
    data::FolderLock lock() const;

    QString m_folder;
    QStringList m_countries;
};

} // namespace lobrix::registration
