#pragma once
// The drawing area of the layout designers: the card or page on a grey ground with its
// shadow, an optional dot raster, and the layout's items drawn by the renderer that
// prints them, at the canvas scale. Selected texts lie on silver, selected pictures get
// a dashed frame. Mouse input goes to the designer that owns the canvas.
#include "layouts/DesignDocument.h"
#include "layouts/DesignGeometry.h"
#include "layouts/RenderStep.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QWidget>

#include <functional>
#include <optional>

namespace lobrix::layouts {

class DesignCanvas : public QWidget {
    Q_OBJECT
public:
    explicit DesignCanvas(QWidget *parent = nullptr);

    // What is shown; the canvas keeps pointers, the designer keeps the objects.
    void setDocument(const DesignDocument *document) { m_document = document; }
    void setGeometryModel(const DesignGeometry &geometry);
    const DesignGeometry &geometryModel() const { return m_geometry; }
    void setImagesFolder(const QString &folder) { m_imagesFolder = folder; }
    void setSelection(const QList<ItemRef> &selection) { m_selection = selection; }
    void setRaster(bool shown) { m_raster = shown; }
    // The canvas's "H" height over the layout's FontScale: badge texts shrink or grow by it.
    void setFontFactor(double factor) { m_fontFactor = factor; }
    // How the two designers draw: the badge a white card with rounded corners and a fixed
    // dot raster; the sheet a light grey page, dots on the snapping raster and text sizes
    // zoomed with the page.
    struct Style {
        QColor page = Qt::white;
        bool roundedCorners = true;
        bool stepRaster = false;
        bool zoomFonts = false;
        int frameLead = 2; // a selected picture's frame starts this far before it
    };
    void setStyle(const Style &style) { m_style = style; }

    // The item under a canvas point, the one drawn last first.
    std::optional<ItemRef> itemAt(const QPoint &point) const;
    // Where an item lies on the canvas.
    QRect itemRect(const ItemRef &item) const;

    // Bitmaps are read once and kept while the designer is open; a new opening reads
    // them again (a file may have been replaced meanwhile).
    void clearImageCache() { m_images.clear(); }

    struct Mouse {
        std::function<void(QMouseEvent *)> press, move, release, doubleClick;
    };
    void setMouse(Mouse mouse) { m_mouse = std::move(mouse); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QList<RenderStep> steps() const;
    void paintCard(QPainter &painter) const;

    const DesignDocument *m_document = nullptr;
    DesignGeometry m_geometry;
    QString m_imagesFolder;
    QList<ItemRef> m_selection;
    bool m_raster = false;
    Style m_style;
    double m_fontFactor = 1.0;
    Mouse m_mouse;
    mutable QHash<QString, QImage> m_images;
};

} // namespace lobrix::layouts
