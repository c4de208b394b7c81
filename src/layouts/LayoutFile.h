#pragma once
// A layout file on disk (an INI file, Windows-1252, CR LF). Each call reads the file once
// and each change writes it once, atomically, so a reader never sees half a change. A
// missing file reads as empty, so every key gives its default; the first write creates it.
#include "layouts/Layout.h"

#include <QString>

#include <functional>

namespace lobrix {
class IniDocument;
}

namespace lobrix::layouts {

class LayoutFile
{
public:
    LayoutFile(QString path, LayoutFamily family) : m_path(std::move(path)), m_family(family) {}

    const QString &path() const { return m_path; }
    LayoutFamily family() const { return m_family; }
    int slotCount() const { return layouts::slotCount(m_family); }

    // Everything the printers need, with their defaults for missing keys.
    Layout read() const;
    // The items as the designers load them, in one read: missing keys of a picture give
    // position 0, 0 and size 200 x 200; of a text colour 1 and the caption "Textfeld" + N.
    Layout readForDesigner() const;
    // Orientation and the items of slots 1 to slotCount as the layout has them (slots it
    // does not use are erased), every other section kept; one read, one atomic write.
    void writeItems(const Layout &layout);
    // Replaces the whole file with this layout in one write (new files such as the
    // shipped layouts). Sections of slots the layout does not use are not written.
    void create(const Layout &layout);

    bool portrait() const;
    void writePortrait(bool portrait);
    int fontScaleHeight() const;
    void writeFontScaleHeight(int height);
    int rasterAbstand() const;
    void writeRasterAbstand(int step);

    // A slot is in use when its section has Visible other than 0.
    bool inUse(ItemKind kind, int slot) const;
    // The lowest slot not in use, or 0 when every slot of the family is taken.
    int findFreeSlot(ItemKind kind) const;

    // The item of a slot; keys that are missing take the values of `defaults` (its slot
    // is ignored). The result says nothing about whether the slot is in use.
    LayoutLabel readLabel(int slot, const LayoutLabel &defaults = {}) const;
    LayoutPicture readPicture(int slot, const LayoutPicture &defaults = {}) const;
    // Writes Visible = 1 and every key of the item into the section of its slot.
    void writeLabel(const LayoutLabel &label);
    void writePicture(const LayoutPicture &picture);
    // Erases the whole section, which frees the slot. A missing section changes nothing.
    void erase(ItemKind kind, int slot);

    // Single keys, as the designers change them.
    void writePosition(ItemKind kind, int slot, int left, int top);
    void writeBinding(ItemKind kind, int slot, const QString &feld, int feldIndex);
    int readFeldIndex(ItemKind kind, int slot) const;
    void writePictureSize(int slot, int width, int height);
    double readRelation(int slot) const;
    void writeRelation(int slot, double relation);
    void writePictureFile(int slot, const QString &pfad, double relation);
    void writeFontSize(int slot, int fontSize);

    // Copies orientation and the items of slots 1 to slotCount from source to target;
    // the target's other sections (FontScale, Raster, slots beyond) stay as they are.
    static void CopyLayout(const QString &source, const QString &target, int slotCount);
    // Copies the start folder's Badge.ini line by line over the database folder's copy.
    // Without a Badge.ini in the start folder there is nothing to copy and nothing happens.
    static void publishStandardBadge(const QString &startFolder, const QString &databaseFolder);

    // Relation as float text: read with a decimal comma or point (files from German
    // systems have the comma); written with a decimal comma like those systems, up to
    // 15 significant digits. Text that is no positive finite number gives the default.
    static double parseRelation(const QString &text, double defaultValue);
    static QString formatRelation(double relation);

private:
    IniDocument load() const;
    // One read, the edits, one write.
    void change(const std::function<void(IniDocument &)> &edit);

    QString m_path;
    LayoutFamily m_family;
};

} // namespace lobrix::layouts
