#pragma once

#include <string>
#include <string_view>

namespace vesket::daemon {

// Text from tmux and the system is bytes: a pane can print anything, and a directory or
// process name need not be UTF-8. JSON needs UTF-8, so every malformed sequence (stray
// continuation bytes, truncated or overlong sequences, surrogates, values above U+10FFFF)
// becomes U+FFFD; well-formed text comes back unchanged.
std::string repairUtf8(std::string_view bytes);

}  // namespace vesket::daemon
