#pragma once

#include <string>
#include <string_view>

namespace vesket::daemon {

// The restart transaction: a bash script, rendered by the daemon build that is about to be
// installed, that the desktop application stores and runs to replace a running daemon.
// It backs the installed binary up (with its release signature sidecar) to `previousBin`,
// moves the staged copy ("vesket.upgrade-tmp" beside `daemonBin`) into place, restarts the
// service (`daemon stop`, then `daemon install-service`) and runs the health gate: a daemon
// other than the one that ran before must answer and keep answering. When it does, the
// backup is removed and the script exits 0; otherwise the previous binary is put back, the
// service restarted with it, and the script exits 1.
struct RestartTransaction {
  static constexpr const char* kStagedName = "vesket.upgrade-tmp";
  static constexpr int kHealthGateTimeoutMs = 20000;

  std::string daemonBin;
  std::string previousBin;
  std::string productHome;
  std::string renderedBy;  // the rendering build's version, for the script's header

  // The staged copy the application writes before it runs the script.
  std::string stagedBin() const;
  std::string render() const;

  // `text` as one word for bash: in single quotes, a single quote written as '\''.
  static std::string shellQuote(std::string_view text);
};

}  // namespace vesket::daemon
