#pragma once

#include <QObject>
#include <QString>

namespace vesket::maintenance {

// The diagnostics setting ("shareCrashReports" in <home>/diagnostics.json) as the settings
// view shows it: on unless the file says false; switching it rewrites that key only.
class CrashReportingSettings : public QObject {
  Q_OBJECT
 public:
  explicit CrashReportingSettings(QString home, QObject* parent = nullptr);

  bool isEnabled() const { return m_enabled; }
  void setEnabled(bool enabled);
  QString spoolDirectory() const;

 signals:
  void enabledChanged(bool enabled);

 private:
  QString m_home;
  bool m_enabled;
};

}  // namespace vesket::maintenance
