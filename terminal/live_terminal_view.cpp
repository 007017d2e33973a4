#include "terminal/live_terminal_view.h"

#include <QApplication>
#include <QPushButton>
#include <QVBoxLayout>

#include <deque>
#include <QBuffer>
#include <QColor>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QDesktopServices>
#include <QJsonDocument>
#include <QLabel>
#include <QLoggingCategory>
#include <QStackedLayout>
#include <QTimer>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include "control_plane/control_plane_client.h"
#include "shell/settings_key.h"
#include "shell/settings_store.h"
#include "terminal/live_terminal_channel.h"
#include "terminal/live_terminal_keyboard.h"
#include "terminal/terminal_page_resources.h"
#include "viewer/core/composition_ordering_fence.h"
#include "viewer/core/js_write_coalescer.h"
#include "viewer/core/raw_key_press_pipeline.h"
#include "viewer/core/raw_terminal_key_encoder.h"
#include "viewer/core/remote_pane_ids.h"
#include "viewer/core/terminal_attach_generation.h"
#include "viewer/core/terminal_history_feed.h"
#include "viewer/core/terminal_page_message.h"
#include "viewer/core/terminal_page_script.h"
#include "viewer/terminal_key_event_adapter.h"

namespace vesket::terminal {

namespace {
Q_LOGGING_CATEGORY(liveTerminalLog, "com.nimbrel.vesket.live-terminal")

namespace Script = viewer::TerminalPageScript;
using viewer::TerminalPageMessage;

std::string utf8(const QString& text) { return text.toStdString(); }
}  // namespace

// Hands the transport's callbacks to the view while they belong to the current generation.
class LiveTerminalView::Listener : public relay::TerminalMirrorListener {
 public:
  Listener(LiveTerminalView* view, std::int64_t generation) : m_view(view), m_generation(generation) {}

  void onReady(const relay::ReadyPayload& ready) override {
    if (auto* v = accepted()) v->onReady(ready);
  }
  void onOutput(const std::string& bytes) override {
    if (auto* v = accepted()) v->onOutput(bytes);
  }
  void onExit(const relay::ExitPayload& exit) override {
    if (auto* v = accepted()) v->onExit(exit);
  }
  void onError(const std::string& message) override {
    if (auto* v = accepted()) v->onError(message);
  }
  void onGeometry(int cols, int rows) override {
    if (auto* v = accepted()) v->onGeometry(cols, rows);
  }
  void onHistory(const std::string& bytes) override {
    if (auto* v = accepted()) v->onHistory(bytes);
  }
  void onHistoryEnd() override {
    if (auto* v = accepted()) v->onHistoryEnd();
  }
  void onHistoryOlder(const std::string& bytes) override {
    if (auto* v = accepted()) v->onHistoryOlder(bytes);
  }
  void onHistoryOlderEnd(bool atTop, std::int64_t lines) override {
    if (auto* v = accepted()) v->onHistoryOlderEnd(atTop, lines);
  }
  void onReconnecting(int attempt, int delayMs) override {
    if (auto* v = accepted()) v->setStatus(qtTrId("macos.live_terminal.reconnecting_attempt_delay").arg(attempt).arg(delayMs));
  }
  void onPongMode(const std::string&) override {}
  void onMouseMode(bool) override {}
  void onDesktopWheelMode(const relay::MouseModePayload& payload) override {
    if (auto* v = accepted()) v->onMouseMode(payload);
  }

 private:
  LiveTerminalView* accepted() const;

  QPointer<LiveTerminalView> m_view;
  std::int64_t m_generation;
};

struct LiveTerminalView::State {
  viewer::TerminalAttachGeneration generations;
  viewer::JSWriteCoalescer coalescer;
  std::unique_ptr<viewer::CompositionOrderingFence> fence;
  std::unique_ptr<viewer::RawKeyPressPipeline> keys;
  relay::TerminalTransportClient* transport = nullptr;  // owned by the view (QObject child)
  QObject* transportObject = nullptr;                    // the same object
  std::shared_ptr<Listener> listener;
  std::optional<viewer::TerminalHistoryFeed> history;
  bool historyResetPending = true;  // the next history delivery clears the terminal
  std::string mode = std::string(Script::kModeMirror);
  std::uint64_t nextTrace = 0;                // input trace sequence (latency tracing)
  std::optional<std::uint64_t> answeredTrace;  // the input the next output answers
  // Input that came before the session was ready, in order; sent once it is.
  std::deque<std::string> pendingInput;
  std::size_t pendingInputBytes = 0;
};

LiveTerminalView* LiveTerminalView::Listener::accepted() const {
  if (!m_view || !m_view->m_state->generations.accepts(m_generation)) return nullptr;
  return m_view.data();
}

LiveTerminalView::LiveTerminalView(Options options, QWidget* parent)
    : QWidget(parent), m_options(std::move(options)), m_state(std::make_unique<State>()) {
  if (!m_options.openUrl) m_options.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
  if (!m_options.pagePresent) m_options.pagePresent = [] { return TerminalPageResources::isPresent(); };

  m_state->fence = std::make_unique<viewer::CompositionOrderingFence>(viewer::CompositionOrderingFence::Callbacks{
      .send = [this](const std::string& bytes) { deliverInput(bytes); },
      .willSend = [this](std::uint64_t trace) { m_state->answeredTrace = trace; },
      .scheduleAfter =
          [this](std::chrono::milliseconds delay, std::function<void()> run) -> viewer::CompositionOrderingFence::Cancel {
        auto* timer = new QTimer(this);
        timer->setSingleShot(true);
        QObject::connect(timer, &QTimer::timeout, this, [timer, run = std::move(run)] {
          timer->deleteLater();
          run();
        });
        timer->start(delay);
        QPointer<QTimer> handle(timer);
        return [handle] {
          if (handle) {
            handle->stop();
            handle->deleteLater();
          }
        };
      },
  });
  shell::SettingsStore* settings = m_options.settings;
  m_state->keys = std::make_unique<viewer::RawKeyPressPipeline>(
      [settings]() -> std::optional<double> {
        if (!settings) return std::nullopt;
        const int ms = settings->get(shell::SettingsKeys::heldKeyRepeatIntervalMs);
        return ms > 0 ? std::optional<double>(ms) : std::nullopt;
      },
      viewer::TerminalKeyEventAdapter::systemKeyRepeatIntervalSeconds());

  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);
  m_statusBar = new QWidget(this);
  m_statusBar->setObjectName("liveTerminalStatus");
  m_statusBar->setAttribute(Qt::WA_StyledBackground);
  auto* statusLayout = new QHBoxLayout(m_statusBar);
  statusLayout->setContentsMargins(12, 6, 8, 6);
  m_statusLabel = new QLabel(m_statusBar);
  m_statusLabel->setObjectName("liveTerminalStatusText");
  m_statusLabel->setWordWrap(true);
  statusLayout->addWidget(m_statusLabel, 1);
  m_retryButton = new QPushButton(qtTrId("macos.live_terminal.try_again"), m_statusBar);
  m_retryButton->setObjectName("liveTerminalRetry");
  m_retryButton->setCursor(Qt::PointingHandCursor);
  statusLayout->addWidget(m_retryButton);
  QObject::connect(m_retryButton, &QPushButton::clicked, this, &LiveTerminalView::retry);
  m_statusBar->hide();
  outer->addWidget(m_statusBar);
  m_stack = new QStackedLayout;
  m_stack->setContentsMargins(0, 0, 0, 0);
  outer->addLayout(m_stack, 1);
  m_missingLabel = new QLabel(qtTrId(kAssetsMissingText), this);
  m_missingLabel->setAlignment(Qt::AlignCenter);
  m_stack->addWidget(m_missingLabel);
  if (!m_options.pagePresent()) {
    qCWarning(liveTerminalLog, "terminal.html missing from bundle");
    return;
  }

  m_profile = new QWebEngineProfile(this);  // off the record: nothing written to disk
  m_view = new QWebEngineView(this);
  setFocusProxy(m_view);  // focusing the live terminal means typing into the page
  m_page = new QWebEnginePage(m_profile, m_view);
  m_view->setPage(m_page);
  auto* channelObject = new LiveTerminalChannel(this);
  auto* channel = new QWebChannel(m_page);
  channel->registerObject(QStringLiteral("terminalBridge"), channelObject);
  m_page->setWebChannel(channel);
  QObject::connect(channelObject, &LiveTerminalChannel::messagePosted, this, &LiveTerminalView::onMessage);
  QObject::connect(m_page, &QWebEnginePage::renderProcessTerminated, this, [this](auto status, int code) {
    qCWarning(liveTerminalLog, "WEB_CONTENT_TERMINATED (status %d, exit code %d)", static_cast<int>(status), code);
    m_pageReady = false;
    closeSession();
    if (!m_state->generations.isTornDown()) m_view->load(TerminalPageResources::entryUrl());
  });
  // Keys typed into the page go through the key encoder, never through the page's own.
  new LiveTerminalKeyboard(m_view,
                           {.key = [this](const viewer::TerminalKeyEvent& key) { sendKey(key); },
                            .copy = [this] { copySelection(); },
                            .paste = [this] { paste(); }},
                           this);
  m_stack->addWidget(m_view);
  m_stack->setCurrentWidget(m_view);
  m_view->load(TerminalPageResources::entryUrl());
}

LiveTerminalView::~LiveTerminalView() {
  tearDown();
  delete m_view;  // the page goes before its profile
}

bool LiveTerminalView::showsAssetsMissing() const { return m_stack->currentWidget() == m_missingLabel; }

std::int64_t LiveTerminalView::generation() const { return m_state->generations.current(); }

void LiveTerminalView::showPane(const QString& paneId) {
  if (m_state->generations.isTornDown() || paneId == m_paneId) return;
  closeSession();
  // Keys typed for the previous pane never reach another one.
  m_state->pendingInput.clear();
  m_state->pendingInputBytes = 0;
  m_paneId = paneId;
  m_localAttempts = 0;
  m_overRelay = false;
  if (m_paneId.isEmpty()) setStatus(QString());
  else if (m_pageReady) openSession();
  else if (m_page) setStatus(qtTrId("macos.live_terminal.attaching"));  // the page still loads
}

void LiveTerminalView::tearDown() {
  if (m_state->generations.isTornDown()) return;
  m_state->generations.tearDown();
  m_state->fence->discardOnTeardown();
  m_state->coalescer.clear();
  closeSession();
}

void LiveTerminalView::closeSession() {
  m_sessionReady = false;
  m_state->listener.reset();
  if (auto* transport = std::exchange(m_state->transport, nullptr)) {
    transport->detach();
    std::exchange(m_state->transportObject, nullptr)->deleteLater();  // may be inside one of its own callbacks
  }
}

std::int64_t LiveTerminalView::beginSession() {
  closeSession();
  const std::int64_t generation = m_state->generations.beginSession();
  const bool deHardWrap = m_options.settings && m_options.settings->get(shell::SettingsKeys::desktopHistoryDeHardWrapEnabled);
  const bool takeover = m_options.settings &&
                        m_options.settings->get(kDisplayModeKey) == QLatin1String("takeover");
  m_state->mode = std::string(takeover ? Script::kModeTakeover : Script::kModeMirror);
  m_state->history.emplace(deHardWrap);
  m_state->historyResetPending = true;
  m_state->listener = std::make_shared<Listener>(this, generation);
  return generation;
}

int LiveTerminalView::historyLimit() const {
  return m_options.settings ? m_options.settings->get(shell::SettingsKeys::terminalHistoryLimit)
                            : shell::SettingsKeys::terminalHistoryLimit.defaultValue;
}

void LiveTerminalView::openSession() {
  closeSession();
  if (m_paneId.isEmpty() || m_state->generations.isTornDown()) return;
  if (viewer::RemotePaneIds::isNamespaced(utf8(m_paneId))) {
    openRelaySession();  // another machine's pane
    return;
  }
  if (!m_options.control) return;
  m_overRelay = false;
  const std::int64_t generation = beginSession();
  const int historyLimit = this->historyLimit();
  relay::LocalTerminalMirrorClient::Options options{
      .paneId = utf8(m_paneId),
      .mode = m_state->mode,
      .force = false,
      .historyLimit = historyLimit > 0 ? std::optional<std::int64_t>(historyLimit) : std::nullopt,
      .cols = m_cols,
      .rows = m_rows,
      .initialOpen = m_localAttempts == 0,
      .keepaliveIntervalMs = m_options.keepaliveIntervalMs,
  };
  QPointer<LiveTerminalView> self(this);
  auto* local = new relay::LocalTerminalMirrorClient(
      m_options.control, std::move(options), m_state->listener,
      [self, generation](const relay::LocalAttachUnavailableReason& reason) {
        if (self) self->onLocalUnavailable(generation, reason);
      },
      nullptr, this);
  m_state->transport = local;
  m_state->transportObject = local;
  setStatus(m_localAttempts == 0 ? qtTrId("macos.live_terminal.attaching") : qtTrId("macos.live_terminal.reconnecting"));
  m_state->transport->connect();
}

void LiveTerminalView::onLocalUnavailable(std::int64_t generation, const relay::LocalAttachUnavailableReason& reason) {
  if (!m_state->generations.accepts(generation)) return;
  ++m_localAttempts;
  const bool daemonUnreachable =
      std::holds_alternative<relay::LocalAttachUnavailableReason::ChannelDisconnected>(reason.value);
  if (m_localAttempts < m_options.localAttachAttempts) {
    if (daemonUnreachable) {
      qCWarning(liveTerminalLog, "local terminal-attach unavailable (daemon not reachable: %s) — retrying the local "
                                 "attach after a pause (attempt %d/%d)",
                reason.describe().c_str(), m_localAttempts, m_options.localAttachAttempts - 1);
    } else {
      qCWarning(liveTerminalLog,
                "local terminal-attach unavailable (transport dropped, daemon already known reachable) — retrying the "
                "local attach directly, no readiness probe (attempt %d/%d)",
                m_localAttempts, m_options.localAttachAttempts - 1);
    }
    setStatus(qtTrId("macos.live_terminal.reconnecting"));
    // Not from inside the failing transport's callback; a daemon that is away gets a moment.
    QTimer::singleShot(daemonUnreachable ? m_options.retryDelayMs * m_localAttempts : 0, this,
                       [self = QPointer<LiveTerminalView>(this), generation] {
                         if (self && self->m_state->generations.accepts(generation)) self->openSession();
                       });
    return;
  }
  if (m_options.relayMirror) {
    qCWarning(liveTerminalLog, "local terminal-attach unavailable after %d attempts — falling back to the relay (%s)",
              m_localAttempts, reason.describe().c_str());
    QTimer::singleShot(0, this, [self = QPointer<LiveTerminalView>(this), generation] {
      if (self && self->m_state->generations.accepts(generation)) self->openRelaySession();
    });
    return;
  }
  qCWarning(liveTerminalLog, "local terminal-attach unavailable after %d attempts — giving up (%s)", m_localAttempts,
            reason.describe().c_str());
  closeSession();
  setStatus(qtTrId("macos.live_terminal.the_terminal_of_this_pane_is_not_reachable"), true);
}

void LiveTerminalView::openRelaySession() {
  closeSession();
  if (m_paneId.isEmpty() || m_state->generations.isTornDown()) return;
  beginSession();
  const std::string id = utf8(m_paneId);
  relay::TerminalAttachParams params;
  params.paneId = viewer::RemotePaneIds::raw(id);
  params.cols = m_cols;
  params.rows = m_rows;
  params.mode = m_state->mode;
  params.open = !m_overRelay;
  params.daemonId = viewer::RemotePaneIds::daemonId(id);
  if (const int limit = historyLimit(); limit > 0) params.historyLimit = limit;
  m_overRelay = true;
  QObject* client = m_options.relayMirror ? m_options.relayMirror(params, m_state->listener, this) : nullptr;
  auto* transport = dynamic_cast<relay::TerminalTransportClient*>(client);
  if (!transport) {
    delete client;
    m_state->listener.reset();
    setStatus(qtTrId("macos.live_terminal.the_terminal_of_this_pane_is_not_reachable"), true);
    return;
  }
  m_state->transportObject = client;
  m_state->transport = transport;
  setStatus(qtTrId("macos.live_terminal.attaching"));
  transport->connect();
}

void LiveTerminalView::retry() {
  if (m_state->generations.isTornDown() || m_paneId.isEmpty()) return;
  m_localAttempts = 0;
  if (m_pageReady) openSession();
}

void LiveTerminalView::setStatus(const QString& text, bool failed) {
  m_statusLabel->setText(text);
  m_statusBar->setProperty("failed", failed);
  m_statusBar->setStyleSheet(failed ? QStringLiteral("#liveTerminalStatus { background: #5c2b2b; } QLabel { color: #f3d6d6; }")
                                    : QStringLiteral("#liveTerminalStatus { background: #2b3a4f; } QLabel { color: #dbe6f3; }"));
  m_retryButton->setVisible(failed);
  m_statusBar->setVisible(!text.isEmpty());
  if (m_status == text) return;
  m_status = text;
  emit statusChanged(text);
}

// ---- the page's messages ----

void LiveTerminalView::onMessage(const QString& name, const QJsonObject& payload) {
  if (m_state->generations.isTornDown()) return;
  const auto message = viewer::TerminalPageMessages::named(utf8(name));
  if (!message) return;
  switch (*message) {
    case TerminalPageMessage::pageLoaded:
      break;
    case TerminalPageMessage::ready: {
      m_cols = std::max(1, payload.value("cols").toInt(m_cols));
      m_rows = std::max(1, payload.value("rows").toInt(m_rows));
      const bool firstReady = !m_pageReady;
      m_pageReady = true;
      if (firstReady) {
        QJsonObject init{{"mode", QString::fromStdString(m_state->mode)}, {"copyOnSelect", true}};
        if (!m_theme.isEmpty()) init.insert("theme", m_theme);
        enqueue(Script::init(QJsonDocument(init).toJson(QJsonDocument::Compact).toStdString()), std::nullopt);
        emit pageReady();
      }
      if (!m_state->transport && !m_paneId.isEmpty()) openSession();
      break;
    }
    case TerminalPageMessage::input:
      sendInput(utf8(payload.value("text").toString()));
      break;
    case TerminalPageMessage::inputBytes:
      sendInput(QByteArray::fromBase64(payload.value("base64").toString().toLatin1()).toStdString());
      break;
    case TerminalPageMessage::imeCommit:
      // The committed text goes first; keys held during the composition follow it.
      m_state->answeredTrace = ++m_state->nextTrace;
      deliverInput(utf8(payload.value("text").toString()));
      m_state->fence->compositionEndObserved();
      break;
    case TerminalPageMessage::compositionBoundary:
      if (payload.value("phase").toString() == QLatin1String("start")) m_state->fence->begin();
      else m_state->fence->compositionEndObserved();
      break;
    case TerminalPageMessage::cursorKeyMode:
      m_applicationCursorKeys = payload.value("application").toBool();
      break;
    case TerminalPageMessage::bracketedPasteMode:
      m_bracketedPasteMode = payload.value("enabled").toBool();
      break;
    case TerminalPageMessage::viewportResize:
    case TerminalPageMessage::widthGrow: {
      const int cols = payload.value("cols").toInt(0);
      const int rows = payload.value("rows").toInt(0);
      if (cols <= 0 || rows <= 0) break;
      m_cols = cols;
      m_rows = rows;
      // A mirror keeps the pane's own size; only a takeover sizes the pane to the view.
      if (m_state->mode == Script::kModeTakeover && m_state->transport) m_state->transport->sendResize(cols, rows);
      break;
    }
    case TerminalPageMessage::requestOlderHistory: {
      const auto generation = payload.value("generation").toInteger(-1);
      if (!m_state->generations.accepts(generation) || !m_state->transport) break;
      const bool rewrap = m_options.settings && m_options.settings->get(shell::SettingsKeys::desktopHistoryRewrapEnabled);
      // Conversation turns are not known to the local bridge, so older history comes from
      // the pane's own scroll-back.
      if (viewer::TerminalHistoryFeed::olderHistorySource(rewrap, false, false) ==
          viewer::TerminalHistoryFeed::OlderHistorySource::transport) {
        m_state->transport->sendHistoryMore();
      }
      break;
    }
    case TerminalPageMessage::copySelection: {
      const QString text = payload.value("text").toString();
      if (!text.isEmpty()) QApplication::clipboard()->setText(text);
      break;
    }
    case TerminalPageMessage::openUrl: {
      const QString url = payload.value("url").toString();
      if (viewer::TerminalPageMessages::opensInBrowser(utf8(url))) m_options.openUrl(QUrl(url));
      break;
    }
    case TerminalPageMessage::renderAnomaly:
      qCWarning(liveTerminalLog, "terminal render anomaly: %s", qPrintable(payload.value("text").toString().left(4096)));
      break;
    case TerminalPageMessage::contentParity:
      if (m_state->transport) m_state->transport->sendContentParity(utf8(payload.value("text").toString()));
      break;
    case TerminalPageMessage::copyMode:
    case TerminalPageMessage::imeDiag:
    case TerminalPageMessage::applyTap:
      break;
  }
}

void LiveTerminalView::sendInput(std::string bytes) {
  if (bytes.empty() || m_state->generations.isTornDown()) return;
  m_state->fence->hold(std::move(bytes), ++m_state->nextTrace);
}

void LiveTerminalView::deliverInput(const std::string& bytes) {
  if (bytes.empty()) return;
  if (m_state->transport && m_sessionReady) {
    m_state->transport->sendInput(bytes);
    return;
  }
  if (m_paneId.isEmpty()) return;
  if (m_state->pendingInputBytes + bytes.size() > kMaxPendingInputBytes) {
    qCWarning(liveTerminalLog, "terminal input before the session was ready exceeds %zu bytes: %zu bytes dropped",
              kMaxPendingInputBytes, bytes.size());
    return;
  }
  m_state->pendingInput.push_back(bytes);
  m_state->pendingInputBytes += bytes.size();
}

void LiveTerminalView::sendKey(const viewer::TerminalKeyEvent& event) {
  auto outcome = m_state->keys->handle(event, m_applicationCursorKeys);
  if (outcome.bytes) sendInput(std::move(*outcome.bytes));
}

void LiveTerminalView::paste() {
  const QMimeData* clipboard = QApplication::clipboard()->mimeData();
  if (clipboard && clipboard->hasImage()) {
    pasteImage(qvariant_cast<QImage>(clipboard->imageData()));
    return;
  }
  pasteText(QApplication::clipboard()->text());
}

void LiveTerminalView::pasteImage(const QImage& image) {
  if (m_state->generations.isTornDown() || m_paneId.isEmpty() || !m_options.control) return;
  QByteArray png;
  QBuffer buffer(&png);
  if (image.isNull() || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
    qCWarning(liveTerminalLog, "terminal image paste: encode failed");
    return;
  }
  auto run = [](std::shared_ptr<control_plane::ControlPlaneClient> control, std::string paneId,
                std::string base64) -> QCoro::Task<void> {
    try {
      std::vector<control_plane::ImageAttachment> images{{.base64 = std::move(base64), .ext = "png"}};
      auto sent = control->typeImagePaths(std::move(paneId), std::move(images));
      const auto result = co_await std::move(sent);
      if (!result.ok) {
        qCWarning(liveTerminalLog, "terminal image paste: remote delivery failed (%s)",
                  result.error.value_or(std::string("no reason given")).c_str());
      }
    } catch (const std::exception& e) {
      qCWarning(liveTerminalLog, "terminal image paste: remote transport failed (%s)", e.what());
    }
  };
  run(m_options.control, utf8(m_paneId), png.toBase64().toStdString());
}

void LiveTerminalView::copySelection() {
  runScript(QStringLiteral("window.__termGetSelection ? window.__termGetSelection() : ''"), [](const QVariant& text) {
    if (!text.toString().isEmpty()) QApplication::clipboard()->setText(text.toString());
  });
}

void LiveTerminalView::pasteText(const QString& text) {
  if (text.isEmpty()) return;
  sendInput(viewer::RawTerminalKeyEncoder::wrapForBracketedPaste(utf8(text), m_bracketedPasteMode));
}

// ---- the transport's frames ----

void LiveTerminalView::onReady(const relay::ReadyPayload& ready) {
  m_sessionReady = true;
  m_localAttempts = 0;
  const std::string_view mode = ready.mode == Script::kModeTakeover ? Script::kModeTakeover : Script::kModeMirror;
  m_state->mode = std::string(mode);  // what the daemon granted
  enqueue(Script::reconcileMode(mode), generation());
  if (ready.cols > 0 && ready.rows > 0 && mode == Script::kModeMirror) {
    enqueue(Script::resize(static_cast<int>(ready.cols), static_cast<int>(ready.rows)), generation());
  }
  setStatus(QString());
  // What was typed while attaching goes first, in order.
  while (!m_state->pendingInput.empty() && m_state->transport) {
    m_state->transport->sendInput(m_state->pendingInput.front());
    m_state->pendingInput.pop_front();
  }
  m_state->pendingInput.clear();
  m_state->pendingInputBytes = 0;
  emit sessionReady();
}

void LiveTerminalView::onOutput(const std::string& bytes) {
  enqueue(Script::write(bytes, generation(), false, std::exchange(m_state->answeredTrace, std::nullopt)), generation());
}

void LiveTerminalView::onHistory(const std::string& bytes) {
  if (auto chunk = m_state->history->chunk(bytes)) {
    enqueue(Script::historyChunk(*chunk, generation(), std::exchange(m_state->historyResetPending, false)),
            generation());
  }
}

void LiveTerminalView::onHistoryEnd() {
  if (auto chunk = m_state->history->end()) {
    enqueue(Script::historyChunk(*chunk, generation(), std::exchange(m_state->historyResetPending, false)),
            generation());
  }
  enqueue(Script::historyEnd(generation(), std::exchange(m_state->historyResetPending, false)), generation());
}

void LiveTerminalView::onHistoryOlder(const std::string& bytes) {
  enqueue(Script::olderChunk(bytes, generation()), generation());
}

void LiveTerminalView::onHistoryOlderEnd(bool atTop, std::int64_t lines) {
  enqueue(Script::olderEnd(generation(), atTop, lines), generation());
}

void LiveTerminalView::onGeometry(int cols, int rows) {
  if (m_state->mode == Script::kModeMirror) enqueue(Script::resize(cols, rows), generation());
}

void LiveTerminalView::onMouseMode(const relay::MouseModePayload& payload) {
  std::optional<std::string_view> encoding;
  if (payload.mouseEncoding && (*payload.mouseEncoding == "sgr" || *payload.mouseEncoding == "utf8" ||
                                *payload.mouseEncoding == "urxvt")) {
    encoding = *payload.mouseEncoding;
  }
  enqueue(Script::setMouseMode(payload.enabled, encoding), generation());
  enqueue(Script::setDesktopWheelMode(Script::wheelModeFor(payload.enabled, payload.alternate.value_or(false))),
          generation());
  if (payload.applicationCursor) m_applicationCursorKeys = *payload.applicationCursor;
}

void LiveTerminalView::onExit(const relay::ExitPayload& exit) {
  m_sessionReady = false;
  setStatus(exit.reason ? qtTrId("macos.live_terminal.the_pane_s_terminal_ended_reason")
                              .arg(QString::fromStdString(*exit.reason))
                        : qtTrId("macos.live_terminal.the_pane_s_terminal_ended"));
}

void LiveTerminalView::onError(const std::string& message) {
  qCWarning(liveTerminalLog, "terminal error: %s", message.c_str());
  setStatus(QString::fromStdString(message), true);
}

// ---- scripts ----

void LiveTerminalView::enqueue(std::string script, std::optional<std::int64_t> generation) {
  if (m_state->generations.isTornDown() || !m_page) return;
  if (m_state->coalescer.enqueue(std::move(script), generation)) {
    QTimer::singleShot(0, this, [this] { flush(); });
  }
}

void LiveTerminalView::flush() {
  auto script = m_state->coalescer.takeFlush(m_state->generations.current());
  if (!script || m_state->generations.isTornDown() || !m_page) return;
  ++m_evaluations;
  m_page->runJavaScript(QString::fromStdString(*script));
}

void LiveTerminalView::setTheme(const QJsonObject& theme) {
  if (theme == m_theme) return;
  m_theme = theme;
  // The view's own background until the page paints (no white flash in the dark scheme).
  if (m_page && theme.contains(QStringLiteral("background"))) {
    m_page->setBackgroundColor(QColor(theme.value(QStringLiteral("background")).toString()));
  }
  if (!m_pageReady) return;
  const QJsonObject init{{"theme", m_theme}};
  enqueue(Script::init(QJsonDocument(init).toJson(QJsonDocument::Compact).toStdString()), std::nullopt);
}

void LiveTerminalView::setForeground(bool foreground) {
  if (m_state->coalescer.setForeground(foreground)) QTimer::singleShot(0, this, [this] { flush(); });
}

void LiveTerminalView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  setForeground(true);
}

void LiveTerminalView::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  setForeground(false);
}

void LiveTerminalView::runScript(const QString& script, std::function<void(const QVariant&)> done) {
  if (!m_page) {
    if (done) done(QVariant());
    return;
  }
  m_page->runJavaScript(script, [done = std::move(done)](const QVariant& result) {
    if (done) done(result);
  });
}

}  // namespace vesket::terminal
