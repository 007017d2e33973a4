// The desktop application's own attach session (TerminalAttachSession) against the real
// daemon: what the daemon streams is what the session decodes.
#include <gtest/gtest.h>

#include "control_plane/control_plane_client.h"
#include "control_plane/core/command_arguments.h"
#include "control_plane/terminal_attach_session.h"
#include "relay/core/terminal_protocol.h"
#include "tests/support/private_daemon.h"
#include "tests/support/event_loop.h"
#include "tests/support/await_task.h"

namespace vesket::daemon::testing {
namespace {

using namespace vesket::testing;

namespace TP = relay::TerminalProtocol;
using control_plane::ControlPlaneClient;
using vesket::testing::awaitTask;

TEST(DaemonTerminalAppClientTest, SessionAttachesTypesAndEndsWhenThePaneExits) {
  PrivateTmux tmux{PrivateTmux::Start::shellSession};
  PrivateDaemon daemon(tmux);
  daemon.start();
  const QString pane = tmux.run({"new-window", "-d", "-P", "-F", "#{pane_id}"});
  auto client = ControlPlaneClient::create(daemon.socketPath().toStdString(), std::nullopt);

  control_plane::CommandArguments::TerminalAttachRequest request;
  request.paneId = pane.toStdString();
  request.mode = "owned";
  request.cols = 90;
  request.rows = 20;
  request.historyLimit = 100;
  request.open = true;
  request.openLatency = std::map<std::string, std::string>{{"tapAtMonotonicMs", "12.5"}, {"openReason", "test"}};
  auto session = client->terminalAttach(request, {});
  auto events = session->events();

  std::vector<TP::Frame> frames;
  std::string output;
  auto readUntil = [&](const std::function<bool()>& done) {
    while (!done()) {
      const auto chunk = awaitTask(events.next());
      if (!chunk) return false;
      frames.push_back(TP::decode(*chunk));
      if (const auto* out = std::get_if<TP::Output>(&frames.back())) output += out->bytes;
    }
    return true;
  };
  ASSERT_TRUE(readUntil([&] { return !frames.empty() && std::holds_alternative<TP::MouseMode>(frames.back()); }));
  ASSERT_TRUE(std::holds_alternative<TP::Ready>(frames.front()));
  EXPECT_EQ(std::get<TP::Ready>(frames.front()).payload, (relay::ReadyPayload{pane.toStdString(), 90, 20, "owned"}));

  session->input(TP::encodeInput("echo app-$((3*3))\r"));
  ASSERT_TRUE(readUntil([&] { return output.find("app-9\r\n") != std::string::npos; })) << output;

  tmux.run({"kill-pane", "-t", pane});
  ASSERT_TRUE(readUntil([&] { return std::holds_alternative<TP::Exit>(frames.back()); }));
  // `done` follows: the stream ends normally.
  EXPECT_FALSE(awaitTask(events.next()).has_value());
}

}  // namespace
}  // namespace vesket::daemon::testing
