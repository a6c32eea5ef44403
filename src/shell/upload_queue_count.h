#pragma once
// How many changes wait in the upload queue (上传表) of the local database, for
// the main window's status bar.
#include <QString>
#include <optional>

namespace tessaly {

// The queue's row count in the database file at localPath; nullopt when the file
// or its queue cannot be read.
std::optional<int> pendingUploadCount(const QString &localPath);

} // namespace tessaly
