#pragma once

#include <string>

namespace vesket::platform::CrashHandler {

// Installs the crash handler of this process: on SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT
// or SIGTRAP it writes a report into `reportsDirectory` (created when missing) and lets the
// signal end the process as it would have. The report, "<process>-<ms>-<pid>.ips", is one
// JSON header line ("app_name", "timestamp", "pid", "app_version", "build", "os_version")
// followed by a JSON body: "exception" (the signal), "termination", "faultingThread" 0, one
// triggered thread with the raw frames ("imageIndex", "imageOffset": the file offset in
// that image, symbolised later) and "usedImages" ("name", "path"). Everything the handler
// does at crash time is async-signal-safe: fixed buffers, open/read/write, no allocation.
// Call once, early in main(); later calls replace the facts.
bool install(const std::string& processName, const std::string& appVersion, const std::string& build,
             const std::string& reportsDirectory);

// $XDG_STATE_HOME/vesket/DiagnosticReports (~/.local/state/vesket/DiagnosticReports).
std::string defaultReportsDirectory();

}  // namespace vesket::platform::CrashHandler
