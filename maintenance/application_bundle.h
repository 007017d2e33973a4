#pragma once

#include <QString>

#include <optional>

namespace vesket::maintenance {

// The installed application, this platform's stand-in for the application bundle: a
// directory holding bin/vesket-desktop, bin/vesket (with its release signature), the
// terminal page under share/vesket/terminal and "bundle-info.json" ({"version", "build"}).
// The updater unpacks each release into <home>/app/releases/<name> and points the symbolic
// link <home>/app/current at it in one rename, so the application is replaced atomically.
namespace ApplicationBundle {

inline constexpr const char* kInfoFileName = "bundle-info.json";

struct Info {
  QString version;
  qint64 build = 0;
};

QString appRoot(const QString& home);
QString releasesDir(const QString& home);
// The bundle the application runs from after an update: <home>/app/current.
QString currentBundle(const QString& home);
QString executable(const QString& bundle);
QString daemon(const QString& bundle);

// The bundle's info file; nothing when it is missing or not {"version": text, "build": n}.
std::optional<Info> readInfo(const QString& bundle);
// The build of the program running from `applicationDir` (a bundle's bin/): the bundle's
// info when there is one, else the build it was compiled as.
qint64 ownBuild(const QString& applicationDir, qint64 compiledBuild);

}  // namespace ApplicationBundle
}  // namespace vesket::maintenance
