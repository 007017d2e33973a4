// Routing, request targets, rate limits, the command line and the link's framing.
#include <gtest/gtest.h>

#include "relay_service/core/http_message.h"
#include "relay_service/core/link_protocol.h"
#include "relay_service/core/rate_limiter.h"
#include "relay_service/core/relay_options.h"
#include "relay_service/core/router.h"
#include "relay_service/core/stream_queue.h"

namespace vesket::relay_service {
namespace {

TEST(RouterTest, MatchesLiteralAndCapturedSegments) {
  Router<std::string> router;
  router.add("GET", "/api/health", "health");
  router.add("POST", "/api/devices/{id}/revoke", "revoke");
  router.add("GET", "/api/devices", "devices");
  router.add("DELETE", "/api/devices/{id}", "delete");

  const struct {
    const char* method;
    const char* path;
    const char* handler;  // nullptr: no match
    const char* id;
    const char* allowed;
  } cases[] = {
      {"GET", "/api/health", "health", nullptr, nullptr},
      {"GET", "/api/health/", "health", nullptr, nullptr},
      {"POST", "/api/devices/abc/revoke", "revoke", "abc", nullptr},
      {"POST", "/api/devices//revoke", nullptr, nullptr, nullptr},
      {"DELETE", "/api/devices/7", "delete", "7", nullptr},
      {"POST", "/api/health", nullptr, nullptr, "GET"},
      {"PUT", "/api/devices/7", nullptr, nullptr, "DELETE"},
      {"GET", "/api/healthz", nullptr, nullptr, nullptr},
      {"GET", "/", nullptr, nullptr, nullptr},
  };
  for (const auto& c : cases) {
    const auto result = router.match(c.method, c.path);
    if (c.handler) {
      const auto* match = std::get_if<Router<std::string>::Match>(&result);
      ASSERT_NE(match, nullptr) << c.method << " " << c.path;
      EXPECT_EQ(*match->handler, c.handler);
      if (c.id) {
        EXPECT_EQ(match->params.at("id"), c.id);
      }
    } else if (c.allowed) {
      const auto* refused = std::get_if<Router<std::string>::MethodNotAllowed>(&result);
      ASSERT_NE(refused, nullptr) << c.method << " " << c.path;
      EXPECT_EQ(refused->allowed, c.allowed);
    } else {
      EXPECT_TRUE(std::holds_alternative<Router<std::string>::NotFound>(result)) << c.method << " " << c.path;
    }
  }
}

TEST(HttpMessageTest, TargetsDecodeAndBearerTokensAreFound) {
  const auto target = RequestTarget::parse("/api/pane%20x/snapshot?daemonId=3&paneId=%251&flag");
  ASSERT_TRUE(target);
  EXPECT_EQ(target->path, "/api/pane x/snapshot");
  ASSERT_EQ(target->query.size(), 3u);
  EXPECT_EQ(target->query[1], (std::pair<std::string, std::string>{"paneId", "%1"}));
  EXPECT_EQ(target->query[2].first, "flag");
  for (const char* bad : {"", "api/health", "http://x/api", "/a%zz", "/a%00b"}) {
    EXPECT_FALSE(RequestTarget::parse(bad)) << bad;
  }

  HttpRequest request;
  for (const auto& [value, token] : std::vector<std::pair<std::string, std::optional<std::string>>>{
           {"Bearer abc", "abc"}, {"bearer  abc ", "abc"}, {"Bearer ", std::nullopt}, {"Basic abc", std::nullopt}}) {
    request.headers = {{"authorization", value}};
    EXPECT_EQ(request.bearerToken(), token) << value;
  }
}

TEST(RateLimiterTest, TenSignInsAMinutePerKeyThenAWait) {
  RateLimiter limiter;
  const auto start = RateLimiter::Clock::time_point{};
  const RateLimit limit = rateLimitFor(RateClass::signIn);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(limiter.take("a", limit, start), std::nullopt) << i;
  EXPECT_EQ(limiter.take("a", limit, start), 6);  // one token back every 6 s
  EXPECT_EQ(limiter.take("b", limit, start), std::nullopt);
  EXPECT_EQ(limiter.take("a", limit, start + std::chrono::milliseconds(5500)), 1);
  EXPECT_EQ(limiter.take("a", limit, start + std::chrono::seconds(6)), std::nullopt);
  EXPECT_EQ(limiter.take("a", limit, start + std::chrono::seconds(6)), 6);
}

TEST(RateLimiterTest, ForgetsFullIdleBucketsPastTheBound) {
  RateLimiter limiter(3);
  const auto start = RateLimiter::Clock::time_point{};
  const RateLimit limit = rateLimitFor(RateClass::pairingClaim);
  for (const char* key : {"a", "b", "c"}) limiter.take(key, limit, start);
  limiter.take("d", limit, start + std::chrono::minutes(2));
  EXPECT_EQ(limiter.bucketCount(), 1u);
}

TEST(RelayOptionsTest, CommandLines) {
  using Args = std::vector<std::string>;
  const auto serve = std::get<ServeCommand>(parseRelayCommandLine(
      {"--listen", "[::1]:0", "--data", "/d", "--tls-cert", "c", "--tls-key", "k", "--password-hash-ops", "1"}, "/x"));
  EXPECT_EQ(serve.options.listen, (ListenAddress{"::1", 0}));
  EXPECT_EQ(serve.options.listen.toString(), "[::1]:0");
  EXPECT_EQ(serve.options.dataDir, "/d");
  EXPECT_EQ(serve.options.passwordHashCost.opsLimit, 1u);

  const auto defaults = std::get<ServeCommand>(parseRelayCommandLine({}, "/default"));
  EXPECT_EQ(defaults.options.listen.toString(), "127.0.0.1:8787");
  EXPECT_EQ(defaults.options.dataDir, "/default");

  const auto mint = std::get<MintDaemonTokenCommand>(
      parseRelayCommandLine({"mint-daemon-token", "--data", "/d", "--user", "12", "--machine-name", "box"}, "/x"));
  EXPECT_EQ(mint.userId, 12);
  EXPECT_EQ(mint.machineName, "box");

  EXPECT_TRUE(std::holds_alternative<HelpCommand>(parseRelayCommandLine({"--data", "/d", "--help"}, "/x")));
  EXPECT_TRUE(std::holds_alternative<VersionCommand>(parseRelayCommandLine({"--version"}, "/x")));
  for (const Args& bad : {Args{"--listen", "8787"}, Args{"--listen", "::1:80"}, Args{"--listen", "h:70000"},
                          Args{"--tls-cert", "c"}, Args{"--data"}, Args{"--bogus", "1"}, Args{"stray"},
                          Args{"mint-daemon-token", "--data", "/d"}, Args{"mint-daemon-token", "--user", "0"},
                          Args{"--password-hash-mem-kib", "4"}}) {
    EXPECT_TRUE(std::holds_alternative<CommandLineError>(parseRelayCommandLine(bad, "/x"))) << bad[0];
  }
}

TEST(LinkProtocolTest, StreamFramesCarryTheirNumberBigEndian) {
  const std::string message = relay::DaemonLinkFrame::encode(0x01020304, std::string("\x03hi\0", 4));
  EXPECT_EQ(message, std::string("\x01\x02\x03\x04\x03hi\0", 8));
  const auto decoded = relay::DaemonLinkFrame::decode(message);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->stream, 0x01020304u);
  EXPECT_EQ(decoded->frame, std::string_view("\x03hi\0", 4));
  EXPECT_FALSE(relay::DaemonLinkFrame::decode(std::string("\0\0\0\1", 4)));
  EXPECT_EQ(nlohmann::json::parse(LinkProtocol::encodeRequest("r1", "terminal-attach", {{"paneId", "%1"}}, 9)),
            (nlohmann::json{{"id", "r1"}, {"cmd", "terminal-attach"}, {"args", {{"paneId", "%1"}}}, {"stream", 9}}));
}

TEST(StreamQueueTest, ASlowReaderOverflowsAndTheQueueLetsGo) {
  StreamQueue queue(10);
  EXPECT_TRUE(queue.push({true, "12345"}));
  EXPECT_TRUE(queue.push({false, "12345"}));
  EXPECT_EQ(queue.pop(), (StreamMessage{true, "12345"}));
  EXPECT_TRUE(queue.push({true, "abcde"}));
  EXPECT_FALSE(queue.push({true, "x"}));
  EXPECT_TRUE(queue.overflowed());
  EXPECT_EQ(queue.bytes(), 0u);
  EXPECT_FALSE(queue.pop());
  EXPECT_FALSE(queue.push({true, ""}));
}

}  // namespace
}  // namespace vesket::relay_service
