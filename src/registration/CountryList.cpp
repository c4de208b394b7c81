#include "registration/CountryList.h"

#include "common/Error.h"
#include "common/TextFile.h"
#include "data/DbfTable.h"

namespace lobrix::registration {

namespace {

char16_t foldAsciiLetter(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

} // namespace

CountryList::CountryList(QString databaseFolder) : m_folder(std::move(databaseFolder)) {}

QString CountryList::path() const
{
    return data::DbfTable::resolve(m_folder, QString::fromLatin1(FileName));
}

QStringList CountryList::open()
{
    TextFile::ReadStatus status = TextFile::ReadStatus::Failed;
    const QStringList lines = TextFile::readLines(path(), &status);
    if (status == TextFile::ReadStatus::Ok) {
        m_countries = lines;
        return m_countries;
    }
    if (status == TextFile::ReadStatus::Missing) {
        try {
            const auto guard = lock().acquire();
            // Another workstation may have created it while we waited.
            TextFile::readLines(path(), &status);
            if (status == TextFile::ReadStatus::Missing)
                TextFile::writeLines(path(), m_countries);
        } catch (const Error &) {
            // The form works without the file; the next opening tries again.
        }
    }
    // A file that is there but cannot be read now is left alone: writing the list held
    // here would drop what other workstations added.
    return m_countries;
}

bool CountryList::update(const QString &country)
{
    if (isBlank(country))
        return false;
    const auto guard = lock().acquire();
    TextFile::ReadStatus status = TextFile::ReadStatus::Failed;
    const QStringList lines = TextFile::readLines(path(), &status);
    if (status == TextFile::ReadStatus::Failed)
        throw Error(QStringLiteral("Die Datei '%1' konnte nicht gelesen werden; das Land wird "
                                   "nicht eingetragen.")
                        .arg(path()));
    if (status == TextFile::ReadStatus::Ok)
        m_countries = lines;
    if (!addTo(m_countries, country))
        return false;
    TextFile::writeLines(path(), m_countries);
    return true;
}

data::FolderLock CountryList::lock() const
{
    return data::FolderLock(m_folder, data::FolderLock::Resource::CountryList);
}

bool CountryList::isBlank(const QString &country)
{
    // Any number of spaces: a country of blanks is no entry of the list.
    for (QChar c : country) {
        if (c != u' ')
            return false;
    }
    return true;
}

bool CountryList::sameCountry(const QString &a, const QString &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (foldAsciiLetter(a.at(i).unicode()) != foldAsciiLetter(b.at(i).unicode()))
            return false;
    }
    return true;
}

bool CountryList::addTo(QStringList &list, const QString &country)
{
    if (isBlank(country))
        return false;
    for (const QString &line : list) {
        if (sameCountry(line, country))
            return false;
    }
    list.append(country);
    return true;
}

} // namespace lobrix::registration
