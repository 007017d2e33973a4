#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "relay_service/core/account_records.h"

namespace vesket::relay_service {

struct PairedDaemon {
  DaemonRecord daemon;
  std::string token;  // handed to the daemon once; only its digest is kept
};

// The daemons paired to accounts, their tokens and their presence.
class DaemonStore {
 public:
  virtual ~DaemonStore() = default;

  // Registers a daemon for the account and mints its token (what pairing does).
  virtual PairedDaemon pairDaemon(std::int64_t userId, const std::optional<std::string>& machineUuid,
                                  const std::optional<std::string>& machineName) = 0;
  // The daemon holding this token, revoked or not; nothing for an unknown token.
  virtual std::optional<DaemonRecord> findDaemonByToken(const std::string& token) = 0;
  virtual std::optional<DaemonRecord> findDaemon(std::int64_t daemonId) = 0;
  virtual std::vector<DaemonRecord> listDaemons(std::int64_t userId) = 0;
  // The daemon's token stops working at once.
  virtual void revokeDaemon(std::int64_t daemonId) = 0;

  // Presence: connected or not, and when the relay last heard from it.
  virtual void recordPresence(std::int64_t daemonId, bool connected, std::int64_t atMs) = 0;
  // At start: no daemon is connected to a relay that has just come up.
  virtual void clearPresence() = 0;
};

}  // namespace vesket::relay_service
