// The visit destinations without the window: exact names, renaming, deleting, importing.
#include "TestInstallation.h"
#include "TestFiles.h"
#include "TestRegistry.h"

#include "shell/Destinations.h"

#include <QTemporaryDir>
#include <QTest>

using lobrix::shell::Destinations;
using namespace lobrix::test;

class DestinationsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestInstallation> m_inst;
    QTemporaryDir m_files;
    Destinations destinations() const { return Destinations(m_inst->databaseFolder()); }
    QString file(const QByteArray &bytes)
    {
        static int n = 0;
        const QString path = m_files.filePath(QStringLiteral("ziele%1.txt").arg(++n));
        putFile(path, bytes);
        return path;
    }

private slots:
    void init() { m_inst = std::make_unique<TestInstallation>(); }

    void addRenameRemove()
    {
        Destinations d = destinations();
        QVERIFY(d.add(QStringLiteral("Werkstatt")));
        QVERIFY(!d.add(QStringLiteral("Werkstatt")));   // exactly the same: refused
        QVERIFY(d.add(QStringLiteral("werkstatt")));    // other case: a second entry
        QVERIFY(d.add(QStringLiteral("O'Brien, Einkauf")));
        QCOMPARE(d.list().size(), 3);
        QVERIFY(d.rename(QStringLiteral("werkstatt"), QStringLiteral("Werkstatt"))); // to an existing name
        QCOMPARE(d.list().count(QStringLiteral("Werkstatt")), 2);
        QVERIFY(!d.rename(QStringLiteral("gibt es nicht"), QStringLiteral("x")));
        QVERIFY(d.remove(QStringLiteral("O'Brien, Einkauf")));
        QVERIFY(!d.remove(QStringLiteral("O'Brien, Einkauf")));
        QCOMPARE(d.list(), (QStringList{QStringLiteral("Werkstatt"), QStringLiteral("Werkstatt")}));
    }

    void importLines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("added");
        QTest::newRow("three lines, one empty") << QByteArray("Empfang\r\n\r\nLager\r\n")
                                                << QStringList{"", "Empfang", "Lager"};
        QTest::newRow("UTF-8, LF") << QByteArray("Bürö\nÖlweg\n") << QStringList{"Bürö", "Ölweg"};
        QTest::newRow("Windows-1252") << QByteArray("B\xfcro\r\n") << QStringList{"Büro"};
        QTest::newRow("as it stands") << QByteArray("  Halle 3  \r\n") << QStringList{"  Halle 3"};
    }
    void importLines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, added);
        Destinations d = destinations();
        const auto r = d.importFile(file(bytes));
        QVERIFY2(r.message.isEmpty(), qPrintable(r.message));
        QCOMPARE(r.added, added.size());
        QCOMPARE(d.list(), added);
        d.importFile(file(bytes)); // twice doubles
        QCOMPARE(d.list().size(), 2 * added.size());
    }

    // A line the table cannot hold refuses the whole file, naming the line.
    void importRefusesWhole_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("named");
        QTest::newRow("no code point") << QByteArray("Empfang\n\xe6\x97\xa5\xe6\x9c\xac\n") << "Zeile 2";
        QTest::newRow("too long") << QByteArray("Lager\r\nHalle\r\n") + QByteArray(101, 'x') << "Zeile 3";
    }
    void importRefusesWhole()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, named);
        Destinations d = destinations();
        const auto r = d.importFile(file(bytes));
        QVERIFY2(r.message.contains(named), qPrintable(r.message));
        QCOMPARE(r.added, 0);
        QVERIFY(d.list().isEmpty());
    }

    void unreadableFile()
    {
        const auto r = destinations().importFile(m_files.filePath(QStringLiteral("fehlt.txt")));
        QVERIFY(r.message.contains(QStringLiteral("kann nicht gelesen werden")));
    }
};

LOBRIX_TEST(DestinationsTest)
#include "DestinationsTest.moc"
