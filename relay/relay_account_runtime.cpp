#include "relay/relay_account_runtime.h"

#include <chrono>

namespace vesket::relay {

RelayAccountRuntime::RelayAccountRuntime(shell::SettingsStore& defaults)
    : RelayAccountRuntime(RelaySettings::applicationOptions(defaults)) {}

RelayAccountRuntime::RelayAccountRuntime(RelaySettings::Options options)
    : m_settings(std::move(options)),
      m_session(m_tokens, [this] { return QUrl(m_settings.baseURL()); }),
      m_store({.baseURL = [this] { return QUrl(m_settings.baseURL()); }, .tokenStore = m_tokens, .session = &m_session}) {}

QCoro::Task<void> RelayAccountRuntime::connect() {
  QCoro::Task<void> selecting = m_settings.selectFastestBeforeConnect();
  co_await std::move(selecting);
  if (!m_settings.endpoint().isCustom()) m_settings.startPeriodicReselect(std::chrono::seconds(300));
  QCoro::Task<void> restoring = m_store.restoreStoredSession();
  co_await std::move(restoring);
}

}  // namespace vesket::relay
