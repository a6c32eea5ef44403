#include "os/clock.h"

namespace tessaly {

QDate systemToday()
{
    return QDate::currentDate();
}

} // namespace tessaly
