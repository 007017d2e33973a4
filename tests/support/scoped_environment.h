#pragma once

#include <QByteArray>
#include <QTemporaryDir>

#include <map>
#include <optional>
#include <string>

// Sets and unsets environment variables for the life of the object and restores the
// previous values afterwards.
class ScopedEnvironment {
 public:
  ScopedEnvironment() = default;
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
  ~ScopedEnvironment() {
    for (const auto& [name, value] : m_saved) {
      if (value) qputenv(name.c_str(), *value);
      else qunsetenv(name.c_str());
    }
  }

  void set(const std::string& name, const QByteArray& value) {
    save(name);
    qputenv(name.c_str(), value);
  }
  void unset(const std::string& name) {
    save(name);
    qunsetenv(name.c_str());
  }

 private:
  void save(const std::string& name) {
    if (m_saved.contains(name)) return;
    m_saved[name] = qEnvironmentVariableIsSet(name.c_str())
                        ? std::optional<QByteArray>(qgetenv(name.c_str()))
                        : std::nullopt;
  }

  std::map<std::string, std::optional<QByteArray>> m_saved;
};

// A temporary user: HOME and the XDG base directories inside a fresh temporary directory
// (or inside `root` when given), no product-home or isolation variables.
class TemporaryUser {
 public:
  explicit TemporaryUser(const QString& root = {}) {
    if (root.isEmpty()) {
      m_directory.emplace();
      m_root = m_directory->path();
    } else {
      m_root = root;
    }
    const QByteArray rootBytes = m_root.toUtf8();
    m_environment.set("HOME", rootBytes + "/home");
    m_environment.set("XDG_CONFIG_HOME", rootBytes + "/config");
    m_environment.set("XDG_STATE_HOME", rootBytes + "/state");
    m_environment.set("XDG_DATA_HOME", rootBytes + "/data");
    m_environment.set("XDG_CACHE_HOME", rootBytes + "/cache");
    for (const char* name : {"VESKET_HOME", "DURNVALE_HOME", "VESKET_DESKTOP_ISOLATED",
                             "XCTestConfigurationFilePath", "XCTestSessionIdentifier",
                             "XCTestBundlePath"}) {
      m_environment.unset(name);
    }
  }

  QString root() const { return m_root; }
  QString home() const { return m_root + "/home"; }
  ScopedEnvironment& environment() { return m_environment; }

 private:
  std::optional<QTemporaryDir> m_directory;
  QString m_root;
  ScopedEnvironment m_environment;
};
