// The coding agent (or plain shell) that runs in a pane.
#pragma once

#include <optional>
#include <string_view>

namespace vesket::viewer {

enum class PaneAgentKind { claude, codex, cursor, gemini, agy, codebuddy, opencode, shell, unknown };

// Exact, case-sensitive match of the raw value; none for any other text.
std::optional<PaneAgentKind> paneAgentKindFromRaw(std::string_view raw);
std::string_view rawValue(PaneAgentKind kind);
// "Claude", "Codex", ...; none for shell and unknown.
std::optional<std::string_view> displayLabel(PaneAgentKind kind);

}  // namespace vesket::viewer
