// A program that installs the crash handler and then crashes the way it is told:
//   crash_helper REPORTS_DIR segv|abort
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/crash/crash_handler.h"

namespace {

// Not inlined, so the report's frames name it.
[[gnu::noinline]] void crashHere(const char* how) {
  if (std::strcmp(how, "abort") == 0) std::abort();
  volatile int* nowhere = nullptr;
  *nowhere = 42;
}

[[gnu::noinline]] void doWork(const char* how) {
  crashHere(how);
  asm volatile("");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  vesket::platform::CrashHandler::install("vesket", "9.9.9-test", "abc123", argv[1]);
  doWork(argv[2]);
  return 0;
}
