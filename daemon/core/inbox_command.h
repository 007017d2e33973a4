#pragma once

// `vesket inbox ...`: what agents and scripts on a paired machine post into the account's
// inbox through the relay, with the daemon's token:
//
//   inbox post TEXT [--title T] [--kind message|report]       a message
//   inbox ask QUESTION --option A --option B [...] [--recommended K] [--deadline D]
//             [--wait [--timeout S]]                           a decision; its id; the answer
//   inbox wait ID [--timeout S]                                the answer of an earlier ask
//   inbox notify TITLE [--body TEXT]                           a notification
//   inbox file PATH [--title T]                                a file to download for 7 days
//
// Messages and decisions go to the thread of the pane the command runs in ($TMUX_PANE),
// or of `--pane %N`, or to the named thread of `--thread NAME`; `--as NAME` is how the
// thread is shown. Options are written "key: label" or plain text (key and label alike).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace vesket::daemon {

struct InboxCommand {
  enum class Verb { post, ask, wait, notify, file };

  Verb verb = Verb::post;
  std::string text;  // the message, question, notification title, decision id or file path
  std::optional<std::string> title;
  std::optional<std::string> body;  // notify --body
  std::optional<std::string> kind;  // post --kind
  std::vector<std::string> options;
  std::optional<std::string> recommended;
  std::optional<std::string> deadline;
  std::optional<std::string> thread;
  std::optional<std::string> pane;
  std::optional<std::string> as;
  bool wait = false;
  std::optional<double> timeoutSeconds;

  bool operator==(const InboxCommand&) const = default;

  // The arguments after "inbox". Throws CliUsageError.
  static InboxCommand parse(const std::vector<std::string>& args);

  // The JSON body of the post (post, ask, notify); `tmuxPane` is $TMUX_PANE. Throws
  // CliUsageError when a message or decision has neither a pane nor a thread.
  nlohmann::json requestBody(const std::optional<std::string>& tmuxPane) const;
};

// The relay's HTTP base for agent posts: BOARD_PUSH_API when set, else RELAY_URL (the
// daemon link's "ws(s)://host/daemon") turned back into "http(s)://host". Nothing when the
// machine is not paired (no token or no relay).
std::optional<std::string> inboxRelayBase(const std::optional<std::string>& boardPushApi,
                                          const std::optional<std::string>& relayUrl);

// What a decision's state (GET /api/agent/decisions/ID) says to a waiting agent.
struct DecisionOutcome {
  enum class State { open, answered, withdrawn };
  State state = State::open;
  std::string choice;  // the chosen option's key when answered
  std::string detail;  // the label, or why it was withdrawn
};
// Throws std::runtime_error for an answer that is not a decision state.
DecisionOutcome readDecisionOutcome(const nlohmann::json& state);

}  // namespace vesket::daemon
