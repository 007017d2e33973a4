#include "inbox/core/inbox_stream_parser.h"

namespace vesket::inbox {
namespace {

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

}  // namespace

bool InboxStreamParser::line(std::string_view text) {
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  if (text.starts_with("event:")) {
    m_event = std::string(trimmed(text.substr(6)));
    return false;
  }
  return text.starts_with("data:") && m_event == "inbox-message";
}

int InboxStreamParser::feed(std::string_view bytes) {
  int signals = 0;
  while (!bytes.empty()) {
    const auto end = bytes.find('\n');
    const std::string_view piece = bytes.substr(0, end);
    if (!m_overlong) m_pending.append(piece);
    if (m_pending.size() > kMaxLineBytes) {
      m_pending.clear();
      m_overlong = true;
    }
    if (end == std::string_view::npos) break;
    if (!m_overlong && line(m_pending)) ++signals;
    m_pending.clear();
    m_overlong = false;
    bytes.remove_prefix(end + 1);
  }
  return signals;
}

}  // namespace vesket::inbox
