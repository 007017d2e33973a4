#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

#include "maintenance/core/crash_report_core.h"

namespace vesket::shell {
class SettingsStore;
struct DateSettingKey;
}  // namespace vesket::shell

namespace vesket::maintenance {

// Collects diagnostic records into the spool <product home>/crashes, one JSON file each,
// while the diagnostics setting (<home>/diagnostics.json) is on: crash reports our own
// processes' crash handler left in the diagnostic-reports folder, symbolised and scrubbed of
// the user's paths and secrets, and main-thread hang records. Blocking file and process
// work: call it off the UI thread.
class CrashReportManager {
 public:
  struct Options {
    QString productHome;
    QString reportsDirectory;  // empty: the crash handler's default folder
    shell::SettingsStore* settings = nullptr;  // empty: the process's settings store
    QString appVersion;        // empty: the application's version, else "unknown"
    QString appBuild;
    QString userHome;          // empty: the user's home
    QString userName;          // empty: the account's name
  };

  explicit CrashReportManager(Options options);

  // The application's own processes on this system, and the daemon's.
  static const QStringList& appProcessNames();
  static const QStringList& daemonProcessNames();

  QString spoolDirectory() const;
  bool isEnabled() const;
  void setEnabled(bool enabled);

  // Spools a record for each new report of the named processes since the date under
  // `lastCheckKey`, then stores now there. The number of records spooled.
  int checkAndEnqueue(const QStringList& processNames, const QString& source, const shell::DateSettingKey& lastCheckKey);
  // Spools a hang record unless the setting is off or the last one is less than 120 s old.
  bool enqueueHangReport(const std::optional<QString>& sample, std::int64_t unresponsiveMs);
  // Writes one record into the spool; false when it could not.
  bool enqueueRecord(const nlohmann::json& record);

  // Adds "symbol", "sourceFile" and "sourceLine" to the frames of a report body that name an
  // image and an offset, through addr2line when it is installed.
  static void symbolise(nlohmann::json& body);

  static QString osVersion();

 private:
  shell::SettingsStore& settings() const;
  CrashReportCore::ScrubContext scrubContext() const;

  Options m_options;
};

}  // namespace vesket::maintenance
