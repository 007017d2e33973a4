#include "maintenance/tracked_mutation.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QThread>
#include <QUuid>

#include <cerrno>
#include <cstring>

#include <fmt/format.h>

#include "shell/core/vesket_identity.h"

namespace vesket::maintenance {

namespace {

using Kind = TrackedMutationError::Kind;

std::string s(const QString& text) { return text.toStdString(); }

QString cleanAbsolute(const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

bool isInside(const QString& path, const QString& directory) {
  const QString child = cleanAbsolute(path);
  const QString parent = cleanAbsolute(directory);
  return child == parent || child.startsWith(parent + QLatin1Char('/'));
}

QString defaultBuild() {
  QString version = QCoreApplication::applicationVersion();
  if (version.isEmpty()) version = QStringLiteral("dev");
  return version + QStringLiteral(" (unknown)");
}

// Symbolic links (dotfile managers link settings files) are written through, not replaced.
QString resolvedForWriting(const QString& path) {
  const QFileInfo info(path);
  if (info.isSymLink()) {
    const QString target = info.symLinkTarget();
    if (!target.isEmpty()) return target;
  }
  return path;
}

}  // namespace

void writeFileAtomically(const QString& path, const QByteArray& data) {
  const QString real = resolvedForWriting(path);
  const QString parent = QFileInfo(real).absolutePath();
  if (!QDir().mkpath(parent)) {
    throw TrackedMutationError(Kind::ioFailure, "cannot create the folder " + s(parent) + " (is it read-only?)");
  }
  QSaveFile file(real);
  if (!file.open(QIODevice::WriteOnly)) {
    throw TrackedMutationError(Kind::ioFailure, "cannot write " + s(path) + ": " + s(file.errorString()));
  }
  if (file.write(data) != data.size() || !file.commit()) {
    throw TrackedMutationError(Kind::ioFailure, "cannot write " + s(path) + ": " + s(file.errorString()));
  }
}

std::optional<QByteArray> readFileIfExists(const QString& path) {
  QFile file(path);
  if (!file.exists()) return std::nullopt;
  if (!file.open(QIODevice::ReadOnly)) {
    throw TrackedMutationError(Kind::ioFailure, "cannot read " + s(path) + ": " + s(file.errorString()));
  }
  return file.readAll();
}

TrackedMutation::TrackedMutation(std::optional<QString> base, std::optional<QString> build, std::optional<bool> isolated)
    : m_base(std::move(base)),
      m_isolated(isolated.value_or(qEnvironmentVariable("VESKET_DESKTOP_ISOLATED") == QLatin1String("1"))) {
  if (m_base) {
    m_productHome = cleanAbsolute(*m_base + QStringLiteral("/.vesket"));
  } else {
    shell::HostFacts host;
    host.userHome = QDir::homePath().toStdString();
    for (const char* name : {"VESKET_HOME", "DURNVALE_HOME"}) {
      if (qEnvironmentVariableIsSet(name)) host.environment[name] = qEnvironmentVariable(name).toStdString();
    }
    m_productHome = cleanAbsolute(QString::fromStdString(shell::VesketIdentity::productHome(host)));
  }
  if (m_isolated && (!m_base || !isInside(m_productHome, *m_base))) {
    throw TrackedMutationError(Kind::unsafeTestHome,
                               "isolation mode needs a throwaway home that holds the product home; refusing " +
                                   s(m_productHome));
  }
  m_manifestPath = m_productHome + QStringLiteral("/install-manifest.json");
  m_lockPath = m_productHome + QStringLiteral("/install-manifest.lock");
  m_build = build.value_or(defaultBuild());
}

void TrackedMutation::checkTarget(const QString& target) const {
  if (m_isolated && m_base && !isInside(target, *m_base)) {
    throw TrackedMutationError(Kind::unsafeTestHome, "refusing target outside throwaway HOME: " + s(target));
  }
}

std::string TrackedMutation::recordedTarget(const QString& target) { return s(cleanAbsolute(target)); }

void TrackedMutation::write(const QString& target, const QByteArray& data,
                            const std::vector<MutationObservation>& observations) {
  checkTarget(target);
  if (observations.empty()) {
    writeFileAtomically(target, data);
    return;
  }
  const QString real = resolvedForWriting(target);
  const std::optional<QByteArray> prior = readFileIfExists(real);
  const QFileDevice::Permissions priorPermissions = QFile::permissions(real);
  writeFileAtomically(target, data);
  try {
    record(target, observations);
  } catch (...) {
    if (prior) {
      try {
        writeFileAtomically(target, *prior);
      } catch (const TrackedMutationError&) {
        // Nothing better is possible; the recording error below says what failed first.
      }
      QFile::setPermissions(real, priorPermissions);
    } else {
      QFile::remove(real);
    }
    throw;
  }
}

void TrackedMutation::writeText(const QString& target, const std::string& text,
                                const std::vector<MutationObservation>& observations) {
  write(target, QByteArray::fromStdString(text), observations);
}

void TrackedMutation::copy(const std::string& id, const QString& source, const QString& target,
                           const std::string& locator) {
  const auto bytes = readFileIfExists(source);
  if (!bytes) throw TrackedMutationError(Kind::ioFailure, "cannot copy " + s(source) + ": it does not exist");
  const auto prior = readFileIfExists(target);
  MutationObservation observation;
  observation.id = id;
  observation.locator = locator;
  observation.kind = "backup";
  observation.before.exists = prior.has_value();
  if (prior) observation.before.value = MutationValue::fileContent(prior->toStdString());
  observation.afterValue = MutationValue::fileContent(bytes->toStdString());
  observation.multiplicity = {prior ? 1 : 0, 1};
  observation.owned = !prior;
  write(target, *bytes, {observation});
}

void TrackedMutation::observe(const QString& target, const std::vector<MutationObservation>& observations) {
  checkTarget(target);
  record(target, observations);
}

InstallManifest TrackedMutation::readManifest() const {
  const auto bytes = readFileIfExists(m_manifestPath);
  if (!bytes) {
    InstallManifest manifest;
    manifest.installId = s(QUuid::createUuid().toString(QUuid::WithoutBraces));
    return manifest;
  }
  try {
    return InstallManifest::decode(bytes->toStdString());
  } catch (const InvalidManifest& error) {
    throw TrackedMutationError(Kind::invalidManifest, s(m_manifestPath) + ": " + error.what() + "; nothing was changed");
  }
}

void TrackedMutation::updateManifest(const std::function<void(InstallManifest&)>& change) {
  withLock([&] {
    InstallManifest manifest = readManifest();
    change(manifest);
    writeFileAtomically(m_manifestPath, QByteArray::fromStdString(manifest.encode()));
  });
}

void TrackedMutation::record(const QString& target, const std::vector<MutationObservation>& observations) {
  const std::string updatedAt = s(QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
  updateManifest([&](InstallManifest& manifest) {
    manifest.record(recordedTarget(target), observations, s(m_build), updatedAt);
  });
}

void TrackedMutation::withLock(const std::function<void()>& body) const {
  if (!QDir().mkpath(m_productHome)) {
    throw TrackedMutationError(Kind::ioFailure, "cannot create the product home " + s(m_productHome));
  }
  const QByteArray path = QFile::encodeName(m_lockPath);
  const auto deadline = std::chrono::steady_clock::now() + lockWait;
  int fd = -1;
  while (true) {
    fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) break;
    if (errno != EEXIST) {
      throw TrackedMutationError(Kind::ioFailure, "cannot create the lock " + s(m_lockPath) + ": " + std::strerror(errno));
    }
    const QDateTime modified = QFileInfo(m_lockPath).lastModified();
    if (modified.isValid() && modified.msecsTo(QDateTime::currentDateTime()) > staleLockAge.count()) {
      QFile::remove(m_lockPath);  // a dead writer's; try again at once
      continue;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      throw TrackedMutationError(Kind::lockTimeout,
                                 fmt::format("another Vesket process is changing the install manifest (lock {} held for "
                                             "more than {:.1f} s); nothing was changed, try again",
                                             s(m_lockPath), static_cast<double>(lockWait.count()) / 1000.0));
    }
    QThread::msleep(10);
  }
  const std::string pid = std::to_string(::getpid()) + "\n";
  [[maybe_unused]] const ssize_t written = ::write(fd, pid.data(), pid.size());
  struct Release {
    int fd;
    const QString& path;
    ~Release() {
      ::close(fd);
      QFile::remove(path);
    }
  } release{fd, m_lockPath};
  body();
}

}  // namespace vesket::maintenance
