#include "registration/FormLists.h"

#include "data/SqlEngine.h"

#include <QDir>

namespace lobrix::registration {

QStringList FormLists::destinations(const QString &databaseFolder)
{
    data::SqlEngine sql(databaseFolder, data::SqlEngine::Access::ReadOnly);
    data::SqlQuery query = sql.query(QStringLiteral("Select *\nFrom Ziele.dbf\nOrder By Name"));
    const int name = query.columnIndex(QStringLiteral("Name"));
    QStringList out;
    while (query.next())
        out << query.text(name);
    return out;
}

QStringList FormLists::badgeLayouts(const QString &databaseFolder)
{
    QStringList out;
    const QStringList files = QDir(databaseFolder)
                                  .entryList({QStringLiteral("Ausweis*.ini")}, QDir::Files,
                                             QDir::Name | QDir::IgnoreCase);
    for (const QString &file : files)
        out << file.chopped(4);
    return out;
}

} // namespace lobrix::registration
