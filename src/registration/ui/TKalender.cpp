#include "registration/ui/TKalender.h"

#include <QAbstractButton>

#include "common/ui/Controls.h"

#include "common/Clock.h"
#include "common/TimeText.h"

#include <QDate>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <array>

namespace lobrix::registration {

namespace {

const std::array<QString, 12> MonthNames = {
    QStringLiteral("Januar"),    QStringLiteral("Februar"), QStringLiteral("März"),
    QStringLiteral("April"),     QStringLiteral("Mai"),     QStringLiteral("Juni"),
    QStringLiteral("Juli"),      QStringLiteral("August"),  QStringLiteral("September"),
    QStringLiteral("Oktober"),   QStringLiteral("November"), QStringLiteral("Dezember")};

struct Weekday {
    const char *name;
    const char *caption;
};
constexpr std::array<Weekday, 7> Weekdays = {{{"lbSo", "So"},
                                              {"lbMo", "Mo"},
                                              {"lbDi", "Di"},
                                              {"lbMi", "Mi"},
                                              {"lbDo", "Do"},
                                              {"lbFr", "Fr"},
                                              {"lbSa", "Sa"}}};

constexpr int Rows = 6;
constexpr int Columns = 7;
constexpr int CellWidth = 14;
constexpr int CellHeight = 13;
constexpr int HeadingTop = 29;
constexpr int ButtonSize = 22;

const QColor Teal(0, 128, 128);
const QColor Navy(0, 0, 128);

int columnLeft(int column)
{
    return 27 * column + 10;
}

QFont cellFont(bool bold)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(8);
    font.setBold(bold);
    return font;
}

using ui::setGround;

// A day cell's ink, and bold for today.
void setCellInk(QLabel *cell, const QColor &ink, bool bold)
{
    ui::setInk(cell, ink);
    cell->setFont(cellFont(bold));
}

} // namespace

TKalender::TKalender(const Clock &clock, QWidget *parent) : QDialog(parent), m_clock(clock)
{
    setObjectName(QStringLiteral("TKalender"));
    FormCreate();
}

void TKalender::FormCreate()
{
    setWindowTitle(QStringLiteral("Kalender"));
    setFixedSize(columnLeft(Columns - 1) + CellWidth + 10, 15 * (Rows - 1) + 45 + CellHeight + 8);
    setGround(this, Qt::white);

    connect(addButton("btnYearBack", QStringLiteral("<<"), 2), &QPushButton::clicked, this,
            &TKalender::btnYearBackClick);
    connect(addButton("btnMonthBack", QStringLiteral("<"), 2 + ButtonSize + 2),
            &QPushButton::clicked, this, &TKalender::btnMonthBackClick);
    connect(addButton("btnMonthForward", QStringLiteral(">"), width() - 2 * (ButtonSize + 2)),
            &QPushButton::clicked, this, &TKalender::btnMonthForwardClick);
    connect(addButton("btnYearForward", QStringLiteral(">>"), width() - (ButtonSize + 2)),
            &QPushButton::clicked, this, &TKalender::btnYearForwardClick);

    const int titleLeft = 2 * (ButtonSize + 2) + 2;
    m_title = ui::label(this, "pnTitel", QString());
    m_title->setAlignment(Qt::AlignCenter);
    m_title->setGeometry(titleLeft, 3, width() - 2 * titleLeft, ButtonSize);

    for (int c = 0; c < Columns; ++c) {
        QLabel *heading = ui::label(this, Weekdays[c].name, QString::fromLatin1(Weekdays[c].caption));
        heading->setAlignment(Qt::AlignCenter);
        heading->setFont(cellFont(false));
        heading->setGeometry(columnLeft(c), HeadingTop, CellWidth, CellHeight);
    }

    for (int r = 0; r < Rows; ++r) {
        for (int c = 0; c < Columns; ++c) {
            const QByteArray name = "lbTag" + QByteArray::number(r * Columns + c);
            QLabel *cell = ui::label(this, name.constData(), QString());
            cell->setGeometry(columnLeft(c), 15 * r + 45, CellWidth, CellHeight);
            cell->setAlignment(Qt::AlignCenter);
            setGround(cell, Qt::white);
            setCellInk(cell, Qt::black, false);
            cell->installEventFilter(this);
            m_cells.append(cell);
        }
    }

    // The month shown first is today's; afterwards only the navigation buttons change it.
    const QString today = CurrentDateText(m_clock);
    int year = today.mid(6).toInt();
    if (year < 100) // a two-digit year text
        year += 2000;
    showMonth(today.mid(3, 2).toInt(), year);
}

QPushButton *TKalender::addButton(const char *name, const QString &caption, int left)
{
    return ui::button(this, name, caption, QString(), QRect(left, 3, ButtonSize, ButtonSize));
}

TKalender::PickedDate TKalender::PickDate(const QPoint &screenPos)
{
    move(screenPos);
    exec();
    return {m_day, m_month, m_year};
}

bool TKalender::PickDateInto(const QWidget *button, QLineEdit *field)
{
    const QWidget *window = button->window();
    return WritePickedDate(PickDate(window->pos() + button->mapTo(window, QPoint(0, 0))), field);
}

void TKalender::connectButton(QAbstractButton *button, TKalender *calendar, QLineEdit *field,
                              std::function<void()> after)
{
    QObject::connect(button, &QAbstractButton::clicked, field, [button, calendar, field, after = std::move(after)] {
        if (calendar)
            calendar->PickDateInto(button, field);
        if (after)
            after();
    });
}

bool TKalender::WritePickedDate(const PickedDate &picked, QLineEdit *field)
{
    if (picked.day == 0)
        return false;
    field->setText(DateText(QDate(picked.year, picked.month, picked.day)));
    return true;
}

void TKalender::showEvent(QShowEvent *event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TKalender::FormShow()
{
    m_day = 0;
}

void TKalender::keyPressEvent(QKeyEvent *event)
{
    // Keys the buttons do not use (Escape among them) reach the dialog from there too.
    if (!FormKeyPress(event))
        QDialog::keyPressEvent(event);
}

bool TKalender::FormKeyPress(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Escape)
        return false;
    m_day = 0;
    reject();
    return true;
}

bool TKalender::eventFilter(QObject *watched, QEvent *event)
{
    auto *cell = qobject_cast<QLabel *>(watched);
    if (cell && m_cells.contains(cell)) {
        if (event->type() == QEvent::MouseButtonPress) {
            lbSoMouseDown(cell);
            return true;
        }
        if (event->type() == QEvent::MouseButtonDblClick) {
            lbSoDblClick(cell);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TKalender::btnYearBackClick()
{
    showMonth(m_month, m_year - 1);
}

void TKalender::btnMonthBackClick()
{
    if (m_month == 1)
        showMonth(12, m_year - 1);
    else
        showMonth(m_month - 1, m_year);
}

void TKalender::btnMonthForwardClick()
{
    if (m_month == 12)
        showMonth(1, m_year + 1);
    else
        showMonth(m_month + 1, m_year);
}

void TKalender::btnYearForwardClick()
{
    showMonth(m_month, m_year + 1);
}

void TKalender::showMonth(int month, int year)
{
    // A picked date must stay a DD.MM.YYYY text, so browsing stops at four-digit years.
    if (year < 1 || year > 9999)
        return;
    m_month = month;
    m_year = year;
    m_title->setText(MonthNames[month - 1] + QLatin1Char(' ') + QString::number(year));
    fillGrid();
}

void TKalender::fillGrid()
{
    for (QLabel *cell : std::as_const(m_cells))
        cell->hide();
    const QDate first(m_year, m_month, 1);
    m_firstColumn = first.dayOfWeek() % 7; // Qt counts Monday 1 .. Sunday 7
    for (int day = 1; day <= first.daysInMonth(); ++day) {
        QLabel *cell = m_cells[m_firstColumn + day - 1];
        cell->setText(QString::number(day));
        cell->show();
    }
    // The selection ground stays where it was; text on it is white to remain legible.
    const int today = todayCell();
    for (int i = 0; i < m_cells.size(); ++i) {
        if (i == today)
            setCellInk(m_cells[i], Teal, true);
        else
            setCellInk(m_cells[i], i == m_selected ? Qt::white : Qt::black, false);
    }
}

int TKalender::todayCell() const
{
    const QDate today = m_clock.now().date();
    if (today.year() != m_year || today.month() != m_month)
        return -1;
    return m_firstColumn + today.day() - 1;
}

void TKalender::lbSoMouseDown(QLabel *cell)
{
    const int today = todayCell();
    for (int i = 0; i < m_cells.size(); ++i) {
        setGround(m_cells[i], Qt::white);
        setCellInk(m_cells[i], i == today ? Teal : QColor(Qt::black), i == today);
    }
    m_selected = static_cast<int>(m_cells.indexOf(cell));
    setGround(cell, Navy);
    setCellInk(cell, m_selected == today ? Teal : QColor(Qt::white), false);
}

void TKalender::lbSoDblClick(QLabel *cell)
{
    m_day = cell->text().toInt();
    accept();
}

} // namespace lobrix::registration
