#include "layouts/ui/LayoutDesigner.h"

#include "layouts/ui/DesignerTools.h"

#include "common/Error.h"
#include "common/ui/Controls.h"
#include "common/ui/MessageBoxes.h"
#include "layouts/LayoutFields.h"
#include "layouts/LayoutFile.h"
#include "layouts/LayoutLocations.h"
#include "layouts/LayoutRenderOptions.h"
#include "layouts/LayoutRenderer.h"
#include "layouts/ui/DesignCanvas.h"
#include "layouts/ui/DesignerTestPrint.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSpinBox>
#include <QVBoxLayout>

namespace lobrix::layouts {
namespace {

const QString kAddText = QStringLiteral("Textfeld hinzufügen");
const QString kAddPicture = QStringLiteral("Bild hinzufügen");
const QString kArmed = QStringLiteral("auf Zeichenfläche klicken");
const QString kBitmapFilter = QStringLiteral("Bitmap (*.bmp)");

void setButtonFont(QPushButton *b, int points)
{
    QFont f = b->font();
    f.setPointSize(points);
    b->setFont(f);
}

QFont fontOf(const LayoutLabel &l)
{
    QFont f(l.fontName);
    f.setPointSize(std::max(1, l.fontSize));
    f.setBold(l.bold);
    f.setItalic(l.italic);
    f.setUnderline(l.underline);
    f.setStrikeOut(l.strikeOut);
    return f;
}

} // namespace

LayoutDesigner::LayoutDesigner(QString startFolder, QString databaseFolder, LayoutFamily family, QWidget *parent)
    : QDialog(parent), m_start(std::move(startFolder)), m_db(std::move(databaseFolder)), m_family(family)
{
    setModal(true);
    m_tool = std::make_unique<SelectTool>(*this);
    m_geometry.family = family;
    m_document = DesignDocument([family] {
        Layout l;
        l.family = family;
        return l;
    }());
    buildControls();
}

LayoutDesigner::~LayoutDesigner() = default;

void LayoutDesigner::buildControls()
{
    m_canvas = new DesignCanvas(this);
    m_canvas->setDocument(&m_document);
    m_canvas->setGeometryModel(m_geometry);
    m_canvas->setMouse({[this](QMouseEvent *e) { canvasPress(e); }, [this](QMouseEvent *e) { canvasMove(e); },
                        [this](QMouseEvent *e) { canvasRelease(e); }, [this](QMouseEvent *e) { canvasDoubleClick(e); }});
    edText = ui::lineEdit(m_canvas, "edText", 0);
    edText->setAccessibleName(QStringLiteral("Text des Textfelds"));
    edText->hide();
    edText->installEventFilter(this);

    pnSeite = new QWidget(this);
    pnSeite->setObjectName(QStringLiteral("pnSeite"));
    pnSeite->installEventFilter(this);
    gbAusrichtung = new QGroupBox(QStringLiteral("Ausrichtung"), pnSeite);
    gbAusrichtung->setObjectName(QStringLiteral("gbAusrichtung"));
    rdHoch = new QRadioButton(QStringLiteral("Hochformat"), gbAusrichtung);
    rdHoch->setObjectName(QStringLiteral("rdHoch"));
    rdQuer = new QRadioButton(QStringLiteral("Querformat"), gbAusrichtung);
    rdQuer->setObjectName(QStringLiteral("rdQuer"));
    rdQuer->setChecked(true);
    auto *orientation = new QVBoxLayout(gbAusrichtung);
    orientation->addWidget(rdHoch);
    orientation->addWidget(rdQuer);

    btnTextfeld = ui::button(pnSeite, "btnTextfeld", kAddText, QStringLiteral("Textfeld auf die Zeichenfläche setzen"));
    btnFont = ui::button(pnSeite, "btnFont", QStringLiteral("Schriftart ..."), QStringLiteral("Schriftart der Textfelder"));
    btnColor = ui::button(pnSeite, "btnColor", QStringLiteral("Farbe ..."), QStringLiteral("Textfarbe der Textfelder"));
    lbDatenverknuepfung = ui::label(pnSeite, "lbDatenverknuepfung", QStringLiteral("Datenverknüpfung"));
    cbxFeld1 = ui::comboBox(pnSeite, "cbxFeld1");
    cbxFeld1->addItems(LayoutFields::entryNames(m_family));
    ui::setCaption(cbxFeld1, lbDatenverknuepfung);
    cbxFeld1->installEventFilter(this);
    btnBild = ui::button(pnSeite, "btnBild", kAddPicture, QStringLiteral("Bild auf die Zeichenfläche setzen"));
    for (QPushButton *b : {btnTextfeld, btnBild}) {
        b->setCheckable(true);
        setButtonFont(b, 10);
    }
    QLabel *lbHoehe = ui::label(pnSeite, "lbHoehe", QStringLiteral("Höhe"));
    QLabel *lbBreite = ui::label(pnSeite, "lbBreite", QStringLiteral("Breite"));
    edHoehe = new QSpinBox(pnSeite);
    edHoehe->setObjectName(QStringLiteral("edHoehe"));
    edBreite = new QSpinBox(pnSeite);
    edBreite->setObjectName(QStringLiteral("edBreite"));
    for (QSpinBox *s : {edHoehe, edBreite}) {
        s->setRange(DesignDocument::MinPictureEdge, DesignDocument::MaxPictureEdge);
        s->setValue(DesignDocument::MinPictureEdge);
        s->setKeyboardTracking(true); // every key resizes at once, not only leaving the field
    }
    ui::setCaption(edHoehe, lbHoehe);
    ui::setCaption(edBreite, lbBreite);
    chkSperre = ui::checkBox(pnSeite, "chkSperre", QStringLiteral("Seitenverhältnis beibehalten"));
    chkSperre->setChecked(true);
    chkRaster = ui::checkBox(pnSeite, "chkRaster", QStringLiteral("Raster einblenden"));
    btnDrucken = ui::button(pnSeite, "btnDrucken", QStringLiteral("&Testdruck"), QStringLiteral("Probedruck"));
    if (m_family == LayoutFamily::Badge) // the card's edge on plain paper
        chkPapier = ui::checkBox(pnSeite, "chkPapier", QStringLiteral("auf Papier"));
    btnSpeichern = ui::button(pnSeite, "btnSpeichern", QStringLiteral("&Speichern"), QStringLiteral("Layout speichern"));
    btnAbbrechen = ui::button(pnSeite, "btnAbbrechen", QStringLiteral("&Abbrechen"),
                              QStringLiteral("Fenster schließen ohne zu speichern"));

    auto *side = m_panelLayout = new QVBoxLayout(pnSeite);
    side->addWidget(gbAusrichtung);
    side->addWidget(btnTextfeld);
    side->addWidget(btnFont);
    side->addWidget(btnColor);
    side->addWidget(lbDatenverknuepfung);
    side->addWidget(cbxFeld1);
    side->addWidget(btnBild);
    auto *sizes = new QGridLayout;
    sizes->addWidget(lbHoehe, 0, 0);
    sizes->addWidget(edHoehe, 0, 1);
    sizes->addWidget(lbBreite, 1, 0);
    sizes->addWidget(edBreite, 1, 1);
    side->addLayout(sizes);
    side->addWidget(chkSperre);
    side->addWidget(chkRaster);
    side->addStretch();
    auto *print = new QHBoxLayout;
    print->addWidget(btnDrucken);
    if (chkPapier)
        print->addWidget(chkPapier);
    side->addLayout(print);
    side->addWidget(btnSpeichern);
    side->addWidget(btnAbbrechen);
    pnSeite->setFixedWidth(230);


    connect(btnTextfeld, &QPushButton::clicked, this, &LayoutDesigner::btnTextfeldClick);
    connect(btnBild, &QPushButton::clicked, this, &LayoutDesigner::btnBildClick);
    connect(btnFont, &QPushButton::clicked, this, &LayoutDesigner::btnFontClick);
    connect(btnColor, &QPushButton::clicked, this, &LayoutDesigner::btnColorClick);
    connect(btnDrucken, &QPushButton::clicked, this, &LayoutDesigner::btnDruckenClick);
    connect(btnSpeichern, &QPushButton::clicked, this, &LayoutDesigner::btnSpeichernClick);
    connect(btnAbbrechen, &QPushButton::clicked, this, &LayoutDesigner::btnAbbrechenClick);
    connect(rdHoch, &QRadioButton::clicked, this, [this] { setOrientation(true); });
    connect(rdQuer, &QRadioButton::clicked, this, [this] { setOrientation(false); });
    connect(chkRaster, &QCheckBox::toggled, this, [this](bool on) {
        m_canvas->setRaster(on);
        m_canvas->update();
    });
    connect(cbxFeld1, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_panelUpdating)
            bindSelected(index);
    });
    connect(edHoehe, &QSpinBox::valueChanged, this, [this] {
        if (!m_panelUpdating)
            resizeSelected(true);
    });
    connect(edBreite, &QSpinBox::valueChanged, this, [this] {
        if (!m_panelUpdating)
            resizeSelected(false);
    });
    auto *undoKey = new QShortcut(QKeySequence::Undo, this);
    connect(undoKey, &QShortcut::activated, this, &LayoutDesigner::undo);
    for (const QKeySequence &keys : {QKeySequence(QStringLiteral("Ctrl+Y")), QKeySequence(QStringLiteral("Ctrl+Shift+Z"))}) {
        auto *redoKey = new QShortcut(keys, this);
        connect(redoKey, &QShortcut::activated, this, &LayoutDesigner::redo);
    }
}

void LayoutDesigner::loadDocument(const Layout &layout)
{
    m_document = DesignDocument(layout);
    m_selection.clear();
    m_history.clear();
    m_geometry.portrait = layout.portrait;
    rdHoch->setChecked(layout.portrait);
    rdQuer->setChecked(!layout.portrait);
    m_canvas->setImagesFolder(LayoutLocations::imagesFolder(m_start));
    refresh();
}

void LayoutDesigner::refresh()
{
    placeCanvas();
    m_canvas->setGeometryModel(m_geometry);
    m_canvas->setSelection(m_selection);
    m_canvas->update();
}

// One edit of the document, undoable under its description.
void LayoutDesigner::edit(const QString &description, const std::function<void()> &change)
{
    m_history.record(m_document, description);
    change();
    edited();
    refresh();
}

void LayoutDesigner::undo()
{
    commitEditor();
    if (m_history.undo(m_document))
        afterHistoryStep();
}

void LayoutDesigner::redo()
{
    commitEditor();
    if (m_history.redo(m_document))
        afterHistoryStep();
}

// The card's orientation and the selection follow the document that came back.
void LayoutDesigner::afterHistoryStep()
{
    m_geometry.portrait = m_document.portrait();
    rdHoch->setChecked(m_geometry.portrait);
    rdQuer->setChecked(!m_geometry.portrait);
    m_selection.removeIf([this](const ItemRef &i) { return !m_document.contains(i); });
    edited();
    showPanel();
    refresh();
}

void LayoutDesigner::showPanel()
{
    m_panelUpdating = true;
    const bool any = !m_selection.isEmpty();
    const bool text = any && m_selection.first().kind == ItemKind::Label;
    const bool picture = any && m_selection.first().kind == ItemKind::Picture;
    btnFont->setEnabled(text);
    btnColor->setEnabled(text);
    cbxFeld1->setEnabled(any);
    for (QWidget *w : std::initializer_list<QWidget *>{edHoehe, edBreite, chkSperre})
        w->setEnabled(picture);
    btnTextfeld->setEnabled(!any);
    btnBild->setEnabled(!any);
    ui::setInk(lbDatenverknuepfung, any ? QColor(Qt::black) : QColor(Qt::gray));
    if (text) {
        cbxFeld1->setCurrentIndex(m_document.label(m_selection.first().slot)->feldIndex);
    } else if (picture) {
        const LayoutPicture *p = m_document.picture(m_selection.first().slot);
        cbxFeld1->setCurrentIndex(p->feldIndex);
        edHoehe->setValue(shownEdge(p->height));
        edBreite->setValue(shownEdge(p->width));
    } else {
        cbxFeld1->setCurrentIndex(-1);
    }
    selectionShown();
    m_panelUpdating = false;
}

void LayoutDesigner::select(const ItemRef &item)
{
    commitEditor();
    m_selection = {item};
    showPanel();
    refresh();
}

void LayoutDesigner::deselect(bool fromAddButton)
{
    commitEditor();
    if (!fromAddButton)
        disarm();
    m_selection.clear();
    showPanel();
    refresh();
}

void LayoutDesigner::arm(ItemKind kind)
{
    deselect(true);
    disarm();
    setTool(std::make_unique<AddItemTool>(*this, kind));
    QPushButton *b = kind == ItemKind::Label ? btnTextfeld : btnBild;
    b->setChecked(true);
    b->setText(kArmed);
    setButtonFont(b, 8);
    m_canvas->setCursor(Qt::DragMoveCursor);
}

void LayoutDesigner::setTool(std::unique_ptr<DesignerTool> tool)
{
    // A tool may hand over from inside its own handler (the add tool, once it added): the
    // old one lives on until the next change of tools.
    m_retired = std::move(m_tool);
    m_tool = std::move(tool);
}

void LayoutDesigner::disarm()
{
    setTool(std::make_unique<SelectTool>(*this));
    btnTextfeld->setChecked(false);
    btnTextfeld->setText(kAddText);
    btnBild->setChecked(false);
    btnBild->setText(kAddPicture);
    for (QPushButton *b : {btnTextfeld, btnBild})
        setButtonFont(b, 10);
    m_canvas->unsetCursor();
}

void LayoutDesigner::btnTextfeldClick()
{
    arm(ItemKind::Label);
}

void LayoutDesigner::btnBildClick()
{
    arm(ItemKind::Picture);
}

void LayoutDesigner::commitEditor()
{
    if (!edText->isVisible() || m_editing == 0)
        return;
    const int slot = m_editing;
    const QString text = edText->text();
    m_editing = 0;
    edText->hide();
    if (const LayoutLabel *l = m_document.label(slot); l && l->caption != text)
        edit(QStringLiteral("Text ändern"), [&] { m_document.setCaption(slot, text); });
}

void LayoutDesigner::openEditor(int slot)
{
    const LayoutLabel *l = m_document.label(slot);
    if (!l || l->feldIndex >= 0)
        return; // a bound text shows its field, not a caption to type
    select({ItemKind::Label, slot});
    const QRect r = m_canvas->itemRect({ItemKind::Label, slot});
    const QRect card(m_geometry.offset(), m_geometry.area());
    edText->setFont(fontOf(*l));
    edText->setGeometry(r.left(), r.top(), std::max(20, card.right() - r.left()), int(1.1 * r.height()));
    edText->setText(l->caption);
    edText->show();
    edText->raise();
    edText->setFocus();
    edText->selectAll();
    m_editing = slot;
}

void LayoutDesigner::canvasPress(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_tool->press(event->position().toPoint());
}

void LayoutDesigner::canvasMove(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        m_tool->move(event->position().toPoint());
}

void LayoutDesigner::canvasRelease(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_tool->release(event->position().toPoint());
}

void LayoutDesigner::canvasDoubleClick(QMouseEvent *event)
{
    const std::optional<ItemRef> hit = m_canvas->itemAt(event->position().toPoint());
    if (!hit)
        return;
    if (hit->kind == ItemKind::Label)
        openEditor(hit->slot);
    else
        replacePicture(hit->slot);
}

QString LayoutDesigner::openFile(const QString &caption, const QString &folder, const QString &filter)
{
    return m_dialogs.open ? m_dialogs.open(this, caption, folder, filter)
                          : QFileDialog::getOpenFileName(this, caption, folder, filter);
}

QString LayoutDesigner::chooseBitmap()
{
    return openFile(QStringLiteral("Bild auswählen"), LayoutLocations::imagesFolder(m_start), kBitmapFilter);
}

void LayoutDesigner::addItemAt(ItemKind kind, const QPoint &canvasPoint)
{
    const QPoint position = storedPosition(canvasPoint);
    disarm();
    if (m_document.freeSlot(kind) == 0) {
        ui::MessageBoxes::show(this,
                               kind == ItemKind::Label
                                   ? QStringLiteral("Alle %1 Textfelder sind belegt. Löschen Sie zuerst ein Textfeld.")
                                         .arg(m_document.slotCount())
                                   : QStringLiteral("Alle %1 Bilder sind belegt. Löschen Sie zuerst ein Bild.")
                                         .arg(m_document.slotCount()));
        return;
    }
    if (kind == ItemKind::Label) {
        int slot = 0;
        edit(QStringLiteral("Textfeld hinzufügen"), [&] { slot = m_document.addLabel(position, newTextFace()); });
        select({ItemKind::Label, slot});
        return;
    }
    const QString file = chooseBitmap();
    if (file.isEmpty())
        return;
    const QSize natural = QImageReader(file).size();
    const QSize stored = natural.isValid() ? QSize(storedEdge(natural.width()), storedEdge(natural.height())) : natural;
    int slot = 0;
    edit(QStringLiteral("Bild hinzufügen"), [&] { slot = m_document.addPicture(position, stored, QFileInfo(file).fileName()); });
    select({ItemKind::Picture, slot});
}

void LayoutDesigner::replacePicture(int slot)
{
    const QString file = chooseBitmap();
    if (file.isEmpty())
        return;
    const QSize natural = QImageReader(file).size();
    const QSize stored = natural.isValid() ? QSize(storedEdge(natural.width()), storedEdge(natural.height())) : natural;
    edit(QStringLiteral("Bild ersetzen"), [&] { m_document.replacePicture(slot, stored, QFileInfo(file).fileName()); });
    select({ItemKind::Picture, slot});
}

void LayoutDesigner::removeSelected()
{
    if (m_selection.isEmpty())
        return;
    const QList<ItemRef> gone = m_selection;
    edit(QStringLiteral("Löschen"), [&] { m_document.remove(gone); });
    deselect(false);
}

void LayoutDesigner::bindSelected(int index)
{
    if (m_selection.isEmpty())
        return;
    const QList<ItemRef> items = m_selection;
    edit(QStringLiteral("Datenverknüpfung"), [&] { m_document.bind(items, index); });
}

void LayoutDesigner::resizeSelected(bool heightChanged)
{
    QList<int> pictures;
    for (const ItemRef &i : m_selection)
        if (i.kind == ItemKind::Picture)
            pictures << i.slot;
    if (pictures.isEmpty())
        return;
    QSize set;
    edit(QStringLiteral("Bildgröße ändern"), [&] {
        // The fields hold shown sizes; the document keeps them as stored sizes.
        for (int slot : pictures) {
            set = m_document.resizePicture(slot, edHoehe->value(), edBreite->value(), heightChanged,
                                           chkSperre->isChecked());
            m_document.setPictureSize(slot, QSize(storedEdge(set.width()), storedEdge(set.height())));
        }
    });
    m_panelUpdating = true;
    edHoehe->setValue(set.height());
    edBreite->setValue(set.width());
    m_panelUpdating = false;
}

void LayoutDesigner::setOrientation(bool portrait)
{
    if (portrait == m_geometry.portrait)
        return;
    const QPoint before = m_geometry.offset();
    m_geometry.portrait = portrait;
    edit(QStringLiteral("Karte drehen"), [&] { turnDocument(portrait, before); });
}

void LayoutDesigner::btnFontClick()
{
    const auto choose = m_dialogs.font ? m_dialogs.font : [](QWidget *parent, const QFont &initial) {
        bool ok = false;
        const QFont f = QFontDialog::getFont(&ok, initial, parent);
        return ok ? std::optional<QFont>(f) : std::nullopt;
    };
    for (const ItemRef &item : QList<ItemRef>(m_selection)) {
        const LayoutLabel *l = item.kind == ItemKind::Label ? m_document.label(item.slot) : nullptr;
        if (!l)
            continue;
        const std::optional<QFont> f = choose(this, fontOf(*l));
        if (!f)
            continue;
        const LabelFont font{f->family(), f->pointSize() > 0 ? storedFontSize(f->pointSize()) : l->fontSize, f->bold(),
                             f->italic(), f->underline(), f->strikeOut()};
        edit(QStringLiteral("Schrift ändern"), [&] { m_document.setFont(item.slot, font); });
    }
}

void LayoutDesigner::btnColorClick()
{
    const auto choose = m_dialogs.color ? m_dialogs.color : [](QWidget *parent, const QColor &initial) {
        const QColor c = QColorDialog::getColor(initial, parent);
        return c.isValid() ? std::optional<QColor>(c) : std::nullopt;
    };
    for (const ItemRef &item : QList<ItemRef>(m_selection)) {
        const LayoutLabel *l = item.kind == ItemKind::Label ? m_document.label(item.slot) : nullptr;
        if (!l)
            continue;
        if (const std::optional<QColor> c = choose(this, l->color()))
            edit(QStringLiteral("Farbe ändern"), [&] { m_document.setColor(item.slot, LayoutLabel::colorToLayout(*c)); });
    }
}

void LayoutDesigner::btnDruckenClick()
{
    commitEditor();
    try {
        printDesignerTest(this, m_start, workingCopy(), m_document.layout(), chkPapier && chkPapier->isChecked(),
                          [this] { writeCanvas(); });
    } catch (const Error &e) {
        ui::MessageBoxes::error(this, e.message());
    }
}

QString LayoutDesigner::saveFile(const QString &caption, const QString &folder, const QString &filter)
{
    return m_dialogs.save ? m_dialogs.save(this, caption, folder, filter)
                          : QFileDialog::getSaveFileName(this, caption, folder, filter);
}

void LayoutDesigner::btnAbbrechenClick()
{
    reject();
}

bool LayoutDesigner::keepsDeleteKey(const QWidget *focus) const
{
    // Delete in a size field edits the number, not the layout.
    return focus == edHoehe || focus == edBreite || edHoehe->isAncestorOf(focus) || edBreite->isAncestorOf(focus);
}

void LayoutDesigner::keyReleaseEvent(QKeyEvent *event)
{
    const QWidget *focus = focusWidget();
    const bool inSizeField = focus && keepsDeleteKey(focus);
    if (event->key() == Qt::Key_Delete && !edText->isVisible() && !inSizeField) {
        removeSelected();
        return;
    }
    QDialog::keyReleaseEvent(event);
}

bool LayoutDesigner::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == edText && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            commitEditor();
            deselect(false);
            return true;
        }
        if (key == Qt::Key_Escape) {
            m_editing = 0;
            edText->hide();
            return true;
        }
    }
    if (watched == edText && event->type() == QEvent::KeyRelease)
        return true; // Delete in the editor edits the text
    if (watched == cbxFeld1 && event->type() == QEvent::KeyRelease &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        cbxFeld1->setCurrentIndex(-1); // unbinds; a caption stays as it was
        return true;
    }
    if (watched == pnSeite && event->type() == QEvent::MouseButtonPress)
        deselect(false);
    return QDialog::eventFilter(watched, event);
}

} // namespace lobrix::layouts
