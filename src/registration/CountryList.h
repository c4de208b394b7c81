#pragma once
// The country list of the visit form: Laender.ini in the database folder, a plain
// Windows text file with one country per line in the order of the drop-down list.
#include <QString>
#include <QStringList>

namespace lobrix::registration {

class CountryList {
public:
    static constexpr char FileName[] = "Laender.ini";

    explicit CountryList(QString databaseFolder);

    // The list when the form opens. A file that cannot be read is written (created) from
    // the list held from the last opening, which is empty at the first.
    QStringList open();
    // After a save: reads the file again (the list of the opening when that fails) and
    // appends the country unless it is blank or already listed. True when it was added.
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
    QString m_folder;
    QStringList m_countries;
};

} // namespace lobrix::registration
