#include "layouts/StandardLayouts.h"

#include "TestFiles.h"
#include "TestInstallation.h"
#include "TestRegistry.h"
#include "layouts/LayoutFields.h"
#include "layouts/LayoutFile.h"
#include "layouts/LayoutLocations.h"
#include "common/IniFile.h"
#include "shell/SettingsKeys.h"

#include <QDir>
#include <QImage>
#include <QSet>
#include <QTest>

using namespace lobrix;
using namespace lobrix::layouts;
using namespace lobrix::test;

// What a new installation gets: a badge, a visitor sheet and their logo.
class StandardLayoutsTest : public QObject
{
    Q_OBJECT

    static QSet<QString> boundKeys(const Layout &layout)
    {
        QSet<QString> keys;
        for (const LayoutLabel &l : layout.labels)
            keys.insert(l.feld);
        return keys;
    }

    // Bound items carry the index of their key in their designer's list and the caption
    // the designer gives them; every item starts on the card or page.
    static void checkItems(const Layout &layout)
    {
        const QRect extent(QPoint(0, 0), layout.extent());
        for (const LayoutLabel &l : layout.labels) {
            QVERIFY2(extent.contains(l.left, l.top), qPrintable(l.caption));
            if (l.feld.isEmpty())
                continue;
            QCOMPARE(l.feldIndex, LayoutFields::indexOf(layout.family, l.feld));
            QCOMPARE(l.caption, LayoutFields::boundCaption(layout.family, l.feldIndex));
        }
        for (const LayoutPicture &p : layout.pictures)
            QVERIFY(extent.contains(QRect(p.left, p.top, p.width, p.height)));
    }

private slots:
    void freshInstallationHasBothLayouts()
    {
        TestInstallation inst;
        const QString start = inst.startFolder();
        const Layout badge =
            LayoutFile(LayoutLocations::standardBadge(start), LayoutFamily::Badge).read();
        const Layout sheet =
            LayoutFile(LayoutLocations::visitorSheet(start), LayoutFamily::VisitorSheet).read();
        QCOMPARE(badge, StandardLayouts::badge());
        QCOMPARE(sheet, StandardLayouts::visitorSheet());
        checkItems(badge);
        checkItems(sheet);

        const QSet<QString> printed{QStringLiteral("Name"),       QStringLiteral("Firma"),
                                    QStringLiteral("Ausweis"),    QStringLiteral("Tag"),
                                    QStringLiteral("Kommt"),      QStringLiteral("ZIEL"),
                                    QStringLiteral("GUELTIGVON"), QStringLiteral("GUELTIGBIS")};
        QVERIFY(boundKeys(badge).contains(printed));
        QVERIFY(boundKeys(sheet).contains(printed));
        for (const Layout &layout : {badge, sheet}) {
            int placeholders = 0, logos = 0;
            for (const LayoutPicture &p : layout.pictures) {
                placeholders += p.isPhotoPlaceholder() ? 1 : 0;
                logos += p.pfad == QLatin1String(StandardLayouts::LogoFile) ? 1 : 0;
            }
            QCOMPARE(placeholders, 1);
            QCOMPARE(logos, 1);
        }
        QVERIFY(!badge.portrait);
        QVERIFY(sheet.portrait);
    }

    void logoIsABitmapInTheImagesFolder()
    {
        TestInstallation inst;
        const QString path =
            LayoutLocations::picture(LayoutLocations::imagesFolder(inst.startFolder()),
                                     QString::fromLatin1(StandardLayouts::LogoFile));
        QVERIFY(fileBytes(path).startsWith("BM"));
        const QImage logo(path);
        QCOMPARE(logo.size(), StandardLayouts::logo().size());
        // Not a blank picture: blue letters on white.
        QSet<QRgb> colours;
        for (int y = 0; y < logo.height(); y += 3)
            for (int x = 0; x < logo.width(); x += 3)
                colours.insert(logo.pixel(x, y));
        QVERIFY(colours.size() >= 3);
        QVERIFY(colours.contains(qRgb(255, 255, 255)));
        // Its item keeps the logo's proportions.
        for (const LayoutPicture &p : StandardLayouts::badge().pictures)
            if (!p.isPhotoPlaceholder())
                QVERIFY(qAbs(double(p.width) / p.height - double(logo.width()) / logo.height()) <
                        0.02);
    }

    void badgeIsPublishedAndCardSizeSet()
    {
        TestInstallation inst;
        QCOMPARE(fileBytes(LayoutLocations::publishedBadge(inst.databaseFolder())),
                 fileBytes(LayoutLocations::standardBadge(inst.startFolder())));
        const IniFile settings(
            QDir(inst.startFolder()).filePath(QString::fromLatin1(shell::keys::SettingsFile)));
        QCOMPARE(shell::keys::read(settings, shell::keys::settings::AusweisBreite), 54);
        QCOMPARE(shell::keys::read(settings, shell::keys::settings::AusweisHoehe), 86);
    }

    // Installing again over files that are there keeps them and the card size.
    void installKeepsWhatIsThere()
    {
        TestInstallation inst;
        const QString start = inst.startFolder();
        const QString badge = LayoutLocations::standardBadge(start);
        QVERIFY(putFile(badge, "[Orientation]\r\npoPortrait=1\r\n"));
        IniFile settings(
            QDir(start).filePath(QString::fromLatin1(shell::keys::SettingsFile)));
        shell::keys::write(settings, shell::keys::settings::AusweisBreite, 60);
        QFile::remove(LayoutLocations::visitorSheet(start));

        StandardLayouts::install(start, inst.databaseFolder());

        QCOMPARE(fileBytes(badge), QByteArray("[Orientation]\r\npoPortrait=1\r\n"));
        QCOMPARE(shell::keys::read(settings, shell::keys::settings::AusweisBreite), 60);
        QCOMPARE(shell::keys::read(settings, shell::keys::settings::AusweisHoehe), 86);
        QCOMPARE(
            LayoutFile(LayoutLocations::visitorSheet(start), LayoutFamily::VisitorSheet).read(),
            StandardLayouts::visitorSheet());
    }
};

LOBRIX_TEST(StandardLayoutsTest)
#include "StandardLayoutsTest.moc"
