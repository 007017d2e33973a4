#pragma once

// The result records of the daemon's unary control commands: each is the `data` member of a
// command's reply. They follow the common record rules (keys are the field names, required
// fields present with their type, optional ones missing or null, unknown keys ignored) and
// throw DecodingError otherwise. A record whose `ok` is false is still a result: the caller
// decides what to show.

#include <cstdint>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <vector>

#include "control_plane/core/agent_config_entry.h"
#include "control_plane/core/pane_entry.h"
#include "control_plane/core/served_model_catalog.h"

namespace vesket::control_plane {

// "ping".
struct PingResult {
  bool alive = false;
  double ts = 0;  // the daemon's time stamp
  std::optional<std::int64_t> pid;
  std::optional<std::string> daemonSessionId;  // changes whenever the daemon restarts
  std::optional<std::string> version;

  static PingResult fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const PingResult&, const PingResult&) = default;
};

// "relay-status": the daemon's link to the relay service.
struct LocalRelayStatus {
  std::optional<std::int64_t> userId;  // the relay account as the daemon knows it
  bool connected = false;
  std::string transportState;  // the daemon's name for the link's state
  // Changes whenever the daemon process restarts: the daemon generation.
  std::optional<std::string> daemonSessionId;

  static LocalRelayStatus fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const LocalRelayStatus&, const LocalRelayStatus&) = default;
};

// "enable-macos-automation".
struct EnableAutomationResult {
  bool enabled = false;

  static EnableAutomationResult fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const EnableAutomationResult&, const EnableAutomationResult&) = default;
};

// "self-vouch".
struct SelfVouchResult {
  bool approved = false;

  static SelfVouchResult fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const SelfVouchResult&, const SelfVouchResult&) = default;
};

// "send".
struct SendResult {
  bool ok = false;
  std::optional<std::string> error;
  std::optional<std::string> helpUrl;  // a link to help about the error

  static SendResult fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const SendResult&, const SendResult&) = default;
};

// "send-key" and "answer": only that the daemon answered matters.
struct SendKeyAck {
  std::optional<bool> ok;

  static SendKeyAck fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const SendKeyAck&, const SendKeyAck&) = default;
};

// One image sent with "send-image" (an argument, not a result).
struct ImageAttachment {
  std::string base64;  // the image bytes in standard Base64
  std::string ext;     // file extension, such as "png"

  static ImageAttachment fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const ImageAttachment&, const ImageAttachment&) = default;
};

// "send-image".
struct ImageSendResult {
  bool ok = false;
  std::optional<std::string> error;
  std::optional<std::vector<std::string>> paths;  // where the daemon stored the images

  static ImageSendResult fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const ImageSendResult&, const ImageSendResult&) = default;
};

// A file sent to a pane of another machine through the relay; no local command returns it.
struct FileSendResult {
  bool ok = false;
  std::optional<std::vector<std::string>> paths;

  static FileSendResult fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const FileSendResult&, const FileSendResult&) = default;
};

// One tmux server the daemon could follow.
struct TmuxSourceCandidatePayload {
  std::string value;  // the identifier to pass back to "tmux-source-set"
  std::string label;  // shown to the user
  std::int64_t sessionCount = 0;

  static TmuxSourceCandidatePayload fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const TmuxSourceCandidatePayload&, const TmuxSourceCandidatePayload&) = default;
};

// "tmux-source-list".
struct TmuxSourceListResult {
  std::string current;  // the value in use
  std::vector<TmuxSourceCandidatePayload> candidates;

  static TmuxSourceListResult fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const TmuxSourceListResult&, const TmuxSourceListResult&) = default;
};

// "tmux-source-set".
struct TmuxSourceSetResult {
  bool ok = false;
  std::optional<std::string> current;
  std::optional<std::string> applied;
  std::optional<bool> fellBack;  // the daemon fell back to another source
  std::optional<std::string> error;

  static TmuxSourceSetResult fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const TmuxSourceSetResult&, const TmuxSourceSetResult&) = default;
};

// "resize-window".
struct WindowResizeResult {
  bool ok = false;
  std::optional<std::int64_t> cols;
  std::optional<std::int64_t> rows;
  std::optional<std::string> mode;

  static WindowResizeResult fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const WindowResizeResult&, const WindowResizeResult&) = default;
};

// "spawn-shell".
struct SpawnShellResult {
  bool ok = false;
  std::optional<std::string> paneId;

  static SpawnShellResult fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const SpawnShellResult&, const SpawnShellResult&) = default;
};

// "spawn-plain-terminal".
struct SpawnPlainTerminalResult {
  bool ok = false;
  std::optional<std::string> paneId;

  static SpawnPlainTerminalResult fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const SpawnPlainTerminalResult&, const SpawnPlainTerminalResult&) = default;
};

// "attach-info": how to attach an own tmux client to the daemon's tmux server.
struct AttachInfoResult {
  bool ok = false;
  std::string tmuxBin;                  // path of the tmux executable
  std::vector<std::string> socketArgs;  // the arguments that select the daemon's tmux server
  std::optional<std::string> session;
  std::optional<std::string> windowId;

  static AttachInfoResult fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const AttachInfoResult&, const AttachInfoResult&) = default;
};

// "kill".
struct KillResult {
  std::optional<std::string> killed;
  std::optional<std::string> paneId;

  static KillResult fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const KillResult&, const KillResult&) = default;
};

// "set-pane-label": the name now in force (empty when removed).
struct PaneLabelResult {
  bool ok = false;
  std::string paneId;
  std::string customName;

  static PaneLabelResult fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const PaneLabelResult&, const PaneLabelResult&) = default;
};

// "crew" with action "disband".
struct CrewDisbandResult {
  std::string type;
  bool ok = false;
  std::optional<std::string> error;

  static CrewDisbandResult fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const CrewDisbandResult&, const CrewDisbandResult&) = default;
};

// "shutdown": the daemon is on its way out.
struct ShutdownResult {
  bool stopping = false;
  std::int64_t pid = 0;

  static ShutdownResult fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const ShutdownResult&, const ShutdownResult&) = default;
};

// "list-panes": the method returns `panes`.
struct PaneListReply {
  std::vector<PaneEntry> panes;

  static PaneListReply fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const PaneListReply&, const PaneListReply&) = default;
};

// "get-agent-config": the method returns `agents`.
struct AgentConfigReply {
  std::vector<AgentConfigEntry> agents;

  static AgentConfigReply fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const AgentConfigReply&, const AgentConfigReply&) = default;
};

// "crew" with action "models": the method returns `catalog`, which may be absent.
struct ModelCatalogReply {
  std::optional<ServedModelCatalog> catalog;

  static ModelCatalogReply fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const ModelCatalogReply&, const ModelCatalogReply&) = default;
};

}  // namespace vesket::control_plane
