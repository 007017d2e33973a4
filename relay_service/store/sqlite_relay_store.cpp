#include "relay_service/store/sqlite_relay_store.h"

#include <chrono>

#include "relay_service/core/secrets.h"
#include "relay_service/store/schema_migrations.h"

namespace vesket::relay_service {
namespace {

UserRecord readUser(const SqliteStatement& row) {
  return UserRecord{row.integer(0), row.optionalText(1), row.optionalText(2), row.optionalText(3), row.integer(4)};
}

DaemonRecord readDaemon(const SqliteStatement& row) {
  DaemonRecord daemon;
  daemon.id = row.integer(0);
  daemon.userId = row.integer(1);
  daemon.machineUuid = row.optionalText(2);
  daemon.machineName = row.optionalText(3);
  daemon.pairedAtMs = row.integer(4);
  daemon.lastSeenAtMs = row.optionalInteger(5);
  daemon.connected = row.integer(6) != 0;
  daemon.revoked = row.integer(7) != 0;
  daemon.daemonVersion = row.optionalText(8);
  return daemon;
}

std::int64_t systemNowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// The statements, written out whole so each is one literal (prepared once, cached).
#define USER_SELECT "SELECT id, username, email, password_hash, created_at_ms FROM users "
#define DAEMON_SELECT                                                                                        \
  "SELECT id, user_id, machine_uuid, machine_name, paired_at_ms, last_seen_at_ms, connected, revoked, " \
  "daemon_version FROM daemons "

}  // namespace

SqliteRelayStore::SqliteRelayStore(const std::string& path, Clock clock)
    : m_db(path), m_clock(clock ? std::move(clock) : Clock(systemNowMs)) {
  m_db.migrate(relaySchemaMigrations());
}

std::optional<UserRecord> SqliteRelayStore::insertUserLocked(const NewUser& user) {
  const StatementLease insert =
      m_db.statement("INSERT INTO users (username, email, password_hash, created_at_ms) VALUES (?1, ?2, ?3, ?4)");
  insert->bind(1, user.username).bind(2, user.email).bind(3, user.passwordHash).bind(4, m_clock());
  try {
    insert->run();
  } catch (const SqliteError& error) {
    if (error.isConstraintViolation()) return std::nullopt;  // e-mail or username taken
    throw;
  }
  return findUserLocked(m_db.lastInsertRowId());
}

std::optional<UserRecord> SqliteRelayStore::createUser(const NewUser& user) {
  const std::lock_guard lock(m_mutex);
  return insertUserLocked(user);
}

std::optional<UserRecord> SqliteRelayStore::findUserLocked(std::int64_t userId) {
  const StatementLease query = m_db.statement(USER_SELECT "WHERE id = ?1");
  query->bind(1, userId);
  if (!query->step()) return std::nullopt;
  return readUser(*query);
}

std::optional<UserRecord> SqliteRelayStore::findUser(std::int64_t userId) {
  const std::lock_guard lock(m_mutex);
  return findUserLocked(userId);
}

std::optional<UserRecord> SqliteRelayStore::findUserByLogin(const std::string& login) {
  const std::lock_guard lock(m_mutex);
  const StatementLease query =
      m_db.statement(USER_SELECT "WHERE email = ?1 OR username = ?1 ORDER BY email = ?1 DESC LIMIT 1");
  query->bind(1, std::string_view(login));
  if (!query->step()) return std::nullopt;
  return readUser(*query);
}

UserRecord SqliteRelayStore::signInWithIdentity(const std::string& provider, const std::string& subject,
                                                const std::optional<std::string>& verifiedEmail) {
  const std::lock_guard lock(m_mutex);
  std::optional<UserRecord> user;
  m_db.transaction([&] {
    {
      const StatementLease known = m_db.statement("SELECT user_id FROM identities WHERE provider = ?1 AND subject = ?2");
      known->bind(1, std::string_view(provider)).bind(2, std::string_view(subject));
      if (known->step()) {
        user = findUserLocked(known->integer(0));
        return;
      }
    }
    if (verifiedEmail) {
      const StatementLease byEmail = m_db.statement(USER_SELECT "WHERE email = ?1");
      byEmail->bind(1, std::string_view(*verifiedEmail));
      if (byEmail->step()) user = readUser(*byEmail);
    }
    if (!user) user = insertUserLocked(NewUser{std::nullopt, verifiedEmail, std::nullopt});
    if (!user) throw SqliteError("cannot create the account for a new sign-in identity", 0);
    const StatementLease attach = m_db.statement(
        "INSERT INTO identities (provider, subject, user_id, created_at_ms) VALUES (?1, ?2, ?3, ?4)");
    attach->bind(1, std::string_view(provider)).bind(2, std::string_view(subject)).bind(3, user->id).bind(4, m_clock());
    attach->run();
  });
  return *user;
}

PairedDaemon SqliteRelayStore::pairDaemon(std::int64_t userId, const std::optional<std::string>& machineUuid,
                                          const std::optional<std::string>& machineName) {
  const std::lock_guard lock(m_mutex);
  PairedDaemon paired;
  paired.token = DaemonToken::mint();
  const StatementLease insert = m_db.statement(
      "INSERT INTO daemons (user_id, machine_uuid, machine_name, token_digest, paired_at_ms) "
      "VALUES (?1, ?2, ?3, ?4, ?5)");
  insert->bind(1, userId).bind(2, machineUuid).bind(3, machineName).bind(4, DaemonToken::digest(paired.token)).bind(5, m_clock());
  insert->run();
  paired.daemon = *findDaemonLocked(m_db.lastInsertRowId());
  return paired;
}

std::optional<DaemonRecord> SqliteRelayStore::findDaemonByToken(const std::string& token) {
  const std::lock_guard lock(m_mutex);
  const StatementLease query = m_db.statement(DAEMON_SELECT "WHERE token_digest = ?1");
  query->bind(1, DaemonToken::digest(token));
  if (!query->step()) return std::nullopt;
  return readDaemon(*query);
}

std::optional<DaemonRecord> SqliteRelayStore::findDaemonLocked(std::int64_t daemonId) {
  const StatementLease query = m_db.statement(DAEMON_SELECT "WHERE id = ?1");
  query->bind(1, daemonId);
  if (!query->step()) return std::nullopt;
  return readDaemon(*query);
}

std::optional<DaemonRecord> SqliteRelayStore::findDaemon(std::int64_t daemonId) {
  const std::lock_guard lock(m_mutex);
  return findDaemonLocked(daemonId);
}

std::vector<DaemonRecord> SqliteRelayStore::listDaemons(std::int64_t userId) {
  const std::lock_guard lock(m_mutex);
  const StatementLease query = m_db.statement(DAEMON_SELECT "WHERE user_id = ?1 ORDER BY id");
  query->bind(1, userId);
  std::vector<DaemonRecord> daemons;
  while (query->step()) daemons.push_back(readDaemon(*query));
  return daemons;
}

void SqliteRelayStore::revokeDaemon(std::int64_t daemonId) {
  const std::lock_guard lock(m_mutex);
  const StatementLease update = m_db.statement("UPDATE daemons SET revoked = 1 WHERE id = ?1");
  update->bind(1, daemonId);
  update->run();
}

void SqliteRelayStore::recordPresence(std::int64_t daemonId, bool connected, std::int64_t atMs) {
  const std::lock_guard lock(m_mutex);
  const StatementLease update =
      m_db.statement("UPDATE daemons SET connected = ?2, last_seen_at_ms = ?3 WHERE id = ?1");
  update->bind(1, daemonId).bind(2, std::int64_t{connected ? 1 : 0}).bind(3, atMs);
  update->run();
}

void SqliteRelayStore::clearPresence() {
  const std::lock_guard lock(m_mutex);
  m_db.exec("UPDATE daemons SET connected = 0 WHERE connected != 0");
}

void SqliteRelayStore::checkpoint() {
  const std::lock_guard lock(m_mutex);
  m_db.checkpoint();
}

}  // namespace vesket::relay_service
