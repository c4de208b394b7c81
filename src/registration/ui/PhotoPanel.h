#pragma once
// The photo of the visit form: the panel pnFoto, which reads "[kein Foto]" while no photo
// is shown, and the picture imgFoto fitted into it with its own proportions.
#include <QImage>
#include <QLabel>
#include <QRect>

namespace lobrix::registration {

class PhotoPanel : public QLabel {
    Q_OBJECT
public:
    static constexpr int PanelSize = 110;

    explicit PhotoPanel(QWidget *parent = nullptr);

    // Shows the picture of the file; a file that cannot be read as a picture leaves the
    // photo hidden. True when the photo is shown.
    bool load(const QString &path);
    void clear();

    bool hasPhoto() const;
    // The photo as it is displayed (fitted), for printing; null when none is shown.
    QImage displayed() const { return m_displayed; }

    // Where a picture of the size goes in the panel: 2 pixels inside its edges, the longer
    // side filling the room, the shorter one following the proportions (rounded down)
    // and centred.
    static QRect FitPhoto(const QSize &picture, int panelSize = PanelSize);

private:
    QLabel *imgFoto = nullptr;
    QImage m_displayed;
};

} // namespace lobrix::registration
