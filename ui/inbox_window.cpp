#include "ui/inbox_window.h"

#include <QApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <map>
#include <set>

#include "inbox/core/decision_deadline.h"
#include "inbox/core/inbox_presentation.h"
#include "inbox/inbox_store.h"
#include "inbox/mac_task_board_store.h"
#include "relay/relay_error_presentation.h"
#include "ui/list_row.h"
#include "ui/task_board_view.h"

namespace vesket::ui {
namespace {

using inbox::InboxMessage;

QString t(const char* key, const char* english, const QStringList& arguments = {}) {
  return relay::localizedText(key, QString::fromUtf8(english), arguments);
}

QString q(const std::string& text) { return QString::fromStdString(text); }

QString when(double ms) {
  return QLocale().toString(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(ms)), QLocale::ShortFormat);
}

QLabel* secondary(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setWordWrap(true);
  label->setStyleSheet("color: palette(placeholder-text); font-size: 11px;");
  return label;
}


// A message card's frame; the one a jump brought into view is outlined.
void styleCard(QFrame* frame, bool outgoing, bool outlined) {
  frame->setProperty("card", true);
  frame->setStyleSheet(QStringLiteral("QFrame[card=\"true\"] { background: %1; border: %2;"
                                      " border-radius: 8px; }")
                           .arg(outgoing ? "palette(alternate-base)" : "palette(base)",
                                outlined ? "2px solid palette(highlight)" : "1px solid palette(midlight)"));
}

// Takes a widget off the screen and out of its parent's children at once; it is deleted
// later, as it may be the button whose click led here.
void discard(QWidget* widget) {
  widget->hide();
  widget->setParent(nullptr);
  widget->deleteLater();
}

// A row of the Files or the Notifications tab, to fill.
std::pair<QWidget*, QHBoxLayout*> listRow(QWidget* parent) {
  auto* row = new QWidget(parent);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 2, 0, 2);
  return {row, layout};
}

// Makes the layout hold these widgets in this order: any other is discarded, and only those
// out of place move.
void arrange(QVBoxLayout* layout, const std::vector<QWidget*>& widgets) {
  const std::set<QWidget*> kept(widgets.begin(), widgets.end());
  for (int i = layout->count() - 1; i >= 0; --i) {
    QWidget* widget = layout->itemAt(i)->widget();
    if (widget && !kept.contains(widget)) {
      layout->removeWidget(widget);
      discard(widget);
    }
  }
  for (int i = 0; i < static_cast<int>(widgets.size()); ++i) {
    QWidget* widget = widgets[static_cast<std::size_t>(i)];
    if (layout->indexOf(widget) == i) continue;
    layout->removeWidget(widget);
    layout->insertWidget(i, widget);
    widget->show();
  }
}

// Empties a card so that it can be filled again.
void emptyCard(QFrame* frame) {
  for (QWidget* child : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) discard(child);
  delete frame->layout();
}

// The text of a decision failure, from its key.
QString failureText(inbox::DecisionAnswerFailure failure) {
  using F = inbox::DecisionAnswerFailure;
  switch (failure) {
    case F::offline: return t("macos.inbox_view.decision_failure_offline", "You're offline — the answer wasn't sent.");
    case F::alreadyDecided: return t("macos.inbox_view.decision_failure_already_decided", "This question was already answered.");
    case F::withdrawn: return t("macos.inbox_view.decision_failure_withdrawn", "The agent withdrew this question.");
    case F::expired: return t("macos.inbox_view.decision_failure_expired", "The deadline for this question has passed.");
    case F::timeout: return t("macos.inbox_view.decision_failure_timeout", "The relay didn't answer in time. Try again.");
    case F::unavailable: break;
  }
  return t("macos.inbox_view.decision_failure_unavailable", "Couldn't send the answer. Try again.");
}

QString markerText(const inbox::InboxAnswerMarker& marker) {
  static const std::map<std::string, const char*> kEnglish = {
      {"macos.inbox_view.answer_working", "Working on it"},   {"macos.inbox_view.answer_answered", "Answered"},
      {"macos.inbox_view.answer_seen", "Seen"},               {"macos.inbox_view.answer_declined", "Declined"},
      {"macos.inbox_view.answer_failed", "Failed"},           {"macos.inbox_view.answer_waiting_on_you", "Waiting on you"},
      {"macos.inbox_view.answer_no_answer", "No answer yet"}, {"macos.inbox_view.answer_not_delivered", "Not delivered"},
  };
  const auto found = kEnglish.find(marker.labelKey);
  return relay::localizedText(marker.labelKey, QString::fromUtf8(found == kEnglish.end() ? "" : found->second));
}

qint64 nowMs() { return QDateTime::currentMSecsSinceEpoch(); }

}  // namespace

InboxWindow::InboxWindow(inbox::InboxStore& store, inbox::MacTaskBoardStore& board, QWidget* parent)
    : QWidget(parent), m_store(store), m_boardStore(board) {
  setWindowTitle(t("macos.inbox_view.title", "Inbox"));
  resize(980, 640);
  auto* layout = new QVBoxLayout(this);
  m_banner = new QLabel(this);
  m_banner->setWordWrap(true);
  m_banner->setObjectName("inboxBanner");
  m_banner->hide();
  layout->addWidget(m_banner);
  m_tabs = new QTabWidget(this);
  m_tabs->addTab(buildMessagesTab(), t("macos.inbox_view.segment_messages", "Messages"));
  m_tabs->addTab(buildFilesTab(), t("macos.inbox_view.segment_files", "Files"));
  m_tabs->addTab(buildNotificationsTab(), t("macos.inbox_view.segment_notifications", "Notifications"));
  m_board = new TaskBoardView(board, this);
  m_tabs->addTab(m_board, t("macos.inbox_view.segment_board", "Board"));
  layout->addWidget(m_tabs, 1);
  connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
    if (index < 3) m_store.setSegment(static_cast<inbox::InboxStore::Segment>(index));
    if (m_tabs->widget(index) == m_board) m_boardStore.load();
  });

  connect(&m_store, &inbox::InboxStore::threadsChanged, this, &InboxWindow::renderThreads);
  connect(&m_store, &inbox::InboxStore::messagesChanged, this, &InboxWindow::renderMessages);
  connect(&m_store, &inbox::InboxStore::decisionsChanged, this, [this] {
    renderDecisionStrip();
    renderMessages();
  });
  connect(&m_store, &inbox::InboxStore::notificationsChanged, this, [this] {
    renderFiles();
    renderNotifications();
  });
  connect(&m_store, &inbox::InboxStore::replyChanged, this, [this] {
    m_send->setEnabled(!m_store.isSendingReply());
    m_replyError->setVisible(!m_store.replyError().isEmpty());
    if (!m_store.isSendingReply() && m_store.replyError().isEmpty()) m_reply->clear();
  });
  renderThreads();
  renderMessages();
  renderDecisionStrip();
  renderFiles();
  renderNotifications();
}

QWidget* InboxWindow::buildMessagesTab() {
  auto* page = new QWidget(this);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 6, 0, 0);
  m_decisionStrip = new QLabel(page);
  m_decisionStrip->setObjectName("decisionStrip");
  m_decisionStrip->setStyleSheet("QLabel { background: palette(highlight); color: palette(highlighted-text);"
                                 " border-radius: 6px; padding: 6px 10px; }");
  m_decisionStrip->setTextFormat(Qt::RichText);
  m_decisionStrip->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
  connect(m_decisionStrip, &QLabel::linkActivated, this, [this](const QString& link) {
    // "<slug>#<message id>"
    const std::string slug = link.section(u'#', 0, -2).toStdString();
    const QString id = link.section(u'#', -1);
    for (const auto& decision : m_store.openDecisions()) {
      if (decision.slug == slug && q(inbox::formatMessageId(decision.message.id)) == id) return openDecision(decision);
    }
    openThread(slug);
  });
  layout->addWidget(m_decisionStrip);

  auto* splitter = new QSplitter(page);
  m_threads = new QListWidget(splitter);
  m_threads->setObjectName("threads");
  m_threads->setMinimumWidth(240);
  m_threads->setWordWrap(true);
  m_threads->setSpacing(2);
  connect(m_threads, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    openThread(item->data(Qt::UserRole).toString().toStdString());
  });

  m_threadPane = new QStackedWidget(splitter);
  m_threadPane->addWidget(secondary(t("macos.inbox_view.pick_thread", "Choose a conversation on the left."), m_threadPane));
  auto* thread = new QWidget(m_threadPane);
  auto* threadLayout = new QVBoxLayout(thread);
  threadLayout->setContentsMargins(8, 0, 0, 0);
  m_threadTitle = new QLabel(thread);
  m_threadTitle->setStyleSheet("font-weight: 600; font-size: 14px;");
  threadLayout->addWidget(m_threadTitle);
  m_scroll = new QScrollArea(thread);
  m_scroll->setWidgetResizable(true);
  m_scroll->setFrameShape(QFrame::NoFrame);
  m_messageArea = new QWidget(m_scroll);
  m_messageArea->setObjectName("messages");
  auto* areaLayout = new QVBoxLayout(m_messageArea);
  m_loadOlder = new QPushButton(t("macos.inbox_view.load_older", "Load older messages"), m_messageArea);
  m_loadOlder->setFlat(true);
  connect(m_loadOlder, &QPushButton::clicked, this, [this] { m_store.loadOlderMessages(); });
  areaLayout->addWidget(m_loadOlder, 0, Qt::AlignHCenter);
  m_messageLayout = new QVBoxLayout();
  m_messageLayout->setSpacing(8);
  areaLayout->addLayout(m_messageLayout);
  areaLayout->addStretch(1);
  m_scroll->setWidget(m_messageArea);
  threadLayout->addWidget(m_scroll, 1);
  auto* replyRow = new QHBoxLayout();
  m_reply = new QLineEdit(thread);
  m_reply->setObjectName("reply");
  m_reply->setPlaceholderText(t("macos.inbox_view.reply_placeholder", "Reply to the agent…"));
  m_send = new QPushButton(t("macos.inbox_view.send", "Send"), thread);
  auto send = [this] {
    if (!m_reply->text().trimmed().isEmpty()) m_store.sendReply(m_reply->text());
  };
  connect(m_send, &QPushButton::clicked, this, send);
  connect(m_reply, &QLineEdit::returnPressed, this, send);
  replyRow->addWidget(m_reply, 1);
  replyRow->addWidget(m_send);
  threadLayout->addLayout(replyRow);
  m_replyError = new QLabel(t("macos.inbox_view.reply_failed", "Couldn't send reply."), thread);
  m_replyError->setStyleSheet("color: #d9534f;");
  m_replyError->hide();
  threadLayout->addWidget(m_replyError);
  m_threadPane->addWidget(thread);
  splitter->setStretchFactor(1, 1);
  layout->addWidget(splitter, 1);
  return page;
}

QScrollArea* InboxWindow::buildRowList(QWidget* page, RowList& list, const QString& name) {
  list.scroll = new QScrollArea(page);
  list.scroll->setObjectName(name);
  list.scroll->setWidgetResizable(true);
  list.scroll->setFrameShape(QFrame::NoFrame);
  list.scroll->viewport()->setAutoFillBackground(false);
  auto* area = new QWidget(list.scroll);
  auto* layout = new QVBoxLayout(area);
  layout->setContentsMargins(0, 0, 0, 0);
  list.rows = new QVBoxLayout();
  layout->addLayout(list.rows);
  layout->addStretch(1);
  list.scroll->setWidget(area);
  // The rows sit on the tab's own background, as they did before they scrolled.
  area->setAutoFillBackground(false);
  return list.scroll;
}

QWidget* InboxWindow::buildFilesTab() {
  auto* page = new QWidget(this);
  auto* layout = new QVBoxLayout(page);
  m_fileError = new QLabel(page);
  m_fileError->setStyleSheet("color: #d9534f;");
  m_fileError->setWordWrap(true);
  m_fileError->hide();
  layout->addWidget(m_fileError);
  layout->addWidget(buildRowList(page, m_files, QStringLiteral("files")), 1);
  return page;
}

QWidget* InboxWindow::buildNotificationsTab() {
  auto* page = new QWidget(this);
  auto* layout = new QVBoxLayout(page);
  auto* markAll = new QPushButton(t("macos.inbox_view.mark_all_read", "Mark all read"), page);
  connect(markAll, &QPushButton::clicked, this, [this] {
    for (const auto& notification : m_store.notifications()) {
      if (!notification.read) m_store.markNotificationRead(q(notification.id));
    }
  });
  layout->addWidget(markAll, 0, Qt::AlignRight);
  layout->addWidget(buildRowList(page, m_notifications, QStringLiteral("notifications")), 1);
  return page;
}

void InboxWindow::openThread(const std::string& slug) {
  m_tabs->setCurrentIndex(0);
  m_store.openThread(slug);
  renderMessages();
}

void InboxWindow::openDecision(const inbox::OpenInboxDecision& decision) {
  m_tabs->setCurrentIndex(0);
  m_store.openDecision(decision);
  renderMessages();
}

void InboxWindow::renderThreads() {
  if (m_store.sessionExpired()) {
    m_banner->setText(t("macos.inbox_view.session_expired",
                        "Your session expired (sessions last 7 days). Sign in again — the Inbox uses your account session."));
    m_banner->show();
  } else if (m_store.deviceNotApproved()) {
    m_banner->setText(QStringLiteral("<b>%1</b><br>%2")
                          .arg(t("macos.inbox_view.local_only_title", "Inbox is local-only for now").toHtmlEscaped(),
                               t("macos.inbox_view.local_only_body",
                                 "Messages from your phone and other devices appear here once this Mac is approved. "
                                 "Terminals and agent teams on this Mac work as usual.")
                                   .toHtmlEscaped()));
    m_banner->show();
  } else {
    m_banner->hide();
  }
  if (m_store.threads().empty()) {
    m_threads->clear();
    auto* item = new QListWidgetItem(t("macos.inbox_view.no_threads", "No messages yet. Agents post here with “vesket inbox”."));
    item->setFlags(Qt::NoItemFlags);
    m_threads->addItem(item);
    return;
  }
  // Rows are updated in place and moved only when their thread moved, so that the list keeps
  // its scroll position and selection.
  std::vector<ListRow> rows;
  for (const auto& thread : m_store.threads()) {
    QString text = q(thread.agentDisplay);
    if (const auto waiting = inbox::waitingCount(thread); waiting > 0) text += QStringLiteral("  ● %1").arg(waiting);
    if (thread.unreadCount > 0) text += QStringLiteral("  (%1)").arg(thread.unreadCount);
    text += u'\n' + q(thread.lastPreview) + QStringLiteral(" · ") + when(thread.lastAtMs);
    rows.push_back({q(thread.agentSlug), text, QString(), thread.unreadCount > 0});
  }
  updateListRows(m_threads, rows);
  // The open thread's row is the current one.
  QListWidgetItem* openRow = m_store.openSlug() ? listItem(m_threads, q(*m_store.openSlug())) : nullptr;
  if (m_threads->currentItem() != openRow) {
    if (openRow) m_threads->setCurrentItem(openRow);
    else m_threads->setCurrentRow(-1);
  }
}

void InboxWindow::renderDecisionStrip() {
  const auto& open = m_store.openDecisions();
  if (open.empty()) {
    m_decisionStrip->hide();
    return;
  }
  QStringList links;
  for (const auto& decision : open) {
    links << QStringLiteral("<a style=\"color: palette(highlighted-text);\" href=\"%1\">%2: %3</a>")
                 .arg((q(decision.slug) + u'#' + q(inbox::formatMessageId(decision.message.id))).toHtmlEscaped(),
                      q(decision.agentDisplay).toHtmlEscaped(),
                      q(decision.message.decision()->question).toHtmlEscaped());
  }
  m_decisionStrip->setText(t("macos.inbox_view.waiting_decisions", "Waiting for you: %1", {links.join(QStringLiteral(" · "))}));
  m_decisionStrip->show();
}

void InboxWindow::renderMessages() {
  if (!m_store.openSlug()) {
    arrange(m_messageLayout, {});
    m_cards.clear();
    m_threadPane->setCurrentIndex(0);
    return;
  }
  m_threadPane->setCurrentIndex(1);
  const std::string slug = *m_store.openSlug();
  for (const auto& thread : m_store.threads()) {
    if (thread.agentSlug == slug) m_threadTitle->setText(q(thread.agentDisplay) + (thread.paneLabel ? " · " + q(*thread.paneLabel) : ""));
  }
  m_loadOlder->setVisible(m_store.hasOlderMessages());
  const QScrollBar* scrollBar = m_scroll->verticalScrollBar();
  const bool otherThread = m_cards.empty() || m_cards.front().ref.slug != slug;
  const bool atBottom = otherThread || scrollBar->value() >= scrollBar->maximum() - 4;
  // The view stays on the card at its top while cards above it come, go or change their height.
  std::vector<QWidget*> frames;
  for (const MessageCard& shown : m_cards) frames.push_back(shown.frame);
  const ViewScroll anchor = anchorOf(m_scroll, frames);

  const auto& jump = m_store.pendingDecisionJump();
  if (QFrame* jumpedTo = updateCards(slug)) {
    // The decision asked for is loaded: show it once, outlined, and leave the scrolling to the user.
    m_outlined = *jump;
    m_store.consumeDecisionJump(*jump);
    m_tabs->setCurrentIndex(0);
    scrollView(m_scroll, m_pendingScroll, {ViewScroll::Kind::widget, jumpedTo});
  } else if (atBottom) {
    scrollView(m_scroll, m_pendingScroll, {ViewScroll::Kind::bottom});
  } else if (anchor.widget) {
    scrollView(m_scroll, m_pendingScroll, anchor);
  }
}

QFrame* InboxWindow::updateCards(const std::string& slug) {
  // A focused control inside a card that is refilled gets the focus back by its name.
  QPointer<QFrame> focusCard;
  QString focusName;
  if (QWidget* focused = QApplication::focusWidget(); focused && m_messageArea->isAncestorOf(focused)) {
    for (const MessageCard& shown : m_cards) {
      if (shown.frame->isAncestorOf(focused)) focusCard = shown.frame;
    }
    focusName = focused->objectName();
  }

  std::map<inbox::InboxDecisionRef, MessageCard> previous;
  for (MessageCard& shown : m_cards) previous.emplace(shown.ref, std::move(shown));
  std::vector<MessageCard> cards;
  cards.reserve(m_store.messages().size());
  const auto& jump = m_store.pendingDecisionJump();
  QFrame* jumpedTo = nullptr;
  for (const InboxMessage& message : m_store.messages()) {
    const inbox::InboxDecisionRef ref{slug, message.id};
    const bool jumpHere = jump && *jump == ref;
    CardContent content{message, jumpHere || (m_outlined && *m_outlined == ref), m_store.isAnswering(ref),
                        m_store.decisionFailure(ref)};
    MessageCard card;
    if (auto found = previous.find(ref); found != previous.end()) {
      card = std::move(found->second);
      previous.erase(found);
      if (!(card.content == content)) {
        emptyCard(card.frame);
        fillCard(card.frame, slug, content);
        card.content = std::move(content);
        if (card.frame == focusCard) {
          if (auto* control = card.frame->findChild<QWidget*>(focusName); control && !focusName.isEmpty()) control->setFocus();
        }
      }
    } else {
      card = MessageCard{ref, new QFrame(m_messageArea), std::move(content)};
      card.frame->setObjectName(QStringLiteral("message-") + q(inbox::formatMessageId(message.id)));
      fillCard(card.frame, slug, card.content);
    }
    if (jumpHere) jumpedTo = card.frame;
    cards.push_back(std::move(card));
  }
  std::vector<QWidget*> frames;
  for (const MessageCard& card : cards) frames.push_back(card.frame);
  arrange(m_messageLayout, frames);
  m_cards = std::move(cards);
  return jumpedTo;
}

InboxWindow::ViewScroll InboxWindow::anchorOf(const QScrollArea* area, const std::vector<QWidget*>& widgets) {
  const int top = area->verticalScrollBar()->value();
  for (QWidget* widget : widgets) {
    if (widget->geometry().bottom() >= top) return {ViewScroll::Kind::anchor, widget, top - widget->y()};
  }
  return {ViewScroll::Kind::anchor};
}

void InboxWindow::scrollView(QScrollArea* area, std::optional<ViewScroll>& pending, ViewScroll scroll) {
  const bool scheduled = pending.has_value();
  if (scheduled && scroll.kind != ViewScroll::Kind::widget) return;
  pending = std::move(scroll);
  if (scheduled) return;
  QTimer::singleShot(0, this, [area, &pending] {
    const ViewScroll wanted = *std::exchange(pending, std::nullopt);
    QScrollBar* bar = area->verticalScrollBar();
    switch (wanted.kind) {
      case ViewScroll::Kind::bottom: bar->setValue(bar->maximum()); break;
      case ViewScroll::Kind::widget:
        if (wanted.widget) area->ensureWidgetVisible(wanted.widget, 0, 24);
        break;
      case ViewScroll::Kind::anchor:
        if (wanted.widget) bar->setValue(wanted.widget->y() + wanted.offset);
        break;
    }
  });
}

void InboxWindow::fillCard(QFrame* frame, const std::string& slug, const CardContent& content) {
  const InboxMessage& message = content.message;
  const bool outgoing = message.direction == inbox::MessageDirection::out;
  styleCard(frame, outgoing, content.outlined);
  auto* layout = new QVBoxLayout(frame);
  layout->setContentsMargins(12, 8, 12, 8);
  layout->addWidget(secondary((outgoing ? QStringLiteral("↩ ") : QString()) + when(message.createdAtMs), frame));
  if (message.title) {
    auto* title = new QLabel(q(*message.title), frame);
    title->setStyleSheet("font-weight: 600;");
    title->setWordWrap(true);
    layout->addWidget(title);
  }
  const inbox::Decision* decision = message.decision();
  if (!decision || message.body != decision->question) {
    auto* body = new QLabel(q(message.body), frame);
    body->setWordWrap(true);
    body->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(body);
  }
  if (message.payload) {
    const auto& payload = *message.payload;
    if (payload.summary) layout->addWidget(new QLabel(q(*payload.summary), frame));
    for (const auto& section : payload.sections.value_or(std::vector<inbox::PayloadSection>{})) {
      auto* text = new QLabel(QStringLiteral("<b>%1</b><br>%2")
                                  .arg(q(section.heading.value_or("")).toHtmlEscaped(),
                                       q(section.content.value_or("")).toHtmlEscaped().replace('\n', "<br>")),
                              frame);
      text->setWordWrap(true);
      layout->addWidget(text);
    }
    for (const auto& fact : payload.facts.value_or(std::vector<inbox::Fact>{})) {
      static const std::map<std::string, const char*> kTones = {{"ok", "#2e9d5b"}, {"warn", "#c98a12"}, {"err", "#d9534f"}};
      const auto tone = kTones.find(fact.tone.value_or(""));
      layout->addWidget(new QLabel(QStringLiteral("%1: <span style=\"color: %3\">%2</span>")
                                       .arg(q(fact.label).toHtmlEscaped(), q(fact.value).toHtmlEscaped(),
                                            tone == kTones.end() ? "palette(text)" : tone->second),
                                   frame));
    }
    if (payload.release) {
      layout->addWidget(secondary(QStringLiteral("%1 %2 (%3) · %4")
                                      .arg(q(payload.release->platform), q(payload.release->version), q(payload.release->build),
                                           q(payload.release->state)),
                                  frame));
    }
    for (const auto& artifact : payload.artifacts.value_or(std::vector<inbox::Artifact>{})) {
      layout->addWidget(secondary(QStringLiteral("%1: %2").arg(q(artifact.label), q(artifact.ref)), frame));
    }
    if (payload.footnote) layout->addWidget(secondary(q(*payload.footnote), frame));
  }
  if (decision) {
    auto* question = new QLabel(q(decision->question), frame);
    question->setStyleSheet("font-weight: 600; font-size: 13px;");
    question->setWordWrap(true);
    layout->addWidget(question);
    if (decision->deadline) {
      const auto zone = inbox::DecisionDeadline::TimeZone([](const inbox::CivilTime& time) {
        return QDateTime(QDate(time.year, time.month, time.day), QTime(time.hour, time.minute, time.second), Qt::LocalTime)
            .toMSecsSinceEpoch();
      });
      const auto due = inbox::DecisionDeadline::parse(*decision->deadline, zone);
      layout->addWidget(secondary(due ? t("macos.inbox_view.decision_due", "Due %1", {when(static_cast<double>(*due))})
                                      : t("macos.inbox_view.decision_due_unreadable", "Due “%1” (not a date Vesket can read)",
                                          {q(*decision->deadline)}),
                                  frame));
    }
    if (decision->state == inbox::DecisionState::open) {
      auto* buttons = new QHBoxLayout();
      const bool answering = content.answering;
      for (const auto& option : decision->options) {
        QString label = q(option.label);
        if (decision->recommended == option.k) label = t("macos.inbox_view.recommended", "%1 (recommended)", {label});
        auto* button = new QPushButton(label, frame);
        button->setObjectName(QStringLiteral("option-") + q(option.k));
        if (option.why) button->setToolTip(q(*option.why));
        button->setEnabled(!answering);
        const std::string key = option.k;
        const double id = message.id;
        connect(button, &QPushButton::clicked, this, [this, slug, id, key] { m_store.answerDecision(slug, id, key, nowMs()); });
        buttons->addWidget(button);
      }
      buttons->addStretch(1);
      layout->addLayout(buttons);
      if (answering) layout->addWidget(secondary(t("macos.inbox_view.decision_sending", "Sending…"), frame));
    } else if (decision->state == inbox::DecisionState::decided && decision->answer) {
      const auto* chosen = decision->option(decision->answer->k);
      auto* answered = new QLabel(t("macos.inbox_view.decided", "Answered: %1", {q(chosen ? chosen->label : decision->answer->k)}), frame);
      answered->setObjectName("decided");
      answered->setStyleSheet("color: #2e9d5b; font-weight: 600;");
      layout->addWidget(answered);
    } else {
      layout->addWidget(secondary(t("macos.inbox_view.withdrawn", "Withdrawn by the agent") +
                                      (decision->withdrawnWhy ? QStringLiteral(": ") + q(*decision->withdrawnWhy) : QString()),
                                  frame));
    }
    if (const auto failure = content.failure) {
      auto* text = new QLabel(failureText(*failure), frame);
      text->setObjectName("decisionFailure");
      text->setStyleSheet("color: #d9534f;");
      text->setWordWrap(true);
      layout->addWidget(text);
    }
  }
  if (const auto marker = inbox::InboxAnswerMarker::marker(message)) {
    auto* label = secondary(markerText(*marker), frame);
    if (marker->tone != inbox::InboxAnswerMarker::Tone::muted) {
      label->setStyleSheet(marker->tone == inbox::InboxAnswerMarker::Tone::error ? "color: #d9534f; font-size: 11px;"
                                                                                 : "color: #c98a12; font-size: 11px;");
    }
    layout->addWidget(label, 0, Qt::AlignRight);
  }
}

void InboxWindow::renderFiles() {
  m_fileError->setText(m_store.fileOpenError());
  m_fileError->setVisible(!m_store.fileOpenError().isEmpty());
  updateRows(m_files, m_store.files(), &InboxWindow::fileRow,
             t("macos.inbox_view.no_files", "No shared files yet."));
}

QWidget* InboxWindow::fileRow(const inbox::PlatformNotification& notification) {
  auto [row, layout] = listRow(this);
  layout->addWidget(new QLabel(QStringLiteral("<b>%1</b>").arg(q(notification.file->filename).toHtmlEscaped()), row));
  layout->addWidget(secondary(QLocale().formattedDataSize(notification.file->size) + QStringLiteral(" · ") +
                                  when(notification.createdAtMs),
                              row),
                    1);
  auto* open = new QPushButton(t("macos.inbox_view.open_file", "Open"), row);
  const inbox::FileNotificationPayload file = *notification.file;
  connect(open, &QPushButton::clicked, this, [this, file] {
    const QString directory = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    auto opening = [](QPointer<InboxWindow> self, inbox::FileNotificationPayload wanted, QString into) -> QCoro::Task<void> {
      auto downloading = self->m_store.downloadFile(std::move(wanted), std::move(into));
      const std::optional<QString> path = co_await std::move(downloading);
      if (self && path) QDesktopServices::openUrl(QUrl::fromLocalFile(*path));
    };
    opening(this, file, directory);
  });
  layout->addWidget(open);
  return row;
}

void InboxWindow::renderNotifications() {
  updateRows(m_notifications, m_store.notifications(), &InboxWindow::notificationRow,
             t("macos.inbox_view.no_notifications", "No notifications."));
}

QWidget* InboxWindow::notificationRow(const inbox::PlatformNotification& notification) {
  auto [row, layout] = listRow(this);
  auto* text = new QLabel(QStringLiteral("%1<b>%2</b> %3")
                              .arg(notification.read ? QString() : QStringLiteral("● "), q(notification.title).toHtmlEscaped(),
                                   q(notification.body).toHtmlEscaped()),
                          row);
  text->setWordWrap(true);
  layout->addWidget(text, 1);
  layout->addWidget(secondary(when(notification.createdAtMs), row));
  if (!notification.read) {
    auto* read = new QPushButton(t("macos.inbox_view.mark_read", "Mark read"), row);
    read->setObjectName(QStringLiteral("markRead-") + q(notification.id));
    const QString id = q(notification.id);
    connect(read, &QPushButton::clicked, this, [this, id] { m_store.markNotificationRead(id); });
    layout->addWidget(read);
  }
  return row;
}

void InboxWindow::updateRows(RowList& list, const std::vector<inbox::PlatformNotification>& wanted,
                             QWidget* (InboxWindow::*build)(const inbox::PlatformNotification&), const QString& none) {
  std::vector<QWidget*> before;
  for (const NotificationRow& row : list.shown) before.push_back(row.widget);
  // A hidden tab has not laid its rows out: there is nothing to measure, and its view stays where it was.
  ViewScroll anchor = list.scroll->isVisible() && list.scroll->verticalScrollBar()->value() > 0
                          ? anchorOf(list.scroll, before)
                          : ViewScroll{ViewScroll::Kind::anchor};
  // The row is followed by its notification, as a changed one is built anew.
  std::optional<std::string> anchorId;
  for (const NotificationRow& row : list.shown) {
    if (anchor.widget == row.widget) anchorId = row.notification.id;
  }

  std::map<std::string, NotificationRow> previous;
  for (NotificationRow& row : list.shown) previous.emplace(row.notification.id, std::move(row));
  std::vector<NotificationRow> rows;
  if (wanted.empty()) {
    // One line that says there is nothing; its key is the empty id.
    auto found = previous.find(std::string());
    rows.push_back(found != previous.end() ? std::move(found->second) : NotificationRow{{}, secondary(none, this)});
    if (found != previous.end()) previous.erase(found);
  }
  for (const inbox::PlatformNotification& notification : wanted) {
    auto found = previous.find(notification.id);
    if (found != previous.end() && found->second.notification == notification) {
      rows.push_back(std::move(found->second));
      previous.erase(found);
    } else {
      rows.push_back({notification, (this->*build)(notification)});
    }
  }
  std::vector<QWidget*> widgets;
  anchor.widget = nullptr;
  for (const NotificationRow& row : rows) {
    widgets.push_back(row.widget);
    if (anchorId == row.notification.id) anchor.widget = row.widget;
  }
  arrange(list.rows, widgets);
  list.shown = std::move(rows);
  if (anchor.widget) scrollView(list.scroll, list.pendingScroll, anchor);
}

}  // namespace vesket::ui
