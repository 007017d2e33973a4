#include "relay/relay_account_store.h"

#include <QPointer>

#include "relay/account_session.h"
#include "relay/core/account_registration_policy.h"
#include "relay/relay_credentials.h"
#include "relay/relay_error_presentation.h"

namespace vesket::relay {
namespace {

QString text(std::string_view key, const char* english, const QStringList& arguments = {}) {
  return localizedText(std::string(key), QString::fromUtf8(english), arguments);
}

QString registrationText(std::string_view key) {
  return localizedText(std::string(key), QString::fromUtf8(std::string(AccountRegistrationPolicy::englishText(key))));
}

}  // namespace

RelayAccountStore::RelayAccountStore(Dependencies dependencies, QObject* parent)
    : QObject(parent), m_dependencies(std::move(dependencies)) {
  if (!m_dependencies.tokenStore) m_dependencies.tokenStore = std::make_shared<FileRelayUserTokenStore>();
  if (!m_dependencies.deviceIDStore) m_dependencies.deviceIDStore = std::make_shared<KeychainRelayDeviceIDStore>();
  if (isProofSession()) {
    m_auth.kind = AuthState::Kind::authenticated;
    m_auth.name = QStringLiteral("daemon-token session");
  } else if (const auto token = storedToken(); token && RelayAuthTokenStore::userID(*token)) {
    m_auth.kind = AuthState::Kind::checkingStoredSession;
  }
}

RelayClient RelayAccountStore::makeClient() const {
  return RelayClient(m_dependencies.baseURL(), m_dependencies.credential, m_dependencies.tokenStore,
                     m_dependencies.deviceIDStore);
}

std::optional<QString> RelayAccountStore::storedToken() const { return m_dependencies.tokenStore->read(); }

bool RelayAccountStore::thisMacIsRegistered() const {
  if (m_dependencies.thisMacIsRegistered) return m_dependencies.thisMacIsRegistered();
  return DaemonTokenStore::read().has_value();
}

void RelayAccountStore::setAuth(AuthState state) {
  m_auth = std::move(state);
  emit authChanged();
}

AuthState RelayAccountStore::failureFor(const RelayError& error) const {
  if (const auto explanation = RelayErrorExplainer::explain(error.message, thisMacIsRegistered())) {
    const auto resolved = RelayErrorPresentation::resolve(*explanation);
    return AuthState::failed(resolved.message, resolved.action);
  }
  return AuthState::failed(QString::fromStdString(error.message));
}

AuthState RelayAccountStore::transportFailure() const {
  return AuthState::failed(text("macos.account_sign_in_page.relay_unreachable",
                                "Couldn't reach the relay at %1. Check your connection or the relay address, then "
                                "try again.",
                                {m_dependencies.baseURL().toString()}),
                           RelayErrorAction::tryAgain);
}

QCoro::Task<void> RelayAccountStore::restoreStoredSession() {
  if (m_auth.kind != AuthState::Kind::checkingStoredSession || m_restoring) co_return;
  QPointer<RelayAccountStore> self(this);
  m_restoring = true;
  const auto tokenBefore = storedToken();
  RelayClient client = makeClient();
  std::optional<RelayAccount> account;
  bool relayRefused = false;
  bool unreachable = false;
  try {
    account = co_await client.me();
  } catch (const RelayError&) {
    relayRefused = true;
  } catch (const RelayTransportError&) {
    unreachable = true;
  }
  if (!self) co_return;
  if (account && storedToken() == tokenBefore && m_auth.kind == AuthState::Kind::checkingStoredSession) {
    co_await finishSignIn(*account, true);
    if (!self) co_return;
  } else if (relayRefused && storedToken() == tokenBefore) {
    sessionExpired();
  } else if (unreachable && m_auth.kind == AuthState::Kind::checkingStoredSession) {
    // The relay did not answer: the session may well be valid, so the token is kept and a
    // later attempt (or restart) tries again.
    setAuth(transportFailure());
  }
  m_restoring = false;
  m_recheckRequested = false;
}

QCoro::Task<void> RelayAccountStore::login(QString username, QString password) {
  if (username.trimmed().isEmpty() || password.isEmpty()) {
    setAuth(AuthState::failed(
        text("macos.account_sign_in_page.enter_a_username_and_password", "Enter a username and password.")));
    co_return;
  }
  QPointer<RelayAccountStore> self(this);
  setAuth(AuthState{AuthState::Kind::authenticating});
  RelayClient client = makeClient();
  std::optional<RelayAccount> account;
  std::optional<AuthState> failure;
  try {
    account = co_await client.login(username.trimmed(), password);
  } catch (const RelayError& error) {
    failure = error.status == 401 ? AuthState::failed(text("macos.account_sign_in_page.wrong_username_or_password",
                                                           "Wrong username or password."))
                                  : failureFor(error);
  } catch (const RelayTransportError&) {
    failure = transportFailure();
  }
  if (!self) co_return;
  if (failure) {
    setAuth(*failure);
    co_return;
  }
  co_await finishSignIn(*account, false);
}

QCoro::Task<void> RelayAccountStore::registerAccount(QString email, QString password, QString confirm) {
  using namespace AccountRegistrationPolicy;
  if (const auto problem = registrationValidationError(email.toStdString(), password.toStdString(),
                                                       confirm.toStdString())) {
    setAuth(AuthState::failed(registrationText(*problem)));
    co_return;
  }
  QPointer<RelayAccountStore> self(this);
  setAuth(AuthState{AuthState::Kind::authenticating});
  RelayClient client = makeClient();
  std::optional<RelayAccount> account;
  std::optional<AuthState> failure;
  try {
    account = co_await client.registerPublic(email.trimmed(), password, confirm);
  } catch (const RelayError& error) {
    failure = AuthState::failed(registrationText(registrationErrorMessage(error.status, error.message)),
                                error.status == 429 ? std::optional(RelayErrorAction::tryAgain) : std::nullopt);
  } catch (const RelayTransportError&) {
    failure = transportFailure();
  }
  if (!self) co_return;
  if (failure) {
    setAuth(*failure);
    co_return;
  }
  co_await finishSignIn(*account, false);
}

QCoro::Task<void> RelayAccountStore::signInWithGoogle(std::optional<QString> idToken) {
  if (!idToken) {
    setAuth(AuthState::failed(text("macos.account_sign_in_page.google_not_set_up",
                                   "Google sign-in isn't set up on this Mac yet (needs the owner's Google OAuth "
                                   "client).")));
    co_return;
  }
  QPointer<RelayAccountStore> self(this);
  setAuth(AuthState{AuthState::Kind::authenticating});
  RelayClient client = makeClient();
  std::optional<RelayAccount> account;
  std::optional<AuthState> failure;
  try {
    account = co_await client.signInWithGoogle(*idToken);
  } catch (const RelayError& error) {
    failure = failureFor(error);
  } catch (const RelayTransportError&) {
    failure = transportFailure();
  }
  if (!self) co_return;
  if (failure) {
    setAuth(*failure);
    co_return;
  }
  co_await finishSignIn(*account, false);
}

QCoro::Task<void> RelayAccountStore::signInWithApple(std::optional<QString> identityToken) {
  if (!identityToken) {
    setAuth(AuthState::failed(text("macos.account_sign_in_page.apple_not_set_up",
                                   "Apple sign-in isn't set up on this Mac yet (needs the owner's Services ID).")));
    co_return;
  }
  QPointer<RelayAccountStore> self(this);
  setAuth(AuthState{AuthState::Kind::authenticating});
  RelayClient client = makeClient();
  std::optional<RelayAccount> account;
  std::optional<AuthState> failure;
  try {
    account = co_await client.signInWithApple(*identityToken, std::nullopt, std::nullopt, std::nullopt);
  } catch (const RelayError& error) {
    failure = failureFor(error);
  } catch (const RelayTransportError&) {
    failure = transportFailure();
  }
  if (!self) co_return;
  if (failure) {
    setAuth(*failure);
    co_return;
  }
  co_await finishSignIn(*account, false);
}

QCoro::Task<void> RelayAccountStore::finishSignIn(RelayAccount account, bool automatic) {
  QPointer<RelayAccountStore> self(this);
  RelayClient client = makeClient();
  std::optional<RelayDeviceApproval> approval;
  std::optional<AuthState> failure;
  const QString prefix = text("macos.account_sign_in_page.couldn_t_enroll_prefix", "Couldn't enroll this Mac. ");
  try {
    approval = co_await client.enrollCurrentDevice(automatic);
  } catch (const RelayError& error) {
    const auto explained = failureFor(error);
    failure = AuthState::failed(prefix + explained.failure, explained.action);
  } catch (const RelayTransportError&) {
    failure = transportFailure();
  }
  if (!self) co_return;
  if (failure) {
    setAuth(*failure);
    co_return;
  }
  AccountSession& session = *m_dependencies.session;
  session.setFirstMacBootstrapOffered(approval->pairingMode == QStringLiteral("bootstrap"));
  if (approval->status == QStringLiteral("pending") && approval->pairingMode == QStringLiteral("phone_qr")) {
    setAuth(AuthState{AuthState::Kind::needsPhonePairing});
    co_return;
  }
  if (approval->status == QStringLiteral("approved")) {
    session.markSignedIn(account.id, account.displayName, account.email);
    AuthState state{AuthState::Kind::authenticated};
    state.name = account.displayName;
    state.email = account.email;
    setAuth(state);
    co_return;
  }
  // Waiting for this Mac's own daemon to vouch for it needs the device approval flow; until
  // it approves, the relay answers the account's calls with device_not_approved.
  session.markSignedIn(account.id, account.displayName, account.email);
  const auto explanation = RelayErrorExplainer::explain("device_not_approved", thisMacIsRegistered());
  const auto resolved = RelayErrorPresentation::resolve(*explanation);
  setAuth(AuthState::failed(prefix + resolved.message, resolved.action));
}

void RelayAccountStore::sessionExpired() {
  makeClient().logout();
  m_dependencies.session->markSignedOut();
  AuthState state = AuthState::failed(
      text("macos.account_sign_in_page.session_expired", "Session expired — please sign in again."),
      RelayErrorAction::signIn);
  state.sessionExpired = true;
  setAuth(state);
}

void RelayAccountStore::logout() {
  makeClient().logout();
  setAuth(AuthState{AuthState::Kind::loggedOut});
  m_dependencies.session->markSignedOut();
}

void RelayAccountStore::clearFailure() {
  if (m_auth.kind == AuthState::Kind::failed) setAuth(AuthState{AuthState::Kind::loggedOut});
}

QCoro::Task<void> RelayAccountStore::recheckAfterLocalPairing() {
  const auto token = storedToken();
  if (!token || !RelayAuthTokenStore::userID(*token)) co_return;
  m_recheckRequested = true;
  setAuth(AuthState{AuthState::Kind::checkingStoredSession});
  co_await restoreStoredSession();
}

}  // namespace vesket::relay
