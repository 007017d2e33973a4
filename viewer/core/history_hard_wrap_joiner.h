#pragma once

// Rejoins lines of scroll-back history that an agent hard-wrapped at an older, narrower
// window width, so that the live terminal can wrap them again at its own width.
//
// Only lines inside an agent's own output blocks are touched: a block opens with "⏺ "
// (assistant) or "❯ " (typed input) at the start of a line and continues over lines
// indented by exactly two columns. Code fences, tables, box drawing, tool-result lines
// ("⎿"), list items and anything ending a sentence stay as they are. A pair of lines is
// joined only when the first word of the second line would not have fitted on the first,
// which is what a hard wrap looks like. Claude Code also pads wrapped lines with blanks to
// the window width; such "padded" pairs (two lines of the same width, at least 40 columns)
// are recognised by that width instead of by the paragraph's widest line.
//
// Escape sequences inside a line (colours, hyperlinks) are kept: they take no columns and
// survive the stripping of padding and indentation.

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vesket::viewer {

class HistoryHardWrapJoiner {
 public:
  enum class Opener { none, assistant, input };

  // One line of history as the rules read it.
  struct Line {
    std::string raw;
    std::string visible;  // raw without escape sequences
    std::string trimmed;  // visible without trailing blanks
    bool isBlank = true;  // trimmed is empty
    int gutter = 0;       // leading spaces of visible
    Opener opener = Opener::none;
    std::string text;  // trimmed without its opener, or without the leading spaces
    int rawWidth = 0;   // display width of visible
    int textWidth = 0;  // display width of text

    static Line read(std::string_view raw);
  };

  // The widest paragraph line (plus its two-column indentation) for each line, cached per
  // paragraph start. A paragraph is an opener line or a continuation line (no opener,
  // exactly two columns of indentation) followed by continuation lines.
  class ParagraphWidths {
   public:
    explicit ParagraphWidths(const std::vector<Line>& lines) : m_lines(lines) {}
    int paragraphWidth(std::size_t containing);

   private:
    const std::vector<Line>& m_lines;
    std::map<std::size_t, int> m_widthByStart;
  };

  // The whole text with hard-wrapped lines rejoined. Lines are separated by "\r\n" when the
  // text holds one, else by "\n"; the result uses the same separator and ends with one
  // exactly when the text did.
  static std::string joinText(std::string_view text);

  // For each index i in the result, lines i and i+1 are one line wrapped in two. Ascending.
  static std::vector<std::size_t> decideJoins(const std::vector<std::string>& lines);
  static std::vector<std::size_t> decideJoins(const std::vector<Line>& lines);

  // A line (trimmed of blanks first) that must never be joined: fences, table rows and
  // rules, box drawing, tool-result lines, rules made of "+", "|" and "-".
  static bool isProtected(std::string_view text);

  // Removes trailing spaces and no-break spaces, keeping in order the escape sequences that
  // stand among or after them.
  static std::string stripTrailingPadding(std::string_view raw);
  // Removes up to `count` leading spaces, keeping the escape sequences before or among them.
  static std::string stripLeadingSpaces(std::string_view raw, int count);
  // The text without escape sequences.
  static std::string removeEscapes(std::string_view raw);
  // Byte length of the escape sequence at `pos` (raw[pos] is ESC); runs to the end of the
  // text when the sequence is not terminated.
  static std::size_t escapeLength(std::string_view raw, std::size_t pos);

  static bool isSentenceEnding(char32_t scalar);
  static bool isIdeograph(char32_t scalar);
};

}  // namespace vesket::viewer
