#include "crew/routing_config_store.h"

#include <QPointer>
#include <QUrl>

#include <nlohmann/json.hpp>

#include "relay/core/relay_error.h"
#include "relay/relay_client.h"

namespace vesket::crew {

RoutingConfigStore::RoutingConfigStore(ClientFactory client, QString project, QObject* parent)
    : QObject(parent), m_client(std::move(client)), m_project(std::move(project)) {}

RoutingConfigStore* RoutingConfigStore::preview(RoutingConfig config, QObject* parent) {
  auto* store = new RoutingConfigStore(ClientFactory(), QString::fromStdString(config.project), parent);
  store->m_isPreview = true;
  store->m_config = config;
  store->m_lastPersisted = config;
  store->m_loadState = LoadState::loaded;
  return store;
}

QString RoutingConfigStore::pathFor(const QString& project) {
  return QStringLiteral("/api/routing-config?project=") + QString::fromLatin1(QUrl::toPercentEncoding(project));
}

QCoro::Task<void> RoutingConfigStore::load() {
  if (m_isPreview || !m_client) co_return;
  QPointer<RoutingConfigStore> self(this);
  m_loadState = LoadState::loading;
  emit changed();
  const QString project = m_project;
  std::optional<RoutingConfig> loaded;
  QString failure;
  try {
    auto client = m_client();
    if (!client) throw std::runtime_error("not signed in");
    auto calling = client->call(pathFor(project), QByteArrayLiteral("GET"));
    const nlohmann::json answer = co_await std::move(calling);
    if (!answer.is_object() || !answer.contains("config")) throw std::runtime_error("the relay's answer holds no routing configuration");
    loaded = RoutingConfig::fromJson(answer["config"]);
  } catch (const relay::RelayError& error) {
    failure = QString::fromStdString(error.message);
  } catch (const std::exception& error) {
    failure = QString::fromUtf8(error.what());
  }
  if (self.isNull() || project != m_project) co_return;
  if (loaded) {
    m_config = loaded;
    m_lastPersisted = loaded;
    m_loadState = LoadState::loaded;
    m_message.clear();
  } else {
    m_loadState = LoadState::failed;
    m_message = failure;
  }
  emit changed();
}

QCoro::Task<void> RoutingConfigStore::save() {
  if (!m_config || m_isPreview || !m_client) co_return;
  QPointer<RoutingConfigStore> self(this);
  m_saveState = SaveState::saving;
  emit changed();
  RoutingConfig sending = *m_config;
  sending.project = m_project.toStdString();
  QString failure;
  std::optional<RoutingConfig> saved;
  try {
    auto client = m_client();
    if (!client) throw std::runtime_error("not signed in");
    auto calling = client->call(pathFor(m_project), QByteArrayLiteral("PUT"), sending.toJson());
    const nlohmann::json answer = co_await std::move(calling);
    saved = answer.is_object() && answer.contains("config") ? RoutingConfig::fromJson(answer["config"]) : sending;
  } catch (const relay::RelayError& error) {
    failure = QString::fromStdString(error.message);
  } catch (const std::exception& error) {
    failure = QString::fromUtf8(error.what());
  }
  if (self.isNull()) co_return;
  if (saved) {
    m_config = saved;
    m_lastPersisted = saved;
    m_saveState = SaveState::saved;
  } else {
    m_saveState = SaveState::failed;
    m_message = failure;
  }
  emit changed();
}

QCoro::Task<void> RoutingConfigStore::resetToGlobal() {
  if (m_isPreview || !m_client) co_return;
  QPointer<RoutingConfigStore> self(this);
  m_saveState = SaveState::saving;
  emit changed();
  RoutingConfig empty;
  empty.project = m_project.toStdString();
  QString failure;
  try {
    auto client = m_client();
    if (!client) throw std::runtime_error("not signed in");
    auto calling = client->call(pathFor(m_project), QByteArrayLiteral("PUT"), empty.toJson());
    co_await std::move(calling);
  } catch (const relay::RelayError& error) {
    failure = QString::fromStdString(error.message);
  } catch (const std::exception& error) {
    failure = QString::fromUtf8(error.what());
  }
  if (self.isNull()) co_return;
  m_saveState = failure.isEmpty() ? SaveState::saved : SaveState::failed;
  m_message = failure;
  emit changed();
  if (failure.isEmpty()) co_await load();
}

QCoro::Task<void> RoutingConfigStore::switchProject(QString project) {
  if (project == m_project) co_return;
  m_project = std::move(project);
  m_config.reset();
  m_lastPersisted.reset();
  m_loadState = LoadState::idle;
  m_saveState = SaveState::idle;
  m_message.clear();
  emit changed();
  co_await load();
}

RoutingAgentConfig RoutingConfigStore::agentConfig(RoutingAgentKind kind) const {
  if (!m_config) return {};
  const auto it = m_config->agents.find(routingAgentKindRaw(kind));
  return it == m_config->agents.end() ? RoutingAgentConfig{} : it->second;
}

void RoutingConfigStore::mutateAgent(RoutingAgentKind kind, const std::function<void(RoutingAgentConfig&)>& change) {
  if (!m_config) return;
  RoutingAgentConfig config = agentConfig(kind);
  change(config);
  m_config->agents[routingAgentKindRaw(kind)] = config;
  emit changed();
}

void RoutingConfigStore::setWeight(RoutingAgentKind kind, int weight) {
  mutateAgent(kind, [weight](RoutingAgentConfig& config) { config.weight = std::max(0, weight); });
}

void RoutingConfigStore::setMaxDifficulty(RoutingAgentKind kind, RoutingDifficulty difficulty) {
  mutateAgent(kind, [difficulty](RoutingAgentConfig& config) { config.maxDifficulty = difficulty; });
}

void RoutingConfigStore::setEnabled(RoutingAgentKind kind, bool enabled) {
  mutateAgent(kind, [enabled](RoutingAgentConfig& config) { config.enabled = enabled; });
}

void RoutingConfigStore::setMain(RoutingAgentKind kind) {
  if (!m_config) return;
  m_config->main = routingAgentKindRaw(kind);
  emit changed();
}

RoutingAgentKind RoutingConfigStore::mainKind() const {
  if (!m_config) return RoutingAgentKind::claude;
  return routingAgentKindFromRaw(m_config->main).value_or(RoutingAgentKind::claude);
}

void RoutingConfigStore::setCapabilityFitEnabled(bool enabled) {
  if (!m_config) return;
  m_config->capabilityFitEnabled = enabled;
  emit changed();
}

bool RoutingConfigStore::capabilityFitEnabled() const { return m_config && m_config->capabilityFitEnabled.value_or(false); }

}  // namespace vesket::crew
