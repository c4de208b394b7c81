#include "data/SqlText.h"

#include "common/Error.h"

#include <QRegularExpression>

namespace lobrix::data {
namespace {

bool isIdentChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'$';
}

// Splits at commas that are not inside parentheses or quotes.
QStringList splitTopLevel(const QString &text)
{
    QStringList parts;
    int depth = 0;
    QChar quote;
    QString current;
    for (QChar c : text) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'\'' || c == u'"' || c == u'`' || c == u'[') {
            quote = c == u'[' ? QChar(u']') : c;
        } else if (c == u'(') {
            ++depth;
        } else if (c == u')') {
            --depth;
        } else if (c == u',' && depth == 0) {
            parts << current.trimmed();
            current.clear();
            continue;
        }
        current += c;
    }
    if (!current.trimmed().isEmpty())
        parts << current.trimmed();
    return parts;
}

QString unquoteName(QString name)
{
    name = name.trimmed();
    if (name.size() >= 2) {
        const QChar f = name.front(), l = name.back();
        if ((f == u'\'' && l == u'\'') || (f == u'"' && l == u'"') || (f == u'`' && l == u'`') ||
            (f == u'[' && l == u']'))
            name = name.mid(1, name.size() - 2);
    }
    return name;
}

QString tableFileName(const QString &rawName)
{
    QString name = unquoteName(rawName);
    if (!name.contains(u'.'))
        name += QStringLiteral(".dbf");
    return name;
}

// One field definition "Name TYPE(...)".
DbfField parseFieldDefinition(const QString &definition)
{
    static const QRegularExpression re(
        QStringLiteral(R"(^\s*("[^"]+"|'[^']+'|`[^`]+`|\[[^\]]+\]|[^\s(]+)\s+(.+?)\s*$)"),
        QRegularExpression::DotMatchesEverythingOption);
    const auto m = re.match(definition);
    if (!m.hasMatch())
        throw Error(QStringLiteral("Ungültige Felddefinition: '%1'").arg(definition.trimmed()));
    return dbfFieldForSqlType(unquoteName(m.captured(1)), m.captured(2));
}

} // namespace

QString quoteDbfTableNames(const QString &sql)
{
    QString out;
    out.reserve(sql.size() + 16);
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql.at(i);
        // Literals and quoted names are copied unchanged.
        if (c == u'\'' || c == u'"' || c == u'`' || c == u'[') {
            const QChar close = c == u'[' ? QChar(u']') : c;
            qsizetype j = i + 1;
            while (j < n) {
                if (sql.at(j) == close) {
                    if (close != u']' && j + 1 < n && sql.at(j + 1) == close) {
                        j += 2; // doubled quote inside
                        continue;
                    }
                    break;
                }
                ++j;
            }
            j = std::min(j + 1, n);
            out += QStringView(sql).mid(i, j - i);
            i = j;
            continue;
        }
        if (c == u'-' && i + 1 < n && sql.at(i + 1) == u'-') {
            qsizetype j = sql.indexOf(u'\n', i);
            j = j < 0 ? n : j;
            out += QStringView(sql).mid(i, j - i);
            i = j;
            continue;
        }
        if (c == u'/' && i + 1 < n && sql.at(i + 1) == u'*') {
            qsizetype j = sql.indexOf(QStringLiteral("*/"), i + 2);
            j = j < 0 ? n : j + 2;
            out += QStringView(sql).mid(i, j - i);
            i = j;
            continue;
        }
        if (isIdentChar(c)) {
            qsizetype j = i;
            while (j < n && (isIdentChar(sql.at(j)) || sql.at(j) == u'.'))
                ++j;
            const QStringView word = QStringView(sql).mid(i, j - i);
            if (word.size() > 4 && word.endsWith(u".dbf", Qt::CaseInsensitive) &&
                !word.chopped(4).contains(u'.')) {
                out += u'"';
                out += word;
                out += u'"';
            } else {
                out += word;
            }
            i = j;
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

DbfField dbfFieldForSqlType(const QString &fieldName, const QString &typeText)
{
    const QString name = fieldName.trimmed();
    if (name.isEmpty() || name.size() > 10)
        throw Error(QStringLiteral("Ungültiger Feldname '%1': höchstens 10 Zeichen.").arg(name));
    static const QRegularExpression re(
        QStringLiteral(R"(^\s*([A-Za-z]+)\s*(?:\(\s*(\d+)\s*(?:,\s*(\d+)\s*)?\))?\s*$)"));
    const auto m = re.match(typeText);
    if (!m.hasMatch())
        throw Error(QStringLiteral("Unbekannter Feldtyp '%1' für Feld '%2'.")
                        .arg(typeText.trimmed(), name));
    const QString type = m.captured(1).toUpper();
    const bool hasP = !m.captured(2).isEmpty(), hasS = !m.captured(3).isEmpty();
    const int p = m.captured(2).toInt(), s = m.captured(3).toInt();
    DbfField f;
    f.name = name.toUpper();
    auto bad = [&]() {
        return Error(QStringLiteral("Unbekannter Feldtyp '%1' für Feld '%2'.")
                         .arg(typeText.trimmed(), name));
    };
    if (type == u"CHAR" || type == u"VARCHAR" || type == u"CHARACTER") {
        if (!hasP || hasS || p < 1 || p > 254)
            throw bad();
        f.type = 'C';
        f.length = p;
    } else if (type == u"NUMERIC" || type == u"DECIMAL" || type == u"FLOAT") {
        if (!hasP || p < 1 || p > 20 || (hasS && (s > 15 || s >= p)))
            throw bad();
        f.type = type == u"FLOAT" ? 'F' : 'N';
        f.length = p;
        f.decimals = hasS ? s : 0;
    } else if (type == u"SMALLINT" && !hasP) {
        f.type = 'N';
        f.length = 6;
    } else if (type == u"INTEGER" && !hasP) {
        f.type = 'N';
        f.length = 11;
    } else if (type == u"DATE" && !hasP) {
        f.type = 'D';
        f.length = 8;
    } else if (type == u"BOOLEAN" && !hasP) {
        f.type = 'L';
        f.length = 1;
    } else if ((type == u"BLOB" && hasP) || (type == u"MEMO" && !hasP)) {
        f.type = 'M';
        f.length = 10;
    } else {
        throw bad();
    }
    return f;
}

DdlStatement parseDdl(const QString &sql)
{
    DdlStatement st;
    static const QRegularExpression create(
        QStringLiteral(
            R"(^\s*CREATE\s+TABLE\s+("[^"]+"|'[^']+'|`[^`]+`|\[[^\]]+\]|[^\s(]+)\s*\((.*)\)\s*;?\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression alter(
        QStringLiteral(
            R"(^\s*ALTER\s+TABLE\s+("[^"]+"|'[^']+'|`[^`]+`|\[[^\]]+\]|\S+)\s+ADD\s+(?:COLUMN\s+)?(.+?)\s*;?\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression startsDdl(QStringLiteral(R"(^\s*(CREATE|ALTER)\s+TABLE\b)"),
                                              QRegularExpression::CaseInsensitiveOption);
    if (!startsDdl.match(sql).hasMatch())
        return st;
    if (const auto m = create.match(sql); m.hasMatch()) {
        st.kind = DdlStatement::Kind::CreateTable;
        st.table = tableFileName(m.captured(1));
        for (const QString &def : splitTopLevel(m.captured(2)))
            st.fields << parseFieldDefinition(def);
        if (st.fields.isEmpty())
            throw Error(QStringLiteral("CREATE TABLE ohne Felder: '%1'").arg(sql.trimmed()));
        return st;
    }
    if (const auto m = alter.match(sql); m.hasMatch()) {
        st.kind = DdlStatement::Kind::AlterTableAdd;
        st.table = tableFileName(m.captured(1));
        for (const QString &def : splitTopLevel(m.captured(2)))
            st.fields << parseFieldDefinition(def);
        return st;
    }
    throw Error(QStringLiteral("Ungültige SQL-Anweisung: '%1'").arg(sql.trimmed()));
}

QString dbaseColumnName(const QString &name)
{
    return name.toUpper().left(10);
}

} // namespace lobrix::data
