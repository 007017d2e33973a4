#include "relay/relay_account_runtime.h"

#include <QDateTime>

#include <chrono>

#include "relay/core/jwt_expiry.h"
#include "relay/terminal_mirror_client.h"

namespace vesket::relay {

RelayAccountRuntime::RelayAccountRuntime(shell::SettingsStore& defaults, LocalDaemon localDaemon)
    : RelayAccountRuntime(RelaySettings::applicationOptions(defaults), std::move(localDaemon)) {}

RelayAccountRuntime::RelayAccountRuntime(RelaySettings::Options options, LocalDaemon localDaemon)
    : m_settings(std::move(options)),
      m_session(m_tokens, [this] { return QUrl(m_settings.baseURL()); }),
      m_store({.baseURL = [this] { return QUrl(m_settings.baseURL()); },
               .tokenStore = m_tokens,
               .session = &m_session,
               .localDaemon = std::move(localDaemon)}) {}

QCoro::Task<void> RelayAccountRuntime::connect() {
  QCoro::Task<void> selecting = m_settings.selectFastestBeforeConnect();
  co_await std::move(selecting);
  if (!m_settings.endpoint().isCustom()) m_settings.startPeriodicReselect(std::chrono::seconds(300));
  QCoro::Task<void> restoring = m_store.restoreStoredSession();
  co_await std::move(restoring);
}

std::shared_ptr<RelayPaneSource> RelayAccountRuntime::makePaneSource(RelayPaneSource::TargetProvider target,
                                                                    QNetworkAccessManager* session) {
  return std::make_shared<RelayPaneSource>(QUrl(m_settings.baseURL()), std::move(target),
                                           [tokens = m_tokens] { return tokens->read(); }, session);
}

QObject* RelayAccountRuntime::makeTerminalMirror(const TerminalAttachParams& params,
                                                 std::weak_ptr<TerminalMirrorListener> listener, QObject* parent) {
  const auto account = m_tokens->read();
  const auto daemonToken = DaemonTokenStore::read();
  const auto bearer = terminalMirrorBearer(account ? std::optional<std::string>(account->toStdString()) : std::nullopt,
                                           daemonToken ? std::optional<std::string>(daemonToken->toStdString()) : std::nullopt,
                                           !params.daemonId.has_value(),
                                           static_cast<double>(QDateTime::currentSecsSinceEpoch()));
  std::map<std::string, std::string> headers;
  if (bearer) headers.emplace("Authorization", "Bearer " + *bearer);
  return new TerminalMirrorClient(TerminalMirrorRules::attachURL(m_settings.baseURL().toStdString(), params),
                                  std::move(headers), std::move(listener), Backoff::mirror(), parent);
}

}  // namespace vesket::relay
