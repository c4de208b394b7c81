// Reading a large table on two threads: the records handed out, their order and the
// errors must be exactly those of reading it front to back on one.
#include "TestRegistry.h"

#include "DbfTestSupport.h"

#include "common/Error.h"
#include "data/DbfParallelScan.h"
#include "data/DbfTable.h"
#include "data/SqlEngine.h"

#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <thread>
#include <vector>

using namespace lobrix;
using namespace lobrix::data;
using lobrix::test::dbf::readFile;
using lobrix::test::dbf::setHeaderCount;
using lobrix::test::dbf::writeFile;

namespace {

// Record i: deleted when i % 7 == 3, NAME "N<i % 100>", NR i, TAG a day of 2021 or blank.
bool deletedAt(int i) { return i % 7 == 3; }
QString nameAt(int i) { return QStringLiteral("N%1").arg(i % 100); }
QDate dayAt(int i) { return i % 11 == 0 ? QDate() : QDate(2021, 1, 1).addDays(i % 365); }

// Writes the table's records straight into the file: many thousands in milliseconds.
void makeTable(const QString &path, int records, int nameLength = 10)
{
    DbfTable::create(path, {{QStringLiteral("NAME"), 'C', nameLength, 0, 0},
                            {QStringLiteral("NR"), 'N', 7, 0, 0},
                            {QStringLiteral("TAG"), 'D', 8, 0, 0}});
    QByteArray file = readFile(path);
    file.chop(1); // the end marker
    file.reserve(file.size() + qsizetype(records) * (1 + nameLength + 15) + 1);
    for (int i = 0; i < records; ++i) {
        file += deletedAt(i) ? '*' : ' ';
        file += nameAt(i).toLatin1().leftJustified(nameLength, ' ');
        file += QByteArray::number(i).rightJustified(7, ' ');
        const QDate day = dayAt(i);
        file += day.isValid() ? day.toString(QStringLiteral("yyyyMMdd")).toLatin1() : QByteArray(8, ' ');
    }
    file += '\x1A';
    setHeaderCount(file, static_cast<quint32>(records));
    QVERIFY(writeFile(path, file));
}

using Filter = DbfParallelScan::BlockFilter;

Filter liveRecords(int recordSize)
{
    return [recordSize](const char *block, int count, std::vector<int> &passing) {
        for (int i = 0; i < count; ++i)
            if (!DbfTable::isDeleted(block + qsizetype(i) * recordSize))
                passing.push_back(i);
    };
}

struct Handed {
    std::vector<int> recnos;
    QByteArray bytes; // the records handed out, one after the other
};

Handed drain(DbfParallelScan &scan, int recordSize)
{
    Handed h;
    int recno = -1;
    while (const char *record = scan.next(&recno)) {
        h.recnos.push_back(recno);
        h.bytes.append(record, recordSize);
    }
    return h;
}

// What a plain front-to-back read hands out for the records that `keep` accepts.
Handed sequential(const DbfTable &table, int total, const std::function<bool(int, const char *)> &keep)
{
    Handed h;
    const QByteArray all = table.readBlock(0, total);
    const int size = table.recordSize();
    for (int i = 0; i < static_cast<int>(all.size() / size); ++i) {
        const char *record = all.constData() + qsizetype(i) * size;
        if (keep(i, record)) {
            h.recnos.push_back(i);
            h.bytes.append(record, size);
        }
    }
    return h;
}

} // namespace

class DbfParallelScanTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_path;
    static constexpr int kRecords = 5000;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("Scan.dbf"));
        makeTable(m_path, kRecords);
    }

    void handsOutWhatASequentialReadDoes_data()
    {
        QTest::addColumn<int>("blockRecords");
        QTest::addColumn<int>("ring");
        QTest::addColumn<int>("total");
        QTest::addColumn<int>("filter"); // 0 live records, 1 none, 2 every 13th live one
        // Which thread filters slowly, so that the other one does most of the reading:
        // 0 neither, 1 the helper, 2 the reader (the test's thread).
        QTest::addColumn<int>("slow");

        QTest::newRow("many blocks") << 64 << 4 << kRecords << 0 << 0;
        QTest::newRow("last block partial") << 333 << 2 << kRecords << 0 << 0;
        QTest::newRow("one record a block") << 1 << 3 << 400 << 0 << 0;
        QTest::newRow("ring of one") << 50 << 1 << kRecords << 2 << 0;
        QTest::newRow("a single block") << 10000 << 4 << kRecords << 0 << 0;
        QTest::newRow("two blocks") << 2500 << 4 << kRecords << 0 << 0;
        QTest::newRow("nothing passes") << 64 << 4 << kRecords << 1 << 0;
        QTest::newRow("part of the table") << 64 << 4 << 1234 << 2 << 0;
        QTest::newRow("empty") << 64 << 4 << 0 << 0 << 0;
        QTest::newRow("slow helper") << 64 << 4 << kRecords << 0 << 1;
        QTest::newRow("slow reader") << 64 << 4 << kRecords << 2 << 2;
        QTest::newRow("slow helper, ring of one") << 64 << 1 << kRecords << 2 << 1;
        // ring 0: no helper thread at all
        QTest::newRow("no helper") << 64 << 0 << kRecords << 2 << 0;
        QTest::newRow("no helper, one block") << 10000 << 0 << kRecords << 0 << 0;
    }

    void handsOutWhatASequentialReadDoes()
    {
        QFETCH(int, blockRecords);
        QFETCH(int, ring);
        QFETCH(int, total);
        QFETCH(int, filter);
        QFETCH(int, slow);
        auto table = DbfTable::open(m_path, DbfTable::Mode::ReadOnly);
        const int size = table->recordSize();
        Filter blockFilter = liveRecords(size);
        if (filter == 1)
            blockFilter = [](const char *, int, std::vector<int> &) {};
        if (filter == 2)
            blockFilter = [size](const char *block, int count, std::vector<int> &passing) {
                for (int i = 0; i < count; ++i) {
                    const char *r = block + qsizetype(i) * size;
                    if (!DbfTable::isDeleted(r) && QByteArray(r + 11, 7).trimmed().toInt() % 13 == 0)
                        passing.push_back(i);
                }
            };
        if (slow != 0) {
            const std::thread::id reader = std::this_thread::get_id();
            blockFilter = [blockFilter, slow, reader](const char *block, int count, std::vector<int> &passing) {
                if ((std::this_thread::get_id() == reader) == (slow == 2))
                    std::this_thread::sleep_for(std::chrono::microseconds(300));
                blockFilter(block, count, passing);
            };
        }
        const Handed expected = sequential(*table, total, [filter](int i, const char *) {
            return filter == 0 ? !deletedAt(i) : filter == 2 && !deletedAt(i) && i % 13 == 0;
        });

        DbfParallelScan scan(*table, total, blockFilter, {blockRecords * size, std::max(ring, 1), ring > 0});
        const Handed got = drain(scan, size);
        QCOMPARE(got.recnos, expected.recnos);
        QVERIFY(got.bytes == expected.bytes);
        int recno = -1;
        QCOMPARE(scan.next(&recno), nullptr); // stays at the end
    }

    // The reader stops after a few records; the helper thread waits on a full ring and
    // must be stopped, not waited for.
    void stopsMidScan()
    {
        auto table = DbfTable::open(m_path, DbfTable::Mode::ReadOnly);
        const int size = table->recordSize();
        for (int attempt = 0; attempt < 20; ++attempt) {
            DbfParallelScan scan(*table, kRecords, liveRecords(size), {8 * size, 1});
            int recno = -1;
            for (int i = 0; i < attempt; ++i)
                QVERIFY(scan.next(&recno));
        }
    }

    // A failing block, read by either thread, ends the scan there: every record before it
    // has been handed out, then the error, then nothing more.
    void failureEndsTheScanInOrder_data()
    {
        QTest::addColumn<int>("failingBlock");
        QTest::newRow("reader's block") << 6;
        QTest::newRow("helper's block") << 7;
        QTest::newRow("first block") << 0;
    }

    void failureEndsTheScanInOrder()
    {
        QFETCH(int, failingBlock);
        auto table = DbfTable::open(m_path, DbfTable::Mode::ReadOnly);
        const int size = table->recordSize();
        constexpr int perBlock = 100;
        Filter live = liveRecords(size);
        Filter failing = [&](const char *block, int count, std::vector<int> &passing) {
            const int first = QByteArray(block + 11, 7).trimmed().toInt();
            if (first == failingBlock * perBlock)
                throw Error(QStringLiteral("Block %1 kaputt").arg(failingBlock));
            live(block, count, passing);
        };
        DbfParallelScan scan(*table, kRecords, failing, {perBlock * size, 3});
        std::vector<int> handed;
        QString error;
        try {
            int recno = -1;
            while (scan.next(&recno))
                handed.push_back(recno);
        } catch (const Error &e) {
            error = e.message();
        }
        QCOMPARE(error, QStringLiteral("Block %1 kaputt").arg(failingBlock));
        const Handed before = sequential(*table, failingBlock * perBlock,
                                         [](int i, const char *) { return !deletedAt(i); });
        QCOMPARE(handed, before.recnos);
        int recno = -1;
        QCOMPARE(scan.next(&recno), nullptr);
    }

    // A header that claims more records than the file holds (a writer died mid-append):
    // the whole records are handed out, the torn one is not.
    void shortFileGivesItsWholeRecords()
    {
        const QString path = m_dir.filePath(QStringLiteral("Short.dbf"));
        makeTable(path, 1000);
        QByteArray file = readFile(path);
        auto probe = DbfTable::open(path, DbfTable::Mode::ReadOnly);
        const int size = probe->recordSize();
        probe.reset();
        file.truncate(file.size() - 1 - 300 * size - size / 2); // 699 whole records and a torn one
        QVERIFY(writeFile(path, file));
        auto table = DbfTable::open(path, DbfTable::Mode::ReadOnly);
        DbfParallelScan scan(*table, 1000, liveRecords(size), {64 * size, 2});
        const Handed got = drain(scan, size);
        QVERIFY(!got.recnos.empty());
        QCOMPARE(got.recnos.back(), 698);
        QCOMPARE(got.recnos, sequential(*table, 699, [](int i, const char *) { return !deletedAt(i); }).recnos);
    }

    // A table large enough to be read on threads, through SQL: conditions, order, and
    // the record numbers a DELETE acts on.
    void largeTableThroughSql()
    {
        QTemporaryDir dir;
        constexpr int records = 40000;
        makeTable(dir.filePath(QStringLiteral("Gross.dbf")), records, 200); // about 8.6 MB
        SqlEngine sql(dir.path());

        int n5 = 0;
        QStringList inRange;
        for (int i = 0; i < records; ++i) {
            if (deletedAt(i))
                continue;
            n5 += nameAt(i) == QStringLiteral("N5");
            if (dayAt(i).isValid() && dayAt(i) >= QDate(2021, 3, 1) && dayAt(i) <= QDate(2021, 3, 2))
                inRange << QString::number(i);
        }
        SqlQuery count = sql.query(QStringLiteral("Select Count(*) From Gross.dbf Where Name = 'N5'"));
        QVERIFY(count.next());
        QCOMPARE(count.text(0).toInt(), n5);

        SqlQuery range = sql.query(QStringLiteral(
            "Select Nr From Gross.dbf Where Tag >= '01.03.2021' AND Tag <= '02.03.2021'"));
        QStringList got;
        while (range.next())
            got << range.text(0);
        QCOMPARE(got, inRange); // file order

        sql.execute(QStringLiteral("Delete From Gross.dbf Where Name = ?"), {QStringLiteral("N7")});
        auto table = DbfTable::open(dir.filePath(QStringLiteral("Gross.dbf")), DbfTable::Mode::ReadOnly);
        const QByteArray all = table->readBlock(0, records);
        for (int i = 0; i < records; ++i) {
            const bool deleted = DbfTable::isDeleted(all.constData() + qsizetype(i) * table->recordSize());
            if (deleted != (deletedAt(i) || nameAt(i) == QStringLiteral("N7")))
                QFAIL(qPrintable(QStringLiteral("record %1 deleted: %2").arg(i).arg(deleted)));
        }
    }
};

LOBRIX_TEST(DbfParallelScanTest)
#include "DbfParallelScanTest.moc"
