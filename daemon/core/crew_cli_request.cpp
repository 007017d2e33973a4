#include "daemon/core/crew_cli_request.h"

#include <charconv>
#include <map>
#include <set>

#include "daemon/core/cli_command.h"

namespace vesket::daemon {
namespace {

// The options after the sub-command: every option takes one value.
std::map<std::string, std::string> options(const std::vector<std::string>& args, const std::set<std::string>& allowed,
                                           const std::string& usage) {
  std::map<std::string, std::string> out;
  for (std::size_t i = 2; i < args.size(); ++i) {
    const std::string& option = args[i];
    if (!allowed.count(option)) throw CliUsageError("unknown option '" + option + "' (usage: " + usage + ")");
    if (i + 1 >= args.size()) throw CliUsageError(option + " needs a value (usage: " + usage + ")");
    if (out.count(option)) throw CliUsageError(option + " given twice");
    out[option] = args[++i];
  }
  return out;
}

const std::string& required(const std::map<std::string, std::string>& options, const std::string& key,
                            const std::string& usage) {
  const auto it = options.find(key);
  if (it == options.end()) throw CliUsageError(key + " is required (usage: " + usage + ")");
  return it->second;
}

std::int64_t number(const std::string& option, const std::string& text) {
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) throw CliUsageError(option + " must be a whole number, not '" + text + "'");
  return value;
}

void copy(const std::map<std::string, std::string>& options, const std::string& option, nlohmann::json& args,
          const std::string& key) {
  if (const auto it = options.find(option); it != options.end()) args[key] = it->second;
}

}  // namespace

bool CrewCliRequest::handles(const std::vector<std::string>& args) {
  return !args.empty() && (args[0] == "crew" || args[0] == "agent-group" || args[0] == "window");
}

CrewCliRequest CrewCliRequest::parse(const std::vector<std::string>& args) {
  if (!handles(args) || args.size() < 2) throw CliUsageError("usage:\n" + helpText());
  const std::string& group = args[0];
  const std::string& action = args[1];
  CrewCliRequest request;
  request.args = nlohmann::json::object();
  if (group == "crew") {
    request.cmd = "crew";
    if (action == "create") {
      const std::string usage = "crew create --project DIR --size N [--model M] [--task T] [--agent KIND]";
      const auto o = options(args, {"--project", "--size", "--model", "--task", "--agent"}, usage);
      request.args = {{"action", "create"}, {"project", required(o, "--project", usage)},
                      {"size", number("--size", required(o, "--size", usage))}};
      copy(o, "--model", request.args, "model");
      copy(o, "--task", request.args, "task");
      copy(o, "--agent", request.args, "agent");
    } else if (action == "add-worker") {
      const std::string usage = "crew add-worker --crew ID [--count N] [--agent KIND] [--model M]";
      const auto o = options(args, {"--crew", "--count", "--agent", "--model"}, usage);
      request.args = {{"action", "add-worker"}, {"crewId", required(o, "--crew", usage)}};
      if (o.count("--count")) request.args["count"] = number("--count", o.at("--count"));
      copy(o, "--agent", request.args, "agent");
      copy(o, "--model", request.args, "model");
    } else if (action == "rename") {
      const std::string usage = "crew rename --crew ID --name NAME";
      const auto o = options(args, {"--crew", "--name"}, usage);
      request.args = {{"action", "rename"}, {"crewId", required(o, "--crew", usage)},
                      {"displayName", required(o, "--name", usage)}};
    } else if (action == "disband") {
      const std::string usage = "crew disband (--project DIR | --crew ID)";
      const auto o = options(args, {"--project", "--crew"}, usage);
      if (o.size() != 1) throw CliUsageError("give --project or --crew (usage: " + usage + ")");
      request.args = {{"action", "disband"}};
      copy(o, "--project", request.args, "project");
      copy(o, "--crew", request.args, "crewId");
    } else if (action == "list") {
      options(args, {}, "crew list");
      request.args = {{"action", "list"}};
      request.printJson = true;
    } else if (action == "route") {
      const std::string usage = "crew route --crew ID --task TASK_ID [--brief TEXT]";
      const auto o = options(args, {"--crew", "--task", "--brief"}, usage);
      request.args = {{"action", "route"}, {"crewId", required(o, "--crew", usage)},
                      {"taskId", required(o, "--task", usage)}};
      copy(o, "--brief", request.args, "brief");
    } else if (action == "complete" || action == "stop") {
      const std::string usage = "crew complete --crew ID --pane %N";
      const auto o = options(args, {"--crew", "--pane"}, usage);
      request.args = {{"action", "complete"}, {"crewId", required(o, "--crew", usage)},
                      {"paneId", required(o, "--pane", usage)}};
    } else {
      throw CliUsageError("unknown crew command '" + action + "'\n" + helpText());
    }
  } else if (group == "agent-group") {
    if (action == "create") {
      const std::string usage = "agent-group create --count 2|4|6|8 [--model KIND] [--name NAME] [--directory DIR]";
      const auto o = options(args, {"--count", "--model", "--name", "--directory"}, usage);
      request.cmd = "agent-group";
      request.args = {{"action", "create"}, {"count", number("--count", required(o, "--count", usage))}};
      copy(o, "--model", request.args, "model");
      copy(o, "--name", request.args, "name");
      copy(o, "--directory", request.args, "directory");
    } else if (action == "add") {
      const std::string usage = "agent-group add --window @N [--count 2] [--model KIND]";
      const auto o = options(args, {"--window", "--count", "--model"}, usage);
      request.cmd = "agent-group";
      request.args = {{"action", "add"}, {"windowId", required(o, "--window", usage)}};
      if (o.count("--count")) request.args["count"] = number("--count", o.at("--count"));
      copy(o, "--model", request.args, "model");
    } else if (action == "rename") {
      const std::string usage = "agent-group rename --pane %N --name NAME";
      const auto o = options(args, {"--pane", "--name"}, usage);
      request.cmd = "agent-group-rename";
      request.args = {{"paneId", required(o, "--pane", usage)}, {"name", required(o, "--name", usage)}};
    } else {
      throw CliUsageError("unknown agent-group command '" + action + "'\n" + helpText());
    }
  } else {
    if (action == "create") {
      const auto o = options(args, {"--name"}, "window create [--name NAME]");
      request.cmd = "spawn-plain-terminal";
      copy(o, "--name", request.args, "windowName");
    } else if (action == "close") {
      const std::string usage = "window close --window @N";
      const auto o = options(args, {"--window"}, usage);
      request.cmd = "kill";
      request.args = {{"windowId", required(o, "--window", usage)}};
    } else {
      throw CliUsageError("unknown window command '" + action + "'\n" + helpText());
    }
  }
  return request;
}

std::string CrewCliRequest::helpText() {
  return "  crew create --project DIR --size N [--model M] [--task T] [--agent KIND]\n"
         "                          a team window: a manager and N (1-9) workers running the\n"
         "                          agent KIND (claude, codex, gemini, opencode, cursor, shell)\n"
         "  crew add-worker --crew ID [--count N] [--agent KIND] [--model M]\n"
         "  crew rename --crew ID --name NAME\n"
         "  crew disband (--project DIR | --crew ID)\n"
         "  crew list               the teams of this machine as JSON\n"
         "  crew route --crew ID --task TASK_ID [--brief TEXT]\n"
         "  crew complete --crew ID --pane %N\n"
         "  agent-group create --count 2|4|6|8 [--model KIND] [--name NAME] [--directory DIR]\n"
         "  agent-group add --window @N [--count 2] [--model KIND]\n"
         "  agent-group rename --pane %N --name NAME\n"
         "  window create [--name NAME]   a plain terminal window\n"
         "  window close --window @N\n";
}

}  // namespace vesket::daemon
