#include "daemon/core/control_mode_parser.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace vesket::daemon {

namespace {

bool startsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

// Splits off the first space-separated token; `rest` is what follows the single space.
std::string_view nextToken(std::string_view& rest) {
  const auto space = rest.find(' ');
  std::string_view token = rest.substr(0, space);
  rest = space == std::string_view::npos ? std::string_view{} : rest.substr(space + 1);
  return token;
}

template <typename T>
bool parseNumber(std::string_view text, T& value) {
  if (text.empty()) return false;
  const auto* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  return result.ec == std::errc{} && result.ptr == end;
}

bool isOctal(char c) { return c >= '0' && c <= '7'; }

ControlEvent other(std::string_view line) {
  ControlEvent event;
  event.kind = ControlEventKind::Other;
  event.text = std::string(line);
  return event;
}

}  // namespace

bool mayChangePanes(ControlEventKind kind) {
  switch (kind) {
    case ControlEventKind::LayoutChange:
    case ControlEventKind::WindowAdd:
    case ControlEventKind::WindowClose:
    case ControlEventKind::WindowRenamed:
    case ControlEventKind::WindowPaneChanged:
    case ControlEventKind::UnlinkedWindowAdd:
    case ControlEventKind::UnlinkedWindowClose:
    case ControlEventKind::UnlinkedWindowRenamed:
    case ControlEventKind::SessionsChanged:
    case ControlEventKind::SessionChanged:
    case ControlEventKind::SessionRenamed:
    case ControlEventKind::ClientSessionChanged:
      return true;
    default:
      return false;
  }
}

void unescapeOutputInto(std::string_view value, std::string& out) {
  const char* p = value.data();
  const char* const end = p + value.size();
  out.reserve(out.size() + value.size());
  while (p < end) {
    const void* hit = std::memchr(p, '\\', static_cast<std::size_t>(end - p));
    if (hit == nullptr) {
      out.append(p, static_cast<std::size_t>(end - p));
      break;
    }
    const char* slash = static_cast<const char*>(hit);
    out.append(p, static_cast<std::size_t>(slash - p));
    if (end - slash >= 4 && isOctal(slash[1]) && isOctal(slash[2]) && isOctal(slash[3])) {
      const int byte = ((slash[1] - '0') << 6) | ((slash[2] - '0') << 3) | (slash[3] - '0');
      out.push_back(static_cast<char>(byte & 0xff));
      p = slash + 4;
    } else {
      out.push_back('\\');
      p = slash + 1;
    }
  }
}

std::string unescapeOutput(std::string_view value) {
  std::string out;
  unescapeOutputInto(value, out);
  return out;
}

bool parseGuard(std::string_view numbers, CommandGuard& guard) {
  std::string_view rest = numbers;
  CommandGuard parsed;
  if (!parseNumber(nextToken(rest), parsed.time)) return false;
  if (!parseNumber(nextToken(rest), parsed.number)) return false;
  if (!parseNumber(nextToken(rest), parsed.flags)) return false;
  if (!rest.empty()) return false;
  guard = parsed;
  return true;
}

std::vector<ControlEvent> ControlModeParser::push(std::string_view bytes) {
  std::vector<ControlEvent> events;
  m_buffer.append(bytes.data(), bytes.size());
  std::size_t from = m_consumed;
  // A long unfinished line is searched for its line feed only in the new bytes.
  std::size_t search = std::max(m_consumed, m_scanned);
  while (search < m_buffer.size()) {
    const void* hit = std::memchr(m_buffer.data() + search, '\n', m_buffer.size() - search);
    if (hit == nullptr) break;
    const auto end = static_cast<std::size_t>(static_cast<const char*>(hit) - m_buffer.data());
    handleLine(std::string_view(m_buffer.data() + from, end - from), events);
    from = end + 1;
    search = from;
  }
  // Compact lazily: the unfinished tail moves to the front only when it is the bulk.
  m_consumed = from;
  m_scanned = m_buffer.size();
  if (m_consumed == m_buffer.size()) {
    m_buffer.clear();
    m_consumed = 0;
    m_scanned = 0;
  } else if (m_consumed > 4096 && m_consumed * 2 > m_buffer.size()) {
    m_buffer.erase(0, m_consumed);
    m_scanned -= m_consumed;
    m_consumed = 0;
  }
  return events;
}

void ControlModeParser::handleLine(std::string_view line, std::vector<ControlEvent>& out) {
  if (m_inBlock) {
    // Only the guard line carrying the block's own numbers closes it; command output may
    // itself hold lines that begin with "%end".
    const bool isEnd = startsWith(line, "%end ");
    const bool isError = !isEnd && startsWith(line, "%error ");
    if (isEnd || isError) {
      CommandGuard guard;
      if (parseGuard(line.substr(isEnd ? 5 : 7), guard) && guard == m_block.guard) {
        m_block.kind = isEnd ? ControlEventKind::CommandDone : ControlEventKind::CommandFailed;
        out.push_back(std::move(m_block));
        m_block = ControlEvent{};
        m_inBlock = false;
        return;
      }
    }
    m_block.lines.emplace_back(line);
    return;
  }
  if (startsWith(line, "%begin ")) {
    CommandGuard guard;
    if (parseGuard(line.substr(7), guard)) {
      m_inBlock = true;
      m_block = ControlEvent{};
      m_block.guard = guard;
      return;
    }
  }
  out.push_back(parseNotification(line));
}

ControlEvent ControlModeParser::parseNotification(std::string_view line) {
  if (line.empty() || line.front() != '%') return other(line);
  std::string_view rest = line;
  const std::string_view name = nextToken(rest);
  ControlEvent event;

  // The two output forms come first: they are by far the most frequent lines.
  if (name == "%output") {
    const std::string_view pane = nextToken(rest);
    if (pane.size() < 2 || pane.front() != '%') return other(line);
    event.kind = ControlEventKind::Output;
    event.paneId = std::string(pane);
    unescapeOutputInto(rest, event.data);
    return event;
  }
  if (name == "%extended-output") {
    const std::string_view pane = nextToken(rest);
    std::uint64_t age = 0;
    if (pane.size() < 2 || pane.front() != '%' || !parseNumber(nextToken(rest), age)) {
      return other(line);
    }
    // Arguments reserved for later tmux versions run up to a lone ":".
    for (;;) {
      if (rest.empty()) return other(line);
      if (rest == ":") break;
      if (nextToken(rest) == ":") break;
    }
    event.kind = ControlEventKind::Output;
    event.paneId = std::string(pane);
    event.ageMs = age;
    unescapeOutputInto(rest == ":" ? std::string_view{} : rest, event.data);
    return event;
  }

  struct Simple {
    std::string_view name;
    ControlEventKind kind;
  };
  // Notifications naming one object, perhaps followed by a name.
  static constexpr Simple kPaneOnly[] = {{"%pause", ControlEventKind::Pause},
                                         {"%continue", ControlEventKind::Continue},
                                         {"%pane-mode-changed", ControlEventKind::PaneModeChanged}};
  for (const auto& s : kPaneOnly) {
    if (name != s.name) continue;
    event.kind = s.kind;
    event.paneId = std::string(nextToken(rest));
    return event.paneId.empty() ? other(line) : event;
  }
  static constexpr Simple kWindow[] = {
      {"%window-add", ControlEventKind::WindowAdd},
      {"%window-close", ControlEventKind::WindowClose},
      {"%window-renamed", ControlEventKind::WindowRenamed},
      {"%unlinked-window-add", ControlEventKind::UnlinkedWindowAdd},
      {"%unlinked-window-close", ControlEventKind::UnlinkedWindowClose},
      {"%unlinked-window-renamed", ControlEventKind::UnlinkedWindowRenamed}};
  for (const auto& s : kWindow) {
    if (name != s.name) continue;
    event.kind = s.kind;
    event.windowId = std::string(nextToken(rest));
    event.text = std::string(rest);
    return event.windowId.empty() ? other(line) : event;
  }

  if (name == "%layout-change") {
    event.kind = ControlEventKind::LayoutChange;
    event.windowId = std::string(nextToken(rest));
    event.text = std::string(nextToken(rest));  // the window's layout
    return event.windowId.empty() ? other(line) : event;
  }
  if (name == "%window-pane-changed") {
    event.kind = ControlEventKind::WindowPaneChanged;
    event.windowId = std::string(nextToken(rest));
    event.paneId = std::string(nextToken(rest));
    return event.windowId.empty() ? other(line) : event;
  }
  if (name == "%sessions-changed") {
    event.kind = ControlEventKind::SessionsChanged;
    return event;
  }
  if (name == "%session-changed") {
    event.kind = ControlEventKind::SessionChanged;
    event.sessionId = std::string(nextToken(rest));
    event.text = std::string(rest);
    return event.sessionId.empty() ? other(line) : event;
  }
  if (name == "%session-renamed") {
    // tmux 3.3a writes "$id name"; older versions wrote the name alone.
    event.kind = ControlEventKind::SessionRenamed;
    std::string_view probe = rest;
    const std::string_view first = nextToken(probe);
    if (first.size() > 1 && first.front() == '$' && !probe.empty()) {
      event.sessionId = std::string(first);
      event.text = std::string(probe);
    } else {
      event.text = std::string(rest);
    }
    return event;
  }
  if (name == "%session-window-changed") {
    event.kind = ControlEventKind::SessionWindowChanged;
    event.sessionId = std::string(nextToken(rest));
    event.windowId = std::string(nextToken(rest));
    return event.sessionId.empty() ? other(line) : event;
  }
  if (name == "%client-session-changed") {
    event.kind = ControlEventKind::ClientSessionChanged;
    const std::string_view client = nextToken(rest);
    event.sessionId = std::string(nextToken(rest));
    event.text = std::string(rest);
    if (client.empty() || event.sessionId.empty()) return other(line);
    return event;
  }
  if (name == "%client-detached") {
    event.kind = ControlEventKind::ClientDetached;
    event.text = std::string(rest);
    return event;
  }
  if (name == "%exit") {
    event.kind = ControlEventKind::Exit;
    event.text = std::string(rest);
    return event;
  }
  return other(line);
}

}  // namespace vesket::daemon
