// Finds the newest open request for the user's input in a pane's captured text.
//
// Agents announce that they wait by printing marker lines; nothing is guessed from prose.
// The grammar, matched case-sensitively anywhere in the text:
//
//   <<<DURNVALE-AWAITING id=ID question_b64=B64 options_b64=B64 style=STYLE>>>
//   <<<DURNVALE-RESOLVED id=ID>>>
//   <<<CREW-SIGNAL state=needs-you kind=KIND reason_b64=B64? id=ID>>>
//   <<<CREW-SIGNAL state=done id=ID>>>
//
// with ID = [A-Za-z0-9_-]+, B64 = [A-Za-z0-9+/=]+ (may be empty for the reason),
// STYLE = [a-zA-Z0-9_-]+ and KIND = [a-z-]+. The "_b64" fields are standard Base64 of UTF-8
// text; the options decode to a JSON array of strings.
//
// The markers are recognised by a single hand-written pass over the text instead of four
// regular-expression searches: every field's character class excludes the character that
// follows the field, so a greedy scan finds exactly the matches the expressions would, and
// the pass costs about as much as a memchr over the capture.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/core/awaiting_prompt.h"

namespace vesket::viewer::AwaitingDetector {

// One marker occurrence. `location` is the byte offset of its first "<" in the searched
// text (only the order of locations is ever used); `groups` holds the whole match and then
// each field, as views into the searched text.
struct Match {
  std::size_t location = 0;
  std::vector<std::string_view> groups;
};

// Every marker in `text`, by kind, each list in text order.
struct Markers {
  std::vector<Match> approvals;  // groups: whole, id, question_b64, options_b64, style
  std::vector<Match> resolved;   // groups: whole, id
  std::vector<Match> needsYou;   // groups: whole, kind, reason_b64, id
  std::vector<Match> done;       // groups: whole, id
};

Markers scan(std::string_view text);

// The open approval prompt if there is one, else the open team signal, else none.
std::optional<AwaitingPrompt> detect(std::string_view text);

// The newest approval marker that is not resolved and decodes cleanly. A newer broken
// marker never hides an older valid one.
std::optional<AwaitingPrompt> approvalPrompt(const Markers& markers);
// The newest needs-you signal when no done signal (of any id) follows it.
std::optional<AwaitingPrompt> crewSignalPrompt(const Markers& markers);

// Options from the decoded options text: a JSON array of strings, each "value: label" or a
// plain text used as both. None when the text is not such an array.
std::optional<std::vector<ApprovalOption>> parseOptions(std::string_view json);

// Standard Base64 of UTF-8 text; none for malformed Base64 or bytes that are not UTF-8.
std::optional<std::string> decodeText(std::string_view base64);

}  // namespace vesket::viewer::AwaitingDetector
