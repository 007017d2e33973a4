#pragma once

// Every change to another program's file goes through a TrackedMutation: it writes the
// file and, in the same step, records in the install manifest what was there before and
// what was written, so that an uninstaller can later put back exactly what the product
// changed. The file is always left either as it was or fully written with its record;
// never written without one.
//
// The manifest ("install-manifest.json" in the product home) is shared by every process
// that changes files (the application, `vesket skills sync`, `vesket uninstall`); the
// lock file beside it serialises them. A lock older than 30 s belongs to a dead writer.

#include <QByteArray>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "maintenance/core/install_manifest.h"

namespace vesket::maintenance {

class TrackedMutationError : public std::runtime_error {
 public:
  enum class Kind {
    unsafeTestHome,   // isolation mode without a throwaway home, or a target outside it
    invalidManifest,  // the manifest does not decode or was written by a newer version
    lockTimeout,      // another writer held the lock for the whole wait
    ioFailure,        // a file could not be read or written
  };
  TrackedMutationError(Kind kind, const std::string& message) : std::runtime_error(message), m_kind(kind) {}
  Kind kind() const { return m_kind; }

 private:
  Kind m_kind;
};

class TrackedMutation {
 public:
  // `base` stands in for the user's home: the product home is base + "/.vesket". Without
  // it the product home is $VESKET_HOME, else ~/.vesket. `build` defaults to the
  // application's version and "(unknown)". `isolated` (default: VESKET_DESKTOP_ISOLATED is
  // "1") demands a base that holds the product home. Throws unsafeTestHome.
  explicit TrackedMutation(std::optional<QString> base = std::nullopt, std::optional<QString> build = std::nullopt,
                           std::optional<bool> isolated = std::nullopt);

  const QString& productHome() const { return m_productHome; }
  const QString& manifestPath() const { return m_manifestPath; }
  const QString& lockPath() const { return m_lockPath; }
  const QString& build() const { return m_build; }

  // Writes `data` to `target` atomically and records the observations (no observations:
  // just writes). On a recording failure the file is put back as it was and the error
  // raised. Throws TrackedMutationError.
  void write(const QString& target, const QByteArray& data, const std::vector<MutationObservation>& observations);
  void writeText(const QString& target, const std::string& text, const std::vector<MutationObservation>& observations);
  // Copies `source` to `target` (a backup) and records it under `id`.
  void copy(const std::string& id, const QString& source, const QString& target, const std::string& locator = "$file");
  // Records observations for a change the caller made itself.
  void observe(const QString& target, const std::vector<MutationObservation>& observations);

  // The manifest as it is now (empty when there is none). Throws invalidManifest.
  InstallManifest readManifest() const;
  // Runs `change` on the manifest inside the lock and writes the result.
  void updateManifest(const std::function<void(InstallManifest&)>& change);

  // The path a record names for `target` (absolute, cleaned).
  static std::string recordedTarget(const QString& target);

  // Runs `body` holding the lock file. Throws lockTimeout.
  void withLock(const std::function<void()>& body) const;

  std::chrono::milliseconds lockWait{2000};
  std::chrono::milliseconds staleLockAge{30000};

 private:
  void checkTarget(const QString& target) const;
  void record(const QString& target, const std::vector<MutationObservation>& observations);

  std::optional<QString> m_base;
  bool m_isolated = false;
  QString m_productHome;
  QString m_manifestPath;
  QString m_lockPath;
  QString m_build;
};

// Writes `data` to `path` through a temporary file and a rename, creating the folders.
// Throws TrackedMutationError (ioFailure) naming the path and the reason.
void writeFileAtomically(const QString& path, const QByteArray& data);
// The file's bytes, or none when it does not exist. Throws ioFailure when it exists but
// cannot be read.
std::optional<QByteArray> readFileIfExists(const QString& path);

}  // namespace vesket::maintenance
