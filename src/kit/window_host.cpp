#include "kit/window_host.h"

#include "kit/window_names.h"

namespace tessaly {

bool runSignIn(WindowHost &host)
{
    host.showModal(kSignInDialog);
    return host.session().isSignedIn();
}

} // namespace tessaly
