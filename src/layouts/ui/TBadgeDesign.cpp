#include "layouts/ui/TBadgeDesign.h"

#include "common/Error.h"
#include "common/ui/MessageBoxes.h"
#include "layouts/LayoutFile.h"
#include "layouts/LayoutLocations.h"
#include "layouts/LayoutRenderOptions.h"
#include "layouts/LayoutRenderer.h"
#include "layouts/ui/DesignCanvas.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QRadioButton>

namespace lobrix::layouts {
namespace {

const QString kCaption = QStringLiteral("Ausweisdesigner");
const QString kBadgeFilter = QStringLiteral("Ausweis-Dateien (Ausweis*.ini)");

} // namespace

TBadgeDesign::TBadgeDesign(QString startFolder, QString databaseFolder, QWidget *parent)
    : LayoutDesigner(std::move(startFolder), std::move(databaseFolder), LayoutFamily::Badge, parent)
{
    setObjectName(QStringLiteral("TBadgeDesign"));
    setWindowTitle(kCaption);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_canvas, 0, Qt::AlignTop);
    layout->addWidget(pnSeite);
    setFixedSize(m_geometry.canvas.width() + pnSeite->width() + 30, m_geometry.canvas.height() + 20);
}

QString TBadgeDesign::workingCopy() const
{
    return LayoutLocations::badgeWorkingCopy(m_start);
}

QString TBadgeDesign::newTextFace() const
{
    return QStringLiteral("MS Sans Serif"); // the window's default face
}

void TBadgeDesign::Besucherausweis1Click()
{
    prepare();
    exec();
}

void TBadgeDesign::prepare()
{
    const bool hochQuer = LayoutRenderOptions::fromSettings(m_start).hochQuer;
    rdHoch->setText(hochQuer ? QStringLiteral("Querformat") : QStringLiteral("Hochformat"));
    rdQuer->setText(hochQuer ? QStringLiteral("Hochformat") : QStringLiteral("Querformat"));

    const QString chosen = openFile(QStringLiteral("Ausweis laden ..."), m_db, kBadgeFilter);
    if (!chosen.isEmpty()) {
        m_layoutFile = chosen;
        setWindowTitle(kCaption + QStringLiteral(" - ") + QDir::toNativeSeparators(chosen));
    } else {
        m_layoutFile = LayoutLocations::standardBadge(m_start);
        setWindowTitle(kCaption + QStringLiteral(" - Standard-Layout"));
    }
    // The working copy gets the layout and the "H" height of this screen; the layout file
    // itself stays as it is until a save.
    const int letterHeight = LayoutRenderer::letterHeight(m_canvas);
    Layout layout;
    layout.family = LayoutFamily::Badge;
    try {
        LayoutFile::CopyLayout(m_layoutFile, workingCopy(), slotCount(LayoutFamily::Badge));
        LayoutFile(workingCopy(), LayoutFamily::Badge).writeFontScaleHeight(letterHeight);
        layout = LayoutFile(m_layoutFile, LayoutFamily::Badge).readForDesigner();
    } catch (const Error &e) {
        ui::MessageBoxes::error(this, e.message());
    }
    layout.fontScaleHeight = letterHeight;
    m_canvas->clearImageCache();
    loadDocument(layout);
    m_canvas->setFontFactor(1.0);
    deselect(false);
}

// The items keep their places on the canvas, so their layout positions move with the
// card's corner.
void TBadgeDesign::turnDocument(bool portrait, const QPoint &oldOffset)
{
    m_document.setPortrait(portrait, oldOffset - m_geometry.offset());
}

void TBadgeDesign::writeCanvas()
{
    LayoutFile(workingCopy(), LayoutFamily::Badge).writeItems(m_document.layout());
    LayoutFile::publishStandardBadge(m_start, m_db);
}

void TBadgeDesign::btnSpeichernClick()
{
    commitEditor();
    try {
        writeCanvas();
    } catch (const Error &e) {
        ui::MessageBoxes::error(this, e.message());
        return;
    }
    const QString chosen = saveFile(QStringLiteral("Ausweis speichern unter ..."), m_db, kBadgeFilter);
    if (chosen.isEmpty()) {
        accept();
        return;
    }
    const std::optional<QString> name = LayoutLocations::badgeTypeFileName(chosen);
    if (!name) {
        ui::MessageBoxes::error(this, QStringLiteral("Der Name '%1' ist als Dateiname nicht möglich. Bitte verwenden "
                                                     "Sie keines der Zeichen \\ / : * ? \" < > |.")
                                          .arg(QFileInfo(chosen).fileName()));
        return; // nothing written; the clerk may save again
    }
    const QString target = QDir(m_db).filePath(*name);
    try {
        LayoutFile::CopyLayout(workingCopy(), target, slotCount(LayoutFamily::Badge));
        // The badge prints its texts in the sizes this screen showed.
        LayoutFile(target, LayoutFamily::Badge).writeFontScaleHeight(m_document.layout().fontScaleHeight);
    } catch (const Error &e) {
        ui::MessageBoxes::error(this, e.message());
        return;
    }
    m_layoutFile = target;
    documentSaved();
    setWindowTitle(kCaption + QStringLiteral(" - ") + QDir::toNativeSeparators(chosen));
    accept();
}

} // namespace lobrix::layouts
