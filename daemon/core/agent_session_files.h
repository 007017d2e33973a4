#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "daemon/core/claude_transcript.h"

namespace vesket::daemon {

// What the other agents' own session files tell: the model, the context in use and the
// topic, as TranscriptFacts (the record Claude Code's transcripts fill). Every format
// belongs to another program and changes without notice: records, keys and value types
// this code does not know are skipped, never an error, and a file that does not parse
// gives no facts.
namespace AgentSessionFiles {

// codex: `~/.codex/sessions/YYYY/MM/DD/rollout-<time>-<id>.jsonl`, one record per line,
// {"type", "payload"}: "session_meta" (cwd), "turn_context" (model, cwd), "event_msg"
// with "token_count" (tokens of the last turn and the model's context window) and
// "user_message", "response_item" messages. `startsMidFile`: the first line is a fragment.
TranscriptFacts codexRollout(std::string_view text, bool startsMidFile = false);
// The working directory named by a rollout's first record (its session_meta).
std::optional<std::string> codexRolloutCwd(std::string_view firstLine);

// gemini: `~/.gemini/tmp/<sha256 of the project path>/chats/session-*.json`, one JSON
// object with "messages" ({"type": "user" | "gemini", "content", "model", "tokens"}).
TranscriptFacts geminiSession(std::string_view text);

// opencode: `<data>/opencode/storage/session/<project>/<session>.json` ("directory",
// "title") and the session's messages `storage/message/<session>/<message>.json` ("role",
// "modelID", "tokens"), given oldest first.
TranscriptFacts opencodeSession(std::string_view session, const std::vector<std::string>& messages);
// The working directory an opencode session file names.
std::optional<std::string> opencodeSessionDirectory(std::string_view session);

// cursor: the "meta" value of a chat's `~/.cursor/chats/<md5 of the path>/<chat>/store.db`,
// a JSON object ("name", "lastUsedModel"), stored as hexadecimal text or as the JSON itself.
TranscriptFacts cursorChatMeta(std::string_view meta);

// The context window of a model id in tokens, for the agents whose files give only the
// tokens in use; nothing for a model this code does not know.
std::optional<double> contextWindow(std::string_view modelId);

}  // namespace AgentSessionFiles

}  // namespace vesket::daemon
