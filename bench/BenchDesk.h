#pragma once
// A working copy of the large installation for the desk benchmarks, in its folder "desk",
// made afresh for every run so that the installation itself is never changed. Its start
// folder points at the copied tables.
#include "common/IniFile.h"
#include "data/DbfTable.h"
#include "shell/SettingsKeys.h"

#include "BenchInstallation.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>

namespace lobrix::bench {

inline QString deskFolder() { return QDir(benchFolder()).filePath(QStringLiteral("desk")); }
inline QString deskStart() { return QDir(deskFolder()).filePath(QStringLiteral("start")); }
inline QString deskDb() { return QDir(deskFolder()).filePath(QStringLiteral("db")); }

inline void copyFiles(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    const QDir source(from);
    for (const QString &name : source.entryList(QDir::Files)) {
        QFile::remove(QDir(to).filePath(name));
        if (!QFile::copy(source.filePath(name), QDir(to).filePath(name))) {
            std::fprintf(stderr, "cannot copy %s\n", qPrintable(name));
            std::exit(1);
        }
    }
}

// A working copy of the installation whose start folder points at the copied tables.
inline void makeDesk()
{
    QDir(deskFolder()).removeRecursively();
    copyFiles(benchDb(), deskDb());
    copyFiles(QDir(benchFolder()).filePath(QStringLiteral("start")), deskStart());
    IniFile settings(QDir(deskStart()).filePath(QStringLiteral("settings.ini")));
    shell::keys::write(settings, shell::keys::settings::DatenbankPfad, deskDb());
    shell::keys::write(settings, shell::keys::settings::ListenPfad, deskDb());
}

// Sets every badge of the pool free ("25:00") or out since 08:00.
inline void setPool(bool free)
{
    auto pool = data::DbfTable::open(data::DbfTable::resolve(deskDb(), QStringLiteral("Ausweis.dbf")));
    const int kommt = pool->fieldIndexOrThrow(QStringLiteral("Kommt"));
    const int tag = pool->fieldIndexOrThrow(QStringLiteral("Tag"));
    for (int r = 0; r < pool->recordCount(); ++r)
        pool->update(r, {{kommt, free ? QStringLiteral("25:00") : QStringLiteral("08:00")},
                         {tag, free ? QString() : QStringLiteral("09.12.2026")}});
}

} // namespace lobrix::bench
