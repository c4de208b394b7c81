// The manual as the build makes it: a table of contents whose pages are right, every
// chapter the program's users need, pictures of the real windows, and `lobrix-admin init`
// putting it where "Bedien&anleitung" opens it.
#include "PdfProbe.h"
#include "TestFiles.h"
#include "TestRegistry.h"

#include "app/AppWindows.h"
#include "common/Clock.h"
#include "common/ui/Desktop.h"
#include "common/ui/MessageBoxes.h"
#include "shell/ui/TMain.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace lobrix;
using namespace lobrix::test;

namespace {

QString manual() { return QStringLiteral(LOBRIX_MANUAL_PDF); }
QString source() { return QStringLiteral(LOBRIX_SOURCE_DIR "/docs/Bedienanleitung.md"); }

QString pageText(int page)
{
    return popplerOutput(QStringLiteral("pdftotext"), {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                                       QString::number(page), manual(), QStringLiteral("-")});
}

} // namespace

class ManualTest : public QObject {
    Q_OBJECT

private slots:
    void titleAndPages()
    {
        QVERIFY2(QFile::exists(manual()), qPrintable(manual()));
        const QMap<QString, QString> info = pdfInfo(manual());
        QVERIFY2(info.value(QStringLiteral("Title")).contains(QStringLiteral("Bedienanleitung")),
                 qPrintable(info.value(QStringLiteral("Title"))));
        QVERIFY(info.value(QStringLiteral("Pages")).toInt() >= 6);
        QVERIFY(pageText(1).contains(QStringLiteral("Seite 1 von")));
    }

    // Each chapter stands in the contents with the page that begins it.
    void contents_data()
    {
        QTest::addColumn<QString>("chapter");
        for (const char *c : {"Der Empfang", "Berichte", "Datenpflege und alte Daten", "Einstellungen und Nutzer",
                              "Die Designer", "Mehrere Arbeitsplätze", "lobrix-admin"})
            QTest::newRow(c) << QString::fromUtf8(c);
    }
    void contents()
    {
        QFETCH(QString, chapter);
        const QString first = pageText(1);
        QVERIFY(first.contains(QStringLiteral("Inhalt")));
        const QRegularExpression entry(QStringLiteral("- %1 … Seite (\\d+)").arg(QRegularExpression::escape(chapter)));
        const QRegularExpressionMatch m = entry.match(first);
        QVERIFY2(m.hasMatch(), qPrintable(first));
        const QStringList lines = pageText(m.captured(1).toInt()).split(u'\n');
        QVERIFY2(lines.contains(chapter), qPrintable(lines.join(u'\n')));
    }

    // What clerks and administrators look for.
    void topics_data()
    {
        QTest::addColumn<QString>("topic");
        for (const char *t : {"Besucher kommt", "Besucher geht", "Ausweise", "Drucken", "Voranmeldungen",
                              "Besucherstamm", "Der Berichtsgenerator", "Die Standardberichte", "Anwesende Besucher",
                              "Export und Appellliste", "Daten editieren", "Daten löschen",
                              "lobrix-admin purge", "Der Ausweisdesigner", "Der Besucherscheindesigner", "Samba",
                              "nobrl", "NFS", "Wenn ein Arbeitsplatz abstürzt", "--repair"})
            QTest::newRow(t) << QString::fromUtf8(t);
    }
    void topics()
    {
        QFETCH(QString, topic);
        QVERIFY(pdfText(manual()).contains(topic));
    }

    // One picture per picture the source names, each taken of a real window.
    void pictures()
    {
        QFile md(source());
        QVERIFY(md.open(QIODevice::ReadOnly));
        const int named = int(QString::fromUtf8(md.readAll()).count(QStringLiteral("](bilder/")));
        QVERIFY(named >= 8);
        const QStringList list = popplerOutput(QStringLiteral("pdfimages"), {QStringLiteral("-list"), manual()})
                                     .split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(list.size() - 2, named); // two lines of column heads
    }

    // A new installation holds the manual, and the help menu opens it.
    void installedAndOpened()
    {
        QTemporaryDir dir;
        const QString start = QDir(dir.path()).filePath(QStringLiteral("start"));
        QProcess init;
        init.start(QStringLiteral(LOBRIX_ADMIN_EXE),
                   {QStringLiteral("init"), start, QDir(dir.path()).filePath(QStringLiteral("db"))});
        QVERIFY(init.waitForFinished(60000));
        QCOMPARE(init.exitCode(), 0);
        const QString installed = QDir(start).filePath(QStringLiteral("Hilfe/BEDIEN.PDF"));
        QCOMPARE(fileBytes(installed), fileBytes(manual()));

        ui::MessageBoxes::setHooks([](const ui::MessageRecord &) {}, [](const ui::MessageRecord &) { return false; });
        QList<QUrl> opened;
        ui::Desktop::setOpener([&](const QUrl &url) {
            opened << url;
            return true;
        });
        {
            app::AppWindows windows(start, systemClock());
            windows.main->findChild<QAction *>(QStringLiteral("Bedienanleitung1"))->trigger();
        }
        ui::Desktop::setOpener({});
        ui::MessageBoxes::setHooks({}, {});
        QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(installed)});
    }
};

LOBRIX_TEST(ManualTest)
#include "ManualTest.moc"
