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

DeviceRecord readDevice(const SqliteStatement& row) {
  DeviceRecord device;
  device.userId = row.integer(0);
  device.deviceId = row.text(1);
  device.platform = row.text(2);
  device.deviceName = row.text(3);
  device.appVersion = row.text(4);
  device.appBuild = row.text(5);
  device.status = row.text(6);
  device.requestId = row.optionalText(7);
  device.fingerprint = row.text(8);
  device.priorStatus = row.text(9);
  device.requestCount = row.integer(10);
  device.requestedAtMs = row.optionalInteger(11);
  device.expiresAtMs = row.optionalInteger(12);
  device.deniedUntilMs = row.optionalInteger(13);
  device.approvedAtMs = row.optionalInteger(14);
  device.approvalScope = row.optionalText(15);
  device.lastIp = row.optionalText(16);
  device.createdAtMs = row.integer(17);
  device.lastSeenAtMs = row.optionalInteger(18);
  device.tokensValidAfter = row.integer(19);
  device.recoveryCodeDigest = row.optionalText(20);
  device.recoveryCodeExpiresAtMs = row.optionalInteger(21);
  device.recoveryAttempts = row.integer(22);
  device.recoveryReadyAtMs = row.optionalInteger(23);
  return device;
}

PairingRecord readPairing(const SqliteStatement& row) {
  PairingRecord pairing;
  pairing.id = row.integer(0);
  pairing.kind = pairingKindFromName(row.text(1)).value_or(PairingKind::qr);
  pairing.pollDigest = row.optionalText(2);
  pairing.claimDigest = row.optionalText(3);
  pairing.shortCode = row.optionalText(4);
  pairing.userId = row.optionalInteger(5);
  pairing.machineUuid = row.optionalText(6);
  pairing.machineName = row.optionalText(7);
  pairing.agentCliFound = row.integer(8) != 0;
  pairing.tmuxInstalled = row.integer(9) != 0;
  pairing.createdAtMs = row.integer(10);
  pairing.expiresAtMs = row.integer(11);
  pairing.claimedAtMs = row.optionalInteger(12);
  pairing.daemonId = row.optionalInteger(13);
  pairing.undeliveredToken = row.optionalText(14);
  pairing.delivered = row.integer(15) != 0;
  return pairing;
}

std::int64_t systemNowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// The statements, written out whole so each is one literal (prepared once, cached).
#define USER_SELECT "SELECT id, username, email, password_hash, created_at_ms FROM users "
#define DEVICE_COLUMNS                                                                                  \
  "user_id, device_id, platform, device_name, app_version, app_build, status, request_id, fingerprint, "  \
  "prior_status, request_count, requested_at_ms, expires_at_ms, denied_until_ms, approved_at_ms, "         \
  "approval_scope, last_ip, created_at_ms, last_seen_at_ms, tokens_valid_after, recovery_code_digest, "    \
  "recovery_code_expires_at_ms, recovery_attempts, recovery_ready_at_ms"
#define DEVICE_SELECT "SELECT " DEVICE_COLUMNS " FROM devices "
#define PAIRING_SELECT                                                                                       \
  "SELECT id, kind, poll_digest, claim_digest, short_code, user_id, machine_uuid, machine_name, "            \
  "agent_cli_found, tmux_installed, created_at_ms, expires_at_ms, claimed_at_ms, daemon_id, "               \
  "undelivered_token, delivered FROM pairings "
#define DAEMON_SELECT                                                                                        \
  "SELECT id, user_id, machine_uuid, machine_name, paired_at_ms, last_seen_at_ms, connected, revoked, " \
  "daemon_version FROM daemons "

// The first row a one-key lookup finds, read into its record.
template <typename Key, typename Read>
auto firstRow(SqliteDatabase& db, const char* sql, const Key& key, Read read)
    -> std::optional<decltype(read(std::declval<const SqliteStatement&>()))> {
  const StatementLease query = db.statement(sql);
  query->bind(1, key);
  if (!query->step()) return std::nullopt;
  return read(*query);
}

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
  return firstRow(m_db, USER_SELECT "WHERE id = ?1", userId, readUser);
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
  return pairDaemonLocked(userId, machineUuid, machineName);
}

PairedDaemon SqliteRelayStore::pairDaemonLocked(std::int64_t userId, const std::optional<std::string>& machineUuid,
                                                const std::optional<std::string>& machineName) {
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
  return firstRow(m_db, DAEMON_SELECT "WHERE token_digest = ?1", DaemonToken::digest(token), readDaemon);
}

std::optional<DaemonRecord> SqliteRelayStore::findDaemonLocked(std::int64_t daemonId) {
  return firstRow(m_db, DAEMON_SELECT "WHERE id = ?1", daemonId, readDaemon);
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

// --- devices --------------------------------------------------------------------------

std::optional<DeviceRecord> SqliteRelayStore::findDeviceLocked(std::int64_t userId, const std::string& deviceId) {
  const StatementLease query = m_db.statement(DEVICE_SELECT "WHERE user_id = ?1 AND device_id = ?2");
  query->bind(1, userId).bind(2, deviceId);
  if (!query->step()) return std::nullopt;
  return readDevice(*query);
}

void SqliteRelayStore::saveDeviceLocked(const DeviceRecord& d) {
  const StatementLease save = m_db.statement(
      "INSERT OR REPLACE INTO devices (" DEVICE_COLUMNS ") VALUES "
      "(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18, ?19, ?20, ?21, ?22, ?23, ?24)");
  save->bind(1, d.userId).bind(2, d.deviceId).bind(3, d.platform).bind(4, d.deviceName).bind(5, d.appVersion);
  save->bind(6, d.appBuild).bind(7, d.status).bind(8, d.requestId).bind(9, d.fingerprint).bind(10, d.priorStatus);
  save->bind(11, d.requestCount).bind(12, d.requestedAtMs).bind(13, d.expiresAtMs).bind(14, d.deniedUntilMs);
  save->bind(15, d.approvedAtMs).bind(16, d.approvalScope).bind(17, d.lastIp).bind(18, d.createdAtMs);
  save->bind(19, d.lastSeenAtMs).bind(20, d.tokensValidAfter).bind(21, d.recoveryCodeDigest);
  save->bind(22, d.recoveryCodeExpiresAtMs).bind(23, d.recoveryAttempts).bind(24, d.recoveryReadyAtMs);
  save->run();
}

DeviceRecord SqliteRelayStore::enrolDevice(
    std::int64_t userId, const std::string& deviceId,
    const std::function<DeviceRecord(const std::optional<DeviceRecord>&, bool)>& decide) {
  const std::lock_guard lock(m_mutex);
  DeviceRecord result;
  m_db.transaction([&] {
    const auto existing = findDeviceLocked(userId, deviceId);
    bool anyDevice = false;
    {
      const StatementLease any =
          m_db.statement("SELECT 1 FROM devices WHERE user_id = ?1 LIMIT 1");
      any->bind(1, userId);
      anyDevice = any->step();
    }
    result = decide(existing, anyDevice);
    result.userId = userId;
    result.deviceId = deviceId;
    saveDeviceLocked(result);
  });
  return result;
}

std::optional<DeviceRecord> SqliteRelayStore::updateDevice(std::int64_t userId, const std::string& deviceId,
                                                           const std::function<bool(DeviceRecord&)>& change) {
  const std::lock_guard lock(m_mutex);
  std::optional<DeviceRecord> result;
  m_db.transaction([&] {
    result = findDeviceLocked(userId, deviceId);
    if (!result) return;
    if (!change(*result)) return;
    result->userId = userId;
    result->deviceId = deviceId;
    saveDeviceLocked(*result);
  });
  return result;
}

std::optional<DeviceRecord> SqliteRelayStore::findDevice(std::int64_t userId, const std::string& deviceId) {
  const std::lock_guard lock(m_mutex);
  return findDeviceLocked(userId, deviceId);
}

std::optional<DeviceRecord> SqliteRelayStore::findDeviceByRequest(std::int64_t userId, const std::string& requestId) {
  const std::lock_guard lock(m_mutex);
  const StatementLease query = m_db.statement(DEVICE_SELECT "WHERE user_id = ?1 AND request_id = ?2");
  query->bind(1, userId).bind(2, requestId);
  if (!query->step()) return std::nullopt;
  return readDevice(*query);
}

std::vector<DeviceRecord> SqliteRelayStore::listDevices(std::int64_t userId) {
  const std::lock_guard lock(m_mutex);
  const StatementLease query = m_db.statement(DEVICE_SELECT "WHERE user_id = ?1 ORDER BY created_at_ms, device_id");
  query->bind(1, userId);
  std::vector<DeviceRecord> devices;
  while (query->step()) devices.push_back(readDevice(*query));
  return devices;
}

// --- pairings -------------------------------------------------------------------------

std::optional<PairingRecord> SqliteRelayStore::createPairing(const PairingRecord& p) {
  const std::lock_guard lock(m_mutex);
  {
    // Expired pairings go (a day late, so a late poll still hears "expired").
    const StatementLease purge = m_db.statement("DELETE FROM pairings WHERE expires_at_ms < ?1");
    purge->bind(1, m_clock() - 24 * 3600 * 1000);
    purge->run();
  }
  const StatementLease insert = m_db.statement(
      "INSERT INTO pairings (kind, poll_digest, claim_digest, short_code, user_id, machine_uuid, machine_name, "
      "agent_cli_found, tmux_installed, created_at_ms, expires_at_ms, claimed_at_ms, daemon_id, undelivered_token, "
      "delivered) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15)");
  insert->bind(1, std::string(pairingKindName(p.kind))).bind(2, p.pollDigest).bind(3, p.claimDigest);
  insert->bind(4, p.shortCode).bind(5, p.userId).bind(6, p.machineUuid).bind(7, p.machineName);
  insert->bind(8, std::int64_t{p.agentCliFound ? 1 : 0}).bind(9, std::int64_t{p.tmuxInstalled ? 1 : 0});
  insert->bind(10, p.createdAtMs).bind(11, p.expiresAtMs).bind(12, p.claimedAtMs).bind(13, p.daemonId);
  insert->bind(14, p.undeliveredToken).bind(15, std::int64_t{p.delivered ? 1 : 0});
  try {
    insert->run();
  } catch (const SqliteError& error) {
    if (error.isConstraintViolation()) return std::nullopt;
    throw;
  }
  return findPairingLocked(m_db.lastInsertRowId());
}

std::optional<PairingRecord> SqliteRelayStore::findPairingLocked(std::int64_t pairingId) {
  return firstRow(m_db, PAIRING_SELECT "WHERE id = ?1", pairingId, readPairing);
}

std::optional<PairingRecord> SqliteRelayStore::findPairingByPollDigest(const std::string& digest) {
  const std::lock_guard lock(m_mutex);
  return firstRow(m_db, PAIRING_SELECT "WHERE poll_digest = ?1", digest, readPairing);
}

std::optional<PairingRecord> SqliteRelayStore::findPairingByClaimDigest(const std::string& digest) {
  const std::lock_guard lock(m_mutex);
  return firstRow(m_db, PAIRING_SELECT "WHERE claim_digest = ?1", digest, readPairing);
}

std::optional<PairingRecord> SqliteRelayStore::findPairingByCode(PairingKind kind, const std::string& shortCode) {
  const std::lock_guard lock(m_mutex);
  const StatementLease query = m_db.statement(PAIRING_SELECT "WHERE short_code = ?1 AND kind = ?2");
  query->bind(1, shortCode).bind(2, std::string(pairingKindName(kind)));
  if (!query->step()) return std::nullopt;
  return readPairing(*query);
}

std::optional<PairingStore::Claimed> SqliteRelayStore::claimPairing(std::int64_t pairingId, std::int64_t userId,
                                                                    const std::optional<std::string>& machineUuid,
                                                                    const std::optional<std::string>& machineName,
                                                                    bool keepTokenForMachine, std::int64_t nowMs) {
  const std::lock_guard lock(m_mutex);
  std::optional<Claimed> claimed;
  m_db.transaction([&] {
    auto pairing = findPairingLocked(pairingId);
    if (!pairing || PairingRules::claimVerdict(*pairing, nowMs) != PairingRules::ClaimVerdict::claimable) return;
    PairedDaemon paired;
    std::optional<std::int64_t> sameMachine;
    if (machineUuid) {
      const StatementLease query = m_db.statement(
          "SELECT id FROM daemons WHERE user_id = ?1 AND machine_uuid = ?2 AND revoked = 0 ORDER BY id DESC LIMIT 1");
      query->bind(1, userId).bind(2, *machineUuid);
      if (query->step()) sameMachine = query->integer(0);
    }
    if (sameMachine) {
      // The same machine paired again: same daemon, new token (the old one stops here).
      paired.token = DaemonToken::mint();
      const StatementLease update =
          m_db.statement("UPDATE daemons SET token_digest = ?2, machine_name = COALESCE(?3, machine_name) WHERE id = ?1");
      update->bind(1, *sameMachine).bind(2, DaemonToken::digest(paired.token)).bind(3, machineName);
      update->run();
      paired.daemon = *findDaemonLocked(*sameMachine);
    } else {
      paired = pairDaemonLocked(userId, machineUuid, machineName);
    }
    const StatementLease claim = m_db.statement(
        "UPDATE pairings SET claimed_at_ms = ?2, user_id = ?3, daemon_id = ?4, undelivered_token = ?5, "
        "delivered = ?6 WHERE id = ?1 AND claimed_at_ms IS NULL");
    claim->bind(1, pairingId).bind(2, nowMs).bind(3, userId).bind(4, paired.daemon.id);
    claim->bind(5, keepTokenForMachine ? std::optional<std::string>(paired.token) : std::nullopt);
    claim->bind(6, std::int64_t{keepTokenForMachine ? 0 : 1});
    claim->run();
    claimed = Claimed{*findPairingLocked(pairingId), std::move(paired)};
  });
  return claimed;
}

std::optional<std::string> SqliteRelayStore::takeDaemonToken(std::int64_t pairingId) {
  const std::lock_guard lock(m_mutex);
  std::optional<std::string> token;
  m_db.transaction([&] {
    const auto pairing = findPairingLocked(pairingId);
    if (!pairing || !pairing->undeliveredToken) return;
    token = pairing->undeliveredToken;
    const StatementLease update =
        m_db.statement("UPDATE pairings SET undelivered_token = NULL, delivered = 1 WHERE id = ?1");
    update->bind(1, pairingId);
    update->run();
  });
  return token;
}

// --- routing ------------------------------------------------------------------------

std::optional<std::string> SqliteRelayStore::findRoutingConfig(std::int64_t userId, const std::string& project) {
  const std::lock_guard lock(m_mutex);
  const StatementLease query = m_db.statement("SELECT body FROM routing_configs WHERE user_id = ?1 AND project = ?2");
  query->bind(1, userId).bind(2, project);
  if (!query->step()) return std::nullopt;
  return query->text(0);
}

void SqliteRelayStore::putRoutingConfig(std::int64_t userId, const std::string& project, const std::string& body,
                                        std::int64_t updatedAtMs) {
  const std::lock_guard lock(m_mutex);
  const StatementLease upsert = m_db.statement(
      "INSERT INTO routing_configs (user_id, project, body, updated_at_ms) VALUES (?1, ?2, ?3, ?4) "
      "ON CONFLICT (user_id, project) DO UPDATE SET body = excluded.body, updated_at_ms = excluded.updated_at_ms");
  upsert->bind(1, userId).bind(2, project).bind(3, body).bind(4, updatedAtMs);
  upsert->run();
}

void SqliteRelayStore::checkpoint() {
  const std::lock_guard lock(m_mutex);
  m_db.checkpoint();
}

}  // namespace vesket::relay_service
