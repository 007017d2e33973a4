#pragma once

// A private product home, state directory and settings file for relay client tests: the
// environment points VESKET_HOME, HOME and XDG_STATE_HOME into a temporary directory.

#include <QDir>
#include <QTemporaryDir>

#include <memory>

#include "shell/settings_store.h"

namespace vesket::testing {

class RelayTestHome {
 public:
  RelayTestHome() {
    qputenv("HOME", (m_dir.path() + "/home").toUtf8());
    qputenv("VESKET_HOME", productHome().toUtf8());
    qputenv("XDG_STATE_HOME", (m_dir.path() + "/state").toUtf8());
    qputenv("XDG_CONFIG_HOME", (m_dir.path() + "/config").toUtf8());
    QDir().mkpath(m_dir.path() + "/home");
    settings = shell::SettingsStore::openFile(m_dir.path() + "/preferences.ini");
  }

  QString path() const { return m_dir.path(); }
  QString productHome() const { return m_dir.path() + "/vesket-home"; }
  QString relayDataDir(const QString& name) const { return m_dir.path() + "/relay-" + name; }

  std::unique_ptr<shell::SettingsStore> settings;

 private:
  QTemporaryDir m_dir;
};

}  // namespace vesket::testing
