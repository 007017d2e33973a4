#pragma once

namespace vesket::daemon {

// Facts about this build, fixed when the build was configured.
struct BuildInfo {
  static const char* version();    // "0.1.0+<commits>"
  static const char* builtAt();    // ISO 8601 UTC
  static const char* commits();    // number of commits, decimal
  static const char* sha();        // full commit hash, or "unknown"
};

}  // namespace vesket::daemon
