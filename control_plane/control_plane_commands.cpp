// The typed unary commands of ControlPlaneClient: each builds its arguments, sends one
// request and returns the reply's record, or the part of it the callers need.
//
// The coroutines below never touch the client after their co_await: the request itself
// keeps the client alive while it runs, but nothing does afterwards.
#include "control_plane/control_plane_client.h"
#include "control_plane/core/control_plane_errors.h"

namespace vesket::control_plane {

namespace Args = CommandArguments;

nlohmann::json ControlPlaneClient::argsJson(JSONObject args) { return JSONValue(std::move(args)).toJson(); }

QCoro::Task<PingResult> ControlPlaneClient::ping() { return request<PingResult>(CommandName::ping); }

QCoro::Task<LocalRelayStatus> ControlPlaneClient::relayStatus(CancellationToken cancel) {
  return request<LocalRelayStatus>(CommandName::relayStatus, nlohmann::json::object(), std::nullopt, std::move(cancel));
}

QCoro::Task<EnableAutomationResult> ControlPlaneClient::enableMacOSAutomation() {
  return request<EnableAutomationResult>(CommandName::enableMacosAutomation);
}

QCoro::Task<SelfVouchResult> ControlPlaneClient::selfVouch(std::string deviceId, std::string requestId,
                                                           std::int64_t userId, std::string deviceName) {
  return request<SelfVouchResult>(CommandName::selfVouch, argsJson(Args::selfVouch(deviceId, requestId, userId, deviceName)),
                                  kSelfVouchTimeout);
}

QCoro::Task<std::vector<PaneEntry>> ControlPlaneClient::listPanes() {
  auto reply = co_await request<PaneListReply>(CommandName::listPanes);
  co_return std::move(reply.panes);
}

QCoro::Task<std::vector<AgentConfigEntry>> ControlPlaneClient::fetchAgentConfig() {
  auto reply = co_await request<AgentConfigReply>(CommandName::getAgentConfig);
  co_return std::move(reply.agents);
}

QCoro::Task<std::optional<ServedModelCatalog>> ControlPlaneClient::fetchModelCatalog() {
  auto reply = co_await request<ModelCatalogReply>(CommandName::crew, argsJson(Args::crewModels()));
  co_return std::move(reply.catalog);
}

QCoro::Task<PaneCapture> ControlPlaneClient::capture(std::string paneId) {
  return request<PaneCapture>(CommandName::capture, argsJson(Args::pane(paneId)));
}

QCoro::Task<SendResult> ControlPlaneClient::send(std::string paneId, std::string text,
                                                 std::optional<std::string> submitKey,
                                                 std::optional<QUuid> clientRequestId) {
  std::optional<std::string> requestIdText;
  if (clientRequestId) {
    requestIdText = clientRequestId->toString(QUuid::WithoutBraces).toUpper().toStdString();
  }
  return request<SendResult>(CommandName::send, argsJson(Args::send(paneId, text, submitKey, requestIdText)));
}

QCoro::Task<void> ControlPlaneClient::sendKey(std::string paneId, std::string key) {
  co_await request<SendKeyAck>(CommandName::sendKey, argsJson(Args::sendKey(paneId, key)));
}

QCoro::Task<void> ControlPlaneClient::setPaneLabel(std::string paneId, std::string customName) {
  co_await request<PaneLabelResult>(CommandName::setPaneLabel, argsJson(Args::setPaneLabel(paneId, customName)));
}

QCoro::Task<void> ControlPlaneClient::answer(std::string paneId, std::optional<std::int64_t> choice,
                                             std::optional<std::vector<std::int64_t>> choices,
                                             std::optional<std::string> promptId) {
  co_await request<nlohmann::json>(CommandName::answer, argsJson(Args::answer(paneId, choice, choices, promptId)));
}

QCoro::Task<ImageSendResult> ControlPlaneClient::sendImage(std::string paneId, std::vector<ImageAttachment> images,
                                                           std::string text) {
  return request<ImageSendResult>(CommandName::sendImage, argsJson(Args::sendImage(paneId, images, text)));
}

QCoro::Task<ImageSendResult> ControlPlaneClient::typeImagePaths(std::string paneId, std::vector<ImageAttachment> images) {
  return request<ImageSendResult>(CommandName::sendImage, argsJson(Args::sendImage(paneId, images, {}, false)));
}

QCoro::Task<TmuxSourceListResult> ControlPlaneClient::tmuxSourceList() {
  return request<TmuxSourceListResult>(CommandName::tmuxSourceList);
}

QCoro::Task<TmuxSourceSetResult> ControlPlaneClient::tmuxSourceSet(std::string value) {
  return request<TmuxSourceSetResult>(CommandName::tmuxSourceSet, argsJson(Args::tmuxSourceSet(value)));
}

QCoro::Task<WindowResizeResult> ControlPlaneClient::resizeWindow(std::string paneId,
                                                                 std::optional<std::int64_t> cols) {
  return request<WindowResizeResult>(CommandName::resizeWindow, argsJson(Args::resizeWindow(paneId, cols)));
}

QCoro::Task<std::string> ControlPlaneClient::spawnShell() {
  const auto result = co_await request<SpawnShellResult>(CommandName::spawnShell);
  if (!result.ok || !result.paneId) throw ControlPlaneError::requestFailed("spawn-shell returned no paneId");
  co_return *result.paneId;
}

QCoro::Task<std::string> ControlPlaneClient::spawnPersistentPlainTerminal(std::optional<std::string> windowName) {
  const auto result =
      co_await request<SpawnPlainTerminalResult>(CommandName::spawnPlainTerminal, argsJson(Args::spawnPlainTerminal(windowName)));
  if (!result.ok || !result.paneId) {
    throw ControlPlaneError::requestFailed("spawn-plain-terminal returned no paneId");
  }
  co_return *result.paneId;
}

QCoro::Task<AttachInfoResult> ControlPlaneClient::attachInfo(std::optional<std::string> paneId) {
  auto result = co_await request<AttachInfoResult>(CommandName::attachInfo, argsJson(Args::attachInfo(paneId)));
  if (!result.ok) throw ControlPlaneError::requestFailed("attach-info failed");
  co_return result;
}

QCoro::Task<KillResult> ControlPlaneClient::kill(std::string paneId) {
  return request<KillResult>(CommandName::kill, argsJson(Args::pane(paneId)));
}

QCoro::Task<CrewDisbandResult> ControlPlaneClient::disbandCrew(std::string project) {
  return request<CrewDisbandResult>(CommandName::crew, argsJson(Args::crewDisband(project)));
}

}  // namespace vesket::control_plane
