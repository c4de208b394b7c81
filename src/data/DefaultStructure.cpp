#include "data/DefaultStructure.h"

#include "data/SqlText.h"

#include <QHash>
#include <QStringList>

namespace lobrix::data {
namespace {

struct Column {
    const char *name;
    const char *type;
};

// The person fields that visits, master data and pre-registrations share.
const Column kPerson[] = {
    {"Name", "CHAR(30)"},      {"Vorname", "CHAR(30)"}, {"Firma", "CHAR(40)"},
    {"PANR", "CHAR(20)"},      {"KFZ", "CHAR(10)"},     {"Strasse", "CHAR(40)"},
    {"PLZ", "CHAR(10)"},       {"Ort", "CHAR(30)"},     {"Land", "CHAR(40)"},
    {"Telefon", "CHAR(20)"},   {"Bemerkung", "CHAR(100)"},
};
const Column kInfo[] = {
    {"Info1", "CHAR(4)"}, {"Info2", "CHAR(4)"}, {"Info3", "CHAR(4)"}, {"Info4", "CHAR(4)"}};

QString line(const Column &c)
{
    return QString::fromLatin1(c.name) + u'=' + QString::fromLatin1(c.type);
}

template <typename Range> void addAll(QStringList &out, const Range &columns)
{
    for (const Column &c : columns)
        out << line(c);
}

void add(QStringList &out, std::initializer_list<Column> columns)
{
    for (const Column &c : columns)
        out << line(c);
}

QStringList visitColumns()
{
    QStringList out;
    add(out, {{"Vorgang", "CHAR(10)"}, {"Ausweis", "CHAR(4)"}});
    addAll(out, kPerson);
    add(out, {{"Ziel", "CHAR(100)"}});
    addAll(out, kInfo);
    add(out, {{"Quittung", "CHAR(4)"}, {"Quittiert", "CHAR(4)"}, {"Kommt", "CHAR(5)"},
              {"Geht", "CHAR(5)"}, {"Tag", "DATE"}, {"Anwesend", "CHAR(12)"},
              {"Nutzer", "CHAR(20)"}, {"GUELTIGVON", "CHAR(10)"}, {"GUELTIGBIS", "CHAR(10)"},
              {"StammNR", "CHAR(10)"}});
    return out;
}

} // namespace

QString DefaultStructure::structureText()
{
    QStringList out;
    out << QStringLiteral("[Besucher.dbf]") << visitColumns() << QString();

    out << QStringLiteral("[Besucher_2.dbf]");
    add(out, {{"Ausweis", "CHAR(4)"}});
    addAll(out, kPerson);
    add(out, {{"Ziel", "CHAR(100)"}, {"Quittung", "CHAR(4)"}, {"Quittiert", "CHAR(4)"},
              {"Kommt", "CHAR(5)"}, {"Geht", "CHAR(5)"}, {"Tag", "DATE"},
              {"Anwesend", "CHAR(12)"}, {"StammNR", "CHAR(10)"}, {"Nutzer", "CHAR(20)"},
              {"GUELTIGVON", "CHAR(10)"}, {"GUELTIGBIS", "CHAR(10)"}});
    out << QString();

    out << QStringLiteral("[Ausweis.dbf]");
    add(out, {{"Ausweis", "NUMERIC(5,0)"}, {"Kommt", "CHAR(5)"}, {"Tag", "DATE"}});
    out << QString();

    out << QStringLiteral("[Stamm.dbf]");
    add(out, {{"Ausweis", "NUMERIC(5,0)"}});
    addAll(out, kPerson);
    addAll(out, kInfo);
    add(out, {{"Quittung", "CHAR(4)"}, {"GUELTIGVON", "CHAR(10)"}, {"GUELTIGBIS", "CHAR(10)"},
              {"FOTO", "CHAR(100)"}});
    out << QString();

    out << QStringLiteral("[Voranmel.dbf]");
    add(out, {{"NR", "NUMERIC(10,0)"}});
    addAll(out, kPerson);
    add(out, {{"Ziel", "CHAR(100)"}, {"Ressourcen", "CHAR(100)"}});
    addAll(out, kInfo);
    add(out, {{"GUELTIGVON", "CHAR(10)"}, {"GUELTIGBIS", "CHAR(10)"}, {"Tag", "DATE"},
              {"Uhrzeit", "CHAR(5)"}, {"Vorgang", "CHAR(10)"}, {"Anwesend", "BOOLEAN"}});
    out << QString();

    out << QStringLiteral("[Fotos.dbf]");
    add(out, {{"Nummer", "CHAR(10)"}, {"Pfad", "CHAR(100)"}, {"TYP", "CHAR(1)"}});
    out << QString();

    out << QStringLiteral("[Ziele.dbf]");
    add(out, {{"Name", "CHAR(100)"}});
    return out.join(u'\n');
}

QVector<DbfField> DefaultStructure::printTableFields()
{
    // The visit's fields in the order external print documents expect them.
    static const char *const order[] = {
        "Vorgang", "Ausweis", "Name",     "Vorname", "Firma",     "PANR",       "KFZ",
        "Strasse", "PLZ",     "Ort",      "Land",    "Telefon",   "Bemerkung",  "Ziel",
        "Info1",   "Info2",   "Info3",    "Info4",   "Quittung",  "Kommt",      "Geht",
        "Anwesend", "Quittiert", "Tag",   "Nutzer",  "GUELTIGVON", "GUELTIGBIS"};
    QHash<QString, QString> types;
    for (const QString &l : visitColumns()) {
        const qsizetype eq = l.lastIndexOf(u'=');
        types.insert(l.left(eq).toUpper(), l.mid(eq + 1));
    }
    QVector<DbfField> fields;
    for (const char *name : order)
        fields << dbfFieldForSqlType(QString::fromLatin1(name),
                                     types.value(QString::fromLatin1(name).toUpper()));
    return fields;
}

} // namespace lobrix::data
