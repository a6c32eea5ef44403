#include "register/register_grid.h"

namespace tessaly::reg {

QString boardingText(const QVariant &stored)
{
    if (stored.isNull())
        return kNo;
    bool isNumber = false;
    const double value = stored.toDouble(&isNumber);
    if (isNumber)
        return value != 0 ? kYes : kNo;
    return stored.toString().trimmed() == kYes ? kYes : kNo;
}

int boardingValue(const QString &shown)
{
    return shown.trimmed() == kYes ? 1 : 0;
}

} // namespace tessaly::reg
