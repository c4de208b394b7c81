#include "TestFiles.h"
#include "LayoutTestFiles.h"
#include "TestRegistry.h"
#include "layouts/LayoutFile.h"
#include "layouts/StandardLayouts.h"

#include <QCryptographicHash>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <optional>

using namespace lobrix::layouts;
using namespace lobrix::test;

namespace {

// Every text and picture slot of a visitor sheet in use, with varied values.
Layout fullSheet()
{
    Layout layout;
    layout.family = LayoutFamily::VisitorSheet;
    layout.portrait = true;
    layout.fontScaleHeight = 17;
    layout.rasterAbstand = 6;
    for (int slot = 1; slot <= 200; ++slot) {
        LayoutLabel l;
        l.slot = slot;
        l.left = slot * 3;
        l.top = slot * 5;
        l.caption = QStringLiteral("Text Nr. %1 – äöü").arg(slot);
        l.fontName = slot % 2 ? QStringLiteral("Arial") : QStringLiteral("Times New Roman");
        l.fontSize = 8 + slot % 10;
        l.fontColor = slot * 4099;
        l.bold = slot % 3 == 0;
        l.italic = slot % 5 == 0;
        l.feld = slot % 4 ? QString() : QStringLiteral("Name");
        l.feldIndex = slot % 4 ? -1 : 3;
        layout.labels.append(l);
        LayoutPicture p;
        p.slot = slot;
        p.left = slot;
        p.top = 1000 - slot;
        p.width = 40 + slot;
        p.height = 30 + slot;
        p.pfad = QStringLiteral("Bild%1.bmp").arg(slot);
        p.relation = 1.0 + slot / 7.0;
        layout.pictures.append(p);
    }
    return layout;
}

// A file the way other programs leave them: comments, a key before the first section,
// names in other cases, a duplicate section, blanks around names and values.
const QByteArray kUntidy = "; von Hand bearbeitet\r\nlose=1\r\n" +
                           iniSection("orientation", "POPORTRAIT = 0 ") +
                           iniSection("Label2", "visible=1\r\ncaption=\"alt\"\r\n; Kommentar") +
                           iniSection("label2", "Visible=1\r\nCaption=zweite") +
                           iniSection("FontScale", "Height=33") + "\r\n\r\n" +
                           iniSection("Picture9", "Visible=1\r\nPfad=x.bmp\r\nRelation=0,5");

QByteArray sha(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().left(16);
}

} // namespace

// Layout files keep their bytes: for the same content the whole-file reader and writer
// produce exactly the file the earlier key-by-key writer produced (the figures below are
// the first 16 hex digits of the SHA-256 of that writer's files).
class LayoutFileBytesTest : public QObject
{
    Q_OBJECT

    std::optional<QTemporaryDir> m_dir;

private slots:
    void init()
    {
        m_dir.emplace();
        QVERIFY(m_dir->isValid());
    }

    void sameBytesAsBefore_data()
    {
        using Make = std::function<void(const QString &source, const QString &target)>;
        QTest::addColumn<Make>("make");
        QTest::addColumn<QByteArray>("expected");

        const auto copyOnto = [](Layout layout, QByteArray targetBytes) -> Make {
            return [layout, targetBytes](const QString &source, const QString &target) {
                LayoutFile(source, layout.family).create(layout);
                QVERIFY(putFile(target, targetBytes));
                LayoutFile::CopyLayout(source, target, slotCount(layout.family));
            };
        };
        const QByteArray existing = iniSection("FontScale", "Height=20") +
                                    iniSection("Raster", "Abstand=7") +
                                    iniSection("Label5", "Visible=1\r\nCaption=alt") +
                                    iniSection("Picture1", "Visible=1\r\nPfad=alt.bmp") +
                                    iniSection("Label201", "Visible=1\r\nCaption=jenseits");
        QTest::newRow("shipped badge onto an old badge")
            << copyOnto(StandardLayouts::badge(), existing) << QByteArray("1ebc4189a3f6a26c");
        QTest::newRow("shipped sheet onto an old sheet")
            << copyOnto(StandardLayouts::visitorSheet(), existing) << QByteArray("e04966227cda498f");
        QTest::newRow("full sheet onto an old sheet")
            << copyOnto(fullSheet(), existing) << QByteArray("d4c39de0e18afa69");
        QTest::newRow("full sheet onto nothing")
            << copyOnto(fullSheet(), QByteArray()) << QByteArray("ea122126e5221600");
        QTest::newRow("full sheet onto an untidy file")
            << copyOnto(fullSheet(), kUntidy) << QByteArray("69a0c685dfce696d");
        QTest::newRow("untidy file onto a full sheet")
            << Make([](const QString &source, const QString &target) {
                   QVERIFY(putFile(source, kUntidy));
                   LayoutFile(target, LayoutFamily::VisitorSheet).create(fullSheet());
                   LayoutFile::CopyLayout(source, target, 200);
               })
            << QByteArray("54ba1eca745e6e25");
        QTest::newRow("designer edits on a full sheet")
            << Make([](const QString &, const QString &target) {
                   LayoutFile file(target, LayoutFamily::VisitorSheet);
                   file.create(fullSheet());
                   file.writePosition(ItemKind::Label, 7, 70, 80);
                   file.writeBinding(ItemKind::Picture, 8, QStringLiteral("FOTO"), 20);
                   file.writePictureSize(9, 111, 222);
                   file.writeRelation(10, 0.25);
                   file.writePictureFile(11, QStringLiteral("neu.bmp"), 2.5);
                   file.writeFontSize(12, 30);
                   file.erase(ItemKind::Label, 13);
                   file.erase(ItemKind::Picture, 200);
                   LayoutLabel l;
                   l.slot = 13;
                   l.caption = QStringLiteral("wieder da");
                   file.writeLabel(l);
                   file.writePortrait(false);
                   file.writeFontScaleHeight(21);
                   file.writeRasterAbstand(3);
               })
            << QByteArray("943677d27321ce5e");
        QTest::newRow("designer edits on an untidy file")
            << Make([](const QString &, const QString &target) {
                   QVERIFY(putFile(target, kUntidy));
                   LayoutFile file(target, LayoutFamily::Badge);
                   file.writePosition(ItemKind::Label, 2, 1, 2);
                   file.erase(ItemKind::Label, 2);
                   file.writePictureSize(9, 5, 6);
                   file.writePortrait(true);
                   LayoutPicture p;
                   p.slot = 3;
                   file.writePicture(p);
               })
            << QByteArray("40c5b98ccf806c22");
    }

    void sameBytesAsBefore()
    {
        QFETCH(std::function<void(const QString &, const QString &)>, make);
        QFETCH(QByteArray, expected);
        const QString source = m_dir->filePath(QStringLiteral("source.ini"));
        const QString target = m_dir->filePath(QStringLiteral("target.ini"));
        make(source, target);
        QCOMPARE(sha(fileBytes(target)), expected);
    }
};

LOBRIX_TEST(LayoutFileBytesTest)
#include "LayoutFileBytesTest.moc"
