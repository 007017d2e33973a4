// Claude Code transcripts, files another program writes: the facts reader and the history
// builder that renders them for the agent-history stream, fed the bytes in two appends,
// and the UTF-8 repair every text goes through. Nothing may crash; context use stays a
// percentage, and the repair is idempotent.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "daemon/core/claude_history_builder.h"
#include "daemon/core/claude_transcript.h"
#include "daemon/core/utf8_repair.h"
#include "tests/fuzz/fuzz_check.h"

using vesket::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vesket::daemon;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (bool midFile : {false, true}) {
    const TranscriptFacts facts = ClaudeTranscript::parse(text, midFile);
    if (facts.contextPct) check(*facts.contextPct >= 0.0 && *facts.contextPct <= 100.0);
  }
  const std::string repaired = repairUtf8(text);
  check(repairUtf8(repaired) == repaired);

  ClaudeHistoryBuilder::Options options;
  options.paneId = "%1";
  options.width = size == 0 ? 80 : 1 + data[0] % 120;
  options.sessionId = "fuzz";
  ClaudeHistoryBuilder builder(options);
  const std::size_t half = size / 2;
  builder.append(text.substr(0, half));
  builder.append(text.substr(half));
  builder.replaceEvent();
  return 0;
}
