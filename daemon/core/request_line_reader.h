#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "control_plane/core/line_accumulator.h"

namespace vesket::daemon {

// Splits what one client sends into request lines, with a bound: a peer that sends more
// than `maxPendingBytes` without a line feed is cut off instead of growing the daemon's
// memory without end. Blank lines are dropped as the line splitter does; lines that are not
// UTF-8 are kept, so that they are answered with an error like any other bad line.
class RequestLineReader {
 public:
  static constexpr std::size_t kDefaultMaxPendingBytes = 8 * 1024 * 1024;

  explicit RequestLineReader(std::size_t maxPendingBytes = kDefaultMaxPendingBytes)
      : m_maxPendingBytes(maxPendingBytes) {}

  // The complete lines in `bytes`. After an overflow it returns nothing more.
  std::vector<std::string> push(std::string_view bytes);
  // The unterminated part exceeded the bound; the connection must be closed.
  bool overflowed() const { return m_overflowed; }

 private:
  control_plane::LineAccumulator m_accumulator{control_plane::LineAccumulator::InvalidUtf8::keep};
  std::size_t m_maxPendingBytes;
  bool m_overflowed = false;
};

}  // namespace vesket::daemon
