#pragma once
// What a print needs besides the layout and the visit: the card size, the printer
// orientation switch, the images folder, and the test print's card outline. The
// printers read the settings at every print, so a change counts at the next print.
#include <QString>

namespace lobrix::layouts {

struct LayoutRenderOptions {
    QString imagesFolder;
    // Badge edges in millimetres, named after their settings keys: AusweisHoehe is the
    // 510-unit side, AusweisBreite the 320-unit side.
    int ausweisBreiteMm = 1;
    int ausweisHoeheMm = 1;
    // The badge printer's orientation is the opposite of the layout's.
    bool hochQuer = false;
    // Badge test print "auf Papier": draw the card's edge.
    bool cardOutline = false;

    // From settings.ini of the start folder.
    static LayoutRenderOptions fromSettings(const QString &startFolder);
};

} // namespace lobrix::layouts
