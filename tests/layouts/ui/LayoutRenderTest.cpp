#include "PdfProbe.h"
#include "TestInstallation.h"
#include "TestRegistry.h"
#include "layouts/LayoutFields.h"
#include "layouts/LayoutFile.h"
#include "layouts/LayoutLocations.h"
#include "layouts/LayoutRenderer.h"
#include "layouts/VisitValues.h"

#include <QFont>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

using namespace lobrix::layouts;
using namespace lobrix::test;

namespace {

const QColor kGround(128, 128, 128);

// A page image that reports `dpi` to the painter, filled with one colour.
QImage page(QSize size, int dpi, const QColor &fill = Qt::white)
{
    QImage image(size, QImage::Format_RGB32);
    const int dpm = qRound(dpi / 0.0254);
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
    image.fill(fill);
    return image;
}

// The smallest rectangle holding every pixel of the colour; empty when there is none.
QRect boxOf(const QImage &image, const QColor &colour)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                box |= QRect(x, y, 1, 1);
    return box;
}

// Pixels that are not the ground colour.
QRect boxOfAllBut(const QImage &image, const QColor &ground)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != ground)
                box |= QRect(x, y, 1, 1);
    return box;
}

LayoutLabel label(int slot, int left, int top, const QString &caption, int size = 8)
{
    LayoutLabel l;
    l.slot = slot;
    l.left = left;
    l.top = top;
    l.caption = caption;
    l.fontSize = size;
    return l;
}

LayoutPicture picture(int slot, int left, int top, int width, int height, const QString &pfad)
{
    LayoutPicture p;
    p.slot = slot;
    p.left = left;
    p.top = top;
    p.width = width;
    p.height = height;
    p.pfad = pfad;
    return p;
}

Layout layoutOf(LayoutFamily family, bool portrait)
{
    Layout layout;
    layout.family = family;
    layout.portrait = portrait;
    return layout;
}

QImage render(const Layout &layout, const VisitValues *visit, const LayoutRenderOptions &options,
              QImage image)
{
    QPainter painter(&image);
    LayoutRenderer::render(painter, layout, visit, options);
    painter.end();
    return image;
}

struct PdfWord {
    QString text;
    QRectF box; // points
};

using lobrix::test::pdfText;
using lobrix::test::popplerOutput;

// The page size and the words of page 1 with their boxes in points.
std::pair<QSizeF, QList<PdfWord>> pdfWords(const QString &pdf)
{
    const QString html =
        popplerOutput(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    QSizeF size;
    const QRegularExpression pageRe(
        QStringLiteral(R"re(<page width="([\d.]+)" height="([\d.]+)")re"));
    if (const auto m = pageRe.match(html); m.hasMatch())
        size = QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble());
    QList<PdfWord> words;
    const QRegularExpression wordRe(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    for (auto it = wordRe.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        words.append(
            {m.captured(5), QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                   QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()))});
    }
    return {size, words};
}

std::optional<PdfWord> word(const QList<PdfWord> &words, const QString &text)
{
    for (const PdfWord &w : words)
        if (w.text == text)
            return w;
    return std::nullopt;
}

void writePdf(const QString &path, int dpi, QPageLayout::Orientation orientation,
              const Layout &layout, const VisitValues *visit, const LayoutRenderOptions &options)
{
    QPdfWriter writer(path);
    writer.setResolution(dpi);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setPageOrientation(orientation);
    writer.setTitle(LayoutRenderer::documentTitle(layout.family));
    QPainter painter(&writer);
    LayoutRenderer::render(painter, layout, visit, options);
    painter.end();
}

VisitValues sampleVisit()
{
    VisitValues visit;
    const auto set = [&](const char *key, const char *text) {
        visit.set(QString::fromLatin1(key), QString::fromUtf8(text));
    };
    set(fields::Name, "Müller");
    set(fields::Vorname, "Jürgen");
    set(fields::Firma, "Stahlbau Nord");
    set(fields::Ausweis, "17");
    set(fields::VORGANG, "4711");
    set(fields::Tag, "21.10.2005");
    set(fields::Kommt, "08:15");
    set(fields::ZIEL, "Einkauf");
    set(fields::GUELTIGVON, "21.10.2005");
    set(fields::GUELTIGBIS, "22.10.2005");
    set(fields::NUTZER, "Pforte");
    return visit;
}

} // namespace

// Rendering layouts onto images and PDF pages at known resolutions.
class LayoutRenderTest : public QObject
{
    Q_OBJECT

    std::optional<QTemporaryDir> m_dir;
    LayoutRenderOptions m_options;

    // A one-colour bitmap in the images folder.
    void bitmap(const QString &name, const QColor &colour, QSize size = QSize(40, 40))
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        QVERIFY(image.save(QDir(m_options.imagesFolder).filePath(name), "BMP"));
    }

private slots:
    void initTestCase()
    {
        QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
        QFont::insertSubstitution(QStringLiteral("MS Sans Serif"),
                                  QStringLiteral("Liberation Sans"));
    }

    void init()
    {
        m_dir.emplace();
        QVERIFY(m_dir->isValid());
        m_options = LayoutRenderOptions();
        m_options.imagesFolder = m_dir->path();
        m_options.ausweisBreiteMm = 54;
        m_options.ausweisHoeheMm = 86;
    }

    // Visitor sheet, portrait, 600 dpi: a text at (100, 100) has its top-left at
    // (668, 685), on a white ground that covers its extent.
    void visitorSheetTextPosition()
    {
        Layout layout = layoutOf(LayoutFamily::VisitorSheet, true);
        layout.labels = {label(1, 100, 100, QStringLiteral("X"), 12)};
        const QImage image = render(layout, nullptr, m_options, page({1200, 1200}, 600, kGround));
        const QRect box = boxOfAllBut(image, kGround);
        QCOMPARE(box.topLeft(), QPoint(668, 685));
        QCOMPARE(image.pixelColor(668, 685), QColor(Qt::white));
        // Sizes as stored: 12 pt at 600 dpi is 100 dots, the cell a little more.
        QVERIFY2(box.height() > 100 && box.height() < 130,
                 qPrintable(QString::number(box.height())));
    }

    // Badge 86 × 54 mm, landscape, 300 dpi: a picture over the whole card covers 1015 ×
    // 637 dots.
    void badgeCardExtent()
    {
        bitmap(QStringLiteral("karte.bmp"), Qt::red);
        Layout layout = layoutOf(LayoutFamily::Badge, false);
        layout.pictures = {picture(1, 0, 0, 510, 320, QStringLiteral("karte.bmp"))};
        const QImage image = render(layout, nullptr, m_options, page({1200, 800}, 300));
        QCOMPARE(boxOf(image, Qt::red), QRect(0, 0, 1015, 637));
    }

    // The badge test print "auf Papier" outlines the card with a 4-dot pen.
    void badgeTestPrintOutline_data()
    {
        QTest::addColumn<bool>("portrait");
        QTest::addColumn<bool>("outline");
        QTest::newRow("landscape") << false << true;
        QTest::newRow("portrait") << true << true;
        QTest::newRow("not on paper") << false << false;
    }
    void badgeTestPrintOutline()
    {
        QFETCH(bool, portrait);
        QFETCH(bool, outline);
        m_options.cardOutline = outline;
        const Layout layout = layoutOf(LayoutFamily::Badge, portrait);
        const QImage image = render(layout, nullptr, m_options, page({1200, 1200}, 300));
        const QRect box = boxOfAllBut(image, Qt::white);
        if (!outline) {
            QVERIFY(box.isEmpty());
            return;
        }
        const QSize card = portrait ? QSize(637, 1015) : QSize(1015, 637);
        // The pen is centred on the edge: 2 dots inside, 2 outside.
        QCOMPARE(box, QRect(QPoint(0, 0), QPoint(card.width() + 1, card.height() + 1)));
        QCOMPARE(image.pixelColor(1, card.height() / 2), QColor(Qt::black));
        QCOMPARE(image.pixelColor(card.width() / 2, card.height()), QColor(Qt::black));
        QCOMPARE(image.pixelColor(10, card.height() / 2), QColor(Qt::white));
    }

    // A badge text scales with the card: FontSize 10 with a screen "H" of 16 prints at
    // 6 points on a 300-dpi printer (Arial's "H" cell there is about 47 dots).
    void badgeFontFactor()
    {
        const QImage device = page({10, 10}, 300);
        const int h = LayoutRenderer::letterHeight(&device);
        QVERIFY2(h >= 45 && h <= 50, qPrintable(QString::number(h)));
        Layout layout = layoutOf(LayoutFamily::Badge, false);
        layout.labels = {label(1, 10, 10, QStringLiteral("Gast"), 10)};
        QCOMPARE(LayoutRenderer::plan(layout, nullptr, m_options, device).first().font.pointSize(),
                 6);
        // A layout designed on a screen with a taller "H" prints larger.
        layout.fontScaleHeight = 32;
        QCOMPARE(LayoutRenderer::plan(layout, nullptr, m_options, device).first().font.pointSize(),
                 13);
        // The sheet prints the stored size.
        layout.family = LayoutFamily::VisitorSheet;
        QCOMPARE(LayoutRenderer::plan(layout, nullptr, m_options, device).first().font.pointSize(),
                 10);
    }

    void screenFontScale()
    {
        // The designers measure [FontScale] Height on the screen: about 16 at 96 dpi.
        const QImage screenLike = page({10, 10}, 96);
        QVERIFY(qAbs(LayoutRenderer::letterHeight(nullptr) -
                     LayoutRenderer::letterHeight(&screenLike)) <= 1);
        QVERIFY(qAbs(LayoutRenderer::letterHeight(&screenLike) - 16) <= 1);
    }

    // Each text sets its own font: name cut to 31 characters, styles set or cleared,
    // colour from the BGR integer.
    void textFonts()
    {
        Layout layout = layoutOf(LayoutFamily::VisitorSheet, true);
        LayoutLabel bold = label(1, 10, 10, QStringLiteral("fett"), 10);
        bold.bold = bold.italic = bold.underline = bold.strikeOut = true;
        bold.fontName = QStringLiteral("Liberation Sans") + QString(30, u'x');
        bold.fontColor = 255;
        layout.labels = {bold, label(2, 10, 100, QStringLiteral("normal"), 10)};
        const QImage device = page({10, 10}, 600);
        const QList<RenderStep> steps = LayoutRenderer::plan(layout, nullptr, m_options, device);
        QCOMPARE(steps.size(), 2);
        QCOMPARE(steps[0].font.family().size(), 31);
        QVERIFY(steps[0].font.bold() && steps[0].font.italic() && steps[0].font.underline() &&
                steps[0].font.strikeOut());
        QCOMPARE(steps[0].color, QColor(Qt::red));
        QCOMPARE(steps[1].font.family(), QStringLiteral("Arial"));
        QVERIFY(!steps[1].font.bold() && !steps[1].font.italic() && !steps[1].font.underline() &&
                !steps[1].font.strikeOut());
        QCOMPARE(steps[1].color, QColor(Qt::black));

        const QImage image = render(layout, nullptr, m_options, page({1000, 1000}, 600));
        QVERIFY(!boxOf(image, Qt::red).isEmpty());
    }

    // Texts blank what lies under them; later items are drawn over earlier ones.
    void textOnOpaqueWhiteGround()
    {
        bitmap(QStringLiteral("rot.bmp"), Qt::red);
        Layout layout = layoutOf(LayoutFamily::VisitorSheet, true);
        layout.pictures = {picture(1, 0, 0, 300, 300, QStringLiteral("rot.bmp"))};
        layout.labels = {label(1, 50, 50, QStringLiteral("MMMM"), 12)};
        const QImage image = render(layout, nullptr, m_options, page({2200, 2200}, 600));
        const QList<RenderStep> steps = LayoutRenderer::plan(layout, nullptr, m_options, image);
        QCOMPARE(steps.size(), 2);
        const QPoint textAt = steps[1].position;
        QCOMPARE(textAt, QPoint(334, 342));
        // The text's cell is white or ink, never red; beside it the picture shows.
        QVERIFY(image.pixelColor(textAt) != QColor(Qt::red));
        QVERIFY(image.pixelColor(textAt + QPoint(2, 2)) != QColor(Qt::red));
        QCOMPARE(image.pixelColor(textAt - QPoint(2, 2)), QColor(Qt::red));
        QCOMPARE(image.pixelColor(200, 1500), QColor(Qt::red));
    }

    // A photo placeholder with a photo: an upright photo keeps the item's height, a
    // wide one its width; the design bitmap does not show.
    void photoPlaceholderFitting_data()
    {
        QTest::addColumn<QSize>("photo");
        QTest::newRow("upright 70 x 106") << QSize(70, 106);
        QTest::newRow("wide 106 x 70") << QSize(106, 70);
    }
    void photoPlaceholderFitting()
    {
        QFETCH(QSize, photo);
        bitmap(QStringLiteral("design.bmp"), Qt::green);
        Layout layout = layoutOf(LayoutFamily::VisitorSheet, true);
        LayoutPicture p = picture(1, 10, 10, 100, 100, QStringLiteral("design.bmp"));
        p.feld = QStringLiteral("FOTO");
        p.feldIndex = 20;
        layout.pictures = {p};
        VisitValues visit;
        QImage image(photo, QImage::Format_RGB32);
        image.fill(Qt::blue);
        visit.setPhoto(image);

        const QImage printed = render(layout, &visit, m_options, page({900, 900}, 600));
        QVERIFY(boxOf(printed, Qt::green).isEmpty());
        const QRect box = boxOf(printed, Qt::blue);
        const PrintScale s = PrintScale::visitorSheet(true, 600);
        QCOMPARE(box.topLeft(), QPoint(s.x(10), s.y(10)));
        const double r = double(photo.height()) / photo.width();
        if (r >= 1) {
            QVERIFY(qAbs(box.height() - 100 * s.sy) <= 1);
            QVERIFY(qAbs(box.width() - 100 / r * s.sx) <= 1);
        } else {
            QVERIFY(qAbs(box.width() - 100 * s.sx) <= 1);
            QVERIFY(qAbs(box.height() - 100 * r * s.sy) <= 1);
        }
    }

    // Without a photo a placeholder prints its design bitmap, or nothing.
    void placeholderWithoutPhoto_data()
    {
        QTest::addColumn<QString>("pfad");
        QTest::addColumn<bool>("testPrint");
        QTest::addColumn<bool>("green");
        QTest::newRow("design bitmap") << "design.bmp" << false << true;
        QTest::newRow("no bitmap") << "" << false << false;
        QTest::newRow("test print ignores the photo") << "design.bmp" << true << true;
    }
    void placeholderWithoutPhoto()
    {
        QFETCH(QString, pfad);
        QFETCH(bool, testPrint);
        QFETCH(bool, green);
        bitmap(QStringLiteral("design.bmp"), Qt::green);
        Layout layout = layoutOf(LayoutFamily::Badge, false);
        LayoutPicture p = picture(1, 20, 20, 100, 120, pfad);
        p.feldIndex = 19;
        layout.pictures = {p};
        VisitValues visit;
        const QImage printed =
            render(layout, testPrint ? nullptr : &visit, m_options, page({1100, 700}, 300));
        const PrintScale s = PrintScale::badge(false, 54, 86, 300);
        if (green)
            QCOMPARE(boxOf(printed, Qt::green), LayoutRenderer::pictureRect(p, s));
        else
            QVERIFY(boxOfAllBut(printed, Qt::white).isEmpty());
    }

    // A picture that is missing or no image is left out; everything after it prints.
    void brokenPicturesAreSkipped()
    {
        QFile junk(QDir(m_options.imagesFolder).filePath(QStringLiteral("kaputt.bmp")));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("BM this is no bitmap");
        junk.close();
        bitmap(QStringLiteral("gut.bmp"), Qt::blue);
        Layout layout = layoutOf(LayoutFamily::Badge, false);
        layout.pictures = {picture(1, 0, 0, 100, 100, QStringLiteral("fehlt.bmp")),
                           picture(2, 0, 0, 100, 100, QStringLiteral("kaputt.bmp")),
                           picture(3, 200, 0, 50, 50, QStringLiteral("gut.bmp"))};
        layout.labels = {label(4, 300, 200, QStringLiteral("danach"), 12)};
        const QImage printed = render(layout, nullptr, m_options, page({1100, 700}, 300));
        const PrintScale s = PrintScale::badge(false, 54, 86, 300);
        QCOMPARE(boxOf(printed, Qt::blue), LayoutRenderer::pictureRect(layout.pictures[2], s));
        // The text's ink starts right of and below its corner.
        const QRect ink = boxOfAllBut(printed, Qt::white)
                              .intersected(QRect(QPoint(s.x(300), s.y(200)), QSize(400, 200)));
        QVERIFY(!ink.isEmpty());
    }

    // The visitor sheet on a PDF page: the visit's values are there, at their places.
    void visitorSheetPdf()
    {
        Layout layout = layoutOf(LayoutFamily::VisitorSheet, true);
        LayoutLabel name = label(1, 100, 100, QString(), 12);
        name.feld = QStringLiteral("Name");
        name.feldIndex = 3;
        LayoutLabel firm = label(2, 100, 200, QStringLiteral("[Firma]"), 12);
        firm.feld = QStringLiteral("Firma");
        firm.feldIndex = 6;
        layout.labels = {name, firm, label(3, 100, 300, QStringLiteral("Besuchsbestätigung"), 12)};
        const VisitValues visit = sampleVisit();
        const QString pdf = m_dir->filePath(QStringLiteral("schein.pdf"));
        writePdf(pdf, 600, QPageLayout::Portrait, layout, &visit, m_options);

        const auto [size, words] = pdfWords(pdf);
        QVERIFY(qAbs(size.width() - 595.3) < 1 && qAbs(size.height() - 841.9) < 1);
        const auto surname = word(words, QStringLiteral("Müller"));
        QVERIFY(surname);
        // (668, 685) dots at 600 dpi are (80.2, 82.2) points; the word starts there.
        QVERIFY2(qAbs(surname->box.left() - 668 * 72.0 / 600) < 1.5,
                 qPrintable(QString::number(surname->box.left())));
        QVERIFY2(qAbs(surname->box.top() - 685 * 72.0 / 600) < 1.5,
                 qPrintable(QString::number(surname->box.top())));
        QVERIFY(word(words, QStringLiteral("Stahlbau")));
        QVERIFY(word(words, QStringLiteral("Besuchsbestätigung")));
        // The sheet prints the surname only.
        QVERIFY(!word(words, QStringLiteral("Jürgen")));

        // The test print shows captions instead of values.
        const QString test = m_dir->filePath(QStringLiteral("test.pdf"));
        writePdf(test, 600, QPageLayout::Portrait, layout, nullptr, m_options);
        const QString text = pdfText(test);
        QVERIFY2(text.contains(QStringLiteral("[Firma]")), qPrintable(text));
        QVERIFY(!text.contains(QStringLiteral("Stahlbau")));
    }

    // HochQuer turns only the printer page; every dot stays where it was.
    void badgeHochQuerTurnsOnlyThePage()
    {
        Layout layout = layoutOf(LayoutFamily::Badge, false);
        LayoutLabel name = label(1, 150, 100, QString(), 16);
        name.feld = QStringLiteral("Name");
        name.feldIndex = 3;
        layout.labels = {name};
        const VisitValues visit = sampleVisit();
        QList<std::pair<QSizeF, QRectF>> results;
        for (bool hochQuer : {false, true}) {
            const QString pdf =
                m_dir->filePath(QStringLiteral("badge%1.pdf").arg(hochQuer ? 1 : 0));
            writePdf(pdf, 300, LayoutRenderer::printerOrientation(layout, hochQuer), layout, &visit,
                     m_options);
            const auto [size, words] = pdfWords(pdf);
            const auto w = word(words, QStringLiteral("Müller,"));
            QVERIFY(w);
            QVERIFY(word(words, QStringLiteral("Jürgen")));
            results.append({size, w->box});
        }
        QVERIFY(results[0].first.width() > results[0].first.height());
        QVERIFY(results[1].first.width() < results[1].first.height());
        QCOMPARE(results[0].second, results[1].second);
        const PrintScale s = PrintScale::badge(false, 54, 86, 300);
        QVERIFY(qAbs(results[0].second.left() - s.x(150) * 72.0 / 300) < 1.5);
    }

    // The layouts of a new installation print the visit on day one.
    void standardLayoutsPrintTheVisit_data()
    {
        QTest::addColumn<bool>("badge");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("badge") << true
                               << QStringList{"Müller,",  "Jürgen",  "Stahlbau", "Nord",      "17",
                                              "BESUCHER", "Einkauf", "08:15",    "22.10.2005"};
        QTest::newRow("visitor sheet")
            << false
            << QStringList{"Müller",  "Jürgen", "Stahlbau", "Nord",           "17",        "4711",
                           "Einkauf", "08:15",  "Pforte",   "Besucherschein", "22.10.2005"};
    }
    void standardLayoutsPrintTheVisit()
    {
        QFETCH(bool, badge);
        QFETCH(QStringList, expected);
        TestInstallation inst;
        const QString start = inst.startFolder();
        const LayoutFamily family = badge ? LayoutFamily::Badge : LayoutFamily::VisitorSheet;
        const QString path = badge
                                 ? LayoutLocations::badgeLayout(
                                       start, inst.databaseFolder(),
                                       LayoutLocations::badgeTypes(inst.databaseFolder()).value(0))
                                 : LayoutLocations::visitorSheet(start);
        const Layout layout = LayoutFile(path, family).read();
        const LayoutRenderOptions options = LayoutRenderOptions::fromSettings(start);
        QCOMPARE(options.ausweisHoeheMm, 86);
        const VisitValues visit = sampleVisit();
        const QString pdf = m_dir->filePath(QStringLiteral("standard.pdf"));
        writePdf(pdf, 600, LayoutRenderer::printerOrientation(layout, options.hochQuer), layout,
                 &visit, options);

        const auto [size, words] = pdfWords(pdf);
        QStringList found;
        for (const PdfWord &w : words)
            found.append(w.text);
        for (const QString &text : expected)
            QVERIFY2(found.contains(text),
                     qPrintable(text + QStringLiteral(" fehlt in ") + found.join(u' ')));
        // Everything lies on the card or page.
        const QSizeF extent = badge ? QSizeF(86 / 25.4 * 72, 54 / 25.4 * 72)
                                    : QSizeF(200 / 25.4 * 72, 290 / 25.4 * 72);
        for (const PdfWord &w : words)
            QVERIFY2(w.box.right() <= extent.width() && w.box.bottom() <= extent.height(),
                     qPrintable(w.text));
        // The logo is in the document.
        const QString images = popplerOutput(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
        QVERIFY2(images.count(u'\n') >= 3, qPrintable(images));
    }
};

LOBRIX_TEST(LayoutRenderTest)
#include "LayoutRenderTest.moc"
