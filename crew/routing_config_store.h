#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

#include <qcoro/qcorotask.h>

#include "crew/core/routing_config.h"
#include "relay/relay_client.h"

namespace vesket::crew {

// The routing rules of one project (or the global ones, "*") as the editor shows them:
// loaded from the relay, edited locally, saved back on request. A preview store never
// touches the network.
class RoutingConfigStore : public QObject {
  Q_OBJECT

 public:
  enum class LoadState { idle, loading, loaded, failed };
  enum class SaveState { idle, saving, saved, failed };

  using ClientFactory = std::function<std::optional<relay::RelayClient>()>;
  RoutingConfigStore(ClientFactory client, QString project, QObject* parent = nullptr);
  // A store that shows `config` without a relay (previews, screenshots).
  static RoutingConfigStore* preview(RoutingConfig config, QObject* parent = nullptr);

  const std::optional<RoutingConfig>& config() const { return m_config; }
  const std::optional<RoutingConfig>& lastPersisted() const { return m_lastPersisted; }
  LoadState loadState() const { return m_loadState; }
  SaveState saveState() const { return m_saveState; }
  const QString& message() const { return m_message; }
  const QString& project() const { return m_project; }
  bool isPreview() const { return m_isPreview; }

  QCoro::Task<void> load();
  QCoro::Task<void> save();
  // Writes an empty rule set for the project (it follows the global rules again), then reloads.
  QCoro::Task<void> resetToGlobal();
  QCoro::Task<void> switchProject(QString project);

  RoutingAgentConfig agentConfig(RoutingAgentKind kind) const;
  void mutateAgent(RoutingAgentKind kind, const std::function<void(RoutingAgentConfig&)>& change);
  void setWeight(RoutingAgentKind kind, int weight);
  void setMaxDifficulty(RoutingAgentKind kind, RoutingDifficulty difficulty);
  void setEnabled(RoutingAgentKind kind, bool enabled);
  void setMain(RoutingAgentKind kind);
  RoutingAgentKind mainKind() const;
  void setCapabilityFitEnabled(bool enabled);
  bool capabilityFitEnabled() const;

  bool isDirty() const { return m_config != m_lastPersisted; }
  bool isEmpty() const { return m_loadState == LoadState::loaded && (!m_config || m_config->agents.empty()); }

  // The query path of a project's rules, percent-encoded.
  static QString pathFor(const QString& project);

 signals:
  void changed();

 private:
  ClientFactory m_client;
  QString m_project;
  bool m_isPreview = false;
  std::optional<RoutingConfig> m_config;
  std::optional<RoutingConfig> m_lastPersisted;
  LoadState m_loadState = LoadState::idle;
  SaveState m_saveState = SaveState::idle;
  QString m_message;
};

}  // namespace vesket::crew
