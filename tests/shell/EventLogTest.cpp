#include "shell/EventLog.h"

#include "TestFiles.h"
#include "TestRegistry.h"
#include "common/Clock.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

using lobrix::FixedClock;
using lobrix::shell::EventLog;
using namespace lobrix::test;

namespace
{
// A log of `count` lines "Zeile 1" ... "Zeile count", CR LF.
QByteArray numberedLines(int count)
{
    QByteArray bytes;
    for (int i = 1; i <= count; ++i)
        bytes += "Zeile " + QByteArray::number(i) + "\r\n";
    return bytes;
}
} // namespace

class EventLogTest : public QObject
{
    Q_OBJECT

    std::optional<QTemporaryDir> m_db;
    FixedClock m_clock;
    QString m_user = QStringLiteral("Empfang");

    EventLog log() const
    {
        return EventLog(
            m_db->path(), [this] { return m_user; }, m_clock);
    }
    QString logPath() const { return m_db->filePath(QStringLiteral("BesucherLog.log")); }

private slots:
    void init()
    {
        m_db.emplace();
        QVERIFY(m_db->isValid());
        m_user = QStringLiteral("Empfang");
        m_clock.set(QDateTime(QDate(2005, 10, 22), QTime(13, 24, 5)));
    }

    void entryLineFormat_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("eventText");
        QTest::addColumn<QByteArray>("expectedFile");

        QTest::newRow("TAB kept")
            << "Empfang"
            << "Besucher KOMMT -> Ausweis 77 in Besuchertabelle gespeichert: Kommt 13:24\t"
               "Vorgang: 1229"
            << QByteArray("22.10.2005 13:24:05: Empfang --> Besucher KOMMT -> Ausweis 77 in "
                          "Besuchertabelle gespeichert: Kommt 13:24\tVorgang: 1229\r\n");
        QTest::newRow("service login")
            << "Systemanmeldung"
            << "x" << QByteArray("22.10.2005 13:24:05: Systemanmeldung --> x\r\n");
        QTest::newRow("empty text")
            << "[kein Benutzername]"
            << "" << QByteArray("22.10.2005 13:24:05: [kein Benutzername] --> \r\n");
        QTest::newRow("umlauts in Windows-1252")
            << QStringLiteral("Jürgen") << QStringLiteral("Größe €")
            << QByteArray("22.10.2005 13:24:05: J\xFCrgen --> Gr\xF6\xDF"
                          "e \x80\r\n");
        QTest::newRow("character outside the code page becomes ?")
            << QStringLiteral("Łukasz") << QStringLiteral("Firma \u4E2D \U0001F600 Ende")
            << QByteArray("22.10.2005 13:24:05: ?ukasz --> Firma ? ? Ende\r\n");
        QTest::newRow("line breaks never split an entry")
            << "Empfang"
            << "eins\r\nzwei\ndrei"
            << QByteArray("22.10.2005 13:24:05: Empfang --> eins  zwei drei\r\n");
    }

    void entryLineFormat()
    {
        QFETCH(QString, user);
        QFETCH(QString, eventText);
        QFETCH(QByteArray, expectedFile);
        m_user = user;
        log().writeEventLog(eventText);
        QCOMPARE(fileBytes(logPath()), expectedFile);
    }

    // The user name is asked at each entry; entries of the same second keep their order.
    void entriesAreAppendedInOrder()
    {
        const EventLog writer = log();
        writer.writeEventLog(QStringLiteral("erste"));
        m_user = QStringLiteral("Pforte");
        writer.writeEventLog(QStringLiteral("zweite"));
        m_clock.set(QDateTime(QDate(2006, 1, 2), QTime(7, 5, 9)));
        writer.writeEventLog(QStringLiteral("dritte"));
        QCOMPARE(fileBytes(logPath()), QByteArray("22.10.2005 13:24:05: Empfang --> erste\r\n"
                                                  "22.10.2005 13:24:05: Pforte --> zweite\r\n"
                                                  "02.01.2006 07:05:09: Pforte --> dritte\r\n"));
    }

    // Lines other programs wrote stay byte for byte, also without a last line end.
    void existingLinesAreKept_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QFile legacy(LOBRIX_SHARED_DIR "/fixtures/legacy/db/BesucherLog.log");
        QVERIFY(legacy.open(QIODevice::ReadOnly));
        const QByteArray old = legacy.readAll();
        const QByteArray entry = "22.10.2005 13:24:05: Empfang --> neu\r\n";
        QTest::newRow("legacy log") << old << old + entry;
        QTest::newRow("no last line end")
            << QByteArray("a\r\nB\xE4r") << QByteArray("a\r\nB\xE4r\r\n") + entry;
        QTest::newRow("LF lines") << QByteArray("a\nb\n") << QByteArray("a\nb\n") + entry;
        QTest::newRow("empty file") << QByteArray() << entry;
    }

    void existingLinesAreKept()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QVERIFY(putFile(logPath(), before));
        log().writeEventLog(QStringLiteral("neu"));
        QCOMPARE(fileBytes(logPath()), after);
    }

    void fileFoundWithoutRegardToCase()
    {
        const QString upper = m_db->filePath(QStringLiteral("BESUCHERLOG.LOG"));
        QVERIFY(putFile(upper, "alt\r\n"));
        log().writeEventLog(QStringLiteral("neu"));
        QCOMPARE(fileBytes(upper), QByteArray("alt\r\n22.10.2005 13:24:05: Empfang --> neu\r\n"));
        QCOMPARE(folderEntries(m_db->path()), (QStringList{"BESUCHERLOG.LOG", "Lobrix.lck"}));
    }

    void lineLimit_data()
    {
        QTest::addColumn<int>("linesBefore");
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("linesAfter");
        QTest::addColumn<QByteArray>("firstLineAfter");

        QTest::newRow("below the limit: nothing removed")
            << 10000 << 1 << 10001 << QByteArray("Zeile 1");
        QTest::newRow("at the limit: oldest removed")
            << 10001 << 1 << 10001 << QByteArray("Zeile 2");
        QTest::newRow("reaching the limit, then one more")
            << 10000 << 2 << 10001 << QByteArray("Zeile 2");
        QTest::newRow("over the limit: one line per entry only")
            << 10005 << 1 << 10005 << QByteArray("Zeile 2");
    }

    void lineLimit()
    {
        QFETCH(int, linesBefore);
        QFETCH(int, entries);
        QFETCH(int, linesAfter);
        QFETCH(QByteArray, firstLineAfter);
        QVERIFY(putFile(logPath(), numberedLines(linesBefore)));

        const EventLog writer = log();
        for (int i = 1; i <= entries; ++i)
            writer.writeEventLog(QStringLiteral("Eintrag %1").arg(i));

        const QByteArray after = fileBytes(logPath());
        const QList<QByteArray> lines = after.split('\n');
        QCOMPARE(lines.size() - 1, linesAfter); // the last line end opens no line
        QCOMPARE(after.count("\r\n"), linesAfter);
        QCOMPARE(lines.first(), firstLineAfter + "\r");
        QCOMPARE(lines.at(lines.size() - 2),
                 "22.10.2005 13:24:05: Empfang --> Eintrag " + QByteArray::number(entries) + "\r");
        // Nothing between the removed lines and the new entries is lost.
        QCOMPARE(lines.at(lines.size() - 2 - entries),
                 "Zeile " + QByteArray::number(linesBefore) + "\r");
    }

    void missingLogIsCreated()
    {
        log().writeEventLog(QStringLiteral("erste"));
        QCOMPARE(fileBytes(logPath()), QByteArray("22.10.2005 13:24:05: Empfang --> erste\r\n"));
    }

    // Logging never stops the action that logs, and never breaks what is there.
    void unusableLogIsPassedOverSilently_data()
    {
        QTest::addColumn<QString>("where");
        QTest::newRow("log is a folder") << "folder";
        QTest::newRow("database folder missing") << "missing";
    }

    void unusableLogIsPassedOverSilently()
    {
        QFETCH(QString, where);
        QString folder = m_db->path();
        if (where == u"folder")
            QVERIFY(QDir(folder).mkdir(QStringLiteral("BesucherLog.log")));
        else
            folder = m_db->filePath(QStringLiteral("gibt-es-nicht"));

        const EventLog writer(
            folder, [] { return QStringLiteral("Empfang"); }, m_clock);
        writer.writeEventLog(QStringLiteral("geht verloren"));

        if (where == u"folder")
            QVERIFY(QFileInfo(logPath()).isDir());
        else
            QVERIFY(!QFileInfo::exists(folder));
    }

    // A read-only log keeps its content, below the limit (append) and at it (rewrite).
    void readOnlyLogKeepsItsContent_data()
    {
        QTest::addColumn<int>("lines");
        QTest::newRow("below the limit") << 3;
        QTest::newRow("at the limit") << 10001;
    }

    void readOnlyLogKeepsItsContent()
    {
        if (::geteuid() == 0)
            QSKIP("file permissions do not bind the superuser");
        QFETCH(int, lines);
        const QByteArray before = numberedLines(lines);
        QVERIFY(putFile(logPath(), before));
        QVERIFY(QFile::setPermissions(logPath(), QFile::ReadOwner));
        log().writeEventLog(QStringLiteral("geht verloren"));
        QCOMPARE(fileBytes(logPath()), before);
        QCOMPARE(folderEntries(m_db->path()), (QStringList{"BesucherLog.log", "Lobrix.lck"})); // no temporary left
    }
};

LOBRIX_TEST(EventLogTest)
#include "EventLogTest.moc"
