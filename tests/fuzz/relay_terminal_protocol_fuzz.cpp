// The terminal frame decoders and the Base64 decoder frames arrive in. Every input must decode without crashing or undefined behaviour, and whatever decodes
// must re-encode to a message that decodes to the same frame.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <variant>

#include "control_plane/core/base64.h"
#include "relay/core/terminal_protocol.h"

namespace TP = vesket::relay::TerminalProtocol;
namespace Base64 = vesket::control_plane::Base64;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view message(reinterpret_cast<const char*>(data), size);

  const TP::Frame frame = TP::decode(message);
  if (!std::holds_alternative<TP::Unknown>(frame) && TP::decode(TP::encode(frame)) != frame) std::abort();

  const TP::ClientFrame clientFrame = TP::decodeClientFrame(message);
  if (!std::holds_alternative<TP::Unknown>(clientFrame) &&
      TP::decodeClientFrame(TP::encode(clientFrame)) != clientFrame) {
    std::abort();
  }

  // Strict Base64 is canonical: what decodes re-encodes to the same text.
  if (auto bytes = Base64::tryDecode(message); bytes && Base64::encode(*bytes) != message) std::abort();
  if (Base64::decode(Base64::encode(message)) != message) std::abort();
  return 0;
}
