#include "daemon/core/service_unit.h"

#include <fmt/format.h>

namespace vesket::daemon {

std::string ServiceUnit::quote(const std::string& word) {
  bool plain = !word.empty();
  for (char c : word) {
    if (c == ' ' || c == '\t' || c == '"' || c == '\'' || c == '\\' || c == '%' || c == '$' ||
        c == ';' || c == '\n') {
      plain = false;
    }
  }
  if (plain) return word;
  std::string quoted = "\"";
  for (char c : word) {
    if (c == '"' || c == '\\') quoted += '\\';
    if (c == '%') quoted += '%';  // specifiers: "%%" is a literal per cent sign
    if (c == '$') {
      quoted += "$$";  // no variable expansion
      continue;
    }
    if (c == '\n') {
      quoted += "\\n";
      continue;
    }
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

std::string ServiceUnit::render(const std::string& executable, const std::string& productHome) {
  return fmt::format(
      "[Unit]\n"
      "Description=Vesket local daemon (tmux panes for the Vesket desktop application)\n"
      "\n"
      "[Service]\n"
      "Type=simple\n"
      "ExecStart={} daemon start\n"
      "Environment={}\n"
      "Restart=on-failure\n"
      "RestartSec=1\n"
      "RestartPreventExitStatus=3\n"
      "\n"
      "[Install]\n"
      "WantedBy=default.target\n",
      quote(executable), quote("VESKET_HOME=" + productHome));
}

}  // namespace vesket::daemon
