#include "layouts/PrintPlan.h"

#include "layouts/LayoutLocations.h"
#include "layouts/LayoutRenderer.h"
#include "common/IniFile.h"
#include "shell/SettingsKeys.h"

#include <QDir>

namespace lobrix::layouts {
namespace {

namespace s = shell::keys::settings;

PrintPlan common(LayoutFamily family, const QString &startFolder)
{
    const IniFile settings(
        QDir(startFolder).filePath(QString::fromLatin1(shell::keys::SettingsFile)));
    const bool badge = family == LayoutFamily::Badge;
    PrintPlan plan;
    plan.family = family;
    plan.startFolder = startFolder;
    plan.external = shell::keys::read(settings, s::DruckExtern) != 0;
    plan.externalDocument = shell::keys::read(settings, badge ? s::AusweisdruckExternPfad
                                                              : s::BesucherscheinExternPfad);
    plan.printerPosition = shell::keys::read(settings, badge ? s::Printer2 : s::Printer1);
    plan.options = LayoutRenderOptions::fromSettings(startFolder);
    return plan;
}

} // namespace

PrintPlan PrintPlan::visitorSheet(const QString &startFolder)
{
    PrintPlan plan = common(LayoutFamily::VisitorSheet, startFolder);
    plan.layoutPath = LayoutLocations::visitorSheet(startFolder);
    return plan;
}

PrintPlan PrintPlan::badge(const QString &startFolder, const QString &databaseFolder,
                           const QString &badgeType)
{
    PrintPlan plan = common(LayoutFamily::Badge, startFolder);
    plan.layoutPath = LayoutLocations::badgeLayout(startFolder, databaseFolder, badgeType);
    return plan;
}

QString PrintPlan::documentTitle() const
{
    return LayoutRenderer::documentTitle(family);
}

QString PrintPlan::statusText(const QString &printerName) const
{
    return (family == LayoutFamily::Badge ? QStringLiteral("Drucke Ausweis auf ")
                                          : QStringLiteral("Drucke Bestätigung auf ")) +
           printerName;
}

QPageLayout::Orientation PrintPlan::orientation(const Layout &layout) const
{
    return LayoutRenderer::printerOrientation(layout, options.hochQuer);
}

QPageSize PrintPlan::pageSize() const
{
    if (family != LayoutFamily::Badge || options.ausweisBreiteMm <= 1 ||
        options.ausweisHoeheMm <= 1)
        return {};
    return QPageSize(QSizeF(options.ausweisBreiteMm, options.ausweisHoeheMm), QPageSize::Millimeter,
                     QStringLiteral("Ausweis"), QPageSize::ExactMatch);
}

QString PrintPlan::externalDocumentFile() const
{
    if (externalDocument.trimmed().isEmpty())
        return {};
    return QDir(startFolder).absoluteFilePath(externalDocument);
}

} // namespace lobrix::layouts
