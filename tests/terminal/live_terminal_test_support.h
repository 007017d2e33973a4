#pragma once

// Shared set-up of the live terminal tests: QtWebEngine offscreen without a sandbox, and
// small helpers that wait on the page.

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QVariant>
#include <QWebEngineView>

#include <functional>

#include "terminal/live_terminal_view.h"

namespace vesket::testing {

inline void prepareWebEngine() {
  static QTemporaryDir runtimeDir;
  QFile::setPermissions(runtimeDir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  qputenv("XDG_RUNTIME_DIR", runtimeDir.path().toUtf8());
  qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS")) qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --no-sandbox");
}

inline bool waitForCondition(const std::function<bool()>& condition, int timeoutMs = 10000) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > timeoutMs) return false;
    QTest::qWait(5);
  }
  return true;
}

// Runs a script in the view's page and waits for its result.
inline QVariant evaluate(terminal::LiveTerminalView& view, const QString& script, int timeoutMs = 10000) {
  QVariant result;
  bool done = false;
  view.runScript(script, [&](const QVariant& value) {
    result = value;
    done = true;
  });
  waitForCondition([&] { return done; }, timeoutMs);
  return result;
}

inline QString screenText(terminal::LiveTerminalView& view) {
  return evaluate(view, QStringLiteral("window.__termScreenText ? window.__termScreenText() : ''")).toString();
}

// The widget that receives the page's keyboard input.
inline QWidget* keyTarget(terminal::LiveTerminalView& view) {
  view.webView()->activateWindow();
  view.webView()->setFocus();
  QWidget* proxy = view.webView()->focusProxy();
  return proxy ? proxy : view.webView();
}

}  // namespace vesket::testing
