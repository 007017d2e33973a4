#include "viewer/core/awaiting_detector.h"

#include <array>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <unordered_map>

#include "control_plane/core/base64.h"
#include "control_plane/core/line_accumulator.h"
#include "viewer/core/utf8_text.h"

namespace vesket::viewer::AwaitingDetector {

namespace {

// ---- Marker grammar ------------------------------------------------------------------

using CharClass = std::array<bool, 256>;

constexpr CharClass makeClass(bool lower, bool upper, bool digits, std::string_view extra) {
  CharClass cls{};
  for (int c = 0; c < 256; ++c) {
    cls[c] = (lower && c >= 'a' && c <= 'z') || (upper && c >= 'A' && c <= 'Z') ||
             (digits && c >= '0' && c <= '9');
  }
  for (char c : extra) cls[static_cast<unsigned char>(c)] = true;
  return cls;
}

constexpr CharClass kIdClass = makeClass(true, true, true, "_-");      // [A-Za-z0-9_-]
constexpr CharClass kBase64Class = makeClass(true, true, true, "+/=");  // [A-Za-z0-9+/=]
constexpr CharClass kKindClass = makeClass(true, false, false, "-");    // [a-z-]

// A captured field: a run of `cls` characters (at least one unless `mayBeEmpty`), then the
// literal `then`. No class contains the first character of the literal after it, so the
// greedy run is the only way the field can match.
struct Field {
  const CharClass* cls;
  bool mayBeEmpty;
  std::string_view then;
};

struct Pattern {
  std::string_view prefix;  // starts with "<<<"
  std::array<Field, 4> fields;
  std::size_t fieldCount;
};

constexpr Pattern kApproval = {
    "<<<DURNVALE-AWAITING id=",
    {{{&kIdClass, false, " question_b64="},
      {&kBase64Class, false, " options_b64="},
      {&kBase64Class, false, " style="},
      {&kIdClass, false, ">>>"}}},  // style: [a-zA-Z0-9_-], the same set as an id
    4};
constexpr Pattern kResolved = {"<<<DURNVALE-RESOLVED id=", {{{&kIdClass, false, ">>>"}}}, 1};
constexpr Pattern kNeedsYou = {
    "<<<CREW-SIGNAL state=needs-you kind=",
    {{{&kKindClass, false, " reason_b64="},
      {&kBase64Class, true, " id="},
      {&kIdClass, false, ">>>"}}},
    3};
constexpr Pattern kDone = {"<<<CREW-SIGNAL state=done id=", {{{&kIdClass, false, ">>>"}}}, 1};

// Matches `pattern` at `pos`; on success appends the match and returns its end.
std::optional<std::size_t> matchAt(std::string_view text, std::size_t pos,
                                   const Pattern& pattern, std::vector<Match>& out) {
  if (text.compare(pos, pattern.prefix.size(), pattern.prefix) != 0) return std::nullopt;
  Match match;
  match.location = pos;
  match.groups.reserve(pattern.fieldCount + 1);
  match.groups.emplace_back();  // the whole match, filled in below
  std::size_t at = pos + pattern.prefix.size();
  for (std::size_t f = 0; f < pattern.fieldCount; ++f) {
    const Field& field = pattern.fields[f];
    const std::size_t start = at;
    while (at < text.size() && (*field.cls)[static_cast<unsigned char>(text[at])]) ++at;
    if (at == start && !field.mayBeEmpty) return std::nullopt;
    if (text.compare(at, field.then.size(), field.then) != 0) return std::nullopt;
    match.groups.push_back(text.substr(start, at - start));
    at += field.then.size();
  }
  match.groups.front() = text.substr(pos, at - pos);
  out.push_back(std::move(match));
  return at;
}

std::string_view crewKind(std::string_view kind) {
  for (std::string_view known : {"approval", "review", "question", "go-ahead"}) {
    if (kind == known) return known;
  }
  return "question";
}

}  // namespace

Markers scan(std::string_view text) {
  Markers markers;
  std::size_t pos = 0;
  while ((pos = text.find("<<<", pos)) != std::string_view::npos) {
    // Dispatch on the character after "<<<"; the patterns share no first letter but the
    // two team signals, which differ after "state=".
    std::optional<std::size_t> end;
    if (pos + 3 < text.size()) {
      switch (text[pos + 3]) {
        case 'D':
          end = matchAt(text, pos, kApproval, markers.approvals);
          if (!end) end = matchAt(text, pos, kResolved, markers.resolved);
          break;
        case 'C':
          end = matchAt(text, pos, kNeedsYou, markers.needsYou);
          if (!end) end = matchAt(text, pos, kDone, markers.done);
          break;
        default:
          break;
      }
    }
    // A match holds no "<", so the next one cannot start inside it.
    pos = end ? *end : pos + 1;
  }
  return markers;
}

std::optional<std::string> decodeText(std::string_view base64) {
  auto bytes = control_plane::Base64::tryDecode(base64);
  if (!bytes || !control_plane::isValidUtf8(*bytes)) return std::nullopt;
  return bytes;
}

std::optional<std::vector<ApprovalOption>> parseOptions(std::string_view json) {
  const auto parsed = nlohmann::json::parse(json, nullptr, /*allow_exceptions=*/false);
  if (!parsed.is_array()) return std::nullopt;  // also covers text that did not parse
  std::vector<ApprovalOption> options;
  options.reserve(parsed.size());
  int index = 0;
  for (const auto& element : parsed) {
    if (!element.is_string()) return std::nullopt;
    ++index;
    const auto& text = element.get_ref<const std::string&>();
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos) {
      options.push_back({index, text, text});
      continue;
    }
    const std::string value(utf8::trimBlanks(std::string_view(text).substr(0, colon)));
    const std::string label(utf8::trimBlanks(std::string_view(text).substr(colon + 1)));
    options.push_back({index, label.empty() ? value : label,
                       value.empty() ? std::to_string(index) : value});
  }
  return options;
}

std::optional<AwaitingPrompt> approvalPrompt(const Markers& markers) {
  if (markers.approvals.empty()) return std::nullopt;
  // Lower-cased id -> location of its newest resolved marker: an approval is answered when
  // any resolved marker of its id lies after it.
  std::unordered_map<std::string, std::size_t> newestResolved;
  for (const Match& resolved : markers.resolved) {
    newestResolved[utf8::asciiLower(resolved.groups[1])] = resolved.location;
  }
  for (auto it = markers.approvals.rbegin(); it != markers.approvals.rend(); ++it) {
    const Match& approval = *it;
    std::string id = utf8::asciiLower(approval.groups[1]);
    if (const auto found = newestResolved.find(id);
        found != newestResolved.end() && found->second > approval.location) {
      continue;
    }
    const auto style = ApprovalSelectionStyles::fromRawValue(approval.groups[4]);
    if (!style) continue;
    auto question = decodeText(approval.groups[2]);
    if (!question) continue;
    const auto optionsText = decodeText(approval.groups[3]);
    if (!optionsText) continue;
    auto options = parseOptions(*optionsText);
    if (!options) continue;
    return AwaitingPrompt{std::move(id), std::move(*question), std::move(*options), *style,
                          std::nullopt};
  }
  return std::nullopt;
}

std::optional<AwaitingPrompt> crewSignalPrompt(const Markers& markers) {
  if (markers.needsYou.empty()) return std::nullopt;
  const std::optional<std::size_t> newestDone =
      markers.done.empty() ? std::nullopt : std::optional(markers.done.back().location);
  for (auto it = markers.needsYou.rbegin(); it != markers.needsYou.rend(); ++it) {
    const Match& signal = *it;
    if (newestDone && *newestDone > signal.location) continue;
    return AwaitingPrompt{utf8::asciiLower(signal.groups[3]),
                          decodeText(signal.groups[2]).value_or(std::string()),
                          {},
                          ApprovalSelectionStyle::crewSignal,
                          std::string(crewKind(signal.groups[1]))};
  }
  return std::nullopt;
}

std::optional<AwaitingPrompt> detect(std::string_view text) {
  const Markers markers = scan(text);
  if (auto prompt = approvalPrompt(markers)) return prompt;
  return crewSignalPrompt(markers);
}

}  // namespace vesket::viewer::AwaitingDetector
