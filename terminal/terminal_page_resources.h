#pragma once

// Where the live terminal page lives inside the application: qrc:/terminal/index.html,
// next to its scripts and the xterm.js files under vendor/.

#include <QString>
#include <QStringList>
#include <QUrl>

namespace vesket::terminal {

struct TerminalPageResources {
  // The page to load in the web view.
  static QUrl entryUrl();
  // Resource paths (":/terminal/...") of every file the page needs.
  static QStringList requiredFiles();
  // The files of requiredFiles() that are missing; empty when the page can load.
  static QStringList missingFiles();
  // Whether the page and everything it loads are bundled.
  static bool isPresent() { return missingFiles().isEmpty(); }
};

}  // namespace vesket::terminal
