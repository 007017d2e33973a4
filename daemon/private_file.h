#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace vesket::daemon {

// Files and directories of the daemon that only its account may read: files 0600,
// directories 0700, whatever the umask says. A file is written whole or not at all.
namespace PrivateFile {

// Writes `bytes` to `path` through a temporary file beside it that is renamed over it.
// On failure nothing new is left behind (an old file stays as it was) and the reason is
// returned; nothing on success.
std::optional<QString> write(const QString& path, const QByteArray& bytes);

// Creates the directory and its missing parents; the directory itself is set to 0700.
// The reason on failure.
std::optional<QString> makeDirectory(const QString& path);

// Sets an existing file or directory to 0600 or 0700 (for files an older version created
// with looser modes); false when it could not.
bool restrict(const QString& path);

}  // namespace PrivateFile
}  // namespace vesket::daemon
