// The settings dialog's values without the window: read, saved in the dialog's order.
#include "TestFiles.h"
#include "TestInstallation.h"
#include "TestRegistry.h"

#include "common/Clock.h"
#include "common/IniFile.h"
#include "shell/Session.h"
#include "shell/WorkstationSettings.h"

#include <QDir>
#include <QTest>

using namespace lobrix;
using namespace lobrix::shell;

namespace {

// Every key of a section of an INI file, as the file holds them.
QStringList keysOf(const QString &path)
{
    QStringList out;
    QString section;
    for (const QByteArray &line : test::fileBytes(path).split('\n')) {
        const QByteArray t = line.trimmed();
        if (t.startsWith('['))
            section = QString::fromLatin1(t.mid(1, t.indexOf(']') - 1));
        else if (t.contains('='))
            out << section + u'/' + QString::fromLatin1(t.left(t.indexOf('=')));
    }
    return out;
}

} // namespace

class WorkstationSettingsTest : public QObject {
    Q_OBJECT

    FixedClock m_clock{QDateTime(QDate(2026, 12, 10), QTime(8, 30))};

private slots:
    // Saving without a change writes every key of both files, with the values shown.
    void savingUnchangedWritesEveryKey()
    {
        test::TestInstallation inst;
        Session session(inst.startFolder(), m_clock);
        const WorkstationSettings shown = WorkstationSettings::read(session);
        QCOMPARE(shown.bilder, session.folders().start); // the start folder when missing
        QCOMPARE(shown.ausweis, QStringLiteral("Badge.ini"));
        shown.save(session);
        const QStringList settings = keysOf(QDir(inst.startFolder()).filePath(QStringLiteral("settings.ini")));
        for (const char *key : {"Datenbank/Pfad", "Listen/Pfad", "Bilder/Pfad", "Besucherschein/Pfad",
                                "Ausweisdruck/Datei", "BesucherscheinExtern/Pfad", "AusweisdruckExtern/Pfad",
                                "Druck/Extern", "Options/Printer1", "Options/Printer2", "Options/HochQuer",
                                "Options/AusweisBreite", "Options/AusweisHoehe", "Options/AutoQuittung",
                                "Options/Quittung", "Options/AutoStamm", "Options/Name", "Options/Ziel",
                                "InfoFelder/BezeichnungInfo1", "InfoFelder/BezeichnungInfo4",
                                "InfoFelder/ShowInfoStamm", "Options/UhrzeitDatum", "Options/NoDBCheck"})
            QVERIFY2(settings.contains(QString::fromLatin1(key)), key);
        const QStringList voranmel = keysOf(QDir(inst.databaseFolder()).filePath(QStringLiteral("Voranmel.ini")));
        for (const char *key : {"Bilder/Pfad", "Besucherschein/Pfad", "Ausweisdruck/Datei",
                                "BesucherscheinExtern/Pfad", "AusweisdruckExtern/Pfad", "Druck/Extern",
                                "Ausweisdruck/Printer1", "Ausweisdruck/AusweisHoehe", "Options/Name",
                                "Options/Telefon", "InfoFelder/BezeichnungInfo2"})
            QVERIFY2(voranmel.contains(QString::fromLatin1(key)), key);
        QCOMPARE(WorkstationSettings::read(session).bilder, shown.bilder);
    }

    void changedValuesComeBack()
    {
        test::TestInstallation inst;
        Session session(inst.startFolder(), m_clock);
        WorkstationSettings w = WorkstationSettings::read(session);
        w.printer1 = 2;
        w.printer2 = -1;
        w.ausweisHoehe = 86;
        w.ausweisBreite = 54;
        w.druckExtern = true;
        w.besucherscheinExtern = QStringLiteral("Schein.doc");
        w.requiredFields[3] = true;
        w.bezeichnungInfo[1] = QStringLiteral("Sicherheitsbelehrung erhalten");
        w.uhrzeitDatum = true;
        w.save(session);
        const WorkstationSettings back = WorkstationSettings::read(session);
        QCOMPARE(back.printer1, 2);
        QCOMPARE(back.printer2, -1);
        QCOMPARE(back.ausweisHoehe, 86);
        QVERIFY(back.druckExtern);
        QCOMPARE(back.besucherscheinExtern, QStringLiteral("Schein.doc"));
        QVERIFY(back.requiredFields[3]);
        QCOMPARE(back.bezeichnungInfo[1], QStringLiteral("Sicherheitsbelehrung erhalten"));
        QVERIFY(back.uhrzeitDatum);
        QCOMPARE(IniFile(QDir(inst.databaseFolder()).filePath(QStringLiteral("Voranmel.ini")))
                     .readInt(QStringLiteral("Ausweisdruck"), QStringLiteral("AusweisHoehe"), 0),
                 86);
    }

    // A save that stops part way leaves the keys before it written, in the dialog's order:
    // the folders first, the layout files after Voranmel.ini took its images folder.
    void stoppedSaveKeepsTheEarlierKeys()
    {
        test::TestInstallation inst;
        Session session(inst.startFolder(), m_clock);
        WorkstationSettings w = WorkstationSettings::read(session);
        w.listen = QStringLiteral("/neu/listen");
        w.besucherschein = QStringLiteral("Besucherschein2.ini");
        const QString voranmel = QDir(inst.databaseFolder()).filePath(QStringLiteral("Voranmel.ini"));
        QFile::remove(voranmel); // a fresh installation may have none yet
        QVERIFY(QDir().mkpath(voranmel)); // a folder where the file should be: no write succeeds
        QVERIFY(test::errorOf([&] { w.save(session); }));
        const IniFile settings(QDir(inst.startFolder()).filePath(QStringLiteral("settings.ini")));
        QCOMPARE(settings.readString(QStringLiteral("Listen"), QStringLiteral("Pfad")), QStringLiteral("/neu/listen"));
        QCOMPARE(settings.readString(QStringLiteral("Besucherschein"), QStringLiteral("Pfad"), QStringLiteral("-")),
                 QStringLiteral("-"));
    }

    void databaseFolderWarning()
    {
        test::TestInstallation inst;
        WorkstationSettings w;
        w.datenbank = inst.databaseFolder();
        QCOMPARE(w.databaseFolderWarning(), QString());
        w.datenbank = inst.startFolder();
        QVERIFY(w.databaseFolderWarning().contains(QStringLiteral("keine Besucher.dbf")));
        w.datenbank = QStringLiteral("/gibt/es/nicht");
        QVERIFY(w.databaseFolderWarning().contains(QStringLiteral("existiert nicht")));
    }
};

LOBRIX_TEST(WorkstationSettingsTest)
#include "WorkstationSettingsTest.moc"
