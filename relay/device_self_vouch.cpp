#include "relay/device_self_vouch.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QSysInfo>

#include <qcoro/qcorotimer.h>

#include "control_plane/control_plane_client.h"
#include "relay/relay_credentials.h"

namespace vesket::relay {

DeviceSelfVouch::DeviceSelfVouch(Dependencies dependencies) : m_dependencies(std::move(dependencies)) {
  if (!m_dependencies.daemon) {
    m_dependencies.daemon = [] { return control_plane::ControlPlaneClient::createDefault(10.0); };
  }
  if (!m_dependencies.daemonIsPaired) {
    m_dependencies.daemonIsPaired = [] { return DaemonTokenStore::read().has_value(); };
  }
}

QString DeviceSelfVouch::deviceName() {
  const QString host = QSysInfo::machineHostName();
  return host.isEmpty() ? QStringLiteral("This computer") : host;
}

QCoro::Task<bool> DeviceSelfVouch::attempt(QString requestId, std::int64_t userId) {
  RelayClient client = m_dependencies.relay();
  const QString deviceID = client.deviceID();
  std::shared_ptr<control_plane::ControlPlaneClient> daemon = m_dependencies.daemon();
  try {
    auto vouching = daemon->selfVouch(deviceID.toStdString(), requestId.toStdString(), userId, deviceName().toStdString());
    co_await std::move(vouching);
  } catch (const std::exception& error) {
    // The daemon may be starting or linking; the status below decides.
    qInfo().noquote() << "self-vouch:" << error.what();
  }
  try {
    const RelayDeviceApproval approval = co_await client.currentDeviceApproval();
    co_return approval.status == QStringLiteral("approved");
  } catch (const std::exception& error) {
    qInfo().noquote() << "self-vouch: status:" << error.what();
  }
  co_return false;
}

QCoro::Task<bool> DeviceSelfVouch::waitForLocalDaemonVouch(QString requestId, std::int64_t userId,
                                                          std::chrono::milliseconds limit,
                                                          std::chrono::milliseconds interval) {
  if (!m_dependencies.daemonIsPaired()) co_return false;
  QElapsedTimer clock;
  clock.start();
  while (true) {
    if (co_await attempt(requestId, userId)) co_return true;
    if (clock.elapsed() + interval.count() >= limit.count()) co_return false;
    co_await QCoro::sleepFor(interval);
  }
}

QCoro::Task<bool> DeviceSelfVouch::afterLocalPairing(std::int64_t userId, int maxAttempts,
                                                    std::chrono::milliseconds interval) {
  for (int attemptNumber = 0; attemptNumber < maxAttempts; ++attemptNumber) {
    if (attemptNumber > 0) co_await QCoro::sleepFor(interval);
    std::optional<RelayDeviceApproval> approval;
    try {
      RelayClient client = m_dependencies.relay();
      approval = co_await client.enrollCurrentDevice(false);
    } catch (const std::exception& error) {
      qInfo().noquote() << "self-vouch: enrolment:" << error.what();
      continue;
    }
    if (approval->status == QStringLiteral("approved")) co_return true;
    if (!approval->requestId) continue;
    if (co_await attempt(*approval->requestId, userId)) co_return true;
  }
  co_return false;
}

}  // namespace vesket::relay
