// PaneGrouping: the texts of a row (label, chips, role, kind).
#include <algorithm>

#include "viewer/core/pane_grouping.h"
#include "viewer/core/utf8_text.h"

namespace vesket::viewer::PaneGrouping {

namespace {

constexpr std::string_view kEllipsis = "\u2026";
constexpr std::string_view kMiddleDotSeparator = " \u00B7 ";

// The literal alternatives of plumbingTitlePattern, lower-cased.
constexpr std::string_view kPlumbingNeedles[] = {
    "tmux-target",        "tmux target",         "crew-dispatch",
    "crew-worktree.sh",   "board-supplement",    "completion contract",
    "[vesket-machinery]", "[crew contract]",     "vesket crew worker contract",
    "cursor agent force"};

bool isStatusGlyph(char32_t c) {
  return std::find(std::begin(statusGlyphs), std::end(statusGlyphs), c) != std::end(statusGlyphs);
}

bool isBraille(char32_t c) { return c >= 0x2800 && c <= 0x28FF; }

// A character that stripLeadingStatusGlyph skips.
bool isLeadingNoise(std::string_view character) {
  const auto scalars = utf8::decodeAll(character);
  // White space by its first scalar (CR LF is one character); a glyph only on its own.
  if (!scalars.empty() && utf8::isWhitespace(scalars[0])) return true;
  if (scalars.size() == 1 && isStatusGlyph(scalars[0])) return true;
  return !scalars.empty() && std::all_of(scalars.begin(), scalars.end(), isBraille);
}

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool endsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

bool contains(std::string_view text, std::string_view needle) {
  return text.find(needle) != std::string_view::npos;
}

std::string capitalized(std::string_view word) {
  std::string out(word);
  bool atWordStart = true;
  for (char& c : out) {
    if (c == ' ' || c == '\t') {
      atWordStart = true;
    } else {
      if (atWordStart && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      atWordStart = false;
    }
  }
  return out;
}

std::optional<std::string> normalizeRole(const std::optional<std::string>& role) {
  if (!role) return std::nullopt;
  if (*role == "manager") return "manager";
  if (*role == "worker" || *role == "coworker") return "worker";
  return std::nullopt;
}

}  // namespace

bool matchesPlumbing(std::string_view text) {
  const std::string lower = utf8::asciiLower(text);
  return std::any_of(std::begin(kPlumbingNeedles), std::end(kPlumbingNeedles),
                     [&](std::string_view needle) { return contains(lower, needle); });
}

bool isRunning(const PaneEntry& entry) {
  return entry.load && (*entry.load == "light" || *entry.load == "heavy");
}

bool isStaleSession(std::string_view sessionName) {
  const std::string name = utf8::asciiLower(sessionName);
  return name == "test" || startsWith(name, "test-") || endsWith(name, "-test") ||
         contains(name, "-test-") || contains(name, "scratch") || contains(name, "worktree") ||
         startsWith(name, "wt-") || endsWith(name, "-wt");
}

PaneAgentKind classifyKind(const PaneEntry& entry) {
  if (entry.agentKind) {
    const std::string raw = utf8::asciiLower(utf8::trimWhitespace(*entry.agentKind));
    if (!raw.empty()) {
      if (auto kind = paneAgentKindFromRaw(raw); kind && *kind != PaneAgentKind::unknown) {
        return *kind;
      }
    }
  }
  const std::string haystack =
      utf8::asciiLower(entry.cmd + " " + entry.paneTitle + " " + entry.windowName);
  static constexpr std::pair<std::string_view, PaneAgentKind> kNeedles[] = {
      {"claude", PaneAgentKind::claude},     {"agy", PaneAgentKind::agy},
      {"codebuddy", PaneAgentKind::codebuddy}, {"opencode", PaneAgentKind::opencode},
      {"cursor", PaneAgentKind::cursor},     {"codex", PaneAgentKind::codex},
      {"gemini", PaneAgentKind::gemini}};
  for (const auto& [needle, kind] : kNeedles) {
    if (contains(haystack, needle)) return kind;
  }
  const std::string cmd = utf8::asciiLower(entry.cmd);
  if (cmd == "fish" || cmd == "bash" || cmd == "zsh" || cmd == "sh" || endsWith(cmd, "/fish") ||
      endsWith(cmd, "/bash") || endsWith(cmd, "/zsh")) {
    return PaneAgentKind::shell;
  }
  return PaneAgentKind::unknown;
}

std::string stripLeadingStatusGlyph(std::string_view text) {
  std::size_t offset = 0;
  for (std::string_view character : utf8::characters(text)) {
    if (!isLeadingNoise(character)) break;
    offset += character.size();
  }
  const std::string_view rest = utf8::trimBlanks(text.substr(offset));
  if (rest.empty()) return std::string(utf8::trimBlanks(text));
  return std::string(rest);
}

std::string friendlyLabel(const PaneEntry& entry) {
  if (entry.paneLabel && entry.paneLabel->customName && !entry.paneLabel->customName->empty()) {
    return *entry.paneLabel->customName;
  }
  const std::optional<std::string>& task =
      entry.assignment ? std::optional<std::string>(entry.assignment->task) : entry.task;
  if (task && !task->empty() && !matchesPlumbing(*task)) return stripLeadingStatusGlyph(*task);
  if (!entry.topicPreview.empty() && !matchesPlumbing(entry.topicPreview)) {
    return stripLeadingStatusGlyph(entry.topicPreview);
  }
  const std::string title = stripLeadingStatusGlyph(entry.paneTitle);
  if (!title.empty() && !startsWith(title, ".") && !startsWith(title, "cd ") &&
      !matchesPlumbing(title)) {
    return title;
  }
  const auto kindLabel = displayLabel(classifyKind(entry));
  if (!kindLabel) return entry.label.empty() ? "Terminal" : entry.label;
  // A team's project may be a whole path; like the working directory, only its name is shown.
  const std::string directory = entry.crewProject ? projectName(*entry.crewProject) : entry.cwdBasename;
  if (directory.empty()) return std::string(*kindLabel);
  return std::string(*kindLabel) + std::string(kMiddleDotSeparator) + directory;
}

bool looksLikePath(std::string_view text) {
  if (startsWith(text, "/") || startsWith(text, "~")) return true;
  if (utf8::containsBlank(text)) return false;
  return contains(text, "/");
}

std::vector<std::string_view> pathComponents(std::string_view text) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t stop = text.find('/', start);
    if (stop == std::string_view::npos) stop = text.size();
    if (stop > start) pieces.push_back(text.substr(start, stop - start));
    start = stop + 1;
  }
  return pieces;
}

std::pair<std::string, std::optional<std::string>> splitPath(std::string_view text) {
  const std::vector<std::string_view> pieces = pathComponents(text);
  if (pieces.empty()) return {std::string(text), std::nullopt};
  std::string base(pieces.back());
  if (pieces.size() == 1) return {base, std::nullopt};
  const std::string_view parent = pieces[pieces.size() - 2];
  if (parent == "~" || utf8::characterCount(parent) < 2) return {base, std::nullopt};
  return {base, std::string(parent)};
}

std::string elide(std::string_view text, std::size_t max) {
  const std::string_view trimmed = utf8::trimWhitespace(text);
  const auto characters = utf8::characters(trimmed);
  if (characters.size() <= max) return std::string(trimmed);
  std::size_t prefixBytes = 0;
  std::size_t lastBlank = std::string_view::npos;
  for (std::size_t i = 0; i < max; ++i) {
    const auto scalars = utf8::decodeAll(characters[i]);
    if (scalars.size() == 1 && utf8::isBlank(scalars[0])) lastBlank = prefixBytes;
    prefixBytes += characters[i].size();
  }
  const std::string_view prefix = trimmed.substr(0, prefixBytes);
  if (lastBlank != std::string_view::npos) {
    const std::string_view cut = utf8::trimBlanks(prefix.substr(0, lastBlank));
    if (!cut.empty()) return std::string(cut) + std::string(kEllipsis);
  }
  return std::string(utf8::trimBlanks(prefix)) + std::string(kEllipsis);
}

std::pair<std::string, std::optional<std::string>> displayComponents(std::string_view text) {
  if (looksLikePath(text)) return splitPath(text);
  return {elide(text, labelBudget), std::nullopt};
}

std::optional<std::string> resolveRole(const PaneEntry& entry) {
  if (auto role = normalizeRole(entry.role)) return role;
  if (entry.paneLabel) return normalizeRole(entry.paneLabel->role);
  return std::nullopt;
}

std::optional<std::string> modelChipLabel(const PaneEntry& entry) {
  if (entry.modelLabel) {
    const std::string_view label = utf8::trimWhitespace(*entry.modelLabel);
    if (!label.empty()) {
      if (label == "Unknown (Cursor Auto)") return "Cursor Auto";
      if (!startsWith(utf8::asciiLower(label), "unknown")) return std::string(label);
    }
  }
  if (!entry.model) return std::nullopt;
  return modelIdLabel(*entry.model);
}

std::optional<std::string> modelIdLabel(std::string_view modelId) {
  const std::string_view trimmed = utf8::trimWhitespace(modelId);
  if (trimmed.empty()) return std::nullopt;
  const std::string s = utf8::asciiLower(trimmed);
  if (s == "unknown (cursor auto)") return "Cursor Auto";
  if (s == "unknown" || s == "unavailable" || s == "default" || s == "auto") return std::nullopt;

  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  const std::string_view view = s;
  while (start <= view.size()) {
    std::size_t stop = view.find_first_of("-._", start);
    if (stop == std::string_view::npos) stop = view.size();
    if (stop > start) pieces.push_back(view.substr(start, stop - start));
    start = stop + 1;
  }
  if (!pieces.empty() && pieces.front() == "claude") pieces.erase(pieces.begin());
  if (!pieces.empty() && utf8::characterCount(pieces.back()) > 5 &&
      utf8::parseInteger(pieces.back())) {
    pieces.pop_back();  // a date stamp
  }
  if (pieces.empty()) return std::nullopt;

  const std::string_view family = pieces.front();
  std::string label = family == "gpt" ? std::string("GPT") : capitalized(family);
  std::size_t i = 1;
  std::string versions;
  for (; i < pieces.size(); ++i) {
    const auto number = utf8::parseInteger(pieces[i]);
    if (!number) break;
    if (!versions.empty()) versions += ".";
    versions += std::to_string(*number);
  }
  if (!versions.empty()) label += (family == "gpt" ? "-" : " ") + versions;
  for (; i < pieces.size(); ++i) label += " " + capitalized(pieces[i]);
  return label;
}

}  // namespace vesket::viewer::PaneGrouping
