#pragma once

// The one state the terminal window shows, derived from the daemon connection, the pane
// roster, the selection and the account checks.

#include <optional>
#include <string>

#include "control_plane/core/connection_state.h"

namespace vesket::viewer {

struct ViewerState {
  enum class Kind {
    reconnecting,
    localAccountUnreachable,
    daemonNotRunning,
    connecting,
    noPanes,
    streamingRunning,
    streamingIdle,
    paneEnded,
    signedOut,
    localAccountMismatch,
  };

  Kind kind = Kind::connecting;
  int attempt = 0;  // for reconnecting and localAccountUnreachable

  static ViewerState of(Kind kind, int attempt = 0) { return {kind, attempt}; }

  // Whether the roster is known: no panes, streaming (running or idle) or pane ended.
  bool panesAreKnown() const;

  bool operator==(const ViewerState&) const = default;
};

struct ViewerStateInputs {
  control_plane::ConnectionState connection;
  bool hasPanes = false;
  std::optional<std::string> selectedPaneId;
  bool selectedIsListed = false;  // the selected id is among the panes
  bool selectedIsRunning = false;
  bool remoteSignedOut = false;
  bool localAccountMismatch = false;
  bool localAccountCorrupt = false;
  bool localAccountUnreachable = false;
  int localAccountUnreachableAttempt = 0;
};

namespace ViewerStateMachine {

// First rule that applies: signed out (remote sign-out or corrupt local account), account
// mismatch, account unreachable, then the connection (reconnecting, connecting for idle and
// connecting, daemon not running for unavailable), and once connected the roster.
ViewerState derive(const ViewerStateInputs& in);

}  // namespace ViewerStateMachine

}  // namespace vesket::viewer
