// `vesket inbox` command lines, the bodies they post and how a decision's state reads.
#include "daemon/core/inbox_command.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "daemon/core/cli_command.h"

namespace vesket::daemon {
namespace {

using nlohmann::json;

TEST(InboxCommandTest, ParsesEveryVerbAndRefusesWhatMakesNoSense) {
  const InboxCommand ask = InboxCommand::parse(
      {"ask", "Deploy?", "--option", "yes: Ship it", "--option=no", "--wait", "--timeout", "2.5", "--recommended", "no"});
  EXPECT_EQ(ask.verb, InboxCommand::Verb::ask);
  EXPECT_EQ(ask.options, (std::vector<std::string>{"yes: Ship it", "no"}));
  EXPECT_TRUE(ask.wait);
  EXPECT_EQ(ask.timeoutSeconds, 2.5);
  EXPECT_EQ(InboxCommand::parse({"wait", "42"}).wait, true);
  EXPECT_EQ(InboxCommand::parse({"notify", "Done", "--body", "ok"}).body, "ok");

  const std::vector<std::vector<std::string>> bad = {
      {},
      {"shout", "x"},
      {"post"},
      {"post", "a", "b"},
      {"post", "x", "--kind", "poem"},
      {"post", "x", "--thread", "t", "--pane", "%1"},
      {"ask", "Q?", "--option", "a"},
      {"ask", "Q?", "--option", "a", "--option", "b", "--timeout", "5"},
      {"ask", "Q?", "--option", "a", "--option", "b", "--wait", "--timeout", "soon"},
      {"ask", "Q?", "--option", "a", "--option", "b", "--recommended", "c"},
      {"wait", "abc"},
      {"notify", "x", "--thread", "t"},
      {"post", "x", "--option"},
  };
  for (const auto& args : bad) {
    EXPECT_THROW(InboxCommand::parse(args), CliUsageError) << ::testing::PrintToString(args);
  }
  EXPECT_EQ(CliCommand::parse({"inbox", "post", "hi"}).kind, CliCommand::Kind::Inbox);
  EXPECT_THROW(CliCommand::parse({"inbox", "post"}), CliUsageError);
}

TEST(InboxCommandTest, BodiesNameThePaneOrTheThread) {
  const InboxCommand ask = InboxCommand::parse({"ask", "Deploy?", "--option", "yes: Ship it", "--option", "no", "--as", "builder"});
  const json body = ask.requestBody(std::string("%4"));
  EXPECT_EQ(body["paneId"], "%4");
  EXPECT_EQ(body["agent"], "builder");
  EXPECT_EQ(body["options"], json::parse(R"([{"k":"yes","label":"Ship it"},{"k":"no","label":"no"}])"));
  EXPECT_EQ(InboxCommand::parse({"post", "x", "--pane", "%9"}).requestBody(std::string("%4"))["paneId"], "%9");
  const json named = InboxCommand::parse({"post", "x", "--thread", "ci"}).requestBody(std::string("%4"));
  EXPECT_EQ(named["thread"], "ci");
  EXPECT_FALSE(named.contains("paneId"));
  EXPECT_THROW(InboxCommand::parse({"post", "x"}).requestBody(std::nullopt), CliUsageError);
}

TEST(InboxCommandTest, RelayBaseAndDecisionStates) {
  EXPECT_EQ(inboxRelayBase(std::nullopt, std::string("wss://relay.example/daemon")), "https://relay.example");
  EXPECT_EQ(inboxRelayBase(std::string(""), std::string("ws://127.0.0.1:9/daemon/")), "http://127.0.0.1:9");
  EXPECT_EQ(inboxRelayBase(std::string("https://push.example/"), std::string("ws://x/daemon")), "https://push.example");
  EXPECT_EQ(inboxRelayBase(std::nullopt, std::nullopt), std::nullopt);

  EXPECT_EQ(readDecisionOutcome({{"state", "open"}}).state, DecisionOutcome::State::open);
  const auto answered = readDecisionOutcome({{"state", "decided"}, {"answer", {{"k", "yes"}}}, {"label", "Ship it"}});
  EXPECT_EQ(answered.state, DecisionOutcome::State::answered);
  EXPECT_EQ(answered.choice, "yes");
  EXPECT_EQ(readDecisionOutcome({{"state", "withdrawn"}, {"withdrawnWhy", "moot"}}).detail, "moot");
  EXPECT_THROW(readDecisionOutcome({{"state", "decided"}}), std::runtime_error);
  EXPECT_THROW(readDecisionOutcome(json::array()), std::runtime_error);
}

}  // namespace
}  // namespace vesket::daemon
