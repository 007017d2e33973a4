#pragma once

#include <QString>
#include <functional>

#include <nlohmann/json.hpp>
#include <qcoro/qcorotask.h>

#include "daemon/core/recent_request_ids.h"
#include "daemon/core/request_frame.h"
#include "daemon/daemon_paths.h"

namespace vesket::daemon {

class AgentPromptService;
class RelayPairing;
class TmuxEngine;

// What the commands need to know about the running daemon.
struct DaemonContext {
  DaemonPaths paths;
  QString daemonSessionId;     // new UUID for every process start
  qint64 startedAtMs = 0;
  std::function<void()> requestStop;  // "shutdown": stop serving once the reply is out
  AgentPromptService* agentPrompts = nullptr;  // "agent-hook", and answers to hook prompts
  // The relay link's state for "relay-status" ({"connected", "transportState", ...}).
  std::function<nlohmann::json()> relayLinkStatus;
  RelayPairing* relayPairing = nullptr;  // "relay-pair" and "self-vouch"
};

// Carries out the unary control commands: checks the arguments, drives the tmux engine and
// returns the `data` of the reply. Throws CommandError (bad arguments, unknown command)
// or the engine's TmuxError; the connection turns either into an `ok: false` line.
// Streams ("watch", "cancel") are the connection's and the watch hub's business.
class CommandDispatcher {
 public:
  CommandDispatcher(TmuxEngine& engine, DaemonContext context);

  QCoro::Task<nlohmann::json> dispatch(RequestFrame frame);

  const DaemonContext& context() const { return m_context; }

 private:
  QCoro::Task<nlohmann::json> listPanes();
  QCoro::Task<nlohmann::json> capture(const nlohmann::json& args);
  QCoro::Task<nlohmann::json> send(const nlohmann::json& args);
  QCoro::Task<nlohmann::json> sendKey(const nlohmann::json& args);
  QCoro::Task<nlohmann::json> answer(const nlohmann::json& args);
  QCoro::Task<nlohmann::json> sendImage(const nlohmann::json& args);
  QCoro::Task<nlohmann::json> resizeWindow(const nlohmann::json& args);
  QCoro::Task<nlohmann::json> spawn(const std::string& cmd, const nlohmann::json& args);
  QCoro::Task<nlohmann::json> attachInfo(const nlohmann::json& args);
  QCoro::Task<nlohmann::json> kill(const nlohmann::json& args);
  QCoro::Task<nlohmann::json> setPaneLabel(const nlohmann::json& args);
  QCoro::Task<nlohmann::json> tmuxSourceList();
  QCoro::Task<nlohmann::json> tmuxSourceSet(const nlohmann::json& args);
  nlohmann::json crew(const nlohmann::json& args) const;
  nlohmann::json ping() const;
  nlohmann::json relayStatus() const;

  TmuxEngine& m_engine;
  DaemonContext m_context;
  RecentRequestIds m_sentRequests;
};

}  // namespace vesket::daemon
