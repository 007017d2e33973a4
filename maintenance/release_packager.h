#pragma once

#include <QString>
#include <QStringList>

#include <utility>
#include <variant>
#include <vector>

#include "maintenance/core/release_catalog.h"

namespace vesket::maintenance {

// Publishes one release into a downloads directory: a self-contained tarball of the
// application bundle (see ApplicationBundle: the application, the daemon re-signed with
// the release key, the terminal page and any other files, plus bundle-info.json), its
// release signature beside it (<artifact>.sig, the same Ed25519 sidecar the daemon
// carries), and the entry in the directory's releases.json. Used by scripts/release
// (through the vesket-release tool) and by the update tests. The programs go in without
// their debug information (`strip --strip-debug`).
struct ReleaseInputs {
  QString version;
  qint64 build = 0;
  QString channel = QStringLiteral("stable");
  QString platform = QStringLiteral("linux-x86_64");
  QString application;  // vesket-desktop
  QString daemon;       // vesket
  // Further files: source path and its path inside the bundle ("share/vesket/terminal/x").
  std::vector<std::pair<QString, QString>> files;
  QString signingKey;   // Ed25519 private key, PEM
  QString outputDir;    // the downloads directory
};

namespace ReleasePackager {

// "vesket-<version>-b<build>-<platform>": the bundle's top directory; + ".tar.gz" the artifact.
QString bundleName(const ReleaseInputs& inputs);
// The published entry, or the reason nothing (or, for a catalog that could not be written,
// not everything) was published.
std::variant<ReleaseEntry, QString> publish(const ReleaseInputs& inputs);

}  // namespace ReleasePackager
}  // namespace vesket::maintenance
