// The result model of the list windows: lazy rows, the values as stored, the quick search.
#include "DbfTestSupport.h"
#include "TestRegistry.h"

#include "data/DbfTable.h"
#include "data/SqlEngine.h"
#include "data/SqlResultModel.h"

#include <QAbstractItemModelTester>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace lobrix::data;

namespace {

constexpr int kRows = 1000;

QString nameOf(int i)
{
    static const char *const names[] = {"Meier", "müller", "Öztürk", "O'Brien", "schmidt"};
    return QString::fromUtf8(names[i % 5]) + QString::number(i);
}

} // namespace

class SqlResultModelTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<SqlEngine> m_sql;

    std::unique_ptr<SqlResultModel> model(const QString &sql)
    {
        return std::make_unique<SqlResultModel>(*m_sql, sql);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QString path = m_dir.filePath(QStringLiteral("Liste.dbf"));
        DbfTable::create(path, {{QStringLiteral("NR"), 'N', 6, 0, 0},
                                {QStringLiteral("NAME"), 'C', 30, 0, 0}});
        auto table = DbfTable::open(path);
        for (int i = 0; i < kRows; ++i)
            table->append({{0, QString::number(i)}, {1, nameOf(i)}});
        m_sql = std::make_unique<SqlEngine>(m_dir.path());
    }

    void rowsArriveAsTheViewAsks()
    {
        auto m = model(QStringLiteral("Select Nr, Name From Liste.dbf"));
        QCOMPARE(m->rowCount(), SqlResultModel::FetchBatch);
        QCOMPARE(m->columnCount(), 2);
        QCOMPARE(m->headerData(1, Qt::Horizontal).toString(), QStringLiteral("NAME"));
        QVERIFY(m->canFetchMore({}));
        m->fetchMore({});
        QCOMPARE(m->rowCount(), 2 * SqlResultModel::FetchBatch);
        // The model keeps Qt's rules for models (the tester fetches on as a view would).
        QAbstractItemModelTester tester(m.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        while (m->canFetchMore({}))
            m->fetchMore({});
        QCOMPARE(m->rowCount(), kRows);
        for (int i : {0, 1, 255, 256, 999})
            QCOMPARE(m->data(m->index(i, 1)).toString(), nameOf(i));
        QCOMPARE(m->data(m->index(42, 0)).toString(), QStringLiteral("42"));
        QVERIFY(m->error().isEmpty());
    }

    void quickSearch_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("found");
        QTest::newRow("first row") << "meier" << 0 << 0;
        QTest::newRow("case ignored") << "MEIER5" << 0 << 5;
        QTest::newRow("umlaut, case ignored") << QString::fromUtf8("öZT") << 0 << 2;
        QTest::newRow("lower umlaut in the table") << QString::fromUtf8("MÜLLER6") << 0 << 6;
        QTest::newRow("apostrophe") << "o'brien8" << 0 << 8;
        QTest::newRow("beyond the fetched rows") << "schmidt999" << 0 << 999;
        QTest::newRow("from a later row") << "meier" << 6 << 10;
        QTest::newRow("nowhere") << "Zander" << 0 << -1;
        QTest::newRow("empty text") << "" << 3 << 3;
        QTest::newRow("inside, not at the start") << "eier" << 0 << -1;
    }
    void quickSearch()
    {
        QFETCH(QString, text);
        QFETCH(int, from);
        QFETCH(int, found);
        auto m = model(QStringLiteral("Select * From Liste.dbf"));
        QCOMPARE(m->findPrefix(m->columnIndex(QStringLiteral("name")), text, from), found);
        if (found >= 0) {
            QVERIFY(m->rowCount() > found);
            QVERIFY(m->text(found, 1).startsWith(text, Qt::CaseInsensitive));
        }
    }

    // A search far beyond the fetched rows reads one column, then the result goes on from
    // the row found; the rows passed over are read by their position when shown, also
    // through statements the engine must take as a subquery.
    void rowsPassedOverReadWhenShown_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::newRow("plain") << "Select Nr, Name From Liste.dbf";
        QTest::newRow("semicolon") << "Select Nr, Name From Liste.dbf;";
        QTest::newRow("comment at the end") << "Select Nr, Name From Liste.dbf -- alle";
        QTest::newRow("ordered, with a condition") << "Select Nr, Name From Liste.dbf Where Nr >= 0 Order By Nr";
        QTest::newRow("a name twice") << "Select Nr, Name, Name From Liste.dbf";
    }
    void rowsPassedOverReadWhenShown()
    {
        QFETCH(QString, sql);
        auto m = model(sql);
        QCOMPARE(m->findPrefix(1, QStringLiteral("schmidt999")), 999);
        QAbstractItemModelTester tester(m.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        while (m->canFetchMore({}))
            m->fetchMore({});
        QCOMPARE(m->rowCount(), kRows);
        for (int i = 0; i < kRows; ++i)
            QCOMPARE(m->text(i, 0), QString::number(i));
        QCOMPARE(m->text(500, 1), nameOf(500));
        QCOMPARE(m->findPrefix(1, QStringLiteral("meier300"), 10), 300);
        QVERIFY(m->error().isEmpty());
    }

    // Nothing found: no row is taken for a match, and the rows fetched stay as they were.
    void searchFindingNothing()
    {
        auto m = model(QStringLiteral("Select * From Liste.dbf"));
        const int before = m->rowCount();
        QCOMPARE(m->findPrefix(1, QStringLiteral("Zander")), -1);
        QCOMPARE(m->rowCount(), before);
        QCOMPARE(m->findPrefix(1, QStringLiteral("schmidt4")), 4);
    }

    // An engine error part way through keeps the rows before it and says what happened.
    void errorWhileFetching()
    {
        auto m = model(QStringLiteral("Select Case When Nr = 300 Then abs(-9223372036854775807 - 1) "
                                      "Else Nr End From Liste.dbf"));
        while (m->canFetchMore({}))
            m->fetchMore({});
        QCOMPARE(m->rowCount(), 300);
        QVERIFY(m->atEnd());
        QVERIFY(!m->error().isEmpty());
    }
};

LOBRIX_TEST(SqlResultModelTest)
#include "SqlResultModelTest.moc"
