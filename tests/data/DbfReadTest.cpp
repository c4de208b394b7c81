// Reading tables that other programs wrote, and refusing files we cannot read.
#include "DbfTestSupport.h"
#include "TestRegistry.h"

#include "data/DbfTable.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using lobrix::data::DbfTable;
namespace dbf = lobrix::test::dbf;

class DbfReadTest : public QObject {
    Q_OBJECT

private:
    static QJsonObject expected()
    {
        const QJsonDocument doc =
            QJsonDocument::fromJson(dbf::readFile(dbf::fixture("interop/expected.json")));
        return doc.object();
    }

    // Table with two memo rows pointing at the given blocks; byte 0 = version.
    static bool writeMemoTable(const QString &path, quint8 version, int blockA, int blockB)
    {
        DbfTable::create(path, {{"NAME", 'C', 10, 0, 0}, {"NOTIZ", 'C', 10, 0, 0}});
        {
            auto t = DbfTable::open(path);
            t->append({{0, "eins"}, {1, QString::number(blockA)}});
            t->append({{0, "zwei"}, {1, QString::number(blockB)}});
        }
        QByteArray bytes = dbf::readFile(path);
        bytes[0] = static_cast<char>(version);
        bytes[32 + 32 + 11] = 'M'; // NOTIZ becomes a memo field
        return dbf::writeFile(path, bytes);
    }

private slots:
    void interopFixtures_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("rowsOf");
        const QJsonObject all = expected();
        for (auto it = all.begin(); it != all.end(); ++it) {
            const QJsonObject o = it.value().toObject();
            const QString rowsOf =
                o.contains("rows") ? it.key() : o.value("same_rows_as").toString();
            QTest::newRow(qPrintable(it.key())) << it.key() << rowsOf;
        }
    }

    void interopFixtures()
    {
        QFETCH(QString, file);
        QFETCH(QString, rowsOf);
        const QJsonArray rows = expected().value(rowsOf).toObject().value("rows").toArray();
        QVERIFY(!rows.isEmpty());
        auto t = DbfTable::open(dbf::fixture("interop/" + file), DbfTable::Mode::ReadOnly);
        QCOMPARE(t->recordCount(), rows.size());
        const int name = t->fieldIndex("name"), betrag = t->fieldIndex("Betrag"),
                  tag = t->fieldIndex("TAG"), ok = t->fieldIndex("ok");
        QVERIFY(name >= 0 && betrag >= 0 && tag >= 0 && ok >= 0);
        const QByteArray block = t->readBlock(0, t->recordCount());
        QCOMPARE(block.size(), qsizetype(rows.size()) * t->recordSize());
        for (int r = 0; r < rows.size(); ++r) {
            const char *rec = block.constData() + qsizetype(r) * t->recordSize();
            const QJsonArray want = rows.at(r).toArray();
            QCOMPARE(t->text(rec, name), want.at(0).toString());
            QCOMPARE(t->text(rec, betrag), want.at(1).toString());
            QCOMPARE(t->text(rec, tag), want.at(2).toString());
            const QJsonValue flag = want.at(3);
            if (flag.isString()) // GDAL writes booleans into N(1)
                QCOMPARE(t->text(rec, ok), flag.toString());
            else
                QCOMPARE(t->logical(rec, ok), flag.isNull() ? -1 : (flag.toBool() ? 1 : 0));
        }
    }

    void interopMemo()
    {
        auto t = DbfTable::open(dbf::fixture("interop/pydbf_memo.dbf"), DbfTable::Mode::ReadOnly);
        const int notiz = t->fieldIndex("notiz");
        QCOMPARE(t->fields().at(notiz).type, 'M');
        const QStringList names = {"Müller", "Meyer", "Nägel ß"};
        for (int r = 0; r < names.size(); ++r) {
            const QString memo = t->text(t->read(r).constData(), notiz);
            QVERIFY2(memo.startsWith("Notiz zu " + names[r] + ": längerer Text"), qPrintable(memo));
            QVERIFY(memo.size() > 200);
            QVERIFY(!memo.contains(QChar(0x1A)));
        }
        if (!dbf::pythonReadersAvailable())
            return;
        QString error;
        const QJsonDocument doc =
            dbf::runPython("import sys, json, dbfread\n"
                           "print(json.dumps([r['NOTIZ'] for r in dbfread.DBF(sys.argv[1])]))",
                           {dbf::fixture("interop/pydbf_memo.dbf")}, &error);
        QVERIFY2(doc.isArray(), qPrintable(error));
        for (int r = 0; r < names.size(); ++r)
            QCOMPARE(t->text(t->read(r).constData(), notiz), doc.array().at(r).toString());
    }

    // dBASE IV and FoxPro memo files, written here by hand since no fixture has them.
    void memoFormats_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<QString>("extension");
        QTest::addRow("dBASE IV .dbt, 1024-byte blocks") << 0x8B << "dbt";
        QTest::addRow("FoxPro .fpt, 64-byte blocks") << 0xF5 << "fpt";
        QTest::addRow("dBASE III .dbt, lower-case name") << 0x83 << "dbt";
    }

    void memoFormats()
    {
        QFETCH(int, version);
        QFETCH(QString, extension);
        QTemporaryDir dir;
        const QString path = dir.filePath("Notizen.dbf");
        // FoxPro's first blocks hold the memo file header.
        const int blockA = version == 0xF5 ? 8 : 1, blockB = version == 0xF5 ? 10 : 3;
        QVERIFY(writeMemoTable(path, static_cast<quint8>(version), blockA, blockB));
        const QByteArray first = QString("Erste Notiz: Grüße").toLatin1();
        const QByteArray second = QString("Zweite Notiz, länger als ein Block? Nein.").toLatin1();
        QByteArray memo;
        const auto put = [&](qsizetype at, const QByteArray &bytes) {
            if (memo.size() < at + bytes.size())
                memo.resize(at + bytes.size(), '\0');
            memo.replace(at, bytes.size(), bytes);
        };
        if (version == 0x8B) {
            const int block = 1024;
            memo = QByteArray(block, '\0');
            memo[20] = 0x00; // block size, little-endian
            memo[21] = 0x04;
            const auto entry = [](const QByteArray &text) {
                QByteArray e("\xFF\xFF\x08\x00", 4);
                const quint32 length = static_cast<quint32>(text.size() + 8);
                for (int i = 0; i < 4; ++i)
                    e += static_cast<char>((length >> (8 * i)) & 0xFF);
                return e + text;
            };
            put(blockA * block, entry(first));
            put(blockB * block, entry(second));
        } else if (version == 0xF5) {
            const int block = 64;
            memo = QByteArray(512, '\0');
            memo[7] = block; // block size, big-endian
            const auto entry = [](const QByteArray &text) {
                QByteArray e("\x00\x00\x00\x01", 4);
                const quint32 length = static_cast<quint32>(text.size());
                for (int i = 3; i >= 0; --i)
                    e += static_cast<char>((length >> (8 * i)) & 0xFF);
                return e + text;
            };
            put(blockA * block, entry(first));
            put(blockB * block, entry(second));
        } else {
            memo = QByteArray(512, '\0');
            put(512, first + "\x1A\x1A");
            put(3 * 512, second + "\x1A\x1A");
        }
        QVERIFY(dbf::writeFile(dir.filePath(version == 0x83 ? "notizen." + extension
                                                            : "Notizen." + extension.toUpper()),
                               memo));
        auto t = DbfTable::open(path, DbfTable::Mode::ReadOnly);
        QCOMPARE(int(t->version()), version);
        QCOMPARE(t->text(t->read(0).constData(), 1), QString("Erste Notiz: Grüße"));
        QCOMPARE(t->text(t->read(1).constData(), 1), QString::fromLatin1(second));
    }

    void memoFileMissingReadsEmpty()
    {
        QTemporaryDir dir;
        QFile::copy(dbf::fixture("interop/pydbf_memo.dbf"), dir.filePath("m.dbf"));
        auto t = DbfTable::open(dir.filePath("m.dbf"), DbfTable::Mode::ReadOnly);
        QCOMPARE(t->text(t->read(0).constData(), t->fieldIndex("NOTIZ")), QString());
        QCOMPARE(t->text(t->read(0).constData(), t->fieldIndex("NAME")), QString("Müller"));
    }

    // Byte 29 decides the code page; only when it is 0 does a .cpg beside the table count.
    void codePageSources_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("cpg");
        QTest::addColumn<QString>("name");
        QTest::addRow("byte 0, cpg 1252") << "gdal_cp1252.dbf"
                                          << "CP1252"
                                          << "Müller";
        QTest::addRow("byte 0, cpg 850") << "gdal_cp1252.dbf"
                                         << "850"
                                         << "M³ller";
        QTest::addRow("byte 0, no cpg") << "gdal_cp1252.dbf"
                                        << ""
                                        << "Müller";
        QTest::addRow("byte 0x57 wins over cpg") << "gdal_default.dbf"
                                                 << "850"
                                                 << "Müller";
    }

    void codePageSources()
    {
        QFETCH(QString, file);
        QFETCH(QString, cpg);
        QFETCH(QString, name);
        QTemporaryDir dir;
        QFile::copy(dbf::fixture("interop/" + file), dir.filePath("t.dbf"));
        if (!cpg.isEmpty())
            QVERIFY(dbf::writeFile(dir.filePath("T.CPG"), cpg.toLatin1()));
        auto t = DbfTable::open(dir.filePath("t.dbf"), DbfTable::Mode::ReadOnly);
        QCOMPARE(t->text(t->read(0).constData(), 0), name);
    }

    void legacyTablesMatchPythonReaders_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"Besucher.dbf", "Stamm.dbf", "Voranmel.dbf", "Ausweis.dbf",
                                 "Fotos.dbf", "Ziele.dbf", "Besucher_2.dbf"})
            QTest::newRow(name) << QString(name);
    }

    void legacyTablesMatchPythonReaders()
    {
        QFETCH(QString, name);
        const QString path = DbfTable::resolve(dbf::fixture("legacy/db"), name);
        QVERIFY2(QFileInfo::exists(path), qPrintable(path));
        auto t = DbfTable::open(path, DbfTable::Mode::ReadOnly);
        const DbfTable::Health h = t->health();
        QVERIFY(!h.damaged());
        QCOMPARE(h.headerCount, t->recordCount());
        if (!dbf::pythonReadersAvailable())
            QSKIP("/usr/bin/python3 has no dbfread/dbf");
        QString error;
        const QJsonDocument doc = dbf::runPython(dbf::kReadTablesScript, {path}, &error);
        QVERIFY2(doc.isObject(), qPrintable(error));
        const QJsonObject witness = doc.object().value(path).toObject();
        QList<QStringList> theirs;
        for (const QJsonValue row : witness.value("dbfread").toArray())
            theirs << row.toVariant().toStringList();
        QCOMPARE(dbf::liveRows(*t), theirs);
    }

    void legacyBesucherHidesDeletedRecord()
    {
        auto t = DbfTable::open(DbfTable::resolve(dbf::fixture("legacy/db"), "besucher.dbf"),
                                DbfTable::Mode::ReadOnly);
        QCOMPARE(t->fileName(), QString("BESUCHER.DBF"));
        QCOMPARE(t->recordCount(), 240);
        QCOMPARE(t->health().deleted, 1);
        QCOMPARE(dbf::liveRows(*t).size(), 239);
    }

    void legacyVoranmelExtraColumn()
    {
        auto t = DbfTable::open(DbfTable::resolve(dbf::fixture("legacy/db"), "Voranmel.dbf"),
                                DbfTable::Mode::ReadOnly);
        const int angelegt = t->fieldIndex("angelegt");
        QVERIFY(angelegt >= 0);
        const int anwesend = t->fieldIndex("Anwesend");
        QCOMPARE(t->fields().at(anwesend).type, 'L');
        const QByteArray first = t->read(0);
        QCOMPARE(t->logical(first.constData(), anwesend), 1);
        QCOMPARE(t->text(first.constData(), angelegt), QString("Planer"));
        QCOMPARE(t->text(first.constData(), t->fieldIndex("tag")), QString("20.10.2005"));
    }

    void resolveIgnoresCase_data()
    {
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QString>("found");
        QTest::newRow("upper on disk") << "Besucher.dbf"
                                       << "BESUCHER.DBF";
        QTest::newRow("lower asked") << "stamm.dbf"
                                     << "STAMM.DBF";
        QTest::newRow("mixed on disk") << "VORANMEL.DBF"
                                       << "Voranmel.dbf";
        QTest::newRow("exact") << "Ziele.dbf"
                               << "Ziele.dbf";
        QTest::newRow("absent keeps the name") << "Neu.dbf"
                                               << "Neu.dbf";
    }

    void resolveIgnoresCase()
    {
        QFETCH(QString, asked);
        QFETCH(QString, found);
        const QString folder = dbf::fixture("legacy/db");
        QCOMPARE(DbfTable::resolve(folder, asked), QDir(folder).filePath(found));
    }

    // Files that must be refused with a message that names the file and the fault.
    void refused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTemporaryDir dir;
        DbfTable::create(dir.filePath("t.dbf"),
                         {{"NAME", 'C', 10, 0, 0}, {"ANZAHL", 'N', 5, 0, 0}});
        {
            auto t = DbfTable::open(dir.filePath("t.dbf"));
            t->append({{0, "eins"}, {1, "1"}});
        }
        const QByteArray good = dbf::readFile(dir.filePath("t.dbf"));
        const auto with = [&](int at, char value) {
            QByteArray b = good;
            b[at] = value;
            return b;
        };
        QTest::newRow("empty file") << QByteArray() << "ist leer";
        QTest::newRow("20 bytes") << good.left(20) << "Dateikopf ist unvollständig";
        QTest::newRow("cut in the descriptors") << good.left(70) << "Dateikopf ist unvollständig";
        QTest::newRow("unknown field type") << with(32 + 32 + 11, 'X') << "unbekannten Feldtyp 'X'";
        QTest::newRow("dBASE 7") << with(0, 0x04) << "Format 0x04 (dBASE 7)";
        QTest::newRow("dBASE 7 with memo") << with(0, char(0x8C)) << "Format 0x8C (dBASE 7)";
        QTest::newRow("unknown version") << with(0, 0x07) << "Format 0x07";
        QTest::newRow("record size too large") << with(10, char(good.at(10) + 1)) << "Satzlänge";
        QTest::newRow("header length too small") << with(8, 40) << "Kopflänge";
        QTest::newRow("no terminator") << with(32 + 64, ' ') << "Ende der Feldbeschreibungen";
        QTest::newRow("field of length 0") << with(32 + 16, 0) << "Länge 0";
    }

    void refused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath("Kaputt.dbf");
        QVERIFY(dbf::writeFile(path, bytes));
        for (auto mode : {DbfTable::Mode::ReadOnly, DbfTable::Mode::Shared}) {
            const QString error = dbf::errorOf([&] { DbfTable::open(path, mode); });
            QVERIFY2(error.contains("'Kaputt.dbf'") && error.contains(message), qPrintable(error));
        }
    }

    void missingTableNamesFile()
    {
        QTemporaryDir dir;
        const QString error = dbf::errorOf([&] { DbfTable::open(dir.filePath("Fehlt.dbf")); });
        QVERIFY2(error.contains("'Fehlt.dbf' wurde nicht gefunden"), qPrintable(error));
    }
};

LOBRIX_TEST(DbfReadTest)
#include "DbfReadTest.moc"
