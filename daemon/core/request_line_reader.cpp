#include "daemon/core/request_line_reader.h"

#include <algorithm>

namespace vesket::daemon {

std::vector<std::string> RequestLineReader::push(std::string_view bytes) {
  if (m_overflowed) return {};
  std::vector<std::string> lines = m_accumulator.push(bytes);
  // A line is over the bound whether or not its line feed came in the same read.
  const bool longLine = std::any_of(lines.begin(), lines.end(),
                                    [this](const std::string& line) { return line.size() > m_maxPendingBytes; });
  if (longLine || m_accumulator.pending().size() > m_maxPendingBytes) {
    m_overflowed = true;
    m_accumulator = control_plane::LineAccumulator(control_plane::LineAccumulator::InvalidUtf8::keep);
    return {};
  }
  return lines;
}

}  // namespace vesket::daemon
