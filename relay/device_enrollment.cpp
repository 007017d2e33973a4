#include "relay/device_enrollment.h"

#include <QObject>

#include <qcoro/qcorosignal.h>

#include "shell/desktop_isolation.h"
#include "shell/settings_store.h"

namespace vesket::relay {

// One enrolment in flight: its result or error once it ended, and the signal its waiters
// resume on.
class EnrollmentFlight : public QObject {
  Q_OBJECT

 public:
  bool ended = false;
  std::optional<EnrollmentWireResult> result;
  std::exception_ptr error;

 signals:
  void finished();
};

DeviceEnrollment::DeviceEnrollment(shell::SettingsStore& defaults) : m_defaults(defaults) {}

DeviceEnrollment::~DeviceEnrollment() = default;

DeviceEnrollment& DeviceEnrollment::shared() {
  static DeviceEnrollment instance(shell::DesktopIsolation::defaults());
  return instance;
}

std::optional<int> DeviceEnrollment::retryRemaining(double now) {
  const QString key = QString::fromLatin1(EnrollmentRetryGate::kRetryAfterKey);
  const auto stored = m_defaults.doubleValue(key);
  if (!stored) return std::nullopt;
  const auto remaining = EnrollmentRetryGate::remainingSeconds(*stored, now);
  if (!remaining) m_defaults.remove(key);
  return remaining;
}

void DeviceEnrollment::retryAfter(double at) {
  m_defaults.setValue(QString::fromLatin1(EnrollmentRetryGate::kRetryAfterKey), at);
}

QCoro::Task<EnrollmentWireResult> DeviceEnrollment::run(
    QString key, std::function<QCoro::Task<EnrollmentWireResult>()> operation) {
  if (const auto found = m_flights.find(key); found != m_flights.end()) {
    const std::shared_ptr<EnrollmentFlight> flight = found->second;
    if (!flight->ended) {
      auto finished = qCoro(flight.get(), &EnrollmentFlight::finished);
      co_await std::move(finished);
    }
    if (flight->error) std::rethrow_exception(flight->error);
    EnrollmentWireResult shared = *flight->result;
    co_return shared;
  }
  const auto flight = std::make_shared<EnrollmentFlight>();
  m_flights.emplace(key, flight);
  try {
    QCoro::Task<EnrollmentWireResult> running = operation();
    flight->result = co_await std::move(running);
  } catch (...) {
    flight->error = std::current_exception();
  }
  flight->ended = true;
  if (const auto found = m_flights.find(key); found != m_flights.end() && found->second == flight) {
    m_flights.erase(found);
  }
  emit flight->finished();
  if (flight->error) std::rethrow_exception(flight->error);
  // A copy: the waiters read the flight's result after this returns.
  EnrollmentWireResult own = *flight->result;
  co_return own;
}

}  // namespace vesket::relay

#include "device_enrollment.moc"
