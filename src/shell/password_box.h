#pragma once
// Password boxes of the sign-in dialog and the password change: characters
// shown as '*', input method off (half-width only), at most 8 characters, so a
// password typed the same way in either box is the same text.
class QLineEdit;

namespace tessaly {

inline constexpr int kPasswordBoxLength = 8;

void makePasswordBox(QLineEdit *box);

} // namespace tessaly
