#include "data/DatabaseMaintenance.h"

#include "data/DbfTable.h"
#include "data/Tables.h"

namespace lobrix::data {

int DatabaseMaintenance::separateVisits(const QString &databaseFolder)
{
    static const char *const copied[] = {
        "Ausweis", "Name", "Vorname", "Firma", "PANR", "KFZ", "Strasse", "PLZ",
        "Ort", "Land", "Telefon", "Bemerkung", "Ziel", "Quittung", "Quittiert", "Kommt",
        "Geht", "Tag", "Anwesend", "StammNR", "Nutzer", "GUELTIGVON", "GUELTIGBIS"};
    const QString visitsPath = DbfTable::resolve(databaseFolder, QString::fromLatin1(tables::Besucher));
    int moved = 0;
    {
        auto visits = DbfTable::open(visitsPath);
        auto target = DbfTable::open(DbfTable::resolve(databaseFolder, QString::fromLatin1(tables::Besucher2)));
        const int user = visits->fieldIndexOrThrow(columns::Nutzer);
        QVector<QPair<int, int>> map; // source field -> target field
        for (const char *name : copied)
            map.append({visits->fieldIndexOrThrow(QString::fromLatin1(name)),
                        target->fieldIndexOrThrow(QString::fromLatin1(name))});
        const int count = visits->recordCount();
        for (int recno = 0; recno < count; ++recno) {
            const DbfRecord record = visits->read(recno);
            if (DbfTable::isDeleted(record.constData()) ||
                visits->text(record.constData(), user) != QLatin1String("pfoertner"))
                continue;
            DbfValues values;
            for (const auto &[from, to] : map)
                values.append({to, visits->text(record.constData(), from)});
            target->append(values);
            visits->setDeleted(recno, true);
            ++moved;
        }
    }
    auto exclusive = DbfTable::open(visitsPath, DbfTable::Mode::Exclusive);
    exclusive->pack();
    return moved;
}

void DatabaseMaintenance::extendBadgesTo5000(const QString &databaseFolder)
{
    auto badges = DbfTable::open(DbfTable::resolve(databaseFolder, QString::fromLatin1(tables::Ausweis)));
    const int number = badges->fieldIndexOrThrow(columns::Ausweis);
    const int kommt = badges->fieldIndexOrThrow(columns::Kommt);
    for (int n = 1001; n <= 5000; ++n)
        badges->append({{number, QString::number(n)}, {kommt, QStringLiteral("25:00")}});
}

} // namespace lobrix::data
