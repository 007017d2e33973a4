#pragma once

// The main window as the application shows it, for the window's tests against a daemon.

#include <QApplication>
#include <QSize>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "control_plane/control_plane_client.h"
#include "shell/settings_store.h"
#include "tests/support/event_loop.h"
#include "ui/main_window.h"
#include "ui/settings_dialog.h"
#include "ui/theme.h"
#include "viewer/terminal_viewer_model.h"

namespace vesket::testing {

// The window over a model of `client`, in the application's theme, shown and started; the
// model stops before the window goes.
struct ShownMainWindow {
  ShownMainWindow(std::shared_ptr<control_plane::ControlPlaneClient> client, QSize size,
                  shell::SettingsStore* settings = nullptr)
      : model(std::move(client), settings), window(model) {
    window.resize(size);
    window.show();
    model.start();
  }
  ~ShownMainWindow() { model.stop(); }

  // Whether the window came to show `paneId` (the session's only pane is selected first).
  bool follows(const QString& paneId) {
    return waitUntil([&] { return model.selectedPaneId() == paneId.toStdString(); }, 15000);
  }

  ui::Theme theme;
  bool themed = (theme.apply(*qApp), true);  // before the window reads its colours
  viewer::TerminalViewerModel model;
  ui::MainWindow window;
};

// Runs `inside` on the settings dialog once the window has opened it, then closes it.
inline void whileSettingsOpen(ui::MainWindow& window, const std::function<void(ui::SettingsDialog&)>& inside) {
  bool seen = false;
  QTimer::singleShot(0, &window, [&] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* dialog = qobject_cast<ui::SettingsDialog*>(widget);
      if (!dialog || !dialog->isVisible()) continue;
      seen = true;
      inside(*dialog);
      dialog->reject();
      return;
    }
    ADD_FAILURE() << "no settings dialog open";
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* dialog = qobject_cast<QDialog*>(widget)) dialog->reject();
    }
  });
  window.openSettings();
  EXPECT_TRUE(seen);
}

}  // namespace vesket::testing
