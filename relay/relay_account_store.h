#pragma once

// The account screen's state: signing in (username or e-mail and password), registering,
// restoring a stored session at start, the session's expiry and signing out. Failures
// become one sentence in the user's language, with the action that helps where the error
// explainer knows one.

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

#include <qcoro/qcorotask.h>

#include "relay/core/relay_error_explainer.h"
#include "relay/relay_client.h"

namespace vesket::control_plane {
class ControlPlaneClient;
}

namespace vesket::relay {

class AccountSession;
class DeviceEnrollment;

struct AuthState {
  enum class Kind { loggedOut, checkingStoredSession, authenticating, authenticated, failed, needsPhonePairing };
  Kind kind = Kind::loggedOut;
  QString name;                  // authenticated
  std::optional<QString> email;  // authenticated
  QString failure;               // failed: the sentence to show
  std::optional<RelayErrorAction> action;  // failed: the button that helps, if any
  bool sessionExpired = false;             // failed because the stored session ended

  static AuthState failed(QString text, std::optional<RelayErrorAction> action = std::nullopt) {
    AuthState state;
    state.kind = Kind::failed;
    state.failure = std::move(text);
    state.action = action;
    return state;
  }
};

class RelayAccountStore : public QObject {
  Q_OBJECT

 public:
  struct Dependencies {
    std::function<QUrl()> baseURL;  // the current relay endpoint
    RelayClient::Credential credential = RelayClient::Credential::keychain();
    std::shared_ptr<RelayUserTokenStore> tokenStore;      // the token file when null
    std::shared_ptr<RelayDeviceIDStore> deviceIDStore;    // the stable device id when null
    AccountSession* session = nullptr;                    // required
    std::function<bool()> thisMacIsRegistered;            // a daemon token exists when empty
    DeviceEnrollment* enrollment = nullptr;               // the process's when null
    // The local daemon that vouches for this device; the product home's when empty.
    std::function<std::shared_ptr<control_plane::ControlPlaneClient>()> localDaemon;
  };

  explicit RelayAccountStore(Dependencies dependencies, QObject* parent = nullptr);

  const AuthState& auth() const { return m_auth; }
  bool isProofSession() const { return m_dependencies.credential.kind == RelayClient::Credential::Kind::token; }
  bool isRestoringStoredSession() const { return m_restoring; }
  bool recheckRequested() const { return m_recheckRequested; }
  QUrl baseURL() const { return m_dependencies.baseURL(); }

  QCoro::Task<void> restoreStoredSession();
  QCoro::Task<void> login(QString username, QString password);
  QCoro::Task<void> registerAccount(QString email, QString password, QString confirm);
  // With a token from the provider these sign in through the relay. Without one (no
  // provider flow on this machine) the relay is asked all the same: one that lacks the
  // provider answers so and that answer is shown, else the missing set-up here is named.
  QCoro::Task<void> signInWithGoogle(std::optional<QString> idToken);
  QCoro::Task<void> signInWithApple(std::optional<QString> identityToken);
  void sessionExpired();
  void logout();
  void clearFailure();
  QCoro::Task<void> recheckAfterLocalPairing();
  // A client of the current relay with this store's credentials.
  RelayClient client() const { return makeClient(); }
  const std::function<std::shared_ptr<control_plane::ControlPlaneClient>()>& localDaemon() const {
    return m_dependencies.localDaemon;
  }

 signals:
  void authChanged();

 private:
  using AccountCall = std::function<QCoro::Task<RelayAccount>(RelayClient&)>;
  using Refusal = std::function<AuthState(const RelayError&)>;

  RelayClient makeClient() const;
  // The sign-in every way shares: authenticating, `call` on a fresh client, the relay's
  // refusal through `refused`, an unreachable relay, then finishSignIn.
  QCoro::Task<void> signIn(AccountCall call, Refusal refused);
  Refusal providerRefusal(bool haveToken, QString notSetUpHere);
  QCoro::Task<void> finishSignIn(RelayAccount account, bool automatic);
  void setAuth(AuthState state);
  AuthState failureFor(const RelayError& error) const;
  AuthState transportFailure() const;
  bool thisMacIsRegistered() const;
  std::optional<QString> storedToken() const;

  Dependencies m_dependencies;
  AuthState m_auth;
  bool m_restoring = false;
  bool m_recheckRequested = false;
};

}  // namespace vesket::relay
