#include "daemon/core/request_line_reader.h"

namespace vesket::daemon {

std::vector<std::string> RequestLineReader::push(std::string_view bytes) {
  if (m_overflowed) return {};
  std::vector<std::string> lines = m_accumulator.push(bytes);
  if (m_accumulator.pending().size() > m_maxPendingBytes) {
    m_overflowed = true;
    m_accumulator = control_plane::LineAccumulator();
  }
  return lines;
}

}  // namespace vesket::daemon
