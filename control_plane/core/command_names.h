#pragma once

// The names of the control socket's commands: the daemon serves these, the application, the
// CLI and the relay send them. One spelling each, here.

#include <array>
#include <string_view>

namespace vesket::control_plane::CommandName {

// Answered with one reply line.
inline constexpr std::string_view ping = "ping";
inline constexpr std::string_view relayStatus = "relay-status";
inline constexpr std::string_view listPanes = "list-panes";
inline constexpr std::string_view capture = "capture";
inline constexpr std::string_view send = "send";
inline constexpr std::string_view sendKey = "send-key";
inline constexpr std::string_view answer = "answer";
inline constexpr std::string_view agentHook = "agent-hook";
inline constexpr std::string_view sendImage = "send-image";
inline constexpr std::string_view sendFile = "send-file";
inline constexpr std::string_view uploadPart = "upload-part";
inline constexpr std::string_view resizeWindow = "resize-window";
inline constexpr std::string_view spawnShell = "spawn-shell";
inline constexpr std::string_view spawnPlainTerminal = "spawn-plain-terminal";
inline constexpr std::string_view attachInfo = "attach-info";
inline constexpr std::string_view kill = "kill";
inline constexpr std::string_view setPaneLabel = "set-pane-label";
inline constexpr std::string_view tmuxSourceList = "tmux-source-list";
inline constexpr std::string_view tmuxSourceSet = "tmux-source-set";
inline constexpr std::string_view getAgentConfig = "get-agent-config";
inline constexpr std::string_view crew = "crew";
inline constexpr std::string_view agentGroup = "agent-group";
inline constexpr std::string_view agentGroupRename = "agent-group-rename";
inline constexpr std::string_view enableMacosAutomation = "enable-macos-automation";
inline constexpr std::string_view requestAccessibility = "request-accessibility";
inline constexpr std::string_view selfVouch = "self-vouch";
inline constexpr std::string_view relayPair = "relay-pair";
inline constexpr std::string_view shutdown = "shutdown";

// Open or feed a stream: events carrying the request's id until a done line.
inline constexpr std::string_view watch = "watch";
inline constexpr std::string_view terminalAttach = "terminal-attach";
inline constexpr std::string_view terminalInput = "terminal-input";
inline constexpr std::string_view terminalDetach = "terminal-detach";
inline constexpr std::string_view claudeHistory = "claude-history";
// Ends a stream of the same connection, by the stream's id.
inline constexpr std::string_view cancel = "cancel";

inline constexpr std::array unary = {
    ping,      relayStatus,   listPanes,      capture,        send,           sendKey,
    answer,    agentHook,     sendImage,      sendFile,       uploadPart,     resizeWindow,   spawnShell,     spawnPlainTerminal,
    attachInfo, kill,         setPaneLabel,   tmuxSourceList, tmuxSourceSet,  getAgentConfig, crew,
    agentGroup, agentGroupRename,
    enableMacosAutomation,    requestAccessibility,           selfVouch,      relayPair,      shutdown,
};

inline constexpr std::array streams = {watch, terminalAttach, terminalInput, terminalDetach, claudeHistory, cancel};

}  // namespace vesket::control_plane::CommandName
