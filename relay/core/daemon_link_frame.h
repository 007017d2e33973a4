#pragma once

// What the daemon and the relay agree on for the daemon link beyond the control protocol
// itself: the path, the hello request, and the binary messages that carry terminal frames
// (a 4-byte big-endian stream number, then one frame of the terminal frame protocol). The
// relay names a terminal stream's number in its attach request under "stream".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vesket::relay::DaemonLinkFrame {

inline constexpr std::string_view kPath = "/daemon";
// relay -> daemon right after the upgrade: {"userId", "daemonId"}; the daemon's link
// answers it itself.
inline constexpr std::string_view kHelloCommand = "link-hello";
// The key of an attach request that names the stream number of its frames.
inline constexpr std::string_view kStreamKey = "stream";
inline constexpr std::size_t kHeaderBytes = 4;

struct StreamFrame {
  std::uint32_t stream = 0;
  std::string_view frame;
};

std::string encode(std::uint32_t stream, std::string_view frame);
// Nothing for a message no longer than the header (a frame is never empty).
std::optional<StreamFrame> decode(std::string_view message);

}  // namespace vesket::relay::DaemonLinkFrame
