#pragma once

// Batches the scripts the live terminal bridge runs in its page, so that a burst of output
// frames costs one evaluation instead of one per frame.
//
// Each script carries the attach generation it was made for (or none, for scripts that
// belong to no session); a flush runs only the scripts of the current generation, so output
// of a superseded session never reaches the page. While the window is in the background
// nothing is flushed; the queue is bounded and sheds its oldest scripts first.
//
// The coalescer decides when a flush must be scheduled; the caller schedules it on the
// main queue and calls takeFlush when it runs.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vesket::viewer {

class JSWriteCoalescer {
 public:
  static constexpr std::size_t kCapacity = 5000;

  explicit JSWriteCoalescer(std::size_t capacity = kCapacity) : m_capacity(capacity) {}

  // Queues a script. True when the caller must schedule a flush now (foreground and none
  // scheduled yet); the coalescer then counts one as scheduled.
  bool enqueue(std::string script, std::optional<std::int64_t> generation);

  // The window came to the front or went to the back. True when the caller must schedule
  // a flush now (back in front with scripts waiting and none scheduled).
  bool setForeground(bool foreground);

  // The scheduled flush runs: every waiting script whose generation is none or
  // `currentGeneration`, in order, joined by newlines, for one evaluation; the others are
  // dropped and the queue is left empty. Nothing when no script is kept.
  std::optional<std::string> takeFlush(std::int64_t currentGeneration);

  // Forgets every waiting script (tear-down); a scheduled flush then finds nothing.
  void clear();

  const std::vector<std::string>& pending() const { return m_pending; }
  const std::vector<std::optional<std::int64_t>>& pendingGenerations() const { return m_pendingGenerations; }
  bool isForeground() const { return m_isForeground; }
  bool isFlushScheduled() const { return m_flushScheduled; }
  std::size_t droppedCount() const { return m_droppedCount; }
  std::size_t capacity() const { return m_capacity; }

 private:
  bool claimFlush();

  std::vector<std::string> m_pending;
  std::vector<std::optional<std::int64_t>> m_pendingGenerations;
  bool m_isForeground = true;
  bool m_flushScheduled = false;
  std::size_t m_droppedCount = 0;
  std::size_t m_capacity;
};

}  // namespace vesket::viewer
