#include "daemon/core/tmux_command.h"

namespace vesket::daemon::TmuxCommand {

std::string quote(std::string_view argument) {
  std::string out;
  out.reserve(argument.size() + 2);
  out.push_back('"');
  for (const char c : argument) {
    const auto byte = static_cast<unsigned char>(c);
    // "~" too: tmux expands a leading "~" to the home directory even inside double quotes.
    if (byte < 0x20 || byte == 0x7f || c == '~') {
      static constexpr char kDigits[] = "01234567";
      out.push_back('\\');
      out.push_back(kDigits[(byte >> 6) & 7]);
      out.push_back(kDigits[(byte >> 3) & 7]);
      out.push_back(kDigits[byte & 7]);
    } else if (c == '"' || c == '\\' || c == '$') {
      out.push_back('\\');
      out.push_back(c);
    } else {
      out.push_back(c);
    }
  }
  out.push_back('"');
  return out;
}

std::string unexpanded(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    out.push_back(c);
    if (c == '#') out.push_back('#');
  }
  return out;
}

namespace {
bool isSigilNumber(std::string_view id, char sigil) {
  if (id.size() < 2 || id.size() > 12 || id.front() != sigil) return false;
  for (std::size_t i = 1; i < id.size(); ++i) {
    if (id[i] < '0' || id[i] > '9') return false;
  }
  return true;
}
}  // namespace

bool isPaneId(std::string_view id) { return isSigilNumber(id, '%'); }

bool isWindowId(std::string_view id) { return isSigilNumber(id, '@'); }

bool isSessionId(std::string_view id) { return isSigilNumber(id, '$'); }

}  // namespace vesket::daemon::TmuxCommand
