#include "daemon/core/env_file.h"

namespace vesket::daemon {
namespace {

bool isKeyStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool isKeyChar(char c) { return isKeyStart(c) || (c >= '0' && c <= '9'); }

// The key of a "KEY=value" line (optionally "export KEY=value", leading blanks allowed).
std::optional<std::string> lineKey(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  if (line.substr(i, 7) == "export ") i += 7;
  const std::size_t start = i;
  if (i >= line.size() || !isKeyStart(line[i])) return std::nullopt;
  while (i < line.size() && isKeyChar(line[i])) ++i;
  if (i >= line.size() || line[i] != '=') return std::nullopt;
  return std::string(line.substr(start, i - start));
}

}  // namespace

EnvFile EnvFile::parse(std::string_view text) {
  EnvFile file;
  file.m_trailingNewline = text.empty() || text.back() == '\n';
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    file.m_lines.push_back(Line{std::string(line), lineKey(line)});
    pos = end + 1;
  }
  return file;
}

EnvFile::Line* EnvFile::findLine(std::string_view key) {
  for (auto& line : m_lines) {
    if (line.key && *line.key == key) return &line;
  }
  return nullptr;
}

const EnvFile::Line* EnvFile::findLine(std::string_view key) const {
  return const_cast<EnvFile*>(this)->findLine(key);
}

std::optional<std::string> EnvFile::get(std::string_view key) const {
  const Line* line = findLine(key);
  if (line == nullptr) return std::nullopt;
  std::string value = line->text.substr(line->text.find('=') + 1);
  while (!value.empty() && (value.back() == '\r' || value.back() == ' ' || value.back() == '\t')) {
    value.pop_back();
  }
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

void EnvFile::set(std::string_view key, std::string_view value) {
  std::string text = std::string(key) + "=" + std::string(value);
  if (Line* line = findLine(key)) {
    line->text = std::move(text);
    return;
  }
  m_lines.push_back(Line{std::move(text), std::string(key)});
  m_trailingNewline = true;
}

bool EnvFile::setDefault(std::string_view key, std::string_view value) {
  if (findLine(key) != nullptr) return false;
  set(key, value);
  return true;
}

std::string EnvFile::serialize() const {
  std::string out;
  for (std::size_t i = 0; i < m_lines.size(); ++i) {
    out += m_lines[i].text;
    if (i + 1 < m_lines.size() || m_trailingNewline) out += '\n';
  }
  return out;
}

}  // namespace vesket::daemon
