#include "viewer/core/line_differ.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

namespace vesket::viewer {
namespace {

using Change = LineDiffer::Change;
using Lines = std::vector<std::string>;

std::string numbered(int from, int to) {  // "line from" .. "line to", LF separated
  std::string out;
  for (int k = from; k <= to; ++k) {
    if (k > from) out += "\n";
    out += "line " + std::to_string(k);
  }
  return out;
}

Lines numberedLines(int from, int to) {
  Lines out;
  for (int k = from; k <= to; ++k) out.push_back("line " + std::to_string(k));
  return out;
}

TEST(LineDiffer, Scenarios) {
  struct Step {
    std::string capture;
    Change change;
  };
  struct Case {
    const char* name;
    std::size_t maxLines;
    std::vector<Step> steps;
  };
  const std::vector<Case> cases = {
      {"identical captures",
       10,
       {{"a\nb", Change::append({"a", "b"}, 0)}, {"a\nb", Change::none()}}},
      {"scrolled by three",
       100,
       {{numbered(1, 10), Change::append(numberedLines(1, 10), 0)},
        {numbered(4, 13), Change::append(numberedLines(11, 13), 0)}}},
      {"screen cleared",
       100,
       {{"a\nb\nc", Change::append({"a", "b", "c"}, 0)}, {"x\ny", Change::replace({"x", "y"})}}},
      {"first capture capped", 3, {{numbered(1, 5), Change::append(numberedLines(3, 5), 0)}}},
      {"append trims the head",
       4,
       {{"a\nb\nc", Change::append({"a", "b", "c"}, 0)},
        {"b\nc\nd\ne", Change::append({"d", "e"}, 1)}}},
      {"new capture is a prefix of the overlap", 10,
       // The old tail "b","c" equals the new head; nothing after it is new.
       {{"a\nb\nc", Change::append({"a", "b", "c"}, 0)}, {"b\nc", Change::none()}}},
      {"largest overlap is taken",
       10,
       // Tail "x","x" and head "x","x": overlap 2 (not 1), so only "y" is new.
       {{"x\nx", Change::append({"x", "x"}, 0)}, {"x\nx\ny", Change::append({"y"}, 0)}}},
      {"line ends normalised",
       10,
       {{"a\r\nb\r", Change::append({"a", "b"}, 0)}, {"a\nb", Change::none()}}},
      {"trailing LF is an empty last line",
       10,
       {{"a\n", Change::append({"a", ""}, 0)}, {"\nb", Change::append({"b"}, 0)}}},
  };
  for (const Case& c : cases) {
    LineDiffer differ(c.maxLines);
    for (std::size_t s = 0; s < c.steps.size(); ++s) {
      EXPECT_EQ(differ.apply(c.steps[s].capture), c.steps[s].change) << c.name << " step " << s;
    }
  }
}

TEST(LineDiffer, TrimmedFromHeadWithFullBuffer) {
  // 510 lines fed to a 500-line buffer: the first capture keeps the last 500.
  LineDiffer differ(500);
  EXPECT_EQ(differ.apply(numbered(1, 510)).lines.size(), 500u);
  EXPECT_EQ(differ.lines().front(), "line 11");
  // Scroll by 5: five new lines, five dropped.
  const Change change = differ.apply(numbered(6, 515));
  EXPECT_EQ(change, Change::append(numberedLines(511, 515), 5));
  EXPECT_EQ(differ.lines().size(), 500u);
  EXPECT_EQ(differ.lines().front(), "line 16");
  EXPECT_EQ(differ.lines().back(), "line 515");
}

TEST(LineDiffer, AppendReportsAllRemovedLines) {
  // The buffer holds more lines than one capture: 15 new lines push 15 out of the head.
  LineDiffer differ(500);
  differ.apply(numbered(1, 300));
  differ.apply(numbered(101, 400));  // +100 -> 400 lines
  differ.apply(numbered(201, 500));  // +100 -> 500 lines
  const Change change = differ.apply(numbered(206, 515));
  EXPECT_EQ(change.kind, Change::Kind::append);
  EXPECT_EQ(change.lines.size(), 15u);
  EXPECT_EQ(change.trimmedFromHead, 15u);
}

TEST(LineDiffer, ResetStartsAfresh) {
  LineDiffer differ(10);
  differ.apply("a\nb");
  differ.reset();
  EXPECT_TRUE(differ.lines().empty());
  EXPECT_TRUE(differ.previousCapture().empty());
  EXPECT_EQ(differ.apply("a\nb"), Change::append({"a", "b"}, 0));
  EXPECT_EQ(differ.text(), "a\nb");
}

TEST(LineDiffer, MaxLinesMustBePositive) {
  EXPECT_THROW(LineDiffer(0), std::invalid_argument);
  EXPECT_NO_THROW(LineDiffer(1));
}

// The definition, literally: used to check the fast overlap search.
class NaiveLineDiffer {
 public:
  explicit NaiveLineDiffer(std::size_t maxLines) : m_maxLines(maxLines) {}

  Change apply(std::string_view capture) {
    Lines next = LineDiffer::splitLines(capture);
    if (next == m_previous) return Change::none();
    Lines previous = m_previous;
    m_previous = next;
    auto keepTail = [&] {
      const std::size_t keep = std::min(next.size(), m_maxLines);
      m_lines.assign(next.end() - static_cast<std::ptrdiff_t>(keep), next.end());
    };
    if (previous.empty()) {
      const bool had = !m_lines.empty();
      keepTail();
      return had ? Change::replace(m_lines) : Change::append(m_lines, 0);
    }
    std::size_t k = std::min(next.size(), previous.size());
    for (; k >= 1; --k) {
      if (std::equal(previous.end() - static_cast<std::ptrdiff_t>(k), previous.end(),
                     next.begin())) {
        break;
      }
    }
    if (k == 0) {
      keepTail();
      return Change::replace(m_lines);
    }
    Lines appended(next.begin() + static_cast<std::ptrdiff_t>(k), next.end());
    if (appended.empty()) return Change::none();
    m_lines.insert(m_lines.end(), appended.begin(), appended.end());
    std::size_t trimmed = 0;
    if (m_lines.size() > m_maxLines) {
      trimmed = m_lines.size() - m_maxLines;
      m_lines.erase(m_lines.begin(), m_lines.begin() + static_cast<std::ptrdiff_t>(trimmed));
    }
    return Change::append(appended, trimmed);
  }
  void reset() {
    m_lines.clear();
    m_previous.clear();
  }
  const Lines& lines() const { return m_lines; }

 private:
  std::size_t m_maxLines;
  Lines m_lines;
  Lines m_previous;
};

TEST(LineDiffer, MatchesNaiveDefinitionOnRandomCaptures) {
  std::mt19937 random(6);
  std::size_t appends = 0, replaces = 0, nones = 0;
  for (int run = 0; run < 300; ++run) {
    const std::size_t maxLines = 1 + random() % 40;
    // A tiny line alphabet makes repeated lines and periodic tails (the hard cases for an
    // overlap search) common.
    const int alphabet = 1 + static_cast<int>(random() % 4);
    auto line = [&] { return std::string(1, static_cast<char>('a' + random() % alphabet)); };
    LineDiffer fast(maxLines);
    NaiveLineDiffer naive(maxLines);
    Lines window;
    for (int k = 0; k < 1 + static_cast<int>(random() % 20); ++k) window.push_back(line());
    for (int step = 0; step < 40; ++step) {
      switch (random() % 6) {
        case 0:
        case 1: {  // scroll by a few lines
          const std::size_t by = random() % 5;
          for (std::size_t k = 0; k < by; ++k) window.push_back(line());
          window.erase(window.begin(), window.begin() + static_cast<std::ptrdiff_t>(
                                                            std::min(by, window.size() - 1)));
          break;
        }
        case 2:  // redraw the last line
          window.back() = line();
          break;
        case 3: {  // a fresh screen of another height
          window.clear();
          for (std::size_t k = 0; k < 1 + random() % 30; ++k) window.push_back(line());
          break;
        }
        case 4:  // unchanged
          break;
        case 5:
          if (random() % 8 == 0) {
            fast.reset();
            naive.reset();
          } else {
            window.push_back(line());  // grows without scrolling
          }
          break;
      }
      std::string capture;
      for (std::size_t k = 0; k < window.size(); ++k) {
        if (k > 0) capture += random() % 5 == 0 ? "\r\n" : "\n";
        capture += window[k];
      }
      const Change expected = naive.apply(capture);
      ASSERT_EQ(fast.apply(capture), expected) << "run " << run << " step " << step;
      ASSERT_EQ(fast.lines(), naive.lines());
      appends += expected.kind == Change::Kind::append;
      replaces += expected.kind == Change::Kind::replace;
      nones += expected.kind == Change::Kind::none;
    }
  }
  // Every outcome is exercised.
  EXPECT_GT(appends, 500u);
  EXPECT_GT(replaces, 500u);
  EXPECT_GT(nones, 500u);
}

TEST(LineDiffer, OverlapAgreesWithNaiveSearch) {
  std::mt19937 random(7);
  for (int round = 0; round < 20000; ++round) {
    const int alphabet = 1 + static_cast<int>(random() % 3);
    Lines a(random() % (round % 10 == 0 ? 300 : 12)), b(random() % (round % 10 == 0 ? 300 : 12));
    for (auto& l : a) l = std::string(1, static_cast<char>('a' + random() % alphabet));
    for (auto& l : b) l = std::string(1, static_cast<char>('a' + random() % alphabet));
    std::size_t k = std::min(a.size(), b.size());
    while (k > 0 && !std::equal(a.end() - static_cast<std::ptrdiff_t>(k), a.end(), b.begin())) --k;
    // The direct search, the linear one alone, and a switch between them part way.
    ASSERT_EQ(LineDiffer::overlap(a, b), k) << round;
    ASSERT_EQ(LineDiffer::overlap(a, b, 0), k) << round;
    ASSERT_EQ(LineDiffer::overlap(a, b, round % 7), k) << round;
  }
}

}  // namespace
}  // namespace vesket::viewer
