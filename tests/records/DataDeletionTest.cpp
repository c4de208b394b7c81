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
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

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
        m_inst = std::make_unique<TestInstallation>(10);
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
    void purgeKilledAtRandomPoints()
    {
        data::SqlEngine engine(db());
        engine.execute(QStringLiteral("Delete From Besucher.dbf"));
        constexpr int Old = 20000;
        {
            auto visits = data::DbfTable::open(data::DbfTable::resolve(db(), QStringLiteral("Besucher.dbf")));
            const int vorgang = visits->fieldIndexOrThrow(QStringLiteral("Vorgang"));
            const int ausweis = visits->fieldIndexOrThrow(QStringLiteral("Ausweis"));
            const int tag = visits->fieldIndexOrThrow(QStringLiteral("Tag"));
            const int kommt = visits->fieldIndexOrThrow(QStringLiteral("Kommt"));
            for (int i = 0; i < Old + 10; ++i) {
                const bool old = i < Old;
                visits->append({{vorgang, QString::number(i + 1)},
                                {ausweis, QString::number(i % 10 + 1)},
                                {tag, old ? day(400 + i % 50) : day(1)},
                                {kommt, QStringLiteral("%1:00").arg(i % 24, 2, 10, QLatin1Char('0'))}});
            }
        }
        // The ten badges held by old visits.
        for (int b = 1; b <= 10; ++b)
            holdBadge(db(), b, QStringLiteral("%1:00").arg((Old - 11 + b) % 24, 2, 10, QLatin1Char('0')),
                      day(400 + (Old - 11 + b) % 50));
        for (int round = 0; round < 6; ++round) {
            QProcess p;
            p.start(admin(), {QStringLiteral("purge"), m_inst->startFolder(), QStringLiteral("--older-than"), QStringLiteral("100")});
            QVERIFY(p.waitForStarted());
            QTest::qWait(int(QRandomGenerator::global()->bounded(5, 120)));
            // A purge that is already done has no process id any more (0 would kill this group).
            if (p.state() == QProcess::Running && p.processId() > 0)
                ::kill(pid_t(p.processId()), SIGKILL);
            p.waitForFinished(30000);

            const auto table = data::DbfTable::open(data::DbfTable::resolve(db(), QStringLiteral("Besucher.dbf")));
            QVERIFY(!table->health().damaged());
            // The ten of yesterday are never touched.
            QCOMPARE(rows(db(), QStringLiteral("Select count(*) From Besucher.dbf Where Tag = '%1'").arg(day(1))),
                     QStringList{"10"});
            // A held badge points to a visit that is still there.
            for (const QString &held : badges(db())) {
                const QStringList b = held.split(u'|');
                const QStringList count = rows(db(), QStringLiteral("Select count(*) From Besucher.dbf Where Ausweis = '%1' "
                                                                    "AND Kommt = '%2' AND Tag = '%3'")
                                                         .arg(b[0], b[1], b[2]));
                QVERIFY2(count.value(0).toInt() > 0, qPrintable(held));
            }
        }
        QProcess last;
        last.start(admin(), {QStringLiteral("purge"), m_inst->startFolder(), QStringLiteral("--older-than"), QStringLiteral("100")});
        QVERIFY(last.waitForFinished(60000));
        QCOMPARE(rows(db(), QStringLiteral("Select count(*) From Besucher.dbf")), QStringList{"10"});
        QCOMPARE(badges(db()), QStringList());
    }
};

LOBRIX_TEST(DataDeletionTest)
#include "DataDeletionTest.moc"
