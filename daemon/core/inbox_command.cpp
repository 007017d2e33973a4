#include "daemon/core/inbox_command.h"

#include <fmt/format.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "daemon/core/cli_command.h"

namespace vesket::daemon {
namespace {

// Reads "--name VALUE", "--name=VALUE" and flags; anything else is the verb's one text.
class Arguments {
 public:
  Arguments(const std::vector<std::string>& args, std::string verb) : m_args(args), m_verb(std::move(verb)) {}

  bool done() const { return m_index >= m_args.size(); }

  bool value(const std::string& name, std::string& out) {
    const std::string& arg = m_args[m_index];
    if (arg == name) {
      if (m_index + 1 >= m_args.size()) throw CliUsageError(fmt::format("'{}' needs a value", name));
      out = m_args[m_index + 1];
      m_index += 2;
      return true;
    }
    if (arg.rfind(name + "=", 0) == 0) {
      out = arg.substr(name.size() + 1);
      ++m_index;
      return true;
    }
    return false;
  }

  bool flag(const std::string& name) {
    if (m_args[m_index] != name) return false;
    ++m_index;
    return true;
  }

  // The positional text (once).
  void text(std::string& out, bool& seen) {
    const std::string& arg = m_args[m_index];
    if (arg.size() > 1 && arg.rfind("--", 0) == 0) {
      throw CliUsageError(fmt::format("unknown option for 'inbox {}': '{}'", m_verb, arg));
    }
    if (seen) throw CliUsageError(fmt::format("'inbox {}' takes one text; quote it (extra: '{}')", m_verb, arg));
    out = arg;
    seen = true;
    ++m_index;
  }

 private:
  const std::vector<std::string>& m_args;
  std::string m_verb;
  std::size_t m_index = 1;
};

std::pair<std::string, std::string> splitOption(const std::string& option) {
  const auto colon = option.find(": ");
  if (colon == std::string::npos || colon == 0) return {option, option};
  return {option.substr(0, colon), option.substr(colon + 2)};
}

}  // namespace

InboxCommand InboxCommand::parse(const std::vector<std::string>& args) {
  if (args.empty()) throw CliUsageError("'inbox' needs a sub-command: post, ask, wait, notify, file");
  InboxCommand command;
  const std::string& verb = args[0];
  if (verb == "post") command.verb = Verb::post;
  else if (verb == "ask") command.verb = Verb::ask;
  else if (verb == "wait") command.verb = Verb::wait;
  else if (verb == "notify") command.verb = Verb::notify;
  else if (verb == "file") command.verb = Verb::file;
  else throw CliUsageError(fmt::format("unknown inbox sub-command '{}'", verb));

  const bool threaded = command.verb == Verb::post || command.verb == Verb::ask;
  Arguments reader(args, verb);
  bool haveText = false;
  std::string value;
  while (!reader.done()) {
    if (threaded && reader.value("--thread", value)) command.thread = value;
    else if (threaded && reader.value("--pane", value)) command.pane = value;
    else if (threaded && reader.value("--as", value)) command.as = value;
    else if ((command.verb != Verb::wait && command.verb != Verb::notify) && reader.value("--title", value)) command.title = value;
    else if (command.verb == Verb::post && reader.value("--kind", value)) command.kind = value;
    else if (command.verb == Verb::notify && reader.value("--body", value)) command.body = value;
    else if (command.verb == Verb::notify && reader.value("--pane", value)) command.pane = value;
    else if (command.verb == Verb::ask && reader.value("--option", value)) command.options.push_back(value);
    else if (command.verb == Verb::ask && reader.value("--recommended", value)) command.recommended = value;
    else if (command.verb == Verb::ask && reader.value("--deadline", value)) command.deadline = value;
    else if (command.verb == Verb::ask && reader.flag("--wait")) command.wait = true;
    else if ((command.verb == Verb::ask || command.verb == Verb::wait) && reader.value("--timeout", value)) {
      char* end = nullptr;
      const double seconds = std::strtod(value.c_str(), &end);
      if (value.empty() || *end != '\0' || !std::isfinite(seconds) || seconds < 0 || seconds > 7 * 24 * 3600) {
        throw CliUsageError(fmt::format("'--timeout' needs seconds (0 to 604800), not '{}'", value));
      }
      command.timeoutSeconds = seconds;
    } else {
      reader.text(command.text, haveText);
    }
  }
  if (!haveText || command.text.empty()) {
    static constexpr const char* kWhat[] = {"the message", "the question", "the decision id", "the title", "the file"};
    throw CliUsageError(fmt::format("'inbox {}' needs {}", verb, kWhat[static_cast<int>(command.verb)]));
  }
  if (command.thread && command.pane) throw CliUsageError("'--thread' and '--pane' exclude each other");
  if (command.kind && *command.kind != "message" && *command.kind != "report") {
    throw CliUsageError("'--kind' is 'message' or 'report'");
  }
  if (command.verb == Verb::ask) {
    if (command.options.size() < 2) throw CliUsageError("'inbox ask' needs at least two --option");
    if (command.timeoutSeconds && !command.wait) throw CliUsageError("'--timeout' goes with '--wait'");
    if (command.recommended) {
      bool known = false;
      for (const auto& option : command.options) known = known || splitOption(option).first == *command.recommended;
      if (!known) throw CliUsageError("'--recommended' must be one of the options' keys");
    }
  }
  if (command.verb == Verb::wait) {
    command.wait = true;
    if (command.text.find_first_not_of("0123456789") != std::string::npos) {
      throw CliUsageError("'inbox wait' takes the id that 'inbox ask' printed");
    }
  }
  return command;
}

nlohmann::json InboxCommand::requestBody(const std::optional<std::string>& tmuxPane) const {
  nlohmann::json body = nlohmann::json::object();
  if (verb == Verb::notify) {
    body = {{"title", text}, {"kind", "agent"}};
    if (this->body) body["body"] = *this->body;
    if (const auto where = pane ? pane : tmuxPane) body["paneId"] = *where;
    return body;
  }
  if (thread) {
    body["thread"] = *thread;
  } else if (const auto where = pane ? pane : tmuxPane; where && !where->empty()) {
    body["paneId"] = *where;
  } else {
    throw CliUsageError("not inside a tmux pane: name the thread with --thread NAME (or the pane with --pane %N)");
  }
  if (as) body["agent"] = *as;
  if (title) body["title"] = *title;
  if (verb == Verb::post) {
    body["body"] = text;
    if (kind) body["kind"] = *kind;
  } else if (verb == Verb::ask) {
    body["question"] = text;
    nlohmann::json list = nlohmann::json::array();
    for (const std::string& option : options) {
      const auto [k, label] = splitOption(option);
      list.push_back({{"k", k}, {"label", label}});
    }
    body["options"] = std::move(list);
    if (recommended) body["recommended"] = *recommended;
    if (deadline) body["deadline"] = *deadline;
  }
  return body;
}

std::optional<std::string> inboxRelayBase(const std::optional<std::string>& boardPushApi,
                                          const std::optional<std::string>& relayUrl) {
  auto trimmed = [](std::string url) {
    while (!url.empty() && url.back() == '/') url.pop_back();
    return url;
  };
  if (boardPushApi && !boardPushApi->empty()) return trimmed(*boardPushApi);
  if (!relayUrl || relayUrl->empty()) return std::nullopt;
  std::string url = trimmed(*relayUrl);
  if (url.rfind("wss://", 0) == 0) url = "https://" + url.substr(6);
  else if (url.rfind("ws://", 0) == 0) url = "http://" + url.substr(5);
  if (url.size() > 7 && url.compare(url.size() - 7, 7, "/daemon") == 0) url.resize(url.size() - 7);
  return url;
}

DecisionOutcome readDecisionOutcome(const nlohmann::json& state) {
  if (!state.is_object() || !state.contains("state") || !state["state"].is_string()) {
    throw std::runtime_error("the relay's answer is not a decision's state");
  }
  const std::string name = state["state"].get<std::string>();
  DecisionOutcome outcome;
  if (name == "open") return outcome;
  if (name == "withdrawn") {
    outcome.state = DecisionOutcome::State::withdrawn;
    outcome.detail = state.value("withdrawnWhy", "");
    return outcome;
  }
  const auto answer = state.find("answer");
  if (name != "decided" || answer == state.end() || !answer->is_object() || !answer->contains("k") ||
      !(*answer)["k"].is_string()) {
    throw std::runtime_error(fmt::format("the relay's decision state '{}' is not understood", name));
  }
  outcome.state = DecisionOutcome::State::answered;
  outcome.choice = (*answer)["k"].get<std::string>();
  outcome.detail = state.value("label", outcome.choice);
  return outcome;
}

}  // namespace vesket::daemon
