#include "relay/account_session.h"

#include <QPointer>

#include "relay/relay_client.h"
#include "relay/relay_credentials.h"

namespace vesket::relay {

AccountSession::AccountSession(std::shared_ptr<RelayUserTokenStore> tokenStore, std::function<QUrl()> baseURL,
                               QObject* parent)
    : QObject(parent), m_tokenStore(std::move(tokenStore)), m_baseURL(std::move(baseURL)) {
  refresh();
}

void AccountSession::setFirstMacBootstrapOffered(bool offered) {
  if (m_firstMacBootstrapOffered == offered) return;
  m_firstMacBootstrapOffered = offered;
  emit changed();
}

void AccountSession::refresh() {
  const auto token = m_tokenStore->read();
  m_accountID = token ? RelayAuthTokenStore::userID(*token) : std::nullopt;
  m_signedIn = m_accountID.has_value();
  if (!m_signedIn) {
    m_identityState = IdentityState::signedOut;
    m_identity.reset();
  }
  emit changed();
}

void AccountSession::markSignedIn(std::int64_t accountID, const QString& name, const std::optional<QString>& email) {
  m_signedIn = true;
  m_accountID = accountID;
  m_identity = AccountIdentity{name, email};
  m_identityState = IdentityState::validated;
  emit changed();
  emit accountDidSignIn();
}

void AccountSession::markSignedOut() {
  m_signedIn = false;
  m_accountID.reset();
  m_identity.reset();
  m_identityState = IdentityState::signedOut;
  emit changed();
  emit accountDidSignIn();
}

QCoro::Task<void> AccountSession::validateStoredIdentity() {
  if (!m_tokenStore->read()) co_return;
  QPointer<AccountSession> self(this);
  m_identityState = IdentityState::checking;
  m_validating = true;
  emit changed();
  RelayClient client(m_baseURL(), RelayClient::Credential::keychain(), m_tokenStore);
  std::optional<RelayAccount> account;
  try {
    account = co_await client.me();
  } catch (const std::exception&) {
  }
  if (!self) co_return;
  m_validating = false;
  if (account) {
    m_identity = AccountIdentity{account->displayName, account->email};
    m_identityState = IdentityState::validated;
  } else {
    m_identityState = m_identity ? IdentityState::validated : IdentityState::signedOut;
  }
  emit changed();
}

}  // namespace vesket::relay
