// What the viewer reads out of a pane's captured text: the ANSI escapes it strips or paints,
// and the marker lines agents print when they wait. Any bytes a program writes to its pane
// reach these parsers.
//
// Every input must parse without crashing or undefined behaviour; the styled runs carry
// exactly the text that stripping leaves; every marker found lies in the text and starts
// with "<<<"; whatever the detector reports comes from a marker whose fields decode.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "tests/fuzz/fuzz_check.h"
#include "viewer/core/ansi_parser.h"
#include "viewer/core/awaiting_detector.h"

namespace AnsiParser = vesket::viewer::AnsiParser;
namespace AwaitingDetector = vesket::viewer::AwaitingDetector;
using vesket::fuzz::check;

namespace {

bool inside(std::string_view part, std::string_view whole) {
  return part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
}

void checkMarkers(const std::vector<AwaitingDetector::Match>& matches, std::string_view text, std::size_t groups) {
  std::size_t previous = 0;
  for (const auto& match : matches) {
    check(match.groups.size() == groups);
    check(match.location >= previous && text.substr(match.location, 3) == "<<<");
    previous = match.location + 1;
    for (const auto group : match.groups) check(group.empty() || inside(group, text));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const std::string normalized = AnsiParser::normalizeLineEnds(text);
  check(normalized.find('\r') == std::string::npos);
  const std::string stripped = AnsiParser::stripAnsi(normalized);
  check(stripped.size() <= normalized.size());
  for (const bool dark : {true, false}) {
    std::string painted;
    for (const auto& run : AnsiParser::styledRuns(text, vesket::viewer::AnsiPalette::adaptive(), dark)) {
      check(!run.text.empty());
      painted += run.text;
    }
    check(painted == stripped);
  }

  const auto markers = AwaitingDetector::scan(text);
  checkMarkers(markers.approvals, text, 5);
  checkMarkers(markers.resolved, text, 2);
  checkMarkers(markers.needsYou, text, 4);
  checkMarkers(markers.done, text, 2);
  if (const auto prompt = AwaitingDetector::detect(text)) {
    check(!prompt->id.empty());
    if (!prompt->crewSignalKind) check(AwaitingDetector::approvalPrompt(markers) == prompt);
  }
  return 0;
}
