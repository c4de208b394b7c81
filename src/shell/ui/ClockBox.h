#pragma once
// The main window's clock, the paint box `pbxUhr` with its popup menu `popUhr`. The main
// window's timer calls PaintClock on every tick; the box draws onto a canvas of its own
// that keeps what earlier ticks drew, and shows that canvas whenever it is exposed.
//
// Menu items (QAction objectNames): "Strich1"/"Punkt1" (hour marks), "Strich2"/"Punkt2"
// (minute marks), "N11" .. "N51" (size steps 1..5), "Farbe1" (colour dialog); the
// submenus are the QMenus "Stundenteilung1", "Minutenteilung1" and "Grsse1".
#include "shell/ClockFace.h"
#include "shell/ClockOptions.h"

#include <QImage>
#include <QWidget>
#include <array>

class QAction;
class QActionGroup;
class QMenu;

namespace lobrix
{
class Clock;
}

namespace lobrix {
class IniFile;
}

namespace lobrix::shell
{


class ClockBox : public QWidget
{
    Q_OBJECT
public:
    explicit ClockBox(const Clock &clock, QWidget *parent = nullptr);

    // Sets the check marks and the colour (program start).
    void setOptions(const ClockOptions &options);
    // The options as the menu's check marks and the colour stand now.
    ClockOptions options() const;
    void readSettings(const IniFile &settings) { setOptions(ClockOptions::read(settings)); }
    // For the main window's close handler.
    void writeSettings(IniFile &settings) const { options().write(settings); }

    // With the arrival button known (a sibling of the box), every paint also places the
    // box by the main window's layout rule. Without it the box only resizes itself.
    void setArrivalButton(const QWidget *button) { m_arrivalButton = button; }

    // One tick at the clock's current time.
    void PaintClock();
    // One tick at `time`: sizes and places the box, then draws.
    void tick(const QTime &time);

    QMenu *popUhr() const { return m_popup; }
    const QImage &canvas() const { return m_canvas; }

signals:
    // The box got a new side length; the main window lays out again.
    void boxResized(int side);

protected:
    void paintEvent(QPaintEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void buildMenu();
    QAction *addItem(QMenu *menu, QActionGroup *group, const char *name, const QString &caption);
    // Marks or size chosen: clear the box and paint at once.
    void choiceClick();
    void Farbe1Click();

    void placeBox();
    void clearBox();
    QColor background() const;

    const Clock &m_clock;
    const QWidget *m_arrivalButton = nullptr;
    ClockFace m_face;
    QImage m_canvas;
    int m_colour = 0;

    QMenu *m_popup = nullptr;
    QAction *m_hourStrokes = nullptr;
    QAction *m_hourDots = nullptr;
    QAction *m_minuteStrokes = nullptr;
    QAction *m_minuteDots = nullptr;
    std::array<QAction *, 5> m_sizes{};
};

} // namespace lobrix::shell
