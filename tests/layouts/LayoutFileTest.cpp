#include "layouts/LayoutFile.h"

#include "TestFiles.h"
#include "LayoutTestFiles.h"
#include "TestRegistry.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

using namespace lobrix::layouts;
using namespace lobrix::test;

Q_DECLARE_METATYPE(lobrix::layouts::LayoutLabel)
Q_DECLARE_METATYPE(lobrix::layouts::LayoutPicture)
Q_DECLARE_METATYPE(lobrix::layouts::LayoutFamily)

namespace {

// A label as the printers read it from a section holding only Visible=1.
LayoutLabel defaultLabel(int slot)
{
    LayoutLabel l;
    l.slot = slot;
    return l;
}

LayoutPicture defaultPicture(int slot)
{
    LayoutPicture p;
    p.slot = slot;
    return p;
}

} // namespace

class LayoutFileTest : public QObject
{
    Q_OBJECT

    std::optional<QTemporaryDir> m_dir;
    QString file(const QString &name = QStringLiteral("layout.ini")) const
    {
        return m_dir->filePath(name);
    }

private slots:
    void init()
    {
        m_dir.emplace();
        QVERIFY(m_dir->isValid());
    }

    void readsLabelKeys_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<LayoutLabel>("expected");

        const LayoutLabel d = defaultLabel(3);
        QTest::newRow("only Visible: printer defaults") << QByteArray("Visible=1") << d;
        LayoutLabel l = d;
        l.left = -5;
        l.top = 16;
        QTest::newRow("position, hexadecimal top")
            << QByteArray("Visible=1\r\nLeft=-5\r\nTop=0x10") << l;
        l = d;
        l.fontName = QStringLiteral("Times New Roman");
        l.fontSize = 12;
        l.fontColor = 16711680;
        QTest::newRow("font") << QByteArray(
                                     "Visible=1\r\nFontName=Times New Roman\r\nFontSize=12\r\n"
                                     "FontColor=16711680")
                              << l;
        l = d;
        l.bold = true;
        l.italic = true;
        l.strikeOut = true;
        QTest::newRow("styles, any value but 0 is set")
            << QByteArray("Visible=1\r\nBold=1\r\nItalic=2\r\nUnderline=0\r\nStrikeOut=-1") << l;
        l = d;
        l.caption = QStringLiteral("Grüße");
        QTest::newRow("Windows-1252 caption") << QByteArray("Visible=1\r\nCaption=Gr\xfc\xdf"
                                                            "e")
                                              << l;
        l = d;
        l.caption = QStringLiteral("[Firma]");
        l.feld = QStringLiteral("Firma");
        l.feldIndex = 5;
        QTest::newRow("binding") << QByteArray("Visible=1\r\nCaption=[Firma]\r\nFeld=Firma\r\n"
                                               "FeldIndex=5")
                                 << l;
        QTest::newRow("numbers that are none give the default")
            << QByteArray("Visible=1\r\nFontSize=zwölf\r\nLeft=\r\nFeldIndex=1,5") << d;
    }
    void readsLabelKeys()
    {
        QFETCH(QByteArray, body);
        QFETCH(LayoutLabel, expected);
        QVERIFY(putFile(file(), iniSection("Label3", body)));
        const Layout layout = LayoutFile(file(), LayoutFamily::Badge).read();
        QCOMPARE(layout.labels.size(), 1);
        QCOMPARE(layout.labels.first(), expected);
        QVERIFY(layout.pictures.isEmpty());
    }

    void readsPictureKeys_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<LayoutPicture>("expected");

        const LayoutPicture d = defaultPicture(7);
        QTest::newRow("only Visible: printer defaults") << QByteArray("Visible=1") << d;
        LayoutPicture p = d;
        p.left = 10;
        p.top = 20;
        p.width = 300;
        p.height = 150;
        p.pfad = QStringLiteral("Logo.bmp");
        p.relation = 0.5;
        QTest::newRow("geometry and bitmap")
            << QByteArray("Visible=1\r\nLeft=10\r\nTop=20\r\nWidth=300\r\nHeight=150\r\n"
                          "Pfad=Logo.bmp\r\nRelation=0,5")
            << p;
        p = d;
        p.relation = 0.75;
        QTest::newRow("relation with decimal comma")
            << QByteArray("Visible=1\r\nRelation=0,75") << p;
        QTest::newRow("relation with decimal point")
            << QByteArray("Visible=1\r\nRelation=0.75") << p;
        QTest::newRow("relation that is no number")
            << QByteArray("Visible=1\r\nRelation=breit") << d;
        QTest::newRow("relation of zero") << QByteArray("Visible=1\r\nRelation=0") << d;
        p = d;
        p.feld = QStringLiteral("Tag");
        p.feldIndex = 0;
        QTest::newRow("placeholder whatever Feld says") << QByteArray("Visible=1\r\nFeld=Tag\r\n"
                                                                      "FeldIndex=0")
                                                        << p;
    }
    void readsPictureKeys()
    {
        QFETCH(QByteArray, body);
        QFETCH(LayoutPicture, expected);
        QVERIFY(putFile(file(), iniSection("Picture7", body)));
        const Layout layout = LayoutFile(file(), LayoutFamily::VisitorSheet).read();
        QCOMPARE(layout.pictures.size(), 1);
        QCOMPARE(layout.pictures.first(), expected);
        QCOMPARE(layout.pictures.first().isPhotoPlaceholder(), expected.feldIndex >= 0);
    }

    void readsLayoutSections_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("portrait");
        QTest::addColumn<int>("fontScale");
        QTest::addColumn<int>("raster");

        QTest::newRow("missing file") << QByteArray() << false << 16 << 4;
        QTest::newRow("portrait") << iniSection("Orientation", "poPortrait=1") << true << 16 << 4;
        QTest::newRow("landscape") << iniSection("Orientation", "poPortrait=0") << false << 16 << 4;
        QTest::newRow("font scale and raster")
            << iniSection("FontScale", "Height=19") + iniSection("Raster", "Abstand=10") << false
            << 19 << 10;
    }
    void readsLayoutSections()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, portrait);
        QFETCH(int, fontScale);
        QFETCH(int, raster);
        if (!content.isEmpty())
            QVERIFY(putFile(file(), content));
        const Layout layout = LayoutFile(file(), LayoutFamily::VisitorSheet).read();
        QCOMPARE(layout.portrait, portrait);
        QCOMPARE(layout.fontScaleHeight, fontScale);
        QCOMPARE(layout.rasterAbstand, raster);
        QVERIFY(layout.labels.isEmpty() && layout.pictures.isEmpty());
    }

    // Readers look at the family's slots only, and only at slots in use.
    void readsSlotsOfItsFamily_data()
    {
        QTest::addColumn<LayoutFamily>("family");
        QTest::addColumn<int>("lastSlot");
        QTest::newRow("badge") << LayoutFamily::Badge << 20;
        QTest::newRow("visitor sheet") << LayoutFamily::VisitorSheet << 200;
    }
    void readsSlotsOfItsFamily()
    {
        QFETCH(LayoutFamily, family);
        QFETCH(int, lastSlot);
        QByteArray content;
        for (int slot : {1, lastSlot, lastSlot + 1})
            content += iniSection("Label" + QByteArray::number(slot), "Visible=1") +
                       iniSection("Picture" + QByteArray::number(slot), "Visible=1");
        content += iniSection("Label2", "Visible=0\r\nCaption=frei\r\nLeft=5");
        content += iniSection("Picture2", "Left=5");
        QVERIFY(putFile(file(), content));
        const Layout layout = LayoutFile(file(), family).read();
        QList<int> labelSlots, pictureSlots;
        for (const LayoutLabel &l : layout.labels)
            labelSlots.append(l.slot);
        for (const LayoutPicture &p : layout.pictures)
            pictureSlots.append(p.slot);
        QCOMPARE(labelSlots, (QList<int>{1, lastSlot}));
        QCOMPARE(pictureSlots, (QList<int>{1, lastSlot}));
    }

    void longFontNameIsCutWhenApplied()
    {
        LayoutLabel l;
        l.fontName = QString(40, u'x');
        QCOMPARE(l.appliedFontName(), QString(31, u'x'));
    }

    void colourIntegerHasRedInTheLowestByte_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("black") << 0 << QColor(0, 0, 0);
        QTest::newRow("red") << 255 << QColor(255, 0, 0);
        QTest::newRow("green") << 0x00ff00 << QColor(0, 255, 0);
        QTest::newRow("blue") << 0xff0000 << QColor(0, 0, 255);
        QTest::newRow("white") << 16777215 << QColor(255, 255, 255);
    }
    void colourIntegerHasRedInTheLowestByte()
    {
        QFETCH(int, value);
        QFETCH(QColor, colour);
        QCOMPARE(LayoutLabel::colorFromLayout(value), colour);
        QCOMPARE(LayoutLabel::colorToLayout(colour), value);
    }

    // Designers write every key of an item; what they write reads back the same, and the
    // file stays a Windows file.
    void writtenItemsReadBack()
    {
        LayoutFile layoutFile(file(), LayoutFamily::VisitorSheet);
        LayoutLabel l;
        l.slot = 4;
        l.left = 120;
        l.top = -3;
        l.fontName = QStringLiteral("Arial");
        l.fontSize = 14;
        l.fontColor = 0x123456;
        l.bold = l.underline = true;
        l.caption = QStringLiteral("[Gültig bis]");
        l.feld = QStringLiteral("GUELTIGBIS");
        l.feldIndex = 18;
        LayoutPicture p;
        p.slot = 9;
        p.left = 7;
        p.top = 8;
        p.width = 200;
        p.height = 150;
        p.pfad = QStringLiteral("Bär.bmp");
        p.relation = 0.75;
        layoutFile.writePortrait(true);
        layoutFile.writeLabel(l);
        layoutFile.writePicture(p);

        const Layout layout = layoutFile.read();
        QVERIFY(layout.portrait);
        QCOMPARE(layout.labels, QList<LayoutLabel>{l});
        QCOMPARE(layout.pictures, QList<LayoutPicture>{p});

        const QByteArray bytes = fileBytes(file());
        QVERIFY(bytes.contains("Caption=[G\xfcltig bis]\r\n"));
        QVERIFY(bytes.contains("Pfad=B\xe4r.bmp\r\n"));
        QVERIFY(bytes.contains("Relation=0,75\r\n"));
        QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
    }

    void singleKeyWrites()
    {
        LayoutFile layoutFile(file(), LayoutFamily::Badge);
        layoutFile.writePosition(ItemKind::Label, 2, 30, 40);
        layoutFile.writeBinding(ItemKind::Label, 2, QStringLiteral("Kommt"), 1);
        layoutFile.writeFontSize(2, 11);
        layoutFile.writePictureSize(1, 80, 60);
        layoutFile.writePictureFile(1, QStringLiteral("Foto.bmp"), 0.75);
        layoutFile.writeFontScaleHeight(19);
        layoutFile.writeRasterAbstand(8);
        // Nothing is in use until Visible is written.
        QVERIFY(!layoutFile.inUse(ItemKind::Label, 2));
        const LayoutLabel l = layoutFile.readLabel(2);
        QCOMPARE(l.left, 30);
        QCOMPARE(l.top, 40);
        QCOMPARE(l.feld, QStringLiteral("Kommt"));
        QCOMPARE(layoutFile.readFeldIndex(ItemKind::Label, 2), 1);
        QCOMPARE(l.fontSize, 11);
        const LayoutPicture p = layoutFile.readPicture(1);
        QCOMPARE(p.width, 80);
        QCOMPARE(p.height, 60);
        QCOMPARE(p.pfad, QStringLiteral("Foto.bmp"));
        QCOMPARE(layoutFile.readRelation(1), 0.75);
        QCOMPARE(layoutFile.readFeldIndex(ItemKind::Picture, 1), -1);
        QCOMPARE(layoutFile.fontScaleHeight(), 19);
        QCOMPARE(layoutFile.rasterAbstand(), 8);
    }

    void designerDefaultsApplyToMissingKeys()
    {
        QVERIFY(putFile(file(), iniSection("Label1", "Visible=1\r\nLeft=3") +
                                    iniSection("Picture1", "Visible=1\r\nTop=4")));
        LayoutFile layoutFile(file(), LayoutFamily::Badge);
        LayoutLabel labelDefaults;
        labelDefaults.fontColor = 1;
        labelDefaults.top = 104;
        labelDefaults.caption = QStringLiteral("Textfeld1");
        const LayoutLabel l = layoutFile.readLabel(1, labelDefaults);
        QCOMPARE(l.left, 3);
        QCOMPARE(l.top, 104);
        QCOMPARE(l.fontColor, 1);
        QCOMPARE(l.caption, QStringLiteral("Textfeld1"));
        LayoutPicture pictureDefaults;
        pictureDefaults.left = 0;
        pictureDefaults.width = pictureDefaults.height = 200;
        const LayoutPicture p = layoutFile.readPicture(1, pictureDefaults);
        QCOMPARE(p.left, 0);
        QCOMPARE(p.top, 4);
        QCOMPARE(p.width, 200);
        QCOMPARE(p.height, 200);
    }

    void relationText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("comma") << "0,75" << 0.75;
        QTest::newRow("point") << "0.75" << 0.75;
        QTest::newRow("blanks") << " 1,5 " << 1.5;
        QTest::newRow("whole") << "2" << 2.0;
        QTest::newRow("exponent") << "1,5E-3" << 0.0015;
        QTest::newRow("empty") << "" << -1.0;
        QTest::newRow("text") << "hoch" << -1.0;
        QTest::newRow("zero") << "0" << -1.0;
        QTest::newRow("negative") << "-0,5" << -1.0;
        QTest::newRow("infinite") << "inf" << -1.0;
    }
    void relationText()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(LayoutFile::parseRelation(text, -1.0), value);
    }

    void relationIsWrittenWithDecimalComma_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("one") << 1.0 << "1";
        QTest::newRow("half") << 0.5 << "0,5";
        QTest::newRow("third, 15 digits") << 1.0 / 3 << "0,333333333333333";
        QTest::newRow("upright photo") << 106.0 / 70 << "1,51428571428571";
    }
    void relationIsWrittenWithDecimalComma()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(LayoutFile::formatRelation(value), text);
        // 15 significant digits come back to within the last of them.
        QVERIFY(qAbs(LayoutFile::parseRelation(text, -1.0) - value) < 1e-14);
    }

    void freeSlot_data()
    {
        QTest::addColumn<LayoutFamily>("family");
        QTest::addColumn<QList<int>>("visible");
        QTest::addColumn<QList<int>>("hidden");
        QTest::addColumn<int>("free");
        QTest::newRow("empty layout") << LayoutFamily::Badge << QList<int>{} << QList<int>{} << 1;
        QTest::newRow("gap after deleting 3")
            << LayoutFamily::Badge << QList<int>{1, 2, 4, 5} << QList<int>{} << 3;
        QTest::newRow("Visible=0 is free")
            << LayoutFamily::Badge << QList<int>{1, 3} << QList<int>{2} << 2;
        QList<int> twenty;
        for (int i = 1; i <= 20; ++i)
            twenty.append(i);
        QTest::newRow("badge full") << LayoutFamily::Badge << twenty << QList<int>{} << 0;
        QTest::newRow("sheet has more slots")
            << LayoutFamily::VisitorSheet << twenty << QList<int>{} << 21;
    }
    void freeSlot()
    {
        QFETCH(LayoutFamily, family);
        QFETCH(QList<int>, visible);
        QFETCH(QList<int>, hidden);
        QFETCH(int, free);
        QByteArray content;
        for (int slot : visible)
            content += iniSection("Label" + QByteArray::number(slot), "Visible=1");
        for (int slot : hidden)
            content += iniSection("Label" + QByteArray::number(slot), "Visible=0");
        // Pictures are counted apart from labels.
        content += iniSection("Picture1", "Visible=1");
        QVERIFY(putFile(file(), content));
        const LayoutFile layoutFile(file(), family);
        QCOMPARE(layoutFile.findFreeSlot(ItemKind::Label), free);
        QCOMPARE(layoutFile.findFreeSlot(ItemKind::Picture), 2);
    }

    void eraseRemovesTheWholeSection()
    {
        const QByteArray before = iniSection("Orientation", "poPortrait=1") +
                                  iniSection("Label3", "Visible=1\r\nCaption=weg") +
                                  iniSection("label3", "Visible=1\r\nCaption=auch weg") +
                                  iniSection("Label30", "Visible=1") + "; Kommentar\r\n";
        QVERIFY(putFile(file(), before));
        LayoutFile layoutFile(file(), LayoutFamily::VisitorSheet);
        layoutFile.erase(ItemKind::Label, 3);
        QCOMPARE(fileBytes(file()), iniSection("Orientation", "poPortrait=1") +
                                        iniSection("Label30", "Visible=1") + "; Kommentar\r\n");
        QVERIFY(!layoutFile.inUse(ItemKind::Label, 3));
        QCOMPARE(layoutFile.findFreeSlot(ItemKind::Label), 1);

        // Erasing from a file that is not there creates none.
        LayoutFile missing(file(QStringLiteral("missing.ini")), LayoutFamily::Badge);
        missing.erase(ItemKind::Picture, 1);
        QVERIFY(!QFileInfo::exists(missing.path()));
    }

    // A whole layout written at once reads back as it was.
    void createdFileReadsBack()
    {
        Layout layout;
        layout.family = LayoutFamily::VisitorSheet;
        layout.portrait = true;
        layout.fontScaleHeight = 17;
        layout.rasterAbstand = 6;
        LayoutPicture p;
        p.slot = 2;
        p.pfad = QStringLiteral("Logo.bmp");
        p.relation = 0.25;
        layout.pictures = {p};
        LayoutLabel a, b;
        a.slot = 1;
        a.caption = QStringLiteral("Besuchsbestätigung");
        b.slot = 200;
        b.feld = QStringLiteral("Ressourcen");
        b.feldIndex = 25;
        b.italic = true;
        layout.labels = {a, b};
        LayoutFile layoutFile(file(), LayoutFamily::VisitorSheet);
        layoutFile.create(layout);
        QCOMPARE(layoutFile.read(), layout);
        const QByteArray bytes = fileBytes(file());
        QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
        QVERIFY(bytes.contains("Caption=Besuchsbest\xe4tigung\r\n"));
    }
};

LOBRIX_TEST(LayoutFileTest)
#include "LayoutFileTest.moc"
