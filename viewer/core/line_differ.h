// Turns successive captures of a pane into changes a text view can apply without redrawing
// everything: lines appended at the bottom (with the oldest dropped past a cap), a
// replacement of the whole text, or nothing.
//
// A capture is a window over the pane's scrolling output. When the window moved down, the
// head of the new capture repeats the tail of the previous one; the lines past that overlap
// are new. The overlap taken is the largest k such that the last k previous lines equal
// the first k new lines. Trying each k from the largest down is quick when the window moved
// by a few lines (the usual case) but quadratic when nothing overlaps on a screen of
// repeated lines; so that search gets a budget of line comparisons, and past it a
// Knuth-Morris-Pratt pass (at most about 4n comparisons) finds the same k.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vesket::viewer {

class LineDiffer {
 public:
  struct Change {
    enum class Kind { none, append, replace };
    Kind kind = Kind::none;
    std::vector<std::string> lines;  // append: the new lines; replace: the whole buffer
    std::size_t trimmedFromHead = 0;  // append: lines dropped from the head of the buffer

    static Change none() { return {}; }
    static Change append(std::vector<std::string> newLines, std::size_t trimmedFromHead) {
      return {Kind::append, std::move(newLines), trimmedFromHead};
    }
    static Change replace(std::vector<std::string> lines) {
      return {Kind::replace, std::move(lines), 0};
    }
    bool operator==(const Change&) const = default;
  };

  // `maxLines` must be at least 1; less throws std::invalid_argument.
  explicit LineDiffer(std::size_t maxLines);

  // Feeds one capture (any line ends) and says how the buffer changed.
  Change apply(std::string_view capture);
  // Forgets the buffer and the previous capture: the next capture starts afresh.
  void reset();

  std::size_t maxLines() const { return m_maxLines; }
  const std::vector<std::string>& lines() const { return m_lines; }
  const std::vector<std::string>& previousCapture() const { return m_previousCapture; }
  // The buffer joined with LF.
  std::string text() const;

  // The lines of a capture: CR LF and lone CRs removed, split on LF (a trailing LF gives a
  // final empty line).
  static std::vector<std::string> splitLines(std::string_view capture);
  // The same into `lines`, reusing its strings' storage.
  static void splitLines(std::string_view capture, std::vector<std::string>& lines);
  // Largest k <= min(old, new) with the last k of `previous` equal to the first k of
  // `next`; 0 when there is none. `directBudget` bounds the line comparisons of the direct
  // search before the linear search takes over (the result is the same either way).
  static std::size_t overlap(const std::vector<std::string>& previous,
                             const std::vector<std::string>& next);
  static std::size_t overlap(const std::vector<std::string>& previous,
                             const std::vector<std::string>& next, std::size_t directBudget);

 private:
  std::size_t m_maxLines;
  std::vector<std::string> m_lines;
  std::vector<std::string> m_previousCapture;
  std::vector<std::string> m_scratch;  // the capture before last, its storage reused
};

}  // namespace vesket::viewer
