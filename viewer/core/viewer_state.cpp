#include "viewer/core/viewer_state.h"

namespace vesket::viewer {

using Kind = ViewerState::Kind;
using control_plane::ConnectionState;

bool ViewerState::panesAreKnown() const {
  return kind == Kind::noPanes || kind == Kind::streamingRunning || kind == Kind::streamingIdle ||
         kind == Kind::paneEnded;
}

ViewerState ViewerStateMachine::derive(const ViewerStateInputs& in) {
  if (in.remoteSignedOut || in.localAccountCorrupt) return ViewerState::of(Kind::signedOut);
  if (in.localAccountMismatch) return ViewerState::of(Kind::localAccountMismatch);
  if (in.localAccountUnreachable) {
    return ViewerState::of(Kind::localAccountUnreachable, in.localAccountUnreachableAttempt);
  }
  switch (in.connection.kind) {
    case ConnectionState::Kind::reconnecting: return ViewerState::of(Kind::reconnecting, in.connection.attempt);
    case ConnectionState::Kind::idle:
    case ConnectionState::Kind::connecting: return ViewerState::of(Kind::connecting);
    case ConnectionState::Kind::unavailable: return ViewerState::of(Kind::daemonNotRunning);
    case ConnectionState::Kind::connected: break;
  }
  if (!in.hasPanes) return ViewerState::of(Kind::noPanes);
  if (in.selectedPaneId && !in.selectedIsListed) return ViewerState::of(Kind::paneEnded);
  return ViewerState::of(in.selectedIsRunning ? Kind::streamingRunning : Kind::streamingIdle);
}

}  // namespace vesket::viewer
