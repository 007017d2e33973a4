#include "daemon/core/agent_root.h"

namespace vesket::daemon::AgentRoot {
namespace {
std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}
}  // namespace

std::string choose(std::string_view fileText, std::string_view configured, const std::string& userHome,
                   const std::function<bool(const std::string&)>& isDirectory) {
  const std::string chosen(trimmed(fileText.substr(0, fileText.find('\n'))));
  if (chosen.starts_with('/') && isDirectory(chosen)) return chosen;
  const std::string fromEnvironment(trimmed(configured));
  if (fromEnvironment.starts_with('/') && isDirectory(fromEnvironment)) return fromEnvironment;
  return userHome;
}

}  // namespace vesket::daemon::AgentRoot
