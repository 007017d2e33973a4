#include "daemon/core/claude_history_renderer.h"

#include <algorithm>
#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "daemon/core/claude_transcript.h"
#include "daemon/core/text_wrap.h"

namespace vesket::daemon::ClaudeHistoryRenderer {

namespace {

using nlohmann::json;

constexpr std::size_t kMaxKeptOutputBytes = 64 * 1024;

const json* member(const json& object, const char* key) {
  if (!object.is_object()) return nullptr;
  const auto it = object.find(key);
  return it == object.end() ? nullptr : &*it;
}

std::string stringAt(const json& object, const char* key) {
  const json* value = member(object, key);
  return value && value->is_string() ? value->get<std::string>() : std::string();
}

bool flagAt(const json& object, const char* key) {
  const json* value = member(object, key);
  return value && value->is_boolean() && value->get<bool>();
}

bool startsWith(std::string_view s, std::string_view prefix) { return s.starts_with(prefix); }

std::string_view trim(std::string_view s) {
  const auto first = s.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = s.find_last_not_of(" \t\r\n");
  return s.substr(first, last - first + 1);
}

// The text between <tag> and </tag>, or nothing when the tag is absent.
std::optional<std::string_view> tagged(std::string_view text, std::string_view tag) {
  const std::string open = fmt::format("<{}>", tag);
  const std::string close = fmt::format("</{}>", tag);
  const auto start = text.find(open);
  if (start == std::string_view::npos) return std::nullopt;
  const auto from = start + open.size();
  const auto end = text.find(close, from);
  return text.substr(from, end == std::string_view::npos ? std::string_view::npos : end - from);
}

// Text of a tool result's content: a string, or text blocks joined by LF ("[image]" for
// pictures).
std::string toolResultText(const json& content) {
  if (content.is_string()) return content.get<std::string>();
  if (!content.is_array()) return {};
  std::string text;
  for (const json& block : content) {
    const std::string type = stringAt(block, "type");
    std::string part;
    if (type == "text") part = stringAt(block, "text");
    else if (type == "image") part = "[image]";
    else continue;
    if (!text.empty()) text += '\n';
    text += part;
  }
  return text;
}

// Text without its leading blank lines (the first line keeps its indentation) and without
// trailing white space.
std::string_view withoutBlankEdges(std::string_view text) {
  std::size_t start = 0;
  for (auto nl = text.find('\n'); nl != std::string_view::npos; nl = text.find('\n', start)) {
    if (!trim(text.substr(start, nl - start)).empty()) break;
    start = nl + 1;
  }
  const auto end = text.find_last_not_of(" \n");
  if (end == std::string_view::npos || end < start) return {};
  return text.substr(start, end + 1 - start);
}

class ItemCollector {
 public:
  ItemCollector(const json& record, std::int64_t offset, std::string_view fallbackSessionId)
      : m_offset(offset) {
    m_uuid = stringAt(record, "uuid");
    if (m_uuid.empty()) m_uuid = fmt::format("offset-{}", offset);
    m_sessionId = stringAt(record, "sessionId");
    if (m_sessionId.empty()) m_sessionId = std::string(fallbackSessionId);
  }

  void add(std::string kind, std::string_view text, bool isError = false,
           std::optional<std::string> boundary = std::nullopt) {
    int moreLines = 0;
    if (kind == "tool_result" || kind == "command_output") {
      // Keep the head of a long output; count the rest.
      std::size_t cut = 0;
      for (int line = 0; line < kMaxKeptOutputLines && cut < text.size(); ++line) {
        const auto nl = text.find('\n', cut);
        cut = nl == std::string_view::npos ? text.size() : nl + 1;
      }
      cut = std::min(cut, kMaxKeptOutputBytes);
      const std::string_view rest = trim(text.substr(cut));
      if (!rest.empty()) moreLines = static_cast<int>(std::count(rest.begin(), rest.end(), '\n')) + 1;
      text = text.substr(0, cut);
    }
    std::string clean = TextWrap::sanitize(text);
    if (trim(clean).empty()) return;
    ClaudeHistoryItem item;
    item.eventId = m_items.empty() ? m_uuid : fmt::format("{}#{}", m_uuid, m_items.size());
    item.sessionId = m_sessionId;
    item.offset = m_offset;
    item.kind = std::move(kind);
    item.text = std::string(withoutBlankEdges(clean));
    item.boundary = std::move(boundary);
    item.isError = isError;
    item.moreLines = moreLines;
    m_items.push_back(std::move(item));
  }

  std::vector<ClaudeHistoryItem> take() { return std::move(m_items); }

 private:
  std::int64_t m_offset;
  std::string m_uuid;
  std::string m_sessionId;
  std::vector<ClaudeHistoryItem> m_items;
};

// A user text block: what the user typed, a slash command and its output, an interruption
// note, or something the client inserted that is not part of the conversation.
void addUserText(ItemCollector& items, std::string_view text) {
  const std::string_view t = trim(text);
  if (auto name = tagged(t, "command-name")) {
    std::string command(trim(*name));
    if (auto args = tagged(t, "command-args"); args && !trim(*args).empty()) {
      command += ' ';
      command += trim(*args);
    }
    items.add("command", command);
    return;
  }
  if (auto out = tagged(t, "local-command-stdout")) {
    items.add("command_output", *out);
    return;
  }
  if (startsWith(t, "[Request interrupted")) {
    items.add("interrupted", "Interrupted by user");
    return;
  }
  for (std::string_view inserted : {"<system-reminder", "<local-command", "<command-", "Caveat:"}) {
    if (startsWith(t, inserted)) return;
  }
  items.add("prompt", t);
}

void addUser(ItemCollector& items, const json& record) {
  if (flagAt(record, "isCompactSummary")) return;  // the long summary after a compact marker
  const json* message = member(record, "message");
  const json* content = message ? member(*message, "content") : nullptr;
  if (!content) return;
  if (content->is_string()) {
    addUserText(items, content->get_ref<const std::string&>());
    return;
  }
  if (!content->is_array()) return;
  for (const json& block : *content) {
    const std::string type = stringAt(block, "type");
    if (type == "text") {
      addUserText(items, stringAt(block, "text"));
    } else if (type == "image") {
      items.add("prompt", "[image]");
    } else if (type == "tool_result") {
      const json* result = member(block, "content");
      const bool isError = flagAt(block, "is_error");
      std::string text = result ? toolResultText(*result) : std::string();
      if (trim(text).empty()) text = isError ? "Error" : "(no output)";
      items.add("tool_result", text, isError);
    }
  }
}

void addAssistant(ItemCollector& items, const json& record) {
  const json* message = member(record, "message");
  const json* content = message ? member(*message, "content") : nullptr;
  if (!content) return;
  if (content->is_string()) {
    items.add("assistant", content->get_ref<const std::string&>());
    return;
  }
  if (!content->is_array()) return;
  for (const json& block : *content) {
    const std::string type = stringAt(block, "type");
    if (type == "text") {
      items.add("assistant", stringAt(block, "text"));
    } else if (type == "thinking") {
      items.add("thinking", stringAt(block, "thinking"));
    } else if (type == "tool_use") {
      const json* input = member(block, "input");
      items.add("tool_use", toolCallSummary(stringAt(block, "name"), input ? *input : json()));
    }
    // redacted_thinking and newer block types show nothing.
  }
}

// Renders `text` with a marker on the first line and the rest indented under it.
void appendWrapped(std::vector<std::string>& lines, std::string_view text, int width,
                   std::string_view first, std::string_view rest) {
  for (auto& line : TextWrap::wrap(text, width, first, rest)) lines.push_back(std::move(line));
}

}  // namespace

std::string toolCallSummary(std::string_view name, const json& input) {
  static constexpr std::pair<std::string_view, const char*> kMainArgument[] = {
      {"Bash", "command"},         {"Read", "file_path"},     {"Write", "file_path"},
      {"Edit", "file_path"},       {"MultiEdit", "file_path"}, {"NotebookEdit", "notebook_path"},
      {"Grep", "pattern"},         {"Glob", "pattern"},       {"WebFetch", "url"},
      {"WebSearch", "query"},      {"Task", "description"},   {"BashOutput", "bash_id"},
      {"KillShell", "shell_id"},   {"SlashCommand", "command"}, {"Skill", "skill"},
  };
  std::string argument;
  bool found = false;
  for (const auto& [tool, key] : kMainArgument) {
    if (tool != name) continue;
    const json* value = member(input, key);
    if (value && value->is_string()) {
      argument = value->get<std::string>();
      found = true;
    }
    break;
  }
  if (!found && name == "TodoWrite") {
    const json* todos = member(input, "todos");
    const std::size_t count = todos && todos->is_array() ? todos->size() : 0;
    argument = fmt::format("{} {}", count, count == 1 ? "todo" : "todos");
    found = true;
  }
  if (!found && !input.is_null() && !(input.is_object() && input.empty())) {
    argument = input.dump(-1, ' ', false, json::error_handler_t::replace);
  }
  const std::string toolName = name.empty() ? std::string("Tool") : std::string(name);
  if (argument.empty()) return toolName;
  return fmt::format("{}({})", toolName,
                     ClaudeTranscript::oneLinePreview(argument, kMaxToolSummaryChars));
}

std::vector<ClaudeHistoryItem> itemsOf(const json& record, std::int64_t offset,
                                       std::string_view fallbackSessionId) {
  ItemCollector items(record, offset, fallbackSessionId);
  if (!record.is_object() || flagAt(record, "isSidechain") || flagAt(record, "isMeta")) {
    return {};
  }
  const std::string type = stringAt(record, "type");
  if (type == "user") {
    addUser(items, record);
  } else if (type == "assistant") {
    addAssistant(items, record);
  } else if (type == "summary") {
    items.add("summary", stringAt(record, "summary"));
  } else if (type == "system" && stringAt(record, "subtype") == "compact_boundary") {
    items.add("compact", "Conversation compacted", false, "compact");
  }
  // Everything else (other system notes, file-history snapshots, progress, queue
  // operations and types yet to come) shows nothing.
  return items.take();
}

std::vector<std::string> render(const ClaudeHistoryItem& item, int width) {
  std::vector<std::string> lines;
  const std::string_view kind = item.kind;
  if (kind == "tool_result" || kind == "command_output") {
    std::string text = item.isError ? "Error: " + item.text : item.text;
    while (!text.empty() && text.back() == '\n') text.pop_back();
    // Whole output lines while they fit in kMaxToolResultLines display lines; the lines
    // not shown are counted.
    int logicalLines = 0;
    int shownLines = 0;
    bool full = false;  // no further line is shown once one did not fit
    std::size_t start = 0;
    while (start <= text.size()) {
      const std::size_t nl = std::min(text.find('\n', start), text.size());
      ++logicalLines;
      if (!full) {
        auto wrapped = TextWrap::wrap(std::string_view(text).substr(start, nl - start), width,
                                      lines.empty() ? "  \u23BF  " : "     ", "     ");
        const std::size_t room = static_cast<std::size_t>(kMaxToolResultLines) - lines.size();
        if (wrapped.size() <= room || lines.empty()) {
          if (wrapped.size() > room) wrapped.resize(room);
          for (auto& l : wrapped) lines.push_back(std::move(l));
          ++shownLines;
        }
        full = wrapped.size() > room || lines.size() >= static_cast<std::size_t>(kMaxToolResultLines);
      }
      start = nl + 1;
    }
    const int hidden = logicalLines - shownLines + item.moreLines;
    if (hidden > 0) appendWrapped(lines, fmt::format("\u2026 +{} lines", hidden), width, "     ", "     ");
    return lines;
  }
  if (kind == "interrupted") return TextWrap::wrap(item.text, width, "  \u23BF  ", "     ");

  lines.emplace_back();  // a blank line opens every other block
  if (kind == "prompt" || kind == "command") {
    appendWrapped(lines, item.text, width, "> ", "  ");
  } else if (kind == "thinking") {
    appendWrapped(lines, "Thinking\u2026", width, "\u273B ", "  ");
    appendWrapped(lines, item.text, width, "  ", "  ");
  } else if (kind == "summary" || kind == "compact") {
    appendWrapped(lines, item.text, width, "\u203B ", "  ");
  } else {  // assistant text, tool calls
    appendWrapped(lines, item.text, width, "\u25CF ", "  ");
  }
  return lines;
}

}  // namespace vesket::daemon::ClaudeHistoryRenderer
