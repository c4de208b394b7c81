#pragma once
// "Besucherschein erstellen": the installation's one visitor sheet layout on a page of
// A4 proportions, zoomed (200, 100, 50, 25 %), with a snapping raster whose step is kept
// in the layout file, position fields and arrow keys, 200 items of each kind. Every
// edit reaches the working copy tmpQuittung.ini at once; saving writes it back into the
// layout file without a dialog. Positions and sizes go through the zoom with
// truncation, as the canvas shows them.
#include "layouts/ui/LayoutDesigner.h"

class QScrollArea;

namespace lobrix::layouts {

class TQuittungDesign : public LayoutDesigner {
    Q_OBJECT
public:
    TQuittungDesign(QString startFolder, QString databaseFolder, QWidget *parent = nullptr);

    // Menu "Besucher&schein": the opening steps, then the window maximised and modal.
    void Besucherschein1Click();
    void prepare() override;

    QString workingCopy() const override;
    void btnSpeichernClick() override;

    double zoom() const { return m_geometry.zoom; }

protected:
    QPoint storedPosition(const QPoint &canvasPoint) const override;
    QString newTextFace() const override;
    int shownEdge(int stored) const override;
    int storedEdge(int shown) const override;
    int storedFontSize(int chosen) const override;
    bool dragsOnlySelected() const override { return true; }
    void edited() override;
    void turnDocument(bool portrait, const QPoint &oldOffset) override;
    void selectionShown() override;
    void writeCanvas() override;
    void placeCanvas() override;
    bool keepsDeleteKey(const QWidget *focus) const override;

    void done(int result) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void zoomChosen();
    void positionChanged();
    void writeWorkingCopy();

    bool m_open = false; // the layout file is open: closing writes the raster step
    QScrollArea *sbZeichenflaeche = nullptr;
    QComboBox *cbxZoom = nullptr;
    QSpinBox *edLeft = nullptr, *edTop = nullptr, *edRaster = nullptr;
};

} // namespace lobrix::layouts
