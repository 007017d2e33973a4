#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "relay_service/store/relay_store.h"
#include "relay_service/store/sqlite_database.h"

namespace vesket::relay_service {

// Every family of the relay's records in one SQLite file (WAL mode, one connection, every
// call serialised by one lock; SQLite answers these in microseconds). Opening applies the
// schema migrations and throws SchemaTooNew for a database from a newer relay.
class SqliteRelayStore : public RelayStore {
 public:
  using Clock = std::function<std::int64_t()>;  // milliseconds since 1970

  explicit SqliteRelayStore(const std::string& path, Clock clock = {});

  std::optional<UserRecord> createUser(const NewUser& user) override;
  std::optional<UserRecord> findUser(std::int64_t userId) override;
  std::optional<UserRecord> findUserByLogin(const std::string& login) override;
  UserRecord signInWithIdentity(const std::string& provider, const std::string& subject,
                                const std::optional<std::string>& verifiedEmail) override;

  PairedDaemon pairDaemon(std::int64_t userId, const std::optional<std::string>& machineUuid,
                          const std::optional<std::string>& machineName) override;
  std::optional<DaemonRecord> findDaemonByToken(const std::string& token) override;
  std::optional<DaemonRecord> findDaemon(std::int64_t daemonId) override;
  std::vector<DaemonRecord> listDaemons(std::int64_t userId) override;
  void revokeDaemon(std::int64_t daemonId) override;
  void recordPresence(std::int64_t daemonId, bool connected, std::int64_t atMs) override;
  void clearPresence() override;

  DeviceRecord enrolDevice(
      std::int64_t userId, const std::string& deviceId,
      const std::function<DeviceRecord(const std::optional<DeviceRecord>&, bool)>& decide) override;
  std::optional<DeviceRecord> updateDevice(std::int64_t userId, const std::string& deviceId,
                                           const std::function<bool(DeviceRecord&)>& change) override;
  std::optional<DeviceRecord> findDevice(std::int64_t userId, const std::string& deviceId) override;
  std::optional<DeviceRecord> findDeviceByRequest(std::int64_t userId, const std::string& requestId) override;
  std::vector<DeviceRecord> listDevices(std::int64_t userId) override;

  std::optional<PairingRecord> createPairing(const PairingRecord& pairing) override;
  std::optional<PairingRecord> findPairingByPollDigest(const std::string& digest) override;
  std::optional<PairingRecord> findPairingByClaimDigest(const std::string& digest) override;
  std::optional<PairingRecord> findPairingByCode(PairingKind kind, const std::string& shortCode) override;
  std::optional<Claimed> claimPairing(std::int64_t pairingId, std::int64_t userId,
                                      const std::optional<std::string>& machineUuid,
                                      const std::optional<std::string>& machineName, bool keepTokenForMachine,
                                      std::int64_t nowMs) override;
  std::optional<std::string> takeDaemonToken(std::int64_t pairingId) override;

  void checkpoint() override;

 private:
  std::optional<DeviceRecord> findDeviceLocked(std::int64_t userId, const std::string& deviceId);
  void saveDeviceLocked(const DeviceRecord& device);
  std::optional<PairingRecord> findPairingLocked(std::int64_t pairingId);
  PairedDaemon pairDaemonLocked(std::int64_t userId, const std::optional<std::string>& machineUuid,
                                const std::optional<std::string>& machineName);
  std::optional<UserRecord> findUserLocked(std::int64_t userId);
  std::optional<DaemonRecord> findDaemonLocked(std::int64_t daemonId);
  std::optional<UserRecord> insertUserLocked(const NewUser& user);

  std::mutex m_mutex;
  SqliteDatabase m_db;
  Clock m_clock;
};

}  // namespace vesket::relay_service
