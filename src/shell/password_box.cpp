#include "shell/password_box.h"

#include <QLineEdit>

namespace tessaly {

void makePasswordBox(QLineEdit *box)
{
    box->setEchoMode(QLineEdit::Password);
    box->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));   // '*'

    box->setAttribute(Qt::WA_InputMethodEnabled, false);
    box->setInputMethodHints(Qt::ImhHiddenText | Qt::ImhSensitiveData | Qt::ImhNoPredictiveText
                             | Qt::ImhNoAutoUppercase | Qt::ImhLatinOnly);
    box->setMaxLength(kPasswordBoxLength);
}

} // namespace tessaly
