#include "ui/main_window.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QTextEdit>
#include <QButtonGroup>
#include <QComboBox>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QSplitter>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "control_plane/core/pane_entry.h"
#include "control_plane/control_plane_client.h"
#include "shell/desktop_isolation.h"
#include "shell/settings_store.h"
#include "terminal/live_terminal_view.h"
#include "ui/answer_panel.h"
#include "ui/composer.h"
#include "ui/pane_sidebar_delegate.h"
#include "ui/pane_sidebar_model.h"
#include "ui/pane_text_view.h"
#include "ui/settings_dialog.h"
#include "ui/theme.h"
#include "ui/viewer_state_view.h"
#include "relay/pairing_flow.h"
#include "relay/relay_error_presentation.h"
#include "ui/window_requests.h"
#include "viewer/core/pane_grouping.h"
#include "viewer/pane_list_store.h"
#include "viewer/terminal_viewer_model.h"

namespace vesket::ui {

using viewer::ViewerState;

MainWindow::MainWindow(viewer::TerminalViewerModel& model, QWidget* parent) : QMainWindow(parent), m_model(model) {
  setWindowTitle("Vesket");
  resize(1180, 760);
  auto* splitter = new QSplitter(Qt::Horizontal, this);
  splitter->setChildrenCollapsible(false);
  splitter->setHandleWidth(1);
  splitter->addWidget(buildSidebar());
  splitter->addWidget(buildPaneArea());
  splitter->setStretchFactor(0, 0);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({300, 880});
  setCentralWidget(splitter);

  connect(&m_model, &viewer::TerminalViewerModel::stateChanged, this, &MainWindow::syncState);
  connect(&m_model, &viewer::TerminalViewerModel::connectionChanged, this, &MainWindow::syncConnectionBadge);
  connect(&m_model, &viewer::TerminalViewerModel::selectionChanged, this, &MainWindow::syncSelection);
  connect(&m_model.paneList(), &viewer::PaneListStore::panesChanged, this, &MainWindow::syncHeader);
  connect(&m_model, &viewer::TerminalViewerModel::contentChanged, m_paneText, &PaneTextView::applyChange);
  connect(&m_model, &viewer::TerminalViewerModel::paneTextFeedChanged, this,
          [this] { m_paneText->setFeed(m_model.paneTextFeed(), m_model.lastUpdate()); });
  connect(&m_model, &viewer::TerminalViewerModel::awaitingPaneIdsChanged, this,
          [this] { m_sidebarModel->setAwaitingPaneIds(m_model.awaitingPaneIds()); });
  connect(&m_model, &viewer::TerminalViewerModel::awaitingPromptChanged, this, [this] {
    m_answerPanel->setPrompt(m_model.awaitingPrompt());
    syncDigitShortcuts();
  });
  connect(&m_model, &viewer::TerminalViewerModel::answeringChanged, this, [this] {
    m_answerPanel->setAnswering(m_model.isAnswering());
    const auto& error = m_model.answerError();
    m_answerPanel->setError(error ? std::optional<QString>(QString::fromStdString(*error)) : std::nullopt);
    syncDigitShortcuts();
  });
  connect(&m_model, &viewer::TerminalViewerModel::uploadProgressChanged, this,
          [this] { m_composer->setUploadProgress(m_model.uploadProgress()); });
  connect(&m_model, &viewer::TerminalViewerModel::sendingChanged, this, [this] {
    const bool wasSending = m_composer->property("sending").toBool();
    m_composer->setSending(m_model.isSending());
    m_composer->setProperty("sending", m_model.isSending());
    const auto& error = m_model.composerError();
    m_composer->setError(error ? QString::fromStdString(*error) : QString());
    if (wasSending && !m_model.isSending() && !error) m_composer->clearText();
  });
  connect(&m_model, &viewer::TerminalViewerModel::sentHistoryChanged, this, [this] {
    std::vector<QString> sent;
    if (const auto& id = m_model.selectedPaneId()) {
      for (const auto& text : m_model.sentHistory(*id)) sent.push_back(QString::fromStdString(text));
    }
    m_composer->setHistory(std::move(sent));
  });
  connect(&m_model, &viewer::TerminalViewerModel::fitWidthModeChanged, this, [this] {
    m_fitPicker->setCurrentIndex(static_cast<int>(m_model.fitWidthMode()));
  });
  connect(m_answerPanel, &AnswerPanel::optionChosen, this,
          [this](const viewer::ApprovalOption& option) { m_model.answerOption(option); });
  connect(m_answerPanel, &AnswerPanel::freeTextSubmitted, this,
          [this](const QString& text) { m_model.answerFreeText(text.toStdString()); });
  connect(m_answerPanel, &AnswerPanel::dismissRequested, this, [this] { m_model.dismissAwaiting(); });
  connect(m_composer, &Composer::submitted, this, [this](const QString& text) {
    std::vector<viewer::ComposerAttachment> attachments;
    for (const QString& path : m_composer->attachments()) {
      attachments.push_back({path.toStdString(), QFileInfo(path).size()});
    }
    m_model.sendWithAttachments(text.toStdString(), std::move(attachments));
  });
  connect(&m_model, &viewer::TerminalViewerModel::attachmentsSent, m_composer, &Composer::clearAttachments);
  connect(m_composer, &Composer::navKeyRequested, this,
          [this](const QString& key) { m_model.sendNavKey(key.toStdString()); });
  connect(m_stateView, &ViewerStateView::actionRequested, this, [this](ViewerState::Kind) {
    m_model.stop();
    m_model.start();
  });

  // Keyboard navigation: Ctrl+1..9 picks a pane, Alt+Up/Down walks the list.
  for (int i = 1; i <= 9; ++i) {
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_0 + i)), this);
    connect(shortcut, &QShortcut::activated, this, [this, i] { m_model.selectByIndex(i - 1); });
  }
  connect(new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Down), this), &QShortcut::activated, this,
          [this] { m_model.selectRelative(1); });
  connect(new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Up), this), &QShortcut::activated, this,
          [this] { m_model.selectRelative(-1); });
  connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this), &QShortcut::activated, this,
          [this] { m_composer->focusEditor(); });
  // Digits 1-9 answer the waiting prompt from anywhere in the window but where typing goes.
  for (int i = 1; i <= 9; ++i) {
    for (auto keys : {QKeySequence(static_cast<Qt::Key>(Qt::Key_0 + i)),
                      QKeySequence(Qt::KeypadModifier | static_cast<Qt::Key>(Qt::Key_0 + i))}) {
      auto* shortcut = new QShortcut(keys, this);
      shortcut->setEnabled(false);
      connect(shortcut, &QShortcut::activated, this, [this, i] { m_answerPanel->chooseIndex(i); });
      m_digitShortcuts.push_back(shortcut);
    }
  }
  connect(qApp, &QApplication::focusChanged, this, &MainWindow::syncDigitShortcuts);

  applyStyle();
  connect(&Theme::current(), &Theme::schemeChanged, this, &MainWindow::applyStyle);
  syncConnectionBadge();
  syncState();
  syncSelection();
  m_paneText->setFeed(m_model.paneTextFeed(), m_model.lastUpdate());
  m_fitPicker->setCurrentIndex(static_cast<int>(m_model.fitWidthMode()));
}

// Focus moves while the children go: the window stops listening before that.
MainWindow::~MainWindow() { disconnect(qApp, nullptr, this, nullptr); }

void MainWindow::addSidebarFooter(QWidget* widget) {
  auto* layout = qobject_cast<QVBoxLayout*>(m_sidebar->parentWidget()->layout());
  widget->setParent(m_sidebar->parentWidget());
  layout->addWidget(widget);
}

QWidget* MainWindow::buildSidebar() {
  auto* panel = new QWidget(this);
  panel->setObjectName("sidebarPanel");
  panel->setMinimumWidth(230);
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  auto* header = new QWidget(panel);
  header->setObjectName("sidebarHeader");
  auto* headerLayout = new QHBoxLayout(header);
  headerLayout->setContentsMargins(14, 12, 12, 10);
  auto* title = new QLabel("Vesket", header);
  title->setObjectName("appTitle");
  headerLayout->addWidget(title);
  headerLayout->addStretch(1);
  m_connectionBadge = new QLabel(header);
  m_connectionBadge->setObjectName("connectionBadge");
  headerLayout->addWidget(m_connectionBadge);
  layout->addWidget(header);
  // The window's other places get a row of their own: beside the title they squeezed it.
  auto* actionsRow = new QWidget(panel);
  auto* actionsLayout = new QHBoxLayout(actionsRow);
  actionsLayout->setContentsMargins(12, 0, 12, 8);
  addSettingsButton(actionsLayout);
  actionsLayout->addStretch(1);
  layout->addWidget(actionsRow);
  auto* machineRow = new QWidget(panel);
  auto* machineLayout = new QHBoxLayout(machineRow);
  machineLayout->setContentsMargins(12, 0, 12, 8);
  m_machinePicker = new QComboBox(machineRow);
  m_machinePicker->setObjectName("machinePicker");
  machineLayout->addWidget(m_machinePicker);
  machineRow->hide();
  layout->addWidget(machineRow);
  connect(m_machinePicker, &QComboBox::activated, this, [this](int index) {
    const qint64 daemonId = m_machinePicker->itemData(index).toLongLong();
    if (daemonId == 0) {
      m_model.setActiveRemoteTarget(std::nullopt);
    } else {
      m_model.setActiveRemoteTarget(viewer::ActiveRemoteTarget{daemonId, m_machinePicker->itemText(index).toStdString()});
    }
    emit activeMachineChanged(daemonId, daemonId == 0 ? QString() : m_machinePicker->itemText(index));
  });

  m_sidebarModel = new PaneSidebarModel(&m_model.paneList(), this);
  m_sidebar = new QTreeView(panel);
  m_sidebar->setObjectName("paneSidebar");
  m_sidebar->setModel(m_sidebarModel);
  m_sidebar->setItemDelegate(new PaneSidebarDelegate(m_sidebar));
  m_sidebar->setHeaderHidden(true);
  m_sidebar->setRootIsDecorated(false);
  m_sidebar->setIndentation(0);
  m_sidebar->setItemsExpandable(false);
  m_sidebar->setUniformRowHeights(false);
  m_sidebar->setFrameShape(QFrame::NoFrame);
  m_sidebar->setMouseTracking(true);
  m_sidebar->setSelectionMode(QAbstractItemView::SingleSelection);
  m_sidebar->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  m_sidebar->installEventFilter(this);
  m_sidebar->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(m_sidebar, &QTreeView::customContextMenuRequested, this, &MainWindow::showPaneMenu);
  layout->addWidget(m_sidebar, 1);
  // A roster of another shape rebuilds the rows; only the highlighted row follows, the
  // selected pane's text stays as it is.
  connect(m_sidebarModel, &PaneSidebarModel::rosterReset, this, [this] {
    m_sidebar->expandAll();
    syncSidebarCurrent();
  });
  connect(m_sidebar->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
    const QString id = current.data(PaneSidebarModel::PaneIdRole).toString();
    if (!id.isEmpty()) m_model.select(id.toStdString());
  });
  m_sidebar->expandAll();
  return panel;
}

QWidget* MainWindow::buildPaneArea() {
  m_stack = new QStackedWidget(this);
  m_stateView = new ViewerStateView(m_stack);
  m_stack->addWidget(m_stateView);

  m_paneArea = new QWidget(m_stack);
  m_paneArea->setObjectName("paneArea");
  auto* layout = new QVBoxLayout(m_paneArea);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  auto* header = new QWidget(m_paneArea);
  header->setObjectName("paneHeader");
  auto* headerLayout = new QHBoxLayout(header);
  headerLayout->setContentsMargins(16, 10, 12, 10);
  auto* titles = new QVBoxLayout;
  titles->setSpacing(1);
  m_paneTitle = new QLabel(header);
  m_paneTitle->setObjectName("paneTitle");
  m_paneLocation = new QLabel(header);
  m_paneLocation->setObjectName("paneLocation");
  titles->addWidget(m_paneTitle);
  titles->addWidget(m_paneLocation);
  headerLayout->addLayout(titles, 1);
  auto* fitLabel = new QLabel(qtTrId("macos.main_window.width"), header);
  fitLabel->setObjectName("fitLabel");
  headerLayout->addWidget(fitLabel);
  m_fitPicker = new QComboBox(header);
  m_fitPicker->setObjectName("fitPicker");
  m_fitPicker->setToolTip(qtTrId("macos.main_window.fit_picker_tooltip"));
  for (auto mode : viewer::FitWidthModes::kAll) {
    m_fitPicker->addItem(mode == viewer::FitWidthMode::off ? qtTrId("macos.main_window.fit_width_off")
                                                           : qtTrId("macos.main_window.fit_width_fit"));
  }
  connect(m_fitPicker, &QComboBox::activated, this, [this](int index) {
    m_model.setFitWidthMode(viewer::FitWidthModes::kAll[static_cast<std::size_t>(index)]);
    reportCanvasWidth();
  });
  headerLayout->addWidget(m_fitPicker);
  layout->addWidget(header);

  m_paneText = new PaneTextView(m_paneArea);
  m_paneText->editor()->viewport()->installEventFilter(this);
  m_textOrLive = new QStackedWidget(m_paneArea);
  m_textOrLive->addWidget(m_paneText);
  layout->addWidget(m_textOrLive, 1);
  addLiveTerminalControls(headerLayout);

  auto* answerHolder = new QWidget(m_paneArea);
  auto* answerLayout = new QVBoxLayout(answerHolder);
  answerLayout->setContentsMargins(12, 8, 12, 0);
  m_answerPanel = new AnswerPanel(answerHolder);
  answerLayout->addWidget(m_answerPanel);
  layout->addWidget(answerHolder);

  m_composer = new Composer(m_paneArea);
  layout->addWidget(m_composer);

  m_stack->addWidget(m_paneArea);
  return m_stack;
}

void MainWindow::applyStyle() {
  const auto& c = Theme::current().colors();
  setStyleSheet(QString(R"(
    QWidget#sidebarPanel { background: %1; }
    QWidget#sidebarHeader { background: %1; }
    QTreeView#paneSidebar { background: %1; border: none; outline: none; }
    QTreeView#paneSidebar::item:selected, QTreeView#paneSidebar::item:hover { background: transparent; }
    QLabel#appTitle { color: %2; font-size: 15px; font-weight: 700; }
    QWidget#paneHeader { background: %3; border-bottom: 1px solid %4; }
    QLabel#paneTitle { color: %2; font-size: 14px; font-weight: 600; }
    QLabel#paneLocation { color: %5; font-size: 11px; }
    QLabel#fitLabel { color: %5; }
    QSplitter::handle { background: %4; }
    QToolButton#textModeToggle, QToolButton#liveTerminalToggle {
      background: %6; color: %5; border: 1px solid %4; padding: 3px 10px; }
    QToolButton#textModeToggle { border-top-left-radius: 6px; border-bottom-left-radius: 6px; border-right: none; }
    QToolButton#liveTerminalToggle { border-top-right-radius: 6px; border-bottom-right-radius: 6px; }
    QToolButton#textModeToggle:checked, QToolButton#liveTerminalToggle:checked {
      background: %7; color: %8; border-color: %7; font-weight: 600; }
  )")
                    .arg(c.panel.name(), c.text.name(), c.window.name(), c.border.name(), c.secondaryText.name(),
                         c.raised.name(), c.accent.name(), c.accentText.name()));
  syncConnectionBadge();
}

void MainWindow::syncConnectionBadge() {
  const auto& c = Theme::current().colors();
  using K = control_plane::ConnectionState::Kind;
  QString text;
  QColor color;
  switch (m_model.connection().kind) {
    case K::connected: text = QStringLiteral("\u25cf ") + qtTrId("macos.main_window.connection_daemon"); color = c.running; break;
    case K::connecting:
    case K::idle:
      text = QStringLiteral("\u25cc ") + qtTrId("macos.main_window.connection_connecting");
      color = c.faintText;
      break;
    case K::reconnecting:
      text = QStringLiteral("\u25cc ") + qtTrId("macos.main_window.connection_retry").arg(m_model.connection().attempt);
      color = c.awaiting;
      break;
    case K::unavailable: text = QStringLiteral("\u25cb ") + qtTrId("macos.main_window.connection_no_daemon"); color = c.danger; break;
  }
  m_connectionBadge->setText(text);
  m_connectionBadge->setStyleSheet(QString("color: %1; font-size: 11px;").arg(color.name()));
  m_connectionBadge->setToolTip(qtTrId("macos.main_window.connection_to_the_local_vesket_daemon"));
}

void MainWindow::syncState() {
  const ViewerState state = m_model.state();
  const bool showPane = (state.kind == ViewerState::Kind::streamingRunning ||
                         state.kind == ViewerState::Kind::streamingIdle) &&
                        m_model.selectedPaneId().has_value();
  m_stateView->setState(state);
  m_stack->setCurrentWidget(showPane ? m_paneArea : static_cast<QWidget*>(m_stateView));
  syncHeader();
  syncAutoFit();
}

// Auto-fit works while the pane's view is on screen; in the text view (chat mode) it takes
// the pane's width over to the window's, the live terminal sizes itself.
void MainWindow::syncAutoFit() {
  m_model.setAutoFitSurfaceActive(isVisible() && !isMinimized() && m_stack->currentWidget() == m_paneArea);
  m_model.setChatModeActive(m_textOrLive->currentWidget() == m_paneText);
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  syncAutoFit();
}

void MainWindow::hideEvent(QHideEvent* event) {
  QMainWindow::hideEvent(event);
  syncAutoFit();
}

void MainWindow::syncSidebarCurrent() {
  const auto& selected = m_model.selectedPaneId();
  if (!selected) return;
  const QModelIndex index = m_sidebarModel->indexOfPane(*selected);
  if (index.isValid() && m_sidebar->currentIndex() != index) {
    m_sidebar->setCurrentIndex(index);
    m_sidebar->scrollTo(index);
  }
}

// The text view needs nothing here: a new selection resets the content store, which
// replaces the shown text itself.
void MainWindow::syncSelection() {
  const auto& selected = m_model.selectedPaneId();
  syncSidebarCurrent();
  std::vector<QString> sent;
  if (selected) {
    for (const auto& text : m_model.sentHistory(*selected)) sent.push_back(QString::fromStdString(text));
  }
  m_composer->setHistory(std::move(sent));
  m_composer->setError(QString());
  m_answerPanel->setPrompt(m_model.awaitingPrompt());
  syncHeader();
  syncState();
}

void MainWindow::syncHeader() {
  const auto& selected = m_model.selectedPaneId();
  if (!selected) return;
  for (const auto& pane : m_model.paneList().panes()) {
    if (pane.paneId != *selected) continue;
    const auto row = viewer::PaneGrouping::row(pane);
    m_paneTitle->setText(QString::fromStdString(row.fullLabel));
    QString location = QString::fromStdString(pane.sessionName) + ":" + QString::number(pane.windowIndex) + "." +
                       QString::number(pane.paneIndex) + "  \u00b7  " + QString::fromStdString(pane.paneId) +
                       "  \u00b7  " + QString::fromStdString(pane.cmd);
    if (row.modelLabel) location += "  \u00b7  " + QString::fromStdString(*row.modelLabel);
    if (pane.contextPct) {
      //: The share of the agent's context window in use, e.g. "42% context".
      location += "  \u00b7  " + qtTrId("macos.main_window.context_used").arg(qRound(*pane.contextPct));
    }
    location += "  \u00b7  " + statusCaption(row);
    m_paneLocation->setText(location);
    m_composer->setTargetName(QString::fromStdString(row.label));
    return;
  }
}

void MainWindow::reportCanvasWidth() {
  const QFontMetricsF metrics(m_paneText->editor()->font());
  const double margins = 2 * m_paneText->editor()->document()->documentMargin();
  m_model.canvasWidthChanged(m_paneText->editor()->viewport()->width() - margins,
                             metrics.horizontalAdvance(QLatin1Char('M')));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  // Events reach the filter while the window is still being built.
  if (!m_paneText || !m_answerPanel || !m_composer) return QMainWindow::eventFilter(watched, event);
  if (watched == m_paneText->editor()->viewport() && event->type() == QEvent::Resize) reportCanvasWidth();
  if (watched == m_sidebar && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      m_composer->focusEditor();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

bool MainWindow::focusTakesTyping() const {
  const QWidget* focus = QApplication::focusWidget();
  if (!focus) return false;
  if (m_liveTerminal && (focus == m_liveTerminal || m_liveTerminal->isAncestorOf(focus))) return true;
  if (qobject_cast<const QLineEdit*>(focus) || qobject_cast<const QAbstractSpinBox*>(focus)) return true;
  if (auto* edit = qobject_cast<const QPlainTextEdit*>(focus)) return !edit->isReadOnly();
  if (auto* edit = qobject_cast<const QTextEdit*>(focus)) return !edit->isReadOnly();
  if (auto* combo = qobject_cast<const QComboBox*>(focus)) return combo->isEditable();
  return false;
}

void MainWindow::syncDigitShortcuts() {
  const bool enabled = m_answerPanel->isVisibleTo(this) && m_answerPanel->acceptsDigits() && !focusTakesTyping();
  for (auto* shortcut : m_digitShortcuts) shortcut->setEnabled(enabled);
}

void MainWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::WindowStateChange) syncAutoFit();
  if (event->type() == QEvent::ActivationChange) {
    m_model.setWindowForeground(isActiveWindow());
    if (isActiveWindow()) m_model.restoreRememberedSelectionOnReturn();
  }
  QMainWindow::changeEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  m_model.handBackWidthOnDisappear();
  emit closing();
  QMainWindow::closeEvent(event);
}

// ---- live terminal switch and settings ----

void MainWindow::addLiveTerminalControls(QHBoxLayout* headerLayout) {
  // Two halves of one switch: the one that is on shows which view the pane is in.
  auto* modes = new QButtonGroup(this);
  modes->setExclusive(true);
  auto* segment = new QHBoxLayout;
  segment->setSpacing(0);
  headerLayout->addLayout(segment);
  m_textToggle = new QToolButton(m_paneArea);
  m_textToggle->setObjectName("textModeToggle");
  m_textToggle->setText(qtTrId("macos.main_window.text_mode"));
  m_textToggle->setToolTip(qtTrId("macos.main_window.text_mode_tooltip"));
  m_textToggle->setCheckable(true);
  m_textToggle->setChecked(true);
  modes->addButton(m_textToggle);
  segment->addWidget(m_textToggle);
  m_liveToggle = new QToolButton(m_paneArea);
  m_liveToggle->setObjectName("liveTerminalToggle");
  m_liveToggle->setText(qtTrId("macos.main_window.live_terminal"));
  m_liveToggle->setToolTip(qtTrId("macos.main_window.show_the_pane_as_a_live_terminal"));
  m_liveToggle->setCheckable(true);
  modes->addButton(m_liveToggle);
  segment->addWidget(m_liveToggle);
  headerLayout->addSpacing(8);
  connect(m_liveToggle, &QToolButton::toggled, this, &MainWindow::setLiveTerminalShown);
  auto* setupButton = new QToolButton(m_paneArea);
  setupButton->setObjectName("setupButton");
  setupButton->setText(qtTrId("macos.main_window.setup"));
  setupButton->setToolTip(qtTrId("macos.main_window.setup_tooltip"));
  headerLayout->addWidget(setupButton);
  connect(setupButton, &QToolButton::clicked, this, &MainWindow::setupRequested);
  connect(&m_model, &viewer::TerminalViewerModel::selectionChanged, this, &MainWindow::syncLiveTerminalPane);
  connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T), this), &QShortcut::activated, this,
          [this] { setLiveTerminalShown(!m_liveToggle->isChecked()); });
  connect(&Theme::current(), &Theme::schemeChanged, this, &MainWindow::syncLiveTerminalTheme);
}

// Settings sit in the sidebar's header, which every screen shows (the daemon being down
// included).
void MainWindow::setMachines(relay::MyMachinesStore* machines) {
  m_machines = machines;
  connect(machines, &relay::MyMachinesStore::changed, this, &MainWindow::fillMachinePicker);
  auto* reload = new QTimer(this);
  reload->setInterval(60 * 1000);
  connect(reload, &QTimer::timeout, machines, [machines] { machines->load(); });
  reload->start();
  machines->load();
}

void MainWindow::fillMachinePicker() {
  const auto target = m_model.activeRemoteTarget();
  m_machinePicker->clear();
  m_machinePicker->addItem(qtTrId("macos.main_window.this_machine"), qint64(0));
  for (const auto& machine : m_machines->machines()) {
    if (machine.isThisMachine) continue;
    const QString name = QString::fromStdString(machine.daemon.machineName.value_or("#" + std::to_string(machine.daemon.id)));
    m_machinePicker->addItem(machine.daemon.connected ? name : qtTrId("macos.main_window.machine_offline").arg(name),
                             qint64(machine.daemon.id));
    if (target && target->daemonId == machine.daemon.id) m_machinePicker->setCurrentIndex(m_machinePicker->count() - 1);
  }
  // Only a second machine makes a choice.
  m_machinePicker->parentWidget()->setVisible(m_machinePicker->count() > 1);
}

void MainWindow::addSettingsButton(QHBoxLayout* sidebarHeaderLayout) {
  auto* settingsButton = new QToolButton(this);
  settingsButton->setObjectName("settingsButton");
  settingsButton->setText(qtTrId("macos.main_window.settings"));
  sidebarHeaderLayout->addWidget(settingsButton);
  connect(settingsButton, &QToolButton::clicked, this, &MainWindow::openSettings);
  auto* inboxButton = new QToolButton(this);
  inboxButton->setObjectName("inboxButton");
  inboxButton->setText(relay::localizedText("macos.inbox_view.title", QStringLiteral("Inbox")));
  sidebarHeaderLayout->insertWidget(sidebarHeaderLayout->indexOf(settingsButton), inboxButton);
  connect(inboxButton, &QToolButton::clicked, &WindowRequests::shared(), &WindowRequests::inboxRequested);
  auto* teamsButton = new QToolButton(this);
  teamsButton->setObjectName("teamsButton");
  teamsButton->setText(qtTrId("macos.main_window.teams"));
  sidebarHeaderLayout->insertWidget(sidebarHeaderLayout->indexOf(settingsButton), teamsButton);
  connect(teamsButton, &QToolButton::clicked, this, &MainWindow::teamsRequested);
}

void MainWindow::setLiveTerminalShown(bool shown) {
  if (m_liveToggle->isChecked() != shown) {
    (shown ? m_liveToggle : m_textToggle)->setChecked(true);  // comes back here through toggled
    return;
  }
  if (shown && !m_liveTerminal) {
    m_liveTerminal = new terminal::LiveTerminalView(
        {.control = m_model.client(), .settings = &settings(), .relayMirror = m_relayTerminalRoute}, m_textOrLive);
    m_textOrLive->addWidget(m_liveTerminal);
    syncLiveTerminalTheme();
  }
  m_textOrLive->setCurrentWidget(shown ? static_cast<QWidget*>(m_liveTerminal) : m_paneText);
  syncAutoFit();
  // What is typed next goes to the view just opened.
  if (shown) m_liveTerminal->setFocus(Qt::OtherFocusReason);
  syncLiveTerminalPane();
}

void MainWindow::syncLiveTerminalTheme() {
  if (!m_liveTerminal) return;
  const auto& c = Theme::current().colors();
  m_liveTerminal->setTheme({{"background", c.base.name()},
                            {"foreground", c.text.name()},
                            {"cursor", c.accent.name()},
                            {"cursorAccent", c.base.name()},
                            {"selectionBackground", c.selection.name()}});
}

void MainWindow::syncLiveTerminalPane() {
  if (!m_liveTerminal) return;
  // Only the shown live terminal holds a session; the text view needs none.
  const auto& id = m_model.selectedPaneId();
  const bool shown = m_textOrLive->currentWidget() == m_liveTerminal;
  m_liveTerminal->showPane(shown && id ? QString::fromStdString(*id) : QString());
}

shell::SettingsStore& MainWindow::settings() {
  return m_model.settings() ? *m_model.settings() : shell::DesktopIsolation::defaults();
}

void MainWindow::openSettings() {
  SettingsDialog dialog(settings(), this, m_account);
  dialog.exec();
}

// --- Naming panes ------------------------------------------------------------------------

void MainWindow::showPaneMenu(const QPoint& at) {
  const QModelIndex index = m_sidebar->indexAt(at);
  const QString paneId = index.data(PaneSidebarModel::PaneIdRole).toString();
  if (paneId.isEmpty()) return;
  QMenu menu(this);
  menu.addAction(qtTrId("macos.main_window.rename_pane"), this, [this, paneId] { renamePane(paneId); });
  menu.exec(m_sidebar->viewport()->mapToGlobal(at));
}

void MainWindow::renamePane(const QString& paneId) {
  QString current;
  for (const auto& pane : m_model.paneList().panes()) {
    if (pane.paneId == paneId.toStdString() && pane.paneLabel && pane.paneLabel->customName) {
      current = QString::fromStdString(*pane.paneLabel->customName);
    }
  }
  QInputDialog dialog(this);
  dialog.setObjectName("renamePaneDialog");
  dialog.setWindowTitle(qtTrId("macos.main_window.rename_pane_title"));
  dialog.setLabelText(qtTrId("macos.main_window.rename_pane_prompt"));
  dialog.setTextValue(current);
  dialog.setOkButtonText(qtTrId("macos.main_window.rename_ok"));
  dialog.setCancelButtonText(qtTrId("macos.main_window.rename_cancel"));
  if (dialog.exec() != QDialog::Accepted) return;
  m_model.renamePane(paneId.toStdString(), dialog.textValue().trimmed().toStdString());
}

}  // namespace vesket::ui
