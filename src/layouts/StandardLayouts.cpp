#include "layouts/StandardLayouts.h"

#include "common/FileModes.h"
#include "common/Error.h"
#include "common/TextFile.h"
#include "layouts/LayoutFields.h"
#include "layouts/LayoutFile.h"
#include "layouts/LayoutLocations.h"
#include "common/IniFile.h"
#include "shell/SettingsKeys.h"

#include <QDir>
#include <QBuffer>
#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <utility>

namespace lobrix::layouts {
namespace {

const QColor kBlue(0x1f, 0x3a, 0x68);
const QColor kOrange(0xf0, 0x8a, 0x24);
const QColor kGrey(0x55, 0x55, 0x55);

// Builds the items of one layout, numbering the slots as they are added.
class Builder
{
public:
    explicit Builder(LayoutFamily family, bool portrait)
    {
        m_layout.family = family;
        m_layout.portrait = portrait;
    }

    LayoutLabel &text(int left, int top, const QString &caption, int size, bool bold = false)
    {
        LayoutLabel l;
        l.slot = static_cast<int>(m_layout.labels.size()) + 1;
        l.left = left;
        l.top = top;
        l.caption = caption;
        l.fontSize = size;
        l.bold = bold;
        m_layout.labels.append(l);
        return m_layout.labels.last();
    }

    LayoutLabel &field(int left, int top, const char *key, int size, bool bold = false)
    {
        const QString fieldKey = QString::fromLatin1(key);
        const int index = LayoutFields::indexOf(m_layout.family, fieldKey);
        LayoutLabel &l =
            text(left, top, LayoutFields::boundCaption(m_layout.family, index), size, bold);
        l.feld = fieldKey;
        l.feldIndex = index;
        return l;
    }

    void logo(int left, int top, int height)
    {
        const QSize natural = StandardLayouts::logo().size();
        LayoutPicture &p = picture(left, top, height * natural.width() / natural.height(), height);
        p.pfad = QString::fromLatin1(StandardLayouts::LogoFile);
    }

    void photo(int left, int top, int width, int height)
    {
        LayoutPicture &p = picture(left, top, width, height);
        p.feld = QString::fromLatin1(fields::FOTO);
        p.feldIndex = LayoutFields::indexOf(m_layout.family, p.feld);
    }

    Layout layout() const { return m_layout; }

private:
    LayoutPicture &picture(int left, int top, int width, int height)
    {
        LayoutPicture p;
        p.slot = static_cast<int>(m_layout.pictures.size()) + 1;
        p.left = left;
        p.top = top;
        p.width = width;
        p.height = height;
        // As the file will hold it, so the layout reads back equal.
        p.relation =
            LayoutFile::parseRelation(LayoutFile::formatRelation(double(height) / width), 1);
        m_layout.pictures.append(p);
        return m_layout.pictures.last();
    }

    Layout m_layout;
};

// "LOBRIX" as strokes in boxes 42 high, so the logo needs no font. Each path starts at
// its own left edge; the second value is the advance to the next letter.
QList<std::pair<QPainterPath, int>> logoLetters()
{
    QPainterPath l;
    l.moveTo(0, 0);
    l.lineTo(0, 42);
    l.lineTo(26, 42);

    QPainterPath o;
    o.addEllipse(QRectF(0, 0, 38, 42));

    // The upper bowl of B and R.
    const auto bowl = [](QPainterPath &path) {
        path.moveTo(0, 42);
        path.lineTo(0, 0);
        path.lineTo(15, 0);
        path.arcTo(QRectF(4, 0, 22, 21), 90, -180);
        path.lineTo(0, 21);
    };
    QPainterPath b;
    bowl(b);
    b.moveTo(0, 21);
    b.lineTo(16, 21);
    b.arcTo(QRectF(4, 21, 24, 21), 90, -180);
    b.lineTo(0, 42);

    QPainterPath r;
    bowl(r);
    r.moveTo(13, 21);
    r.lineTo(28, 42);

    QPainterPath i;
    i.moveTo(0, 0);
    i.lineTo(0, 42);

    QPainterPath x;
    x.moveTo(0, 0);
    x.lineTo(28, 42);
    x.moveTo(28, 0);
    x.lineTo(0, 42);

    return {{l, 38}, {o, 50}, {b, 42}, {r, 42}, {i, 14}, {x, 28}};
}

void writeIfMissing(const QString &path, LayoutFamily family, const Layout &layout)
{
    if (!QFileInfo::exists(path))
        LayoutFile(path, family).create(layout);
}

} // namespace

Layout StandardLayouts::badge()
{
    using namespace fields;
    Builder b(LayoutFamily::Badge, false);
    b.logo(16, 14, 60);
    b.text(300, 28, QStringLiteral("BESUCHER"), 22, true).fontColor =
        LayoutLabel::colorToLayout(kBlue);
    b.photo(16, 96, 120, 160);
    b.field(156, 98, Name, 16, true);
    b.field(156, 130, Firma, 13);
    b.text(156, 172, QStringLiteral("Ausweis-Nr."), 9).fontColor =
        LayoutLabel::colorToLayout(kGrey);
    b.field(156, 186, Ausweis, 16, true);
    b.text(300, 172, QStringLiteral("Besuchsziel"), 9).fontColor =
        LayoutLabel::colorToLayout(kGrey);
    b.field(300, 188, ZIEL, 11);
    b.text(156, 222, QStringLiteral("Datum"), 9).fontColor = LayoutLabel::colorToLayout(kGrey);
    b.field(156, 236, Tag, 11);
    b.text(300, 222, QStringLiteral("Uhrzeit"), 9).fontColor = LayoutLabel::colorToLayout(kGrey);
    b.field(300, 236, Kommt, 11);
    b.text(156, 268, QStringLiteral("Gültig von"), 9).fontColor = LayoutLabel::colorToLayout(kGrey);
    b.field(156, 282, GUELTIGVON, 11);
    b.text(300, 268, QStringLiteral("Gültig bis"), 9).fontColor = LayoutLabel::colorToLayout(kGrey);
    b.field(300, 282, GUELTIGBIS, 11);
    return b.layout();
}

Layout StandardLayouts::visitorSheet()
{
    using namespace fields;
    Builder b(LayoutFamily::VisitorSheet, true);
    b.logo(50, 40, 80);
    b.text(330, 56, QStringLiteral("Besucherschein"), 22, true).fontColor =
        LayoutLabel::colorToLayout(kBlue);
    b.text(330, 104, QStringLiteral("Vorgangs-Nr."), 10);
    b.field(450, 104, VORGANG, 10, true);

    const struct {
        const char *caption;
        const char *key;
    } rows[] = {
        {"Name:", Name},           {"Vorname:", Vorname},       {"Firma:", Firma},
        {"Besuchsziel:", ZIEL},    {"Ausweis-Nr.:", Ausweis},   {"Datum:", Tag},
        {"Ankunft:", Kommt},       {"Gültig von:", GUELTIGVON}, {"Gültig bis:", GUELTIGBIS},
        {"Kfz-Kennzeichen:", KFZ}, {"Erfasst von:", NUTZER},
    };
    int top = 170;
    for (const auto &row : rows) {
        b.text(50, top, QString::fromUtf8(row.caption), 11);
        b.field(220, top, row.key, 12, true);
        top += 36;
    }
    b.photo(520, 170, 140, 187);

    b.text(50, 640, QStringLiteral("Besuchsbestätigung"), 13, true).fontColor =
        LayoutLabel::colorToLayout(kBlue);
    b.text(
        50, 680,
        QStringLiteral("Der Besuch hat stattgefunden. Bitte vom Besuchten unterschreiben lassen."),
        10);
    const QString line(28, u'_');
    b.text(50, 770, line, 10);
    b.text(50, 800, QStringLiteral("Datum, Uhrzeit"), 9);
    b.text(380, 770, line, 10);
    b.text(380, 800, QStringLiteral("Unterschrift des Besuchten"), 9);

    b.text(50, 900, QStringLiteral("Bitte tragen Sie diesen Schein während Ihres Besuchs bei sich"),
           9)
        .italic = true;
    b.text(50, 920, QStringLiteral("und geben Sie ihn beim Verlassen des Geländes am Empfang ab."),
           9)
        .italic = true;
    return b.layout();
}

// The emblem, a visitor in front of a gate, 96 x 96 at scale 1 from `at`.
static void paintEmblem(QPainter &painter, const QPointF &at, qreal scale)
{
    painter.save();
    painter.translate(at);
    painter.scale(scale, scale);
    QPainterPath emblem;
    emblem.addRoundedRect(QRectF(0, 0, 96, 96), 16, 16);
    painter.setBrush(kBlue);
    painter.drawPath(emblem);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPointF(48, 34), 15, 15);
    QPainterPath body;
    body.moveTo(20, 84);
    body.cubicTo(20, 50, 76, 50, 76, 84);
    body.closeSubpath();
    painter.drawPath(body);
    painter.setClipPath(emblem);
    painter.setBrush(kOrange);
    painter.drawRect(QRectF(0, 84, 96, 12));
    painter.restore();
}

QImage StandardLayouts::icon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    paintEmblem(painter, QPointF(0, 0), size / 96.0);
    painter.end();
    return image;
}

QImage StandardLayouts::logo()
{
    QImage image(354, 120, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);

    paintEmblem(painter, QPointF(10, 12), 1.0);

    // "LOBRIX", underlined by the accent colours.
    painter.setPen(QPen(kBlue, 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    qreal left = 128;
    for (const auto &[letter, advance] : logoLetters()) {
        painter.drawPath(letter.translated(left, 22));
        left += advance;
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(kOrange);
    painter.drawRect(124, 78, 222, 8);
    painter.setBrush(kBlue);
    painter.drawRect(124, 92, 222, 4);
    painter.end();
    return image;
}

void StandardLayouts::install(const QString &startFolder, const QString &databaseFolder)
{
    const QString images = LayoutLocations::imagesFolder(startFolder);
    const QString logoPath = LayoutLocations::picture(images, QString::fromLatin1(LogoFile));
    if (!QFileInfo::exists(logoPath)) {
        // Encoded in memory and written through the checked write: QImage::save would
        // report a bitmap cut short by a full disk as saved.
        QByteArray bytes;
        QBuffer buffer(&bytes);
        if (!FileModes::makeFolder(images) || !buffer.open(QIODevice::WriteOnly) || !logo().save(&buffer, "BMP"))
            throw Error(QStringLiteral("Das Bild '%1' konnte nicht geschrieben werden.")
                            .arg(QDir::toNativeSeparators(logoPath)));
        TextFile::writeBytes(logoPath, bytes);
    }

    writeIfMissing(LayoutLocations::standardBadge(startFolder), LayoutFamily::Badge, badge());
    writeIfMissing(LayoutLocations::visitorSheet(startFolder), LayoutFamily::VisitorSheet,
                   visitorSheet());
    if (!QFileInfo::exists(LayoutLocations::publishedBadge(databaseFolder)))
        LayoutFile::publishStandardBadge(startFolder, databaseFolder);

    // Without a card size every badge would print one millimetre wide.
    namespace s = shell::keys::settings;
    IniFile settings(
        QDir(startFolder).filePath(QString::fromLatin1(shell::keys::SettingsFile)));
    if (shell::keys::read(settings, s::AusweisBreite) <= 0 &&
        shell::keys::read(settings, s::AusweisHoehe) <= 0) {
        shell::keys::write(settings, s::AusweisBreite, CardBreiteMm);
        shell::keys::write(settings, s::AusweisHoehe, CardHoeheMm);
    }
}

} // namespace lobrix::layouts
