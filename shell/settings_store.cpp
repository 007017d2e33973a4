#include "shell/settings_store.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <limits>

namespace vesket::shell {

SettingsStore::SettingsStore(std::unique_ptr<QSettings> settings)
    : m_settings(std::move(settings)) {}

SettingsStore::~SettingsStore() {
  std::lock_guard lock(m_mutex);
  m_settings->sync();
}

std::unique_ptr<SettingsStore> SettingsStore::openFile(const QString& path) {
  const QFileInfo file(path);
  if (!QDir().mkpath(file.absolutePath())) return nullptr;
  const QFileInfo directory(file.absolutePath());
  if (!directory.isDir() || !directory.isWritable()) return nullptr;
  if (file.exists() && (!file.isFile() || !file.isReadable() || !file.isWritable())) return nullptr;

  auto settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
  if (settings->status() != QSettings::NoError) return nullptr;
  return std::make_unique<SettingsStore>(std::move(settings));
}

std::unique_ptr<SettingsStore> SettingsStore::openStandard() {
  return std::make_unique<SettingsStore>(std::make_unique<QSettings>(
      QSettings::NativeFormat, QSettings::UserScope, "Vesket", "vesket-desktop"));
}

QString SettingsStore::fileName() const {
  std::lock_guard lock(m_mutex);
  return m_settings->fileName();
}

bool SettingsStore::contains(const QString& key) const {
  std::lock_guard lock(m_mutex);
  return m_settings->contains(key);
}

void SettingsStore::remove(const QString& key) {
  std::lock_guard lock(m_mutex);
  m_settings->remove(key);
}

QVariant SettingsStore::value(const QString& key) const {
  std::lock_guard lock(m_mutex);
  return m_settings->value(key);
}

void SettingsStore::setValue(const QString& key, const QVariant& value) {
  std::lock_guard lock(m_mutex);
  m_settings->setValue(key, value);
}

std::optional<bool> SettingsStore::boolValue(const QString& key) const {
  const QVariant stored = value(key);
  if (!stored.isValid()) return std::nullopt;
  if (stored.typeId() == QMetaType::Bool) return stored.toBool();
  // INI files hold text: only the spellings QSettings itself writes count.
  const QString text = stored.toString().trimmed().toLower();
  if (text == "true" || text == "1") return true;
  if (text == "false" || text == "0") return false;
  return std::nullopt;
}

std::optional<qint64> SettingsStore::intValue(const QString& key) const {
  const QVariant stored = value(key);
  if (!stored.isValid() || stored.typeId() == QMetaType::Bool) return std::nullopt;
  bool ok = false;
  const qint64 number = stored.toString().trimmed().toLongLong(&ok);
  if (!ok) return std::nullopt;
  return number;
}

std::optional<double> SettingsStore::doubleValue(const QString& key) const {
  const QVariant stored = value(key);
  if (!stored.isValid() || stored.typeId() == QMetaType::Bool) return std::nullopt;
  bool ok = false;
  const double number = stored.toString().trimmed().toDouble(&ok);
  if (!ok) return std::nullopt;
  return number;
}

std::optional<QString> SettingsStore::stringValue(const QString& key) const {
  const QVariant stored = value(key);
  if (!stored.isValid() || !stored.canConvert<QString>()) return std::nullopt;
  return stored.toString();
}

std::optional<QDateTime> SettingsStore::dateValue(const QString& key) const {
  const QVariant stored = value(key);
  if (!stored.isValid()) return std::nullopt;
  if (stored.typeId() == QMetaType::QDateTime) return stored.toDateTime();
  const auto date = QDateTime::fromString(stored.toString(), Qt::ISODateWithMs);
  if (!date.isValid()) return std::nullopt;
  return date;
}

void SettingsStore::setDate(const QString& key, const QDateTime& date) {
  setValue(key, date.toUTC().toString(Qt::ISODateWithMs));
}

QString SettingsStore::keyName(std::string_view name) {
  return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

bool SettingsStore::get(const SettingKey<bool>& key) const {
  return boolValue(keyName(key.name)).value_or(key.defaultValue);
}

int SettingsStore::get(const SettingKey<int>& key) const {
  const auto stored = intValue(keyName(key.name));
  if (!stored || *stored < std::numeric_limits<int>::min() ||
      *stored > std::numeric_limits<int>::max()) {
    return key.defaultValue;
  }
  return static_cast<int>(*stored);
}

double SettingsStore::get(const SettingKey<double>& key) const {
  return doubleValue(keyName(key.name)).value_or(key.defaultValue);
}

QString SettingsStore::get(const SettingKey<QStringView>& key) const {
  return stringValue(keyName(key.name)).value_or(key.defaultValue.toString());
}

std::optional<QDateTime> SettingsStore::get(const DateSettingKey& key) const {
  return dateValue(keyName(key.name));
}

void SettingsStore::set(const SettingKey<bool>& key, bool value) { setValue(keyName(key.name), value); }

void SettingsStore::set(const SettingKey<int>& key, int value) { setValue(keyName(key.name), value); }

void SettingsStore::set(const SettingKey<double>& key, double value) {
  setValue(keyName(key.name), value);
}

void SettingsStore::set(const DateSettingKey& key, const QDateTime& value) {
  setDate(keyName(key.name), value);
}

bool SettingsStore::sync() {
  std::lock_guard lock(m_mutex);
  m_settings->sync();
  return m_settings->status() == QSettings::NoError;
}

}  // namespace vesket::shell
