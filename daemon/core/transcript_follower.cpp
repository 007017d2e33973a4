#include "daemon/core/transcript_follower.h"

#include <algorithm>

namespace vesket::daemon {

std::optional<TranscriptFollower::Read> TranscriptFollower::update(std::optional<FileState> file) {
  if (!file) {
    m_identity.reset();
    m_position = 0;
    return std::nullopt;
  }
  const std::int64_t size = std::max<std::int64_t>(file->size, 0);
  if (m_identity == file->identity && size >= m_position) {
    if (size == m_position) return std::nullopt;
    Read read{m_position, size, false};
    m_position = size;
    return read;
  }
  // A new file, or the same one shrunk (rewritten): start again from its tail.
  m_identity = file->identity;
  const Read read{std::max<std::int64_t>(size - m_maxInitialBytes, 0), size, true};
  m_position = size;
  return read;
}

}  // namespace vesket::daemon
