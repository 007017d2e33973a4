#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vesket::daemon {

// A query of tmux formats (`display-message -p` for one target, `list-panes -a -F` for
// every pane): the format argument for a list of fields, and the parser of the answer.
//
// Every answer line is one record: the values separated by the unit separator (0x1f) and
// closed by the record separator (0x1e). Text values come from outside (a program names
// its own process, a pane chooses its working directory) and could hold those bytes or a
// line feed and so forge or hide records; tmux itself replaces every control byte in them
// with U+FFFD (the `s/` format modifier) before they reach the daemon. The parser takes
// a line only when it has exactly the record's shape and every id, number and flag reads
// as such.
class TmuxFormat {
 public:
  enum class Kind {
    paneId,     // "%3"
    windowId,   // "@2"
    sessionId,  // "$1"
    integer,    // decimal, possibly negative; empty reads as 0 (tmux leaves some empty)
    flag,       // "1" or "0"; empty reads as 0
    text,       // anything; control bytes arrive as U+FFFD
  };
  struct Field {
    std::string_view name;  // the tmux format variable, e.g. "pane_id"
    Kind kind;
  };

  // One answer line, checked: values by field index. It refers to the line, so it is read
  // while the line lives.
  class Record {
   public:
    std::string text(std::size_t field) const { return std::string(m_values[field]); }
    std::int64_t integer(std::size_t field) const;
    bool flag(std::size_t field) const { return m_values[field] == "1"; }

   private:
    friend class TmuxFormat;
    std::vector<std::string_view> m_values;
  };

  TmuxFormat(std::initializer_list<Field> fields);

  // The format argument as raw bytes (TmuxCommand::quote it for a command line).
  const std::string& argument() const { return m_argument; }
  std::size_t size() const { return m_fields.size(); }

  // `display-message -p -t <target> <format>`, quoted.
  std::string displayCommand(std::string_view target) const;
  // `list-panes -a -F <format>`, quoted.
  std::string listPanesCommand() const;

  // The record in one answer line; nothing when the line does not have its shape.
  std::optional<Record> parse(std::string_view line) const;
  // The first line's record (display-message answers with one line; an unknown target
  // gets an empty line or none).
  std::optional<Record> parseFirst(const std::vector<std::string>& lines) const;

 private:
  std::vector<Field> m_fields;
  std::string m_argument;
};

}  // namespace vesket::daemon
