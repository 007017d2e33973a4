#pragma once

#include <QString>
#include <functional>

#include <nlohmann/json.hpp>
#include <qcoro/qcorotask.h>

#include "control_plane/core/command_results.h"
#include "control_plane/core/pane_capture.h"
#include "daemon/core/recent_request_ids.h"
#include "daemon/core/request_frame.h"
#include "daemon/daemon_paths.h"

namespace vesket::daemon {

class AgentPromptService;
class CrewService;
class CommandArgs;
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
  CrewService* crews = nullptr;  // teams, agent groups, plain terminal windows
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
  // Each command's answer is its result record; `dispatch` encodes it.
  QCoro::Task<control_plane::PaneListReply> listPanes();
  QCoro::Task<control_plane::PaneCapture> capture(const nlohmann::json& args);
  QCoro::Task<control_plane::SendResult> send(const nlohmann::json& args);
  QCoro::Task<control_plane::SendKeyAck> sendKey(const nlohmann::json& args);
  QCoro::Task<control_plane::SendKeyAck> answer(const nlohmann::json& args);
  QCoro::Task<control_plane::ImageSendResult> sendImage(const nlohmann::json& args);
  QCoro::Task<control_plane::FileSendResult> sendFile(const nlohmann::json& args);
  nlohmann::json uploadPart(const nlohmann::json& args);
  // The staged file of the arguments' "uploadId".
  QString stagedUpload(const CommandArgs& a) const;
  QCoro::Task<control_plane::WindowResizeResult> resizeWindow(const nlohmann::json& args);
  QCoro::Task<QString> spawn(const std::string& cmd, const nlohmann::json& args);
  QCoro::Task<control_plane::AttachInfoResult> attachInfo(const nlohmann::json& args);
  QCoro::Task<control_plane::KillResult> kill(const nlohmann::json& args);
  QCoro::Task<control_plane::PaneLabelResult> setPaneLabel(const nlohmann::json& args);
  QCoro::Task<control_plane::TmuxSourceListResult> tmuxSourceList();
  QCoro::Task<control_plane::TmuxSourceSetResult> tmuxSourceSet(const nlohmann::json& args);
  QCoro::Task<nlohmann::json> crew(nlohmann::json args);
  CrewService& crews(const std::string& cmd) const;
  control_plane::PingResult ping() const;
  nlohmann::json relayStatus() const;

  TmuxEngine& m_engine;
  DaemonContext m_context;
  RecentRequestIds m_sentRequests;
};

}  // namespace vesket::daemon
