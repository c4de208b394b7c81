#pragma once
// Visits written straight into an installation's Besucher.dbf for the records tests, and
// what a statement reads back.
#include "data/SqlEngine.h"

#include <QString>
#include <QStringList>

#include <initializer_list>

namespace lobrix::test {

struct Visit {
    int vorgang;
    const char *ausweis, *name, *vorname, *firma, *tag, *kommt, *geht, *anwesend;
    const char *quittung = "nein";
};

inline void addVisits(const QString &db, std::initializer_list<Visit> visits)
{
    data::SqlEngine engine(db);
    for (const Visit &v : visits)
        engine.execute(QStringLiteral("Insert Into Besucher.dbf (Vorgang, Ausweis, Name, Vorname, Firma, Tag, "
                                      "Kommt, Geht, Anwesend, Quittung) Values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                       {v.vorgang, QString::fromUtf8(v.ausweis), QString::fromUtf8(v.name),
                        QString::fromUtf8(v.vorname), QString::fromUtf8(v.firma), QString::fromUtf8(v.tag),
                        QString::fromUtf8(v.kommt), QString::fromUtf8(v.geht), QString::fromUtf8(v.anwesend),
                        QString::fromUtf8(v.quittung)});
}

// The rows of a read-only statement, each as its values joined by "|".
inline QStringList rows(const QString &db, const QString &sql)
{
    data::SqlEngine engine(db, data::SqlEngine::Access::ReadOnly);
    data::SqlQuery q = engine.query(sql);
    QStringList out;
    while (q.next()) {
        QStringList r;
        for (int c = 0; c < q.columnCount(); ++c)
            r << q.text(c);
        out << r.join(u'|');
    }
    return out;
}

} // namespace lobrix::test
