#include "viewer/terminal_viewer_model.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <QtConcurrent/QtConcurrent>

#include <qcoro/qcorofuture.h>
#include <qcoro/qcorotask.h>

#include "control_plane/control_plane_client.h"
#include "control_plane/core/control_plane_errors.h"
#include "control_plane/event_stream.h"
#include "control_plane/core/watch_event.h"
#include "shell/settings_store.h"
#include "viewer/core/pane_selection_reconciler.h"
#include "viewer/claude_history_pane_content_source.h"
#include "viewer/control_plane_pane_content_source.h"
#include "viewer/pane_awaiting_store.h"
#include "viewer/pane_content_store.h"
#include "viewer/pane_list_store.h"
#include "viewer/remote_pane_source.h"
#include "viewer/routed_pane_content_source.h"
#include "viewer/core/remote_pane_ids.h"

namespace vesket::viewer {

using control_plane::ConnectionState;

namespace {

double monotonicSeconds() {
  static QElapsedTimer clock = [] {
    QElapsedTimer t;
    t.start();
    return t;
  }();
  return static_cast<double>(clock.nsecsElapsed()) / 1e9;
}

std::string describe(const std::exception& e) { return e.what(); }

// The selected pane's text comes from the agent-history renderer for Claude Code panes
// (while its pilot setting is on) and from the daemon's capture otherwise; the routed
// source is where another machine's relay source plugs in.
std::shared_ptr<PaneContentSource> makeContentSource(std::shared_ptr<control_plane::ControlPlaneClient> client,
                                                     shell::SettingsStore* settings, std::shared_ptr<std::int64_t> width,
                                                     std::shared_ptr<std::shared_ptr<PaneContentSource>> remote) {
  auto capture = std::make_shared<ControlPlanePaneContentSource>(client);
  auto history = std::make_shared<ClaudeHistoryPaneContentSource>(
      client, capture,
      [settings] { return settings ? ClaudeHistoryPaneContentSource::pilotEnabled(*settings) : true; },
      [width] { return *width; });
  return std::make_shared<RoutedPaneContentSource>(history, [remote] { return *remote; });
}

}  // namespace

TerminalViewerModel::TerminalViewerModel(std::shared_ptr<control_plane::ControlPlaneClient> client,
                                         shell::SettingsStore* settings, QObject* parent)
    : QObject(parent),
      m_client(std::move(client)),
      m_settings(settings),
      m_paneList(std::make_unique<PaneListStore>()),
      m_content(std::make_unique<PaneContentStore>(makeContentSource(m_client, settings, m_historyWidth, m_activeRemote))),
      m_awaiting(std::make_unique<PaneAwaitingStore>(std::make_shared<RoutedPaneContentSource>(
          std::make_shared<ControlPlanePaneContentSource>(m_client), [remote = m_activeRemote] { return *remote; }))) {
  m_remoteRoster.setInterval(kRemoteRosterMs);
  connect(&m_remoteRoster, &QTimer::timeout, this, &TerminalViewerModel::pollRemoteRoster);
  if (m_settings) {
    if (auto id = m_settings->stringValue(kLastSelectedPaneKey); id && !id->isEmpty()) {
      m_persistedSelectedPaneId = id->toStdString();
    }
    if (auto mode = m_settings->stringValue(kFitWidthModeKey)) {
      if (auto parsed = FitWidthModes::fromId(mode->toStdString())) m_fitWidthMode = *parsed;
    }
  }
  m_fitDebounce.setSingleShot(true);
  m_fitDebounce.setInterval(kFitDebounceMs);
  connect(&m_fitDebounce, &QTimer::timeout, this, [this] {
    if (auto cols = fittedColumns()) resizeSelected(*cols);
  });
  m_autoFitTicker.setInterval(kAutoFitTickMs);
  connect(&m_autoFitTicker, &QTimer::timeout, this, &TerminalViewerModel::autoFitTick);

  m_content->onChange = [this](const LineDiffer::Change& change) { emit contentChanged(change); };
  m_content->onLoadPhaseChange = [this](LoadPhase) { emit paneTextFeedChanged(); };
  m_content->onCaptureHealthChange = [this](CaptureHealth) { emit paneTextFeedChanged(); };
  connect(m_content.get(), &PaneContentStore::awaitingPromptChanged, this,
          &TerminalViewerModel::onContentAwaitingChanged);
  connect(m_awaiting.get(), &PaneAwaitingStore::awaitingPaneIdsChanged, this, [this] {
    m_awaitingPaneIds = m_awaiting->awaitingPaneIds();
    emit awaitingPaneIdsChanged();
    updateAwaitingPrompt();
  });
  connect(m_awaiting.get(), &PaneAwaitingStore::promptsChanged, this, &TerminalViewerModel::updateAwaitingPrompt);
}

TerminalViewerModel::~TerminalViewerModel() { stop(); }

void TerminalViewerModel::start() {
  if (m_started) return;
  m_started = true;
  m_awaiting->start();
  m_content->resume();
  runRosterFeed();
}

void TerminalViewerModel::stop() {
  m_started = false;
  if (m_watch) m_watch->cancel();
  m_watch.reset();
  m_content->stop();
  m_awaiting->stop();
  m_fitDebounce.stop();
  m_autoFitTicker.stop();
}

// --- Roster feed -----------------------------------------------------------------------

void TerminalViewerModel::runRosterFeed() {
  QPointer<TerminalViewerModel> self(this);
  connect(m_client.get(), &control_plane::ControlPlaneClient::connectionStateChanged, this,
          &TerminalViewerModel::setConnection, Qt::UniqueConnection);
  m_watch = std::make_unique<control_plane::EventStream<control_plane::WatchEvent>>(m_client->watchPanesReconnecting(
      control_plane::BackoffSchedule::standard(), [self](std::optional<std::string> generation) {
        if (self) self->onDaemonGeneration(generation);
      }));
  auto loop = [](QPointer<TerminalViewerModel> model) -> QCoro::Task<void> {
    while (model && model->m_watch) {
      auto* watch = model->m_watch.get();
      std::optional<control_plane::WatchEvent> event;
      try {
        event = co_await watch->next();
      } catch (const std::exception&) {
        // The reconnecting watch never fails; an error here means it was torn down.
        co_return;
      }
      if (!model || !event) co_return;
      model->onSnapshot(*event);
    }
  };
  loop(self);
}

void TerminalViewerModel::setConnection(ConnectionState state) {
  if (state == m_connection) return;
  m_connection = state;
  emit connectionChanged();
  recomputeState();
}

void TerminalViewerModel::onDaemonGeneration(const std::optional<std::string>& generation) {
  if (!m_daemonGeneration.observe(generation)) return;
  // A new daemon process: the panes listed before are gone; the next snapshot refills.
  m_paneList->apply({});
  m_content->resync();
  recomputeState();
}

void TerminalViewerModel::onSnapshot(const control_plane::WatchEvent& event) {
  const auto* snapshot = event.asSnapshot();
  if (!snapshot) return;
  m_localPanes = snapshot->panes;
  if (!m_remoteTarget) applyPanes(snapshot->panes);
}

// --- Another machine ----------------------------------------------------------------------

void TerminalViewerModel::setRemoteSource(std::shared_ptr<RemotePaneSource> source) {
  m_remoteSource = std::move(source);
  *m_activeRemote = m_remoteTarget ? m_remoteSource : nullptr;
}

void TerminalViewerModel::setActiveRemoteTarget(std::optional<ActiveRemoteTarget> target) {
  if (target == m_remoteTarget) return;
  const bool machineChanged = !target || !m_remoteTarget || target->daemonId != m_remoteTarget->daemonId;
  m_remoteTarget = std::move(target);
  ++m_remoteRound;
  m_remoteRosterError.reset();
  *m_activeRemote = m_remoteTarget ? m_remoteSource : nullptr;
  if (machineChanged) {
    // The other machine's roster arrives with its first listing; this one's is at hand.
    applyPanes(m_remoteTarget ? std::vector<control_plane::PaneEntry>{} : m_localPanes);
    m_content->forceRefresh();
  }
  if (m_remoteTarget) {
    pollRemoteRoster();
    m_remoteRoster.start();
  } else {
    m_remoteRoster.stop();
  }
  emit remoteTargetChanged();
}

void TerminalViewerModel::pollRemoteRoster() {
  if (!m_remoteTarget || !m_remoteSource) return;
  auto run = [](QPointer<TerminalViewerModel> self, std::shared_ptr<RemotePaneSource> source, std::int64_t daemonId,
                std::uint64_t round) -> QCoro::Task<void> {
    std::optional<RemotePaneRoster> roster;
    std::optional<std::string> error;
    try {
      auto listing = source->listPanes();
      roster = co_await std::move(listing);
    } catch (const std::exception& e) {
      error = describe(e);
    }
    if (!self || round != self->m_remoteRound) co_return;
    self->m_remoteRosterError = error;
    if (!roster) {
      self->recomputeState();
      co_return;
    }
    for (auto& pane : roster->panes) pane.paneId = RemotePaneIds::namespaced(daemonId, pane.paneId);
    self->applyPanes(roster->panes);
  };
  run(this, m_remoteSource, m_remoteTarget->daemonId, m_remoteRound);
}

std::shared_ptr<RemotePaneSource> TerminalViewerModel::remoteFor(const std::string& paneId) const {
  return RemotePaneIds::isNamespaced(paneId) ? m_remoteSource : nullptr;
}

void TerminalViewerModel::applyPanes(const std::vector<control_plane::PaneEntry>& panes) {
  m_paneList->apply(panes);
  reconcileSelection();
  m_content->setActivity(selectedIsRunning() ? PaneActivity::running : PaneActivity::idle);
  recomputeState();
  const auto ordered = m_paneList->orderedPaneIds();
  m_awaiting->setPaneIds(ordered);
  std::map<std::string, AgentReportedPrompt> agentPrompts;
  for (const auto& pane : panes) {
    if (pane.agentPrompt) agentPrompts.emplace(pane.paneId, AgentReportedPrompt::fromRow(*pane.agentPrompt));
  }
  m_awaiting->setAgentPrompts(std::move(agentPrompts));
  bool historyChanged = false;
  for (auto it = m_sentMessageHistory.begin(); it != m_sentMessageHistory.end();) {
    if (!m_paneList->contains(it->first)) {
      it = m_sentMessageHistory.erase(it);
      historyChanged = true;
    } else {
      ++it;
    }
  }
  if (historyChanged) emit sentHistoryChanged();
}

bool TerminalViewerModel::selectedIsRunning() const {
  return m_selectedPaneId && m_paneList->isRunning(std::string_view(*m_selectedPaneId));
}

void TerminalViewerModel::recomputeState() {
  ViewerStateInputs in;
  in.connection = m_connection;
  in.hasPanes = !m_paneList->panes().empty();
  in.selectedPaneId = m_selectedPaneId;
  in.selectedIsListed = m_selectedPaneId && m_paneList->contains(*m_selectedPaneId);
  in.selectedIsRunning = selectedIsRunning();
  const ViewerState next = ViewerStateMachine::derive(in);
  if (next == m_state) return;
  m_state = next;
  emit stateChanged();
}

// --- Selection -------------------------------------------------------------------------

void TerminalViewerModel::reconcileSelection() {
  if (m_selectedPaneId && m_paneList->contains(*m_selectedPaneId)) return;
  if (m_paneList->panes().empty()) return;  // keep the ended pane selected until something else is listed
  const auto resolution = PaneSelectionReconciler::resolve(m_paneList->orderedPaneIds(), m_persistedSelectedPaneId);
  if (m_selectedPaneId && !resolution.paneId) return;
  if (resolution.paneId != m_selectedPaneId) select(resolution.paneId);
}

void TerminalViewerModel::select(const std::optional<std::string>& paneId) {
  if (paneId == m_selectedPaneId) return;
  m_selectedPaneId = paneId;
  if (paneId) {
    m_persistedSelectedPaneId = paneId;
    persistSelection();
  }
  m_contentPromptId.reset();
  m_content->select(paneId);
  m_content->setActivity(selectedIsRunning() ? PaneActivity::running : PaneActivity::idle);
  m_isAnswering = false;
  m_answerError.reset();
  m_composerError.reset();
  m_dismissedAwaitingId.reset();
  m_answeredAwaitingId.reset();
  emit selectionChanged();
  emit answeringChanged();
  updateAwaitingPrompt();
  recomputeState();
  if (m_fitWidthMode == FitWidthMode::fit) {
    if (auto cols = fittedColumns()) resizeSelected(*cols);
  } else if (auto fixed = FitWidthModes::fixedColumns(m_fitWidthMode)) {
    resizeSelected(*fixed);
  }
}

void TerminalViewerModel::persistSelection() {
  if (!m_settings) return;
  if (m_persistedSelectedPaneId) {
    m_settings->setValue(kLastSelectedPaneKey, QString::fromStdString(*m_persistedSelectedPaneId));
  } else {
    m_settings->remove(kLastSelectedPaneKey);
  }
}

void TerminalViewerModel::selectByIndex(int index) {
  const auto ids = m_paneList->orderedPaneIds();
  if (index < 0 || index >= static_cast<int>(ids.size())) return;
  select(ids[static_cast<std::size_t>(index)]);
}

void TerminalViewerModel::selectRelative(int delta) {
  const auto ids = m_paneList->orderedPaneIds();
  if (ids.empty()) return;
  int current = -1;
  for (std::size_t i = 0; i < ids.size(); ++i) {
    if (m_selectedPaneId && ids[i] == *m_selectedPaneId) current = static_cast<int>(i);
  }
  int next = current < 0 ? (delta >= 0 ? 0 : static_cast<int>(ids.size()) - 1) : current + delta;
  next = std::clamp(next, 0, static_cast<int>(ids.size()) - 1);
  select(ids[static_cast<std::size_t>(next)]);
}

void TerminalViewerModel::restoreRememberedSelectionOnReturn() {
  if (m_persistedSelectedPaneId && m_paneList->contains(*m_persistedSelectedPaneId)) select(m_persistedSelectedPaneId);
}

// --- Awaiting prompt -------------------------------------------------------------------

void TerminalViewerModel::onContentAwaitingChanged() {
  const auto& shown = m_content->awaitingPrompt();
  // The selected pane's own capture saw its marker end (resolved, or answered): the sweep,
  // which comes by later, must not keep the prompt on screen meanwhile.
  if (m_contentPromptId && !shown && m_content->hasCaptured() && m_selectedPaneId) {
    m_awaiting->markNotAwaiting(*m_selectedPaneId);
  }
  m_contentPromptId = shown ? std::optional<std::string>(shown->id) : std::nullopt;
  updateAwaitingPrompt();
}

void TerminalViewerModel::updateAwaitingPrompt() {
  std::optional<AwaitingPrompt> prompt;
  if (m_selectedPaneId) {
    // The visible pane's own capture finds a marker sooner than the sweep; an agent's
    // dialog reported through its hooks still comes first (see PaneAwaitingState).
    const auto& agentPrompts = m_awaiting->agentPrompts();
    const auto agent = agentPrompts.find(*m_selectedPaneId);
    if (agent != agentPrompts.end() && !agent->second.waitingForMessage) prompt = agent->second.prompt;
    if (!prompt) prompt = m_content->awaitingPrompt();
    if (!prompt) {
      const auto& prompts = m_awaiting->prompts();
      if (auto it = prompts.find(*m_selectedPaneId); it != prompts.end()) prompt = it->second;
    }
  }
  if (m_answeredAwaitingId && (!prompt || prompt->id != *m_answeredAwaitingId)) m_answeredAwaitingId.reset();
  if (prompt && m_answeredAwaitingId) prompt.reset();
  if (prompt && m_dismissedAwaitingId && prompt->id == *m_dismissedAwaitingId) prompt.reset();
  if (prompt == m_awaitingPrompt) return;
  const bool newPrompt = !prompt || !m_awaitingPrompt || prompt->id != m_awaitingPrompt->id;
  m_awaitingPrompt = prompt;
  if (newPrompt) {
    m_answerError.reset();
    m_isAnswering = false;
    emit answeringChanged();
  }
  emit awaitingPromptChanged();
}

void TerminalViewerModel::dismissAwaiting() {
  if (!m_awaitingPrompt) return;
  m_dismissedAwaitingId = m_awaitingPrompt->id;
  updateAwaitingPrompt();
}

void TerminalViewerModel::answerOption(const ApprovalOption& option) {
  Delivery delivery{option.index, std::nullopt, std::nullopt};
  if (m_awaitingPrompt) delivery.promptId = m_awaitingPrompt->id;
  runAnswer(std::move(delivery));
}

void TerminalViewerModel::answerFreeText(const std::string& text) {
  if (text.empty()) return;
  runAnswer(Delivery{std::nullopt, text, std::nullopt});
}

void TerminalViewerModel::runAnswer(Delivery delivery) {
  if (!m_selectedPaneId || m_isAnswering || !m_awaitingPrompt) return;
  m_isAnswering = true;
  m_answerError.reset();
  emit answeringChanged();
  auto run = [](QPointer<TerminalViewerModel> self, std::shared_ptr<control_plane::ControlPlaneClient> client,
                std::shared_ptr<RemotePaneSource> remote, std::string paneId, std::string promptId,
                Delivery what) -> QCoro::Task<void> {
    auto delivered = deliver(client, remote, paneId, what, qtTrId("macos.terminal_viewer.the_answer_could_not_be_delivered").toStdString());
    const auto error = co_await std::move(delivered);
    if (!self) co_return;
    self->m_isAnswering = false;
    self->m_answerError = error;
    // An answer that arrived ends the prompt on screen at once: its panel goes before it
    // could take a second answer, whatever the next capture says.
    const bool stillShown = self->m_selectedPaneId == paneId && self->m_awaitingPrompt &&
                            self->m_awaitingPrompt->id == promptId;
    if (!error && stillShown) self->m_answeredAwaitingId = promptId;
    emit self->answeringChanged();
    self->updateAwaitingPrompt();
    self->m_content->kickImmediateCapture();
  };
  run(this, m_client, remoteFor(*m_selectedPaneId), *m_selectedPaneId, m_awaitingPrompt->id, std::move(delivery));
}

QCoro::Task<std::optional<std::string>> TerminalViewerModel::deliver(
    std::shared_ptr<control_plane::ControlPlaneClient> client, std::shared_ptr<RemotePaneSource> remote, std::string paneId,
    Delivery what, std::string failureText) {
  try {
    if (remote) {
      // Another machine's pane: an option is typed as its number.
      const std::string text = what.choice ? std::to_string(*what.choice) : what.text.value_or(std::string());
      const std::string requestId = QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
      auto sent = remote->sendText(paneId, text, requestId);
      const auto result = co_await std::move(sent);
      if (!result.ok) co_return result.error.value_or(failureText);
    } else if (what.choice) {
      auto answered = client->answer(paneId, *what.choice, std::nullopt, what.promptId);
      co_await std::move(answered);
    } else {
      auto sent = client->send(paneId, what.text.value_or(std::string()), std::nullopt, QUuid::createUuid());
      const auto result = co_await std::move(sent);
      if (!result.ok) co_return result.error.value_or(failureText);
    }
  } catch (const std::exception& e) {
    co_return describe(e);
  }
  co_return std::nullopt;
}

// --- The selected pane's text ------------------------------------------------------------

LoadPhase TerminalViewerModel::terminalLoadPhase() const { return m_content->loadPhase(); }

CaptureHealth TerminalViewerModel::terminalFeedHealth() const { return m_content->captureHealth(); }

QDateTime TerminalViewerModel::lastUpdate() const { return m_content->lastCaptureAt(); }

// --- Sending ---------------------------------------------------------------------------

std::vector<std::string> TerminalViewerModel::sentHistory(const std::string& paneId) const {
  auto it = m_sentMessageHistory.find(paneId);
  return it == m_sentMessageHistory.end() ? std::vector<std::string>{} : it->second;
}

void TerminalViewerModel::sendComposed(const std::string& text) {
  if (!m_selectedPaneId || m_isSending || text.empty()) return;
  m_isSending = true;
  m_composerError.reset();
  emit sendingChanged();
  auto run = [](QPointer<TerminalViewerModel> self, std::shared_ptr<control_plane::ControlPlaneClient> client,
                std::shared_ptr<RemotePaneSource> remote, std::string paneId, std::string message) -> QCoro::Task<void> {
    const Delivery delivery{std::nullopt, message, std::nullopt};
    auto delivered = deliver(client, remote, paneId, delivery,
                             qtTrId("macos.terminal_viewer.the_message_could_not_be_delivered").toStdString());
    const auto error = co_await std::move(delivered);
    if (!self) co_return;
    self->m_isSending = false;
    self->m_composerError = error;
    if (!error) {
      auto& history = self->m_sentMessageHistory[paneId];
      if (history.empty() || history.back() != message) history.push_back(message);
      if (history.size() > static_cast<std::size_t>(kSentHistoryLimit)) history.erase(history.begin());
      emit self->sentHistoryChanged();
    }
    emit self->sendingChanged();
    self->m_content->kickImmediateCapture();
  };
  run(this, m_client, remoteFor(*m_selectedPaneId), *m_selectedPaneId, text);
}

namespace {

// The images of a send plan read from disk (off the main thread), or the text of the error.
struct ReadImages {
  std::vector<control_plane::ImageAttachment> images;
  std::optional<std::string> error;
};

ReadImages readImages(const ComposerSendPlan& plan) {
  ReadImages read;
  for (std::size_t i = 0; i < plan.imagePaths.size(); ++i) {
    QFile file(QString::fromStdString(plan.imagePaths[i]));
    if (!file.open(QIODevice::ReadOnly)) {
      read.error = qtTrId("macos.terminal_viewer.attachment_unreadable")
                       .arg(QString::fromStdString(plan.imagePaths[i]), file.errorString())
                       .toStdString();
      return read;
    }
    const QByteArray bytes = file.read(ComposerAttachments::kMaxImageBytes + 1);
    read.images.push_back({bytes.toBase64().toStdString(), plan.imageExts[i]});
  }
  return read;
}

}  // namespace

void TerminalViewerModel::sendWithAttachments(const std::string& text, std::vector<ComposerAttachment> attachments) {
  if (attachments.empty()) return sendComposed(text);
  if (!m_selectedPaneId || m_isSending) return;
  m_isSending = true;
  m_composerError.reset();
  emit sendingChanged();
  auto run = [](QPointer<TerminalViewerModel> self, std::shared_ptr<control_plane::ControlPlaneClient> client,
                std::shared_ptr<RemotePaneSource> remote, std::string paneId, ComposerSendPlan plan) -> QCoro::Task<void> {
    std::optional<std::string> error;
    const std::string failure = qtTrId("macos.terminal_viewer.the_message_could_not_be_delivered").toStdString();
    // Progress over every byte copied to the other machine, file after file.
    std::int64_t copied = 0;
    const auto progressOf = [self, &copied, total = std::max<std::int64_t>(plan.uploadBytes, 1)](std::int64_t size) {
      return [self, &copied, total, size](double fraction) {
        if (!self) return;
        self->m_uploadProgress = std::min(1.0, (static_cast<double>(copied) + fraction * static_cast<double>(size)) / total);
        emit self->uploadProgressChanged();
      };
    };
    try {
      std::string message = plan.text;
      if (remote) {
        // Files other than images are copied over first; the message then names them by
        // the paths they have there.
        std::vector<std::string> keptPaths;
        for (const std::string& path : plan.otherPaths) {
          const QString local = QString::fromStdString(path);
          const std::int64_t size = QFileInfo(local).size();
          auto keeping = remote->keepFile(paneId, local, progressOf(size));
          keptPaths.push_back(co_await std::move(keeping));
          copied += size;
        }
        message = ComposerAttachments::textWithPaths(plan.message, keptPaths);
      }
      if (plan.imagePaths.empty()) {
        const Delivery delivery{std::nullopt, message, std::nullopt};
        auto delivered = deliver(client, remote, paneId, delivery, failure);
        error = co_await std::move(delivered);
      } else {
        QFuture<ReadImages> reading = QtConcurrent::run(readImages, plan);
        const ReadImages read = co_await std::move(reading);
        if (read.error) {
          error = read.error;
        } else {
          std::optional<control_plane::ImageSendResult> result;
          if (remote) {
            std::int64_t imageBytes = 0;
            for (const auto& image : read.images) imageBytes += static_cast<std::int64_t>(image.base64.size() / 4 * 3);
            auto sending = remote->sendImage(paneId, read.images, message, progressOf(imageBytes));
            result = co_await std::move(sending);
          } else {
            auto sending = client->sendImage(paneId, read.images, message);
            result = co_await std::move(sending);
          }
          if (!result->ok) error = result->error.value_or(failure);
        }
      }
    } catch (const std::exception& e) {
      error = describe(e);
    }
    if (!self) co_return;
    self->m_isSending = false;
    self->m_composerError = error;
    if (self->m_uploadProgress) {
      self->m_uploadProgress.reset();
      emit self->uploadProgressChanged();
    }
    emit self->sendingChanged();
    if (!error) emit self->attachmentsSent();
    self->m_content->kickImmediateCapture();
  };
  run(this, m_client, remoteFor(*m_selectedPaneId), *m_selectedPaneId, ComposerAttachments::plan(text, attachments));
}

void TerminalViewerModel::sendNavKey(const std::string& key) {
  if (!m_selectedPaneId) return;
  auto run = [](QPointer<TerminalViewerModel> self, std::shared_ptr<control_plane::ControlPlaneClient> client,
                std::shared_ptr<RemotePaneSource> remote, std::string paneId, std::string name) -> QCoro::Task<void> {
    std::optional<std::string> error;
    try {
      if (remote) {
        auto sent = remote->sendKey(paneId, name);
        co_await std::move(sent);
      } else {
        auto sent = client->sendKey(paneId, name);
        co_await std::move(sent);
      }
    } catch (const std::exception& e) {
      error = describe(e);
    }
    if (!self) co_return;
    if (error != self->m_composerError) {
      self->m_composerError = error;
      emit self->sendingChanged();
    }
    self->m_content->kickImmediateCapture();
  };
  run(this, m_client, remoteFor(*m_selectedPaneId), *m_selectedPaneId, key);
}

void TerminalViewerModel::renamePane(const std::string& paneId, const std::string& name) {
  auto run = [](QPointer<TerminalViewerModel> self, std::shared_ptr<control_plane::ControlPlaneClient> client,
                std::string id, std::string customName) -> QCoro::Task<void> {
    std::optional<std::string> error;
    try {
      auto naming = client->setPaneLabel(id, customName);
      co_await std::move(naming);
    } catch (const std::exception& e) {
      error = describe(e);
    }
    if (!self || error == self->m_composerError) co_return;
    self->m_composerError = error;
    emit self->sendingChanged();
  };
  run(this, m_client, paneId, name);
}

// --- Fit width -------------------------------------------------------------------------

std::optional<int> TerminalViewerModel::fittedColumns() const { return FitWidth::cols(m_lastCanvasWidth, m_charWidth); }

void TerminalViewerModel::setFitWidthMode(FitWidthMode mode) {
  if (m_settings) m_settings->setValue(kFitWidthModeKey, QString::fromUtf8(FitWidthModes::id(mode).data()));
  const bool changed = mode != m_fitWidthMode;
  m_fitWidthMode = mode;
  if (changed) emit fitWidthModeChanged();
  if (mode == FitWidthMode::off) {
    if (m_widthImposed) resizeSelected(std::nullopt);
  } else if (mode == FitWidthMode::fit) {
    if (auto cols = fittedColumns()) resizeSelected(*cols);
  } else if (auto fixed = FitWidthModes::fixedColumns(mode)) {
    resizeSelected(*fixed);
  }
}

void TerminalViewerModel::canvasWidthChanged(double canvasWidth, double charWidth) {
  if (canvasWidth <= 0) return;
  m_lastCanvasWidth = canvasWidth;
  if (charWidth > 0) m_charWidth = charWidth;
  if (m_fitWidthMode == FitWidthMode::fit || (m_autoFitEngaged && m_chatModeActive)) m_fitDebounce.start();
}

void TerminalViewerModel::resizeSelected(std::optional<int> cols) {
  // Another machine's windows keep their size (the relay carries no resize).
  if (!m_selectedPaneId || remoteFor(*m_selectedPaneId)) return;
  m_widthImposed = cols.has_value();
  if (cols) *m_historyWidth = *cols;
  auto run = [](std::shared_ptr<control_plane::ControlPlaneClient> client, std::string paneId,
                std::optional<std::int64_t> columns) -> QCoro::Task<void> {
    try {
      auto resized = client->resizeWindow(paneId, columns);
      co_await std::move(resized);
    } catch (const std::exception&) {
      // A pane that ended or a daemon that went away: the next selection sizes again.
    }
  };
  run(m_client, *m_selectedPaneId, cols ? std::optional<std::int64_t>(*cols) : std::nullopt);
}

void TerminalViewerModel::handBackWidthOnDisappear() {
  if (m_widthImposed) resizeSelected(std::nullopt);
}

void TerminalViewerModel::setWindowForeground(bool foreground) { m_isWindowForeground = foreground; }

void TerminalViewerModel::setAutoFitSurfaceActive(bool active) {
  m_autoFitSurfaceActive = active;
  if (active) {
    m_autoFitTicker.start();
  } else {
    m_autoFitTicker.stop();
    autoFitTick();
  }
}

void TerminalViewerModel::setChatModeActive(bool active) {
  if (active == m_chatModeActive) return;
  m_chatModeActive = active;
  if (active && m_autoFitEngaged) {
    if (auto cols = fittedColumns()) resizeSelected(*cols);
  }
}

void TerminalViewerModel::autoFitTick() {
  const bool enabled = m_settings ? m_settings->get(shell::SettingsKeys::macAutoFitEnabled) : true;
  const bool hasSelection = m_selectedPaneId.has_value();
  const bool canHold = MacAutoFitGate::shouldHoldAutoFit(enabled, m_autoFitSurfaceActive, hasSelection);
  const bool canEngage = MacAutoFitGate::shouldEngageAutoFit(enabled, m_isWindowForeground, m_autoFitSurfaceActive,
                                                             hasSelection && !m_selectedPaneId->empty());
  const bool engaged = m_autoFitHysteresis.evaluate(canEngage, canHold, monotonicSeconds());
  if (engaged == m_autoFitEngaged) return;
  m_autoFitEngaged = engaged;
  emit autoFitEngagedChanged();
  if (engaged && m_chatModeActive) {
    if (auto cols = fittedColumns()) resizeSelected(*cols);
  }
}

}  // namespace vesket::viewer
