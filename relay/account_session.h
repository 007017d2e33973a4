#pragma once

// Whether this application is signed in to a relay account, for every view that cares.
// Signed in means a stored account token with a user id; the identity (name, e-mail) is
// validated with the relay when asked. Every sign-in and sign-out emits accountDidSignIn
// ("vesket.accountDidSignIn").

#include <QObject>
#include <QString>
#include <QUrl>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include <qcoro/qcorotask.h>

namespace vesket::relay {

class RelayUserTokenStore;

struct AccountIdentity {
  QString name;
  std::optional<QString> email;
};

class AccountSession : public QObject {
  Q_OBJECT

 public:
  enum class IdentityState { validated, signedOut, checking };

  AccountSession(std::shared_ptr<RelayUserTokenStore> tokenStore, std::function<QUrl()> baseURL,
                 QObject* parent = nullptr);

  bool isSignedIn() const { return m_signedIn; }
  std::optional<std::int64_t> accountID() const { return m_accountID; }
  IdentityState identityState() const { return m_identityState; }
  const std::optional<AccountIdentity>& identity() const { return m_identity; }
  bool isValidatingIdentity() const { return m_validating; }
  bool firstMacBootstrapOffered() const { return m_firstMacBootstrapOffered; }
  void setFirstMacBootstrapOffered(bool offered);

  // Signed in exactly when the stored token carries a user id.
  void refresh();
  void markSignedIn(std::int64_t accountID, const QString& name, const std::optional<QString>& email);
  void markSignedOut();
  // Asks the relay who the stored token belongs to.
  QCoro::Task<void> validateStoredIdentity();

 signals:
  void changed();
  void accountDidSignIn();

 private:
  std::shared_ptr<RelayUserTokenStore> m_tokenStore;
  std::function<QUrl()> m_baseURL;
  bool m_signedIn = false;
  std::optional<std::int64_t> m_accountID;
  IdentityState m_identityState = IdentityState::signedOut;
  std::optional<AccountIdentity> m_identity;
  bool m_validating = false;
  bool m_firstMacBootstrapOffered = false;
};

}  // namespace vesket::relay
