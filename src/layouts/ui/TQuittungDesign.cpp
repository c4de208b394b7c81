#include "layouts/ui/TQuittungDesign.h"

#include "common/Error.h"
#include "common/IniFile.h"
#include "common/ui/Controls.h"
#include "common/ui/MessageBoxes.h"
#include "layouts/LayoutFile.h"
#include "layouts/LayoutLocations.h"
#include "layouts/LayoutRenderer.h"
#include "layouts/ui/DesignCanvas.h"
#include "shell/SettingsKeys.h"

#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QVBoxLayout>

namespace lobrix::layouts {
namespace {

const QString kCaption = QStringLiteral("Besucherschein erstellen");
// The page lies at least this far from the canvas's edges; closer, the canvas scrolls.
constexpr int kPageMargin = 10;

QSpinBox *numberField(QWidget *parent, const char *name, int minimum)
{
    auto *s = new QSpinBox(parent);
    s->setObjectName(QString::fromLatin1(name));
    s->setRange(minimum, DesignDocument::MaxPictureEdge);
    s->setKeyboardTracking(true);
    return s;
}

} // namespace

TQuittungDesign::TQuittungDesign(QString startFolder, QString databaseFolder, QWidget *parent)
    : LayoutDesigner(std::move(startFolder), std::move(databaseFolder), LayoutFamily::VisitorSheet, parent)
{
    setObjectName(QStringLiteral("TQuittungDesign"));
    setWindowTitle(kCaption);
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
    DesignCanvas::Style style;
    style.page = QColor(238, 238, 238);
    style.roundedCorners = false;
    style.stepRaster = true;
    style.zoomFonts = true;
    style.frameLead = 1;
    m_canvas->setStyle(style);

    QLabel *lbZoom = ui::label(pnSeite, "lbZoom", QStringLiteral("Zoom"));
    cbxZoom = ui::comboBox(pnSeite, "cbxZoom");
    cbxZoom->addItems({QStringLiteral("200"), QStringLiteral("100"), QStringLiteral("50"), QStringLiteral("25")});
    cbxZoom->setCurrentIndex(1);
    ui::setCaption(cbxZoom, lbZoom);
    QLabel *lbLeft = ui::label(pnSeite, "lbLeft", QStringLiteral("X"));
    QLabel *lbTop = ui::label(pnSeite, "lbTop", QStringLiteral("Y"));
    QLabel *lbRaster = ui::label(pnSeite, "lbRaster", QStringLiteral("Schrittweite"));
    edLeft = numberField(pnSeite, "edLeft", 5);
    edTop = numberField(pnSeite, "edTop", 5);
    edRaster = numberField(pnSeite, "edRaster", 1);
    ui::setCaption(edLeft, lbLeft);
    ui::setCaption(edTop, lbTop);
    ui::setCaption(edRaster, lbRaster);
    edLeft->setAccessibleName(QStringLiteral("X-Position"));
    edTop->setAccessibleName(QStringLiteral("Y-Position"));
    edTop->installEventFilter(this);
    edLeft->installEventFilter(this);
    auto *extra = new QGridLayout;
    extra->addWidget(lbZoom, 0, 0);
    extra->addWidget(cbxZoom, 0, 1);
    extra->addWidget(lbLeft, 1, 0);
    extra->addWidget(edLeft, 1, 1);
    extra->addWidget(lbTop, 2, 0);
    extra->addWidget(edTop, 2, 1);
    extra->addWidget(lbRaster, 3, 0);
    extra->addWidget(edRaster, 3, 1);
    panelLayout()->insertLayout(1, extra);

    sbZeichenflaeche = new QScrollArea(this);
    sbZeichenflaeche->setObjectName(QStringLiteral("sbZeichenflaeche"));
    sbZeichenflaeche->setWidget(m_canvas);
    sbZeichenflaeche->setWidgetResizable(false);
    sbZeichenflaeche->setBackgroundRole(QPalette::Dark);
    sbZeichenflaeche->verticalScrollBar()->setObjectName(QStringLiteral("ScrollBar"));
    sbZeichenflaeche->horizontalScrollBar()->setObjectName(QStringLiteral("ScrollBarH"));
    for (QScrollBar *bar : {sbZeichenflaeche->verticalScrollBar(), sbZeichenflaeche->horizontalScrollBar()})
        bar->setSingleStep(5);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(sbZeichenflaeche, 1);
    layout->addWidget(pnSeite);
    resize(1100, 800);

    connect(cbxZoom, &QComboBox::currentIndexChanged, this, [this] { zoomChosen(); });
    connect(edLeft, &QSpinBox::valueChanged, this, [this] {
        if (!m_panelUpdating)
            positionChanged();
    });
    connect(edTop, &QSpinBox::valueChanged, this, [this] {
        if (!m_panelUpdating)
            positionChanged();
    });
    connect(edRaster, &QSpinBox::valueChanged, this, [this](int step) {
        m_geometry.step = step;
        refresh();
    });
    m_geometry.zoom = 1.0;
    m_geometry.step = keys::DefaultRasterAbstand;
}

QString TQuittungDesign::workingCopy() const
{
    return LayoutLocations::sheetWorkingCopy(m_start);
}

QString TQuittungDesign::newTextFace() const
{
    return QStringLiteral("Arial");
}

void TQuittungDesign::Besucherschein1Click()
{
    prepare();
    setWindowState(windowState() | Qt::WindowMaximized);
    exec();
}

void TQuittungDesign::prepare()
{
    const QString pfad = shell::keys::read(IniFile(QDir(m_start).filePath(QString::fromLatin1(shell::keys::SettingsFile))),
                                           shell::keys::settings::BesucherscheinPfad);
    setWindowTitle(kCaption + QStringLiteral(" - *") + pfad + u'*');
    m_layoutFile = LayoutLocations::visitorSheet(m_start);
    Layout layout;
    layout.family = LayoutFamily::VisitorSheet;
    try {
        // The screen's "H" height goes into the working copy; the layout file changes
        // only by a save and by the raster step at closing.
        LayoutFile::CopyLayout(m_layoutFile, workingCopy(), slotCount(LayoutFamily::VisitorSheet));
        LayoutFile(workingCopy(), LayoutFamily::VisitorSheet).writeFontScaleHeight(LayoutRenderer::letterHeight(m_canvas));
        layout = LayoutFile(m_layoutFile, LayoutFamily::VisitorSheet).readForDesigner();
        m_open = true;
    } catch (const Error &e) {
        ui::MessageBoxes::error(this, e.message());
    }
    m_panelUpdating = true;
    edRaster->setValue(std::max(1, layout.rasterAbstand));
    m_panelUpdating = false;
    m_geometry.step = edRaster->value();
    m_canvas->clearImageCache();
    loadDocument(layout);
    deselect(false);
}

void TQuittungDesign::placeCanvas()
{
    if (!sbZeichenflaeche)
        return;
    const QSize area = m_geometry.area();
    const QSize view = sbZeichenflaeche->maximumViewportSize();
    m_geometry.canvas = QSize(std::max(view.width(), area.width() + 2 * kPageMargin),
                              std::max(view.height(), area.height() + 2 * kPageMargin));
}

bool TQuittungDesign::keepsDeleteKey(const QWidget *focus) const
{
    return LayoutDesigner::keepsDeleteKey(focus) || focus == edRaster || edRaster->isAncestorOf(focus);
}

void TQuittungDesign::resizeEvent(QResizeEvent *event)
{
    LayoutDesigner::resizeEvent(event);
    refresh();
}

void TQuittungDesign::zoomChosen()
{
    commitEditor();
    m_geometry.zoom = cbxZoom->currentText().toInt() * 0.01;
    // Every item is shown anew from its stored values; nothing stored changes.
    showPanel();
    refresh();
    writeWorkingCopy();
}

QPoint TQuittungDesign::storedPosition(const QPoint &canvasPoint) const
{
    return m_geometry.toLayout(m_geometry.snap(canvasPoint));
}

int TQuittungDesign::shownEdge(int stored) const
{
    return int(stored * m_geometry.zoom);
}

int TQuittungDesign::storedEdge(int shown) const
{
    return int(shown / m_geometry.zoom);
}

int TQuittungDesign::storedFontSize(int chosen) const
{
    return int(int(chosen * m_geometry.zoom) / m_geometry.zoom);
}

void TQuittungDesign::turnDocument(bool portrait, const QPoint &)
{
    m_document.setPortrait(portrait, QPoint()); // the items keep their layout positions
}

void TQuittungDesign::writeWorkingCopy()
{
    try {
        LayoutFile(workingCopy(), LayoutFamily::VisitorSheet).writeItems(m_document.layout());
    } catch (const Error &e) {
        ui::MessageBoxes::error(this, e.message());
    }
}

void TQuittungDesign::edited()
{
    writeWorkingCopy();
}

void TQuittungDesign::selectionShown()
{
    const bool any = !m_selection.isEmpty();
    edLeft->setEnabled(any);
    edTop->setEnabled(any);
    if (!any)
        return;
    const ItemRef &first = m_selection.first();
    QPoint stored;
    if (first.kind == ItemKind::Label)
        stored = QPoint(m_document.label(first.slot)->left, m_document.label(first.slot)->top);
    else
        stored = QPoint(m_document.picture(first.slot)->left, m_document.picture(first.slot)->top);
    edLeft->setValue(stored.x());
    edTop->setValue(stored.y());
    edTop->setFocus();
}

// Both fields move every selected item to the snapped canvas point of their values.
void TQuittungDesign::positionChanged()
{
    if (m_selection.isEmpty())
        return;
    const QPoint typed(edLeft->value(), edTop->value());
    const QPoint position = storedPosition(m_geometry.toCanvas(typed));
    const QList<ItemRef> items = m_selection;
    edit(QStringLiteral("Verschieben"), [&] {
        for (const ItemRef &item : items)
            m_document.move(item, position);
    });
}

bool TQuittungDesign::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == edTop || watched == edLeft) && event->type() == QEvent::KeyRelease &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        LayoutDesigner::keyReleaseEvent(static_cast<QKeyEvent *>(event)); // deletes the selection
        return true;
    }
    if ((watched == edTop || watched == edLeft) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Delete)
            return true; // the release deletes the selection
        if (watched == edTop && edTop->isEnabled() &&
            (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down)) {
            const int step = edRaster->value();
            m_panelUpdating = true;
            if (key == Qt::Key_Left || key == Qt::Key_Right)
                edLeft->setValue(edLeft->value() + (key == Qt::Key_Left ? -step : step));
            else
                edTop->setValue(edTop->value() + (key == Qt::Key_Up ? -step : step));
            m_panelUpdating = false;
            positionChanged();
            return true;
        }
    }
    return LayoutDesigner::eventFilter(watched, event);
}

// The canvas as the working copy holds it: every position, size and font size through
// the zoom and back, truncated as the canvas shows them.
void TQuittungDesign::writeCanvas()
{
    Layout layout = m_document.layout();
    const double z = m_geometry.zoom;
    const auto through = [z](int v) { return int(int(v * z) / z); };
    for (LayoutLabel &l : layout.labels) {
        const QPoint at = m_geometry.toLayout(m_geometry.toCanvas(QPoint(l.left, l.top)));
        l.left = at.x();
        l.top = at.y();
        l.fontSize = through(l.fontSize);
    }
    for (LayoutPicture &p : layout.pictures) {
        const QPoint at = m_geometry.toLayout(m_geometry.toCanvas(QPoint(p.left, p.top)));
        p.left = at.x();
        p.top = at.y();
        p.width = through(p.width);
        p.height = through(p.height);
    }
    m_document = DesignDocument(layout);
    LayoutFile(workingCopy(), LayoutFamily::VisitorSheet).writeItems(m_document.layout());
}

void TQuittungDesign::btnSpeichernClick()
{
    commitEditor();
    for (QPushButton *b : {btnSpeichern, btnAbbrechen, btnDrucken})
        b->setEnabled(false);
    btnSpeichern->setText(QStringLiteral("Moment bitte ..."));
    btnSpeichern->repaint();
    bool saved = false;
    try {
        writeCanvas();
        LayoutFile::CopyLayout(workingCopy(), m_layoutFile, slotCount(LayoutFamily::VisitorSheet));
        saved = true;
        documentSaved();
    } catch (const Error &e) {
        ui::MessageBoxes::error(this, e.message());
    }
    for (QPushButton *b : {btnSpeichern, btnAbbrechen, btnDrucken})
        b->setEnabled(true);
    btnSpeichern->setText(QStringLiteral("&Speichern"));
    if (saved)
        accept();
}

void TQuittungDesign::done(int result)
{
    // The raster step belongs to the layout file, also after Abbrechen.
    if (m_open) {
        m_open = false;
        try {
            LayoutFile(m_layoutFile, LayoutFamily::VisitorSheet).writeRasterAbstand(edRaster->value());
        } catch (const Error &e) {
            ui::MessageBoxes::error(this, e.message());
        }
    }
    LayoutDesigner::done(result);
}

} // namespace lobrix::layouts
