#include "control_plane/core/command_arguments.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace vesket::control_plane {
namespace {

using nlohmann::json;
namespace Args = CommandArguments;

json wire(const JSONObject& args) { return JSONValue(args).toJson(); }

struct ArgsCase {
  const char* name;
  JSONObject args;
  const char* expected;  // the JSON the daemon receives
};

TEST(CommandArguments, OptionalArgumentsAreLeftOutAndIntegersAreNumbers) {
  const std::vector<ArgsCase> cases = {
      {"resize auto", Args::resizeWindow("%1", std::nullopt), R"({"mode":"auto","paneId":"%1"})"},
      {"resize manual", Args::resizeWindow("%1", 120), R"({"cols":120,"mode":"manual","paneId":"%1"})"},
      {"plain terminal, empty name", Args::spawnPlainTerminal(std::string()), "{}"},
      {"plain terminal, no name", Args::spawnPlainTerminal(std::nullopt), "{}"},
      {"plain terminal, named", Args::spawnPlainTerminal("logs"), R"({"windowName":"logs"})"},
      {"answer, nothing chosen", Args::answer("%2", std::nullopt, std::nullopt), R"({"paneId":"%2"})"},
      {"answer, both", Args::answer("%2", 3, std::vector<std::int64_t>{1, 4}),
       R"({"choice":3,"choices":[1,4],"paneId":"%2"})"},
      {"answer, empty choices", Args::answer("%2", std::nullopt, std::vector<std::int64_t>{}),
       R"({"choices":[],"paneId":"%2"})"},
      {"send, bare", Args::send("%3", "hi", std::nullopt, std::nullopt), R"({"paneId":"%3","text":"hi"})"},
      {"send, full", Args::send("%3", "hi", "Enter", "0F1E2D3C-0000-4000-8000-00000000000A"),
       R"({"clientRequestId":"0F1E2D3C-0000-4000-8000-00000000000A","paneId":"%3","submitKey":"Enter","text":"hi"})"},
      {"attach-info, no pane", Args::attachInfo(std::nullopt), "{}"},
      {"attach-info, pane", Args::attachInfo("%4"), R"({"paneId":"%4"})"},
      {"self-vouch", Args::selfVouch("dev-1", "req-2", 4711, "Laptop"),
       R"({"deviceId":"dev-1","deviceName":"Laptop","requestId":"req-2","userId":4711})"},
      {"send-image", Args::sendImage("%5", {{"aGk=", "png"}, {"", "jpg"}}, "look"),
       R"({"images":[{"base64":"aGk=","ext":"png"},{"base64":"","ext":"jpg"}],"paneId":"%5","text":"look"})"},
      {"crew models", Args::crewModels(), R"({"action":"models"})"},
      {"crew disband", Args::crewDisband("api"), R"({"action":"disband","project":"api"})"},
      {"history width 0", Args::claudeHistory("%6", 0), R"({"paneId":"%6","width":1})"},
      {"history width -5", Args::claudeHistory("%6", -5), R"({"paneId":"%6","width":1})"},
      {"history width 80", Args::claudeHistory("%6", 80), R"({"paneId":"%6","width":80})"},
      {"terminal input", Args::terminalInput("local-X", "aGk="), R"({"data":"aGk=","sessionId":"local-X"})"},
      {"terminal detach", Args::terminalDetach("local-X"), R"({"sessionId":"local-X"})"},
  };
  for (const auto& c : cases) EXPECT_EQ(wire(c.args).dump(), c.expected) << c.name;
}

TEST(CommandArguments, TerminalAttachSendsOptionalSizesOnlyWhenGiven) {
  Args::TerminalAttachRequest bare{.paneId = "%7", .mode = "mirror", .force = true, .open = false};
  EXPECT_EQ(wire(Args::terminalAttach(bare)).dump(),
            R"({"force":true,"mode":"mirror","open":false,"paneId":"%7"})");

  Args::TerminalAttachRequest full = bare;
  full.cols = 100;
  full.rows = 30;
  full.historyLimit = 5000;
  full.openLatency = std::map<std::string, std::string>{{"tapAtMonotonicMs", "12.5"}, {"openReason", "tap"}};
  EXPECT_EQ(wire(Args::terminalAttach(full)).dump(),
            R"({"cols":100,"force":true,"historyLimit":5000,"mode":"mirror","open":false,)"
            R"("openLatency":{"clientTapAtMonotonicMs":12.5,"reason":"tap"},"paneId":"%7","rows":30})");
}

struct LatencyCase {
  const char* name;
  std::map<std::string, std::string> given;
  const char* expected;
};

TEST(CommandArguments, OpenLatencyMapRenamesAndConvertsTheTapTime) {
  const std::vector<LatencyCase> cases = {
      {"tap and reason", {{"tapAtMonotonicMs", "12.5"}, {"openReason", "select"}, {"view", "sidebar"}},
       R"({"clientTapAtMonotonicMs":12.5,"reason":"select","view":"sidebar"})"},
      {"tap not a number", {{"tapAtMonotonicMs", "soon"}, {"openReason", "select"}}, R"({"reason":"select"})"},
      {"tap with white space", {{"tapAtMonotonicMs", " 12.5"}}, "{}"},
      {"tap with trailing text", {{"tapAtMonotonicMs", "12.5ms"}}, "{}"},
      {"tap empty", {{"tapAtMonotonicMs", ""}}, "{}"},
      {"tap infinite", {{"tapAtMonotonicMs", "inf"}}, "{}"},
      {"tap hexadecimal", {{"tapAtMonotonicMs", "0x10"}}, "{}"},
      {"tap integer and exponent", {{"tapAtMonotonicMs", "1e3"}}, R"({"clientTapAtMonotonicMs":1000})"},
      {"tap negative", {{"tapAtMonotonicMs", "-2.25"}}, R"({"clientTapAtMonotonicMs":-2.25})"},
      {"caller's own derived keys are dropped",
       {{"clientTapAtMonotonicMs", "1"}, {"reason", "stale"}, {"phase", "open"}}, R"({"phase":"open"})"},
      {"caller's stale derived keys replaced",
       {{"clientTapAtMonotonicMs", "1"}, {"reason", "stale"}, {"tapAtMonotonicMs", "7"}, {"openReason", "new"}},
       R"({"clientTapAtMonotonicMs":7,"reason":"new"})"},
      {"empty", {}, "{}"},
  };
  for (const auto& c : cases) EXPECT_EQ(wire(Args::openLatency(c.given)).dump(), c.expected) << c.name;
}

}  // namespace
}  // namespace vesket::control_plane
