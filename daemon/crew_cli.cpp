#include "daemon/crew_cli.h"

#include <cstdio>

#include "daemon/cli_control_client.h"
#include "daemon/core/cli_command.h"
#include "daemon/core/crew_cli_request.h"
#include "daemon/exit_codes.h"

namespace vesket::daemon {

namespace {

// Creating panes types agent commands into them: give tmux time on a busy machine.
constexpr int kCrewRequestTimeoutMs = 60000;

void printAnswer(const CrewCliRequest& request, const nlohmann::json& answer) {
  if (request.printJson) {
    std::printf("%s\n", answer.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
    return;
  }
  const std::string action = request.args.value("action", "");
  if (request.cmd == "crew" && action == "create") {
    std::printf("vesket: agent team %s created: manager %s, %zu workers (window %s)\n",
                answer.value("crewId", "").c_str(), answer["panes"].empty() ? "" : answer["panes"][0].get<std::string>().c_str(),
                answer["panes"].size() > 0 ? answer["panes"].size() - 1 : 0, answer.value("windowId", "").c_str());
  } else if (request.cmd == "crew" && action == "route") {
    std::printf("vesket: task %s routed to %s (%s)\n", answer.value("taskId", "").c_str(),
                answer.value("paneId", "").c_str(), answer.value("reason", "").c_str());
  }
  std::printf("%s\n", answer.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
}

}  // namespace

int runCrewCli(const std::vector<std::string>& args, const DaemonPaths& paths) {
  CrewCliRequest request;
  try {
    request = CrewCliRequest::parse(args);
  } catch (const CliUsageError& error) {
    std::fprintf(stderr, "vesket: %s\n", error.what());
    return kExitUsage;
  }
  nlohmann::json answer;
  try {
    answer = CliControlClient(paths.socketPath(), requiredControlToken(paths)).request(request.cmd, request.args, kCrewRequestTimeoutMs);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "vesket: %s\n", error.what());
    return kExitFailure;
  }
  // A disband that found nothing answers with its failure rather than an error.
  if (answer.is_object() && answer.contains("ok") && answer["ok"] == false) {
    std::fprintf(stderr, "vesket: %s\n", answer.value("error", "failed").c_str());
    return kExitFailure;
  }
  printAnswer(request, answer);
  return kExitOk;
}

}  // namespace vesket::daemon
