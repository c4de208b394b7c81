#include "layouts/LayoutRenderOptions.h"

#include "layouts/LayoutLocations.h"
#include "common/IniFile.h"
#include "shell/SettingsKeys.h"

#include <QDir>

namespace lobrix::layouts {

LayoutRenderOptions LayoutRenderOptions::fromSettings(const QString &startFolder)
{
    namespace s = shell::keys::settings;
    const IniFile settings(
        QDir(startFolder).filePath(QString::fromLatin1(shell::keys::SettingsFile)));
    LayoutRenderOptions options;
    options.imagesFolder = LayoutLocations::imagesFolder(startFolder);
    options.ausweisBreiteMm = shell::keys::read(settings, s::AusweisBreiteDruck);
    options.ausweisHoeheMm = shell::keys::read(settings, s::AusweisHoeheDruck);
    options.hochQuer = shell::keys::read(settings, s::HochQuer);
    return options;
}

} // namespace lobrix::layouts
