#pragma once
// "Today" for every date rule comes from an injectable source; only systemToday()
// asks the system clock.
#include <QDate>
#include <functional>

namespace tessaly {

using TodaySource = std::function<QDate()>;

// The system's current date.
QDate systemToday();

// A source that always gives the same day (tests, reproducible runs).
inline TodaySource fixedToday(QDate day)
{
    return [day] { return day; };
}

} // namespace tessaly
