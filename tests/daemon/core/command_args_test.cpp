#include "daemon/core/command_args.h"

#include <gtest/gtest.h>

#include "daemon/core/command_error.h"

namespace vesket::daemon {
namespace {

std::string errorOf(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const CommandError& error) {
    return error.what();
  }
  return "";
}

TEST(CommandArgsTest, NamesCommandAndArgumentInEveryError) {
  const nlohmann::json args = {{"paneId", "%x"}, {"text", 5},     {"cols", 12.5},
                               {"big", 1e12},    {"flag", "yes"}, {"list", {1, "a"}},
                               {"imgs", {1}},    {"nul", nullptr}};
  const CommandArgs a("send", args);
  struct Case {
    std::function<void()> call;
    const char* error;
  };
  const Case cases[] = {
      {[&] { a.requirePaneId(); }, "send: argument 'paneId' must be a tmux pane id such as %1, not '%x'"},
      {[&] { a.requireString("text"); }, "send: argument 'text' must be a string"},
      {[&] { a.requireString("missing"); }, "send: missing argument 'missing'"},
      {[&] { a.requireString("nul"); }, "send: missing argument 'nul'"},
      {[&] { a.optionalInteger("cols", 1, 1000); }, "send: argument 'cols' must be a whole number"},
      {[&] { a.optionalInteger("big", 1, 1000); }, "send: argument 'big' must be between 1 and 1000"},
      {[&] { a.optionalInteger("flag", 1, 1000); }, "send: argument 'flag' must be a number"},
      {[&] { a.optionalBool("flag"); }, "send: argument 'flag' must be true or false"},
      {[&] { a.optionalIntegerArray("list", 0, 9); }, "send: argument 'list' must be a number"},
      {[&] { a.optionalIntegerArray("text", 0, 9); }, "send: argument 'text' must be an array of numbers"},
      {[&] { a.requireObjectArray("imgs"); }, "send: argument 'imgs' must hold objects"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    EXPECT_EQ(errorOf(c.call), c.error);
  }
}

TEST(CommandArgsTest, ReadsValidArgumentsAndTreatsNullAsAbsent) {
  const nlohmann::json args = {{"paneId", "%12"}, {"cols", 120.0}, {"choices", {1, 3}},
                               {"force", true},   {"windowName", nullptr}};
  const CommandArgs a("resize-window", args);
  EXPECT_EQ(a.requirePaneId(), "%12");
  EXPECT_EQ(a.optionalInteger("cols", 1, 10000), 120);
  EXPECT_EQ(a.optionalIntegerArray("choices", 1, 99), (std::vector<std::int64_t>{1, 3}));
  EXPECT_EQ(a.optionalBool("force"), true);
  EXPECT_EQ(a.optionalString("windowName"), std::nullopt);
  EXPECT_EQ(a.optionalInteger("rows", 1, 10), std::nullopt);
  EXPECT_FALSE(a.has("windowName"));
}

TEST(CommandArgsTest, PaneIdShape) {
  for (const char* good : {"%0", "%1", "%123456"}) EXPECT_TRUE(isPaneId(good)) << good;
  for (const char* bad : {"", "%", "1", "%1a", "%-1", "@1", "% 1", "%12345678901234"}) {
    EXPECT_FALSE(isPaneId(bad)) << bad;
  }
}

}  // namespace
}  // namespace vesket::daemon
