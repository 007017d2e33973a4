#include "maintenance/crash_reporting_settings.h"

#include "maintenance/crash_report_manager.h"

namespace vesket::maintenance {
namespace {

CrashReportManager managerFor(const QString& home) {
  CrashReportManager::Options options;
  options.productHome = home;
  return CrashReportManager(options);
}

}  // namespace

CrashReportingSettings::CrashReportingSettings(QString home, QObject* parent)
    : QObject(parent), m_home(std::move(home)), m_enabled(managerFor(m_home).isEnabled()) {}

void CrashReportingSettings::setEnabled(bool enabled) {
  managerFor(m_home).setEnabled(enabled);
  const bool now = managerFor(m_home).isEnabled();
  if (now == m_enabled) return;
  m_enabled = now;
  emit enabledChanged(now);
}

QString CrashReportingSettings::spoolDirectory() const { return managerFor(m_home).spoolDirectory(); }

}  // namespace vesket::maintenance
