#pragma once

// The process's enrolment state shared by every relay client: the back-off table of pending
// answers, the enrolments in flight (two callers enrolling with the same key share one
// request) and the retry gate a relay's 429 sets (kept in the settings, so a restart does
// not send earlier than the relay allows).

#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <optional>

#include <qcoro/qcorotask.h>

#include "relay/core/enrollment_backoff.h"
#include "relay/relay_client.h"

namespace vesket::shell {
class SettingsStore;
}

namespace vesket::relay {

struct EnrollmentWireResult {
  RelayDeviceApproval approval;
  QString token;  // the account token bound to this device
};

class EnrollmentFlight;

class DeviceEnrollment {
 public:
  explicit DeviceEnrollment(shell::SettingsStore& defaults);
  ~DeviceEnrollment();
  DeviceEnrollment(const DeviceEnrollment&) = delete;
  DeviceEnrollment& operator=(const DeviceEnrollment&) = delete;

  // The process's instance, on DesktopIsolation::defaults().
  static DeviceEnrollment& shared();

  EnrollmentPendingBackoff<EnrollmentWireResult>& backoff() { return m_backoff; }

  // The seconds to wait before the next enrolment may be sent; a gate that has passed is
  // removed.
  std::optional<int> retryRemaining(double now);
  void retryAfter(double at);

  // Runs `operation` as the enrolment for `key`, or, when one with that key is already in
  // flight, waits for its result (or its error).
  QCoro::Task<EnrollmentWireResult> run(QString key, std::function<QCoro::Task<EnrollmentWireResult>()> operation);
  int inFlight() const { return static_cast<int>(m_flights.size()); }

 private:
  shell::SettingsStore& m_defaults;
  EnrollmentPendingBackoff<EnrollmentWireResult> m_backoff;
  std::map<QString, std::shared_ptr<EnrollmentFlight>> m_flights;
};

}  // namespace vesket::relay
