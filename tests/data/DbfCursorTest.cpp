// The cursor the windows use: rows meeting bound conditions, editing, appending, deleting.
#include "DbfTestSupport.h"
#include "TestRegistry.h"

#include "data/DbfCursor.h"
#include "data/DbfTable.h"

#include <QDate>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using lobrix::data::DbfCursor;
using lobrix::data::DbfTable;
namespace dbf = lobrix::test::dbf;

namespace {

// A condition as "text:FIELD:value", "number:FIELD:value" or "date:FIELD:from:to".
void applyCondition(DbfCursor &c, const QString &condition)
{
    const QStringList p = condition.split(u':');
    if (p[0] == "text")
        c.whereText(p[1], p[2]);
    else if (p[0] == "number")
        c.whereNumber(p[1], p[2].toDouble());
    else
        c.whereDateBetween(p[1], p[2], p[3]);
}

// The same condition judged on the decoded text of a record, with QDate for dates.
bool holds(const DbfTable &t, const char *record, const QString &condition)
{
    const QStringList p = condition.split(u':');
    const QString value = t.text(record, t.fieldIndexOrThrow(p[1]));
    if (p[0] == "text")
        return value == p[2];
    if (p[0] == "number") {
        bool ok = false;
        return value.toDouble(&ok) == p[2].toDouble() && ok;
    }
    const QDate date = QDate::fromString(value, "dd.MM.yyyy");
    return date.isValid() && date >= QDate::fromString(p[2], "dd.MM.yyyy") &&
           date <= QDate::fromString(p[3], "dd.MM.yyyy");
}

QList<int> visited(DbfCursor &c)
{
    QList<int> recnos;
    for (bool ok = c.first(); ok; ok = c.next())
        recnos << c.recno();
    return recnos;
}

} // namespace

class DbfCursorTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void init()
    {
        // A fresh copy of the legacy installation for every test function.
        QVERIFY(m_dir.isValid());
        for (const QString &name : QDir(m_dir.path()).entryList(QDir::Files))
            QFile::remove(m_dir.filePath(name));
        dbf::copyFixtures("legacy/db", m_dir.path());
    }

    void deletedRecordStaysInvisible()
    {
        DbfCursor c(m_dir.path(), "Besucher.dbf");
        const QList<int> recnos = visited(c);
        QCOMPARE(recnos.size(), 239);
        QCOMPARE(c.count(), 239);
        const int total = c.table().recordCount();
        QCOMPARE(total, 240);
        for (int r = 0; r < total; ++r)
            QCOMPARE(recnos.contains(r), !DbfTable::isDeleted(c.table().read(r).constData()));
        QVERIFY(std::is_sorted(recnos.begin(), recnos.end()));
    }

    void conditions_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("conditions");
        QTest::newRow("present visitors") << "Besucher.dbf" << QStringList{"text:Geht:"};
        QTest::newRow("user") << "Besucher.dbf" << QStringList{"text:NUTZER:pfoertner"};
        QTest::newRow("umlaut") << "Besucher.dbf" << QStringList{"text:Name:Öztürk"};
        QTest::newRow("apostrophe") << "Stamm.dbf" << QStringList{"text:Name:O'Brien"};
        QTest::newRow("case matters") << "Besucher.dbf" << QStringList{"text:Name:öztürk"};
        QTest::newRow("not in the code page") << "Besucher.dbf" << QStringList{"text:Name:Łukasz"};
        QTest::newRow("photo kind") << "Fotos.dbf" << QStringList{"text:TYP:3"};
        QTest::newRow("badge number") << "Ausweis.dbf" << QStringList{"number:Ausweis:7"};
        QTest::newRow("number on text field") << "Besucher.dbf" << QStringList{"number:Ausweis:7"};
        QTest::newRow("date range")
            << "Besucher.dbf" << QStringList{"date:Tag:05.10.2005:12.10.2005"};
        QTest::newRow("one day") << "Besucher.dbf" << QStringList{"date:TAG:03.10.2005:03.10.2005"};
        QTest::newRow("range and user")
            << "Besucher.dbf"
            << QStringList{"date:Tag:01.10.2005:10.10.2005", "text:Nutzer:Empfang"};
        QTest::newRow("nothing") << "Besucher.dbf" << QStringList{"date:Tag:01.01.2010:31.12.2010"};
    }

    void conditions()
    {
        QFETCH(QString, table);
        QFETCH(QStringList, conditions);
        DbfCursor c(m_dir.path(), table);
        for (const QString &condition : conditions)
            applyCondition(c, condition);
        QList<int> expected;
        const DbfTable &t = c.table();
        for (int r = 0; r < t.recordCount(); ++r) {
            const QByteArray rec = t.read(r);
            if (DbfTable::isDeleted(rec.constData()))
                continue;
            if (std::all_of(conditions.begin(), conditions.end(),
                            [&](const QString &cond) { return holds(t, rec.constData(), cond); }))
                expected << r;
        }
        QCOMPARE(visited(c), expected);
        QCOMPARE(c.count(), expected.size());
        QVERIFY(c.eof());
    }

    void presentVisitorsOfTheFixture()
    {
        DbfCursor c(m_dir.path(), "BESUCHER.DBF");
        c.whereText("Geht", "");
        QCOMPARE(c.count(), 4);
    }

    void openDateBound()
    {
        DbfCursor c(m_dir.path(), "Besucher.dbf");
        c.whereDateBetween("Tag", "20.10.2005", "");
        for (bool ok = c.first(); ok; ok = c.next())
            QVERIFY(QDate::fromString(c.value("Tag"), "dd.MM.yyyy") >= QDate(2005, 10, 20));
        QVERIFY(c.count() > 0);
    }

    // Two workstations change different fields of the same row: both changes stay.
    void editWritesOnlyChangedFields()
    {
        DbfCursor a(m_dir.path(), "Besucher.dbf");
        DbfCursor b(m_dir.path(), "Besucher.dbf");
        QVERIFY(a.locate("Vorgang", "1003"));
        QVERIFY(b.locate("Vorgang", "1003"));
        const QString firma = a.value("Firma");
        a.setValue("Name", "Schulze");
        b.setValue("Geht", "17:45");
        QCOMPARE(a.value("Name"), QString("Schulze"));
        a.post();
        b.post();
        DbfCursor check(m_dir.path(), "Besucher.dbf");
        QVERIFY(check.locate("Vorgang", "1003"));
        QCOMPARE(check.value("Name"), QString("Schulze"));
        QCOMPARE(check.value("Geht"), QString("17:45"));
        QCOMPARE(check.value("Firma"), firma);
        QCOMPARE(b.value("Name"), QString("Schulze"));
    }

    void appendPostsNewCurrentRow()
    {
        DbfCursor c(m_dir.path(), "Besucher.dbf");
        c.whereText("Geht", "");
        const int present = c.count();
        const int total = c.table().recordCount();
        c.append();
        QVERIFY(!c.eof());
        QCOMPARE(c.value("Name"), QString());
        c.setValue("Vorgang", "9999");
        c.setValue("Name", "Nowak");
        c.setValue("Tag", "1.2.2006");
        QCOMPARE(c.value("Tag"), QString("01.02.2006"));
        QCOMPARE(c.table().recordCount(), total);
        c.post();
        QCOMPARE(c.recno(), total);
        QCOMPARE(c.value("Name"), QString("Nowak"));
        QCOMPARE(c.count(), present + 1);
        DbfCursor other(m_dir.path(), "Besucher.dbf");
        QVERIFY(other.locate("Vorgang", "9999"));
        QCOMPARE(other.value("TAG"), QString("01.02.2006"));
    }

    void deleteRecordHidesRowAndMovesOn()
    {
        DbfCursor c(m_dir.path(), "Besucher.dbf");
        c.whereText("Nutzer", "pfoertner");
        const QList<int> before = visited(c);
        QVERIFY(before.size() > 2);
        QVERIFY(c.first());
        c.deleteRecord();
        QCOMPARE(c.recno(), before.at(1));
        QCOMPARE(c.count(), before.size() - 1);
        // Moving rows away one by one, as the separation of a user's visits does.
        int moved = 1;
        while (!c.eof()) {
            c.deleteRecord();
            ++moved;
        }
        QCOMPARE(moved, before.size());
        QCOMPARE(c.count(), 0);
        DbfCursor all(m_dir.path(), "Besucher.dbf");
        QCOMPARE(all.count(), 239 - before.size());
    }

    void locateRespectsCaseOption()
    {
        DbfCursor c(m_dir.path(), "Stamm.dbf");
        QVERIFY(!c.locate("Name", "weiß"));
        QVERIFY(c.eof());
        QVERIFY(c.locate("name", "WEISS") == false);
        QVERIFY(c.locate("Name", "WEIß", true));
        QCOMPARE(c.value("Name"), QString("Weiß"));
        QVERIFY(c.locate("Name", "O'Brien"));
        QCOMPARE(c.value("NAME"), QString("O'Brien"));
    }

    void logicalField()
    {
        DbfCursor c(m_dir.path(), "Voranmel.dbf");
        QVERIFY(c.first());
        QCOMPARE(c.logical("Anwesend"), 1);
        c.setValue("Anwesend", "F");
        c.post();
        QCOMPARE(c.logical("Anwesend"), 0);
        QCOMPARE(c.value("ANWESEND"), QString("F"));
    }

    // Rows another workstation appends while a scan runs are part of the scan.
    void scanSeesRowsAppendedMeanwhile()
    {
        DbfCursor c(m_dir.path(), "Ziele.dbf");
        auto other = DbfTable::open(DbfTable::resolve(m_dir.path(), "Ziele.dbf"));
        QVERIFY(c.first());
        other->append({{0, "Neues Ziel"}});
        QString last;
        for (bool ok = true; ok; ok = c.next())
            last = c.value("Name");
        QCOMPARE(last, QString("Neues Ziel"));
    }

    void refusedInput_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("message");
        QTest::newRow("invalid date") << "set Tag 31.02.2005"
                                      << "Feld 'TAG'";
        QTest::newRow("unknown field") << "set Farbe rot"
                                       << "kein Feld 'Farbe'";
        QTest::newRow("bad date bound") << "range Tag gestern"
                                        << "Feld 'TAG'";
        QTest::newRow("value without row") << "value at end"
                                           << "kein aktueller Satz";
    }

    void refusedInput()
    {
        QFETCH(QString, action);
        QFETCH(QString, message);
        const QString path = DbfTable::resolve(m_dir.path(), "Besucher.dbf");
        const QByteArray before = dbf::readFile(path);
        DbfCursor c(m_dir.path(), "Besucher.dbf");
        QVERIFY(c.first());
        const QStringList a = action.split(u' ');
        const QString error = dbf::errorOf([&] {
            if (a[0] == "set") {
                c.setValue(a[1], a[2]);
            } else if (a[0] == "range") {
                c.whereDateBetween(a[1], a[2], "");
            } else {
                c.whereText("Name", "niemand");
                c.first();
                c.value("Name");
            }
        });
        QVERIFY2(error.contains(message), qPrintable(error));
        c.post();
        QCOMPARE(dbf::readFile(path), before);
    }
};

LOBRIX_TEST(DbfCursorTest)
#include "DbfCursorTest.moc"
