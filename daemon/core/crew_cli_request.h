#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace vesket::daemon {

// `vesket crew ...`, `vesket agent-group ...` and `vesket window ...`: each command line
// becomes one control-socket request. Anything else is a CliUsageError.
//
//   crew create --project DIR --size N [--model M] [--task T] [--agent KIND]
//   crew add-worker --crew ID [--count N] [--agent KIND] [--model M]
//   crew rename --crew ID --name NAME          (an empty name removes it)
//   crew disband (--project DIR | --crew ID)
//   crew list
//   crew route --crew ID --task TASK_ID [--brief TEXT]
//   crew complete --crew ID --pane %N
//   agent-group create --count 2|4|6|8 [--model KIND] [--name NAME] [--directory DIR]
//   agent-group add --window @N [--count 2] [--model KIND]
//   agent-group rename --pane %N --name NAME
//   window create [--name NAME]                (a plain terminal window)
//   window close --window @N
struct CrewCliRequest {
  std::string cmd;
  nlohmann::json args;
  bool printJson = false;  // the answer is printed as JSON (list)

  // `args` starts with "crew", "agent-group" or "window".
  static CrewCliRequest parse(const std::vector<std::string>& args);
  static bool handles(const std::vector<std::string>& args);
  static std::string helpText();
};

}  // namespace vesket::daemon
