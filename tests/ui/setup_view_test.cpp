// The setup view: tools found or missing with their fix, the daemon's provisioning failure
// in the view and as an alert, and the rollback pin section.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "supervision/status_poller.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/event_loop.h"
#include "tests/support/screenshot.h"
#include "ui/setup_view.h"

namespace vesket::ui {
namespace {

using supervision::DaemonProvision::Failure;

TEST(SetupViewTest, ShowsEachToolWithItsFixAndTheProvisioningFailure) {
  QTemporaryDir root;
  TemporaryUser user(root.path());
  const QString tools = root.filePath("login-tools");
  QDir().mkpath(tools);
  QDir().mkpath(root.filePath("empty"));
  user.environment().set("VESKET_HOME", (user.home() + "/.vesket").toUtf8());
  user.environment().set("PATH", root.filePath("empty").toUtf8());
  const QString shell = root.filePath("login-shell");
  {
    QFile file(shell);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("#!/bin/sh\nPATH='%1'; export PATH\nshift; shift\nexec /bin/sh -c \"$1\"\n")
                   .arg(tools)
                   .toUtf8());
    QFile tmux(tools + "/tmux");
    ASSERT_TRUE(tmux.open(QIODevice::WriteOnly));
    tmux.write("#!/bin/sh\n");
  }
  for (const QString& path : {shell, tools + "/tmux"}) {
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  }
  user.environment().set("SHELL", shell.toUtf8());

  // The poller is not started: no daemon is provisioned by this test.
  supervision::StatusPoller poller({user.home() + "/.vesket", root.filePath("app/vesket")});
  SetupView view(poller, user.home());
  view.show();
  view.refresh();
  ASSERT_TRUE(testing::waitUntil([&] { return view.report().has_value(); }, 20000));

  const auto* tmux = view.findChild<QLabel*>("status-tmux");
  ASSERT_NE(tmux, nullptr);
  EXPECT_EQ(tmux->text(), "Found at " + tools + "/tmux");
  const auto* claude = view.findChild<QLabel*>("status-claude");
  ASSERT_NE(claude, nullptr);
  EXPECT_EQ(claude->text(), "Missing");
  auto* copy = view.findChild<QPushButton*>("copy-claude");
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->toolTip(), "npm install -g @anthropic-ai/claude-code");
  EXPECT_EQ(view.findChild<QPushButton*>("setupTmux"), nullptr) << "tmux is there: nothing to set up";
  const auto* homebrew = view.findChild<QLabel*>("environment-homebrew");
  ASSERT_NE(homebrew, nullptr);
  EXPECT_TRUE(homebrew->text().contains("not applicable on this system"));
  EXPECT_EQ(view.findChild<QLabel*>("daemonState")->text(), "Not running");
  // A command line to copy says what it is for.
  if (const auto* command = view.findChild<QLabel*>("environmentCommand")) {
    const auto labels = view.findChildren<QLabel*>();
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [&](const QLabel* label) {
      return label->text().startsWith("To install ") && label->text().endsWith("run this command in a terminal:");
    })) << command->text().toStdString();
  }
  EXPECT_FALSE(view.findChild<QWidget*>("rollbackPin")->isVisible());

  // Without tmux the view offers to set it up.
  ASSERT_TRUE(QFile::remove(tools + "/tmux"));
  view.refresh();
  ASSERT_TRUE(testing::waitUntil([&] { return view.findChild<QPushButton*>("setupTmux") != nullptr; }, 20000));
  EXPECT_EQ(view.findChild<QLabel*>("status-tmux")->text(), "Missing");

  poller.recordDaemonProvisionFailure(Failure::replacementRolledBack);
  EXPECT_EQ(view.findChild<QLabel*>("failureTitle")->text(), "Vesket restored the previous daemon");
  EXPECT_TRUE(view.findChild<QLabel*>("failureReason")->text().endsWith(
      "Vesket installed a new daemon but it did not stay running, so the previous daemon was restored."));
  ASSERT_NE(view.failureAlert(), nullptr);
  EXPECT_EQ(view.failureAlert()->windowTitle(), "Vesket restored the previous daemon");
  testing::saveScreenshot(view, "setup-view-rolled-back");

  // A failure the user is not to see gets no alert of its own.
  view.failureAlert()->close();
  testing::spinFor(50);
  poller.recordDaemonProvisionFailure(Failure::sidecarSyncFailed);
  EXPECT_EQ(view.failureAlert(), nullptr);
}

}  // namespace
}  // namespace vesket::ui
