#include "relay/relay_account_store.h"

#include <QPointer>

#include "relay/account_session.h"
#include "relay/core/account_registration_policy.h"
#include "relay/core/enrollment_backoff.h"
#include "relay/device_enrollment.h"
#include "relay/device_self_vouch.h"
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
  if (!m_dependencies.enrollment) m_dependencies.enrollment = &DeviceEnrollment::shared();
  if (isProofSession()) {
    m_auth.kind = AuthState::Kind::authenticated;
    m_auth.name = QStringLiteral("daemon-token session");
  } else if (const auto token = storedToken(); token && RelayAuthTokenStore::userID(*token)) {
    m_auth.kind = AuthState::Kind::checkingStoredSession;
  }
}

RelayClient RelayAccountStore::makeClient() const {
  return RelayClient(m_dependencies.baseURL(), m_dependencies.credential, m_dependencies.tokenStore,
                     m_dependencies.deviceIDStore, nullptr, m_dependencies.enrollment);
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

QCoro::Task<void> RelayAccountStore::signIn(AccountCall call, Refusal refused) {
  QPointer<RelayAccountStore> self(this);
  setAuth(AuthState{AuthState::Kind::authenticating});
  RelayClient client = makeClient();
  std::optional<RelayAccount> account;
  std::optional<RelayError> refusal;
  bool unreachable = false;
  try {
    QCoro::Task<RelayAccount> answer = call(client);
    account = co_await std::move(answer);
  } catch (const RelayError& error) {
    refusal = error;
  } catch (const RelayTransportError&) {
    unreachable = true;
  }
  if (!self) co_return;
  if (refusal || unreachable) {
    setAuth(refusal ? refused(*refusal) : transportFailure());
    co_return;
  }
  QCoro::Task<void> finishing = finishSignIn(*account, false);
  co_await std::move(finishing);
}

QCoro::Task<void> RelayAccountStore::login(QString username, QString password) {
  if (username.trimmed().isEmpty() || password.isEmpty()) {
    setAuth(AuthState::failed(
        text("macos.account_sign_in_page.enter_a_username_and_password", "Enter a username and password.")));
    co_return;
  }
  AccountCall call = [username = username.trimmed(), password](RelayClient& client) {
    return client.login(username, password);
  };
  Refusal refused = [this](const RelayError& error) {
    return error.status == 401 ? AuthState::failed(text("macos.account_sign_in_page.wrong_username_or_password",
                                                        "Wrong username or password."))
                               : failureFor(error);
  };
  QCoro::Task<void> signingIn = signIn(std::move(call), std::move(refused));
  co_await std::move(signingIn);
}

QCoro::Task<void> RelayAccountStore::registerAccount(QString email, QString password, QString confirm) {
  using namespace AccountRegistrationPolicy;
  if (const auto problem = registrationValidationError(email.toStdString(), password.toStdString(),
                                                       confirm.toStdString())) {
    setAuth(AuthState::failed(registrationText(*problem)));
    co_return;
  }
  AccountCall call = [email = email.trimmed(), password, confirm](RelayClient& client) {
    return client.registerPublic(email, password, confirm);
  };
  Refusal refused = [](const RelayError& error) {
    return AuthState::failed(registrationText(registrationErrorMessage(error.status, error.message)),
                             error.status == 429 ? std::optional(RelayErrorAction::tryAgain) : std::nullopt);
  };
  QCoro::Task<void> signingIn = signIn(std::move(call), std::move(refused));
  co_await std::move(signingIn);
}

RelayAccountStore::Refusal RelayAccountStore::providerRefusal(bool haveToken, QString notSetUpHere) {
  return [this, haveToken, notSetUpHere](const RelayError& error) {
    // Asked without a provider token: a relay without the provider says so (501); any other
    // answer means the relay has it and this machine cannot obtain a token.
    if (!haveToken && error.status != 501) return AuthState::failed(notSetUpHere);
    return failureFor(error);
  };
}

QCoro::Task<void> RelayAccountStore::signInWithGoogle(std::optional<QString> idToken) {
  AccountCall call = [token = idToken.value_or(QString())](RelayClient& client) {
    return client.signInWithGoogle(token);
  };
  Refusal refused = providerRefusal(idToken.has_value(),
                                    text("macos.account_sign_in_page.google_not_set_up",
                                         "Google sign-in isn't set up on this Mac yet (needs the owner's Google OAuth "
                                         "client)."));
  QCoro::Task<void> signingIn = signIn(std::move(call), std::move(refused));
  co_await std::move(signingIn);
}

QCoro::Task<void> RelayAccountStore::signInWithApple(std::optional<QString> identityToken) {
  AccountCall call = [token = identityToken.value_or(QString())](RelayClient& client) {
    return client.signInWithApple(token, std::nullopt, std::nullopt, std::nullopt);
  };
  Refusal refused = providerRefusal(identityToken.has_value(),
                                    text("macos.account_sign_in_page.apple_not_set_up",
                                         "Apple sign-in isn't set up on this Mac yet (needs the owner's Services ID)."));
  QCoro::Task<void> signingIn = signIn(std::move(call), std::move(refused));
  co_await std::move(signingIn);
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
    if (const auto seconds = EnrollmentRetryGate::secondsIn(error.message); error.status == 429 && seconds) {
      failure = AuthState::failed(prefix + text("macos.account_sign_in_page.too_many_device_enrollment_attempts",
                                                "Too many device enrollment attempts. Try again in %1 seconds.",
                                                {QString::number(*seconds)}));
    } else {
      const auto explained = failureFor(error);
      failure = AuthState::failed(prefix + explained.failure, explained.action);
    }
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
  // Pending: this machine's own daemon may vouch for it.
  session.markSignedIn(account.id, account.displayName, account.email);
  if (approval->requestId && thisMacIsRegistered()) {
    DeviceSelfVouch vouch({m_dependencies.localDaemon, [this] { return makeClient(); },
                           [this] { return thisMacIsRegistered(); }});
    const bool vouched = co_await vouch.waitForLocalDaemonVouch(*approval->requestId, account.id);
    if (!self) co_return;
    if (vouched) {
      AuthState state{AuthState::Kind::authenticated};
      state.name = account.displayName;
      state.email = account.email;
      setAuth(state);
      co_return;
    }
  }
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
  m_dependencies.enrollment->backoff().reset();
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
