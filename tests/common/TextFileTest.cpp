#include "common/TextFile.h"

#include "TestFiles.h"
#include "TestRegistry.h"
#include "common/Error.h"
#include "shell/SettingsKeys.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using lobrix::TextFile;
using namespace lobrix::test;

class TextFileTest : public QObject
{
    Q_OBJECT

    std::optional<QTemporaryDir> m_dir;
    QString laender() const { return m_dir->filePath(lobrix::shell::keys::LaenderFile); }

private slots:
    // A write that the disk cannot hold whole is an error and leaves the old file as it
    // was (run in a child process whose files may not grow beyond 1 KiB, as on a full
    // volume).
    void shortWriteIsAnErrorAndKeepsTheFile_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("just over the limit") << 1025;
        QTest::newRow("far over the limit") << 100000;
    }
    void shortWriteIsAnErrorAndKeepsTheFile()
    {
        QFETCH(int, size);
        const QString path = m_dir->filePath(QStringLiteral("Global.ini"));
        const QByteArray before("[Global]\r\nLastSatz=1240\r\n");
        TextFile::writeBytes(path, before);
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            struct rlimit limit {1024, 1024};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            try {
                TextFile::writeBytes(path, QByteArray(size, 'x'));
            } catch (const lobrix::Error &e) {
                ::_exit(e.message().contains(QStringLiteral("Global.ini")) ? 0 : 2);
            }
            ::_exit(1); // reported as written
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        QCOMPARE(fileBytes(path), before);
        QCOMPARE(folderEntries(m_dir->path()), QStringList{"Global.ini"}); // no temporary left
    }

    // Temporary files that a crash left are removed once they are old enough not to
    // belong to a write still under way.
    void staleTemporaryFilesAreRemoved()
    {
        const QString old = m_dir->filePath(QStringLiteral(".Global.ini.lbx-a1B2c3"));
        const QString young = m_dir->filePath(QStringLiteral(".Laender.ini.lbx-Zz9yY8"));
        const QString other = m_dir->filePath(QStringLiteral(".Global.ini.backup"));
        for (const QString &f : {old, young, other})
            QVERIFY(putFile(f, "halb"));
        QFile file(old);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-7200), QFileDevice::FileModificationTime));
        file.close();
        QCOMPARE(TextFile::removeStaleTemporaryFiles(m_dir->path()), 1);
        QCOMPARE(folderEntries(m_dir->path()),
                 (QStringList{".Global.ini.backup", ".Laender.ini.lbx-Zz9yY8"}));
    }

    // A fresh folder for every test function and data row.
    void init()
    {
        m_dir.emplace();
        QVERIFY(m_dir->isValid());
    }

    void countryListRoundTrip()
    {
        const QStringList countries{"Deutschland", "Österreich", "Schweiz",
                                    "Dänemark",    "Ägypten",    "Frankreich"};
        TextFile::writeLines(laender(), countries);
        QCOMPARE(fileBytes(laender()),
                 QByteArray("Deutschland\r\n\xD6sterreich\r\nSchweiz\r\nD\xE4nemark\r\n"
                            "\xC4gypten\r\nFrankreich\r\n"));
        bool ok = false;
        QCOMPARE(TextFile::readLines(laender(), &ok), countries);
        QVERIFY(ok);
    }

    void readLines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("CR LF") << QByteArray("A\r\nB\r\n") << QStringList{"A", "B"};
        QTest::newRow("LF") << QByteArray("A\nB\n") << QStringList{"A", "B"};
        QTest::newRow("mixed, lone CR")
            << QByteArray("A\r\nB\nC\rD") << QStringList{"A", "B", "C", "D"};
        QTest::newRow("no last line end") << QByteArray("A\r\nB") << QStringList{"A", "B"};
        QTest::newRow("empty lines kept")
            << QByteArray("A\r\n\r\nB\r\n\r\n") << QStringList{"A", "", "B", ""};
        QTest::newRow("blanks kept") << QByteArray(" A \r\n") << QStringList{" A "};
        QTest::newRow("empty file") << QByteArray("") << QStringList{};
        QTest::newRow("Windows-1252") << QByteArray("T\xFCrkei\r\n\x80\r\n")
                                      << QStringList{QStringLiteral("Türkei"), QStringLiteral("€")};
    }

    void readLines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, expected);
        QVERIFY(putFile(laender(), bytes));
        bool ok = false;
        QCOMPARE(TextFile::readLines(laender(), &ok), expected);
        QVERIFY(ok);
    }

    void unreadableFileIsReported_data()
    {
        QTest::addColumn<QString>("relativePath");
        QTest::newRow("missing file") << "Laender.ini";
        QTest::newRow("missing folder") << "db/Laender.ini";
        QTest::newRow("a folder") << ".";
    }

    void unreadableFileIsReported()
    {
        QFETCH(QString, relativePath);
        bool ok = true;
        QCOMPARE(TextFile::readLines(m_dir->filePath(relativePath), &ok), QStringList{});
        QVERIFY(!ok);
    }

    void writeReplacesTheWholeFile()
    {
        QVERIFY(putFile(laender(), "Eins\r\nZwei\r\nDrei\r\nVier\r\n"));
        TextFile::writeLines(laender(), {"Fünf"});
        QCOMPARE(fileBytes(laender()), QByteArray("F\xFCnf\r\n"));
        TextFile::writeLines(laender(), {});
        QCOMPARE(fileBytes(laender()), QByteArray());
        QVERIFY(QFile::exists(laender()));
        QCOMPARE(folderEntries(m_dir->path()), QStringList{"Laender.ini"});
    }

    void writeFailures_data()
    {
        QTest::addColumn<QString>("relativePath");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("message");
        const QString writeFailed =
            QStringLiteral("Die Datei '%1' konnte nicht geschrieben werden.");
        QTest::newRow("folder missing")
            << "db/Laender.ini" << QStringList{"Deutschland"} << writeFailed;
        QTest::newRow("path is a folder") << "sub" << QStringList{"Deutschland"} << writeFailed;
        QTest::newRow("not in Windows-1252")
            << "Laender.ini" << QStringList{"Deutschland", QStringLiteral("Łotwa")}
            << QStringLiteral("Der Text 'Łotwa' kann nicht in der Datei '%1' gespeichert werden: "
                              "er enthält Zeichen, die der Zeichensatz Windows-1252 nicht kennt.");
    }

    void writeFailures()
    {
        QFETCH(QString, relativePath);
        QFETCH(QStringList, lines);
        QFETCH(QString, message);
        QVERIFY(QDir(m_dir->path()).mkpath("sub/inner"));
        const QByteArray before("Polen\r\n");
        QVERIFY(putFile(laender(), before));
        const QString path = m_dir->filePath(relativePath);
        const auto error = errorOf([&] { TextFile::writeLines(path, lines); });
        QVERIFY(error.has_value());
        QCOMPARE(*error, message.arg(QDir::toNativeSeparators(path)));
        QCOMPARE(fileBytes(laender()), before);
        QCOMPARE(folderEntries(m_dir->path()), (QStringList{"Laender.ini", "sub"}));
        QCOMPARE(folderEntries(m_dir->filePath("sub")), QStringList{"inner"});
    }
};

LOBRIX_TEST(TextFileTest)
#include "TextFileTest.moc"
