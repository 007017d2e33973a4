#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <optional>
#include <stdexcept>

#include "daemon/daemon_paths.h"

namespace vesket::daemon {

class CommandDispatcher;
class CrewService;
class ControlServer;
class TmuxEngine;
class WatchHub;
class TerminalAttachService;
class PanePipeDoor;
class ClaudeHistoryService;
class AgentPromptService;
class RelayLink;
class RelayPairing;

// Another daemon already serves this product home.
class DaemonAlreadyRunning : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The serving daemon (`vesket daemon start`): owns the single-instance lock, the log, the
// environment file, the identity record, the tmux engine and the control server, and
// tears them down in order when it stops (SIGTERM, SIGINT, SIGHUP or "shutdown").
class DaemonRuntime : public QObject {
  Q_OBJECT

 public:
  struct Options {
    std::optional<QString> tmuxSocketPath;  // --tmux-socket / VESKET_TMUX_SOCKET
    std::optional<QString> tmuxSocketName;  // -L
  };

  DaemonRuntime(DaemonPaths paths, Options options, QObject* parent = nullptr);
  ~DaemonRuntime() override;

  // Brings everything up. Throws DaemonAlreadyRunning or std::runtime_error.
  void start();
  // Stops serving and quits the event loop with `exitCode`.
  void stop(int exitCode = 0);

  const QString& daemonSessionId() const { return m_daemonSessionId; }

 private:
  void acquireLock();
  void replaceStaleSocket();
  void writeEnvFile();
  void publishAgentRoot();
  QString installId();
  void publishIdentity();
  void removeIdentity();
  void installSignalHandlers();

  DaemonPaths m_paths;
  Options m_options;
  QString m_daemonSessionId;
  qint64 m_startedAtMs = 0;
  int m_lockFd = -1;
  bool m_stopping = false;
  std::unique_ptr<TmuxEngine> m_engine;
  std::unique_ptr<CrewService> m_crews;
  std::unique_ptr<CommandDispatcher> m_dispatcher;
  std::unique_ptr<WatchHub> m_watchHub;
  std::unique_ptr<PanePipeDoor> m_pipeDoor;
  std::unique_ptr<TerminalAttachService> m_terminalAttach;
  std::unique_ptr<ClaudeHistoryService> m_claudeHistory;
  std::unique_ptr<AgentPromptService> m_agentPrompts;
  std::unique_ptr<ControlServer> m_server;
  std::unique_ptr<RelayLink> m_relayLink;
  std::unique_ptr<RelayPairing> m_relayPairing;
};

}  // namespace vesket::daemon
