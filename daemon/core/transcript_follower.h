#pragma once

// Following a transcript file as it grows, for the agent-history stream: given what the
// file looks like now (its identity and size, read with stat), says which bytes to read
// next and whether to start over. A long transcript is read from its last
// `maxInitialBytes` only (the history stream shows the newest part anyway); a file that
// shrank or was replaced (another conversation, a rewrite) is read afresh the same way.
//
// The caller reads [from, to) and feeds the bytes to ClaudeHistoryBuilder, calling
// `reset(from)` first when `restart` is set.

#include <cstdint>
#include <optional>

namespace vesket::daemon {

class TranscriptFollower {
 public:
  struct FileState {
    std::uint64_t identity = 0;  // which file: device and inode, or the path's hash
    std::int64_t size = 0;
  };
  struct Read {
    std::int64_t from = 0;
    std::int64_t to = 0;
    bool restart = false;
    friend bool operator==(const Read&, const Read&) = default;
  };

  explicit TranscriptFollower(std::int64_t maxInitialBytes = 4 * 1024 * 1024)
      : m_maxInitialBytes(maxInitialBytes < 0 ? 0 : maxInitialBytes) {}

  // What to read of the file as it is now; nothing when it did not change. A missing file
  // forgets the last one, so that its return is read afresh.
  std::optional<Read> update(std::optional<FileState> file);

  // Bytes of the current file read so far (its size when last updated).
  std::int64_t position() const { return m_position; }

 private:
  std::int64_t m_maxInitialBytes;
  std::optional<std::uint64_t> m_identity;
  std::int64_t m_position = 0;
};

}  // namespace vesket::daemon
