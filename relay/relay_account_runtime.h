#pragma once

// The application's long-lived relay account objects, wired as the running application
// uses them: the relay choice (settings, daemon's RELAY_URL, race), the account token file,
// the account session and the account store. `connect()` is what start-up runs: pick the
// relay, keep re-probing it every 300 s unless pinned, then restore the stored session there.

#include <QObject>

#include <memory>

#include <qcoro/qcorotask.h>

#include "relay/account_session.h"
#include "relay/core/terminal_mirror_rules.h"
#include "relay/relay_pane_source.h"
#include "relay/terminal_mirror_listener.h"
#include "relay/relay_account_store.h"
#include "relay/relay_credentials.h"
#include "relay/relay_settings.h"

namespace vesket::shell {
class SettingsStore;
}

namespace vesket::relay {

class RelayAccountRuntime {
 public:
  // The local daemon that vouches for this device: the application's one control-plane
  // client (the product home's when empty).
  using LocalDaemon = std::function<std::shared_ptr<control_plane::ControlPlaneClient>()>;

  explicit RelayAccountRuntime(shell::SettingsStore& defaults, LocalDaemon localDaemon = {});
  explicit RelayAccountRuntime(RelaySettings::Options options, LocalDaemon localDaemon = {});

  RelaySettings& settings() { return m_settings; }
  AccountSession& session() { return m_session; }
  RelayAccountStore& store() { return m_store; }

  QCoro::Task<void> connect();

  // Another machine's panes through the chosen relay with the account's token; `target`
  // names the machine (the viewer's active remote target).
  std::shared_ptr<RelayPaneSource> makePaneSource(RelayPaneSource::TargetProvider target,
                                                  QNetworkAccessManager* session);
  // The relay's live terminal client (a TerminalMirrorClient, parented to `parent`) for the
  // attach parameters: the account's token, or this machine's daemon token for its own
  // panes (no daemonId) or when the account's token is missing or expired.
  QObject* makeTerminalMirror(const TerminalAttachParams& params, std::weak_ptr<TerminalMirrorListener> listener,
                              QObject* parent);

 private:
  RelaySettings m_settings;
  std::shared_ptr<RelayUserTokenStore> m_tokens = std::make_shared<FileRelayUserTokenStore>();
  AccountSession m_session;
  RelayAccountStore m_store;
};

}  // namespace vesket::relay
