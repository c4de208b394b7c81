#include "shell/ClockFace.h"

#include "shell/ClockOptions.h"

#include <QPainter>
#include <QRect>
#include <QTime>
#include <array>
#include <cmath>

namespace lobrix::shell
{

const QColor ClockFace::Shadow(192, 192, 192);

namespace
{

constexpr std::array<int, 5> BoxSides{150, 175, 225, 250, 300};
constexpr float HandTurn = 6.28318f; // 2pi as the hands use it
constexpr float HourPerMinute = 0.00833333f;

// Pixels are cut towards zero just before drawing, never earlier.
int cut(double v)
{
    return static_cast<int>(v);
}

QLine cutLine(const QLineF &line, int down)
{
    return QLine(cut(line.x1()), cut(line.y1() + down), cut(line.x2()), cut(line.y2() + down));
}

// `count` marks around the circle, the angle summed up in single precision. After the
// last step the sum still lies a hair below 2pi, so a loop bounded by the angle alone
// would draw the first mark a second time, one pixel off; the count bounds it.
std::vector<ClockMark> marks(const ClockGeometry &g, int count, int strokeLength)
{
    const float step = ClockFace::Pi * (1.0f / (count / 2));
    std::vector<ClockMark> result;
    result.reserve(count);
    float b = 0;
    for (int i = 0; i < count; ++i, b = b + step) {
        const float t = b - ClockFace::Pi * 0.5f;
        const double sinT = std::sin(double(t));
        const double cosT = std::cos(double(t));
        const double r = g.radius;
        const double outer = g.radius + strokeLength;
        result.push_back({QPointF(g.centreX + sinT * r, g.centreY + cosT * r),
                          QPointF(g.centreX + sinT * outer, g.centreY + cosT * outer)});
    }
    return result;
}

QPen pen(const QColor &color, int width)
{
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void drawMarks(QPainter &painter, const std::vector<ClockMark> &marks, bool strokes, int width,
               const QColor &ink)
{
    const int down = ClockFace::MarkShadowOffset;
    for (const ClockMark &mark : marks) {
        const double x = mark.inner.x();
        const double y = mark.inner.y();
        for (const bool shadow : {true, false}) {
            const QColor &color = shadow ? ClockFace::Shadow : ink;
            const int dy = shadow ? down : 0;
            painter.setPen(pen(color, width));
            if (strokes) {
                painter.drawLine(cutLine(QLineF(mark.inner, mark.outer), dy));
            } else {
                // A dot is the ellipse in the box from (x, y) to (x + 2, y + 2).
                painter.setBrush(color);
                const int left = cut(x);
                const int top = cut(y + dy);
                painter.drawEllipse(QRect(left, top, cut(x + 2) - left, cut(y + dy + 2) - top));
            }
        }
    }
}

void drawLines(QPainter &painter, const std::vector<QLineF> &lines, const QColor &color, int width,
               int down)
{
    painter.setPen(pen(color, width));
    for (const QLineF &line : lines)
        painter.drawLine(cutLine(line, down));
}

// A hour or minute hand: the shadow first, then the hand over it.
void drawHand(QPainter &painter, const ClockGeometry &g, float angle, int length,
              const QColor &shadow, const QColor &ink)
{
    const std::vector<QLineF> lines = ClockFace::handLines(g, angle, length);
    drawLines(painter, lines, shadow, ClockFace::HandPenWidth, ClockFace::HandShadowOffset);
    drawLines(painter, lines, ink, ClockFace::HandPenWidth, 0);
}

void drawSecondHand(QPainter &painter, const ClockGeometry &g, float angle, const QColor &shadow,
                    const QColor &ink)
{
    const std::vector<QLineF> line{ClockFace::secondHandLine(g, angle)};
    drawLines(painter, line, shadow, ClockFace::SecondPenWidth, ClockFace::SecondShadowOffset);
    drawLines(painter, line, ink, ClockFace::SecondPenWidth, 0);
}

} // namespace

int ClockFace::boxSide(int sizeStep)
{
    return BoxSides[ClockOptions::validStep(sizeStep) - 1];
}

QPoint ClockFace::boxPosition(int clientWidth, const QRect &arrivalButton, int side)
{
    return QPoint(clientWidth / 2 - side / 2,
                  (arrivalButton.top() + arrivalButton.height() - 32) / 2 - side / 2);
}

ClockGeometry ClockFace::geometry(const QSize &box)
{
    return {box.width() / 2, box.height() / 2, box.height() / 2 - 10};
}

ClockAngles ClockFace::angles(const QTime &time)
{
    const int h = time.hour();
    const int m = time.minute();
    const int s = time.second();
    ClockAngles a;
    a.hour = (HandTurn * (1.0f / 12.0f)) * h - Pi * 0.5f;
    a.hour = a.hour + m * HourPerMinute;
    a.minute = (HandTurn * (1.0f / 60.0f)) * m - Pi * 0.5f;
    a.second = (HandTurn * (1.0f / 60.0f)) * s - Pi * 0.5f;
    return a;
}

std::vector<ClockMark> ClockFace::minuteMarks(const ClockGeometry &g)
{
    return marks(g, 60, MinuteMarkLength);
}

std::vector<ClockMark> ClockFace::hourMarks(const ClockGeometry &g)
{
    return marks(g, 12, HourMarkLength);
}

std::vector<QLineF> ClockFace::handLines(const ClockGeometry &g, float angle, int length)
{
    const float tailAngle = angle - Pi;
    const double sinA = std::sin(double(angle));
    const double cosA = std::cos(double(angle));
    const double sinT = std::sin(double(tailAngle));
    const double cosT = std::cos(double(tailAngle));
    const double tail = g.tailLength();
    const double cx = g.centreX;
    const double cy = g.centreY;
    const QPointF tip(cx + cosA * length, cy + sinA * length);
    const QPointF tailTip(cx + cosT * tail, cy + sinT * tail);

    std::vector<QLineF> lines;
    lines.reserve(36);
    for (float w = -4.0f; w < 5; w += 0.5f) {
        lines.emplace_back(QPointF(cx - sinA * w, cy + cosA * w), tip);
        lines.emplace_back(QPointF(cx - sinT * w, cy + cosT * w), tailTip);
    }
    return lines;
}

QLineF ClockFace::secondHandLine(const ClockGeometry &g, float angle)
{
    const double length = g.handLength();
    return QLineF(g.centreX, g.centreY, g.centreX + std::cos(double(angle)) * length,
                  g.centreY + std::sin(double(angle)) * length);
}

bool ClockFace::erasesHourAndMinute(const ClockAngles &now, const ClockAngles &previous)
{
    const bool minuteStarts = std::sin(double(Pi * 0.5f + now.second)) == 0.0;
    return minuteStarts || now.hour != previous.hour || now.minute != previous.minute;
}

void ClockFace::paint(QPainter &painter, const ClockOptions &options, const QSize &box,
                      const QTime &time, const QColor &background)
{
    const ClockGeometry g = geometry(box);
    const ClockAngles now = angles(time);
    const QColor ink = options.color();

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    drawMarks(painter, minuteMarks(g), options.minuteStrokes, MinuteMarkPenWidth, ink);
    drawMarks(painter, hourMarks(g), options.hourStrokes, HourMarkPenWidth, ink);

    if (erasesHourAndMinute(now, m_previous)) {
        drawHand(painter, g, m_previous.hour, g.hourHandLength(), background, background);
        drawHand(painter, g, m_previous.minute, g.handLength(), background, background);
    }
    drawSecondHand(painter, g, m_previous.second, background, background);

    drawHand(painter, g, now.hour, g.hourHandLength(), Shadow, ink);
    drawHand(painter, g, now.minute, g.handLength(), Shadow, ink);
    drawSecondHand(painter, g, now.second, Shadow, ink);
    painter.restore();

    m_previous = now;
}

} // namespace lobrix::shell
