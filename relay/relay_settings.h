#pragma once

// Which relay the application talks to. Seeded at start from the user's choice (settings),
// else the daemon's RELAY_URL, else the locale; raced once before the first connection;
// re-probed every 300 s, switching to the other fixed endpoint only after it won clearly
// twice in a row. A custom URL the user pins is never raced away, and is written into the
// daemon's environment file so that the daemon links to the same relay.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

#include <qcoro/qcorotask.h>

#include "relay/core/relay_endpoint.h"

class QNetworkAccessManager;

namespace vesket::shell {
class SettingsStore;
}

namespace vesket::relay {

class RelaySettings : public QObject {
  Q_OBJECT

 public:
  struct Options {
    RelayFixedBases fixed;
    shell::SettingsStore* defaults = nullptr;  // required
    QString environmentFilePath;               // the daemon's daemon/.env
    std::function<double()> clock;             // seconds since 1970; the system clock when empty
    std::optional<bool> isChina;
    QString regionCode;  // the locale's region ("CN", "DE", ...); the system's when empty
    int probeTimeoutMs = 2500;
    QNetworkAccessManager* network = nullptr;  // the shared session when null
  };

  // The production and mirror bases of this build; settings keys
  // "com.vesket.relayGlobalURL" and "com.vesket.relayChinaURL" override them.
  static RelayFixedBases configuredBases(const shell::SettingsStore& defaults);
  // The options of the application: configured bases, the shared settings, the daemon's
  // environment file in the product home.
  static Options applicationOptions(shell::SettingsStore& defaults);

  explicit RelaySettings(Options options, QObject* parent = nullptr);
  ~RelaySettings() override;

  const RelayEndpoint& endpoint() const { return m_endpoint; }
  QString baseURL() const { return QString::fromStdString(m_endpoint.baseURL(m_options.fixed)); }
  const QString& selectionReason() const { return m_selectionReason; }
  const RelayFixedBases& fixedBases() const { return m_options.fixed; }
  // The latest probes (race, re-probe or measure), in probe order.
  const std::vector<RelayLatencyRacer::Probe>& lastProbes() const { return m_lastProbes; }
  const RelayLatencyRacer::PromotionTracker& promotionTracker() const { return m_tracker; }
  bool isReprobing() const { return m_reprobeTimer.isActive(); }

  // One GET of base + "/api/health" (2.5 s, no cache): the wall time of a 2xx answer.
  QCoro::Task<RelayLatencyRacer::Probe> probe(QString base);
  // Probes every base at once and waits for all.
  QCoro::Task<std::vector<RelayLatencyRacer::Probe>> race(std::vector<std::string> bases);

  QCoro::Task<void> selectFastestBeforeConnect();
  void startPeriodicReselect(std::chrono::milliseconds interval);
  void stopPeriodicReselect();
  QCoro::Task<void> reprobeAndMaybePromote();
  // Probes the current endpoint (a custom one alone, else both fixed ones) for display.
  QCoro::Task<void> measure();

  void applyCustomEndpoint(const QString& base);
  QCoro::Task<void> clearCustomAndReselect();
  void persistToUserDefaults();
  // Writes RELAY_URL and BOARD_PUSH_API for the pinned custom base into the daemon's
  // environment file (created when missing); false when the endpoint is not custom or the
  // file could not be written.
  bool writeDotEnvForCustomPin();

 signals:
  void endpointChanged();
  void probesChanged();
  // The endpoint was switched by the re-probe ("VesketRelayEndpointDidChange").
  void relayEndpointDidChange(const QString& baseURL);

 private:
  void seed();
  void setEndpoint(RelayEndpoint endpoint, QString reason);
  void storeWinner(const std::string& base);
  double now() const;
  std::vector<std::string> fixedBaseList() const;

  Options m_options;
  RelayEndpoint m_endpoint = RelayEndpoint::global();
  QString m_selectionReason;
  QTimer m_reprobeTimer;
  RelayLatencyRacer::PromotionTracker m_tracker;
  std::vector<RelayLatencyRacer::Probe> m_lastProbes;
};

}  // namespace vesket::relay
