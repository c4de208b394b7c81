#pragma once
// The month calendar behind every calendar button. It is created once and keeps the month
// it last displayed; each opening starts with nothing picked.
//
// Day cells are QLabels named "lbTag0" .. "lbTag41" (row r, column c is number 7*r + c,
// Sunday in column 0); the weekday headings are "lbSo" .. "lbSa" and the month title is
// "pnTitel".
#include <QDialog>
#include <QList>

#include <functional>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QPushButton;

namespace lobrix {
class Clock;
}

namespace lobrix::registration {

class TKalender : public QDialog {
    Q_OBJECT
public:
    // day is 0 when the picker was closed without a choice.
    struct PickedDate {
        int day = 0;
        int month = 0;
        int year = 0;
    };

    explicit TKalender(const Clock &clock, QWidget *parent = nullptr);

    // Shows the picker modally with its top left corner at screenPos.
    PickedDate PickDate(const QPoint &screenPos);
    // The calendar button's pattern: picker at the button's position within its window plus
    // the window's position; a picked date goes into field as DD.MM.YYYY, otherwise the field
    // keeps its text. Returns whether a date was written.
    bool PickDateInto(const QWidget *button, QLineEdit *field);
    // Wires a window's calendar button to its date field: a click picks a date into the
    // field (nothing without a calendar), then `after` runs (a list read again).
    static void connectButton(QAbstractButton *button, TKalender *calendar, QLineEdit *field,
                              std::function<void()> after = {});
    static bool WritePickedDate(const PickedDate &picked, QLineEdit *field);

    int displayedMonth() const { return m_month; }
    int displayedYear() const { return m_year; }

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    bool FormKeyPress(QKeyEvent *event);
    void btnYearBackClick();
    void btnMonthBackClick();
    void btnMonthForwardClick();
    void btnYearForwardClick();
    void lbSoMouseDown(QLabel *cell);
    void lbSoDblClick(QLabel *cell);

    void showMonth(int month, int year);
    void fillGrid();
    int todayCell() const;
    QPushButton *addButton(const char *name, const QString &caption, int left);

    const Clock &m_clock;
    int m_month = 1;
    int m_year = 2000;
    int m_day = 0;
    int m_firstColumn = 0; // column of day 1 in the displayed month
    int m_selected = -1;   // cell carrying the selection ground
    QLabel *m_title = nullptr;
    QList<QLabel *> m_cells;
};

} // namespace lobrix::registration
