// The daemon's request path, from the bytes a client writes to the reply line: the bounded
// line reader, the head scan (token check comes next), the whole frame, the argument
// checks, and the reply that echoes the arguments. Whatever arrives, nothing may crash,
// a head the scan accepts must be a JSON object whose id and command it read correctly,
// and every reply must be exactly one line.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "daemon/core/command_args.h"
#include "daemon/core/command_error.h"
#include "daemon/core/reply_line.h"
#include "daemon/core/request_frame.h"
#include "daemon/core/request_line_reader.h"
#include "tests/fuzz/fuzz_check.h"

using vesket::fuzz::check;

namespace {

using namespace vesket::daemon;


void checkOneLine(const std::string& reply) {
  check(!reply.empty() && reply.back() == '\n' && reply.find('\n') == reply.size() - 1);
}

void handle(const std::string& line) {
  auto head = readRequestHead(line);
  if (auto* rejection = std::get_if<RequestRejection>(&head)) {
    check(!rejection->error.empty());
    checkOneLine(ReplyLine::failure(rejection->id, rejection->error));
    return;
  }
  const RequestHead accepted = std::get<RequestHead>(head);
  const nlohmann::json doc = nlohmann::json::parse(line, nullptr, false);
  check(doc.is_object() && doc["id"] == accepted.id && doc["cmd"] == accepted.cmd);

  const RequestFrame frame = completeRequestFrame(accepted, line);
  check(frame.args.is_object());
  // A frame is copied and written out whole; both walk the value recursively.
  const RequestFrame copy = frame;
  check(copy == frame);
  checkOneLine(ReplyLine::data(frame.id, frame.args));

  const CommandArgs args(frame.cmd, frame.args);
  try {
    args.optionalPaneId();
    args.optionalString("text");
    args.optionalInteger("choice", 1, 99);
    args.optionalIntegerArray("choices", 1, 99);
    args.optionalBool("flag");
    if (args.has("images")) args.requireObjectArray("images");
  } catch (const CommandError& error) {
    checkOneLine(ReplyLine::failure(frame.id, error.what()));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // The bytes arrive in two reads, split where the first byte says.
  const std::size_t split = size == 0 ? 0 : static_cast<std::size_t>(data[0]) % (size + 1);
  RequestLineReader reader(1024 * 1024);
  for (std::string_view part : {bytes.substr(0, split), bytes.substr(split)}) {
    for (const std::string& line : reader.push(part)) handle(line);
  }
  // The last line may lack its line feed, as when a client closes after writing it.
  if (!reader.overflowed()) {
    for (const std::string& line : reader.push("\n")) handle(line);
  }
  return 0;
}
