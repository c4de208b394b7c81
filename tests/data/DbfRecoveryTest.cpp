// Tables that a crash or another program left damaged: they open, every whole record reads,
// and the next write repairs the header without overwriting a record.
#include "DbfTestSupport.h"
#include "TestRegistry.h"

#include "data/DbfLocks.h"
#include "data/DbfTable.h"

#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

using lobrix::data::DbfLocks;
using lobrix::data::DbfTable;
namespace dbf = lobrix::test::dbf;

namespace {

constexpr int kRecords = 5;

// A table of kRecords records "Satz 0".."Satz 4"; returns its bytes.
QByteArray makeTable(const QString &path)
{
    DbfTable::create(path, {{"NAME", 'C', 20, 0, 0}, {"NR", 'N', 4, 0, 0}});
    auto t = DbfTable::open(path);
    for (int i = 0; i < kRecords; ++i)
        t->append({{0, QStringLiteral("Satz %1").arg(i)}, {1, QString::number(i)}});
    return dbf::readFile(path);
}

QByteArray recordBytes(const QString &name, int nr)
{
    return " " + name.toLatin1().leftJustified(20, ' ') +
           QByteArray::number(nr).rightJustified(4, ' ');
}

// The table's bytes after a crash or a foreign program left the given damage.
QByteArray withDamage(QByteArray bytes, const QString &damage)
{
    const int recordSize = 1 + 20 + 4;
    const QByteArray body = bytes.left(bytes.size() - 1); // without the end marker
    const QByteArray torn = recordBytes("halb", 9).left(11);
    if (damage.startsWith("count "))
        dbf::setHeaderCount(bytes, damage.mid(6).toUInt());
    else if (damage == "no marker")
        bytes = body;
    else if (damage == "torn")
        bytes = body + torn;
    else if (damage == "marker, then torn")
        bytes = bytes + torn;
    else if (damage == "torn counted") {
        bytes = body + torn;
        dbf::setHeaderCount(bytes, kRecords + 1);
    } else if (damage == "uncounted record")
        bytes = body + recordBytes("Satz 5", 5) + '\x1A';
    else if (damage == "junk")
        bytes = bytes + QByteArray(recordSize + 3, 'x');
    else if (damage == "cut")
        bytes = bytes.left(bytes.size() - 1 - 2 * recordSize + 7);
    return bytes;
}

} // namespace

class DbfRecoveryTest : public QObject {
    Q_OBJECT

private slots:
    void damagedTable_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<int>("wholeRecords"); // records a reader sees
        QTest::addColumn<bool>("damaged");
        QTest::addColumn<bool>("tornTail");
        QTest::addColumn<bool>("missingEndMarker");
        QTest::newRow("intact") << "intact" << 5 << false << false << false;
        QTest::newRow("count too high") << "count 9" << 5 << true << false << false;
        QTest::newRow("count too low") << "count 3" << 5 << true << false << false;
        QTest::newRow("count 0") << "count 0" << 5 << true << false << false;
        QTest::newRow("missing end marker") << "no marker" << 5 << false << false << true;
        QTest::newRow("torn last record") << "torn" << 5 << true << true << true;
        QTest::newRow("torn record, count counts it")
            << "torn counted" << 5 << true << true << true;
        QTest::newRow("whole record behind the count")
            << "uncounted record" << 6 << true << false << false;
        QTest::newRow("end marker, then junk") << "junk" << 5 << true << true << false;
        QTest::newRow("file cut inside the records") << "cut" << 3 << true << true << true;
    }

    void damagedTable()
    {
        QFETCH(QString, damage);
        QFETCH(int, wholeRecords);
        QFETCH(bool, damaged);
        QFETCH(bool, tornTail);
        QFETCH(bool, missingEndMarker);
        QTemporaryDir dir;
        const QString path = dir.filePath("Kaputt.dbf");
        QVERIFY(dbf::writeFile(path, withDamage(makeTable(path), damage)));
        const int recordSize = 1 + 20 + 4;

        {
            auto t = DbfTable::open(path, DbfTable::Mode::ReadOnly);
            QCOMPARE(t->recordCount(), wholeRecords);
            const DbfTable::Health h = t->health();
            QCOMPARE(h.wholeRecords, wholeRecords);
            QCOMPARE(h.damaged(), damaged);
            QCOMPARE(h.tornTail, tornTail);
            QCOMPARE(h.missingEndMarker, missingEndMarker);
            const QByteArray block = t->readBlock(0, wholeRecords);
            QCOMPARE(block.size(), qsizetype(wholeRecords) * recordSize);
            for (int i = 0; i < wholeRecords; ++i)
                QCOMPARE(t->text(block.constData() + i * recordSize, 0),
                         QStringLiteral("Satz %1").arg(i));
        }
        {
            // The next append goes behind the last whole record and repairs the header.
            auto t = DbfTable::open(path);
            QCOMPARE(t->append({{0, "Neu"}, {1, "77"}}), wholeRecords);
            const QByteArray now = dbf::readFile(path);
            QCOMPARE(dbf::headerCount(now), quint32(wholeRecords + 1));
            QCOMPARE(now.size(), t->headerLength() + (wholeRecords + 1) * recordSize + 1);
            QCOMPARE(now.back(), '\x1A');
            const DbfTable::Health h = t->health();
            QVERIFY(!h.damaged() && !h.tornTail && !h.missingEndMarker);
            for (int i = 0; i < wholeRecords; ++i)
                QCOMPARE(t->text(t->read(i).constData(), 1), QString::number(i));
            QCOMPARE(t->text(t->read(wholeRecords).constData(), 0), QString("Neu"));
        }
    }

    // A writer that stored its record but not the count (a failed write, a kill): the
    // next workstation that opens the table for writing writes the count; a reader and
    // the exclusive open of check --repair leave the file as it is.
    void openMendsTheCount()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("r.dbf");
        QVERIFY(dbf::writeFile(path, withDamage(makeTable(path), "uncounted record")));
        DbfTable::open(path, DbfTable::Mode::ReadOnly);
        QCOMPARE(dbf::headerCount(dbf::readFile(path)), quint32(5));
        DbfTable::open(path, DbfTable::Mode::Exclusive);
        QCOMPARE(dbf::headerCount(dbf::readFile(path)), quint32(5));
        auto t = DbfTable::open(path);
        QCOMPARE(dbf::headerCount(dbf::readFile(path)), quint32(6));
        QCOMPARE(t->recordCount(), 6);
        QVERIFY(!t->health().damaged());
    }

    void repairFixesHeaderAndTail_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<int>("wholeRecords");
        QTest::addColumn<bool>("changes");
        QTest::newRow("intact") << "intact" << 5 << false;
        QTest::newRow("count too high") << "count 50" << 5 << true;
        QTest::newRow("torn tail behind the end marker") << "marker, then torn" << 5 << true;
        QTest::newRow("missing end marker") << "no marker" << 5 << true;
        // Opening the table for writing already mends the count (see openMendsTheCount).
        QTest::newRow("whole record behind the count") << "uncounted record" << 6 << false;
    }

    void repairFixesHeaderAndTail()
    {
        QFETCH(QString, damage);
        QFETCH(int, wholeRecords);
        QFETCH(bool, changes);
        QTemporaryDir dir;
        const QString path = dir.filePath("r.dbf");
        QVERIFY(dbf::writeFile(path, withDamage(makeTable(path), damage)));
        auto t = DbfTable::open(path);
        QCOMPARE(t->repair(), changes);
        QCOMPARE(t->repair(), false);
        const QByteArray now = dbf::readFile(path);
        QCOMPARE(dbf::headerCount(now), quint32(wholeRecords));
        QCOMPARE(now.size(), t->headerLength() + wholeRecords * t->recordSize() + 1);
        QCOMPARE(now.back(), '\x1A');
        for (int i = 0; i < wholeRecords; ++i)
            QCOMPARE(t->text(t->read(i).constData(), 1), QString::number(i));
    }

    // A record behind the header count is not yet committed while a writer holds the append
    // lock: readers trust the header then, and count the record once the lock is gone.
    void readersTrustHeaderWhileAppendLocked()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("t.dbf");
        const QByteArray bytes = makeTable(path);
        QVERIFY(dbf::writeFile(path, bytes.left(bytes.size() - 1) + recordBytes("im Werden", 5) +
                                         '\x1A'));
        auto reader = DbfTable::open(path, DbfTable::Mode::ReadOnly);
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
        QVERIFY(fd >= 0);
        DbfLocks writer(fd);
        QCOMPARE(writer.tryLock(DbfLocks::kAppend, true), DbfLocks::Result::Locked);
        QCOMPARE(reader->recordCount(), kRecords);
        writer.unlock(DbfLocks::kAppend);
        QCOMPARE(reader->recordCount(), kRecords + 1);
        ::close(fd);
    }
};

LOBRIX_TEST(DbfRecoveryTest)
#include "DbfRecoveryTest.moc"
