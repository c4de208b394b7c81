#include "shell/ui/ClockBox.h"

#include "common/Clock.h"

#include <QActionGroup>
#include <QColorDialog>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>

namespace lobrix::shell
{

ClockBox::ClockBox(const Clock &clock, QWidget *parent) : QWidget(parent), m_clock(clock)
{
    setObjectName(QStringLiteral("pbxUhr"));
    setToolTip(QStringLiteral("mit rechter Maustaste Eigenschaften verändern"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(150, 150);
    buildMenu();
    setOptions(ClockOptions());
}

QAction *ClockBox::addItem(QMenu *menu, QActionGroup *group, const char *name,
                           const QString &caption)
{
    QAction *item = menu->addAction(caption);
    item->setObjectName(QLatin1String(name));
    item->setCheckable(true);
    group->addAction(item);
    return item;
}

void ClockBox::buildMenu()
{
    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("popUhr"));

    const auto submenu = [this](const char *name, const QString &caption) {
        QMenu *menu = m_popup->addMenu(caption);
        menu->setObjectName(QLatin1String(name));
        menu->menuAction()->setObjectName(QLatin1String(name));
        return menu;
    };
    const auto group = [this] { return new QActionGroup(this); }; // exclusive: one checked

    QMenu *hours = submenu("Stundenteilung1", QStringLiteral("Stundenteilung"));
    QActionGroup *hourGroup = group();
    m_hourStrokes = addItem(hours, hourGroup, "Strich1", QStringLiteral("Strich"));
    m_hourDots = addItem(hours, hourGroup, "Punkt1", QStringLiteral("Punkt"));
    connect(hourGroup, &QActionGroup::triggered, this, &ClockBox::choiceClick);

    QMenu *minutes = submenu("Minutenteilung1", QStringLiteral("Minutenteilung"));
    QActionGroup *minuteGroup = group();
    m_minuteStrokes = addItem(minutes, minuteGroup, "Strich2", QStringLiteral("Strich"));
    m_minuteDots = addItem(minutes, minuteGroup, "Punkt2", QStringLiteral("Punkt"));
    connect(minuteGroup, &QActionGroup::triggered, this, &ClockBox::choiceClick);

    QMenu *sizes = submenu("Grsse1", QStringLiteral("Grösse"));
    QActionGroup *sizeGroup = group();
    static constexpr const char *SizeNames[] = {"N11", "N21", "N31", "N41", "N51"};
    for (int i = 0; i < 5; ++i)
        m_sizes[i] = addItem(sizes, sizeGroup, SizeNames[i], QString::number(i + 1));
    connect(sizeGroup, &QActionGroup::triggered, this, &ClockBox::choiceClick);

    QAction *colour = m_popup->addAction(QStringLiteral("Farbe"));
    colour->setObjectName(QStringLiteral("Farbe1"));
    connect(colour, &QAction::triggered, this, &ClockBox::Farbe1Click);
}

void ClockBox::setOptions(const ClockOptions &options)
{
    (options.hourStrokes ? m_hourStrokes : m_hourDots)->setChecked(true);
    (options.minuteStrokes ? m_minuteStrokes : m_minuteDots)->setChecked(true);
    m_sizes[ClockOptions::validStep(options.sizeStep) - 1]->setChecked(true);
    m_colour = options.colour & 0xFFFFFF;
}

ClockOptions ClockBox::options() const
{
    ClockOptions options;
    options.hourStrokes = m_hourStrokes->isChecked();
    options.minuteStrokes = m_minuteStrokes->isChecked();
    for (int i = 0; i < 5; ++i) {
        if (m_sizes[i]->isChecked())
            options.sizeStep = i + 1;
    }
    options.colour = m_colour;
    return options;
}

void ClockBox::PaintClock()
{
    tick(m_clock.now().time());
}

void ClockBox::tick(const QTime &time)
{
    placeBox();
    if (m_canvas.size() != size()) {
        // A resized box starts blank, as the window behind it shows through.
        m_canvas = QImage(size(), QImage::Format_RGB32);
        m_canvas.fill(background());
    }
    QPainter painter(&m_canvas);
    m_face.paint(painter, options(), size(), time, background());
    painter.end();
    update();
}

void ClockBox::placeBox()
{
    const int side = ClockFace::boxSide(options().sizeStep);
    QRect box(pos(), QSize(side, side));
    if (m_arrivalButton && parentWidget())
        box.moveTopLeft(
            ClockFace::boxPosition(parentWidget()->width(), m_arrivalButton->geometry(), side));
    const bool resized = box.size() != size();
    if (box != geometry())
        setGeometry(box);
    if (resized)
        emit boxResized(side);
}

void ClockBox::clearBox()
{
    m_canvas.fill(background());
}

QColor ClockBox::background() const
{
    return palette().color(backgroundRole());
}

void ClockBox::choiceClick()
{
    // A new size takes effect in the paint itself.
    clearBox();
    PaintClock();
}

void ClockBox::Farbe1Click()
{
    QColorDialog dialog(ClockOptions::colorOf(m_colour), this);
    // The next tick draws with the new colour.
    if (dialog.exec() == QDialog::Accepted)
        m_colour = ClockOptions::valueOf(dialog.selectedColor());
}

void ClockBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_canvas.size() == size())
        painter.drawImage(0, 0, m_canvas);
    else
        painter.fillRect(rect(), background());
}

void ClockBox::contextMenuEvent(QContextMenuEvent *event)
{
    m_popup->popup(event->globalPos());
}

} // namespace lobrix::shell
