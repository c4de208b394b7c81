#pragma once
// Brings the tables of a database folder in line with its structure file Struktur.txt:
// missing tables are created with their first field, missing fields are added. Nothing
// is ever removed or changed. Each run rewrites UpdateLog.txt with its own lines.
#include <QString>
#include <QStringList>

#include <functional>

namespace lobrix::data {

class StructureUpdate {
public:
    struct Result {
        QStringList logLines;     // as written to UpdateLog.txt
        QStringList createdTables;
        int addedFields = 0;
        bool stopped = false;     // the stop line was written
        QString message;          // shown to the user; empty when no table was created
    };

    static constexpr const char *kStructureFile = "Struktur.txt";
    static constexpr const char *kLogFile = "UpdateLog.txt";
    static const QString &stopLine();

    // showMessage receives the summary message when tables were created.
    static Result run(const QString &databaseFolder,
                      const std::function<void(const QString &)> &showMessage = {});
};

} // namespace lobrix::data
