#include "relay_service/core/inbox_rules.h"

#include <fmt/format.h>

#include <cctype>
#include <ctime>

#include "inbox/core/decision_deadline.h"

namespace vesket::relay_service {

std::optional<std::string> InboxRules::paneSlug(std::int64_t daemonId, std::string_view paneId) {
  if (paneId.size() < 2 || paneId.size() > 12 || paneId.front() != '%') return std::nullopt;
  for (const char c : paneId.substr(1)) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
  }
  return fmt::format("pane-{}-{}", daemonId, paneId.substr(1));
}

std::optional<std::string> InboxRules::namedSlug(std::string_view name) {
  std::string slug;
  for (const char c : name) slug += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (!isValidSlug(slug) || slug.starts_with("pane-")) return std::nullopt;
  return slug;
}

bool InboxRules::isValidSlug(std::string_view slug) {
  if (slug.empty() || slug.size() > kMaxSlugLength || slug.front() == '.') return false;
  for (const char c : slug) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_' && c != '.') return false;
  }
  return true;
}

std::string InboxRules::preview(const inbox::InboxMessage& message) {
  std::string text = message.title.value_or("");
  if (text.empty() && message.decision()) text = message.decision()->question;
  if (text.empty()) text = message.body;
  std::string line;
  for (const char c : text) {
    if (line.size() >= 200) break;
    line += (c == '\n' || c == '\r' || c == '\t') ? ' ' : c;
  }
  // Never end inside a UTF-8 sequence.
  while (!line.empty() && (static_cast<unsigned char>(line.back()) & 0xC0) == 0x80) line.pop_back();
  if (!line.empty() && (static_cast<unsigned char>(line.back()) & 0x80)) line.pop_back();
  return line;
}

std::string InboxRules::isoTimeMs(std::int64_t ms) {
  const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
  return fmt::format("{}.{:03}Z", text, ms % 1000);
}

InboxRules::AnswerVerdict InboxRules::answerDecision(inbox::InboxMessage& message, std::string_view k,
                                                     std::optional<std::string> device, std::int64_t nowMs) {
  if (!message.payload || !message.payload->decision) return AnswerVerdict::notADecision;
  inbox::Decision& decision = *message.payload->decision;
  if (decision.state == inbox::DecisionState::decided) return AnswerVerdict::alreadyDecided;
  if (decision.state == inbox::DecisionState::withdrawn) return AnswerVerdict::withdrawn;
  if (decision.deadline) {
    const auto due = inbox::DecisionDeadline::parse(*decision.deadline, inbox::DecisionDeadline::fixedOffset(0));
    if (due && *due <= nowMs) return AnswerVerdict::expired;
  }
  if (!decision.option(k)) return AnswerVerdict::unknownOption;
  decision.state = std::string(inbox::DecisionState::decided);
  decision.answer = inbox::DecisionAnswer{std::string(k), "inbox", static_cast<double>(nowMs), std::move(device)};
  return AnswerVerdict::accepted;
}

}  // namespace vesket::relay_service
