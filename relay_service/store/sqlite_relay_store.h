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

  // The inbox and the task board (sqlite_inbox_store.cpp).
  inbox::InboxMessage addMessage(std::int64_t userId, const ThreadIdentity& thread, inbox::InboxMessage message) override;
  std::optional<inbox::InboxMessage> addMessageToThread(std::int64_t userId, const std::string& slug,
                                                        inbox::InboxMessage message) override;
  std::vector<inbox::InboxThread> listThreads(std::int64_t userId, bool includeEnded) override;
  std::optional<ThreadPane> findThreadPane(std::int64_t userId, const std::string& slug) override;
  std::optional<std::vector<inbox::InboxMessage>> listMessages(std::int64_t userId, const std::string& slug,
                                                               std::optional<std::int64_t> beforeId, int limit) override;
  std::optional<std::pair<std::string, inbox::InboxMessage>> findMessage(std::int64_t userId,
                                                                         std::int64_t messageId) override;
  std::optional<inbox::InboxMessage> updateMessage(std::int64_t userId, const std::string& slug, std::int64_t messageId,
                                                   const std::function<bool(inbox::InboxMessage&)>& change) override;
  bool markThreadRead(std::int64_t userId, const std::string& slug, std::optional<std::int64_t> upToId) override;
  bool deleteThread(std::int64_t userId, const std::string& slug) override;
  bool endThread(std::int64_t userId, const std::string& slug, std::int64_t atMs) override;
  inbox::PlatformNotification addNotification(std::int64_t userId, inbox::PlatformNotification notification) override;
  std::vector<inbox::PlatformNotification> listNotifications(std::int64_t userId, int limit) override;
  bool markNotificationRead(std::int64_t userId, const std::string& id) override;
  void markAllNotificationsRead(std::int64_t userId) override;
  void addFile(const SharedFile& file) override;
  std::optional<SharedFile> findFile(const std::string& tokenDigest) override;
  int dropExpiredFiles(std::int64_t nowMs) override;

  inbox::RelayTaskItem createTask(std::int64_t userId, inbox::RelayTaskItem task,
                                  const std::optional<std::string>& actor) override;
  std::optional<inbox::RelayTaskItem> findTask(std::int64_t userId, const std::string& id) override;
  std::vector<inbox::RelayTaskItem> listTasks(std::int64_t userId) override;
  std::vector<inbox::RelayTaskItem> listChildren(std::int64_t userId, const std::string& parentId) override;
  std::optional<inbox::RelayTaskItem> updateTask(
      std::int64_t userId, const std::string& id,
      const std::function<std::vector<inbox::RelayTaskEvent>(inbox::RelayTaskItem&)>& change) override;
  bool deleteTask(std::int64_t userId, const std::string& id) override;
  std::optional<std::vector<inbox::RelayTaskEvent>> listTaskEvents(std::int64_t userId, const std::string& id) override;
  std::optional<std::string> findRoutingConfig(std::int64_t userId, const std::string& project) override;
  void putRoutingConfig(std::int64_t userId, const std::string& project, const std::string& body,
                        std::int64_t updatedAtMs) override;

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
  std::optional<inbox::InboxMessage> insertMessageLocked(std::int64_t userId, const std::string& slug,
                                                         inbox::InboxMessage message);
  void addTaskEventLocked(const inbox::RelayTaskEvent& event);

  std::mutex m_mutex;
  SqliteDatabase m_db;
  Clock m_clock;
};

}  // namespace vesket::relay_service
