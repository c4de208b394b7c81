// Deleting old visits and pre-registrations: the range, the badges of deleted visits, the
// pack (also while another workstation holds the table), `lobrix-admin purge`, and a
// purge killed at random points.
#include "ReportFixtures.h"
#include "TestFiles.h"
#include "TestInstallation.h"
#include "TestRegistry.h"

#include "common/TextFile.h"
#include "data/DbfTable.h"
#include "data/SqlEngine.h"
#include "data/TableScan.h"
#include "records/DataDeletion.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>
#include <QThread>

#include <csignal>

using namespace lobrix;
using namespace lobrix::records;
using namespace lobrix::test;

namespace {

QString day(int daysBack) { return QDate::currentDate().addDays(-daysBack).toString(QStringLiteral("dd.MM.yyyy")); }

// Badge n handed to the visit that arrived at `kommt` on `tag`.
void holdBadge(const QString &db, int number, const QString &kommt, const QString &tag)
{
    auto pool = data::DbfTable::open(data::DbfTable::resolve(db, QStringLiteral("Ausweis.dbf")));
    const int n = pool->fieldIndexOrThrow(QStringLiteral("Ausweis"));
    data::forEachRecord(*pool, [&](int recno, const char *record) {
        if (pool->text(record, n).trimmed() == QString::number(number))
            pool->update(recno, {{pool->fieldIndexOrThrow(QStringLiteral("Kommt")), kommt},
                                 {pool->fieldIndexOrThrow(QStringLiteral("Tag")), tag}});
    });
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QStringList badges(const QString &db)
{
    return rows(db, QStringLiteral("Select Ausweis, Kommt, Tag From Ausweis.dbf Where Kommt <> '25:00'"));
}

QString admin() { return QStringLiteral(LOBRIX_ADMIN_EXE); }

} // namespace

class DataDeletionTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestInstallation> m_inst;
    QString db() const { return m_inst->databaseFolder(); }

private slots:
    void init()
    {
        m_inst = std::make_unique<TestInstallation>(100);
        addVisits(db(), {{1, "5", "Alt", "A", "", "20.10.2005", "07:00", "08:00", "1:00"},
                         {2, "3", "Da", "B", "", "21.10.2005", "08:00", "", ""},
                         {3, "5", "Neu", "C", "", "22.10.2005", "09:00", "", ""},
                         {4, "7", "Fertig", "D", "", "21.10.2005", "10:00", "11:00", "1:00"}});
        holdBadge(db(), 3, QStringLiteral("08:00"), QStringLiteral("21.10.2005"));
        holdBadge(db(), 5, QStringLiteral("09:00"), QStringLiteral("22.10.2005"));
    }

    // A present visitor's badge goes back; an old visit's badge, now held by a newer visit,
    // stays; a day's range deletes exactly that day.
    void visitsOfADay()
    {
        QStringList status;
        const DeletionResult r = DataDeletion(db()).deleteRange(DeletionTarget::Visits, QDate(2005, 10, 21),
                                                               QDate(2005, 10, 21),
                                                               [&](const QString &d) { status << d; });
        QCOMPARE(r.deleted, 2);
        QCOMPARE(r.badgesFreed, 1);
        QVERIFY(r.packed);
        QCOMPARE(status, (QStringList{"21.10.2005", ""}));
        QCOMPARE(rows(db(), QStringLiteral("Select Vorgang From Besucher.dbf Order By Vorgang")), (QStringList{"1", "3"}));
        QCOMPARE(badges(db()), QStringList{"5|09:00|22.10.2005"});
        // Packed: the deleted records are gone from the file.
        QCOMPARE(data::DbfTable::open(data::DbfTable::resolve(db(), QStringLiteral("Besucher.dbf")))->recordCount(), 2);

        const DeletionResult old = DataDeletion(db()).deleteRange(DeletionTarget::Visits, QDate(2005, 10, 20),
                                                                 QDate(2005, 10, 20));
        QCOMPARE(old.deleted, 1);
        QCOMPARE(old.badgesFreed, 0);
        QCOMPARE(badges(db()), QStringList{"5|09:00|22.10.2005"});
    }

    void emptyRanges_data()
    {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::newRow("no visits then") << QDate(2005, 1, 1) << QDate(2005, 1, 31);
        QTest::newRow("von after bis") << QDate(2005, 10, 22) << QDate(2005, 10, 20);
    }
    void emptyRanges()
    {
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        const DeletionResult r = DataDeletion(db()).deleteRange(DeletionTarget::Visits, from, to);
        QCOMPARE(r.deleted, 0);
        QCOMPARE(rows(db(), QStringLiteral("Select count(*) From Besucher.dbf")), QStringList{"4"});
    }

    void preRegistrationsTouchNoBadge()
    {
        data::SqlEngine engine(db());
        for (const char *tag : {"21.10.2005", "21.10.2005", "23.10.2005"})
            engine.execute(QStringLiteral("Insert Into Voranmel.dbf (NR, Name, Tag) Values (1, 'Gast', ?)"),
                           {QString::fromLatin1(tag)});
        const QStringList before = badges(db());
        const DeletionResult r = DataDeletion(db()).deleteRange(DeletionTarget::PreRegistrations, QDate(2005, 10, 21),
                                                               QDate(2005, 10, 22));
        QCOMPARE(r.deleted, 2);
        QCOMPARE(badges(db()), before);
        QCOMPARE(rows(db(), QStringLiteral("Select Tag From Voranmel.dbf Where Tag >= '01.01.2005'")), QStringList{"23.10.2005"});
        QCOMPARE(rows(db(), QStringLiteral("Select count(*) From Besucher.dbf")), QStringList{"4"});
    }

    // Another workstation holds the table open: the records are deleted all the same and
    // the user is told that the file is compacted later.
    void packWhileAnotherWorkstationHoldsTheTable()
    {
        QProcess holder;
        holder.start(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("desk_worker")),
                     {QStringLiteral("hold"), m_inst->startFolder(), QStringLiteral("Besucher.dbf")});
        QVERIFY(holder.waitForStarted());
        QVERIFY(holder.waitForReadyRead(30000));
        QVERIFY(holder.readAllStandardOutput().contains("holding"));
        const DeletionResult r = DataDeletion(db()).deleteRange(DeletionTarget::Visits, QDate(2005, 10, 21),
                                                               QDate(2005, 10, 21));
        QCOMPARE(r.deleted, 2);
        QVERIFY(!r.packed);
        QVERIFY2(r.packMessage.contains(QStringLiteral("Besucher.dbf")), qPrintable(r.packMessage));
        QCOMPARE(rows(db(), QStringLiteral("Select Vorgang From Besucher.dbf Order By Vorgang")), (QStringList{"1", "3"}));
        QCOMPARE(badges(db()), QStringList{"5|09:00|22.10.2005"});
        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(30000));
        // The next deletion packs what is deleted.
        QVERIFY(DataDeletion(db()).deleteRange(DeletionTarget::Visits, QDate(2005, 1, 1), QDate(2005, 1, 2)).deleted == 0);
        DataDeletion(db()).deleteRange(DeletionTarget::Visits, QDate(2005, 10, 20), QDate(2005, 10, 20));
        QCOMPARE(data::DbfTable::open(data::DbfTable::resolve(db(), QStringLiteral("Besucher.dbf")))->recordCount(), 1);
    }

    // Everything more than DAYS days back, records without a day kept; one log line.
    void purgeAsAProcess()
    {
        data::SqlEngine engine(db());
        engine.execute(QStringLiteral("Insert Into Besucher.dbf (Vorgang, Ausweis, Name, Tag, Kommt) Values (9, '8', 'Gestern', ?, '08:00')"),
                       {day(1)});
        engine.execute(QStringLiteral("Insert Into Besucher.dbf (Vorgang, Name) Values (10, 'Ohne Tag')"));
        QProcess p;
        p.start(admin(), {QStringLiteral("purge"), m_inst->startFolder(), QStringLiteral("--older-than"), QStringLiteral("30")});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(p.readAllStandardOutput().startsWith("4 Besuche bis " + day(31).toLatin1() + " gelöscht"));
        QStringList left = rows(db(), QStringLiteral("Select Vorgang From Besucher.dbf"));
        left.sort();
        QCOMPARE(left, (QStringList{"10", "9"}));
        QCOMPARE(badges(db()), QStringList());
        const QStringList log = TextFile::readLines(QDir(db()).filePath(QStringLiteral("BesucherLog.log")));
        QVERIFY2(!log.isEmpty() && log.last().contains(QStringLiteral("Löschen -> 4 Besuche bis %1 gelöscht (älter als 30 "
                                                                      "Tage), 2 Ausweise frei gegeben")
                                                           .arg(day(31))),
                 qPrintable(log.join(u'\n')));

        QProcess bad;
        bad.start(admin(), {QStringLiteral("purge"), m_inst->startFolder(), QStringLiteral("--older-than"), QStringLiteral("x")});
        QVERIFY(bad.waitForFinished(60000));
        QCOMPARE(bad.exitCode(), 2);
    }

    // A purge killed anywhere: the table reads whole, only old records are gone, and no
    // badge points to a visit that is gone.
    // 100,000 old visits (the last 50 of them present, holding badges 1 to 50) and 50
    // present visits of yesterday (badges 51 to 100); a purge killed at a random moment of
    // its run, 100 times, each time on the same tables. After every kill no visit that is
    // still there is present with a free badge, and a purge run again finishes the work.
    void purgeKilledAtRandomPoints()
    {
        constexpr int Old = 100000, Held = 50, Recent = 50;
        const QString folder = db();
        data::SqlEngine(folder).execute(QStringLiteral("Delete From Besucher.dbf"));
        {
            auto visits = data::DbfTable::open(data::DbfTable::resolve(folder, QStringLiteral("Besucher.dbf")));
            visits->pack();
            const int vorgang = visits->fieldIndexOrThrow(QStringLiteral("Vorgang"));
            const int ausweis = visits->fieldIndexOrThrow(QStringLiteral("Ausweis"));
            const int tag = visits->fieldIndexOrThrow(QStringLiteral("Tag"));
            const int kommt = visits->fieldIndexOrThrow(QStringLiteral("Kommt"));
            const int geht = visits->fieldIndexOrThrow(QStringLiteral("Geht"));
            const auto hour = [](int i) { return QStringLiteral("%1:00").arg(i % 24, 2, 10, QLatin1Char('0')); };
            for (int i = 0; i < Old + Recent; ++i) {
                const bool old = i < Old;
                const bool present = !old || i >= Old - Held;
                const int badge = old ? i % Held + 1 : Held + (i - Old) + 1;
                const QString when = old ? day(400 + i % 50) : day(1);
                visits->append({{vorgang, QString::number(i + 1)},
                                {ausweis, QString::number(badge)},
                                {tag, when},
                                {kommt, hour(i)},
                                {geht, present ? QString() : QStringLiteral("23:30")}});
                if (present)
                    holdBadge(folder, badge, hour(i), when);
            }
        }
        const QString visitsPath = data::DbfTable::resolve(folder, QStringLiteral("Besucher.dbf"));
        const QString poolPath = data::DbfTable::resolve(folder, QStringLiteral("Ausweis.dbf"));
        const QByteArray visitsBytes = readFile(visitsPath), poolBytes = readFile(poolPath);
        const auto restore = [&] {
            QVERIFY(writeFile(visitsPath, visitsBytes));
            QVERIFY(writeFile(poolPath, poolBytes));
        };
        const auto purge = [&](int killAfterMs) {
            QProcess p;
            p.start(admin(), {QStringLiteral("purge"), m_inst->startFolder(), QStringLiteral("--older-than"),
                              QStringLiteral("100")});
            if (!p.waitForStarted())
                return false;
            if (killAfterMs >= 0) {
                QThread::msleep(ulong(killAfterMs));
                // A purge that is already done has no process id any more (0 would kill this group).
                if (p.state() == QProcess::Running && p.processId() > 0)
                    ::kill(pid_t(p.processId()), SIGKILL);
            }
            return p.waitForFinished(120000) && (killAfterMs >= 0 || p.exitCode() == 0);
        };
        // The free-badge rule: every present visit still in the table holds a badge that is out.
        const auto noPresentVisitWithAFreeBadge = [&](int round) {
            QSet<QString> out;
            for (const QString &b : badges(folder))
                out << b.section(u'|', 0, 0);
            const QStringList present = rows(folder, QStringLiteral("Select Ausweis From Besucher.dbf Where Geht = ''"));
            for (const QString &badge : present)
                QVERIFY2(out.contains(badge), qPrintable(QStringLiteral("round %1: badge %2 free, visit present")
                                                             .arg(round)
                                                             .arg(badge)));
            QVERIFY(!data::DbfTable::open(visitsPath, data::DbfTable::Mode::ReadOnly)->health().damaged());
        };
        const auto finished = [&](int round) {
            const auto table = data::DbfTable::open(visitsPath, data::DbfTable::Mode::ReadOnly);
            QCOMPARE(table->recordCount(), Recent); // packed: nothing deleted is left
            QCOMPARE(rows(folder, QStringLiteral("Select count(*) From Besucher.dbf Where Tag = '%1'").arg(day(1))),
                     QStringList{QString::number(Recent)});
            QStringList held;
            for (const QString &b : badges(folder))
                held << b.section(u'|', 0, 0);
            held.sort();
            QStringList recent;
            for (int b = Held + 1; b <= Held + Recent; ++b)
                recent << QString::number(b);
            recent.sort();
            QVERIFY2(held == recent, qPrintable(QStringLiteral("round %1: %2").arg(round).arg(held.join(u' '))));
        };

        // How long a purge takes here, so that the kills fall all over its run.
        QElapsedTimer timer;
        timer.start();
        QVERIFY(purge(-1));
        const int runMs = std::max(50, int(timer.elapsed()));
        finished(-1);
        for (int round = 0; round < 100; ++round) {
            restore();
            QVERIFY(purge(int(QRandomGenerator::global()->bounded(runMs))));
            noPresentVisitWithAFreeBadge(round);
            if (QTest::currentTestFailed())
                return;
            QVERIFY(purge(-1));
            finished(round);
            if (QTest::currentTestFailed())
                return;
        }
    }
};

LOBRIX_TEST(DataDeletionTest)
#include "DataDeletionTest.moc"
