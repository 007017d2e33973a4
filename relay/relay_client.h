#pragma once

// The application's one client of the relay's HTTPS API. Every relay call is built
// (`authed`), sent (`performRequest`, with the one re-enrolment a device that is not
// approved gets) and checked (`assertOK`) here; every failure is a RelayError, or a
// RelayTransportError when no HTTP answer came at all. Cheap to create: one per use.

#include <QByteArray>
#include <QList>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QString>
#include <QUrl>

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include <nlohmann/json.hpp>
#include <qcoro/qcorotask.h>

#include "relay/core/device_approval_rules.h"
#include "relay/core/pair_flow.h"
#include "relay/core/relay_error.h"
#include "relay/relay_credentials.h"

class QNetworkAccessManager;

namespace vesket::relay {

class DeviceEnrollment;
struct EnrollmentWireResult;

// A request that never reached an HTTP answer (refused, unreachable, timed out, TLS).
class RelayTransportError : public std::runtime_error {
 public:
  explicit RelayTransportError(const QString& what) : std::runtime_error(what.toStdString()) {}
};

// This device's approval state as the relay reports it.
struct RelayDeviceApproval {
  QString status;  // "approved", "pending", "denied", ...
  std::optional<QString> requestId;
  std::optional<QString> fingerprint;
  std::optional<double> deniedUntil;
  std::optional<QString> approverReadiness;
  std::optional<QString> pairingMode;  // "bootstrap", "phone_qr", ...
  std::optional<double> expiresAt;

  static RelayDeviceApproval fromJSON(const nlohmann::json& json);
};

// A pairing already claimed by this account, collected with the QR status call.
struct RelayPairInit {
  QString token;
  QString expiresAt;
};

// A short code another machine types to join this account.
struct RelayPairCode {
  QString code;
  QString expiresAt;
};

struct RelayDaemonIdentity {
  std::int64_t userID = 0;
  std::optional<std::int64_t> daemonID;
  bool revoked = false;
};

// The account already has machines: this one must be added from a trusted device, or
// replace one of the candidates.
class RelayMacReplacementRequired : public std::runtime_error {
 public:
  explicit RelayMacReplacementRequired(std::vector<RelayMacRecoveryCandidate> candidates)
      : std::runtime_error("phone_pairing_required"), candidates(std::move(candidates)) {}
  std::vector<RelayMacRecoveryCandidate> candidates;
};

// The QR status: claimed, with the daemon token the first time it is collected.
struct RelayPairQRStatus {
  bool claimed = false;
  std::optional<QString> daemonToken;
};

struct RelayAccount {
  std::int64_t id = 0;
  QString displayName;
  std::optional<QString> email;
  std::optional<RelayDeviceApproval> deviceApproval;
};

// The shared HTTP session of the main thread (owned by the application object).
QNetworkAccessManager* relayNetworkSession();

class RelayClient {
 public:
  // How requests authenticate: a fixed bearer (a session proven by the daemon's token), or
  // the account token store, read again for every request.
  struct Credential {
    enum class Kind { token, keychain };
    Kind kind = Kind::keychain;
    QString token;
    static Credential fixed(QString token) { return {Kind::token, std::move(token)}; }
    static Credential keychain() { return {}; }
  };

  // A built request: the HTTP request, its method and body.
  struct Request {
    QNetworkRequest request;
    QByteArray method;
    QByteArray body;
  };
  // An HTTP answer (status -1 never reaches the caller: that is a RelayTransportError).
  struct Response {
    int status = -1;
    QByteArray body;
    QList<QNetworkReply::RawHeaderPair> headers;
  };

  explicit RelayClient(QUrl baseURL, Credential credential = Credential::keychain(),
                       std::shared_ptr<RelayUserTokenStore> tokenStore = nullptr,
                       std::shared_ptr<RelayDeviceIDStore> deviceIDStore = nullptr,
                       QNetworkAccessManager* session = nullptr, DeviceEnrollment* enrollment = nullptr);

  const QUrl& baseURL() const { return m_baseURL; }
  const Credential& credential() const { return m_credential; }
  RelayUserTokenStore& tokenStore() const { return *m_tokenStore; }
  std::optional<QString> bearer() const;
  bool isAuthenticated() const { return bearer().has_value(); }
  static QString stableDeviceID();
  // The device id this client enrols under.
  QString deviceID() const { return m_deviceIDStore->deviceID(); }

  // `path` may carry an already-encoded query after "?", kept byte for byte.
  Request authed(const QString& path, const QByteArray& method, const std::optional<nlohmann::json>& body = {}) const;
  QCoro::Task<Response> performRequest(Request request, bool retried = false);
  // Throws the RelayError of an answer that is not a success.
  static void assertOK(const Response& response);
  // authed + performRequest + assertOK; the body parsed as JSON (null when empty).
  QCoro::Task<nlohmann::json> call(QString path, QByteArray method, std::optional<nlohmann::json> body = {});

  // Account calls. The sign-in calls save the returned token in the token store.
  QCoro::Task<RelayAccount> login(QString username, QString password);
  QCoro::Task<RelayAccount> registerPublic(QString email, QString password, QString confirmPassword);
  QCoro::Task<RelayAccount> signInWithGoogle(QString idToken);
  QCoro::Task<RelayAccount> signInWithApple(QString identityToken, std::optional<QString> appleUserId,
                                            std::optional<QString> email, std::optional<QString> fullName);
  QCoro::Task<RelayAccount> me();
  // Forgets the account token; the relay is not told.
  void logout();

  // Enrols this device under its stable id and saves the device-bound token the relay
  // returns; gives the approval state. With `reuseRecentPending` a pending answer still in
  // its back-off window is given without asking the relay; callers enrolling at once with
  // the same relay, device and bearer share one request; while the relay's retry time has
  // not passed it fails at once with a 429 RelayError naming the seconds.
  QCoro::Task<RelayDeviceApproval> enrollCurrentDevice(bool reuseRecentPending);

  // Device approval (relay_client_devices.cpp).
  QCoro::Task<RelayDeviceApproval> currentDeviceApproval();
  QCoro::Task<void> requestDeviceRecovery();
  // The time (seconds since 1970) after which the recovery may be completed.
  QCoro::Task<double> confirmDeviceRecovery(std::int64_t code);
  QCoro::Task<void> completeDeviceRecovery();
  QCoro::Task<std::vector<DeviceApprovalPendingRequest>> fetchPendingDeviceApprovals();
  // Classified, not thrown: only a transport failure throws.
  QCoro::Task<DeviceApprovalActionResult> approveDeviceRequest(QString requestId);
  QCoro::Task<DeviceApprovalActionResult> denyDeviceRequest(QString requestId);
  QCoro::Task<std::vector<UserDevice>> fetchUserDevices();
  QCoro::Task<void> revokeDevice(QString deviceId);

  // Pairing. pairInit throws RelayMacReplacementRequired when the account has other machines.
  QCoro::Task<RelayPairInit> pairInit(QString machineUUID, QString machineName);
  // The new daemon token.
  QCoro::Task<QString> replaceMac(std::int64_t oldDaemonID, QString machineUUID, std::optional<QString> machineName,
                                  std::optional<QString> password);
  QCoro::Task<RelayPairCode> pairCodeInit();
  QCoro::Task<RelayDaemonIdentity> daemonIdentity();
  QCoro::Task<std::vector<RelayDaemon>> fetchDaemons();
  // The QR calls need no account: plain JSON requests on the base URL (15 s and 5 s).
  QCoro::Task<QRTokenSnapshot> pairQRInit(QString machineUUID, QString machineName, bool agentCLIFound,
                                          bool tmuxInstalled);
  QCoro::Task<RelayPairQRStatus> pairQRStatus(QString token);

 private:
  QCoro::Task<Response> send(const Request& request);
  QCoro::Task<RelayAccount> completeAuth(QString path, nlohmann::json body);
  QCoro::Task<EnrollmentWireResult> performEnrollment(QString deviceID);
  DeviceEnrollment& enrollment() const;

  QUrl m_baseURL;
  Credential m_credential;
  std::shared_ptr<RelayUserTokenStore> m_tokenStore;
  std::shared_ptr<RelayDeviceIDStore> m_deviceIDStore;
  QNetworkAccessManager* m_session;
  DeviceEnrollment* m_enrollment;
};

}  // namespace vesket::relay
