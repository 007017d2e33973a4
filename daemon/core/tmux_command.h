#pragma once

#include <string>
#include <string_view>

namespace vesket::daemon {

// Building command lines for a tmux control-mode client.
//
// A control client reads one command line per line feed and parses it like a tmux
// configuration line: ";" separates commands, "$" and "~" expand (a leading "~" even in
// double quotes), and a raw line feed
// would end the command. Every argument taken from outside therefore goes through
// `quote`, which writes it in double quotes with the characters tmux would interpret
// escaped and every control byte and "~" written as octal (`\012` for a line feed), so that
// any text reaches tmux byte for byte as one argument.
namespace TmuxCommand {

std::string quote(std::string_view argument);

// Text for an argument tmux expands as a format before using it (window and session names,
// start directories): every "#" doubled, so "#(command)" or "#{pane_id}" stay plain text
// and nothing a name says is run or substituted. Quote the result as usual.
std::string unexpanded(std::string_view text);

// Whether a pane id looks like "%<digits>" (the only form accepted as a pane target).
bool isPaneId(std::string_view id);

// Whether a window id looks like "@<digits>", a session id like "$<digits>".
bool isWindowId(std::string_view id);
bool isSessionId(std::string_view id);

}  // namespace TmuxCommand

}  // namespace vesket::daemon
