// `vesket`: the local daemon and its command-line tool.
#include <cstring>

#include "daemon/build_info.h"
#include "daemon/cli.h"
#include "platform/crash/crash_handler.h"
#include "daemon/pane_pipe_door.h"

int main(int argc, char** argv) {
  // Started by tmux's `pipe-pane` for the daemon: hand the pipe over, nothing else.
  if (argc == 4 && std::strcmp(argv[1], "internal-pane-pipe") == 0) {
    return vesket::daemon::handOverPanePipe(argv[2], argv[3]);
  }
  // A crash of the daemon or its tool leaves a report the application's scan picks up.
  vesket::platform::CrashHandler::install("vesket", vesket::daemon::BuildInfo::version(),
                                          vesket::daemon::BuildInfo::sha(),
                                          vesket::platform::CrashHandler::defaultReportsDirectory());
  return vesket::daemon::runCli(argc, argv);
}
