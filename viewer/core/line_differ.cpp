#include "viewer/core/line_differ.h"

#include <algorithm>
#include <stdexcept>
#include <unordered_map>
#include <utility>

namespace vesket::viewer {

LineDiffer::LineDiffer(std::size_t maxLines) : m_maxLines(maxLines) {
  if (maxLines < 1) throw std::invalid_argument("LineDiffer needs maxLines of at least 1");
}

std::vector<std::string> LineDiffer::splitLines(std::string_view capture) {
  std::vector<std::string> lines;
  std::string current;
  for (std::size_t k = 0; k < capture.size(); ++k) {
    const char c = capture[k];
    if (c == '\r') continue;
    if (c == '\n') {
      lines.push_back(std::move(current));
      current.clear();
    } else {
      current.push_back(c);
    }
  }
  lines.push_back(std::move(current));
  return lines;
}

std::size_t LineDiffer::overlap(const std::vector<std::string>& previous,
                                const std::vector<std::string>& next) {
  const std::size_t limit = std::min(previous.size(), next.size());
  if (limit == 0) return 0;
  // Only the last `limit` previous lines and the first `limit` new lines can take part.
  const std::size_t tailStart = previous.size() - limit;

  // Exact ids for the line texts (the map holds views into the two vectors).
  std::unordered_map<std::string_view, int> ids;
  ids.reserve(2 * limit);
  auto idOf = [&ids](std::string_view line) {
    return ids.try_emplace(line, static_cast<int>(ids.size())).first->second;
  };
  std::vector<int> pattern(limit);
  for (std::size_t k = 0; k < limit; ++k) pattern[k] = idOf(next[k]);
  std::vector<int> tail(limit);
  for (std::size_t k = 0; k < limit; ++k) tail[k] = idOf(previous[tailStart + k]);

  // Failure function of the pattern: fail[k] = length of the longest proper prefix of
  // pattern[0..k] that is also its suffix.
  std::vector<std::size_t> fail(limit, 0);
  for (std::size_t k = 1, matched = 0; k < limit; ++k) {
    while (matched > 0 && pattern[k] != pattern[matched]) matched = fail[matched - 1];
    if (pattern[k] == pattern[matched]) ++matched;
    fail[k] = matched;
  }
  // Run the pattern over the tail; the state at its end is the longest prefix of the new
  // lines that ends the previous ones.
  std::size_t matched = 0;
  for (std::size_t k = 0; k < limit; ++k) {
    while (matched > 0 && (matched == limit || tail[k] != pattern[matched])) {
      matched = fail[matched - 1];
    }
    if (tail[k] == pattern[matched]) ++matched;
  }
  return matched;
}

LineDiffer::Change LineDiffer::apply(std::string_view capture) {
  std::vector<std::string> next = splitLines(capture);
  if (next == m_previousCapture) return Change::none();
  std::vector<std::string> previous = std::exchange(m_previousCapture, next);

  auto replaceWithTail = [this, &next]() {
    const std::size_t keep = std::min(next.size(), m_maxLines);
    m_lines.assign(std::make_move_iterator(next.end() - static_cast<std::ptrdiff_t>(keep)),
                   std::make_move_iterator(next.end()));
  };

  if (previous.empty()) {
    const bool hadLines = !m_lines.empty();
    replaceWithTail();
    return hadLines ? Change::replace(m_lines) : Change::append(m_lines, 0);
  }

  const std::size_t k = overlap(previous, next);
  if (k == 0) {
    replaceWithTail();
    return Change::replace(m_lines);
  }
  if (k == next.size()) return Change::none();

  std::vector<std::string> appended(std::make_move_iterator(next.begin() + static_cast<std::ptrdiff_t>(k)),
                                    std::make_move_iterator(next.end()));
  m_lines.insert(m_lines.end(), appended.begin(), appended.end());
  std::size_t trimmed = 0;
  if (m_lines.size() > m_maxLines) {
    trimmed = m_lines.size() - m_maxLines;
    m_lines.erase(m_lines.begin(), m_lines.begin() + static_cast<std::ptrdiff_t>(trimmed));
  }
  return Change::append(std::move(appended), trimmed);
}

void LineDiffer::reset() {
  m_lines.clear();
  m_previousCapture.clear();
}

std::string LineDiffer::text() const {
  std::string out;
  for (std::size_t k = 0; k < m_lines.size(); ++k) {
    if (k > 0) out.push_back('\n');
    out.append(m_lines[k]);
  }
  return out;
}

}  // namespace vesket::viewer
