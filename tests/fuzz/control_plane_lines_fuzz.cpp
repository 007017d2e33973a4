// Splitting a byte stream into lines, on both ends of the control socket: the client's
// splitter (which drops blank and non-UTF-8 lines) and the daemon's bounded request reader
// (which keeps non-UTF-8 lines to answer them), then the client's reading of each line as
// a reply or a stream line. Where reads split the bytes must not change the lines.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "control_plane/core/frames.h"
#include "control_plane/core/line_accumulator.h"
#include "daemon/core/request_line_reader.h"
#include "tests/fuzz/fuzz_check.h"

using vesket::fuzz::check;

namespace {

using vesket::control_plane::LineAccumulator;


// The lines of `bytes` read in pieces cut at the given offsets.
template <class Reader>
std::vector<std::string> splitInPieces(Reader reader, std::string_view bytes, const std::vector<std::size_t>& cuts) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  for (std::size_t cut : cuts) {
    for (auto& line : reader.push(bytes.substr(from, cut - from))) lines.push_back(std::move(line));
    from = cut;
  }
  for (auto& line : reader.push(bytes.substr(from))) lines.push_back(std::move(line));
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // The first bytes choose up to three cut points.
  std::vector<std::size_t> cuts;
  for (std::size_t i = 0; i < 3 && i < size; ++i) cuts.push_back(static_cast<std::size_t>(data[i]) % (size + 1));
  std::sort(cuts.begin(), cuts.end());

  const auto whole = LineAccumulator().push(bytes);
  check(splitInPieces(LineAccumulator(), bytes, cuts) == whole);
  for (const std::string& line : whole) {
    check(line.find('\n') == std::string::npos && vesket::control_plane::isValidUtf8(line));
    vesket::control_plane::FrameHead::decode(line);
    vesket::control_plane::matchReply(line, "A");
    vesket::control_plane::classifyStreamLine(line, "A");
  }

  const auto kept = LineAccumulator(LineAccumulator::InvalidUtf8::keep).push(bytes);
  check(kept.size() >= whole.size());
  // A small bound so that the reader's overflow is reached too.
  vesket::daemon::RequestLineReader reader(256);
  const auto requests = splitInPieces(reader, bytes, cuts);
  for (const std::string& line : requests) check(line.size() <= 256);
  return 0;
}
