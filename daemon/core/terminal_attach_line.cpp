#include "daemon/core/terminal_attach_line.h"

#include "control_plane/core/base64.h"
#include "daemon/core/reply_line.h"

namespace vesket::daemon {

namespace {
constexpr std::string_view kSuffix = "\"}}\n";
}

TerminalAttachLine::TerminalAttachLine(const std::string& attachId)
    : m_prefix("{\"id\":" + ReplyLine::encode(attachId) + ",\"ok\":true,\"event\":{\"data\":\"") {}

std::string TerminalAttachLine::event(std::string_view frame) const {
  std::string line;
  line.reserve(m_prefix.size() + control_plane::Base64::encodedSize(frame.size()) + kSuffix.size());
  line += m_prefix;
  control_plane::Base64::encodeAppend(frame, line);
  line += kSuffix;
  return line;
}

}  // namespace vesket::daemon
