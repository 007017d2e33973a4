#include "daemon/core/tmux_format.h"

#include <charconv>

#include "daemon/core/tmux_command.h"

namespace vesket::daemon {
namespace {

constexpr char kUnit = '\x1f';
constexpr char kRecordEnd = '\x1e';
// tmux's regular expression replaces each control byte of a text with U+FFFD.
constexpr std::string_view kSanitize = "s/[\001-\037\177]/\xEF\xBF\xBD/:";

bool isNumber(std::string_view text, std::int64_t* value = nullptr) {
  std::int64_t parsed = 0;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, parsed);
  if (result.ec != std::errc{} || result.ptr != end) return false;
  if (value) *value = parsed;
  return true;
}

bool valid(std::string_view value, TmuxFormat::Kind kind) {
  switch (kind) {
    case TmuxFormat::Kind::paneId: return TmuxCommand::isPaneId(value);
    case TmuxFormat::Kind::windowId: return TmuxCommand::isWindowId(value);
    case TmuxFormat::Kind::sessionId: return TmuxCommand::isSessionId(value);
    case TmuxFormat::Kind::integer: return value.empty() || isNumber(value);
    case TmuxFormat::Kind::flag: return value.empty() || value == "0" || value == "1";
    case TmuxFormat::Kind::text: return true;
  }
  return false;
}

}  // namespace

std::int64_t TmuxFormat::Record::integer(std::size_t field) const {
  std::int64_t value = 0;
  isNumber(m_values[field], &value);
  return value;
}

TmuxFormat::TmuxFormat(std::initializer_list<Field> fields) : m_fields(fields) {
  for (std::size_t i = 0; i < m_fields.size(); ++i) {
    if (i > 0) m_argument.push_back(kUnit);
    m_argument += "#{";
    if (m_fields[i].kind == Kind::text) m_argument += kSanitize;
    m_argument += m_fields[i].name;
    m_argument += "}";
  }
  m_argument.push_back(kRecordEnd);
}

std::string TmuxFormat::displayCommand(std::string_view target) const {
  return "display-message -p -t " + TmuxCommand::quote(target) + " " + TmuxCommand::quote(m_argument);
}

std::string TmuxFormat::listPanesCommand() const { return "list-panes -a -F " + TmuxCommand::quote(m_argument); }

std::optional<TmuxFormat::Record> TmuxFormat::parse(std::string_view line) const {
  if (line.empty() || line.back() != kRecordEnd) return std::nullopt;
  line.remove_suffix(1);
  Record record;
  record.m_values.reserve(m_fields.size());
  for (std::size_t start = 0;;) {
    const std::size_t unit = line.find(kUnit, start);
    if (record.m_values.size() == m_fields.size()) return std::nullopt;  // too many fields
    record.m_values.push_back(line.substr(start, unit == std::string_view::npos ? unit : unit - start));
    if (unit == std::string_view::npos) break;
    start = unit + 1;
  }
  if (record.m_values.size() != m_fields.size()) return std::nullopt;
  for (std::size_t i = 0; i < m_fields.size(); ++i) {
    if (!valid(record.m_values[i], m_fields[i].kind)) return std::nullopt;
  }
  return record;
}

std::optional<TmuxFormat::Record> TmuxFormat::parseFirst(const std::vector<std::string>& lines) const {
  if (lines.empty()) return std::nullopt;
  return parse(lines.front());
}

}  // namespace vesket::daemon
