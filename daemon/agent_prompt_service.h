#pragma once

#include <QObject>
#include <QString>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <qcoro/qcorotask.h>

#include "daemon/core/agent_hook_event.h"

namespace vesket::daemon {

class TmuxEngine;

// The agents' own reports of waiting for the user ("agent-hook", sent by `vesket hook
// claude`), kept per pane and published in the pane records (`agentPrompt`), so that the
// application shows them like the prompts it finds in pane text. A prompt ends when the
// agent reports that it moved on, when it is answered through the daemon, when its pane
// closes, or when the pane's program changes (the agent exited).
class AgentPromptService : public QObject {
  Q_OBJECT

 public:
  explicit AgentPromptService(TmuxEngine& engine, QObject* parent = nullptr);

  // "agent-hook": args {paneId, agent: "claude", event: {...}, tmuxSocket?}. Returns the
  // reply's data ({"action": "raise"|"clear"|"ignore", "promptId"?}). Throws CommandError
  // for bad arguments. Re-reads the pane list first, so that the program the prompt is
  // tied to is the one running now.
  QCoro::Task<nlohmann::json> hook(nlohmann::json args);

  // For "answer": the keys that answer `choice` of the pane's open prompt, when the answer
  // is meant for it (`promptId` is its id, or absent while a dialog is open). Answering
  // ends the prompt. Throws CommandError when `promptId` names a prompt of this service
  // that is no longer open (the agent moved on; a stale answer must not be typed).
  std::optional<std::vector<std::string>> takeAnswerKeys(const std::string& paneId,
                                                         const std::optional<std::string>& promptId,
                                                         std::optional<std::int64_t> choice);
  // Whether the pane's agent sits at its input prompt waiting for a message.
  bool isWaitingForMessage(const std::string& paneId) const;

  std::optional<AgentPrompt> prompt(const std::string& paneId) const;

 private:
  struct Open {
    AgentPrompt prompt;
    std::string cmd;  // the pane's program when the prompt was raised
  };

  void set(const std::string& paneId, std::optional<Open> open);
  void onPanesChanged();
  std::string nextId(const std::string& agent);

  TmuxEngine& m_engine;
  std::map<std::string, Open> m_open;
  std::uint64_t m_serial = 0;
};

}  // namespace vesket::daemon
