#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace vesket::daemon {

// The agents' root folder: the directory the user's projects (and so the agents' working
// directories) live under. The daemon publishes it in <home>/agent-root, one line, for the
// desktop and the account; a folder the user chose there stays.
namespace AgentRoot {

// The folder to publish: the file's first line when it names an existing directory, else
// `configured` ("VESKET_AGENT_ROOT") when that is one, else the user's home.
std::string choose(std::string_view fileText, std::string_view configured, const std::string& userHome,
                   const std::function<bool(const std::string&)>& isDirectory);

}  // namespace AgentRoot

}  // namespace vesket::daemon
