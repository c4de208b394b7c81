#include "common/Clock.h"

namespace lobrix {

Clock::~Clock() = default;

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

const Clock &systemClock()
{
    static const SystemClock clock;
    return clock;
}

} // namespace lobrix
