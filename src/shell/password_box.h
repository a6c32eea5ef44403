#pragma once
// Password boxes of the sign-in dialog and the password change: characters
// shown as '*', input method off (half-width only), at most 8 characters, so a
// password typed the same way in either box is the same text. Every password
// the rule lets a box set (password_list.h, 6 GBK bytes) fits, and so do the
// passwords of up to 8 characters that were set before the rule.
class QLineEdit;

namespace tessaly {

inline constexpr int kPasswordBoxLength = 8;

void makePasswordBox(QLineEdit *box);

} // namespace tessaly
