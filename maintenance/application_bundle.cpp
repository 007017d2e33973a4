#include "maintenance/application_bundle.h"

#include <QDir>
#include <QFile>

#include <nlohmann/json.hpp>

namespace vesket::maintenance::ApplicationBundle {

QString appRoot(const QString& home) { return home + QStringLiteral("/app"); }
QString releasesDir(const QString& home) { return appRoot(home) + QStringLiteral("/releases"); }
QString currentBundle(const QString& home) { return appRoot(home) + QStringLiteral("/current"); }
QString executable(const QString& bundle) { return bundle + QStringLiteral("/bin/vesket-desktop"); }
QString daemon(const QString& bundle) { return bundle + QStringLiteral("/bin/vesket"); }

std::optional<Info> readInfo(const QString& bundle) {
  QFile file(bundle + QLatin1Char('/') + QLatin1String(kInfoFileName));
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  const auto json = nlohmann::json::parse(file.read(64 * 1024).toStdString(), nullptr, false);
  if (!json.is_object() || !json.contains("version") || !json["version"].is_string() || !json.contains("build") ||
      !json["build"].is_number_integer()) {
    return std::nullopt;
  }
  return Info{QString::fromStdString(json["version"].get<std::string>()), json["build"].get<qint64>()};
}

qint64 ownBuild(const QString& applicationDir, qint64 compiledBuild) {
  if (const auto info = readInfo(QDir::cleanPath(applicationDir + QStringLiteral("/.."))); info) return info->build;
  return compiledBuild;
}

}  // namespace vesket::maintenance::ApplicationBundle
