#include "TestFiles.h"
#include "LayoutTestFiles.h"
#include "TestRegistry.h"
#include "layouts/LayoutFile.h"
#include "layouts/LayoutLocations.h"
#include "common/IniFile.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

using namespace lobrix::layouts;
using namespace lobrix::test;

// CopyLayout, publishStandardBadge and where the layout files are found.
class LayoutCopyTest : public QObject
{
    Q_OBJECT

    std::optional<QTemporaryDir> m_dir;
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QString folder(const QString &name) const
    {
        QDir().mkpath(path(name));
        return path(name);
    }

private slots:
    void init()
    {
        m_dir.emplace();
        QVERIFY(m_dir->isValid());
    }

    void copyReplacesItemsAndKeepsOtherSections()
    {
        const QString source = path(QStringLiteral("source.ini"));
        const QString target = path(QStringLiteral("target.ini"));
        QVERIFY(putFile(source,
                        iniSection("Orientation", "poPortrait=1") +
                            iniSection("FontScale", "Height=99") +
                            iniSection("Label1", "Visible=1\r\nCaption=Hallo\r\nLeft=5\r\nTop=6") +
                            iniSection("Label2", "Visible=0\r\nCaption=frei")));
        QVERIFY(putFile(target, iniSection("FontScale", "Height=20") +
                                    iniSection("Raster", "Abstand=7") +
                                    iniSection("Label5", "Visible=1\r\nCaption=alt") +
                                    iniSection("Picture1", "Visible=1\r\nPfad=alt.bmp") +
                                    iniSection("Label21", "Visible=1\r\nCaption=jenseits")));

        LayoutFile::CopyLayout(source, target, 20);

        const LayoutFile copy(target, LayoutFamily::Badge);
        const Layout layout = copy.read();
        QVERIFY(layout.portrait);
        QCOMPARE(layout.labels.size(), 1);
        QCOMPARE(layout.labels.first().slot, 1);
        QCOMPARE(layout.labels.first().caption, QStringLiteral("Hallo"));
        QVERIFY(layout.pictures.isEmpty());
        QCOMPARE(copy.fontScaleHeight(), 20);
        QCOMPARE(copy.rasterAbstand(), 7);
        // Beyond the slot count nothing is touched.
        const lobrix::IniFile ini(target);
        QCOMPARE(ini.readString(QStringLiteral("Label21"), QStringLiteral("Caption")),
                 QStringLiteral("jenseits"));
        QVERIFY(!fileBytes(target).contains("Label2]"));
    }

    // Missing keys are copied with the copy's own defaults (positions and sizes 0), and
    // every key lands in the target.
    void copyWritesEveryKeyWithItsDefault()
    {
        const QString source = path(QStringLiteral("source.ini"));
        const QString target = path(QStringLiteral("target.ini"));
        QVERIFY(putFile(source, iniSection("Label3", "Visible=1") +
                                    iniSection("Picture4", "Visible=1") +
                                    iniSection("Picture5", "Visible=1\r\nRelation=0.5")));
        LayoutFile::CopyLayout(source, target, 200);

        const lobrix::IniFile ini(target);
        const auto key = [&](const char *s, const char *k) {
            return ini.readString(QString::fromLatin1(s), QString::fromLatin1(k),
                                  QStringLiteral("<fehlt>"));
        };
        QCOMPARE(key("Orientation", "poPortrait"), QStringLiteral("0"));
        const QList<std::pair<const char *, const char *>> label = {
            {"Visible", "1"},      {"Top", "0"},      {"Left", "0"},      {"FontColor", "0"},
            {"FontName", "Arial"}, {"FontSize", "8"}, {"Caption", ""},    {"Feld", ""},
            {"FeldIndex", "-1"},   {"Bold", "0"},     {"Underline", "0"}, {"Italic", "0"},
            {"StrikeOut", "0"}};
        for (const auto &[k, v] : label)
            QCOMPARE(key("Label3", k), QString::fromLatin1(v));
        const QList<std::pair<const char *, const char *>> picture = {
            {"Visible", "1"}, {"Top", "0"},      {"Left", "0"}, {"Width", "0"},     {"Height", "0"},
            {"Pfad", ""},     {"Relation", "1"}, {"Feld", ""},  {"FeldIndex", "-1"}};
        for (const auto &[k, v] : picture)
            QCOMPARE(key("Picture4", k), QString::fromLatin1(v));
        // A relation from a file with a decimal point is written the German way.
        QCOMPARE(key("Picture5", "Relation"), QStringLiteral("0,5"));
    }

    void copyOntoItselfKeepsTheItems()
    {
        const QString file = path(QStringLiteral("self.ini"));
        QVERIFY(
            putFile(file, iniSection("Label1", "Visible=1\r\nCaption=bleibt\r\nLeft=3\r\nTop=4") +
                              iniSection("Picture2", "Visible=1\r\nPfad=a.bmp\r\nLeft=1\r\n"
                                                     "Top=2\r\nWidth=3\r\nHeight=4")));
        const Layout before = LayoutFile(file, LayoutFamily::Badge).read();
        LayoutFile::CopyLayout(file, file, 20);
        QCOMPARE(LayoutFile(file, LayoutFamily::Badge).read(), before);
    }

    void publishCopiesBadgeLineByLine()
    {
        const QString start = folder(QStringLiteral("start"));
        const QString db = folder(QStringLiteral("db"));
        QVERIFY(putFile(QDir(start).filePath(QStringLiteral("Badge.ini")),
                        "[Label1]\nVisible=1\nCaption=Gr\xfc\xdf"
                        "e\n; bleibt\n"));
        QVERIFY(putFile(QDir(db).filePath(QStringLiteral("BADGE.INI")), "[Alt]\r\nx=1\r\n"));

        LayoutFile::publishStandardBadge(start, db);

        // The existing copy is replaced, whatever its case; lines end in CR LF.
        QCOMPARE(QDir(db).entryList({QStringLiteral("*.ini")}, QDir::Files),
                 QStringList{QStringLiteral("BADGE.INI")});
        QCOMPARE(fileBytes(QDir(db).filePath(QStringLiteral("BADGE.INI"))),
                 QByteArray("[Label1]\r\nVisible=1\r\nCaption=Gr\xfc\xdf"
                            "e\r\n; bleibt\r\n"));
    }

    void publishWithoutBadgeSkipsTheCopy()
    {
        const QString start = folder(QStringLiteral("start"));
        const QString db = folder(QStringLiteral("db"));
        LayoutFile::publishStandardBadge(start, db);
        QVERIFY(QDir(db).isEmpty());

        const QString published = QDir(db).filePath(QStringLiteral("Badge.ini"));
        QVERIFY(putFile(published, "[Label1]\r\nVisible=1\r\n"));
        LayoutFile::publishStandardBadge(start, db);
        QCOMPARE(fileBytes(published), QByteArray("[Label1]\r\nVisible=1\r\n"));
    }

    void badgeTypesOfTheDatabaseFolder()
    {
        const QString db = folder(QStringLiteral("db"));
        for (const char *name : {"Ausweis Gast.ini", "Ausweis Firma.INI", "ausweis lieferant.ini",
                                 "Badge.ini", "Ausweis.dbf", "Ausweis Gast.bak", "Gast.ini"})
            QVERIFY(putFile(QDir(db).filePath(QString::fromLatin1(name)), "[Orientation]\r\n"));
        QCOMPARE(LayoutLocations::badgeTypes(db),
                 (QStringList{QStringLiteral("Ausweis Firma"), QStringLiteral("Ausweis Gast"),
                              QStringLiteral("ausweis lieferant")}));
        QVERIFY(LayoutLocations::badgeTypes(folder(QStringLiteral("leer"))).isEmpty());
    }

    void badgeLayoutIsTheTypeOrTheStandard()
    {
        const QString start = folder(QStringLiteral("start"));
        const QString db = folder(QStringLiteral("db"));
        QVERIFY(putFile(QDir(db).filePath(QStringLiteral("Ausweis Gast.ini")), ""));
        QCOMPARE(LayoutLocations::badgeLayout(start, db, QString()),
                 QDir(start).filePath(QStringLiteral("Badge.ini")));
        QCOMPARE(LayoutLocations::badgeLayout(start, db, QStringLiteral("Ausweis Gast")),
                 QDir(db).filePath(QStringLiteral("Ausweis Gast.ini")));
    }

    void visitorSheetAndImagesFolderFromSettings()
    {
        const QString start = folder(QStringLiteral("start"));
        QCOMPARE(LayoutLocations::visitorSheet(start),
                 QDir(start).filePath(QStringLiteral("Besucherschein.ini")));
        QCOMPARE(LayoutLocations::imagesFolder(start), start);
        QCOMPARE(LayoutLocations::sheetWorkingCopy(start),
                 QDir(start).filePath(QStringLiteral("tmpQuittung.ini")));
        QCOMPARE(LayoutLocations::badgeWorkingCopy(start),
                 QDir(start).filePath(QStringLiteral("tmpBadge.ini")));

        const QString images = folder(QStringLiteral("bilder"));
        QVERIFY(putFile(QDir(start).filePath(QStringLiteral("settings.ini")),
                        "[Besucherschein]\r\nPfad=Schein2.ini\r\n[Bilder]\r\nPfad=" +
                            images.toUtf8() + "\r\n"));
        QVERIFY(putFile(QDir(images).filePath(QStringLiteral("LOGO.BMP")), "BM"));
        QCOMPARE(LayoutLocations::visitorSheet(start),
                 QDir(start).filePath(QStringLiteral("Schein2.ini")));
        QCOMPARE(LayoutLocations::imagesFolder(start), images);
        // Pictures named in a layout from Windows are found whatever their case.
        QCOMPARE(LayoutLocations::picture(images, QStringLiteral("Logo.bmp")),
                 QDir(images).filePath(QStringLiteral("LOGO.BMP")));
    }
};

LOBRIX_TEST(LayoutCopyTest)
#include "LayoutCopyTest.moc"
