#include "relay_service/relay_program.h"

int main(int argc, char** argv) { return vesket::relay_service::runRelayProgram(argc, argv); }
