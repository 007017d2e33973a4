#include "terminal/terminal_page_resources.h"

#include <QFileInfo>

namespace vesket::terminal {

QUrl TerminalPageResources::entryUrl() { return QUrl(QStringLiteral("qrc:/terminal/index.html")); }

QStringList TerminalPageResources::requiredFiles() {
  return {
      QStringLiteral(":/terminal/index.html"),         QStringLiteral(":/terminal/terminal.js"),
      QStringLiteral(":/terminal/terminal.css"),       QStringLiteral(":/terminal/vendor/xterm.js"),
      QStringLiteral(":/terminal/vendor/xterm.css"),   QStringLiteral(":/terminal/vendor/addon-fit.js"),
      QStringLiteral(":/terminal/vendor/addon-web-links.js"),
  };
}

QStringList TerminalPageResources::missingFiles() {
  QStringList missing;
  for (const QString& path : requiredFiles()) {
    const QFileInfo info(path);
    if (!info.exists() || info.size() == 0) missing.push_back(path);
  }
  return missing;
}

}  // namespace vesket::terminal
