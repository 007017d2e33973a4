#pragma once

// The application's long-lived relay account objects, wired as the running application
// uses them: the relay choice (settings, daemon's RELAY_URL, race), the account token file,
// the account session and the account store. `connect()` is what start-up runs: pick the
// relay, keep re-probing it every 300 s unless pinned, then restore the stored session there.

#include <QObject>

#include <memory>

#include <qcoro/qcorotask.h>

#include "relay/account_session.h"
#include "relay/relay_account_store.h"
#include "relay/relay_credentials.h"
#include "relay/relay_settings.h"

namespace vesket::shell {
class SettingsStore;
}

namespace vesket::relay {

class RelayAccountRuntime {
 public:
  explicit RelayAccountRuntime(shell::SettingsStore& defaults);
  explicit RelayAccountRuntime(RelaySettings::Options options);

  RelaySettings& settings() { return m_settings; }
  AccountSession& session() { return m_session; }
  RelayAccountStore& store() { return m_store; }

  QCoro::Task<void> connect();

 private:
  RelaySettings m_settings;
  std::shared_ptr<RelayUserTokenStore> m_tokens = std::make_shared<FileRelayUserTokenStore>();
  AccountSession m_session;
  RelayAccountStore m_store;
};

}  // namespace vesket::relay
