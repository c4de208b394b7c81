#pragma once
// One text item of a layout ([LabelN]). The member defaults are the values the printers
// use for missing keys; the designers pass defaults of their own when they read.
#include <QColor>
#include <QString>

namespace lobrix::layouts {

struct LayoutLabel {
    // Longer font names are cut to this many characters when the font is applied.
    static constexpr int MaxFontNameLength = 31;

    int slot = 0;
    int left = 1;
    int top = 1;
    QString fontName = QStringLiteral("Arial");
    int fontSize = 8;  // points
    int fontColor = 0; // 24-bit, red in the lowest byte
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    QString caption;
    QString feld;       // field key; empty: the caption is printed
    int feldIndex = -1; // position in the designer's field list, -1 when unbound

    QString appliedFontName() const { return fontName.left(MaxFontNameLength); }
    QColor color() const { return colorFromLayout(fontColor); }

    // The stored colour integer: red in the lowest byte, then green, then blue. Bits above
    // the 24 colour bits are ignored.
    static QColor colorFromLayout(int value)
    {
        return QColor(value & 0xff, (value >> 8) & 0xff, (value >> 16) & 0xff);
    }
    static int colorToLayout(const QColor &color)
    {
        return color.red() | (color.green() << 8) | (color.blue() << 16);
    }

    bool operator==(const LayoutLabel &) const = default;
};

} // namespace lobrix::layouts
