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

  void checkpoint() override;

 private:
  std::optional<UserRecord> findUserLocked(std::int64_t userId);
  std::optional<DaemonRecord> findDaemonLocked(std::int64_t daemonId);
  std::optional<UserRecord> insertUserLocked(const NewUser& user);

  std::mutex m_mutex;
  SqliteDatabase m_db;
  Clock m_clock;
};

}  // namespace vesket::relay_service
