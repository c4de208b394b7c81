// Writing tables: values of every field kind, the header, and what other readers make of it.
#include "DbfTestSupport.h"
#include "TestRegistry.h"

#include "common/Error.h"
#include "data/DbfTable.h"

#include <QDate>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using lobrix::Error;
using lobrix::data::DbfField;
using lobrix::data::DbfTable;
namespace dbf = lobrix::test::dbf;

class DbfWriteTest : public QObject {
    Q_OBJECT

private:
    static void addFieldColumns()
    {
        QTest::addColumn<char>("type");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("input");
    }

    static QDate headerDate(const QByteArray &file)
    {
        return QDate(1900 + static_cast<quint8>(file.at(1)), file.at(2), file.at(3));
    }

private slots:
    void roundTrip_data()
    {
        addFieldColumns();
        QTest::addColumn<QString>("readBack");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("C umlauts and euro") << 'C' << 30 << 0 << "Müller-Lüdenscheidt ÄÖÜß €"
                                            << "Müller-Lüdenscheidt ÄÖÜß €" << QByteArray();
        QTest::newRow("C apostrophe") << 'C' << 10 << 0 << "O'Brien"
                                      << "O'Brien" << QByteArray("O'Brien   ");
        QTest::newRow("C leading spaces kept") << 'C' << 6 << 0 << "  ab  "
                                               << "  ab" << QByteArray("  ab  ");
        QTest::newRow("C trailing spaces beyond the width") << 'C' << 3 << 0 << "abc     "
                                                            << "abc" << QByteArray("abc");
        QTest::newRow("C empty") << 'C' << 4 << 0 << ""
                                 << "" << QByteArray("    ");
        QTest::newRow("N decimals padded") << 'N' << 10 << 2 << "12.5"
                                           << "12.50" << QByteArray("     12.50");
        QTest::newRow("N negative") << 'N' << 10 << 2 << "-3.25"
                                    << "-3.25" << QByteArray("     -3.25");
        QTest::newRow("N rounds half up") << 'N' << 10 << 2 << "12.345"
                                          << "12.35" << QByteArray();
        QTest::newRow("N rounds into the integer") << 'N' << 6 << 2 << "9.999"
                                                   << "10.00" << QByteArray(" 10.00");
        QTest::newRow("N negative zero") << 'N' << 6 << 2 << "-0.001"
                                         << "0.00" << QByteArray();
        QTest::newRow("N leading point and plus") << 'N' << 6 << 2 << "+.5"
                                                  << "0.50" << QByteArray();
        QTest::newRow("N whole number rounded") << 'N' << 5 << 0 << "12.7"
                                                << "13" << QByteArray("   13");
        QTest::newRow("N exactly as wide as the field") << 'N' << 5 << 0 << "12345"
                                                        << "12345" << QByteArray("12345");
        QTest::newRow("N long decimal without float error")
            << 'N' << 20 << 4 << "123456789012345.6789"
            << "123456789012345.6789" << QByteArray();
        QTest::newRow("N empty") << 'N' << 5 << 0 << ""
                                 << "" << QByteArray("     ");
        QTest::newRow("F decimals") << 'F' << 8 << 3 << "1.5"
                                    << "1.500" << QByteArray("   1.500");
        QTest::newRow("D date text") << 'D' << 8 << 0 << "21.10.2005"
                                     << "21.10.2005" << QByteArray("20051021");
        QTest::newRow("D short day and month") << 'D' << 8 << 0 << "1.2.2005"
                                               << "01.02.2005" << QByteArray("20050201");
        QTest::newRow("D ISO") << 'D' << 8 << 0 << "2004-02-29"
                               << "29.02.2004" << QByteArray("20040229");
        QTest::newRow("D blank is 8 spaces") << 'D' << 8 << 0 << ""
                                             << "" << QByteArray("        ");
        QTest::newRow("L T") << 'L' << 1 << 0 << "T"
                             << "T" << QByteArray("T");
        QTest::newRow("L ja") << 'L' << 1 << 0 << "ja"
                              << "T" << QByteArray("T");
        QTest::newRow("L true") << 'L' << 1 << 0 << "true"
                                << "T" << QByteArray("T");
        QTest::newRow("L 1") << 'L' << 1 << 0 << "1"
                             << "T" << QByteArray("T");
        QTest::newRow("L nein") << 'L' << 1 << 0 << "nein"
                                << "F" << QByteArray("F");
        QTest::newRow("L f") << 'L' << 1 << 0 << "f"
                             << "F" << QByteArray("F");
        QTest::newRow("L 0") << 'L' << 1 << 0 << "0"
                             << "F" << QByteArray("F");
        QTest::newRow("L unknown") << 'L' << 1 << 0 << "?"
                                   << "" << QByteArray(" ");
        QTest::newRow("L blank") << 'L' << 1 << 0 << ""
                                 << "" << QByteArray(" ");
    }

    // Appended and updated values read back the same, from a freshly opened table.
    void roundTrip()
    {
        QFETCH(char, type);
        QFETCH(int, length);
        QFETCH(int, decimals);
        QFETCH(QString, input);
        QFETCH(QString, readBack);
        QFETCH(QByteArray, stored);
        QTemporaryDir dir;
        const QString path = dir.filePath("Werte.dbf");
        DbfTable::create(
            path,
            {{"VOR", 'C', 3, 0, 0}, {"FELD", type, length, decimals, 0}, {"NACH", 'C', 3, 0, 0}});
        {
            auto t = DbfTable::open(path);
            QCOMPARE(t->append({{0, "vor"}, {1, input}, {2, "nac"}}), 0);
            t->append({{0, "vor"}, {2, "nac"}});
            t->update(1, {{1, input}});
        }
        auto t = DbfTable::open(path, DbfTable::Mode::ReadOnly);
        QCOMPARE(t->recordCount(), 2);
        for (int r = 0; r < 2; ++r) {
            const QByteArray rec = t->read(r);
            QCOMPARE(t->text(rec.constData(), 1), readBack);
            if (!stored.isEmpty())
                QCOMPARE(t->raw(rec.constData(), 1), stored);
            QCOMPARE(t->text(rec.constData(), 0), QString("vor"));
            QCOMPARE(t->text(rec.constData(), 2), QString("nac"));
        }
    }

    void invalidValues_data()
    {
        addFieldColumns();
        QTest::addColumn<QString>("message");
        QTest::newRow("N letters") << 'N' << 10 << 2 << "zwölf"
                                   << "'zwölf' ist keine Zahl";
        QTest::newRow("N comma") << 'N' << 10 << 2 << "1,5"
                                 << "keine Zahl";
        QTest::newRow("N two points") << 'N' << 10 << 2 << "1.2.3"
                                      << "keine Zahl";
        QTest::newRow("N exponent") << 'N' << 10 << 2 << "1e5"
                                    << "keine Zahl";
        QTest::newRow("N sign only") << 'N' << 10 << 2 << "-"
                                     << "keine Zahl";
        QTest::newRow("N too wide") << 'N' << 5 << 0 << "123456"
                                    << "zu breit";
        QTest::newRow("N too wide by decimals") << 'N' << 5 << 2 << "100"
                                                << "zu breit";
        QTest::newRow("D month 13") << 'D' << 8 << 0 << "32.13.2005"
                                    << "'32.13.2005' ist kein gültiges Datum";
        QTest::newRow("D 29 Feb of a common year") << 'D' << 8 << 0 << "29.02.2005"
                                                   << "kein gültiges Datum";
        QTest::newRow("D two-digit year") << 'D' << 8 << 0 << "21.10.05"
                                          << "kein gültiges Datum";
        QTest::newRow("D words") << 'D' << 8 << 0 << "heute"
                                 << "kein gültiges Datum";
        QTest::newRow("L word") << 'L' << 1 << 0 << "vielleicht"
                                << "kein Wahrheitswert";
        QTest::newRow("C too long") << 'C' << 5 << 0 << "zu lang"
                                    << "das Feld fasst 5";
        QTest::newRow("C outside the code page") << 'C' << 20 << 0 << "Łukasz Wałęsa"
                                                 << "Zeichen 'Ł'";
        QTest::newRow("C Cyrillic") << 'C' << 20 << 0 << "Иван"
                                    << "Zeichen 'И'";
    }

    // A value that does not fit is refused with the table and field named; nothing is written.
    void invalidValues()
    {
        QFETCH(char, type);
        QFETCH(int, length);
        QFETCH(int, decimals);
        QFETCH(QString, input);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath("Werte.dbf");
        DbfTable::create(path, {{"FELD", type, length, decimals, 0}});
        auto t = DbfTable::open(path);
        t->append({});
        const QByteArray before = dbf::readFile(path);
        for (const QString &error : {dbf::errorOf([&] {
                                         t->append({{0, input}});
                                     }),
                                     dbf::errorOf([&] {
                                         t->update(0, {{0, input}});
                                     })})
            QVERIFY2(error.contains("'Werte.dbf'") && error.contains("'FELD'") &&
                         error.contains(message),
                     qPrintable(error));
        QCOMPARE(dbf::readFile(path), before);
    }

    void codePageOfTheTable_data()
    {
        QTest::addColumn<int>("languageByte");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("storable");
        QTest::newRow("1252 umlauts") << 0x03 << "Größe" << true;
        QTest::newRow("1252 Polish") << 0x03 << "Łódź" << false;
        QTest::newRow("1250 Polish") << 0xC8 << "Łódź" << true;
        QTest::newRow("850 umlauts") << 0x37 << "Größe" << true;
        QTest::newRow("850 euro") << 0x37 << "5 €" << false;
    }

    void codePageOfTheTable()
    {
        QFETCH(int, languageByte);
        QFETCH(QString, text);
        QFETCH(bool, storable);
        QTemporaryDir dir;
        const QString path = dir.filePath("cp.dbf");
        DbfTable::create(path, {{"NAME", 'C', 10, 0, 0}}, static_cast<quint8>(languageByte));
        auto t = DbfTable::open(path);
        QCOMPARE(t->canStore(text), storable);
        if (!storable) {
            QVERIFY_THROWS_EXCEPTION(Error, t->append({{0, text}}));
            return;
        }
        t->append({{0, text}});
        auto again = DbfTable::open(path, DbfTable::Mode::ReadOnly);
        QCOMPARE(again->text(again->read(0).constData(), 0), text);
    }

    void createWritesDbase3Header()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Neu.dbf");
        DbfTable::create(path,
                         {{"Vorgang", 'C', 10, 0, 0},
                          {"Tag", 'D', 0, 0, 0},
                          {"Betrag", 'N', 8, 2, 0},
                          {"Anwesend", 'L', 0, 0, 0}},
                         0x57);
        const QByteArray file = dbf::readFile(path);
        const int headerLength = 32 + 4 * 32 + 1;
        QCOMPARE(file.size(), headerLength + 1);
        QCOMPARE(quint8(file.at(0)), quint8(0x03));
        QCOMPARE(headerDate(file), QDate::currentDate());
        QCOMPARE(dbf::headerCount(file), 0u);
        QCOMPARE(quint8(file.at(8)) | (quint8(file.at(9)) << 8), headerLength);
        QCOMPARE(quint8(file.at(10)) | (quint8(file.at(11)) << 8), 1 + 10 + 8 + 8 + 1);
        QCOMPARE(quint8(file.at(29)), quint8(0x57));
        QCOMPARE(file.mid(32, 11), QByteArray("VORGANG\0\0\0\0", 11));
        QCOMPARE(file.at(32 + 32 + 11), 'D');
        QCOMPARE(int(file.at(32 + 32 + 16)), 8);
        QCOMPARE(int(file.at(32 + 64 + 17)), 2);
        QCOMPARE(int(file.at(32 + 96 + 16)), 1);
        QCOMPARE(file.at(headerLength - 1), '\x0D');
        QCOMPARE(file.at(headerLength), '\x1A');
        auto t = DbfTable::open(path);
        QCOMPARE(t->fieldIndex("anwesend"), 3);
        QCOMPARE(t->fields().at(2).offset, 1 + 10 + 8);
    }

    void createRefuses_data()
    {
        QTest::addColumn<QVector<DbfField>>("fields");
        QTest::addColumn<QString>("message");
        QTest::newRow("no fields") << QVector<DbfField>{} << "mindestens ein Feld";
        QTest::newRow("name too long")
            << QVector<DbfField>{{"ELFZEICHENX", 'C', 5, 0, 0}} << "Feldnamen";
        QTest::newRow("name with space") << QVector<DbfField>{{"A B", 'C', 5, 0, 0}} << "Feldnamen";
        QTest::newRow("name with umlaut")
            << QVector<DbfField>{{"GRÖSSE", 'C', 5, 0, 0}} << "Feldnamen";
        QTest::newRow("twice, other case")
            << QVector<DbfField>{{"Name", 'C', 5, 0, 0}, {"NAME", 'C', 5, 0, 0}} << "doppelt";
        QTest::newRow("C of length 0")
            << QVector<DbfField>{{"A", 'C', 0, 0, 0}} << "nicht zulässig";
        QTest::newRow("N decimals too many")
            << QVector<DbfField>{{"A", 'N', 3, 2, 0}} << "nicht zulässig";
        QTest::newRow("memo") << QVector<DbfField>{{"A", 'M', 10, 0, 0}} << "kann nicht angelegt";
    }

    void createRefuses()
    {
        QFETCH(QVector<DbfField>, fields);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString error =
            dbf::errorOf([&] { DbfTable::create(dir.filePath("Neu.dbf"), fields); });
        QVERIFY2(error.contains("'Neu.dbf'") && error.contains(message), qPrintable(error));
        QVERIFY(!QFileInfo::exists(dir.filePath("Neu.dbf")));
    }

    void createRefusesExistingTableInAnyCase()
    {
        QTemporaryDir dir;
        QVERIFY(dbf::writeFile(dir.filePath("BESUCHER.DBF"), "x"));
        QVERIFY_THROWS_EXCEPTION(
            Error, DbfTable::create(dir.filePath("Besucher.dbf"), {{"A", 'C', 1, 0, 0}}));
        QCOMPARE(dbf::readFile(dir.filePath("BESUCHER.DBF")), QByteArray("x"));
    }

    // Writing keeps the version byte and the language byte of a file another program wrote,
    // keeps the header date current and ends the data with 0x1A.
    void writesKeepForeignHeader_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("dBASE III") << "pydbf_db3.dbf";
        QTest::newRow("dBASE III memo") << "pydbf_memo.dbf";
        QTest::newRow("Visual FoxPro") << "pydbf_vfp.dbf";
        QTest::newRow("language byte 0") << "gdal_cp1252.dbf";
    }

    void writesKeepForeignHeader()
    {
        QFETCH(QString, file);
        QTemporaryDir dir;
        dbf::copyFixtures("interop", dir.path());
        const QString path = dir.filePath(file);
        QByteArray old = dbf::readFile(path);
        old[1] = 95; // 1995-01-01
        old[2] = 1;
        old[3] = 1;
        QVERIFY(dbf::writeFile(path, old));
        const auto sameHeaderStart = [&](const QByteArray &now) {
            QCOMPARE(now.at(0), old.at(0));
            QCOMPARE(now.at(29), old.at(29));
            QCOMPARE(now.mid(8, 4), old.mid(8, 4));
        };
        auto t = DbfTable::open(path);
        t->update(1, {{t->fieldIndex("NAME"), "Meier"}});
        QByteArray now = dbf::readFile(path);
        sameHeaderStart(now);
        QCOMPARE(headerDate(now), QDate::currentDate());
        QCOMPARE(now.size(), old.size());

        const int recno =
            t->append({{t->fieldIndex("NAME"), "Neu"}, {t->fieldIndex("TAG"), "24.12.2024"}});
        QCOMPARE(recno, 3);
        now = dbf::readFile(path);
        sameHeaderStart(now);
        QCOMPARE(dbf::headerCount(now), 4u);
        QCOMPARE(now.size(), qsizetype(t->headerLength()) + 4 * t->recordSize() + 1);
        QCOMPARE(now.back(), '\x1A');
        auto again = DbfTable::open(path, DbfTable::Mode::ReadOnly);
        QCOMPARE(again->text(again->read(1).constData(), 0), QString("Meier"));
        QCOMPARE(again->text(again->read(3).constData(), again->fieldIndex("tag")),
                 QString("24.12.2024"));
        QCOMPARE(again->text(again->read(0).constData(), 0), QString("Müller"));
    }

    void readOnlyRefusesWrites()
    {
        QTemporaryDir dir;
        dbf::copyFixtures("interop", dir.path());
        auto t = DbfTable::open(dir.filePath("pydbf_db3.dbf"), DbfTable::Mode::ReadOnly);
        const QByteArray before = dbf::readFile(dir.filePath("pydbf_db3.dbf"));
        QVERIFY_THROWS_EXCEPTION(Error, t->append({}));
        QVERIFY_THROWS_EXCEPTION(Error, t->update(0, {{0, "x"}}));
        QVERIFY_THROWS_EXCEPTION(Error, t->setDeleted(0));
        QVERIFY_THROWS_EXCEPTION(Error, t->pack());
        QCOMPARE(dbf::readFile(dir.filePath("pydbf_db3.dbf")), before);
    }

    void updateOfMissingRecordRefused()
    {
        QTemporaryDir dir;
        DbfTable::create(dir.filePath("t.dbf"), {{"A", 'C', 3, 0, 0}});
        auto t = DbfTable::open(dir.filePath("t.dbf"));
        t->append({{0, "x"}});
        QVERIFY_THROWS_EXCEPTION(Error, t->update(1, {{0, "y"}}));
        QVERIFY_THROWS_EXCEPTION(Error, t->update(-1, {{0, "y"}}));
        QVERIFY_THROWS_EXCEPTION(Error, t->update(0, {{5, "y"}}));
        QCOMPARE(t->recordCount(), 1);
    }

    // Many records marked at once, in runs of neighbours: exactly those, their other bytes
    // as they were, whatever order they come in; one past the end is refused.
    void manyRecordsDeletedInRuns()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("t.dbf");
        DbfTable::create(path, {{"NAME", 'C', 10, 0, 0}});
        auto t = DbfTable::open(path);
        for (int i = 0; i < 3000; ++i)
            t->append({{0, QString::number(i)}});
        std::vector<int> doomed{2999, 5, 3, 4, 4, 1000};
        for (int i = 1500; i < 2900; ++i) // a run longer than one block
            doomed.push_back(i);
        t->setDeleted(doomed);
        int deleted = 0;
        for (int i = 0; i < 3000; ++i) {
            const QByteArray record = t->read(i);
            const bool expected = i == 3 || i == 4 || i == 5 || i == 1000 || i == 2999 || (i >= 1500 && i < 2900);
            QCOMPARE(DbfTable::isDeleted(record.constData()), expected);
            QCOMPARE(t->text(record.constData(), 0), QString::number(i));
            deleted += expected ? 1 : 0;
        }
        QCOMPARE(t->health().deleted, deleted);
        QVERIFY(!dbf::errorOf([&] { t->setDeleted(std::vector<int>{10, 3000}); }).isEmpty());
        QVERIFY(!DbfTable::isDeleted(t->read(10).constData())); // checked before anything is marked
    }

    void packRemovesDeletedRecords_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("exclusive") << "exclusive";
        QTest::newRow("shared, alone") << "shared";
    }

    void packRemovesDeletedRecords()
    {
        QFETCH(QString, mode);
        QTemporaryDir dir;
        dbf::copyFixtures("legacy/db", dir.path());
        const QString path = DbfTable::resolve(dir.path(), "Besucher.dbf");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        auto t = DbfTable::open(path, mode == "exclusive" ? DbfTable::Mode::Exclusive
                                                          : DbfTable::Mode::Shared);
        t->setDeleted(5);
        QList<QStringList> live = dbf::liveRows(*t);
        QCOMPARE(live.size(), 238);
        t->pack();
        QCOMPARE(t->recordCount(), live.size());
        QCOMPARE(t->health().deleted, 0);
        QCOMPARE(dbf::liveRows(*t), live);
        const QByteArray file = dbf::readFile(path);
        QCOMPARE(dbf::headerCount(file), quint32(live.size()));
        QCOMPARE(file.size(), qsizetype(t->headerLength()) + live.size() * t->recordSize() + 1);
        QCOMPARE(QFile::permissions(path) & (QFile::ReadGroup | QFile::WriteOwner),
                 QFile::ReadGroup | QFile::WriteOwner);
        // The open table refers to the new file: writing goes on there.
        const int recno = t->append({{t->fieldIndex("NAME"), "Nach dem Packen"}});
        QCOMPARE(recno, live.size());
        t.reset();
        auto again = DbfTable::open(path, DbfTable::Mode::ReadOnly);
        QCOMPARE(again->text(again->read(recno).constData(), again->fieldIndex("name")),
                 QString("Nach dem Packen"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(".XXXXXX").size(),
                 0);
    }

    void addFieldWidensEveryRecord_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<DbfField>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("readBack");
        QTest::newRow("dBASE III, C")
            << "pydbf_db3.dbf" << DbfField{"Bemerkung", 'C', 20, 0, 0} << "Grüße"
            << "Grüße";
        QTest::newRow("dBASE III, D")
            << "pydbf_db3.dbf" << DbfField{"Bis", 'D', 0, 0, 0} << "1.1.2030"
            << "01.01.2030";
        QTest::newRow("dBASE III, N")
            << "pydbf_db3.dbf" << DbfField{"Menge", 'N', 6, 1, 0} << "2.25"
            << "2.3";
        QTest::newRow("Visual FoxPro, L")
            << "pydbf_vfp.dbf" << DbfField{"Fertig", 'L', 1, 0, 0} << "ja"
            << "T";
    }

    void addFieldWidensEveryRecord()
    {
        QFETCH(QString, file);
        QFETCH(DbfField, field);
        QFETCH(QString, value);
        QFETCH(QString, readBack);
        QTemporaryDir dir;
        dbf::copyFixtures("interop", dir.path());
        const QString path = dir.filePath(file);
        QList<QStringList> before;
        int oldSize = 0, oldHeader = 0;
        {
            auto t = DbfTable::open(path, DbfTable::Mode::ReadOnly);
            before = dbf::liveRows(*t);
            oldSize = t->recordSize();
            oldHeader = t->headerLength();
        }
        {
            auto t = DbfTable::open(path, DbfTable::Mode::Exclusive);
            t->addField(field);
            QVERIFY(t->recordSize() > oldSize);
            QCOMPARE(t->headerLength(), oldHeader + 32);
            t->update(1, {{t->fieldIndex(field.name), value}});
            QVERIFY_THROWS_EXCEPTION(Error, t->addField(field));
        }
        auto t = DbfTable::open(path, DbfTable::Mode::ReadOnly);
        const int added = t->fieldIndex(field.name);
        QCOMPARE(added, before.first().size());
        QList<QStringList> after = dbf::liveRows(*t);
        QCOMPARE(after.at(1).at(added), readBack);
        after[1][added] = QString();
        for (QStringList &row : after)
            QCOMPARE(row.takeLast(), QString());
        QCOMPARE(after, before);
        QCOMPARE(t->health().damaged(), false);
    }

    // dbfread and python-dbf read what we write, field for field.
    void pythonReadersReadWhatWeWrite()
    {
        if (!dbf::pythonReadersAvailable())
            QSKIP("/usr/bin/python3 has no dbfread/dbf");
        QTemporaryDir dir;
        const QString path = dir.filePath("Besuch.dbf");
        DbfTable::create(path, {{"NAME", 'C', 30, 0, 0},
                                {"BETRAG", 'N', 10, 2, 0},
                                {"AUSWEIS", 'N', 5, 0, 0},
                                {"TAG", 'D', 8, 0, 0},
                                {"ANWESEND", 'L', 1, 0, 0},
                                {"FAKTOR", 'F', 8, 3, 0}});
        {
            auto t = DbfTable::open(path);
            t->append(
                {{0, "Müller"}, {1, "12.5"}, {2, "17"}, {3, "21.10.2005"}, {4, "T"}, {5, "0.125"}});
            t->append({{0, "O'Neill, Zoë"}, {1, "-3.25"}, {3, ""}, {4, "F"}});
            t->append({{0, "gelöscht"}, {1, "1"}});
            t->append({{0, "Nägel ß €"}, {2, "0"}, {4, "?"}, {5, "-1.5"}});
            t->update(1, {{2, "99"}, {3, "29.02.2004"}});
            t->setDeleted(2);
            t->addField({"NOTIZ", 'C', 12, 0, 0});
            t->update(3, {{6, "späte Spalte"}});
        }
        auto t = DbfTable::open(path, DbfTable::Mode::ReadOnly);
        const QList<QStringList> ours = dbf::liveRows(*t);
        QCOMPARE(ours.size(), 3);
        QCOMPARE(ours.at(1).at(3), QString("29.02.2004"));
        QString error;
        const QJsonDocument doc = dbf::runPython(dbf::kReadTablesScript, {path}, &error);
        QVERIFY2(doc.isObject(), qPrintable(error));
        const QJsonObject witness = doc.object().value(path).toObject();
        QCOMPARE(witness.value("fields").toVariant().toStringList(),
                 QStringList({"NAME", "BETRAG", "AUSWEIS", "TAG", "ANWESEND", "FAKTOR", "NOTIZ"}));
        for (const char *reader : {"dbfread", "dbf"}) {
            QList<QStringList> theirs;
            for (const QJsonValue row : witness.value(reader).toArray())
                theirs << row.toVariant().toStringList();
            QCOMPARE(theirs, ours);
        }
    }
};

LOBRIX_TEST(DbfWriteTest)
#include "DbfWriteTest.moc"
