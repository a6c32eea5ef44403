#include "kit/window_host.h"

#include "kit/window_names.h"

#include <utility>

namespace tessaly {

bool runSignIn(WindowHost &host, Account &account, const QString &databasePath)
{
    Account *outer = std::exchange(host.m_signInAccount, &account);
    QString outerDatabase = std::exchange(host.m_signInDatabase, databasePath);
    host.showModal(kSignInDialog);
    host.m_signInAccount = outer;
    host.m_signInDatabase = std::move(outerDatabase);
    return !account.name.isEmpty() && host.session().denglu == account.name;
}

} // namespace tessaly
