#pragma once

// The marker lines an agent prints into its pane to tell Vesket that it waits for the user
// (`vesket ask`, `vesket resolve`, `vesket signal`). The application's awaiting detector
// reads them back:
//
//   <<<DURNVALE-AWAITING id=ID question_b64=B64 options_b64=B64 style=STYLE>>>
//   <<<DURNVALE-RESOLVED id=ID>>>
//   <<<CREW-SIGNAL state=needs-you kind=KIND reason_b64=B64 id=ID>>>
//   <<<CREW-SIGNAL state=done id=ID>>>
//
// B64 is standard Base64 of UTF-8 text; the options are a JSON array of strings.

#include <string>
#include <string_view>
#include <vector>

namespace vesket::daemon::MarkerLine {

// The selection styles an approval marker may name.
const std::vector<std::string>& styles();
bool isStyle(std::string_view style);
// Ids are [A-Za-z0-9_-]+.
bool isValidId(std::string_view id);
// The team-signal kinds the application tells apart (others read as "question").
const std::vector<std::string>& signalKinds();

std::string approval(std::string_view id, std::string_view question, const std::vector<std::string>& options,
                     std::string_view style);
std::string resolved(std::string_view id);
std::string needsYou(std::string_view kind, std::string_view reason, std::string_view id);
std::string done(std::string_view id);

}  // namespace vesket::daemon::MarkerLine
