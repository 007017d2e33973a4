#pragma once

// Synthetic scroll-back for the live terminal: an agent's conversation turns rendered as
// plain lines wrapped at the terminal's current width, to stand in for older tmux history
// that was wrapped at some earlier, narrower width. Code fences, tables and box drawing
// are kept as they are; prose is re-filled word by word.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "inbox/core/conversation_turn.h"

namespace vesket::viewer {

struct TerminalHistoryWrapper {
  // Lines kept out of the synthetic history: the newest turns, which the pane's own
  // scroll-back still shows.
  static constexpr int kLineBudget = 250;

  // A header line "── role ──" per turn, its blocks, then one empty line; joined by CR LF.
  static std::string render(const std::vector<inbox::ConversationTurn>& turns, int width);
  // The text's lines, prose re-filled to `width`; fences, tables and drawings kept.
  static std::vector<std::string> wrap(std::string_view text, int width);
  // One prose line filled greedily into lines of at most `width` characters (a longer
  // word stands alone); a line that already fits is returned unchanged.
  static std::vector<std::string> wrapProseLine(std::string_view line, int width);
  // The turns older than those that make up the newest `lineBudget` rendered lines (the
  // turn that crosses the budget is left out too). A budget below 1 keeps every turn.
  static std::vector<inbox::ConversationTurn> turnsExcludingTrailingBudget(
      const std::vector<inbox::ConversationTurn>& turns, int width, int lineBudget);

  // Lines of a rendering, split at CR LF; 0 for an empty rendering.
  static std::size_t lineCount(std::string_view rendered);
  // Contains a box-drawing character.
  static bool isAsciiArt(std::string_view line);

  // What the bridge delivers for the page's first request of older history.
  struct OlderHistory {
    std::string chunk;      // UTF-8, CR LF separated; empty when there is nothing to show
    std::size_t lines = 0;  // for the end of older history
  };
  static OlderHistory syntheticOlderHistory(const std::vector<inbox::ConversationTurn>& turns,
                                            int columns);
};

}  // namespace vesket::viewer
