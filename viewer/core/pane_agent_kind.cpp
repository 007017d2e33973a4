#include "viewer/core/pane_agent_kind.h"

namespace vesket::viewer {

namespace {

struct KindNames {
  PaneAgentKind kind;
  std::string_view raw;
  std::string_view label;  // empty: none
};

constexpr KindNames kKinds[] = {
    {PaneAgentKind::claude, "claude", "Claude"},
    {PaneAgentKind::codex, "codex", "Codex"},
    {PaneAgentKind::cursor, "cursor", "Cursor"},
    {PaneAgentKind::gemini, "gemini", "Gemini"},
    {PaneAgentKind::agy, "agy", "AGY"},
    {PaneAgentKind::codebuddy, "codebuddy", "CodeBuddy"},
    {PaneAgentKind::opencode, "opencode", "OpenCode"},
    {PaneAgentKind::shell, "shell", ""},
    {PaneAgentKind::unknown, "unknown", ""},
};

}  // namespace

std::optional<PaneAgentKind> paneAgentKindFromRaw(std::string_view raw) {
  for (const KindNames& names : kKinds) {
    if (names.raw == raw) return names.kind;
  }
  return std::nullopt;
}

std::string_view rawValue(PaneAgentKind kind) {
  return kKinds[static_cast<int>(kind)].raw;
}

std::optional<std::string_view> displayLabel(PaneAgentKind kind) {
  const std::string_view label = kKinds[static_cast<int>(kind)].label;
  if (label.empty()) return std::nullopt;
  return label;
}

}  // namespace vesket::viewer
