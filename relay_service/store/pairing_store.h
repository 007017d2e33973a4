#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "relay_service/core/pairing_rules.h"
#include "relay_service/store/daemon_store.h"

namespace vesket::relay_service {

// Pairings waiting to be claimed, and the claim that mints a daemon.
class PairingStore {
 public:
  virtual ~PairingStore() = default;

  // Saves a new pairing (its id is assigned); nothing when its short code is taken by a
  // live pairing (the caller draws another). Expired pairings are forgotten on the way.
  virtual std::optional<PairingRecord> createPairing(const PairingRecord& pairing) = 0;
  virtual std::optional<PairingRecord> findPairingByPollDigest(const std::string& digest) = 0;
  virtual std::optional<PairingRecord> findPairingByClaimDigest(const std::string& digest) = 0;
  virtual std::optional<PairingRecord> findPairingByCode(PairingKind kind, const std::string& shortCode) = 0;

  struct Claimed {
    PairingRecord pairing;
    PairedDaemon daemon;
  };
  // Claims the pairing for the account and pairs its machine, in one transaction: a
  // daemon of the account on the same machine (machine UUID) keeps its id and gets a new
  // token (the old one stops), otherwise a new daemon is registered. With
  // `keepTokenForMachine` the token waits in the pairing for the machine to collect.
  // Nothing when the pairing is no longer claimable at `nowMs` (claimed or expired).
  virtual std::optional<Claimed> claimPairing(std::int64_t pairingId, std::int64_t userId,
                                              const std::optional<std::string>& machineUuid,
                                              const std::optional<std::string>& machineName, bool keepTokenForMachine,
                                              std::int64_t nowMs) = 0;
  // The daemon token of a claimed pairing, handed out once; nothing when there is none
  // (not claimed yet, or collected before).
  virtual std::optional<std::string> takeDaemonToken(std::int64_t pairingId) = 0;
};

}  // namespace vesket::relay_service
