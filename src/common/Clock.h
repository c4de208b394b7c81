#pragma once
// Where services read the current local date and time. Services take a Clock so that
// tests can run them at a fixed moment.
#include <QDateTime>

namespace lobrix {

class Clock {
public:
    virtual ~Clock();
    virtual QDateTime now() const = 0;
};

// The machine's local time.
class SystemClock : public Clock {
public:
    QDateTime now() const override;
};

// A clock that stands still until it is set or moved on.
class FixedClock : public Clock {
public:
    explicit FixedClock(const QDateTime &moment = QDateTime()) : m_now(moment) {}
    QDateTime now() const override { return m_now; }
    void set(const QDateTime &moment) { m_now = moment; }
    void advance(qint64 seconds) { m_now = m_now.addSecs(seconds); }
    void advanceDays(qint64 days) { m_now = m_now.addDays(days); }

private:
    QDateTime m_now;
};

// The one system clock of the program.
const Clock &systemClock();

} // namespace lobrix
