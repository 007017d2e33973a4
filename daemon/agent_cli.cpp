#include "daemon/agent_cli.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QUuid>

#include <cerrno>
#include <cstdio>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "daemon/build_info.h"
#include "daemon/cli_control_client.h"
#include "daemon/core/cli_command.h"
#include "daemon/core/marker_line.h"
#include "daemon/daemon_paths.h"
#include "daemon/exit_codes.h"
#include "maintenance/agent_integration_installer.h"
#include "maintenance/install_undo.h"
#include "maintenance/tracked_mutation.h"

namespace vesket::daemon {

namespace {

constexpr qint64 kMaxHookEventBytes = 1024 * 1024;

std::string freshId(const char* prefix) {
  return std::string(prefix) + QUuid::createUuid().toString(QUuid::Id128).left(8).toStdString();
}

void printLine(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

int ask(const CliCommand& command) {
  std::vector<std::string> options = command.options;
  std::string style = command.style.value_or(options.empty() ? "free-text-prompt" : "numbered");
  if (style == "yes-no" && options.empty()) options = {"1: Yes", "2: No"};
  const std::string id = command.id.value_or(freshId("ask-"));
  printLine(MarkerLine::approval(id, command.question, options, style));
  printLine(id);
  return kExitOk;
}

int signal(const CliCommand& command) {
  if (command.signalState == "done") {
    printLine(MarkerLine::done(command.id.value_or(freshId("done-"))));
  } else {
    printLine(MarkerLine::needsYou(command.signalKind.value_or("question"), command.reason,
                                   command.id.value_or(freshId("sig-"))));
  }
  return kExitOk;
}

// Reports one hook event of the agent running in this tmux pane. Quiet and quick: the
// agent waits for the hook, so a daemon that is not running, or a pane of another tmux
// server, ends it at once without a word. Nothing goes to standard output, which the
// agent would read as the hook's decision.
int hook(const CliCommand& command, const DaemonPaths& paths) {
  QByteArray bytes;
  char buffer[65536];
  while (bytes.size() <= kMaxHookEventBytes) {
    const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    bytes.append(buffer, static_cast<qsizetype>(got));
  }
  if (bytes.size() > kMaxHookEventBytes) {
    std::fprintf(stderr, "vesket hook: the event on standard input is larger than 1 MiB; ignored\n");
    return kExitFailure;
  }
  const auto event = nlohmann::json::parse(bytes.toStdString(), nullptr, false);
  if (event.is_discarded() || !event.is_object()) {
    std::fprintf(stderr, "vesket hook: the event on standard input is not a JSON object; ignored\n");
    return kExitFailure;
  }
  const QString paneId = qEnvironmentVariable("TMUX_PANE");
  if (paneId.isEmpty()) return kExitOk;  // not in a tmux pane: no pane to show it for
  nlohmann::json args = {{"paneId", paneId.toStdString()}, {"agent", command.hookAgent}, {"event", event}};
  const QString tmux = qEnvironmentVariable("TMUX");
  if (!tmux.isEmpty()) args["tmuxSocket"] = tmux.section(QLatin1Char(','), 0, 0).toStdString();
  try {
    CliControlClient(paths.socketPath(), requiredControlToken(paths)).request("agent-hook", args, 2000);
  } catch (const DaemonNotAnswering&) {
    return kExitOk;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "vesket hook: the daemon refused the event: %s\n", error.what());
    return kExitFailure;
  }
  return kExitOk;
}

std::map<std::string, std::string> agentEnvironment() {
  std::map<std::string, std::string> environment;
  for (const char* name : {"CODEX_HOME", "XDG_CONFIG_HOME"}) {
    if (qEnvironmentVariableIsSet(name)) environment[name] = qEnvironmentVariable(name).toStdString();
  }
  return environment;
}

std::string buildName() { return fmt::format("{} ({})", BuildInfo::version(), BuildInfo::sha()); }

int skillsSync(const CliCommand& command, const DaemonPaths& paths) {
  try {
    maintenance::TrackedMutation mutation(std::nullopt, QString::fromStdString(buildName()));
    maintenance::AgentIntegrationOptions options;
    options.userHome = paths.userHome;
    options.vesketBinary = QCoreApplication::applicationFilePath();
    options.environment = agentEnvironment();
    options.force = command.force;
    const auto report = maintenance::AgentIntegrationInstaller(mutation, options).sync();
    for (const auto& line : report.lines) printLine(line);
    return report.problems == 0 ? kExitOk : kExitFailure;
  } catch (const maintenance::TrackedMutationError& error) {
    std::fprintf(stderr, "vesket: skills sync: %s\n", error.what());
    return kExitFailure;
  }
}

int uninstall(const CliCommand& command) {
  try {
    maintenance::TrackedMutation mutation(std::nullopt, QString::fromStdString(buildName()));
    maintenance::InstallUndo undo(mutation);
    if (command.dryRun) {
      const auto plan = undo.plan();
      if (plan.steps.empty()) {
        printLine("Vesket has changed no other program's files (" + mutation.manifestPath().toStdString() + ").");
        return kExitOk;
      }
      std::fputs(plan.listing().c_str(), stdout);
      printLine("Nothing was changed; 'vesket uninstall --execute' does this.");
      return kExitOk;
    }
    const auto result = undo.execute();
    std::fputs(result.plan.listing().c_str(), stdout);
    printLine(fmt::format("{} files put back; {} records removed from {}.", result.filesChanged, result.recordsDropped,
                          mutation.manifestPath().toStdString()));
    return kExitOk;
  } catch (const maintenance::TrackedMutationError& error) {
    std::fprintf(stderr, "vesket: uninstall: %s\n", error.what());
    return kExitFailure;
  }
}

}  // namespace

int runAgentCommand(const CliCommand& command, const DaemonPaths& paths) {
  switch (command.kind) {
    case CliCommand::Kind::Ask: return ask(command);
    case CliCommand::Kind::Resolve: printLine(MarkerLine::resolved(*command.id)); return kExitOk;
    case CliCommand::Kind::Signal: return signal(command);
    case CliCommand::Kind::Hook: return hook(command, paths);
    case CliCommand::Kind::SkillsSync: return skillsSync(command, paths);
    case CliCommand::Kind::Uninstall: return uninstall(command);
    default: break;
  }
  return kExitUsage;
}

}  // namespace vesket::daemon
