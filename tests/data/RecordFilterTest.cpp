// One meaning for a condition on records, whether a cursor, a service's scan or SQL asks.
#include "DbfTestSupport.h"
#include "TestRegistry.h"

#include "data/DbfCursor.h"
#include "data/DbfTable.h"
#include "data/RecordFilter.h"
#include "data/SqlEngine.h"
#include "data/TableScan.h"

#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace lobrix::data;
namespace dbf = lobrix::test::dbf;

namespace {

// Names by row: the rows a condition finds are named by their Name.
struct Row {
    const char *betrag;
    const char *name;
    const char *tag;
};
const Row kRows[] = {
    {"12.5", "Öztürk", "03.10.2005"}, // stored with a decimal comma below
    {"12.5", "O'Brien", ""},
    {"", "Meier", "05.10.2005"},
    {"7", "Meier ", "12.10.2005"},
    {"-3.5", "Gelöscht", "04.10.2005"}, // marked deleted
};

QString makeTable(const QString &folder)
{
    const QString path = QDir(folder).filePath(QStringLiteral("Probe.dbf"));
    DbfTable::create(path, {{QStringLiteral("BETRAG"), 'N', 8, 1, 0},
                            {QStringLiteral("NAME"), 'C', 20, 0, 0},
                            {QStringLiteral("TAG"), 'D', 8, 0, 0}});
    auto table = DbfTable::open(path);
    for (const Row &r : kRows)
        table->append({{0, QString::fromLatin1(r.betrag)},
                       {1, QString::fromUtf8(r.name)},
                       {2, QString::fromLatin1(r.tag)}});
    table->setDeleted(4);
    table.reset();
    // Files from German systems hold "12,5"; the program itself writes "12.5".
    QByteArray bytes = dbf::readFile(path);
    const qsizetype at = bytes.indexOf("    12.5");
    bytes[at + 6] = ',';
    dbf::writeFile(path, bytes);
    return path;
}

} // namespace

class RecordFilterTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;

    QStringList viaCursor(const std::function<void(DbfCursor &)> &where)
    {
        DbfCursor c(m_dir.path(), QStringLiteral("Probe.dbf"), DbfTable::Mode::ReadOnly);
        where(c);
        QStringList names;
        for (bool ok = c.first(); ok; ok = c.next())
            names << c.value(QStringLiteral("Name"));
        return names;
    }

    QStringList viaSql(const QString &where)
    {
        SqlEngine sql(m_dir.path());
        SqlQuery q = sql.query(QStringLiteral("Select Name From Probe.dbf Where ") + where);
        QStringList names;
        while (q.next())
            names << q.text(0);
        return names;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_path = makeTable(m_dir.path());
        QVERIFY(dbf::readFile(m_path).contains("    12,5"));
    }

    void cursorAndSqlAgree_data()
    {
        QTest::addColumn<std::function<void(DbfCursor &)>>("cursor");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("expected");
        using C = std::function<void(DbfCursor &)>;
        QTest::newRow("number with comma or point")
            << C([](DbfCursor &c) { c.whereNumber("Betrag", 12.5); }) << "Betrag = 12.5"
            << QStringList{"Öztürk", "O'Brien"};
        QTest::newRow("whole number") << C([](DbfCursor &c) { c.whereNumber("BETRAG", 7); })
                                      << "Betrag = 7" << QStringList{"Meier"};
        QTest::newRow("deleted row never") << C([](DbfCursor &c) { c.whereNumber("Betrag", -3.5); })
                                           << "Betrag = -3.5" << QStringList{};
        QTest::newRow("text padded") << C([](DbfCursor &c) { c.whereText("Name", "Meier"); })
                                     << "Name = 'Meier'" << QStringList{"Meier", "Meier"};
        QTest::newRow("apostrophe") << C([](DbfCursor &c) { c.whereText("Name", "O'Brien"); })
                                    << "Name = 'O''Brien'" << QStringList{"O'Brien"};
        QTest::newRow("not in the code page")
            << C([](DbfCursor &c) { c.whereText("Name", QString::fromUtf8("Łukasz")); })
            << QString::fromUtf8("Name = 'Łukasz'") << QStringList{};
        QTest::newRow("date range")
            << C([](DbfCursor &c) { c.whereDateBetween("Tag", "03.10.2005", "05.10.2005"); })
            << "Tag >= '03.10.2005' And Tag <= '05.10.2005'" << QStringList{"Öztürk", "Meier"};
        QTest::newRow("open start, no empty date")
            << C([](DbfCursor &c) { c.whereDateBetween("Tag", "", "05.10.2005"); })
            << "Tag > '' And Tag <= '05.10.2005'" << QStringList{"Öztürk", "Meier"};
        QTest::newRow("two conditions")
            << C([](DbfCursor &c) {
                   c.whereText("Name", "Meier");
                   c.whereDateBetween("Tag", "06.10.2005", "");
               })
            << "Name = 'Meier' And Tag >= '06.10.2005'" << QStringList{"Meier"};
    }
    void cursorAndSqlAgree()
    {
        QFETCH(std::function<void(DbfCursor &)>, cursor);
        QFETCH(QString, sql);
        QFETCH(QStringList, expected);
        QStringList trimmed;
        for (const QString &n : viaCursor(cursor))
            trimmed << n.trimmed();
        QCOMPARE(trimmed, expected);
        trimmed.clear();
        for (const QString &n : viaSql(sql))
            trimmed << n.trimmed();
        QCOMPARE(trimmed, expected);
    }

    // The scan of the services sees what the cursor sees.
    void blockScanFilters()
    {
        auto table = DbfTable::open(m_path, DbfTable::Mode::ReadOnly);
        RecordFilter filter;
        filter.number(table->fields().at(0), RecordFilter::Op::Ge, 7);
        QList<int> rows;
        forEachRecord(*table, filter, [&](int recno, const char *) { rows << recno; });
        QCOMPARE(rows, (QList<int>{0, 1, 3}));
        filter.never();
        rows.clear();
        forEachRecord(*table, filter, [&](int recno, const char *) { rows << recno; });
        QVERIFY(rows.isEmpty());
    }

    void conditionOnWrongFieldType()
    {
        DbfCursor c(m_dir.path(), QStringLiteral("Probe.dbf"), DbfTable::Mode::ReadOnly);
        QVERIFY(dbf::errorOf([&] { c.whereText("Betrag", "7"); }).contains("kein Textfeld"));
        QVERIFY(dbf::errorOf([&] { c.whereDateBetween("Name", "", ""); }).contains("kein Datumsfeld"));
        QVERIFY(dbf::errorOf([&] { c.whereDateBetween("Tag", "3.10.05", ""); }).contains("kein gültiges Datum"));
    }

    void storedNumber_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<bool>("isNumber");
        QTest::addColumn<double>("value");
        QTest::newRow("padded point") << QByteArray("   12.50") << true << 12.5;
        QTest::newRow("comma") << QByteArray("  -12,5") << true << -12.5;
        QTest::newRow("exponent") << QByteArray("1e2") << true << 100.0;
        QTest::newRow("NUL padding") << QByteArray("7\0\0", 3) << true << 7.0;
        QTest::newRow("blank") << QByteArray("     ") << false << 0.0;
        QTest::newRow("overflow stars") << QByteArray("*****") << false << 0.0;
        QTest::newRow("hex") << QByteArray("0x10") << false << 0.0;
        QTest::newRow("infinity") << QByteArray("inf") << false << 0.0;
        QTest::newRow("two commas") << QByteArray("1,2,3") << false << 0.0;
    }
    void storedNumber()
    {
        QFETCH(QByteArray, stored);
        QFETCH(bool, isNumber);
        QFETCH(double, value);
        double v = 0;
        QCOMPARE(RecordFilter::storedNumber(stored.constData(), int(stored.size()), &v), isNumber);
        if (isNumber)
            QCOMPARE(v, value);
    }
};

LOBRIX_TEST(RecordFilterTest)
#include "RecordFilterTest.moc"
