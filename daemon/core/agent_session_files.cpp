#include "daemon/core/agent_session_files.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include <nlohmann/json.hpp>

namespace vesket::daemon::AgentSessionFiles {

namespace {

using nlohmann::json;

const json* member(const json& object, const char* key) {
  if (!object.is_object()) return nullptr;
  const auto it = object.find(key);
  return it == object.end() ? nullptr : &*it;
}

std::optional<std::string> text(const json& object, const char* key) {
  const json* value = member(object, key);
  if (!value || !value->is_string() || value->get_ref<const std::string&>().empty()) return std::nullopt;
  return value->get<std::string>();
}

std::optional<double> number(const json& object, const char* key) {
  const json* value = member(object, key);
  if (!value || !value->is_number()) return std::nullopt;
  const double n = value->get<double>();
  return std::isfinite(n) && n >= 0 ? std::optional(n) : std::nullopt;
}

std::optional<double> percent(double used, double window) {
  if (window <= 0) return std::nullopt;
  return std::clamp(std::round(used / window * 1000.0) / 10.0, 0.0, 100.0);
}

// Text of a message "content": a string, or a list of parts with "text".
std::string contentText(const json& content) {
  if (content.is_string()) return content.get<std::string>();
  std::string out;
  if (!content.is_array()) return out;
  for (const auto& part : content) {
    const auto t = part.is_string() ? std::optional(part.get<std::string>()) : text(part, "text");
    if (!t) continue;
    if (!out.empty()) out += " ";
    out += *t;
  }
  return out;
}

// A prompt worth showing as the topic: what the user typed, not the context the agent
// injects into the conversation (instructions, environment, command output).
std::optional<std::string> topic(std::string_view prompt) {
  const auto start = prompt.find_first_not_of(" \t\r\n");
  if (start == std::string_view::npos) return std::nullopt;
  if (prompt[start] == '<') return std::nullopt;
  return ClaudeTranscript::oneLinePreview(prompt.substr(start));
}

json parseJson(std::string_view text) {
  return json::parse(text.begin(), text.end(), nullptr, /*allow_exceptions=*/false);
}

void codexRecord(const json& record, TranscriptFacts& facts) {
  const auto type = text(record, "type");
  const json* payload = member(record, "payload");
  if (!type || !payload || !payload->is_object()) return;
  if (*type == "session_meta") {
    if (auto id = text(*payload, "id")) facts.sessionId = id;
    if (auto cwd = text(*payload, "cwd")) facts.cwd = cwd;
  } else if (*type == "turn_context") {
    if (auto model = text(*payload, "model")) facts.model = model;
    if (auto cwd = text(*payload, "cwd")) facts.cwd = cwd;
  } else if (*type == "event_msg") {
    const auto event = text(*payload, "type");
    if (event == "token_count") {
      const json* info = member(*payload, "info");
      if (!info) return;
      const json* last = member(*info, "last_token_usage");
      const auto window = number(*info, "model_context_window");
      const auto used = last ? number(*last, "total_tokens") : std::nullopt;
      if (used && window) facts.contextPct = percent(*used, *window);
    } else if (event == "user_message") {
      if (auto message = text(*payload, "message")) {
        if (auto t = topic(*message)) facts.topicPreview = t;
      }
    }
  } else if (*type == "response_item") {
    if (text(*payload, "type") != "message" || text(*payload, "role") != "user") return;
    if (const json* content = member(*payload, "content")) {
      if (auto t = topic(contentText(*content))) facts.topicPreview = t;
    }
  }
}

}  // namespace

TranscriptFacts codexRollout(std::string_view text, bool startsMidFile) {
  TranscriptFacts facts;
  std::size_t pos = 0;
  if (startsMidFile) {
    pos = text.find('\n');
    pos = pos == std::string_view::npos ? text.size() : pos + 1;
  }
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    if (line.empty() || line.front() != '{') continue;
    const json record = parseJson(line);
    if (record.is_object()) codexRecord(record, facts);
  }
  return facts;
}

std::optional<std::string> codexRolloutCwd(std::string_view firstLine) {
  const json record = parseJson(firstLine.substr(0, firstLine.find('\n')));
  if (text(record, "type") != "session_meta") return std::nullopt;
  const json* payload = member(record, "payload");
  return payload ? text(*payload, "cwd") : std::nullopt;
}

TranscriptFacts geminiSession(std::string_view source) {
  TranscriptFacts facts;
  const json session = parseJson(source);
  if (auto id = text(session, "sessionId")) facts.sessionId = id;
  const json* messages = member(session, "messages");
  if (!messages || !messages->is_array()) return facts;
  for (const auto& message : *messages) {
    const auto type = text(message, "type");
    if (type == "user") {
      if (const json* content = member(message, "content")) {
        if (auto t = topic(contentText(*content))) facts.topicPreview = t;
      }
    } else if (type == "gemini") {
      if (auto model = text(message, "model")) facts.model = model;
      const json* tokens = member(message, "tokens");
      if (!tokens || !facts.model) continue;
      // The prompt of the turn (input, cached included) is the context the model saw.
      const auto input = number(*tokens, "input");
      const auto window = contextWindow(*facts.model);
      if (input && window) facts.contextPct = percent(*input, *window);
    }
  }
  return facts;
}

std::optional<std::string> opencodeSessionDirectory(std::string_view session) {
  return text(parseJson(session), "directory");
}

TranscriptFacts opencodeSession(std::string_view sessionText, const std::vector<std::string>& messages) {
  TranscriptFacts facts;
  const json session = parseJson(sessionText);
  if (auto id = text(session, "id")) facts.sessionId = id;
  if (auto dir = text(session, "directory")) facts.cwd = dir;
  if (auto title = text(session, "title")) facts.topicPreview = ClaudeTranscript::oneLinePreview(*title);
  for (const auto& source : messages) {
    const json message = parseJson(source);
    if (text(message, "role") != "assistant") continue;
    const auto model = text(message, "modelID");
    if (!model) continue;
    facts.model = model;
    const json* tokens = member(message, "tokens");
    if (!tokens) continue;
    double used = number(*tokens, "input").value_or(0);
    if (const json* cache = member(*tokens, "cache")) {
      used += number(*cache, "read").value_or(0) + number(*cache, "write").value_or(0);
    }
    // A message still being written has no tokens yet: the last counted one stays.
    const auto window = contextWindow(*model);
    if (used > 0 && window) facts.contextPct = percent(used, *window);
  }
  return facts;
}

TranscriptFacts cursorChatMeta(std::string_view meta) {
  TranscriptFacts facts;
  std::string decoded;
  const bool hex = !meta.empty() && meta.size() % 2 == 0 &&
                   std::all_of(meta.begin(), meta.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
  if (hex) {
    decoded.reserve(meta.size() / 2);
    for (std::size_t i = 0; i < meta.size(); i += 2) {
      decoded.push_back(static_cast<char>(std::stoi(std::string(meta.substr(i, 2)), nullptr, 16)));
    }
    meta = decoded;
  }
  const json chat = parseJson(meta);
  if (auto id = text(chat, "agentId")) facts.sessionId = id;
  if (auto name = text(chat, "name")) facts.topicPreview = ClaudeTranscript::oneLinePreview(*name);
  for (const char* key : {"lastUsedModel", "model", "modelName"}) {
    if (auto model = text(chat, key)) {
      facts.model = model;
      break;
    }
  }
  return facts;
}

std::optional<double> contextWindow(std::string_view modelId) {
  std::string id(modelId);
  std::transform(id.begin(), id.end(), id.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (id.find("claude") != std::string::npos || id.find("sonnet") != std::string::npos ||
      id.find("opus") != std::string::npos || id.find("haiku") != std::string::npos) {
    return ClaudeTranscript::contextWindow(modelId);
  }
  if (id.find("gemini") != std::string::npos) return 1'048'576.0;
  if (id.find("gpt-5") != std::string::npos) return 400'000.0;
  if (id.find("gpt-4.1") != std::string::npos) return 1'047'576.0;
  if (id.starts_with("o3") || id.starts_with("o4")) return 200'000.0;
  if (id.find("gpt-4o") != std::string::npos) return 128'000.0;
  return std::nullopt;
}

}  // namespace vesket::daemon::AgentSessionFiles
