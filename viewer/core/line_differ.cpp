#include "viewer/core/line_differ.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace vesket::viewer {

namespace {

// Assigns `line` without its CRs to `out`, reusing `out`'s storage.
void assignWithoutCR(std::string& out, std::string_view line) {
  if (line.find('\r') == std::string_view::npos) {
    out.assign(line.data(), line.size());
    return;
  }
  out.clear();
  for (char c : line) {
    if (c != '\r') out.push_back(c);
  }
}

// The overlap by the failure function of the new head run over the old tail: linear in
// the number of lines however repetitive they are.
std::size_t linearOverlap(const std::vector<std::string>& previous,
                          const std::vector<std::string>& next, std::size_t limit) {
  const std::size_t tailStart = previous.size() - limit;
  // fail[k]: length of the longest proper prefix of next[0..k] that is also its suffix.
  std::vector<std::size_t> fail(limit, 0);
  for (std::size_t k = 1, matched = 0; k < limit; ++k) {
    while (matched > 0 && next[k] != next[matched]) matched = fail[matched - 1];
    if (next[k] == next[matched]) ++matched;
    fail[k] = matched;
  }
  std::size_t matched = 0;
  for (std::size_t k = tailStart; k < previous.size(); ++k) {
    while (matched > 0 && (matched == limit || previous[k] != next[matched])) {
      matched = fail[matched - 1];
    }
    if (previous[k] == next[matched]) ++matched;
  }
  return matched;
}

}  // namespace

LineDiffer::LineDiffer(std::size_t maxLines) : m_maxLines(maxLines) {
  if (maxLines < 1) throw std::invalid_argument("LineDiffer needs maxLines of at least 1");
}

void LineDiffer::splitLines(std::string_view capture, std::vector<std::string>& lines) {
  std::size_t count = 0;
  for (std::size_t start = 0;;) {
    const std::size_t end = capture.find('\n', start);
    const std::string_view line =
        capture.substr(start, end == std::string_view::npos ? capture.npos : end - start);
    if (count == lines.size()) lines.emplace_back();
    assignWithoutCR(lines[count++], line);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  lines.resize(count);
}

std::vector<std::string> LineDiffer::splitLines(std::string_view capture) {
  std::vector<std::string> lines;
  splitLines(capture, lines);
  return lines;
}

std::size_t LineDiffer::overlap(const std::vector<std::string>& previous,
                                const std::vector<std::string>& next) {
  const std::size_t limit = std::min(previous.size(), next.size());
  return overlap(previous, next, 4 * limit + 64);
}

std::size_t LineDiffer::overlap(const std::vector<std::string>& previous,
                                const std::vector<std::string>& next, std::size_t directBudget) {
  const std::size_t limit = std::min(previous.size(), next.size());
  if (limit == 0) return 0;
  // Direct: each k from the largest down, while the budget lasts.
  for (std::size_t k = limit; k >= 1; --k) {
    const std::size_t base = previous.size() - k;
    std::size_t equal = 0;
    while (equal < k && previous[base + equal] == next[equal]) ++equal;
    if (equal == k) return k;
    const std::size_t spent = equal + 1;
    if (spent > directBudget) return linearOverlap(previous, next, limit);
    directBudget -= spent;
  }
  return 0;
}

LineDiffer::Change LineDiffer::apply(std::string_view capture) {
  splitLines(capture, m_scratch);
  if (m_scratch == m_previousCapture) return Change::none();
  // The new capture becomes the previous one; the old one stays readable in m_scratch
  // until the next call overwrites it.
  std::swap(m_scratch, m_previousCapture);
  const std::vector<std::string>& previous = m_scratch;
  const std::vector<std::string>& next = m_previousCapture;

  auto replaceWithTail = [this, &next]() {
    const std::size_t keep = std::min(next.size(), m_maxLines);
    m_lines.assign(next.end() - static_cast<std::ptrdiff_t>(keep), next.end());
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

  std::vector<std::string> appended(next.begin() + static_cast<std::ptrdiff_t>(k), next.end());
  std::size_t trimmed = 0;
  if (m_lines.size() + appended.size() > m_maxLines) {
    trimmed = std::min(m_lines.size() + appended.size() - m_maxLines, m_lines.size());
    m_lines.erase(m_lines.begin(), m_lines.begin() + static_cast<std::ptrdiff_t>(trimmed));
  }
  m_lines.insert(m_lines.end(), appended.begin(), appended.end());
  if (m_lines.size() > m_maxLines) {  // more new lines than the buffer holds
    const std::size_t more = m_lines.size() - m_maxLines;
    m_lines.erase(m_lines.begin(), m_lines.begin() + static_cast<std::ptrdiff_t>(more));
    trimmed += more;
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
