#pragma once
// What the two layout designers share: the canvas, the side panel's tools with their
// enabled states, selection, arming and adding, the inline editor, dragging, Delete,
// field binding, font and colour dialogs, picture sizes with the aspect lock, undo and
// redo, and the test print. The layout lives in a DesignDocument in layout units; the
// badge and the visitor sheet designer differ in how canvas points and sizes map onto
// it (zoom, snapping) and in opening and saving, which they supply.
#include "layouts/DesignDocument.h"
#include "layouts/DesignGeometry.h"
#include "layouts/DesignHistory.h"

#include <QColor>
#include <QDialog>
#include <QFont>

#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QVBoxLayout;

namespace lobrix::layouts {
class DesignerTool;
}

namespace lobrix::layouts {

class DesignCanvas;

class LayoutDesigner : public QDialog {
    Q_OBJECT
public:
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

    // The opening steps without the modal loop: the layout read, the working copy made,
    // the canvas loaded.
    virtual void prepare() = 0;

    const DesignDocument &document() const { return m_document; }
    const QList<ItemRef> &selection() const { return m_selection; }
    const QString &layoutFile() const { return m_layoutFile; }
    virtual QString workingCopy() const = 0;
    DesignCanvas *canvas() const { return m_canvas; }

    void undo();
    void redo();
    void btnTextfeldClick();
    void btnBildClick();
    void btnFontClick();
    void btnColorClick();
    void btnDruckenClick();
    virtual void btnSpeichernClick() = 0;
    void btnAbbrechenClick();

    ~LayoutDesigner() override;

protected:
    LayoutDesigner(QString startFolder, QString databaseFolder, LayoutFamily family, QWidget *parent);

    // --- what the two designers do differently ---
    // The stored position of an item put at a canvas point (added or dropped).
    virtual QPoint storedPosition(const QPoint &canvasPoint) const { return m_geometry.toLayout(canvasPoint); }
    virtual QString newTextFace() const = 0;
    // A picture's edge as the size fields show it, and back.
    virtual int shownEdge(int stored) const { return stored; }
    virtual int storedEdge(int shown) const { return shown; }
    // A font size the dialog chose (layout points), as it is stored.
    virtual int storedFontSize(int chosen) const { return chosen; }
    // Only a selected item can be dragged (the first press selects it).
    virtual bool dragsOnlySelected() const { return false; }
    // After every edit of the document (the sheet designer writes its working copy).
    virtual void edited() {}
    // The card or page turned: the document follows (positions kept or shifted).
    virtual void turnDocument(bool portrait, const QPoint &oldOffset) = 0;
    // The panel after the selection changed (the sheet designer's position fields).
    virtual void selectionShown() {}
    // Before a test print or a save: the canvas as the working copy should hold it.
    virtual void writeCanvas() = 0;
    // Before every redraw: the canvas's size and the page's place on it.
    virtual void placeCanvas() {}
    // A number field that takes Delete for its digits instead of deleting the selection.
    virtual bool keepsDeleteKey(const QWidget *focus) const;

    // --- shared steps ---
    void edit(const QString &description, const std::function<void()> &change);
    // The document was saved as it is now; whether it differs from the saved (or opened) one.
    void documentSaved() { m_history.markSaved(); }
    bool documentModified() const { return m_history.isModified(); }
    void loadDocument(const Layout &layout);
    void refresh();
    void select(const ItemRef &item);
    void deselect(bool fromAddButton);
    void showPanel();
    void disarm();
    void commitEditor();
    QString openFile(const QString &caption, const QString &folder, const QString &filter);
    QString saveFile(const QString &caption, const QString &folder, const QString &filter);
    // The side panel; the designers add their own controls to it.
    QVBoxLayout *panelLayout() const { return m_panelLayout; }

    void keyReleaseEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

    QString m_start;
    QString m_db;
    QString m_layoutFile;
    LayoutFamily m_family;
    Dialogs m_dialogs;
    DesignDocument m_document;
    DesignHistory m_history;
    DesignGeometry m_geometry;
    QList<ItemRef> m_selection;
    bool m_panelUpdating = false;

    DesignCanvas *m_canvas = nullptr;
    QWidget *pnSeite = nullptr;
    QGroupBox *gbAusrichtung = nullptr;
    QRadioButton *rdHoch = nullptr, *rdQuer = nullptr;
    QPushButton *btnTextfeld = nullptr, *btnFont = nullptr, *btnColor = nullptr, *btnBild = nullptr;
    QLabel *lbDatenverknuepfung = nullptr;
    QComboBox *cbxFeld1 = nullptr;
    QSpinBox *edHoehe = nullptr, *edBreite = nullptr;
    QCheckBox *chkSperre = nullptr, *chkRaster = nullptr, *chkPapier = nullptr;
    QPushButton *btnDrucken = nullptr, *btnSpeichern = nullptr, *btnAbbrechen = nullptr;
    QLineEdit *edText = nullptr;

private:
    friend class SelectTool;
    friend class AddItemTool;

    void buildControls();
    void afterHistoryStep();
    // The add tool for texts or pictures in hand (the button shows it is armed).
    void arm(ItemKind kind);
    void setTool(std::unique_ptr<DesignerTool> tool);
    void openEditor(int slot);
    void removeSelected();
    void bindSelected(int index);
    void resizeSelected(bool heightChanged);
    void setOrientation(bool portrait);
    void addItemAt(ItemKind kind, const QPoint &canvasPoint);
    void replacePicture(int slot);
    QString chooseBitmap();

    void canvasPress(QMouseEvent *event);
    void canvasMove(QMouseEvent *event);
    void canvasRelease(QMouseEvent *event);
    void canvasDoubleClick(QMouseEvent *event);

    QVBoxLayout *m_panelLayout = nullptr;
    std::unique_ptr<DesignerTool> m_tool; // what the canvas's mouse does now
    std::unique_ptr<DesignerTool> m_retired;
    int m_editing = 0;                    // the text item under the inline editor
};

} // namespace lobrix::layouts
