#include "kit/window_host.h"

#include "kit/window_names.h"

#include <utility>

namespace tessaly {

bool runSignIn(WindowHost &host, Account &account)
{
    Account *outer = std::exchange(host.m_signInAccount, &account);
    host.showModal(kSignInDialog);
    host.m_signInAccount = outer;
    return !account.name.isEmpty() && host.session().denglu == account.name;
}

} // namespace tessaly
