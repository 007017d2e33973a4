#pragma once

#include <QDir>
#include <QString>
#include <QWidget>

namespace vesket::testing {

// Saves a picture of the widget under the test-artifacts directory (VESKET_TEST_ARTIFACTS,
// set by ctest) and gives its path; empty when no directory is configured.
inline QString saveScreenshot(QWidget& widget, const QString& name) {
  const QString dir = qEnvironmentVariable("VESKET_TEST_ARTIFACTS");
  if (dir.isEmpty()) return {};
  QDir().mkpath(dir);
  const QString path = dir + "/" + name + ".png";
  widget.grab().save(path);
  return path;
}

}  // namespace vesket::testing
