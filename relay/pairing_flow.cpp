#include "relay/pairing_flow.h"

#include <QDateTime>
#include <QFile>
#include <QPointer>
#include <QStandardPaths>
#include <QSysInfo>

#include <qcoro/qcorotimer.h>

#include "control_plane/control_plane_client.h"
#include "relay/core/enrollment_backoff.h"
#include "relay/relay_credentials.h"
#include "relay/relay_error_presentation.h"

namespace vesket::relay {
namespace {

double nowSeconds() { return static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0; }

QString qrErrorText(int status, std::optional<int> retryAfter) {
  const auto key = std::string(PairQRError::keyFor(status));
  if (key == PairQRError::rateLimited) {
    return localizedText(key, "Too many pairing codes were requested. Try again in %1 seconds.",
                         {QString::number(retryAfter.value_or(60))});
  }
  if (key == PairQRError::network) {
    return localizedText(key, "The relay could not be reached. Check the connection and try again.");
  }
  return localizedText(key, "The relay could not create a pairing code. Try again in a moment.");
}

QString notSavedText() {
  return localizedText("macos.pairing_window.daemon_could_not_save",
                       "The phone paired this Mac, but its local daemon could not save the pairing. Check the Mac "
                       "error and retry.");
}

}  // namespace

PairQRFlow::PairQRFlow(Dependencies dependencies, QObject* parent)
    : QObject(parent), m_dependencies(std::move(dependencies)) {
  if (!m_dependencies.daemon) {
    m_dependencies.daemon = [] { return control_plane::ControlPlaneClient::createDefault(10.0); };
  }
  if (m_dependencies.machineUUID.isEmpty()) m_dependencies.machineUUID = machineIdentity();
  if (m_dependencies.machineName.isEmpty()) m_dependencies.machineName = QSysInfo::machineHostName();
  m_countdown.setInterval(1000);
  connect(&m_countdown, &QTimer::timeout, this, &PairQRFlow::onTick);
  updateSteps();
}

PairQRFlow::~PairQRFlow() { ++m_generation; }

QString PairQRFlow::machineIdentity() {
  QFile file(QStringLiteral("/etc/machine-id"));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromLatin1(file.read(256).trimmed());
}

std::optional<QRTokenSnapshot>& PairQRFlow::tokenCache() {
  static std::optional<QRTokenSnapshot> cache;
  return cache;
}

std::int64_t PairQRFlow::secondsLeft() const {
  return m_token ? PairFlowFormat::secondsLeft(m_token->expiresAt, nowSeconds()) : 0;
}

void PairQRFlow::setPhase(Phase phase, QString message) {
  m_phase = phase;
  m_message = std::move(message);
  if (phase != Phase::ready) m_countdown.stop();
  updateSteps();
  emit changed();
}

void PairQRFlow::updateSteps() {
  m_snapshot.pairingClaimed = m_snapshot.pairingClaimed || m_phase == Phase::paired;
  m_snapshot.pairingFailed = m_phase == Phase::expired || m_phase == Phase::failed;
  m_snapshot.automationGranted = true;
  m_snapshot.accessibilityGranted = true;
  m_steps = PairFlow::evaluate(m_snapshot);
}

void PairQRFlow::onTick() {
  if (m_phase == Phase::ready && secondsLeft() <= 0) {
    ++m_generation;
    setPhase(Phase::expired);
  }
  if (++m_ticksSinceChecklist, PairChecklistPollBackoff::shouldRefresh(m_ticksSinceChecklist, PairFlow::allGreen(m_steps),
                                                                       m_snapshot.isActivelyServing)) {
    refreshChecklist();
  }
  emit tick();
}

void PairQRFlow::cancel() {
  ++m_generation;
  m_countdown.stop();
}

QCoro::Task<void> PairQRFlow::start() {
  QPointer<PairQRFlow> self(this);
  const int generation = ++m_generation;
  m_candidates.clear();
  auto& cache = tokenCache();
  if (cache && cache->usable(nowSeconds())) {
    m_token = cache;
  } else {
    if (m_dependencies.machineUUID.isEmpty()) {
      setPhase(Phase::failed, localizedText("macos.pairing_window.identity_unavailable",
                                            "This machine's identity (/etc/machine-id) is unavailable. Finish "
                                            "booting, then try again."));
      co_return;
    }
    setPhase(Phase::loading);
    std::optional<QString> failure;
    try {
      RelayClient client(m_dependencies.baseURL(), RelayClient::Credential::fixed(QString()));
      const bool tmux = !QStandardPaths::findExecutable(QStringLiteral("tmux")).isEmpty();
      const bool agent = !QStandardPaths::findExecutable(QStringLiteral("claude")).isEmpty() ||
                         !QStandardPaths::findExecutable(QStringLiteral("codex")).isEmpty();
      QCoro::Task<QRTokenSnapshot> init = client.pairQRInit(m_dependencies.machineUUID, m_dependencies.machineName, agent, tmux);
      cache = co_await std::move(init);
    } catch (const RelayError& error) {
      failure = error.status == -1 ? QString::fromStdString(error.message)
                                   : qrErrorText(error.status, EnrollmentRetryGate::secondsIn(error.message));
    } catch (const std::exception&) {
      failure = qrErrorText(0, std::nullopt);
    }
    if (!self || generation != m_generation) co_return;
    if (failure) {
      setPhase(Phase::failed, *failure);
      co_return;
    }
    m_token = cache;
  }
  setPhase(Phase::ready);
  m_countdown.start();
  co_await poll(generation, QString::fromStdString(m_token->token));
}

QCoro::Task<void> PairQRFlow::poll(int generation, QString token) {
  QPointer<PairQRFlow> self(this);
  while (self && generation == m_generation && m_phase == Phase::ready) {
    std::optional<RelayPairQRStatus> status;
    bool gone = false;
    try {
      RelayClient client(m_dependencies.baseURL(), RelayClient::Credential::fixed(QString()));
      status = co_await client.pairQRStatus(token);
    } catch (const RelayError& error) {
      gone = error.status == 410 || error.status == 404;
    } catch (const std::exception&) {
      // A missed poll; the next one tries again.
    }
    if (!self || generation != m_generation) co_return;
    if (gone) {
      if (tokenCache()) tokenCache()->consumed = true;
      setPhase(Phase::expired);
      co_return;
    }
    if (status && status->claimed) {
      if (tokenCache() && tokenCache()->token == token.toStdString()) tokenCache()->consumed = true;
      if (!status->daemonToken) {
        setPhase(Phase::failed, notSavedText());
        co_return;
      }
      co_await finishWith(*status->daemonToken);
      co_return;
    }
    co_await QCoro::sleepFor(std::chrono::milliseconds(m_dependencies.pollIntervalMs));
  }
}

QCoro::Task<bool> PairQRFlow::saveWithDaemon(QString daemonToken) {
  QPointer<PairQRFlow> self(this);
  std::shared_ptr<control_plane::ControlPlaneClient> daemon = m_dependencies.daemon();
  nlohmann::json args{{"relayUrl", m_dependencies.baseURL().toString().toStdString()},
                      {"daemonToken", daemonToken.toStdString()}};
  try {
    auto saving = daemon->request<nlohmann::json>(control_plane::CommandName::relayPair, std::move(args));
    co_await std::move(saving);
  } catch (const std::exception& error) {
    qWarning().noquote() << "pairing: the daemon did not save the pairing:" << error.what();
    co_return false;
  }
  if (!self) co_return true;
  m_snapshot.pairingClaimed = true;
  if (m_dependencies.afterPairing) m_dependencies.afterPairing();
  co_await refreshChecklist();
  co_return true;
}

QCoro::Task<void> PairQRFlow::finishWith(QString daemonToken) {
  QPointer<PairQRFlow> self(this);
  const bool saved = co_await saveWithDaemon(std::move(daemonToken));
  if (!self) co_return;
  setPhase(saved ? Phase::paired : Phase::failed, saved ? QString() : notSavedText());
}

QCoro::Task<void> PairQRFlow::pairWithAccount(RelayClient client) {
  QPointer<PairQRFlow> self(this);
  const int generation = ++m_generation;
  setPhase(Phase::loading);
  std::optional<RelayPairInit> init;
  try {
    QCoro::Task<RelayPairInit> asking = client.pairInit(m_dependencies.machineUUID, m_dependencies.machineName);
    init = co_await std::move(asking);
  } catch (const RelayMacReplacementRequired& required) {
    if (!self) co_return;
    m_candidates = required.candidates;
    setPhase(Phase::replacementRequired);
    co_return;
  } catch (const std::exception& error) {
    if (!self) co_return;
    setPhase(Phase::failed, relayFailureText(error, false));
    co_return;
  }
  if (!self || generation != m_generation) co_return;
  // The pairing is claimed already: the QR status hands out its daemon token.
  m_token = QRTokenSnapshot{init->token.toStdString(), {}, {}, nowSeconds() + 300, false};
  setPhase(Phase::ready);
  co_await poll(generation, init->token);
}

QCoro::Task<void> PairQRFlow::replace(RelayClient client, std::int64_t oldDaemonID, std::optional<QString> password) {
  QPointer<PairQRFlow> self(this);
  ++m_generation;
  setPhase(Phase::loading);
  std::optional<QString> daemonToken;
  QString failure;
  try {
    QCoro::Task<QString> replacing =
        client.replaceMac(oldDaemonID, m_dependencies.machineUUID, m_dependencies.machineName, password);
    daemonToken = co_await std::move(replacing);
  } catch (const std::exception& error) {
    failure = relayFailureText(error, false);
  }
  if (!self) co_return;
  if (!daemonToken) {
    setPhase(Phase::replacementRequired, failure);
    co_return;
  }
  co_await finishWith(*daemonToken);
}

QCoro::Task<void> PairQRFlow::pairWithCode(QString code) {
  QPointer<PairQRFlow> self(this);
  ++m_generation;
  setPhase(Phase::loading);
  nlohmann::json body{{"short_code", code.trimmed().toStdString()},
                      {"machine_uuid", m_dependencies.machineUUID.toStdString()},
                      {"machine_name", m_dependencies.machineName.left(200).toStdString()}};
  std::optional<QString> daemonToken;
  QString failure;
  try {
    RelayClient client(m_dependencies.baseURL(), RelayClient::Credential::fixed(QString()));
    QCoro::Task<nlohmann::json> claiming = client.call(QStringLiteral("/api/daemons/pair-code-claim"), "POST", body);
    const nlohmann::json answer = co_await std::move(claiming);
    if (answer.is_object() && answer.contains("daemon_token") && answer["daemon_token"].is_string()) {
      daemonToken = QString::fromStdString(answer["daemon_token"].get<std::string>());
    } else {
      failure = QStringLiteral("the relay's answer has no daemon token");
    }
  } catch (const std::exception& error) {
    failure = relayFailureText(error, false);
  }
  if (!self) co_return;
  if (!daemonToken) {
    setPhase(Phase::failed, failure);
    co_return;
  }
  co_await finishWith(*daemonToken);
}

QCoro::Task<void> PairQRFlow::refreshChecklist() {
  if (m_checking) co_return;
  QPointer<PairQRFlow> self(this);
  m_checking = true;
  m_ticksSinceChecklist = 0;
  std::optional<control_plane::LocalRelayStatus> status;
  try {
    std::shared_ptr<control_plane::ControlPlaneClient> daemon = m_dependencies.daemon();
    status = co_await daemon->relayStatus();
  } catch (const std::exception&) {
  }
  if (!self) co_return;
  m_checking = false;
  m_snapshot.daemonRunning = status.has_value();
  m_snapshot.hasTmux = !QStandardPaths::findExecutable(QStringLiteral("tmux")).isEmpty();
  m_snapshot.hasAgentBinary = !QStandardPaths::findExecutable(QStringLiteral("claude")).isEmpty();
  m_snapshot.isActivelyServing = status && status->connected;
  if (status && status->userId) m_snapshot.pairingClaimed = true;
  updateSteps();
  emit changed();
}

MyMachinesStore::MyMachinesStore(Dependencies dependencies, QObject* parent)
    : QObject(parent), m_dependencies(std::move(dependencies)) {
  if (!m_dependencies.localDaemonToken) m_dependencies.localDaemonToken = [] { return DaemonTokenStore::read(); };
  if (m_dependencies.localHostName.isEmpty()) m_dependencies.localHostName = QSysInfo::machineHostName();
}

QCoro::Task<void> MyMachinesStore::load() {
  QPointer<MyMachinesStore> self(this);
  m_state = LoadState::loading;
  emit changed();
  std::optional<std::int64_t> thisDaemon;
  if (const auto token = m_dependencies.localDaemonToken(); token && !token->isEmpty()) {
    try {
      RelayClient daemonClient(m_dependencies.baseURL(), RelayClient::Credential::fixed(*token));
      const RelayDaemonIdentity identity = co_await daemonClient.daemonIdentity();
      if (!identity.revoked) thisDaemon = identity.daemonID;
    } catch (const std::exception&) {
      // Unknown: the host name decides.
    }
    if (!self) co_return;
  }
  std::optional<std::vector<RelayDaemon>> daemons;
  QString error;
  try {
    RelayClient client = m_dependencies.accountClient();
    daemons = co_await client.fetchDaemons();
  } catch (const RelayError& failure) {
    error = failure.status == 401 ? localizedText("macos.my_machines.sign_in_to_list",
                                                  "Sign in to your account to list your machines.")
                                  : relayFailureText(failure, thisDaemon.has_value());
  } catch (const std::exception& failure) {
    error = relayFailureText(failure, thisDaemon.has_value());
  }
  if (!self) co_return;
  if (daemons) {
    m_machines = MyMachines::build(*daemons, thisDaemon, m_dependencies.localHostName.toStdString());
    m_state = LoadState::loaded;
    m_error.clear();
  } else {
    m_state = LoadState::failed;
    m_error = error;
  }
  emit changed();
}

}  // namespace vesket::relay
