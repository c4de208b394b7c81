#include "shell/ClockOptions.h"

#include "common/IniFile.h"
#include "shell/SettingsKeys.h"

namespace lobrix::shell
{

QColor ClockOptions::colorOf(int value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

int ClockOptions::valueOf(const QColor &color)
{
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

int ClockOptions::validStep(int stored)
{
    switch (stored) {
    case 1:
    case 3:
    case 4:
    case 5:
        return stored;
    default:
        return 2;
    }
}

ClockOptions ClockOptions::read(const IniFile &settings)
{
    namespace s = keys::settings;
    ClockOptions options;
    options.hourStrokes = keys::read(settings, s::UhrStundeStrich);
    options.minuteStrokes = keys::read(settings, s::UhrMinuteStrich);
    options.sizeStep = validStep(keys::read(settings, s::UhrSize));
    // Only 24 bits are a colour; anything above would not survive a round trip.
    options.colour = keys::read(settings, s::UhrFarbe) & 0xFFFFFF;
    return options;
}

void ClockOptions::write(IniFile &settings) const
{
    namespace s = keys::settings;
    keys::write(settings, s::UhrStundeStrich, hourStrokes);
    keys::write(settings, s::UhrMinuteStrich, minuteStrokes);
    keys::write(settings, s::UhrSize, validStep(sizeStep));
    keys::write(settings, s::UhrFarbe, colour & 0xFFFFFF);
}

} // namespace lobrix::shell
