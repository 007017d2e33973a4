#include "relay/core/daemon_link_frame.h"

namespace vesket::relay {

std::string DaemonLinkFrame::encode(std::uint32_t stream, std::string_view frame) {
  std::string message;
  message.reserve(kHeaderBytes + frame.size());
  for (int shift = 24; shift >= 0; shift -= 8) message += static_cast<char>((stream >> shift) & 0xFF);
  message.append(frame);
  return message;
}

std::optional<DaemonLinkFrame::StreamFrame> DaemonLinkFrame::decode(std::string_view message) {
  if (message.size() <= kHeaderBytes) return std::nullopt;
  std::uint32_t stream = 0;
  for (std::size_t i = 0; i < kHeaderBytes; ++i) stream = (stream << 8) | static_cast<unsigned char>(message[i]);
  return StreamFrame{stream, message.substr(kHeaderBytes)};
}

}  // namespace vesket::relay
