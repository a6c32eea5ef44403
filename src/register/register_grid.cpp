#include "register/register_grid.h"

namespace tessaly::reg {

QStringList registerHeaders()
{
    QStringList headers = kRegisterGridFormat.split(u'|').mid(0, kColRemarks + 1);
    for (QString &h : headers) {
        if (h.startsWith(u'^') || h.startsWith(u'<') || h.startsWith(u'>'))
            h.remove(0, 1);
    }
    return headers;
}

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

namespace tessaly::reg {

QChar registerKeyRule(int col, QChar key, QString &text)
{
    switch (col) {
    case kColSex:
        if (text.isEmpty() || text == QStringLiteral("女"))
            text = QStringLiteral("男");
        else if (text == QStringLiteral("男"))
            text = QStringLiteral("女");
        return QChar();
    case kColBoarding:
        if (text.isEmpty() || text == kNo)
            text = kYes;
        else if (text == kYes)
            text = kNo;
        return QChar();
    case kColBirthDate:
    case kColPhone:
        if ((key >= QLatin1Char('0') && key <= QLatin1Char('9')) || key == QLatin1Char('/')
            || key == QLatin1Char('-') || key == QChar(8))
            return key;
        return QChar();
    default:
        return key;
    }
}

CellEditorConfig registerCellEditorConfig(std::function<bool()> signedIn)
{
    CellEditorConfig c;
    c.firstColumn = kColName;
    c.lastColumn = kColRemarks;
    c.mayEdit = std::move(signedIn);
    c.keyRule = registerKeyRule;
    c.moveKeys = CellEditorConfig::MoveArrows;
    c.commitOnScroll = true;
    c.rowStateColumn = kColRowState;
    c.changedState = kRowChanged;
    return c;
}

} // namespace tessaly::reg
