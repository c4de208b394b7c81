#include "layouts/LayoutFile.h"

#include "common/IniDocument.h"
#include "common/TextFile.h"
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

void writeEntries(IniDocument &doc, const QString &section, const Entries &entries)
{
    for (const auto &[key, value] : entries)
        doc.setValue(section, QString::fromLatin1(key), value);
}

void appendSection(QStringList &lines, const QString &section, const Entries &entries)
{
    if (!lines.isEmpty())
        lines.append(QString());
    lines.append(u'[' + section + u']');
    for (const auto &[key, value] : entries)
        lines.append(QString::fromLatin1(key) + u'=' + value);
}

// The keys of one section, each with the reader's default.
struct SectionReader {
    const IniDocument &doc;
    QString section;

    int integer(const char *key, int dflt) const
    {
        return doc.readInt(section, QString::fromLatin1(key), dflt);
    }
    bool flag(const char *key, bool dflt) const
    {
        return doc.readBool(section, QString::fromLatin1(key), dflt);
    }
    QString text(const char *key, const QString &dflt) const
    {
        return doc.readString(section, QString::fromLatin1(key), dflt);
    }
};

QString key(const char *name)
{
    return QString::fromLatin1(name);
}

bool inUseIn(const IniDocument &doc, ItemKind kind, int slot)
{
    return doc.readBool(keys::itemSection(kind, slot), key(keys::Visible), false);
}

LayoutLabel labelIn(const IniDocument &doc, int slot, const LayoutLabel &defaults)
{
    const SectionReader in{doc, keys::itemSection(ItemKind::Label, slot)};
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

LayoutPicture pictureIn(const IniDocument &doc, int slot, const LayoutPicture &defaults)
{
    const SectionReader in{doc, keys::itemSection(ItemKind::Picture, slot)};
    LayoutPicture p;
    p.slot = slot;
    p.left = in.integer(keys::Left, defaults.left);
    p.top = in.integer(keys::Top, defaults.top);
    p.width = in.integer(keys::Width, defaults.width);
    p.height = in.integer(keys::Height, defaults.height);
    p.pfad = in.text(keys::Pfad, defaults.pfad);
    p.relation = LayoutFile::parseRelation(in.text(keys::Relation, QString()), defaults.relation);
    p.feld = in.text(keys::Feld, defaults.feld);
    p.feldIndex = in.integer(keys::FeldIndex, defaults.feldIndex);
    return p;
}

// Family, orientation, font scale and raster of a layout, without its items.
Layout headerOf(const IniDocument &doc, LayoutFamily family)
{
    Layout layout;
    layout.family = family;
    layout.portrait = doc.readBool(key(keys::Orientation), key(keys::poPortrait), false);
    layout.fontScaleHeight =
        doc.readInt(key(keys::FontScale), key(keys::FontScaleHeight), keys::DefaultFontScaleHeight);
    layout.rasterAbstand = doc.readInt(key(keys::Raster), key(keys::Abstand), keys::DefaultRasterAbstand);
    return layout;
}

} // namespace

IniDocument LayoutFile::load() const
{
    return IniDocument::load(path());
}

void LayoutFile::change(const std::function<void(IniDocument &)> &edit)
{
    IniDocument doc = load();
    edit(doc);
    doc.save();
}

Layout LayoutFile::read() const
{
    const IniDocument doc = load();
    Layout layout = headerOf(doc, m_family);
    for (int slot = 1; slot <= slotCount(); ++slot) {
        if (inUseIn(doc, ItemKind::Picture, slot))
            layout.pictures.append(pictureIn(doc, slot, {}));
        if (inUseIn(doc, ItemKind::Label, slot))
            layout.labels.append(labelIn(doc, slot, {}));
    }
    return layout;
}

void LayoutFile::create(const Layout &layout)
{
    QStringList lines;
    appendSection(lines, key(keys::Orientation), {{keys::poPortrait, boolText(layout.portrait)}});
    appendSection(lines, key(keys::FontScale),
                  {{keys::FontScaleHeight, QString::number(layout.fontScaleHeight)}});
    if (m_family == LayoutFamily::VisitorSheet)
        appendSection(lines, key(keys::Raster),
                      {{keys::Abstand, QString::number(layout.rasterAbstand)}});
    for (const LayoutPicture &p : layout.pictures)
        appendSection(lines, keys::itemSection(ItemKind::Picture, p.slot), entriesOf(p));
    for (const LayoutLabel &l : layout.labels)
        appendSection(lines, keys::itemSection(ItemKind::Label, l.slot), entriesOf(l));
    TextFile::writeLines(path(), lines);
}

Layout LayoutFile::readForDesigner() const
{
    const IniDocument doc = load();
    Layout layout = headerOf(doc, m_family);
    LayoutPicture pictureDefaults;
    pictureDefaults.left = pictureDefaults.top = 0;
    pictureDefaults.width = pictureDefaults.height = 200;
    LayoutLabel labelDefaults;
    labelDefaults.fontColor = 1;
    for (int slot = 1; slot <= slotCount(); ++slot) {
        if (inUseIn(doc, ItemKind::Picture, slot))
            layout.pictures.append(pictureIn(doc, slot, pictureDefaults));
        if (inUseIn(doc, ItemKind::Label, slot)) {
            labelDefaults.caption = QStringLiteral("Textfeld%1").arg(slot);
            layout.labels.append(labelIn(doc, slot, labelDefaults));
        }
    }
    return layout;
}

void LayoutFile::writeItems(const Layout &layout)
{
    change([&](IniDocument &doc) {
        doc.setBool(key(keys::Orientation), key(keys::poPortrait), layout.portrait);
        for (int slot = 1; slot <= slotCount(); ++slot) {
            doc.eraseSection(keys::itemSection(ItemKind::Picture, slot));
            doc.eraseSection(keys::itemSection(ItemKind::Label, slot));
        }
        // In slot order, each picture before the text of its slot, as the designers write.
        int p = 0, l = 0;
        for (int slot = 1; slot <= slotCount(); ++slot) {
            while (p < layout.pictures.size() && layout.pictures[p].slot < slot)
                ++p;
            if (p < layout.pictures.size() && layout.pictures[p].slot == slot)
                writeEntries(doc, keys::itemSection(ItemKind::Picture, slot), entriesOf(layout.pictures[p]));
            while (l < layout.labels.size() && layout.labels[l].slot < slot)
                ++l;
            if (l < layout.labels.size() && layout.labels[l].slot == slot)
                writeEntries(doc, keys::itemSection(ItemKind::Label, slot), entriesOf(layout.labels[l]));
        }
    });
}

bool LayoutFile::portrait() const
{
    return load().readBool(key(keys::Orientation), key(keys::poPortrait), false);
}

void LayoutFile::writePortrait(bool portrait)
{
    change([&](IniDocument &doc) { doc.setBool(key(keys::Orientation), key(keys::poPortrait), portrait); });
}

int LayoutFile::fontScaleHeight() const
{
    return load().readInt(key(keys::FontScale), key(keys::FontScaleHeight),
                          keys::DefaultFontScaleHeight);
}

void LayoutFile::writeFontScaleHeight(int height)
{
    change([&](IniDocument &doc) { doc.setInt(key(keys::FontScale), key(keys::FontScaleHeight), height); });
}

int LayoutFile::rasterAbstand() const
{
    return load().readInt(key(keys::Raster), key(keys::Abstand), keys::DefaultRasterAbstand);
}

void LayoutFile::writeRasterAbstand(int step)
{
    change([&](IniDocument &doc) { doc.setInt(key(keys::Raster), key(keys::Abstand), step); });
}

bool LayoutFile::inUse(ItemKind kind, int slot) const
{
    return inUseIn(load(), kind, slot);
}

int LayoutFile::findFreeSlot(ItemKind kind) const
{
    const IniDocument doc = load();
    for (int slot = 1; slot <= slotCount(); ++slot)
        if (!inUseIn(doc, kind, slot))
            return slot;
    return 0;
}

LayoutLabel LayoutFile::readLabel(int slot, const LayoutLabel &defaults) const
{
    return labelIn(load(), slot, defaults);
}

LayoutPicture LayoutFile::readPicture(int slot, const LayoutPicture &defaults) const
{
    return pictureIn(load(), slot, defaults);
}

void LayoutFile::writeLabel(const LayoutLabel &label)
{
    change([&](IniDocument &doc) {
        writeEntries(doc, keys::itemSection(ItemKind::Label, label.slot), entriesOf(label));
    });
}

void LayoutFile::writePicture(const LayoutPicture &picture)
{
    change([&](IniDocument &doc) {
        writeEntries(doc, keys::itemSection(ItemKind::Picture, picture.slot), entriesOf(picture));
    });
}

void LayoutFile::erase(ItemKind kind, int slot)
{
    IniDocument doc = load();
    if (doc.eraseSection(keys::itemSection(kind, slot)))
        doc.save();
}

void LayoutFile::writePosition(ItemKind kind, int slot, int left, int top)
{
    change([&](IniDocument &doc) {
        const QString section = keys::itemSection(kind, slot);
        doc.setInt(section, key(keys::Left), left);
        doc.setInt(section, key(keys::Top), top);
    });
}

void LayoutFile::writeBinding(ItemKind kind, int slot, const QString &feld, int feldIndex)
{
    change([&](IniDocument &doc) {
        const QString section = keys::itemSection(kind, slot);
        doc.setValue(section, key(keys::Feld), feld);
        doc.setInt(section, key(keys::FeldIndex), feldIndex);
    });
}

int LayoutFile::readFeldIndex(ItemKind kind, int slot) const
{
    return load().readInt(keys::itemSection(kind, slot), key(keys::FeldIndex), -1);
}

void LayoutFile::writePictureSize(int slot, int width, int height)
{
    change([&](IniDocument &doc) {
        const QString section = keys::itemSection(ItemKind::Picture, slot);
        doc.setInt(section, key(keys::Width), width);
        doc.setInt(section, key(keys::Height), height);
    });
}

double LayoutFile::readRelation(int slot) const
{
    return parseRelation(
        load().readString(keys::itemSection(ItemKind::Picture, slot), key(keys::Relation)), 1.0);
}

void LayoutFile::writeRelation(int slot, double relation)
{
    change([&](IniDocument &doc) {
        doc.setValue(keys::itemSection(ItemKind::Picture, slot), key(keys::Relation),
                     formatRelation(relation));
    });
}

void LayoutFile::writePictureFile(int slot, const QString &pfad, double relation)
{
    change([&](IniDocument &doc) {
        const QString section = keys::itemSection(ItemKind::Picture, slot);
        doc.setValue(section, key(keys::Pfad), pfad);
        doc.setValue(section, key(keys::Relation), formatRelation(relation));
    });
}

void LayoutFile::writeFontSize(int slot, int fontSize)
{
    change([&](IniDocument &doc) {
        doc.setInt(keys::itemSection(ItemKind::Label, slot), key(keys::FontSize), fontSize);
    });
}

void LayoutFile::CopyLayout(const QString &source, const QString &target, int slotCount)
{
    // The copy's own defaults: positions and sizes 0 where the printers would use 1.
    LayoutPicture pictureDefaults;
    pictureDefaults.left = pictureDefaults.top = pictureDefaults.width = pictureDefaults.height = 0;
    LayoutLabel labelDefaults;
    labelDefaults.left = labelDefaults.top = 0;

    // Both files are read before anything is written, so a file copied onto itself keeps
    // its items; the target is written once, or not at all when the copy fails.
    const IniDocument from = IniDocument::load(source);
    IniDocument to = IniDocument::load(target);
    to.setBool(key(keys::Orientation), key(keys::poPortrait),
               from.readBool(key(keys::Orientation), key(keys::poPortrait), false));
    for (int slot = 1; slot <= slotCount; ++slot) {
        to.eraseSection(keys::itemSection(ItemKind::Picture, slot));
        if (inUseIn(from, ItemKind::Picture, slot))
            writeEntries(to, keys::itemSection(ItemKind::Picture, slot),
                         entriesOf(pictureIn(from, slot, pictureDefaults)));
        to.eraseSection(keys::itemSection(ItemKind::Label, slot));
        if (inUseIn(from, ItemKind::Label, slot))
            writeEntries(to, keys::itemSection(ItemKind::Label, slot),
                         entriesOf(labelIn(from, slot, labelDefaults)));
    }
    to.save();
}

void LayoutFile::publishStandardBadge(const QString &startFolder, const QString &databaseFolder)
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
