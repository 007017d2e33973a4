// `vesket`: the local daemon and its command-line tool.
#include <cstring>

#include "daemon/cli.h"
#include "daemon/pane_pipe_door.h"

int main(int argc, char** argv) {
  // Started by tmux's `pipe-pane` for the daemon: hand the pipe over, nothing else.
  if (argc == 4 && std::strcmp(argv[1], "internal-pane-pipe") == 0) {
    return vesket::daemon::handOverPanePipe(argv[2], argv[3]);
  }
  return vesket::daemon::runCli(argc, argv);
}
