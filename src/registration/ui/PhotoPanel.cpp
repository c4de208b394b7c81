#include "registration/ui/PhotoPanel.h"

#include "common/ImageFile.h"

#include <QImageReader>
#include <QPixmap>
#include <algorithm>

namespace lobrix::registration {

PhotoPanel::PhotoPanel(QWidget *parent) : QLabel(parent)
{
    setObjectName(QStringLiteral("pnFoto"));
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setAlignment(Qt::AlignCenter);
    resize(PanelSize, PanelSize);
    imgFoto = new QLabel(this);
    imgFoto->setObjectName(QStringLiteral("imgFoto"));
    imgFoto->setScaledContents(true);
    clear();
}

void PhotoPanel::clear()
{
    m_displayed = QImage();
    imgFoto->clear();
    imgFoto->hide();
    setText(QStringLiteral("[kein Foto]"));
}

bool PhotoPanel::hasPhoto() const
{
    return !imgFoto->isHidden();
}

bool PhotoPanel::load(const QString &path)
{
    clear();
    if (path.isEmpty())
        return false;
    const QImage picture = ImageFile::read(path);
    if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0)
        return false;
    const QRect place = FitPhoto(picture.size(), width());
    m_displayed = picture.scaled(place.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    imgFoto->setGeometry(place);
    imgFoto->setPixmap(QPixmap::fromImage(m_displayed));
    imgFoto->show();
    return true;
}

QRect PhotoPanel::FitPhoto(const QSize &picture, int panelSize)
{
    const int room = panelSize - 4;
    const double r = double(picture.height()) / picture.width();
    if (r < 1) {
        const int h = std::max(1, static_cast<int>(r * room));
        return QRect(2, (panelSize - h) / 2, room, h);
    }
    const int w = std::max(1, static_cast<int>(room / r));
    return QRect((panelSize - w) / 2, 2, w, room);
}

} // namespace lobrix::registration
