#include "daemon/core/restart_transaction.h"

#include <fmt/format.h>

namespace vesket::daemon {

std::string RestartTransaction::shellQuote(std::string_view text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') quoted += "'\\''";
    else quoted += c;
  }
  quoted += '\'';
  return quoted;
}

std::string RestartTransaction::stagedBin() const {
  const std::size_t slash = daemonBin.rfind('/');
  const std::string dir = slash == std::string::npos ? std::string(".") : daemonBin.substr(0, slash);
  return (dir.empty() ? std::string() : dir) + "/" + kStagedName;
}

std::string RestartTransaction::render() const {
  return fmt::format(
      R"(#!/bin/bash
# Restart transaction rendered by vesket {version}. It swaps the staged daemon in, restarts
# the service and keeps the new daemon only when it passes its health gate; otherwise it puts
# the previous daemon back and restarts that one. Exit status 0: the new daemon runs.
set -u
daemon_bin={daemon}
previous_bin={previous}
staged_bin={staged}
export VESKET_HOME={home}
say() {{ printf '[restart-transaction] %s\n' "$*" >&2; }}
restart_service() {{
  "$daemon_bin" daemon stop >&2
  "$daemon_bin" daemon install-service >&2
}}

if [ ! -f "$staged_bin" ]; then
  say "no staged daemon at $staged_bin"
  exit 1
fi
old_pid=$("$daemon_bin" daemon status 2>/dev/null | sed -n 's/^pid : \([0-9][0-9]*\)$/\1/p')
if ! cp -p -- "$daemon_bin" "$previous_bin"; then
  say "cannot back up $daemon_bin"
  exit 1
fi
rm -f -- "$previous_bin.sig"
if [ -f "$daemon_bin.sig" ]; then cp -p -- "$daemon_bin.sig" "$previous_bin.sig"; fi
if ! mv -f -- "$staged_bin" "$daemon_bin"; then
  say "cannot move the staged daemon into place"
  rm -f -- "$previous_bin" "$previous_bin.sig"
  exit 1
fi
if [ -f "$staged_bin.sig" ]; then mv -f -- "$staged_bin.sig" "$daemon_bin.sig"; else rm -f -- "$daemon_bin.sig"; fi
say "the new daemon is in place (replacing pid ${{old_pid:-none}}); restarting the service"
if restart_service && "$daemon_bin" daemon health-gate --replacing-pid "${{old_pid:-0}}" --timeout-ms {timeout}; then
  rm -f -- "$previous_bin" "$previous_bin.sig"
  say "the new daemon passed its health gate"
  exit 0
fi
say "the new daemon did not pass its health gate; restoring the previous daemon"
"$daemon_bin" daemon stop >&2
mv -f -- "$previous_bin" "$daemon_bin"
if [ -f "$previous_bin.sig" ]; then mv -f -- "$previous_bin.sig" "$daemon_bin.sig"; else rm -f -- "$daemon_bin.sig"; fi
"$daemon_bin" daemon install-service >&2
exit 1
)",
      fmt::arg("version", renderedBy), fmt::arg("daemon", shellQuote(daemonBin)),
      fmt::arg("previous", shellQuote(previousBin)), fmt::arg("staged", shellQuote(stagedBin())),
      fmt::arg("home", shellQuote(productHome)), fmt::arg("timeout", kHealthGateTimeoutMs));
}

}  // namespace vesket::daemon
