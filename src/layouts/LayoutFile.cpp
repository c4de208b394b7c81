#include "layouts/LayoutFile.h"

#include "common/TextFile.h"
#include "data/DbfTable.h"
#include "layouts/LayoutLocations.h"

#include <QLocale>
#include <QStringList>
#include <cmath>
#include <optional>
#include <utility>

namespace lobrix::layouts {
namespace {

using Entries = QList<std::pair<const char *, QString>>;

QString boolText(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

// The keys of an item in use, in the order the designers write them.
Entries entriesOf(const LayoutPicture &p)
{
    return {{keys::Visible, boolText(true)},
            {keys::Top, QString::number(p.top)},
            {keys::Left, QString::number(p.left)},
            {keys::Width, QString::number(p.width)},
            {keys::Height, QString::number(p.height)},
            {keys::Pfad, p.pfad},
            {keys::Relation, LayoutFile::formatRelation(p.relation)},
            {keys::Feld, p.feld},
            {keys::FeldIndex, QString::number(p.feldIndex)}};
}

Entries entriesOf(const LayoutLabel &l)
{
    return {{keys::Visible, boolText(true)},
            {keys::Top, QString::number(l.top)},
            {keys::Left, QString::number(l.left)},
            {keys::FontColor, QString::number(l.fontColor)},
            {keys::FontName, l.fontName},
            {keys::FontSize, QString::number(l.fontSize)},
            {keys::Caption, l.caption},
            {keys::Feld, l.feld},
            {keys::FeldIndex, QString::number(l.feldIndex)},
            {keys::Bold, boolText(l.bold)},
            {keys::Underline, boolText(l.underline)},
            {keys::Italic, boolText(l.italic)},
            {keys::StrikeOut, boolText(l.strikeOut)}};
}

void writeEntries(IniFile &ini, const QString &section, const Entries &entries)
{
    for (const auto &[key, value] : entries)
        ini.writeString(section, QString::fromLatin1(key), value);
}

void appendSection(QStringList &lines, const QString &section, const Entries &entries)
{
    if (!lines.isEmpty())
        lines.append(QString());
    lines.append(u'[' + section + u']');
    for (const auto &[key, value] : entries)
        lines.append(QString::fromLatin1(key) + u'=' + value);
}

// The name of a section header line; nothing for any other line.
std::optional<QString> sectionName(const QByteArray &line)
{
    const QByteArray trimmed = line.trimmed();
    if (!trimmed.startsWith('['))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(']');
    if (close < 0)
        return std::nullopt;
    return QString::fromLatin1(trimmed.mid(1, close - 1).trimmed());
}

// The keys of one section, each with the reader's default.
struct SectionReader {
    const IniFile &ini;
    QString section;

    int integer(const char *key, int dflt) const
    {
        return ini.readInt(section, QString::fromLatin1(key), dflt);
    }
    bool flag(const char *key, bool dflt) const
    {
        return ini.readBool(section, QString::fromLatin1(key), dflt);
    }
    QString text(const char *key, const QString &dflt) const
    {
        return ini.readString(section, QString::fromLatin1(key), dflt);
    }
};

} // namespace

Layout LayoutFile::read() const
{
    Layout layout;
    layout.family = m_family;
    layout.portrait = portrait();
    layout.fontScaleHeight = fontScaleHeight();
    layout.rasterAbstand = rasterAbstand();
    for (int slot = 1; slot <= slotCount(); ++slot) {
        if (inUse(ItemKind::Picture, slot))
            layout.pictures.append(readPicture(slot));
        if (inUse(ItemKind::Label, slot))
            layout.labels.append(readLabel(slot));
    }
    return layout;
}

void LayoutFile::create(const Layout &layout)
{
    QStringList lines;
    appendSection(lines, QString::fromLatin1(keys::Orientation),
                  {{keys::poPortrait, boolText(layout.portrait)}});
    appendSection(lines, QString::fromLatin1(keys::FontScale),
                  {{keys::FontScaleHeight, QString::number(layout.fontScaleHeight)}});
    if (m_family == LayoutFamily::VisitorSheet)
        appendSection(lines, QString::fromLatin1(keys::Raster),
                      {{keys::Abstand, QString::number(layout.rasterAbstand)}});
    for (const LayoutPicture &p : layout.pictures)
        appendSection(lines, keys::itemSection(ItemKind::Picture, p.slot), entriesOf(p));
    for (const LayoutLabel &l : layout.labels)
        appendSection(lines, keys::itemSection(ItemKind::Label, l.slot), entriesOf(l));
    TextFile::writeLines(path(), lines);
}

bool LayoutFile::portrait() const
{
    return m_ini.readBool(QString::fromLatin1(keys::Orientation),
                          QString::fromLatin1(keys::poPortrait), false);
}

void LayoutFile::writePortrait(bool portrait)
{
    m_ini.writeBool(QString::fromLatin1(keys::Orientation), QString::fromLatin1(keys::poPortrait),
                    portrait);
}

int LayoutFile::fontScaleHeight() const
{
    return m_ini.readInt(QString::fromLatin1(keys::FontScale),
                         QString::fromLatin1(keys::FontScaleHeight), keys::DefaultFontScaleHeight);
}

void LayoutFile::writeFontScaleHeight(int height)
{
    m_ini.writeInt(QString::fromLatin1(keys::FontScale), QString::fromLatin1(keys::FontScaleHeight),
                   height);
}

int LayoutFile::rasterAbstand() const
{
    return m_ini.readInt(QString::fromLatin1(keys::Raster), QString::fromLatin1(keys::Abstand),
                         keys::DefaultRasterAbstand);
}

void LayoutFile::writeRasterAbstand(int step)
{
    m_ini.writeInt(QString::fromLatin1(keys::Raster), QString::fromLatin1(keys::Abstand), step);
}

bool LayoutFile::inUse(ItemKind kind, int slot) const
{
    return m_ini.readBool(keys::itemSection(kind, slot), QString::fromLatin1(keys::Visible), false);
}

int LayoutFile::findFreeSlot(ItemKind kind) const
{
    for (int slot = 1; slot <= slotCount(); ++slot)
        if (!inUse(kind, slot))
            return slot;
    return 0;
}

LayoutLabel LayoutFile::readLabel(int slot, const LayoutLabel &defaults) const
{
    const SectionReader in{m_ini, keys::itemSection(ItemKind::Label, slot)};
    LayoutLabel l;
    l.slot = slot;
    l.left = in.integer(keys::Left, defaults.left);
    l.top = in.integer(keys::Top, defaults.top);
    l.fontName = in.text(keys::FontName, defaults.fontName);
    l.fontSize = in.integer(keys::FontSize, defaults.fontSize);
    l.fontColor = in.integer(keys::FontColor, defaults.fontColor);
    l.bold = in.flag(keys::Bold, defaults.bold);
    l.italic = in.flag(keys::Italic, defaults.italic);
    l.underline = in.flag(keys::Underline, defaults.underline);
    l.strikeOut = in.flag(keys::StrikeOut, defaults.strikeOut);
    l.caption = in.text(keys::Caption, defaults.caption);
    l.feld = in.text(keys::Feld, defaults.feld);
    l.feldIndex = in.integer(keys::FeldIndex, defaults.feldIndex);
    return l;
}

LayoutPicture LayoutFile::readPicture(int slot, const LayoutPicture &defaults) const
{
    const SectionReader in{m_ini, keys::itemSection(ItemKind::Picture, slot)};
    LayoutPicture p;
    p.slot = slot;
    p.left = in.integer(keys::Left, defaults.left);
    p.top = in.integer(keys::Top, defaults.top);
    p.width = in.integer(keys::Width, defaults.width);
    p.height = in.integer(keys::Height, defaults.height);
    p.pfad = in.text(keys::Pfad, defaults.pfad);
    p.relation = parseRelation(in.text(keys::Relation, QString()), defaults.relation);
    p.feld = in.text(keys::Feld, defaults.feld);
    p.feldIndex = in.integer(keys::FeldIndex, defaults.feldIndex);
    return p;
}

void LayoutFile::writeLabel(const LayoutLabel &label)
{
    writeEntries(m_ini, keys::itemSection(ItemKind::Label, label.slot), entriesOf(label));
}

void LayoutFile::writePicture(const LayoutPicture &picture)
{
    writeEntries(m_ini, keys::itemSection(ItemKind::Picture, picture.slot), entriesOf(picture));
}

void LayoutFile::erase(ItemKind kind, int slot)
{
    bool readOk = false;
    const QByteArray bytes = TextFile::readBytes(path(), &readOk);
    if (!readOk)
        return;
    const QString section = keys::itemSection(kind, slot);
    QList<QByteArray> kept;
    bool inSection = false;
    bool erased = false;
    for (const QByteArray &line : TextFile::splitLines(bytes)) {
        if (const auto name = sectionName(line))
            inSection = name->compare(section, Qt::CaseInsensitive) == 0;
        if (inSection) {
            // Every section of that name goes: a second one must not come to life.
            erased = true;
            continue;
        }
        kept.append(line);
    }
    if (erased)
        TextFile::writeBytes(path(), TextFile::joinLines(kept));
}

void LayoutFile::writePosition(ItemKind kind, int slot, int left, int top)
{
    const QString section = keys::itemSection(kind, slot);
    m_ini.writeInt(section, QString::fromLatin1(keys::Left), left);
    m_ini.writeInt(section, QString::fromLatin1(keys::Top), top);
}

void LayoutFile::writeBinding(ItemKind kind, int slot, const QString &feld, int feldIndex)
{
    const QString section = keys::itemSection(kind, slot);
    m_ini.writeString(section, QString::fromLatin1(keys::Feld), feld);
    m_ini.writeInt(section, QString::fromLatin1(keys::FeldIndex), feldIndex);
}

int LayoutFile::readFeldIndex(ItemKind kind, int slot) const
{
    return m_ini.readInt(keys::itemSection(kind, slot), QString::fromLatin1(keys::FeldIndex), -1);
}

void LayoutFile::writePictureSize(int slot, int width, int height)
{
    const QString section = keys::itemSection(ItemKind::Picture, slot);
    m_ini.writeInt(section, QString::fromLatin1(keys::Width), width);
    m_ini.writeInt(section, QString::fromLatin1(keys::Height), height);
}

double LayoutFile::readRelation(int slot) const
{
    return parseRelation(m_ini.readString(keys::itemSection(ItemKind::Picture, slot),
                                          QString::fromLatin1(keys::Relation)),
                         1.0);
}

void LayoutFile::writeRelation(int slot, double relation)
{
    m_ini.writeString(keys::itemSection(ItemKind::Picture, slot),
                      QString::fromLatin1(keys::Relation), formatRelation(relation));
}

void LayoutFile::writePictureFile(int slot, const QString &pfad, double relation)
{
    m_ini.writeString(keys::itemSection(ItemKind::Picture, slot), QString::fromLatin1(keys::Pfad),
                      pfad);
    writeRelation(slot, relation);
}

void LayoutFile::writeFontSize(int slot, int fontSize)
{
    m_ini.writeInt(keys::itemSection(ItemKind::Label, slot), QString::fromLatin1(keys::FontSize),
                   fontSize);
}

void LayoutFile::CopyLayout(const QString &source, const QString &target, int slotCount)
{
    // The copy's own defaults: positions and sizes 0 where the printers would use 1.
    LayoutPicture pictureDefaults;
    pictureDefaults.left = pictureDefaults.top = pictureDefaults.width = pictureDefaults.height = 0;
    LayoutLabel labelDefaults;
    labelDefaults.left = labelDefaults.top = 0;

    // Families differ only in the slot count, which the caller gives.
    const LayoutFile from(source, LayoutFamily::VisitorSheet);
    LayoutFile to(target, LayoutFamily::VisitorSheet);
    to.writePortrait(from.portrait());
    for (int slot = 1; slot <= slotCount; ++slot) {
        // Read before erasing, so a file copied onto itself keeps its items.
        const bool picture = from.inUse(ItemKind::Picture, slot);
        const LayoutPicture p = picture ? from.readPicture(slot, pictureDefaults) : LayoutPicture{};
        to.erase(ItemKind::Picture, slot);
        if (picture)
            to.writePicture(p);
        const bool label = from.inUse(ItemKind::Label, slot);
        const LayoutLabel l = label ? from.readLabel(slot, labelDefaults) : LayoutLabel{};
        to.erase(ItemKind::Label, slot);
        if (label)
            to.writeLabel(l);
    }
}

void LayoutFile::PublishStandardBadge(const QString &startFolder, const QString &databaseFolder)
{
    bool readOk = false;
    const QByteArray bytes =
        TextFile::readBytes(LayoutLocations::standardBadge(startFolder), &readOk);
    if (!readOk)
        return;
    TextFile::writeBytes(LayoutLocations::publishedBadge(databaseFolder),
                         TextFile::joinLines(TextFile::splitLines(bytes)));
}

double LayoutFile::parseRelation(const QString &text, double defaultValue)
{
    QString normalized = text.trimmed();
    normalized.replace(u',', u'.');
    bool ok = false;
    const double value = QLocale::c().toDouble(normalized, &ok);
    // Zero or a negative ratio would break the aspect-locked resizing of the designers.
    if (!ok || !std::isfinite(value) || value <= 0)
        return defaultValue;
    return value;
}

QString LayoutFile::formatRelation(double relation)
{
    return QString::number(relation, 'g', 15).replace(u'.', u',');
}

} // namespace lobrix::layouts
