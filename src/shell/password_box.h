#pragma once
// Password boxes: characters shown as '*', input method off (half-width only).
class QLineEdit;

namespace tessaly {

void makePasswordBox(QLineEdit *box, int maxLength = 0);

} // namespace tessaly
