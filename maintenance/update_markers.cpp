#include "maintenance/update_markers.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace vesket::maintenance {
namespace {

std::optional<std::string> readSmall(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  return file.read(64 * 1024).toStdString();
}

QString pathOf(const std::string& path) { return QString::fromStdString(path); }

}  // namespace

QString UpdateMarkers::pendingRestartPath() const {
  return pathOf(PendingRestartMarker::path(m_home.toStdString()));
}

bool UpdateMarkers::pendingRestartExists() const { return QFileInfo::exists(pendingRestartPath()); }

std::optional<qint64> UpdateMarkers::pendingRestartTarget() const {
  const auto text = readSmall(pendingRestartPath());
  if (!text) return std::nullopt;
  return PendingRestartMarker::parseTargetBuild(*text);
}

bool UpdateMarkers::writePendingRestart(qint64 targetBuild) const {
  QSaveFile file(pendingRestartPath());
  const QByteArray text = QByteArray::number(targetBuild) + '\n';
  return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit();
}

void UpdateMarkers::clearPendingRestart() const { QFile::remove(pendingRestartPath()); }

std::vector<std::string> UpdateMarkers::permissionsLost() const {
  const auto text = readSmall(pathOf(PermissionLossMarker::path(m_home.toStdString())));
  return text ? PermissionLossMarker::decode(*text) : std::vector<std::string>{};
}

std::optional<FdaNeededMarker> UpdateMarkers::fdaNeeded() const {
  const auto text = readSmall(pathOf(FdaNeededMarker::markerPath(m_home.toStdString())));
  return text ? FdaNeededMarker::decode(*text) : std::nullopt;
}

}  // namespace vesket::maintenance
