#include "daemon/core/terminal_output_buffer.h"

#include <algorithm>

namespace vesket::daemon {

TerminalOutputBuffer::TerminalOutputBuffer(Limits limits) : m_limits(limits) {
  m_limits.maxChunkBytes = std::max<std::size_t>(m_limits.maxChunkBytes, 1);
}

bool TerminalOutputBuffer::push(std::string_view bytes) {
  if (m_needsResync) return false;
  if (bytes.empty()) return true;
  if (m_size + bytes.size() > m_limits.maxBytes) {
    overflow();
    return false;
  }
  // Small pieces join the last one, so a flood of tiny writes leaves as few chunks (the
  // front piece is not joined once it is partly taken).
  const bool joinable = m_pieces.size() > 1 || (m_pieces.size() == 1 && m_frontOffset == 0);
  if (joinable && m_pieces.back().size() + bytes.size() <= m_limits.maxChunkBytes) {
    m_pieces.back().append(bytes);
  } else {
    m_pieces.emplace_back(bytes);
  }
  m_size += bytes.size();
  return true;
}

void TerminalOutputBuffer::requestResync() {
  if (!m_needsResync) overflow();
}

void TerminalOutputBuffer::overflow() {
  m_pieces.clear();
  m_frontOffset = 0;
  m_size = 0;
  m_needsResync = true;
  ++m_resyncs;
}

void TerminalOutputBuffer::resynced() { m_needsResync = false; }

std::optional<std::string> TerminalOutputBuffer::take() {
  if (m_pieces.empty()) return std::nullopt;
  std::string& front = m_pieces.front();
  std::string chunk;
  if (m_frontOffset == 0 && front.size() <= m_limits.maxChunkBytes) {
    chunk = std::move(front);
    m_pieces.pop_front();
  } else {
    // A piece larger than a chunk leaves in parts; the offset saves moving the rest.
    chunk = front.substr(m_frontOffset, m_limits.maxChunkBytes);
    m_frontOffset += chunk.size();
    if (m_frontOffset == front.size()) {
      m_pieces.pop_front();
      m_frontOffset = 0;
    }
  }
  m_size -= chunk.size();
  return chunk;
}

}  // namespace vesket::daemon
