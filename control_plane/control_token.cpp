#include "control_plane/control_token.h"

#include <QFile>

namespace vesket::control_plane {

std::string controlTokenFile(const std::string& home) { return home + "/daemon/control-token"; }

std::optional<std::string> controlTokenForHome(const std::string& home) {
  const QString fromEnvironment = qEnvironmentVariable("CONTROL_TOKEN");
  if (!fromEnvironment.isEmpty()) return fromEnvironment.toStdString();
  QFile file(QString::fromStdString(controlTokenFile(home)));
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  const QString token = QString::fromUtf8(file.read(4096)).trimmed();
  if (token.isEmpty()) return std::nullopt;
  return token.toStdString();
}

}  // namespace vesket::control_plane
