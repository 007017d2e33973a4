#include "platform/crash/crash_handler.h"
#include "relay_service/relay_program.h"

int main(int argc, char** argv) {
  // A crash leaves a report in the state directory's DiagnosticReports.
  vesket::platform::CrashHandler::install("vesket-relay", VESKET_RELAY_VERSION, VESKET_RELAY_VERSION,
                                          vesket::platform::CrashHandler::defaultReportsDirectory());
  return vesket::relay_service::runRelayProgram(argc, argv);
}
