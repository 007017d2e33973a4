#include "relay/relay_credentials.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUuid>

#include <sys/stat.h>

#include "relay/core/jwt_expiry.h"
#include "relay/core/relay_endpoint.h"
#include "shell/core/test_host.h"
#include "shell/desktop_isolation.h"
#include "shell/vesket_identity.h"

namespace vesket::relay {
namespace {

const QString kLegacyTokenService = QStringLiteral("com.nimbrel.vesket");
const QString kTokenAccount = QStringLiteral("relay-jwt-macos");
const QString kDeviceService = QStringLiteral("com.nimbrel.vesket.device-approval");
const QString kDeviceAccount = QStringLiteral("device-id");

bool ensurePrivateDirectory(const QString& dir) {
  if (!QDir().mkpath(dir)) return false;
  return ::chmod(QFile::encodeName(dir).constData(), 0700) == 0;
}

}  // namespace

namespace CredentialAccessGuard {

bool isTestProcess() { return shell::VesketIdentity::isRunningInTestHost() || shell::isTestProgram(); }

bool isTemporaryPath(const QString& path) {
  const QString temp = QFileInfo(QDir::tempPath()).canonicalFilePath();
  if (temp.isEmpty()) return false;
  // The file may not exist yet: resolve the deepest existing ancestor.
  QFileInfo info(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
  QString suffix;
  while (!info.exists() && info.fileName() != info.filePath()) {
    suffix = "/" + info.fileName() + suffix;
    const QString parent = info.path();
    if (parent == info.filePath()) break;
    info = QFileInfo(parent);
  }
  const QString resolved = QDir::cleanPath(info.canonicalFilePath() + suffix);
  return resolved.startsWith(temp + "/");
}

bool permits(const QString& path) { return !isTestProcess() || isTemporaryPath(path); }

}  // namespace CredentialAccessGuard

namespace CredentialFiles {

QString productHome() {
  return QString::fromStdString(shell::VesketIdentity::productHome(shell::VesketIdentity::currentHostFacts()));
}

std::optional<QString> read(const QString& path) {
  if (!CredentialAccessGuard::permits(path)) return std::nullopt;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  const QString text = QString::fromUtf8(file.readAll()).trimmed();
  if (text.isEmpty()) return std::nullopt;
  return text;
}

bool write(const QString& path, const QByteArray& contents) {
  if (!CredentialAccessGuard::permits(path)) return false;
  if (!ensurePrivateDirectory(QFileInfo(path).absolutePath())) return false;
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (::fchmod(file.handle(), 0600) != 0 || file.write(contents) != contents.size()) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

bool remove(const QString& path) {
  if (!CredentialAccessGuard::permits(path)) return false;
  return !QFile::exists(path) || QFile::remove(path);
}

}  // namespace CredentialFiles

namespace SecureItemStore {

QString path(const QString& service, const QString& account) {
  return shell::DesktopIsolation::stateDirectory() + "/secure-items/" + service + "/" + account;
}

std::optional<QString> read(const QString& service, const QString& account) {
  return CredentialFiles::read(path(service, account));
}

bool write(const QString& service, const QString& account, const QString& value) {
  const QString file = path(service, account);
  return ensurePrivateDirectory(QFileInfo(QFileInfo(file).absolutePath()).absolutePath()) &&
         CredentialFiles::write(file, value.toUtf8());
}

void remove(const QString& service, const QString& account) { CredentialFiles::remove(path(service, account)); }

}  // namespace SecureItemStore

namespace RelayAuthTokenStore {

QString path() { return CredentialFiles::productHome() + "/" + kTokenAccount; }

std::optional<QString> read() {
  if (auto token = CredentialFiles::read(path())) return token;
  if (QFile::exists(path()) || shell::DesktopIsolation::current()) return std::nullopt;
  // Older versions kept the token in the secure item store: move it into the file.
  auto legacy = SecureItemStore::read(kLegacyTokenService, kTokenAccount);
  if (legacy) save(*legacy);
  return legacy;
}

bool save(const QString& token) {
  const bool saved = CredentialFiles::write(path(), token.toUtf8());
  if (saved && !shell::DesktopIsolation::current()) SecureItemStore::remove(kLegacyTokenService, kTokenAccount);
  return saved;
}

void clear() {
  CredentialFiles::remove(path());
  if (!shell::DesktopIsolation::current()) SecureItemStore::remove(kLegacyTokenService, kTokenAccount);
}

std::optional<std::int64_t> userID(const QString& token) { return JWTExpiry::userID(token.toStdString()); }

}  // namespace RelayAuthTokenStore

std::optional<QString> InMemoryRelayUserTokenStore::read() const {
  const std::lock_guard lock(m_mutex);
  return m_token;
}

void InMemoryRelayUserTokenStore::save(const QString& token) {
  const std::lock_guard lock(m_mutex);
  m_token = token;
}

void InMemoryRelayUserTokenStore::clear() {
  const std::lock_guard lock(m_mutex);
  m_token.reset();
}

QString KeychainRelayDeviceIDStore::path() {
  if (const auto context = shell::DesktopIsolation::current()) {
    return QString::fromStdString(context->stateDirectory) + "/" + kDeviceAccount;
  }
  return SecureItemStore::path(kDeviceService, kDeviceAccount);
}

QString KeychainRelayDeviceIDStore::deviceID() {
  const QString file = path();
  if (auto id = CredentialFiles::read(file)) return *id;
  const QString id = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
  if (!shell::DesktopIsolation::current()) {
    ensurePrivateDirectory(QFileInfo(QFileInfo(file).absolutePath()).absolutePath());
  }
  CredentialFiles::write(file, id.toUtf8());
  return id;
}

namespace DaemonTokenStore {

QString environmentFilePath() { return CredentialFiles::productHome() + "/daemon/.env"; }

std::optional<QString> read() {
  const QString file = environmentFilePath();
  if (!CredentialAccessGuard::permits(file)) return std::nullopt;
  QFile env(file);
  if (!env.open(QIODevice::ReadOnly)) return std::nullopt;
  const auto token = DaemonEnvFile::value(env.readAll().toStdString(), "DAEMON_TOKEN");
  if (!token) return std::nullopt;
  return QString::fromStdString(*token);
}

}  // namespace DaemonTokenStore

}  // namespace vesket::relay
