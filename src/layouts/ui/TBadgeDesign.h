#pragma once
// "Ausweisdesigner": a badge layout on a card, text and picture items placed with the
// mouse, bound to visit values, given fonts, colours and sizes, the card turned, a test
// badge printed, the result saved as a badge type ("Ausweis <name>.ini") in the database
// folder. The layout is edited in memory (undo and redo of every canvas edit); the
// working copy tmpBadge.ini gets it before a test print or a save, and no layout file
// changes before a save.
#include "layouts/DesignDocument.h"
#include "layouts/DesignGeometry.h"
#include "layouts/DesignHistory.h"

#include <QDialog>
#include <QFont>
#include <QColor>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace lobrix::layouts {

class DesignCanvas;

class TBadgeDesign : public QDialog {
    Q_OBJECT
public:
    TBadgeDesign(QString startFolder, QString databaseFolder, QWidget *parent = nullptr);
    ~TBadgeDesign() override;

    // The file, font and colour dialogs; tests answer them at once. An empty function
    // keeps the real dialog.
    struct Dialogs {
        // Returns the chosen file, or an empty text when cancelled.
        std::function<QString(QWidget *, const QString &caption, const QString &folder, const QString &filter)> open;
        std::function<QString(QWidget *, const QString &caption, const QString &folder, const QString &filter)> save;
        std::function<std::optional<QFont>(QWidget *, const QFont &)> font;
        std::function<std::optional<QColor>(QWidget *, const QColor &)> color;
    };
    void setDialogs(Dialogs dialogs) { m_dialogs = std::move(dialogs); }

    // Menu "Besucher&ausweis": the opening steps, then the window modally.
    void Besucherausweis1Click();
    // The opening steps: the layout chosen, the working copy made, the canvas loaded.
    void prepare();

    const DesignDocument &document() const { return m_document; }
    const QList<ItemRef> &selection() const { return m_selection; }
    const QString &layoutFile() const { return m_layoutFile; }
    QString workingCopy() const;
    DesignCanvas *canvas() const { return m_canvas; }
    bool canUndo() const { return m_history.canUndo(); }

    void undo();
    void redo();
    void btnTextfeldClick();
    void btnBildClick();
    void btnFontClick();
    void btnColorClick();
    void btnDruckenClick();
    void btnSpeichernClick();
    void btnAbbrechenClick();

protected:
    void keyReleaseEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Armed { None, Text, Picture };

    void buildControls();
    void loadCanvas();
    void refresh();
    void edit(const std::function<void()> &change);
    void select(const ItemRef &item);
    void deselect(bool fromAddButton);
    void showPanel();
    void arm(Armed what);
    void disarm();
    void commitEditor();
    void openEditor(int slot);
    void removeSelected();
    void bindSelected(int index);
    void resizeSelected(bool heightChanged);
    void setOrientation(bool portrait);
    void addItemAt(const QPoint &canvasPoint);
    void replacePicture(int slot);
    void writeCanvas();
    void afterHistoryStep();
    QString openFile(const QString &caption, const QString &folder, const QString &filter);
    QString chooseBitmap();

    void canvasPress(QMouseEvent *event);
    void canvasMove(QMouseEvent *event);
    void canvasRelease(QMouseEvent *event);
    void canvasDoubleClick(QMouseEvent *event);

    QString m_start;
    QString m_db;
    QString m_layoutFile;
    Dialogs m_dialogs;
    DesignDocument m_document;
    DesignHistory m_history;
    DesignGeometry m_geometry;
    QList<ItemRef> m_selection;
    Armed m_armed = Armed::None;
    bool m_hochQuer = false;
    bool m_panelUpdating = false;
    // Dragging: the item, where in it the button went down, whether it moved yet.
    std::optional<ItemRef> m_drag;
    QPoint m_pressOffset;
    bool m_dragMoved = false;
    bool m_pressOnItem = false;
    int m_editing = 0; // the text item under the inline editor

    DesignCanvas *m_canvas = nullptr;
    QLineEdit *edText = nullptr;
    QWidget *pnSeite = nullptr;
    QGroupBox *gbAusrichtung = nullptr;
    QRadioButton *rdHoch = nullptr, *rdQuer = nullptr;
    QPushButton *btnTextfeld = nullptr, *btnFont = nullptr, *btnColor = nullptr, *btnBild = nullptr;
    QLabel *lbDatenverknuepfung = nullptr;
    QComboBox *cbxFeld1 = nullptr;
    QSpinBox *edHoehe = nullptr, *edBreite = nullptr;
    QCheckBox *chkSperre = nullptr, *chkRaster = nullptr, *chkPapier = nullptr;
    QPushButton *btnDrucken = nullptr, *btnSpeichern = nullptr, *btnAbbrechen = nullptr;
};

} // namespace lobrix::layouts
