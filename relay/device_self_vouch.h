#pragma once

// A computer approves itself through its own daemon: the daemon holds the account's daemon
// token and asks the relay to approve this device's pending request ("self-vouch"), and the
// relay's status for this device says when it worked.

#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include <qcoro/qcorotask.h>

#include "relay/relay_client.h"

namespace vesket::control_plane {
class ControlPlaneClient;
}

namespace vesket::relay {

class DeviceSelfVouch {
 public:
  struct Dependencies {
    // The local daemon (10 s requests, CONTROL_TOKEN when set); the product home's when empty.
    std::function<std::shared_ptr<control_plane::ControlPlaneClient>()> daemon;
    std::function<RelayClient()> relay;  // this device's account client (required)
    // Whether this machine's daemon holds a daemon token at all; the environment file's
    // DAEMON_TOKEN when empty. Without one no daemon can vouch and nothing is asked.
    std::function<bool()> daemonIsPaired;
  };

  explicit DeviceSelfVouch(Dependencies dependencies);

  // During sign-in: asks the daemon to vouch and reads this device's status until it is
  // approved (true) or `limit` has passed (false).
  QCoro::Task<bool> waitForLocalDaemonVouch(QString requestId, std::int64_t userId,
                                            std::chrono::milliseconds limit = std::chrono::seconds(30),
                                            std::chrono::milliseconds interval = std::chrono::seconds(2));
  // After this machine was paired here: enrols for the current request, then up to
  // `maxAttempts` vouches `interval` apart.
  QCoro::Task<bool> afterLocalPairing(std::int64_t userId, int maxAttempts = 20,
                                      std::chrono::milliseconds interval = std::chrono::seconds(3));

  // "This computer" when the host has no name.
  static QString deviceName();

 private:
  // One vouch and one status read; true once approved.
  QCoro::Task<bool> attempt(QString requestId, std::int64_t userId);

  Dependencies m_dependencies;
};

}  // namespace vesket::relay
