// The relay terminal client's rules: attach and re-open URLs, back-off, drops, heartbeat;
// and the relay pane source's queries, multipart bodies and error mapping.
#include <gtest/gtest.h>

#include "relay/core/relay_pane_rules.h"
#include "relay/core/terminal_mirror_rules.h"

namespace vesket::relay {
namespace {

namespace Rules = TerminalMirrorRules;
using Drop = TerminalMirrorState::Drop;

TEST(TerminalMirrorRulesTest, AttachAndReopenURLs) {
  TerminalAttachParams params;
  params.paneId = "%3";
  params.cols = 120;
  params.rows = 40;
  params.mode = "mirror";
  params.open = true;
  params.force = true;
  params.daemonId = 12;
  params.historyLimit = 500;
  params.openLatency = {{"openId", "o 1"}, {"openReason", "select"}};
  const std::string url = Rules::attachURL("https://relay.example/", params);
  EXPECT_EQ(url,
            "wss://relay.example/api/terminal/attach?paneId=%253&cols=120&rows=40&mode=takeover&open=1&force=1&daemonId=12"
            "&historyLimit=500&openId=o%201&openReason=select");
  EXPECT_EQ(Rules::reopenURL(url),
            "wss://relay.example/api/terminal/attach?paneId=%253&cols=120&rows=40&mode=takeover&open=0&force=1&daemonId=12"
            "&historyLimit=500&openReason=transport_reattach");
  TerminalAttachParams owned;
  owned.paneId = "%1";
  owned.mode = "owned";
  EXPECT_EQ(Rules::attachURL("http://127.0.0.1:9", owned), "ws://127.0.0.1:9/api/terminal/attach?paneId=%251&mode=owned");
  EXPECT_EQ(Rules::reopenURL("ws://h/api/terminal/attach?paneId=%251&mode=owned"),
            "ws://h/api/terminal/attach?paneId=%251&mode=owned&open=0&openReason=transport_reattach");

  EXPECT_EQ(Rules::handshakeStatus("QWebSocketPrivate::processHandshake: Unhandled http status code: 403 (Forbidden)."), 403);
  EXPECT_EQ(Rules::handshakeStatus("Connection refused"), std::nullopt);
}

TEST(TerminalMirrorRulesTest, BackoffDoublesToItsCapWithAJitteredHalf) {
  Backoff low;
  low.jitter = [] { return 0.0; };
  Backoff high;
  high.jitter = [] { return 7.0; };  // clamped to 1
  const int expectedLow[] = {250, 500, 1000, 2000, 4000, 4000};
  for (int attempt = 0; attempt < 6; ++attempt) {
    EXPECT_EQ(low.delayMs(attempt), expectedLow[attempt]) << attempt;
    EXPECT_EQ(high.delayMs(attempt), 2 * expectedLow[attempt]) << attempt;
  }
  EXPECT_EQ(low.delayMs(-3), 250);
}

TEST(TerminalMirrorStateTest, DropsRefuseReconnectOrAreIgnored) {
  Backoff backoff;
  backoff.jitter = [] { return 0.0; };
  TerminalMirrorState state;
  const int first = state.opened();
  EXPECT_EQ(state.dropped(first, 403, "refused", backoff).message, Rules::kSignInRequired);
  EXPECT_EQ(state.dropped(first, 404, "no daemon", backoff).message, "no daemon (HTTP 404)");
  for (const std::optional<int> status : {std::optional<int>(429), std::optional<int>(408), std::optional<int>(503), std::optional<int>()}) {
    EXPECT_EQ(state.dropped(first, status, "x", backoff).kind, Drop::Kind::reconnect);
  }
  const Drop fifth = state.dropped(first, std::nullopt, "x", backoff);
  EXPECT_EQ(fifth.attempt, 5);
  EXPECT_EQ(fifth.delayMs, 4000);
  state.ready();
  EXPECT_EQ(state.dropped(first, std::nullopt, "x", backoff).delayMs, 250);

  const int second = state.opened();
  EXPECT_EQ(state.dropped(first, std::nullopt, "late", backoff).kind, Drop::Kind::ignore);
  state.exited();
  EXPECT_EQ(state.dropped(second, std::nullopt, "x", backoff).kind, Drop::Kind::ignore);
  TerminalMirrorState detached;
  const int epoch = detached.opened();
  detached.detached();
  EXPECT_EQ(detached.dropped(epoch, std::nullopt, "x", backoff).kind, Drop::Kind::ignore);
}

TEST(TerminalMirrorStateTest, TwoMissedPongsReattachAndAnyMessageCounts) {
  TerminalMirrorState state;
  const int epoch = state.opened();
  EXPECT_EQ(state.pongTimedOut(), TerminalMirrorState::PongCheck::nothing);  // none awaited
  ASSERT_TRUE(state.pingDue());
  EXPECT_EQ(state.pongTimedOut(), TerminalMirrorState::PongCheck::pingAgain);
  ASSERT_TRUE(state.pingDue());
  EXPECT_FALSE(state.heardFrom(epoch + 1));  // an older socket's message is no sign of life
  EXPECT_TRUE(state.heardFrom(epoch));       // an empty pong: the next ping is scheduled
  EXPECT_EQ(state.missedPongs(), 0);
  ASSERT_TRUE(state.pingDue());
  EXPECT_EQ(state.pongTimedOut(), TerminalMirrorState::PongCheck::pingAgain);
  ASSERT_TRUE(state.pingDue());
  EXPECT_EQ(state.pongTimedOut(), TerminalMirrorState::PongCheck::reattach);
  state.exited();
  EXPECT_FALSE(state.pingDue());
}

TEST(RelayPaneRulesTest, QueriesBodiesAndErrors) {
  namespace PR = RelayPaneRules;
  EXPECT_EQ(PR::sortedQuery({{"paneId", "%3"}, {"daemonId", "7"}}), "daemonId=7&paneId=%253");
  EXPECT_EQ(PR::imageSubtype("jpg"), "jpeg");
  EXPECT_EQ(PR::imageSubtype("png"), "png");

  PR::MultipartBuilder form("B-1");
  form.addField("text", "hi");
  form.addFile("file", "a\"b\r\n.txt", "application/octet-stream", std::string("\0x", 2));
  EXPECT_EQ(form.contentType(), "multipart/form-data; boundary=B-1");
  EXPECT_EQ(std::move(form).finish(),
            std::string("--B-1\r\nContent-Disposition: form-data; name=\"text\"\r\n\r\nhi\r\n"
                        "--B-1\r\nContent-Disposition: form-data; name=\"file\"; filename=\"a\\\"b.txt\"\r\n"
                        "Content-Type: application/octet-stream\r\n\r\n\0x\r\n--B-1--\r\n",
                        186));

  using Kind = RelayPaneError::Kind;
  EXPECT_FALSE(RelayPaneError::check(204, ""));
  EXPECT_EQ(RelayPaneError::check(401, "{}")->kind(), Kind::notAuthenticated);
  EXPECT_EQ(RelayPaneError::check(503, R"({"error":"daemon_offline"})")->message(), "daemon_offline");
  EXPECT_EQ(RelayPaneError::check(502, "<html>")->message(), "daemon unavailable");
  const auto gone = RelayPaneError::check(404, R"({"error":"pane_not_found","message":"gone"})");
  EXPECT_EQ(gone->kind(), Kind::http);
  EXPECT_EQ(gone->message(), "pane_not_found");
  EXPECT_EQ(RelayPaneError::check(418, R"({"error":7})")->message(), "HTTP 418");
  EXPECT_EQ(RelayPaneError::check(-1, "")->kind(), Kind::badResponse);
}

}  // namespace
}  // namespace vesket::relay
