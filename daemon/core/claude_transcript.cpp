#include "daemon/core/claude_transcript.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <nlohmann/json.hpp>

namespace vesket::daemon::ClaudeTranscript {

namespace {

using nlohmann::json;

bool startsWith(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

bool isDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string capitalised(std::string word) {
  if (!word.empty() && word[0] >= 'a' && word[0] <= 'z') word[0] = static_cast<char>(word[0] - 'a' + 'A');
  return word;
}

std::optional<std::string> stringAt(const json& object, const char* key) {
  if (!object.is_object()) return std::nullopt;
  const auto it = object.find(key);
  if (it == object.end() || !it->is_string()) return std::nullopt;
  return it->get<std::string>();
}

double numberAt(const json& object, const char* key) {
  if (!object.is_object()) return 0;
  const auto it = object.find(key);
  return it != object.end() && it->is_number() ? it->get<double>() : 0;
}

// The text the user typed, or nothing for tool results, commands and injected notes.
std::optional<std::string> promptText(const json& record) {
  if (record.value("isMeta", false) || record.value("isSidechain", false)) return std::nullopt;
  const auto messageIt = record.find("message");
  if (messageIt == record.end() || !messageIt->is_object()) return std::nullopt;
  const auto contentIt = messageIt->find("content");
  if (contentIt == messageIt->end()) return std::nullopt;
  std::string text;
  if (contentIt->is_string()) {
    text = contentIt->get<std::string>();
  } else if (contentIt->is_array()) {
    for (const auto& part : *contentIt) {
      if (!part.is_object()) continue;
      const auto type = stringAt(part, "type");
      if (type == "tool_result") return std::nullopt;
      if (type == "text") {
        if (auto t = stringAt(part, "text")) {
          if (!text.empty()) text += " ";
          text += *t;
        }
      }
    }
  }
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return std::nullopt;
  const std::string_view trimmed = std::string_view(text).substr(first);
  // Slash commands, their output and notes the client inserts are not the user's topic.
  for (const char* prefix : {"<command-", "<local-command", "<system-reminder", "Caveat:", "[Request interrupted"}) {
    if (startsWith(trimmed, prefix)) return std::nullopt;
  }
  return std::string(trimmed);
}

}  // namespace

std::string oneLinePreview(std::string_view text, std::size_t max) {
  std::string line;
  bool blank = false;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
      blank = !line.empty();
      continue;
    }
    if (blank) line.push_back(' ');
    blank = false;
    line.push_back(c);
  }
  // Count characters, not bytes: UTF-8 continuation bytes do not start a character.
  std::size_t chars = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if ((static_cast<unsigned char>(line[i]) & 0xC0) == 0x80) continue;
    if (chars == max) {
      line.resize(i);
      while (!line.empty() && line.back() == ' ') line.pop_back();
      return line + "\xE2\x80\xA6";
    }
    ++chars;
  }
  return line;
}

std::string projectDirName(std::string_view cwd) {
  std::string out(cwd);
  for (auto& c : out) {
    const bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!alnum) c = '-';
  }
  return out;
}

std::optional<std::string> modelLabel(std::string_view modelId) {
  std::string id;
  for (char c : modelId) id.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
  if (const auto bracket = id.find('['); bracket != std::string::npos) id.resize(bracket);
  std::vector<std::string> pieces;
  std::string piece;
  for (char c : id) {
    if (c == '-' || c == '.' || c == '_') {
      if (!piece.empty()) pieces.push_back(std::move(piece));
      piece.clear();
    } else {
      piece.push_back(c);
    }
  }
  if (!piece.empty()) pieces.push_back(std::move(piece));
  if (!pieces.empty() && pieces.front() == "claude") pieces.erase(pieces.begin());
  if (!pieces.empty() && pieces.back().size() > 5 && isDigits(pieces.back())) pieces.pop_back();  // date
  if (pieces.empty() || pieces.front() == "unknown" || pieces.front() == "synthetic" ||
      pieces.front() == "<synthetic>") {
    return std::nullopt;
  }
  // Older ids put the version first: claude-3-5-sonnet.
  std::vector<std::string> version;
  std::size_t i = 0;
  while (i < pieces.size() && isDigits(pieces[i])) version.push_back(pieces[i++]);
  if (i == pieces.size()) return std::nullopt;
  std::string family = capitalised(pieces[i++]);
  if (version.empty()) {
    while (i < pieces.size() && isDigits(pieces[i])) version.push_back(pieces[i++]);
  }
  std::string label = family;
  if (!version.empty()) {
    label += ' ';
    for (std::size_t v = 0; v < version.size(); ++v) label += (v ? "." : "") + version[v];
  }
  for (; i < pieces.size(); ++i) label += ' ' + capitalised(pieces[i]);
  return label;
}

double contextWindow(std::string_view modelId) {
  return modelId.find("[1m]") != std::string_view::npos ? 1'000'000.0 : 200'000.0;
}

void FactsAccumulator::line(std::string_view line) {
  if (line.empty() || line.front() != '{') return;
  const json record = json::parse(line.begin(), line.end(), nullptr, /*allow_exceptions=*/false);
  if (!record.is_object()) return;  // not JSON, or a line still being written
  const auto type = stringAt(record, "type");
  if (auto s = stringAt(record, "sessionId")) m_facts.sessionId = s;
  if (auto c = stringAt(record, "cwd")) m_facts.cwd = c;
  if (type == "assistant") {
    const auto messageIt = record.find("message");
    if (messageIt == record.end() || !messageIt->is_object()) return;
    const auto model = stringAt(*messageIt, "model");
    if (!model || model->empty() || model->front() == '<') return;  // "<synthetic>" error turns
    m_facts.model = model;
    m_facts.modelLabel = modelLabel(*model);
    const auto usageIt = messageIt->find("usage");
    if (usageIt != messageIt->end() && usageIt->is_object()) {
      const double used = numberAt(*usageIt, "input_tokens") + numberAt(*usageIt, "cache_creation_input_tokens") +
                          numberAt(*usageIt, "cache_read_input_tokens") + numberAt(*usageIt, "output_tokens");
      if (used > 0) {
        double window = contextWindow(*model);
        if (used > window) window = 1'000'000.0;  // a long-context session
        m_facts.contextPct = std::min(100.0, std::round(used / window * 1000.0) / 10.0);
      }
    }
  } else if (type == "user") {
    if (auto prompt = promptText(record)) m_latestPrompt = oneLinePreview(*prompt);
  } else if (type == "summary") {
    if (auto summary = stringAt(record, "summary")) m_latestSummary = oneLinePreview(*summary);
  }
  // Other record types (system, file-history-snapshot, progress, ...) say nothing here.
}

void FactsAccumulator::append(std::string_view bytes) {
  while (!bytes.empty()) {
    const auto nl = bytes.find('\n');
    const std::string_view piece = bytes.substr(0, nl);
    if (!m_skipping) {
      if (m_partial.size() + piece.size() > kMaxLineBytes) {
        m_partial.clear();
        m_skipping = true;
      } else if (nl != std::string_view::npos && m_partial.empty()) {
        line(piece);
      } else {
        m_partial.append(piece);
        if (nl != std::string_view::npos) {
          line(m_partial);
          m_partial.clear();
        }
      }
    }
    if (nl == std::string_view::npos) return;
    m_skipping = false;
    bytes.remove_prefix(nl + 1);
  }
}

void FactsAccumulator::finish() {
  if (!m_skipping && !m_partial.empty()) line(m_partial);
  m_partial.clear();
}

TranscriptFacts FactsAccumulator::facts() const {
  TranscriptFacts facts = m_facts;
  facts.topicPreview = m_latestPrompt ? m_latestPrompt : m_latestSummary;
  return facts;
}

TranscriptFacts parse(std::string_view text, bool startsMidFile) {
  FactsAccumulator accumulator(startsMidFile);
  accumulator.append(text);
  accumulator.finish();
  return accumulator.facts();
}

}  // namespace vesket::daemon::ClaudeTranscript
