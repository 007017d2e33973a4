#include "daemon/agent_prompt_service.h"

#include <QDateTime>
#include <QDir>
#include <QPointer>
#include <QFileInfo>
#include <QUuid>

#include <fmt/format.h>

#include "daemon/core/command_args.h"
#include "daemon/core/command_error.h"
#include "daemon/tmux_engine.h"

namespace vesket::daemon {

namespace {

std::string paneCmd(const TmuxEngine& engine, const std::string& paneId, bool* found = nullptr) {
  for (const auto& pane : engine.panes()) {
    if (pane.paneId == paneId) {
      if (found) *found = true;
      return pane.cmd;
    }
  }
  if (found) *found = false;
  return {};
}

QString canonical(const QString& path) {
  const QString resolved = QFileInfo(path).canonicalFilePath();
  return resolved.isEmpty() ? QDir::cleanPath(path) : resolved;
}

}  // namespace

AgentPromptService::AgentPromptService(TmuxEngine& engine, QObject* parent) : QObject(parent), m_engine(engine) {
  connect(&m_engine, &TmuxEngine::panesChanged, this, &AgentPromptService::onPanesChanged);
}

std::string AgentPromptService::nextId(const std::string& agent) {
  // ":" keeps these ids apart from marker ids, which are [A-Za-z0-9_-]+.
  static const std::string run = QUuid::createUuid().toString(QUuid::Id128).left(6).toStdString();
  return fmt::format("{}:{}-{}", agent, run, ++m_serial);
}

QCoro::Task<nlohmann::json> AgentPromptService::hook(nlohmann::json args) {
  const CommandArgs a("agent-hook", args);
  const std::string paneId = a.requirePaneId();
  const std::string agent = a.requireString("agent");
  if (agent != "claude") a.fail(fmt::format("agent '{}' has no hooks this daemon understands", agent));
  if (!args.contains("event") || !args["event"].is_object()) a.fail("argument 'event' must be the hook's JSON object");
  // A pane id names a pane of one tmux server: an agent in another server's pane is not ours.
  if (const auto socket = a.optionalString("tmuxSocket"); socket && !socket->empty()) {
    if (canonical(QString::fromStdString(*socket)) != canonical(m_engine.socketPath())) {
      co_return nlohmann::json{{"action", "ignore"}, {"reason", "the pane belongs to another tmux server"}};
    }
  }
  QPointer<AgentPromptService> self(this);
  try {
    auto refreshed = m_engine.refreshNow();
    co_await std::move(refreshed);
  } catch (const std::exception&) {
    // tmux is gone: the pane check below says so.
  }
  if (!self) co_return nlohmann::json{{"action", "ignore"}};
  bool listed = false;
  const std::string cmd = paneCmd(m_engine, paneId, &listed);
  if (!listed) co_return nlohmann::json{{"action", "ignore"}, {"reason", "no such pane"}};

  AgentHookAction action;
  try {
    action = ClaudeHookEvent::interpret(args["event"], nextId(agent),
                                        static_cast<double>(QDateTime::currentMSecsSinceEpoch()));
  } catch (const std::invalid_argument& error) {
    a.fail(error.what());
  }
  switch (action.kind) {
    case AgentHookAction::Kind::raise: {
      if (action.onlyIfNoneOpen && m_open.contains(paneId)) {
        co_return nlohmann::json{{"action", "ignore"}, {"reason", "a prompt is open"}};
      }
      const std::string id = action.prompt->row.id;
      set(paneId, Open{std::move(*action.prompt), cmd});
      co_return nlohmann::json{{"action", "raise"}, {"promptId", id}};
    }
    case AgentHookAction::Kind::clear:
      set(paneId, std::nullopt);
      co_return nlohmann::json{{"action", "clear"}};
    case AgentHookAction::Kind::ignore: break;
  }
  co_return nlohmann::json{{"action", "ignore"}};
}

std::optional<std::vector<std::string>> AgentPromptService::takeAnswerKeys(const std::string& paneId,
                                                                           const std::optional<std::string>& promptId,
                                                                           std::optional<std::int64_t> choice) {
  if (!choice && !promptId) return std::nullopt;  // confirm the default: Enter, as ever
  const auto found = m_open.find(paneId);
  const bool ours = promptId && promptId->find(':') != std::string::npos;
  if (found == m_open.end() || (promptId && found->second.prompt.row.id != *promptId)) {
    if (ours) throw CommandError("answer: the agent no longer waits for this answer; nothing was typed");
    return std::nullopt;
  }
  const AgentPrompt& prompt = found->second.prompt;
  // Without a prompt id the answer is for a dialog only: an answer to a marker prompt while
  // the agent merely idles goes to the marker's numbering.
  if (!promptId && prompt.row.kind == "waiting") return std::nullopt;
  if (!choice || *choice < 1 || *choice > static_cast<std::int64_t>(prompt.optionKeys.size())) {
    throw CommandError(fmt::format("answer: the agent's prompt has {} options; choose one of them",
                                   prompt.optionKeys.size()));
  }
  auto keys = prompt.optionKeys[static_cast<std::size_t>(*choice - 1)];
  set(paneId, std::nullopt);
  return keys;
}

bool AgentPromptService::isWaitingForMessage(const std::string& paneId) const {
  const auto found = m_open.find(paneId);
  return found != m_open.end() && found->second.prompt.row.kind == "waiting";
}

std::optional<AgentPrompt> AgentPromptService::prompt(const std::string& paneId) const {
  const auto found = m_open.find(paneId);
  if (found == m_open.end()) return std::nullopt;
  return found->second.prompt;
}

void AgentPromptService::set(const std::string& paneId, std::optional<Open> open) {
  if (open) {
    m_engine.setAgentPrompt(paneId, open->prompt.row);
    m_open.insert_or_assign(paneId, std::move(*open));
  } else {
    if (m_open.erase(paneId) == 0) return;
    m_engine.setAgentPrompt(paneId, std::nullopt);
  }
}

void AgentPromptService::onPanesChanged() {
  std::vector<std::string> ended;
  for (const auto& [paneId, open] : m_open) {
    bool listed = false;
    const std::string cmd = paneCmd(m_engine, paneId, &listed);
    if (!listed || cmd != open.cmd) ended.push_back(paneId);
  }
  for (const std::string& paneId : ended) set(paneId, std::nullopt);
}

}  // namespace vesket::daemon
