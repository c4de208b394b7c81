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
    bool ok = false;
    const QStringList lines = TextFile::readLines(path(), &ok);
    if (ok) {
        m_countries = lines;
    } else {
        try {
            TextFile::writeLines(path(), m_countries);
        } catch (const Error &) {
            // The form works without the file; the next opening tries again.
        }
    }
    return m_countries;
}

bool CountryList::update(const QString &country)
{
    bool ok = false;
    const QStringList lines = TextFile::readLines(path(), &ok);
    if (ok)
        m_countries = lines;
    if (!addTo(m_countries, country))
        return false;
    TextFile::writeLines(path(), m_countries);
    return true;
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
