#include "daemon/core/agent_command_table.h"

#include <nlohmann/json.hpp>
#include <cctype>
#include <stdexcept>

namespace vesket::daemon {

namespace {

bool plainKindName(const std::string& kind) {
  if (kind.empty() || kind.size() > 32) return false;
  for (const unsigned char c : kind) {
    if (!std::isalnum(c) && c != '-' && c != '_') return false;
  }
  return true;
}

}  // namespace

AgentCommandTable::AgentCommandTable()
    : m_commands{{"claude", "claude --model {model}"},
                 {"codex", "codex --model {model}"},
                 {"gemini", "gemini --model {model}"},
                 {"opencode", "opencode --model {model}"},
                 {"cursor", "cursor-agent --model {model}"},
                 {"shell", ""}} {}

void AgentCommandTable::applyOverrides(const nlohmann::json& file) {
  if (!file.is_object()) throw std::invalid_argument("the agent commands must be a JSON object of kinds");
  std::map<std::string, std::string> merged = m_commands;
  for (const auto& [kind, entry] : file.items()) {
    if (!plainKindName(kind)) throw std::invalid_argument("agent kind '" + kind + "' is not 1-32 letters, digits, '-' or '_'");
    const nlohmann::json* command = &entry;
    if (entry.is_object()) {
      const auto it = entry.find("command");
      if (it == entry.end()) throw std::invalid_argument("agent kind '" + kind + "' has no \"command\"");
      command = &*it;
    }
    if (!command->is_string()) throw std::invalid_argument("the command of agent kind '" + kind + "' must be a string");
    const std::string line = command->get<std::string>();
    for (const unsigned char c : line) {
      if (c < 0x20 || c == 0x7f) throw std::invalid_argument("the command of agent kind '" + kind + "' holds control characters");
    }
    merged[kind] = line;
  }
  m_commands = std::move(merged);
}

std::vector<std::string> AgentCommandTable::kinds() const {
  std::vector<std::string> out;
  for (const auto& [kind, line] : m_commands) out.push_back(kind);
  return out;
}

std::string AgentCommandTable::shellQuoted(const std::string& text) {
  std::string out = "'";
  for (const char c : text) {
    if (c == '\'') out += "'\\''";
    else out += c;
  }
  return out + "'";
}

std::string AgentCommandTable::commandLine(const std::string& kind, const std::string& model) const {
  const auto it = m_commands.find(kind);
  if (it == m_commands.end()) return {};
  std::string line = it->second;
  const std::string placeholder = "{model}";
  const auto at = line.find(placeholder);
  if (at == std::string::npos) return line;
  if (model.empty()) {
    // Without a model the option that introduces it goes too ("--model {model}").
    std::size_t start = at;
    while (start > 0 && line[start - 1] == ' ') --start;
    std::size_t option = start;
    while (option > 0 && line[option - 1] != ' ') --option;
    const bool introduced = option < start && line[option] == '-';
    const std::size_t from = introduced ? option : at;
    std::size_t to = at + placeholder.size();
    // The space before what goes stays; the one after it goes with it.
    while (to < line.size() && line[to] == ' ') ++to;
    line.erase(from, to - from);
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
  }
  line.replace(at, placeholder.size(), shellQuoted(model));
  return line;
}

std::optional<std::string> AgentCommandTable::program(const std::string& kind) const {
  const auto it = m_commands.find(kind);
  if (it == m_commands.end()) return std::nullopt;
  const std::string& line = it->second;
  const auto begin = line.find_first_not_of(' ');
  if (begin == std::string::npos) return std::nullopt;
  const auto end = line.find(' ', begin);
  return line.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

}  // namespace vesket::daemon
