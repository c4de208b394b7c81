#pragma once
// A fresh installation with a session at a fixed moment, and plain readers of what the
// visit services leave on disk (table rows, log lines, Global.ini), independent of them.
#include "TestInstallation.h"

#include "common/Clock.h"
#include "common/TextFile.h"
#include "data/DbfTable.h"
#include "common/IniFile.h"
#include "shell/Session.h"
#include "shell/SettingsKeys.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QMap>

#include <memory>

namespace lobrix::test {

using Row = QMap<QString, QString>; // upper-case field name -> text

class DeskFixture {
public:
    // A copy of one fresh installation made for the whole run (making one takes a second
    // of disk syncs), with `badges` free badges 1, 2, ... in its pool.
    explicit DeskFixture(int badges = 100, const QDateTime &now = defaultNow()) : clock(now)
    {
        static const TestInstallation pristine(0);
        copyFolder(pristine.startFolder(), startFolder());
        copyFolder(pristine.databaseFolder(), db());
        IniFile settings(data::DbfTable::resolve(startFolder(), QStringLiteral("settings.ini")));
        shell::keys::write(settings, shell::keys::settings::DatenbankPfad, db());
        shell::keys::write(settings, shell::keys::settings::ListenPfad, QDir(db()).filePath(QStringLiteral("Listen")));
        {
            auto pool = data::DbfTable::open(dbFile(QStringLiteral("Ausweis.dbf")));
            const int number = pool->fieldIndexOrThrow(QStringLiteral("Ausweis"));
            const int kommt = pool->fieldIndexOrThrow(QStringLiteral("Kommt"));
            for (int n = 1; n <= badges; ++n)
                pool->append({{number, QString::number(n)}, {kommt, QStringLiteral("25:00")}});
        }
        session = std::make_unique<shell::Session>(startFolder(), clock);
    }

    static QDateTime defaultNow() { return QDateTime(QDate(2026, 12, 10), QTime(8, 15, 30)); }

    QString startFolder() const { return m_dir.filePath(QStringLiteral("start")); }
    QString db() const { return m_dir.filePath(QStringLiteral("db")); }
    QString dbFile(const QString &name) const { return data::DbfTable::resolve(db(), name); }

    // Another workstation on the same database folder.
    std::unique_ptr<shell::Session> otherSession() const
    {
        return std::make_unique<shell::Session>(startFolder(), clock);
    }

    void setOption(const shell::keys::BoolKey &key, bool value)
    {
        shell::keys::write(session->settings(), key, value);
    }
    void setText(const shell::keys::TextKey &key, const QString &value)
    {
        shell::keys::write(session->settings(), key, value);
    }

    QList<Row> rows(const QString &table) const
    {
        auto t = data::DbfTable::open(dbFile(table), data::DbfTable::Mode::ReadOnly);
        QList<Row> out;
        for (int r = 0; r < t->recordCount(); ++r) {
            const data::DbfRecord record = t->read(r);
            if (data::DbfTable::isDeleted(record.constData()))
                continue;
            Row row;
            for (int f = 0; f < t->fields().size(); ++f)
                row.insert(t->fields().at(f).name.toUpper(), t->text(record.constData(), f));
            out << row;
        }
        return out;
    }

    void append(const QString &table, const Row &values) const
    {
        auto t = data::DbfTable::open(dbFile(table));
        data::DbfValues v;
        for (auto it = values.begin(); it != values.end(); ++it)
            v.append({t->fieldIndexOrThrow(it.key()), it.value()});
        t->append(v);
    }

    void update(const QString &table, int recno, const Row &values) const
    {
        auto t = data::DbfTable::open(dbFile(table));
        data::DbfValues v;
        for (auto it = values.begin(); it != values.end(); ++it)
            v.append({t->fieldIndexOrThrow(it.key()), it.value()});
        t->update(recno, v);
    }

    // The pool row of a badge (rows 0.. hold badges 1.. in a fresh installation).
    Row badge(int number) const
    {
        for (const Row &row : rows(QStringLiteral("Ausweis.dbf"))) {
            if (row.value(QStringLiteral("AUSWEIS")).toInt() == number)
                return row;
        }
        return {};
    }
    void occupy(int number, const QString &kommt, const QString &tag) const
    {
        update(QStringLiteral("Ausweis.dbf"), number - 1,
               {{QStringLiteral("Kommt"), kommt}, {QStringLiteral("Tag"), tag}});
    }

    QStringList logLines() const
    {
        return TextFile::readLines(dbFile(QStringLiteral("BesucherLog.log")));
    }
    QString global(const char *key) const
    {
        return IniFile(dbFile(QStringLiteral("Global.ini"))).readString(QStringLiteral("Global"),
                                                                               QString::fromLatin1(key));
    }
    QStringList countries() const { return TextFile::readLines(dbFile(QStringLiteral("Laender.ini"))); }

    // A fingerprint of every file of the database folder, to show that nothing changed.
    QMap<QString, QByteArray> snapshot() const
    {
        QMap<QString, QByteArray> out;
        const QDir dir(db());
        for (const QString &name : dir.entryList(QDir::Files)) {
            QFile f(dir.filePath(name));
            f.open(QIODevice::ReadOnly);
            QByteArray bytes = f.readAll();
            if (name.endsWith(QStringLiteral(".dbf"), Qt::CaseInsensitive) && bytes.size() > 4)
                bytes.remove(1, 3); // the header date of a table opened for writing
            out.insert(name, QCryptographicHash::hash(bytes, QCryptographicHash::Sha1));
        }
        return out;
    }

private:
    static void copyFolder(const QString &from, const QString &to)
    {
        QDir().mkpath(to);
        const QDir source(from);
        for (const QString &name : source.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
            if (QFileInfo(source.filePath(name)).isDir())
                copyFolder(source.filePath(name), QDir(to).filePath(name));
            else
                QFile::copy(source.filePath(name), QDir(to).filePath(name));
        }
    }
    QTemporaryDir m_dir;

public:
    FixedClock clock;
    std::unique_ptr<shell::Session> session;
};

// The workstation process of the tests with several workstations (helpers/desk_worker).
inline QString deskWorkerProgram()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("desk_worker"));
}

} // namespace lobrix::test
