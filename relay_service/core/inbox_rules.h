#pragma once

// The relay's rules for the inbox: thread slugs, previews, answering a decision once, and
// the board's times. Pure: the endpoints (api/inbox.cpp, api/agent.cpp) apply them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "inbox/core/inbox_records.h"

namespace vesket::relay_service {

namespace InboxRules {

inline constexpr std::size_t kMaxSlugLength = 64;
inline constexpr std::size_t kMaxTextLength = 64 * 1024;
inline constexpr int kDefaultPageSize = 50;
inline constexpr int kMaxPageSize = 200;
// Files agents share are kept this long.
inline constexpr std::int64_t kFileLifetimeMs = 7LL * 24 * 3600 * 1000;

// The thread of a pane of a daemon: "pane-<daemon>-<number>" ("%12" of daemon 3 is
// "pane-3-12"); nothing for a pane id that is not tmux's.
std::optional<std::string> paneSlug(std::int64_t daemonId, std::string_view paneId);
// A named thread: letters, digits, "-", "_" and "." (1 to 64), lower-cased; nothing else.
std::optional<std::string> namedSlug(std::string_view name);
// Whether a slug in a path can name a thread at all.
bool isValidSlug(std::string_view slug);

// The thread list's preview of a message: its title, else its decision's question, else
// its body; one line, at most 200 characters.
std::string preview(const inbox::InboxMessage& message);

// "2026-12-07T01:40:00.123Z": sorts as text in time order.
std::string isoTimeMs(std::int64_t ms);

// What answering a decision comes to.
enum class AnswerVerdict { accepted, notADecision, unknownOption, alreadyDecided, withdrawn, expired };

// Answers the message's decision with option `k` when it is open, the option is one of its
// own and its deadline (read in UTC) has not passed; the message is changed only then.
AnswerVerdict answerDecision(inbox::InboxMessage& message, std::string_view k, std::optional<std::string> device,
                             std::int64_t nowMs);

}  // namespace InboxRules
}  // namespace vesket::relay_service
