// The sidebar's machine picker against the real relay and a real linked daemon: with another
// machine on the account, choosing it lists that machine's panes through the relay, and
// "This machine" brings the local ones back.
#include <QComboBox>
#include <QNetworkAccessManager>

#include <gtest/gtest.h>

#include "relay/pairing_flow.h"
#include "relay/relay_client.h"
#include "relay/relay_pane_source.h"
#include "tests/support/linked_daemon_fixture.h"
#include "tests/support/screenshot.h"
#include "ui/main_window.h"
#include "viewer/pane_list_store.h"
#include "viewer/terminal_viewer_model.h"

namespace vesket::testing {
namespace {

class MachinePickerTest : public LinkedDaemonTest {};

TEST_F(MachinePickerTest, ChoosingAnotherMachineListsItsPanesAndThisMachineBringsOursBack) {
  const auto [token, userId, daemonId] = linkNewAccount("picker@example.org");
  const QUrl base(m_relay->baseUrl());
  const QString bearer = QString::fromStdString(token);
  QNetworkAccessManager network;
  viewer::TerminalViewerModel model(m_client, nullptr);
  model.setRemoteSource(std::make_shared<relay::RelayPaneSource>(
      base, [&model] { return model.activeRemoteTarget(); }, [bearer] { return std::optional<QString>(bearer); }, &network));
  model.start();
  ASSERT_TRUE(waitUntil([&] { return model.paneList().contains(m_paneId.toStdString()); }, 10000));

  ui::MainWindow window(model);
  auto* picker = window.findChild<QComboBox*>("machinePicker");
  ASSERT_NE(picker, nullptr);
  // The linked daemon stands in for another machine: neither its token nor its name is this one's.
  relay::MyMachinesStore machines({[&] { return relay::RelayClient(base, relay::RelayClient::Credential::fixed(bearer)); },
                                   [&] { return base; }, [] { return std::optional<QString>(); }, "not-this-host"});
  window.setMachines(&machines);
  ASSERT_TRUE(waitUntil([&] { return picker->count() == 2; }, 10000)) << machines.error().toStdString();
  EXPECT_FALSE(picker->parentWidget()->isHidden());
  EXPECT_EQ(picker->itemData(1).toLongLong(), daemonId);

  picker->setCurrentIndex(1);
  emit picker->activated(1);
  const std::string remotePane = relay::RelayPaneSource::namespacedPaneId(daemonId, m_paneId.toStdString());
  ASSERT_TRUE(waitUntil([&] { return model.paneList().contains(remotePane); }, 10000));
  EXPECT_FALSE(model.paneList().contains(m_paneId.toStdString()));
  window.resize(1100, 640);
  window.show();
  spinFor(300);
  saveScreenshot(window, "main-window-other-machine");

  picker->setCurrentIndex(0);
  emit picker->activated(0);
  EXPECT_FALSE(model.activeRemoteTarget().has_value());
  EXPECT_TRUE(waitUntil([&] { return model.paneList().contains(m_paneId.toStdString()); }, 10000));
  model.stop();
}

}  // namespace
}  // namespace vesket::testing
