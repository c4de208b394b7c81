#pragma once
// Visits written straight into an installation's Besucher.dbf for the report tests.
#include "data/SqlEngine.h"

#include <QString>

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

} // namespace lobrix::test
