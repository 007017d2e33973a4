// `vesket`: the local daemon and its command-line tool.
#include "daemon/cli.h"

int main(int argc, char** argv) { return vesket::daemon::runCli(argc, argv); }
