#pragma once

// A Claude Code transcript as the agent writes it (one JSON record per line), shortened
// to the keys that matter plus a few that do not, with record types the history does not
// show mixed in.

#include <string>

namespace vesket::daemon::test {

inline const std::string kTranscriptHead = R"JSONL({"type":"summary","summary":"Fix flaky retry test","leafUuid":"l-0"}
{"parentUuid":null,"isSidechain":false,"userType":"external","cwd":"/home/me/src/app","sessionId":"s-1","version":"2.0.14","gitBranch":"main","type":"user","message":{"role":"user","content":"Why does the retry test fail on CI?"},"uuid":"u-1","timestamp":"2026-12-05T10:00:00.000Z"}
{"parentUuid":"u-1","isSidechain":false,"cwd":"/home/me/src/app","sessionId":"s-1","message":{"id":"msg_1","type":"message","role":"assistant","model":"claude-opus-4-5-20251101","content":[{"type":"thinking","thinking":"The test sleeps for a fixed time.","signature":"c2ln"}],"stop_reason":null,"usage":{"input_tokens":10,"output_tokens":5}},"type":"assistant","uuid":"a-1","timestamp":"2026-12-05T10:00:02.000Z"}
{"parentUuid":"a-1","isSidechain":false,"cwd":"/home/me/src/app","sessionId":"s-1","message":{"id":"msg_1","role":"assistant","model":"claude-opus-4-5-20251101","content":[{"type":"text","text":"Let me run it."}]},"type":"assistant","uuid":"a-2","timestamp":"2026-12-05T10:00:03.000Z"}
{"parentUuid":"a-2","isSidechain":false,"cwd":"/home/me/src/app","sessionId":"s-1","message":{"id":"msg_1","role":"assistant","model":"claude-opus-4-5-20251101","content":[{"type":"tool_use","id":"toolu_1","name":"Bash","input":{"command":"ctest -R retry --output-on-failure","description":"Run the retry test"}}]},"type":"assistant","uuid":"a-3","timestamp":"2026-12-05T10:00:04.000Z"}
{"parentUuid":"a-3","isSidechain":false,"cwd":"/home/me/src/app","sessionId":"s-1","type":"user","message":{"role":"user","content":[{"tool_use_id":"toolu_1","type":"tool_result","content":"Test #4: retry ...***Failed\n1 test failed","is_error":false}]},"uuid":"u-2","timestamp":"2026-12-05T10:00:09.000Z","toolUseResult":{"stdout":"...","stderr":""}}
{"type":"file-history-snapshot","messageId":"m-9","snapshot":{"trackedFileBackups":{}},"isSnapshotUpdate":false}
{"parentUuid":"u-2","isSidechain":false,"cwd":"/home/me/src/app","sessionId":"s-1","type":"system","subtype":"informational","content":"Auto-update available","level":"info","uuid":"sys-1","timestamp":"2026-12-05T10:00:10.000Z"}
{"parentUuid":"u-2","isSidechain":false,"cwd":"/home/me/src/app","sessionId":"s-1","message":{"id":"msg_2","role":"assistant","model":"claude-opus-4-5-20251101","content":[{"type":"text","text":"The test waits a fixed 100 ms for the retry."}]},"type":"assistant","uuid":"a-4","timestamp":"2026-12-05T10:00:12.000Z"}
{"parentUuid":"a-4","isSidechain":false,"cwd":"/home/me/src/app","sessionId":"s-1","type":"user","message":{"role":"user","content":[{"type":"text","text":"Fix it please"}]},"uuid":"u-3","timestamp":"2026-12-05T10:01:00.000Z"}
{"parentUuid":"u-3","isSidechain":false,"cwd":"/home/me/src/app","sessionId":"s-1","message":{"id":"msg_3","role":"assistant","model":"claude-opus-4-5-20251101","content":[{"type":"tool_use","id":"toolu_2","name":"Edit","input":{"file_path":"tests/retry_test.cpp","old_string":"sleep(100ms)","new_string":"waitFor(retried)"}}]},"type":"assistant","uuid":"a-5","timestamp":"2026-12-05T10:01:05.000Z"}
{"parentUuid":"a-5","isSidechain":false,"cwd":"/home/me/src/app","sessionId":"s-1","type":"user","message":{"role":"user","content":[{"tool_use_id":"toolu_2","type":"tool_result","content":[{"type":"text","text":"The file tests/retry_test.cpp has been updated."}]}]},"uuid":"u-4","timestamp":"2026-12-05T10:01:06.000Z"}
)JSONL";

// The agent's next record, cut where the agent was still writing it.
inline const std::string kTranscriptTailStart =
    R"({"parentUuid":"u-4","isSidechain":false,"cwd":"/home/me/src/app","sessionId":"s-1","message":{"id":"msg_4","role":"assistant","content":[{"type":"text","text":"Done: the test now)";
inline const std::string kTranscriptTailEnd =
    R"JSONL( waits for the retry itself."}]},"type":"assistant","uuid":"a-6","timestamp":"2026-12-05T10:01:09.000Z"}
)JSONL";

}  // namespace vesket::daemon::test
