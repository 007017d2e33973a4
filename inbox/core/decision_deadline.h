#pragma once

// Reads a decision's deadline. Agents write deadlines by hand, so several forms are read,
// tried in this order (after trimming; an empty text is no deadline):
//   1. a date alone, "yyyy-MM-dd": due at the start of the following day;
//   2. a date and time with an offset (ISO 8601, with or without fractional seconds, or
//      minutes only): "2026-03-01T17:30:00+01:00", "...Z";
//   3. a date and time without one, in the given time zone ("T" or a space between):
//      "yyyy-MM-dd'T'HH:mm", "...:ss", "...:ss.SSS";
//   4. older forms in the given time zone: "yyyy/MM/dd HH:mm[:ss]",
//      "MMM d, yyyy [HH:mm[:ss]]", "MMMM d, yyyy [HH:mm[:ss]]" (English month names).
// Anything else is unreadable ("next Friday"): no deadline, and the card says so.

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace vesket::inbox {

// A date and time on a wall clock.
struct CivilTime {
  int year = 1970;
  int month = 1;  // 1..12
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

namespace DecisionDeadline {

// The time zone that local forms are read in: a wall-clock time to milliseconds since 1970.
using TimeZone = std::function<std::int64_t(const CivilTime&)>;

// A zone at a fixed offset from UTC (minutes east).
TimeZone fixedOffset(int offsetMinutes);
// Milliseconds since 1970 of a wall-clock time in UTC.
std::int64_t utcMs(const CivilTime& time);

// The deadline in milliseconds since 1970; nothing for an empty or unreadable text.
std::optional<std::int64_t> parse(std::string_view text, const TimeZone& zone);
// A non-empty text that gives no deadline.
bool isUnparseable(std::string_view text, const TimeZone& zone);

}  // namespace DecisionDeadline
}  // namespace vesket::inbox
