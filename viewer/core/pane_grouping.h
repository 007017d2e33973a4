// The pane sidebar's model: turns the daemon's pane records into rows with a friendly label
// and chips, and into sorted groups that match the user's tmux windows and agent teams.
// Everything here is pure; group titles are ordered by a comparison passed in, so the Qt
// side can use the user's locale.
#pragma once

#include <cstdint>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "control_plane/core/pane_entry.h"
#include "viewer/core/pane_agent_kind.h"
#include "viewer/core/pane_group.h"
#include "viewer/core/pane_row.h"

namespace vesket::viewer::PaneGrouping {

using control_plane::PaneEntry;

// The character budget of a row label.
inline constexpr std::size_t labelBudget = 42;

// Characters that agents and shells put in front of a title to show their state.
inline constexpr char32_t statusGlyphs[] = {
    0x2733, 0x273D, 0x2736, 0x2735, 0x2734, 0x2737, 0x2738, 0x274B, 0x23FA,
    0x25CF, 0x25CB, 0x25C9, 0x25D0, 0x25D1, 0x25D2, 0x25D3, 0x2022, 0x00B7,
    0x2217, U'*',   0x25AA, 0x25AB, 0x25C6, 0x25C7, U'_'};
static_assert(std::size(statusGlyphs) == 25);

// Window names that say nothing about the work in the window.
inline constexpr std::string_view genericWindowNames[] = {
    "fish", "bash", "zsh", "sh", "node", "claude", "claude.exe",
    "tmux", "cursor", "codex", "gemini", "python", "python3"};
static_assert(std::size(genericWindowNames) == 13);

// Machine-generated text (dispatch prompts, contracts injected by the agent-team tooling),
// matched case-insensitively anywhere; it never becomes a label.
inline constexpr std::string_view plumbingTitlePattern =
    "tmux[- ]target|crew-dispatch|crew-worktree\\.sh|BOARD-SUPPLEMENT|COMPLETION CONTRACT|"
    "\\[VESKET-MACHINERY]|\\[CREW CONTRACT]|vesket crew worker contract|cursor agent force";
bool matchesPlumbing(std::string_view text);

// Three-way comparison of group titles: negative, zero (equal, ties broken by group id) or
// positive. The app passes a collator of the user's locale.
using TitleComparator = std::function<int(std::string_view, std::string_view)>;
// A locale-free fallback: scalars compared after simple case folding.
int caseInsensitiveCompare(std::string_view a, std::string_view b);

std::vector<PaneGroup> group(const std::vector<PaneEntry>& entries,
                             const TitleComparator& compareTitles = caseInsensitiveCompare);
PaneRow row(const PaneEntry& entry);

bool isRunning(const PaneEntry& entry);
bool isStaleSession(std::string_view sessionName);
PaneAgentKind classifyKind(const PaneEntry& entry);

std::string friendlyLabel(const PaneEntry& entry);
std::string stripLeadingStatusGlyph(std::string_view text);

bool looksLikePath(std::string_view text);
// The text's pieces between slashes, empty ones (doubled or trailing slashes) left out.
std::vector<std::string_view> pathComponents(std::string_view text);
std::pair<std::string, std::optional<std::string>> splitPath(std::string_view text);
std::string elide(std::string_view text, std::size_t max);
std::pair<std::string, std::optional<std::string>> displayComponents(std::string_view text);

std::optional<std::string> resolveRole(const PaneEntry& entry);

std::optional<std::string> modelChipLabel(const PaneEntry& entry);
std::optional<std::string> modelIdLabel(std::string_view modelId);

// A project as a person reads it: the last component when it is a path, else as it is.
std::string projectName(std::string_view project);
// The names that tell these projects apart, by project: its name alone when no other project
// shares it; else, as editors tell same-named files apart, the name after as many parent
// folders as it takes to differ from the others ("work/api" and "oss/api"), or the whole path
// when no ending of it is its own (a path that ends another one).
std::unordered_map<std::string, std::string> distinctProjectNames(const std::vector<std::string>& projects);
std::string groupTitle(std::string_view sessionName, std::string_view windowName);
std::string displayLocation(std::string_view location, std::string_view groupTitle);

// The number in a pane id ("%12" gives 12); the largest integer when there is none, so such
// panes sort after all numbered ones.
std::int64_t paneIdNumeric(std::string_view paneId);

}  // namespace vesket::viewer::PaneGrouping
