#pragma once

// Where the relay credentials live on this machine:
//
// - the account token: the file "relay-jwt-macos" in the product home (0700 directory,
//   0600 file, written atomically); a token left in the secure item store by older
//   versions is moved into the file on first read;
// - the device id: the secure item store (a 0600 file in the state directory), or, for an
//   isolated instance, the file "device-id" in its state directory;
// - the daemon token: the "DAEMON_TOKEN=" line of the daemon's environment file.
//
// For these files the product home is "VESKET_HOME" when set, else "~/.vesket".
// A test program never reads, writes or deletes one of them outside the temporary
// directory (CredentialAccessGuard): a test that forgot to point VESKET_HOME and
// XDG_STATE_HOME elsewhere finds no credentials instead of the user's.

#include <QString>

#include <cstdint>
#include <mutex>
#include <optional>

namespace vesket::relay {

namespace CredentialAccessGuard {
bool isTestProcess();
// Whether the path, with symbolic links resolved, lies under the temporary directory.
bool isTemporaryPath(const QString& path);
// Whether this process may touch the credential file at `path`.
bool permits(const QString& path);
}  // namespace CredentialAccessGuard

namespace CredentialFiles {
// The shared product home (VesketIdentity::productHome for this process).
QString productHome();
// The trimmed contents of a credential file, or nothing (missing, empty, or refused).
std::optional<QString> read(const QString& path);
// Writes the file atomically with mode 0600, its directory created 0700; false on failure.
bool write(const QString& path, const QByteArray& contents);
bool remove(const QString& path);
}  // namespace CredentialFiles

// The stand-in for the platform's secure item store: one 0600 file per item under the
// state directory ("secure-items/<service>/<account>").
namespace SecureItemStore {
QString path(const QString& service, const QString& account);
std::optional<QString> read(const QString& service, const QString& account);
bool write(const QString& service, const QString& account, const QString& value);
void remove(const QString& service, const QString& account);
}  // namespace SecureItemStore

class RelayUserTokenStore {
 public:
  virtual ~RelayUserTokenStore() = default;
  virtual std::optional<QString> read() const = 0;
  virtual void save(const QString& token) = 0;
  virtual void clear() = 0;
};

// The account token file.
namespace RelayAuthTokenStore {
QString path();
std::optional<QString> read();
bool save(const QString& token);
void clear();
// The token's integer "user_id" claim.
std::optional<std::int64_t> userID(const QString& token);
}  // namespace RelayAuthTokenStore

class FileRelayUserTokenStore final : public RelayUserTokenStore {
 public:
  std::optional<QString> read() const override { return RelayAuthTokenStore::read(); }
  void save(const QString& token) override { RelayAuthTokenStore::save(token); }
  void clear() override { RelayAuthTokenStore::clear(); }
};

class InMemoryRelayUserTokenStore final : public RelayUserTokenStore {
 public:
  explicit InMemoryRelayUserTokenStore(std::optional<QString> token = std::nullopt) : m_token(std::move(token)) {}
  std::optional<QString> read() const override;
  void save(const QString& token) override;
  void clear() override;

 private:
  mutable std::mutex m_mutex;
  std::optional<QString> m_token;
};

class RelayDeviceIDStore {
 public:
  virtual ~RelayDeviceIDStore() = default;
  virtual QString deviceID() = 0;
};

// This machine's stable device id, created (a random UUID) on first use.
class KeychainRelayDeviceIDStore final : public RelayDeviceIDStore {
 public:
  QString deviceID() override;
  // Where the id is kept: the isolated state directory's "device-id", or the secure item.
  static QString path();
};

class InMemoryRelayDeviceIDStore final : public RelayDeviceIDStore {
 public:
  explicit InMemoryRelayDeviceIDStore(QString id) : m_id(std::move(id)) {}
  QString deviceID() override { return m_id; }

 private:
  QString m_id;
};

// The daemon's own token, from its environment file.
namespace DaemonTokenStore {
QString environmentFilePath();  // <product home>/daemon/.env
std::optional<QString> read();
}  // namespace DaemonTokenStore

}  // namespace vesket::relay
