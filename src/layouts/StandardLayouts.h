#pragma once
// The badge and visitor sheet layouts a new installation starts with, and the logo they
// show, so a fresh installation prints a usable badge and visitor sheet on day one.
#include "layouts/Layout.h"

#include <QImage>
#include <QString>

namespace lobrix::layouts {

class StandardLayouts
{
public:
    static constexpr char LogoFile[] = "Lobrix-Logo.bmp";
    // The card the standard badge is made for (ISO ID-1, the common badge card).
    static constexpr int CardBreiteMm = 54;
    static constexpr int CardHoeheMm = 86;

    // Landscape card: logo, "BESUCHER", photo placeholder, name, company, badge number,
    // destination, date, arrival time and validity.
    static Layout badge();
    // Portrait page: logo, title, visit number, the visit's data beside the photo, and a
    // confirmation area for the host's signature.
    static Layout visitorSheet();
    // Drawn without fonts, so a tool without a GUI application can make it.
    static QImage logo();
    // The program's icon: the logo's emblem alone, size x size on a transparent ground.
    static QImage icon(int size);

    // Writes the start folder's Badge.ini and visitor sheet layout, the logo into the
    // images folder and the published copy of the badge into the database folder, and
    // sets the card size in settings.ini when it has none. Files that are there already
    // are kept. Throws lobrix::Error when a file cannot be written.
    static void install(const QString &startFolder, const QString &databaseFolder);
};

} // namespace lobrix::layouts
