#include "relay/relay_settings.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <qcoro/qcoronetworkreply.h>

#include "relay/relay_client.h"
#include "relay/relay_credentials.h"
#include "shell/settings_store.h"

#ifndef VESKET_RELAY_GLOBAL_URL
#define VESKET_RELAY_GLOBAL_URL "https://relay.vesket.app"
#endif
#ifndef VESKET_RELAY_CHINA_URL
#define VESKET_RELAY_CHINA_URL "https://relay-cn.vesket.app"
#endif

namespace vesket::relay {
namespace {

const QString kLabelKey = QStringLiteral("com.vesket.relayEndpointLabel");
const QString kCustomURLKey = QStringLiteral("com.vesket.relayEndpointCustomURL");
const QString kWinnerKey = QStringLiteral("com.vesket.relayLatencyWinner");
const QString kWinnerAtKey = QStringLiteral("com.vesket.relayLatencyWinnerAt");
const QString kGlobalURLKey = QStringLiteral("com.vesket.relayGlobalURL");
const QString kChinaURLKey = QStringLiteral("com.vesket.relayChinaURL");
// Named here: a string literal inside a coroutine trips g++ 12.
const QString kReasonCustomPin = QStringLiteral("custom-pin");
const QString kReasonPromoted = QStringLiteral("promoted");
const QString kReasonSeed = QStringLiteral("seed");

void logLine(const std::string& line) { qInfo("%s", line.c_str()); }

std::string promotionLogLine(const std::string& from, const std::string& to,
                             const std::vector<RelayLatencyRacer::Probe>& probes) {
  return "[relay-select] macOS promote: " + RelayLatencyRacer::hostOf(from) + " -> " + RelayLatencyRacer::hostOf(to) +
         " probes: " + RelayLatencyRacer::probeSummary(probes);
}

}  // namespace

RelayFixedBases RelaySettings::configuredBases(const shell::SettingsStore& defaults) {
  RelayFixedBases bases{VESKET_RELAY_GLOBAL_URL, VESKET_RELAY_CHINA_URL};
  if (auto global = defaults.stringValue(kGlobalURLKey); global && !global->trimmed().isEmpty()) {
    bases.global = withoutTrailingSlash(global->trimmed().toStdString());
  }
  if (auto china = defaults.stringValue(kChinaURLKey); china && !china->trimmed().isEmpty()) {
    bases.china = withoutTrailingSlash(china->trimmed().toStdString());
  }
  return bases;
}

RelaySettings::Options RelaySettings::applicationOptions(shell::SettingsStore& defaults) {
  Options options;
  options.fixed = configuredBases(defaults);
  options.defaults = &defaults;
  options.environmentFilePath = DaemonTokenStore::environmentFilePath();
  return options;
}

RelaySettings::RelaySettings(Options options, QObject* parent) : QObject(parent), m_options(std::move(options)) {
  if (m_options.regionCode.isEmpty()) {
    m_options.regionCode = QLocale::territoryToCode(QLocale::system().territory());
  }
  connect(&m_reprobeTimer, &QTimer::timeout, this, [this] { reprobeAndMaybePromote(); });
  seed();
}

RelaySettings::~RelaySettings() = default;

std::vector<std::string> RelaySettings::fixedBaseList() const {
  return std::vector<std::string>{m_options.fixed.global, m_options.fixed.china};
}

double RelaySettings::now() const {
  if (m_options.clock) return m_options.clock();
  return static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0;
}

void RelaySettings::seed() {
  auto& defaults = *m_options.defaults;
  const auto label = defaults.stringValue(kLabelKey);
  if (label) {
    const auto endpoint = RelayEndpoint::fromLabel(label->toStdString(),
                                                   defaults.stringValue(kCustomURLKey).value_or(QString()).toStdString());
    if (endpoint) {
      m_endpoint = *endpoint;
      m_selectionReason = endpoint->isCustom() ? "custom-pin" : "seed-defaults";
      return;
    }
  }
  QFile env(m_options.environmentFilePath);
  if (CredentialAccessGuard::permits(m_options.environmentFilePath) && env.open(QIODevice::ReadOnly)) {
    if (const auto relayURL = DaemonEnvFile::value(env.readAll().toStdString(), "RELAY_URL")) {
      m_endpoint = RelayLatencyRacer::endpointForBase(DaemonEnvFile::baseFromRelayURL(*relayURL), m_options.fixed);
      m_selectionReason = m_endpoint.isCustom() ? "custom-pin" : "seed-env";
      return;
    }
  }
  m_endpoint = RelayLatencyRacer::endpointForBase(
      RelayLatencyRacer::localeFallback(m_options.isChina, m_options.regionCode.toStdString(), m_options.fixed),
      m_options.fixed);
  m_selectionReason = "seed";
}

void RelaySettings::setEndpoint(RelayEndpoint endpoint, QString reason) {
  const bool changed = !(endpoint == m_endpoint) || reason != m_selectionReason;
  m_endpoint = std::move(endpoint);
  m_selectionReason = std::move(reason);
  if (changed) emit endpointChanged();
}

void RelaySettings::storeWinner(const std::string& base) {
  m_options.defaults->setValue(kWinnerKey, QString::fromStdString(base));
  m_options.defaults->setValue(kWinnerAtKey, now());
}

QCoro::Task<RelayLatencyRacer::Probe> RelaySettings::probe(QString base) {
  QNetworkRequest request(QUrl(base + QStringLiteral("/api/health")));
  request.setTransferTimeout(m_options.probeTimeoutMs);
  request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
  request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
  request.setRawHeader("Cache-Control", "no-cache");
  QNetworkAccessManager* network = m_options.network ? m_options.network : relayNetworkSession();
  QElapsedTimer clock;
  clock.start();
  std::unique_ptr<QNetworkReply, void (*)(QNetworkReply*)> reply(network->get(request),
                                                                   [](QNetworkReply* r) { r->deleteLater(); });
  co_await qCoro(reply.get()).waitForFinished();
  const double elapsed = std::max(0.0, static_cast<double>(clock.nsecsElapsed()) / 1e6);
  const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  RelayLatencyRacer::Probe result{base.toStdString(), std::nullopt};
  if (reply->error() == QNetworkReply::NoError && status >= 200 && status <= 299) result.latencyMs = elapsed;
  co_return result;
}

QCoro::Task<std::vector<RelayLatencyRacer::Probe>> RelaySettings::race(std::vector<std::string> bases) {
  // Tasks start at once; awaiting them in order waits for all of them.
  std::vector<QCoro::Task<RelayLatencyRacer::Probe>> running;
  running.reserve(bases.size());
  for (const std::string& base : bases) running.push_back(probe(QString::fromStdString(base)));
  std::vector<RelayLatencyRacer::Probe> probes;
  for (auto& task : running) probes.push_back(co_await std::move(task));
  co_return probes;
}

QCoro::Task<void> RelaySettings::selectFastestBeforeConnect() {
  QPointer<RelaySettings> self(this);
  const std::optional<std::string> custom =
      m_endpoint.isCustom() ? std::optional<std::string>(m_endpoint.customBase()) : std::nullopt;
  if (RelayLatencyRacer::isCustomPin(custom, m_options.fixed)) {
    setEndpoint(m_endpoint, kReasonCustomPin);
    co_return;
  }
  const auto previous = m_options.defaults->stringValue(kWinnerKey);
  const std::string fallback =
      RelayLatencyRacer::localeFallback(m_options.isChina, m_options.regionCode.toStdString(), m_options.fixed);
  const auto probes = co_await race(fixedBaseList());
  if (!self) co_return;
  m_lastProbes = probes;
  emit probesChanged();
  const auto selection = RelayLatencyRacer::decide(
      probes, previous ? std::optional<std::string>(previous->toStdString()) : std::nullopt, m_options.fixed, fallback);
  if (selection.storeWinner) storeWinner(selection.base);
  logLine(selection.logLine);
  setEndpoint(RelayLatencyRacer::endpointForBase(selection.base, m_options.fixed),
              QString::fromStdString(selection.reason));
}

void RelaySettings::startPeriodicReselect(std::chrono::milliseconds interval) {
  m_reprobeTimer.stop();
  m_reprobeTimer.start(interval);
}

void RelaySettings::stopPeriodicReselect() { m_reprobeTimer.stop(); }

QCoro::Task<void> RelaySettings::reprobeAndMaybePromote() {
  if (m_endpoint.isCustom()) co_return;
  QPointer<RelaySettings> self(this);
  const auto probes = co_await race(fixedBaseList());
  if (!self || m_endpoint.isCustom()) co_return;
  m_lastProbes = probes;
  emit probesChanged();
  const std::string current = m_endpoint.baseURL(m_options.fixed);
  const auto promoted = m_tracker.evaluate(current, probes, 0.15, 2);
  if (!promoted) co_return;
  logLine(promotionLogLine(current, *promoted, probes));
  storeWinner(*promoted);
  setEndpoint(RelayLatencyRacer::endpointForBase(*promoted, m_options.fixed), kReasonPromoted);
  persistToUserDefaults();
  emit relayEndpointDidChange(baseURL());
}

QCoro::Task<void> RelaySettings::measure() {
  QPointer<RelaySettings> self(this);
  std::vector<std::string> bases;
  if (m_endpoint.isCustom()) {
    bases = {m_endpoint.customBase()};
  } else {
    bases = fixedBaseList();
  }
  const auto probes = co_await race(std::move(bases));
  if (!self) co_return;
  m_lastProbes = probes;
  emit probesChanged();
}

void RelaySettings::applyCustomEndpoint(const QString& base) {
  m_reprobeTimer.stop();
  m_tracker.reset();
  setEndpoint(RelayEndpoint::custom(base.trimmed().toStdString()), "custom-pin");
  m_lastProbes.clear();
  emit probesChanged();
  persistToUserDefaults();
  writeDotEnvForCustomPin();
}

QCoro::Task<void> RelaySettings::clearCustomAndReselect() {
  QPointer<RelaySettings> self(this);
  m_options.defaults->remove(kLabelKey);
  m_options.defaults->remove(kCustomURLKey);
  setEndpoint(RelayLatencyRacer::endpointForBase(
                  RelayLatencyRacer::localeFallback(m_options.isChina, m_options.regionCode.toStdString(),
                                                    m_options.fixed),
                  m_options.fixed),
              kReasonSeed);
  co_await selectFastestBeforeConnect();
  if (!self) co_return;
  startPeriodicReselect(std::chrono::seconds(300));
}

void RelaySettings::persistToUserDefaults() {
  m_options.defaults->setValue(kLabelKey, QString::fromStdString(m_endpoint.label()));
  if (m_endpoint.isCustom()) {
    m_options.defaults->setValue(kCustomURLKey, QString::fromStdString(m_endpoint.customBase()));
  }
  m_options.defaults->sync();
}

bool RelaySettings::writeDotEnvForCustomPin() {
  if (!m_endpoint.isCustom()) {
    logLine("[relay-select] writeDotEnvForCustomPin refused — endpoint is not custom");
    return false;
  }
  const QString path = m_options.environmentFilePath;
  if (!CredentialAccessGuard::permits(path)) return false;
  QByteArray existing;
  QFile file(path);
  if (file.open(QIODevice::ReadOnly)) existing = file.readAll();
  file.close();
  const std::string updated = DaemonEnvFile::withRelayBase(existing.toStdString(), m_endpoint.customBase());
  return CredentialFiles::write(path, QByteArray::fromStdString(updated));
}

}  // namespace vesket::relay
