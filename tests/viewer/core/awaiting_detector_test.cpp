#include "viewer/core/awaiting_detector.h"

#include <gtest/gtest.h>

#include <random>
#include <regex>

#include "tests/viewer/core/awaiting_marker_text.h"

namespace vesket::viewer {
namespace {

using testing::approvalMarker;
using testing::base64;
using testing::doneSignal;
using testing::jsonStrings;
using testing::needsYouSignal;
using testing::resolvedMarker;
namespace D = AwaitingDetector;

const std::string kYesNo = jsonStrings({"1: Yes", "2: No"});

std::optional<std::string> promptId(std::string_view text) {
  const auto prompt = D::detect(text);
  if (!prompt) return std::nullopt;
  return prompt->id;
}

TEST(AwaitingDetector, ApprovalMarkerBecomesPrompt) {
  const std::string text = "\x1b[2mRunning tests\x1b[0m\n" +
                           approvalMarker("Ask-42", "Run the migration? ✓", kYesNo, "numbered") +
                           "\n$ ";
  const auto prompt = D::detect(text);
  ASSERT_TRUE(prompt);
  EXPECT_EQ(prompt->id, "ask-42");
  EXPECT_EQ(prompt->question, "Run the migration? ✓");
  EXPECT_EQ(prompt->options, (std::vector<ApprovalOption>{{1, "Yes", "1"}, {2, "No", "2"}}));
  EXPECT_EQ(prompt->selectionStyle, ApprovalSelectionStyle::numbered);
  EXPECT_EQ(prompt->crewSignalKind, std::nullopt);
}

TEST(AwaitingDetector, ResolvedMarkersAndNewestWins) {
  const std::string a = approvalMarker("a", "first", kYesNo, "yes-no");
  const std::string b = approvalMarker("b", "second", kYesNo, "numbered");
  struct Case {
    const char* name;
    std::string text;
    std::optional<std::string> id;
  };
  const std::vector<Case> cases = {
      {"resolved after, other case", a + "\n" + resolvedMarker("A") + "\n", std::nullopt},
      {"resolved before does not cancel", resolvedMarker("a") + "\n" + a, "a"},
      {"resolved of another id", a + resolvedMarker("b"), "a"},
      {"resolved before and after", resolvedMarker("a") + a + resolvedMarker("a"), std::nullopt},
      {"asked again after resolving", a + resolvedMarker("a") + a, "a"},
      {"two open, later wins", a + "\n" + b, "b"},
      {"later resolved, earlier open", a + b + resolvedMarker("B"), "a"},
      {"later has unknown style", a + approvalMarker("b", "q", kYesNo, "Numbered"), "a"},
      {"later has broken question",
       a + "<<<DURNVALE-AWAITING id=b question_b64=QQ= options_b64=" + base64(kYesNo) +
           " style=numbered>>>",
       "a"},
      {"later has padding inside",
       a + "<<<DURNVALE-AWAITING id=b question_b64=QQ==QQ== options_b64=" + base64(kYesNo) +
           " style=numbered>>>",
       "a"},
      {"later question is not UTF-8", a + approvalMarker("b", "\xC3\x28", kYesNo, "numbered"),
       "a"},
      {"later options not an array", a + approvalMarker("b", "q", R"({"a":"b"})", "numbered"),
       "a"},
      {"later options hold a number", a + approvalMarker("b", "q", R"(["x", 2])", "numbered"),
       "a"},
      {"later options not JSON", a + approvalMarker("b", "q", "[\"x\"", "numbered"), "a"},
      {"all broken", approvalMarker("b", "q", "{}", "numbered"), std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(promptId(c.text), c.id) << c.name;
}

TEST(AwaitingDetector, MarkersInOddPlaces) {
  const std::string m = approvalMarker("x1", "q", kYesNo, "menu-arrow");
  struct Case {
    const char* name;
    std::string text;
    bool found;
  };
  const std::vector<Case> cases = {
      {"whole text", m, true},
      {"inside colour escapes", "\x1b[38;5;208m" + m + "\x1b[0m", true},
      {"extra angle brackets", "<<<<<" + m + ">>>>", true},
      {"glued to prose", "done." + m + "next", true},
      {"after a false start", "<<<DURNVALE-AWAITING id=" + m, true},
      {"after a CRLF line", "line\r\n" + m + "\r\n", true},
      {"lower-case keyword", "<<<durnvale-AWAITING" + m.substr(20), false},
      {"truncated at the screen edge", m.substr(0, m.size() - 1), false},
      {"split by a wrap", m.substr(0, 40) + "\n" + m.substr(40), false},
      {"two spaces", "<<<DURNVALE-AWAITING  id=x1" + m.substr(26), false},
      {"empty id", "<<<DURNVALE-AWAITING id=" + m.substr(26), false},
      {"bad id character", "<<<DURNVALE-AWAITING id=x.1" + m.substr(26), false},
  };
  for (const Case& c : cases) EXPECT_EQ(D::detect(c.text).has_value(), c.found) << c.name;
}

TEST(AwaitingDetector, OptionParsing) {
  using Options = std::vector<ApprovalOption>;
  struct Case {
    std::string json;
    std::optional<Options> options;
  };
  const std::vector<Case> cases = {
      {"[]", Options{}},
      {R"(["Yes","No"])", Options{{1, "Yes", "Yes"}, {2, "No", "No"}}},
      {R"(["1: Yes", "y :  Always\u00a0", ":Skip"])",
       Options{{1, "Yes", "1"}, {2, "Always", "y"}, {3, "Skip", "3"}}},
      {R"(["go:", "a:b:c", "\t k\t:\tv "])",
       Options{{1, "go", "go"}, {2, "b:c", "a"}, {3, "v", "k"}}},
      {R"(["plain text, with spaces "])",
       Options{{1, "plain text, with spaces ", "plain text, with spaces "}}},
      {R"({"1":"Yes"})", std::nullopt},
      {R"(["Yes", 2])", std::nullopt},
      {R"(["Yes", null])", std::nullopt},
      {R"([["nested"]])", std::nullopt},
      {R"("Yes")", std::nullopt},
      {"", std::nullopt},
      {"[\"Yes\",]", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(D::parseOptions(c.json), c.options) << c.json;

  // An empty list is a valid prompt without options.
  const auto prompt = D::detect(approvalMarker("free", "Name?", "[]", "free-text-prompt"));
  ASSERT_TRUE(prompt);
  EXPECT_TRUE(prompt->options.empty());
  EXPECT_EQ(prompt->selectionStyle, ApprovalSelectionStyle::freeTextPrompt);
}

TEST(AwaitingDetector, DecodeText) {
  EXPECT_EQ(D::decodeText(""), "");
  EXPECT_EQ(D::decodeText(base64("a")), "a");
  EXPECT_EQ(D::decodeText(base64("ab")), "ab");
  EXPECT_EQ(D::decodeText(base64("abc")), "abc");
  EXPECT_EQ(D::decodeText(base64("héllo wörld ❯")), "héllo wörld ❯");
  for (std::string_view bad : {"YQ", "YQ=", "Y===", "====", "YQ==YQ==", "Y=Q=", "YQ-_"}) {
    EXPECT_EQ(D::decodeText(bad), std::nullopt) << bad;
  }
  // Well-formed Base64 of malformed UTF-8: a lone continuation byte, an overlong slash, a
  // surrogate, a truncated sequence, a code point above U+10FFFF.
  for (std::string_view bytes :
       {"\x80", "\xC0\xAF", "\xED\xA0\x80", "ab\xE2\x9D", "\xF4\x90\x80\x80"}) {
    EXPECT_EQ(D::decodeText(base64(bytes)), std::nullopt);
  }
}

TEST(AwaitingDetector, TeamSignals) {
  struct Case {
    const char* name;
    std::string text;
    std::optional<AwaitingPrompt> prompt;
  };
  auto signal = [](std::string id, std::string question, std::string kind) {
    return AwaitingPrompt{std::move(id), std::move(question), {},
                          ApprovalSelectionStyle::crewSignal, std::move(kind)};
  };
  const std::vector<Case> cases = {
      {"review", needsYouSignal("review", "Check the diff", "W-1"),
       signal("w-1", "Check the diff", "review")},
      {"go-ahead", needsYouSignal("go-ahead", "Ship?", "w2"), signal("w2", "Ship?", "go-ahead")},
      {"unknown kind is a question", needsYouSignal("deploy", "Deploy now?", "w3"),
       signal("w3", "Deploy now?", "question")},
      {"empty reason", needsYouSignal("approval", "", "w4"), signal("w4", "", "approval")},
      {"undecodable reason",
       "<<<CREW-SIGNAL state=needs-you kind=review reason_b64=abc id=w5>>>",
       signal("w5", "", "review")},
      {"done of another id ends it", needsYouSignal("review", "r", "w6") + doneSignal("other"),
       std::nullopt},
      {"done before does not", doneSignal("w7") + needsYouSignal("review", "r", "w7"),
       signal("w7", "r", "review")},
      {"newest of two", needsYouSignal("review", "old", "w8") + needsYouSignal("question", "new", "w9"),
       signal("w9", "new", "question")},
      {"asked again after done",
       needsYouSignal("review", "old", "w8") + doneSignal("w8") + needsYouSignal("review", "again", "w8"),
       signal("w8", "again", "review")},
      {"upper-case kind does not match", "<<<CREW-SIGNAL state=needs-you kind=Review reason_b64= id=w>>>",
       std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(D::detect(c.text), c.prompt) << c.name;
}

TEST(AwaitingDetector, ApprovalComesBeforeTeamSignal) {
  const std::string text = approvalMarker("ask", "q", kYesNo, "yes-no") + "\n" +
                           needsYouSignal("review", "newer", "w1");
  EXPECT_EQ(promptId(text), "ask");
  // A resolved approval lets the team signal through.
  EXPECT_EQ(promptId(text + resolvedMarker("ask")), "w1");
}

TEST(ApprovalSelectionStyle, RawValuesAndChoices) {
  struct Case {
    std::string_view raw;
    ApprovalSelectionStyle style;
    bool hasChoices;
  };
  const std::vector<Case> cases = {
      {"numbered", ApprovalSelectionStyle::numbered, true},
      {"yes-no", ApprovalSelectionStyle::yesNo, true},
      {"menu-arrow", ApprovalSelectionStyle::menuArrow, true},
      {"free-text-prompt", ApprovalSelectionStyle::freeTextPrompt, false},
      {"free-text-options", ApprovalSelectionStyle::freeTextOptions, true},
      {"crew-signal", ApprovalSelectionStyle::crewSignal, false},
      {"attention", ApprovalSelectionStyle::attention, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ApprovalSelectionStyles::fromRawValue(c.raw), c.style) << c.raw;
    EXPECT_EQ(ApprovalSelectionStyles::rawValue(c.style), c.raw);
    EXPECT_EQ(ApprovalSelectionStyles::hasChoices(c.style), c.hasChoices) << c.raw;
  }
  for (std::string_view raw : {"", "yesNo", "Numbered", "numbered ", "yes_no"}) {
    EXPECT_EQ(ApprovalSelectionStyles::fromRawValue(raw), std::nullopt) << raw;
  }
}

// The hand-written scanner must find exactly what the marker expressions find. Random texts
// are glued from marker fragments so that near-misses are common.
TEST(AwaitingDetector, ScanAgreesWithRegularExpressions) {
  const std::vector<std::string> fragments = {
      "<<<", "<", ">>>", ">", " ", "\n", "=", "DURNVALE-AWAITING id=", "DURNVALE-RESOLVED id=",
      "CREW-SIGNAL state=needs-you kind=", "CREW-SIGNAL state=done id=", " question_b64=",
      " options_b64=", " style=", " reason_b64=", " id=", "ab", "Z9", "_-", "q+/=", "yes-no",
      "é", "\x1b[1m", "x.y"};
  const std::regex approval(
      "<<<DURNVALE-AWAITING id=([A-Za-z0-9_-]+) question_b64=([A-Za-z0-9+/=]+) "
      "options_b64=([A-Za-z0-9+/=]+) style=([a-zA-Z0-9_-]+)>>>");
  const std::regex resolved("<<<DURNVALE-RESOLVED id=([A-Za-z0-9_-]+)>>>");
  const std::regex needsYou(
      "<<<CREW-SIGNAL state=needs-you kind=([a-z-]+) reason_b64=([A-Za-z0-9+/=]*) "
      "id=([A-Za-z0-9_-]+)>>>");
  const std::regex done("<<<CREW-SIGNAL state=done id=([A-Za-z0-9_-]+)>>>");
  auto viaRegex = [](const std::string& text, const std::regex& re) {
    std::vector<std::pair<std::size_t, std::vector<std::string>>> out;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator();
         ++it) {
      std::vector<std::string> groups;
      for (std::size_t g = 0; g < it->size(); ++g) groups.push_back((*it)[g].str());
      out.emplace_back(static_cast<std::size_t>(it->position()), groups);
    }
    return out;
  };
  auto viaScan = [](const std::vector<D::Match>& matches) {
    std::vector<std::pair<std::size_t, std::vector<std::string>>> out;
    for (const D::Match& m : matches) {
      out.emplace_back(m.location, std::vector<std::string>(m.groups.begin(), m.groups.end()));
    }
    return out;
  };
  std::mt19937 random(20261206);
  std::size_t matchesSeen = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const int pieces = 1 + static_cast<int>(random() % 40);
    // Well-formed markers now and then, so that whole matches occur often.
    for (int p = 0; p < pieces; ++p) {
      switch (random() % 12) {
        case 0: text += approvalMarker("Id" + std::to_string(p), "q", "[]", "numbered"); break;
        case 1: text += resolvedMarker("id" + std::to_string(p)); break;
        case 2: text += needsYouSignal("review", p % 2 ? "" : "r", "w"); break;
        case 3: text += doneSignal("w"); break;
        default: text += fragments[random() % fragments.size()]; break;
      }
    }
    const D::Markers markers = D::scan(text);
    ASSERT_EQ(viaScan(markers.approvals), viaRegex(text, approval)) << text;
    ASSERT_EQ(viaScan(markers.resolved), viaRegex(text, resolved)) << text;
    ASSERT_EQ(viaScan(markers.needsYou), viaRegex(text, needsYou)) << text;
    ASSERT_EQ(viaScan(markers.done), viaRegex(text, done)) << text;
    matchesSeen += markers.approvals.size() + markers.resolved.size() + markers.needsYou.size() +
                   markers.done.size();
  }
  EXPECT_GT(matchesSeen, 1000u);  // the generator does produce matches
}

}  // namespace
}  // namespace vesket::viewer
