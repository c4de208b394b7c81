#include "shell/SettingsKeys.h"

#include "TestFiles.h"
#include "TestRegistry.h"
#include "common/IniFile.h"
#include "shell/VoranmelSettings.h"

#include <QTemporaryDir>
#include <QTest>

using lobrix::IniFile;
using lobrix::shell::VoranmelSettings;
using namespace lobrix::shell::keys;
using namespace lobrix::test;

class SettingsKeysTest : public QObject
{
    Q_OBJECT

    std::optional<QTemporaryDir> m_start;
    QString inStart(const char *fileName) const { return m_start->filePath(fileName); }

private slots:
    // A fresh folder for every test function and data row.
    void init()
    {
        m_start.emplace();
        QVERIFY(m_start->isValid());
    }

    void legacySettingsFile()
    {
        const QString fixture = LOBRIX_SHARED_DIR "/fixtures/legacy/start/settings.ini";
        QVERIFY(QFile::copy(fixture, inStart(SettingsFile)));
        QFile::setPermissions(inStart(SettingsFile), QFile::ReadOwner | QFile::WriteOwner);
        const IniFile ini(inStart(SettingsFile));

        QCOMPARE(read(ini, settings::DatenbankPfad), QStringLiteral("../db"));
        QCOMPARE(read(ini, settings::UhrzeitDatum), true);
        const int colour = read(ini, settings::UhrFarbe); // 0x0000FF: red in the low byte
        QCOMPARE(colour & 0xFF, 255);
        QCOMPARE(colour >> 8, 0);
        QCOMPARE(read(ini, settings::ZielBearbeiten), true);  // "yes" is no number
        QCOMPARE(read(ini, settings::AusweisBreite), 0);      // missing: the dialog's 0
        QCOMPARE(read(ini, settings::AusweisBreiteDruck), 1); // ... and printing's 1
        QCOMPARE(read(ini, settings::AusweisHoeheDruck), 1);
        QCOMPARE(read(ini, settings::Quittung), true);
        QCOMPARE(read(ini, settings::AutoQuittung), false);
        QCOMPARE(read(ini, settings::Name), true);
        QCOMPARE(read(ini, settings::Vorname), false);
        QCOMPARE(read(ini, settings::BezeichnungInfo1), QStringLiteral("Sicherheitsbelehrung"));
        QCOMPARE(read(ini, settings::BezeichnungInfo2), QStringLiteral("Fotoerlaubnis"));
        QCOMPARE(read(ini, settings::BezeichnungInfo3), QString());
        QCOMPARE(read(ini, settings::ShowInfoStamm), true);
        QCOMPARE(read(ini, settings::lbZiel), QStringLiteral("Besuchsziel"));
        QCOMPARE(read(ini, settings::lbBemerk), QStringLiteral("Bemerkungen"));
        QCOMPARE(read(ini, settings::BilderPfad, m_start->path()), m_start->path());
    }

    void freshStartFolderGivesDefaults()
    {
        const IniFile ini(inStart(SettingsFile));
        QCOMPARE(read(ini, settings::DatenbankPfad), QString());
        QCOMPARE(read(ini, settings::ListenPfad), QString());
        QCOMPARE(read(ini, settings::BilderPfad, m_start->path()), m_start->path());
        QCOMPARE(read(ini, settings::BesucherscheinPfad), QStringLiteral("Besucherschein.ini"));
        QCOMPARE(read(ini, settings::DruckExtern), 0);
        QCOMPARE(read(ini, settings::UhrzeitDatum), false);
        QCOMPARE(read(ini, settings::NoDBCheck), false);
        QCOMPARE(read(ini, settings::UhrSize), 3);
        QCOMPARE(read(ini, settings::UhrFarbe), 0);
        for (const BoolKey &field : settings::RequiredFields)
            QVERIFY2(!read(ini, field), field.key);
        QCOMPARE(read(ini, settings::AusweisBreite), 0);
        QCOMPARE(read(ini, settings::AusweisHoehe), 0);
        QCOMPARE(read(ini, settings::AusweisBreiteDruck), 1);
        QCOMPARE(read(ini, settings::ZielBearbeiten), true);
        QCOMPARE(read(ini, settings::SeitenBreitePruefen), true);
        QCOMPARE(read(ini, settings::Voranmeldung), true);
        QCOMPARE(read(ini, settings::VoranmeldungExt), false);
        QCOMPARE(read(ini, settings::Designer), false);
        QCOMPARE(read(ini, settings::lbZiel), QStringLiteral("Ziel"));
        QCOMPARE(read(ini, settings::lbBemerk), QStringLiteral("Bemerkungen"));
        QCOMPARE(read(ini, settings::lbRessourcen), QStringLiteral("Ressourcen"));

        const IniFile fenster(inStart(FensterFile));
        QCOMPARE(read(fenster, fenster::Width), 780);
        QCOMPARE(read(fenster, fenster::Height), 580);
        QCOMPARE(read(fenster, fenster::Maximiert), false);

        QCOMPARE(read(IniFile(inStart(VoranmelFile)), voranmel::AusweisdruckDatei),
                 QStringLiteral("Badge.ini"));
        QCOMPARE(read(IniFile(inStart(GlobalFile)), global::LastSatz), 0);
        QCOMPARE(folderEntries(m_start->path()), QStringList{}); // reading creates nothing
    }

    void emptyImagesFolderFallsBackToStartFolder()
    {
        QVERIFY(putFile(inStart(SettingsFile), "[Bilder]\r\nPfad=\r\n"));
        QCOMPARE(read(IniFile(inStart(SettingsFile)), settings::BilderPfad, m_start->path()),
                 m_start->path());
        QVERIFY(putFile(inStart(SettingsFile), "[Bilder]\r\nPfad=\\\\server\\bilder\r\n"));
        QCOMPARE(read(IniFile(inStart(SettingsFile)), settings::BilderPfad, m_start->path()),
                 QStringLiteral("\\\\server\\bilder"));
    }

    // Files written by hand or by the other program are read through the catalogue.
    void handWrittenFiles()
    {
        QVERIFY(putFile(inStart(FensterFile),
                        "[Voranmeldung]\r\nTop=10\r\nLeft=-20\r\nWidth=800\r\nHeight=600\r\n"
                        "Maximiert=1\r\nNurHeutigeBesucher=1\r\n"));
        const IniFile fenster(inStart(FensterFile));
        QCOMPARE(read(fenster, fenster::Top), 10);
        QCOMPARE(read(fenster, fenster::Left), -20);
        QCOMPARE(read(fenster, fenster::Width), 800);
        QCOMPARE(read(fenster, fenster::Height), 600);
        QCOMPARE(read(fenster, fenster::Maximiert), true);
        QCOMPARE(read(fenster, fenster::NurHeutigeBesucher), true);

        QVERIFY(putFile(inStart(GlobalFile), "[Global]\r\nLocked=1\r\nLastSatz=1234\r\n"));
        const IniFile globalIni(inStart(GlobalFile));
        QCOMPARE(read(globalIni, global::Locked), true);
        QCOMPARE(read(globalIni, global::LastSatz), 1234);

        QVERIFY(putFile(inStart(SettingsFile),
                        "[Options]\r\nVoranmeldungExt=1\r\nAWNManuell=1\r\n"
                        "SeitenBreitePruefen=0\r\nImmerDauerAusgeben=1\r\nDesigner=1\r\n"
                        "Voranmeldung=0\r\nUhrStundeStrich=1\r\nUhrMinuteStrich=1\r\n"
                        "[Listen]\r\nPfad=L\r\n[Druck]\r\nExtern=1\r\n"));
        const IniFile ini(inStart(SettingsFile));
        QCOMPARE(read(ini, settings::VoranmeldungExt), true);
        QCOMPARE(read(ini, settings::AWNManuell), true);
        QCOMPARE(read(ini, settings::SeitenBreitePruefen), false);
        QCOMPARE(read(ini, settings::ImmerDauerAusgeben), true);
        QCOMPARE(read(ini, settings::Designer), true);
        QCOMPARE(read(ini, settings::Voranmeldung), false);
        QCOMPARE(read(ini, settings::UhrStundeStrich), true);
        QCOMPARE(read(ini, settings::UhrMinuteStrich), true);
        QCOMPARE(read(ini, settings::ListenPfad), QStringLiteral("L"));
        QCOMPARE(read(ini, settings::DruckExtern), 1);
    }

    void typedWritesCreateTheFile()
    {
        IniFile ini(inStart(SettingsFile));
        write(ini, settings::UhrSize, 5);
        write(ini, settings::UhrStundeStrich, true);
        write(ini, settings::UhrFarbe, 0x00FF00);
        write(ini, settings::DatenbankPfad, QStringLiteral("Z:\\Lobrix\\Daten"));
        QCOMPARE(fileBytes(inStart(SettingsFile)),
                 QByteArray("[Options]\r\nUhrSize=5\r\nUhrStundeStrich=1\r\nUhrFarbe=65280\r\n"
                            "\r\n[Datenbank]\r\nPfad=Z:\\Lobrix\\Daten\r\n"));
        QCOMPARE(read(ini, settings::UhrSize), 5);
        QCOMPARE(read(ini, settings::UhrFarbe), 0x00FF00);
    }

    void voranmelCopy()
    {
        VoranmelSettings s;
        s.bilderPfad = QStringLiteral("Z:\\Bilder");
        s.besucherscheinPfad = QStringLiteral("Schein.ini");
        s.ausweisdruckDatei = QStringLiteral("Ausweis Gäste.ini");
        s.besucherscheinExternPfad = QStringLiteral("schein.doc");
        s.ausweisdruckExternPfad = QStringLiteral("ausweis.doc");
        s.druckExtern = true;
        s.printer1 = 2;
        s.printer2 = 3;
        s.hochQuer = true;
        s.ausweisBreite = 86;
        s.ausweisHoehe = 54;
        s.bezeichnungInfo = {"Belehrung", "Foto", "", QStringLiteral("Geräte")};
        s.requiredFields = {true,  false, false, true,  false, false,
                            false, false, false, false, true};

        // Keys the program does not know stay where they are.
        QVERIFY(putFile(inStart(VoranmelFile), "; fremd\r\n[Fremd]\r\nX=1\r\n"));
        IniFile ini(inStart(VoranmelFile));
        s.writeTo(ini);
        QCOMPARE(fileBytes(inStart(VoranmelFile)),
                 QByteArray("; fremd\r\n[Fremd]\r\nX=1\r\n"
                            "\r\n[Bilder]\r\nPfad=Z:\\Bilder\r\n"
                            "\r\n[Besucherschein]\r\nPfad=Schein.ini\r\n"
                            "\r\n[Ausweisdruck]\r\nDatei=Ausweis G\xE4ste.ini\r\n"
                            "Printer1=2\r\nPrinter2=3\r\nHochQuer=1\r\n"
                            "AusweisBreite=86\r\nAusweisHoehe=54\r\n"
                            "\r\n[BesucherscheinExtern]\r\nPfad=schein.doc\r\n"
                            "\r\n[AusweisdruckExtern]\r\nPfad=ausweis.doc\r\n"
                            "\r\n[Druck]\r\nExtern=1\r\n"
                            "\r\n[InfoFelder]\r\nBezeichnungInfo1=Belehrung\r\n"
                            "BezeichnungInfo2=Foto\r\nBezeichnungInfo3=\r\n"
                            "BezeichnungInfo4=Ger\xE4te\r\n"
                            "\r\n[Options]\r\nName=1\r\nVorname=0\r\nPANr=0\r\nFirma=1\r\n"
                            "Strasse=0\r\nPLZ=0\r\nOrt=0\r\nLand=0\r\nKFZ=0\r\nTelefon=0\r\n"
                            "Ziel=1\r\n"));
        QCOMPARE(read(ini, voranmel::AusweisdruckDatei), QStringLiteral("Ausweis Gäste.ini"));

        // Saving again with everything off writes every key, none is dropped.
        const QByteArray first = fileBytes(inStart(VoranmelFile));
        const VoranmelSettings off;
        off.writeTo(ini);
        const QByteArray second = fileBytes(inStart(VoranmelFile));
        QCOMPARE(second.count('\n'), first.count('\n'));
        QVERIFY(second.contains("[Options]\r\nName=0\r\n"));
        QVERIFY(second.contains("[Druck]\r\nExtern=0\r\n"));
        QVERIFY(second.contains("[Ausweisdruck]\r\nDatei=\r\nPrinter1=0\r\n"));
    }

    void voranmelCopyFailsWhenTheDatabaseFolderIsGone()
    {
        const QString path = m_start->filePath(QStringLiteral("weg/") + VoranmelFile);
        IniFile ini(path);
        const auto error = errorOf([&] { VoranmelSettings().writeTo(ini); });
        QVERIFY(error.has_value());
        QVERIFY2(error->contains(QDir::toNativeSeparators(path)), qPrintable(*error));
    }
};

LOBRIX_TEST(SettingsKeysTest)
#include "SettingsKeysTest.moc"
