#pragma once
// The analogue clock of the main window: its geometry and its drawing onto any
// QPainter. The clock draws onto a canvas that keeps what was drawn before, so a tick
// only paints over the hands of the previous tick instead of clearing the face; this
// class remembers those previous angles.
//
// Angles are radians in single precision; a hand with angle a points to (cos a, sin a)
// with y growing downwards, so 0 is three o'clock and -pi/2 twelve o'clock. The
// arithmetic keeps the single-precision constants of the clock the clerks know (pi as
// 3.14159f, the hands' 2pi as 6.28318f, 0.00833333 rad per minute for the hour hand), so
// the hands land on the same pixels.
#include <QColor>
#include <QLineF>
#include <QPoint>
#include <QSize>
#include <vector>

class QPainter;
class QRect;
class QTime;

namespace lobrix::shell
{

struct ClockOptions;

struct ClockAngles {
    float hour = 0;
    float minute = 0;
    float second = 0;
};

// Centre, radius and lengths of a clock drawn in a box of a given size.
struct ClockGeometry {
    int centreX = 0;
    int centreY = 0;
    int radius = 0;

    int hourHandLength() const { return radius - 23; }
    int handLength() const { return radius - 3; } // minute and second hand
    double tailLength() const { return (radius - 3) * 0.2; }
};

// One mark: where it sits on the circle and, for a stroke, where the stroke ends.
// Coordinates are exact; they are cut to whole pixels when drawn.
struct ClockMark {
    QPointF inner;
    QPointF outer;
};

class ClockFace
{
public:
    static constexpr float Pi = 3.14159f;
    static constexpr int MinuteMarkLength = 5;
    static constexpr int HourMarkLength = 10;
    static constexpr int MarkShadowOffset = 2;
    static constexpr int HandShadowOffset = 7; // hour and minute hand
    static constexpr int SecondShadowOffset = 5;
    static constexpr int MinuteMarkPenWidth = 1;
    static constexpr int HourMarkPenWidth = 3;
    static constexpr int HandPenWidth = 2;
    static constexpr int SecondPenWidth = 1;
    static const QColor Shadow; // silver

    // Side of the square box for a size step (1..5; other values count as step 2).
    static int boxSide(int sizeStep);
    // Top left corner of the box: centred horizontally in the client area, and
    // vertically around the middle between the top and the lower part of the arrival
    // button.
    static QPoint boxPosition(int clientWidth, const QRect &arrivalButton, int side);

    static ClockGeometry geometry(const QSize &box);
    static ClockAngles angles(const QTime &time);
    static std::vector<ClockMark> minuteMarks(const ClockGeometry &g);
    static std::vector<ClockMark> hourMarks(const ClockGeometry &g);

    // The lines of a hour or minute hand: a fan of 18 lines from points across the
    // centre to the tip, and the same towards the tail, tip line and tail line taking
    // turns.
    static std::vector<QLineF> handLines(const ClockGeometry &g, float angle, int length);
    static QLineF secondHandLine(const ClockGeometry &g, float angle);

    // Whether a tick has to wipe the hour and minute hands of the previous tick: at the
    // start of a minute, and whenever they have moved since, so that a start of a minute
    // that no tick saw (the program was busy) leaves no stale hands behind.
    static bool erasesHourAndMinute(const ClockAngles &now, const ClockAngles &previous);

    // Draws one tick: the marks, the wiping of the previous hands in `background`, the
    // hands at `time` with their shadows. The painter's device must still hold what the
    // previous tick drew.
    void paint(QPainter &painter, const ClockOptions &options, const QSize &box, const QTime &time,
               const QColor &background);

    const ClockAngles &previous() const { return m_previous; }

private:
    ClockAngles m_previous; // all 0 before the first tick
};

} // namespace lobrix::shell
