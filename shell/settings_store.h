#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>

#include <memory>
#include <mutex>
#include <optional>

#include "shell/settings_key.h"

class QSettings;

namespace vesket::shell {

// The application's settings store: a QSettings domain with typed accessors. A stored value
// that does not read as the asked type counts as unset. One instance may be shared by
// every thread (access is serialised). Obtain the process's store from
// DesktopIsolation::defaults().
class SettingsStore {
 public:
  explicit SettingsStore(std::unique_ptr<QSettings> settings);
  ~SettingsStore();
  SettingsStore(const SettingsStore&) = delete;
  SettingsStore& operator=(const SettingsStore&) = delete;

  // An INI store at `path`, its directory created as needed; nothing when the directory
  // cannot be created or the file cannot be read and written.
  static std::unique_ptr<SettingsStore> openFile(const QString& path);
  // The user's standard settings of the desktop application (organisation "Vesket",
  // application "vesket-desktop"); on Linux "$XDG_CONFIG_HOME/Vesket/vesket-desktop.conf".
  static std::unique_ptr<SettingsStore> openStandard();

  QString fileName() const;

  bool contains(const QString& key) const;
  void remove(const QString& key);
  QVariant value(const QString& key) const;
  void setValue(const QString& key, const QVariant& value);

  std::optional<bool> boolValue(const QString& key) const;
  std::optional<qint64> intValue(const QString& key) const;
  std::optional<double> doubleValue(const QString& key) const;
  std::optional<QString> stringValue(const QString& key) const;
  std::optional<QDateTime> dateValue(const QString& key) const;
  void setDate(const QString& key, const QDateTime& date);  // stored as ISO 8601, UTC

  // Typed keys: the stored value, or the key's default while unset.
  bool get(const SettingKey<bool>& key) const;
  int get(const SettingKey<int>& key) const;
  double get(const SettingKey<double>& key) const;
  QString get(const SettingKey<QStringView>& key) const;
  std::optional<QDateTime> get(const DateSettingKey& key) const;
  void set(const SettingKey<bool>& key, bool value);
  void set(const SettingKey<int>& key, int value);
  void set(const SettingKey<double>& key, double value);
  void set(const DateSettingKey& key, const QDateTime& value);

  // Writes pending changes to disk; false when that failed.
  bool sync();

 private:
  static QString keyName(std::string_view name);

  mutable std::mutex m_mutex;
  std::unique_ptr<QSettings> m_settings;
};

}  // namespace vesket::shell
