#include "control_plane/core/command_results.h"

#include "control_plane/core/json_codec.h"

namespace vesket::control_plane {

namespace {

using json_codec::field;

constexpr auto kPingResult = json_codec::record<PingResult>(
    "PingResult", field("alive", &PingResult::alive), field("ts", &PingResult::ts), field("pid", &PingResult::pid),
    field("daemonSessionId", &PingResult::daemonSessionId), field("version", &PingResult::version));

constexpr auto kShutdownResult = json_codec::record<ShutdownResult>(
    "ShutdownResult", field("stopping", &ShutdownResult::stopping), field("pid", &ShutdownResult::pid));

constexpr auto kLocalRelayStatus = json_codec::record<LocalRelayStatus>(
    "LocalRelayStatus", field("userId", &LocalRelayStatus::userId),
    field("connected", &LocalRelayStatus::connected),
    field("transportState", &LocalRelayStatus::transportState),
    field("daemonSessionId", &LocalRelayStatus::daemonSessionId));

constexpr auto kEnableAutomationResult = json_codec::record<EnableAutomationResult>(
    "EnableAutomationResult", field("enabled", &EnableAutomationResult::enabled));

constexpr auto kSelfVouchResult = json_codec::record<SelfVouchResult>(
    "SelfVouchResult", field("approved", &SelfVouchResult::approved));

constexpr auto kSendResult = json_codec::record<SendResult>(
    "SendResult", field("ok", &SendResult::ok), field("error", &SendResult::error),
    field("helpUrl", &SendResult::helpUrl));

constexpr auto kSendKeyAck =
    json_codec::record<SendKeyAck>("SendKeyAck", field("ok", &SendKeyAck::ok));

constexpr auto kImageAttachment = json_codec::record<ImageAttachment>(
    "ImageAttachment", field("base64", &ImageAttachment::base64),
    field("ext", &ImageAttachment::ext));

constexpr auto kImageSendResult = json_codec::record<ImageSendResult>(
    "ImageSendResult", field("ok", &ImageSendResult::ok), field("error", &ImageSendResult::error),
    field("paths", &ImageSendResult::paths));

constexpr auto kFileSendResult = json_codec::record<FileSendResult>(
    "FileSendResult", field("ok", &FileSendResult::ok), field("paths", &FileSendResult::paths));

constexpr auto kTmuxSourceCandidatePayload = json_codec::record<TmuxSourceCandidatePayload>(
    "TmuxSourceCandidatePayload", field("value", &TmuxSourceCandidatePayload::value),
    field("label", &TmuxSourceCandidatePayload::label),
    field("sessionCount", &TmuxSourceCandidatePayload::sessionCount));

constexpr auto kTmuxSourceListResult = json_codec::record<TmuxSourceListResult>(
    "TmuxSourceListResult", field("current", &TmuxSourceListResult::current),
    field("candidates", &TmuxSourceListResult::candidates));

constexpr auto kTmuxSourceSetResult = json_codec::record<TmuxSourceSetResult>(
    "TmuxSourceSetResult", field("ok", &TmuxSourceSetResult::ok),
    field("current", &TmuxSourceSetResult::current),
    field("applied", &TmuxSourceSetResult::applied),
    field("fellBack", &TmuxSourceSetResult::fellBack), field("error", &TmuxSourceSetResult::error));

constexpr auto kWindowResizeResult = json_codec::record<WindowResizeResult>(
    "WindowResizeResult", field("ok", &WindowResizeResult::ok),
    field("cols", &WindowResizeResult::cols), field("rows", &WindowResizeResult::rows),
    field("mode", &WindowResizeResult::mode));

constexpr auto kSpawnShellResult =
    json_codec::record<SpawnShellResult>("SpawnShellResult", field("ok", &SpawnShellResult::ok),
                                         field("paneId", &SpawnShellResult::paneId));

constexpr auto kSpawnPlainTerminalResult = json_codec::record<SpawnPlainTerminalResult>(
    "SpawnPlainTerminalResult", field("ok", &SpawnPlainTerminalResult::ok),
    field("paneId", &SpawnPlainTerminalResult::paneId));

constexpr auto kAttachInfoResult = json_codec::record<AttachInfoResult>(
    "AttachInfoResult", field("ok", &AttachInfoResult::ok),
    field("tmuxBin", &AttachInfoResult::tmuxBin),
    field("socketArgs", &AttachInfoResult::socketArgs),
    field("session", &AttachInfoResult::session), field("windowId", &AttachInfoResult::windowId));

constexpr auto kKillResult = json_codec::record<KillResult>(
    "KillResult", field("killed", &KillResult::killed), field("paneId", &KillResult::paneId));
constexpr auto kPaneLabelResult = json_codec::record<PaneLabelResult>(
    "PaneLabelResult", field("ok", &PaneLabelResult::ok), field("paneId", &PaneLabelResult::paneId),
    field("customName", &PaneLabelResult::customName));

constexpr auto kCrewDisbandResult = json_codec::record<CrewDisbandResult>(
    "CrewDisbandResult", field("type", &CrewDisbandResult::type),
    field("ok", &CrewDisbandResult::ok), field("error", &CrewDisbandResult::error));

constexpr auto kPaneListReply =
    json_codec::record<PaneListReply>("PaneListReply", field("panes", &PaneListReply::panes));

constexpr auto kAgentConfigReply = json_codec::record<AgentConfigReply>(
    "AgentConfigReply", field("agents", &AgentConfigReply::agents));

constexpr auto kModelCatalogReply = json_codec::record<ModelCatalogReply>(
    "ModelCatalogReply", field("catalog", &ModelCatalogReply::catalog));

}  // namespace

PingResult PingResult::fromJson(const nlohmann::json& json) { return kPingResult.decode(json); }
nlohmann::json PingResult::toJson() const { return kPingResult.encode(*this); }

ShutdownResult ShutdownResult::fromJson(const nlohmann::json& json) { return kShutdownResult.decode(json); }
nlohmann::json ShutdownResult::toJson() const { return kShutdownResult.encode(*this); }

LocalRelayStatus LocalRelayStatus::fromJson(const nlohmann::json& json) {
  return kLocalRelayStatus.decode(json);
}
nlohmann::json LocalRelayStatus::toJson() const { return kLocalRelayStatus.encode(*this); }

EnableAutomationResult EnableAutomationResult::fromJson(const nlohmann::json& json) {
  return kEnableAutomationResult.decode(json);
}
nlohmann::json EnableAutomationResult::toJson() const {
  return kEnableAutomationResult.encode(*this);
}

SelfVouchResult SelfVouchResult::fromJson(const nlohmann::json& json) {
  return kSelfVouchResult.decode(json);
}
nlohmann::json SelfVouchResult::toJson() const { return kSelfVouchResult.encode(*this); }

SendResult SendResult::fromJson(const nlohmann::json& json) { return kSendResult.decode(json); }
nlohmann::json SendResult::toJson() const { return kSendResult.encode(*this); }

SendKeyAck SendKeyAck::fromJson(const nlohmann::json& json) { return kSendKeyAck.decode(json); }
nlohmann::json SendKeyAck::toJson() const { return kSendKeyAck.encode(*this); }

ImageAttachment ImageAttachment::fromJson(const nlohmann::json& json) {
  return kImageAttachment.decode(json);
}
nlohmann::json ImageAttachment::toJson() const { return kImageAttachment.encode(*this); }

ImageSendResult ImageSendResult::fromJson(const nlohmann::json& json) {
  return kImageSendResult.decode(json);
}
nlohmann::json ImageSendResult::toJson() const { return kImageSendResult.encode(*this); }

FileSendResult FileSendResult::fromJson(const nlohmann::json& json) {
  return kFileSendResult.decode(json);
}
nlohmann::json FileSendResult::toJson() const { return kFileSendResult.encode(*this); }

TmuxSourceCandidatePayload TmuxSourceCandidatePayload::fromJson(const nlohmann::json& json) {
  return kTmuxSourceCandidatePayload.decode(json);
}
nlohmann::json TmuxSourceCandidatePayload::toJson() const {
  return kTmuxSourceCandidatePayload.encode(*this);
}

TmuxSourceListResult TmuxSourceListResult::fromJson(const nlohmann::json& json) {
  return kTmuxSourceListResult.decode(json);
}
nlohmann::json TmuxSourceListResult::toJson() const { return kTmuxSourceListResult.encode(*this); }

TmuxSourceSetResult TmuxSourceSetResult::fromJson(const nlohmann::json& json) {
  return kTmuxSourceSetResult.decode(json);
}
nlohmann::json TmuxSourceSetResult::toJson() const { return kTmuxSourceSetResult.encode(*this); }

WindowResizeResult WindowResizeResult::fromJson(const nlohmann::json& json) {
  return kWindowResizeResult.decode(json);
}
nlohmann::json WindowResizeResult::toJson() const { return kWindowResizeResult.encode(*this); }

SpawnShellResult SpawnShellResult::fromJson(const nlohmann::json& json) {
  return kSpawnShellResult.decode(json);
}
nlohmann::json SpawnShellResult::toJson() const { return kSpawnShellResult.encode(*this); }

SpawnPlainTerminalResult SpawnPlainTerminalResult::fromJson(const nlohmann::json& json) {
  return kSpawnPlainTerminalResult.decode(json);
}
nlohmann::json SpawnPlainTerminalResult::toJson() const {
  return kSpawnPlainTerminalResult.encode(*this);
}

AttachInfoResult AttachInfoResult::fromJson(const nlohmann::json& json) {
  return kAttachInfoResult.decode(json);
}
nlohmann::json AttachInfoResult::toJson() const { return kAttachInfoResult.encode(*this); }

KillResult KillResult::fromJson(const nlohmann::json& json) { return kKillResult.decode(json); }
nlohmann::json KillResult::toJson() const { return kKillResult.encode(*this); }
PaneLabelResult PaneLabelResult::fromJson(const nlohmann::json& json) { return kPaneLabelResult.decode(json); }
nlohmann::json PaneLabelResult::toJson() const { return kPaneLabelResult.encode(*this); }

CrewDisbandResult CrewDisbandResult::fromJson(const nlohmann::json& json) {
  return kCrewDisbandResult.decode(json);
}
nlohmann::json CrewDisbandResult::toJson() const { return kCrewDisbandResult.encode(*this); }

PaneListReply PaneListReply::fromJson(const nlohmann::json& json) {
  return kPaneListReply.decode(json);
}
nlohmann::json PaneListReply::toJson() const { return kPaneListReply.encode(*this); }

AgentConfigReply AgentConfigReply::fromJson(const nlohmann::json& json) {
  return kAgentConfigReply.decode(json);
}
nlohmann::json AgentConfigReply::toJson() const { return kAgentConfigReply.encode(*this); }

ModelCatalogReply ModelCatalogReply::fromJson(const nlohmann::json& json) {
  return kModelCatalogReply.decode(json);
}
nlohmann::json ModelCatalogReply::toJson() const { return kModelCatalogReply.encode(*this); }

}  // namespace vesket::control_plane
