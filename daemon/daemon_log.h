#pragma once

#include <QString>

namespace vesket::daemon {

// The daemon's log file. Installed once by the serving daemon: from then on every qInfo,
// qWarning and qCritical of the process is appended to the file as one line with a UTC
// time stamp (and still written to standard error when that is a terminal). A log grown
// past 16 MiB is moved aside to "<file>.1" when the daemon starts.
namespace DaemonLog {

// Opens (creating the directory) and installs the handler; false when the file cannot be
// opened, in which case messages keep going to standard error.
bool install(const QString& path);

}  // namespace DaemonLog
}  // namespace vesket::daemon
