#pragma once
// How the clerk wants the clock to look: the marks, the size step and the colour. Read
// once when the main window is created and written once when it closes.
#include <QColor>

namespace lobrix {
class IniFile;
}

namespace lobrix::shell
{


struct ClockOptions {
    bool hourStrokes = false;   // hour marks as strokes, else dots
    bool minuteStrokes = false; // minute marks as strokes, else dots
    int sizeStep = 3;           // 1 to 5
    int colour = 0;             // 24-bit value, red in the low byte (0x00BBGGRR)

    QColor color() const { return colorOf(colour); }
    static QColor colorOf(int value);
    static int valueOf(const QColor &color);

    // The size step a stored value stands for: 1, 3, 4 and 5 are themselves, any other
    // value is step 2.
    static int validStep(int stored);

    static ClockOptions read(const IniFile &settings);
    void write(IniFile &settings) const;
};

} // namespace lobrix::shell
