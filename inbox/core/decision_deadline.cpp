#include "inbox/core/decision_deadline.h"

#include <array>
#include <cctype>
#include <string>

namespace vesket::inbox {
namespace {

constexpr std::array<std::string_view, 12> kMonths{"January", "February", "March",     "April",   "May",      "June",
                                                   "July",    "August",   "September", "October", "November", "December"};

std::string_view trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

int daysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

struct Parsed {
  CivilTime time;
  std::optional<int> offsetMinutes;
};

// Matches `text` whole against a pattern of the date-format letters used here:
// yyyy MM dd d HH mm ss S+ (fraction, one or more digits: "S+" reads any count), MMM MMMM,
// X (Z or +hh:mm or +hhmm) and literal characters.
class PatternReader {
 public:
  PatternReader(std::string_view text, std::string_view pattern) : m_text(text), m_pattern(pattern) {}

  std::optional<Parsed> read() {
    Parsed parsed;
    while (!m_pattern.empty()) {
      if (take("yyyy")) {
        if (!digits(4, 4, parsed.time.year)) return std::nullopt;
      } else if (take("MMMM")) {
        if (!monthName(false, parsed.time.month)) return std::nullopt;
      } else if (take("MMM")) {
        if (!monthName(true, parsed.time.month)) return std::nullopt;
      } else if (take("MM")) {
        if (!digits(2, 2, parsed.time.month)) return std::nullopt;
      } else if (take("dd")) {
        if (!digits(2, 2, parsed.time.day)) return std::nullopt;
      } else if (take("d")) {
        if (!digits(1, 2, parsed.time.day)) return std::nullopt;
      } else if (take("HH")) {
        if (!digits(2, 2, parsed.time.hour)) return std::nullopt;
      } else if (take("mm")) {
        if (!digits(2, 2, parsed.time.minute)) return std::nullopt;
      } else if (take("ss")) {
        if (!digits(2, 2, parsed.time.second)) return std::nullopt;
      } else if (take("SSS")) {
        if (!digits(3, 3, parsed.time.millisecond)) return std::nullopt;
      } else if (take("S+")) {
        if (!fraction(parsed.time.millisecond)) return std::nullopt;
      } else if (take("X")) {
        if (!offset(parsed.offsetMinutes)) return std::nullopt;
      } else {
        if (m_text.empty() || m_text.front() != m_pattern.front()) return std::nullopt;
        m_text.remove_prefix(1);
        m_pattern.remove_prefix(1);
      }
    }
    if (!m_text.empty()) return std::nullopt;
    const CivilTime& t = parsed.time;
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > daysInMonth(t.year, t.month) || t.hour > 23 ||
        t.minute > 59 || t.second > 59) {
      return std::nullopt;
    }
    return parsed;
  }

 private:
  bool take(std::string_view token) {
    if (!m_pattern.starts_with(token)) return false;
    m_pattern.remove_prefix(token.size());
    return true;
  }

  bool digits(std::size_t least, std::size_t most, int& out) {
    std::size_t count = 0;
    int value = 0;
    while (count < most && count < m_text.size() && std::isdigit(static_cast<unsigned char>(m_text[count]))) {
      value = value * 10 + (m_text[count] - '0');
      ++count;
    }
    if (count < least) return false;
    m_text.remove_prefix(count);
    out = value;
    return true;
  }

  bool fraction(int& milliseconds) {
    std::size_t count = 0;
    int value = 0;
    while (count < m_text.size() && std::isdigit(static_cast<unsigned char>(m_text[count]))) {
      if (count < 3) value = value * 10 + (m_text[count] - '0');
      ++count;
    }
    if (count == 0) return false;
    for (std::size_t i = count; i < 3; ++i) value *= 10;
    m_text.remove_prefix(count);
    milliseconds = value;
    return true;
  }

  bool monthName(bool abbreviated, int& month) {
    for (std::size_t i = 0; i < kMonths.size(); ++i) {
      const std::string_view name = abbreviated ? kMonths[i].substr(0, 3) : kMonths[i];
      if (m_text.size() >= name.size()) {
        bool same = true;
        for (std::size_t c = 0; c < name.size() && same; ++c) {
          same = std::tolower(static_cast<unsigned char>(m_text[c])) == std::tolower(static_cast<unsigned char>(name[c]));
        }
        if (same) {
          m_text.remove_prefix(name.size());
          month = static_cast<int>(i) + 1;
          return true;
        }
      }
    }
    return false;
  }

  bool offset(std::optional<int>& minutes) {
    if (m_text.starts_with("Z")) {
      m_text.remove_prefix(1);
      minutes = 0;
      return true;
    }
    if (m_text.empty() || (m_text.front() != '+' && m_text.front() != '-')) return false;
    const int sign = m_text.front() == '-' ? -1 : 1;
    m_text.remove_prefix(1);
    int hours = 0;
    int mins = 0;
    if (!digits(2, 2, hours)) return false;
    if (m_text.starts_with(":")) m_text.remove_prefix(1);
    if (!digits(2, 2, mins) || hours > 23 || mins > 59) return false;
    minutes = sign * (hours * 60 + mins);
    return true;
  }

  std::string_view m_text;
  std::string_view m_pattern;
};

std::optional<Parsed> match(std::string_view text, std::string_view pattern) { return PatternReader(text, pattern).read(); }

std::optional<std::int64_t> firstLocal(std::string_view text, std::initializer_list<std::string_view> patterns,
                                       const DecisionDeadline::TimeZone& zone) {
  for (const std::string_view pattern : patterns) {
    if (const auto parsed = match(text, pattern)) return zone(parsed->time);
  }
  return std::nullopt;
}

}  // namespace

std::int64_t DecisionDeadline::utcMs(const CivilTime& t) {
  const std::int64_t days = daysFromCivil(t.year, t.month, t.day);
  return ((days * 24 + t.hour) * 60 + t.minute) * 60000 + t.second * 1000 + t.millisecond;
}

DecisionDeadline::TimeZone DecisionDeadline::fixedOffset(int offsetMinutes) {
  return [offsetMinutes](const CivilTime& time) { return utcMs(time) - std::int64_t{offsetMinutes} * 60000; };
}

std::optional<std::int64_t> DecisionDeadline::parse(std::string_view raw, const TimeZone& zone) {
  const std::string_view text = trim(raw);
  if (text.empty()) return std::nullopt;
  // 1. A date alone: due when the next day begins.
  if (text.size() == 10) {
    if (auto parsed = match(text, "yyyy-MM-dd")) {
      CivilTime next = parsed->time;
      if (++next.day > daysInMonth(next.year, next.month)) {
        next.day = 1;
        if (++next.month > 12) {
          next.month = 1;
          ++next.year;
        }
      }
      return zone(next);
    }
  }
  // 2. With an offset.
  for (const std::string_view pattern :
       {"yyyy-MM-dd'T'HH:mm:ss.S+X", "yyyy-MM-dd'T'HH:mm:ssX", "yyyy-MM-dd'T'HH:mmX"}) {
    std::string plain(pattern);
    std::erase(plain, '\'');
    if (const auto parsed = match(text, plain); parsed && parsed->offsetMinutes) {
      return utcMs(parsed->time) - std::int64_t{*parsed->offsetMinutes} * 60000;
    }
  }
  // 3. Local, a space standing for the "T".
  std::string local(text);
  if (local.size() >= 11 && local[10] == ' ') local[10] = 'T';
  if (auto found = firstLocal(local, {"yyyy-MM-ddTHH:mm", "yyyy-MM-ddTHH:mm:ss", "yyyy-MM-ddTHH:mm:ss.SSS"}, zone)) {
    return found;
  }
  // 4. Older forms.
  return firstLocal(text,
                    {"yyyy/MM/dd HH:mm", "yyyy/MM/dd HH:mm:ss", "MMM d, yyyy HH:mm", "MMMM d, yyyy HH:mm",
                     "MMM d, yyyy HH:mm:ss", "MMMM d, yyyy HH:mm:ss", "MMM d, yyyy", "MMMM d, yyyy"},
                    zone);
}

bool DecisionDeadline::isUnparseable(std::string_view text, const TimeZone& zone) {
  return !trim(text).empty() && !parse(text, zone);
}

}  // namespace vesket::inbox
