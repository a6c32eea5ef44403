#include "shell/upload_queue_count.h"

#include "platform/database.h"
#include "shell/server_transfer.h"

namespace tessaly {

std::optional<int> pendingUploadCount(const QString &localPath)
{
    db::Connection local(localPath);
    if (!local.ok())
        return std::nullopt;
    const int n = queuedRowCount(local);
    if (n < 0)
        return std::nullopt;
    return n;
}

} // namespace tessaly
