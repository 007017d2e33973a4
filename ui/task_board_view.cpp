#include "ui/task_board_view.h"

#include <QDateTime>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QVBoxLayout>
#include <array>

#include "inbox/mac_task_board_store.h"
#include "relay/relay_error_presentation.h"
#include "ui/list_row.h"

namespace vesket::ui {
namespace {

using inbox::BoardColumn;

QString t(const char* key, const char* english, const QStringList& arguments = {}) {
  return relay::localizedText(key, QString::fromUtf8(english), arguments);
}

QString q(const std::string& text) { return QString::fromStdString(text); }

QString readableTime(const std::string& iso) {
  const QDateTime time = QDateTime::fromString(q(iso), Qt::ISODateWithMs);
  return time.isValid() ? QLocale().toString(time.toLocalTime(), QLocale::ShortFormat) : q(iso);
}

// Status and event ids as a person reads them; an id this build does not know shows as it is.
struct NamedId {
  const char* id;
  const char* key;
  const char* english;
};

template <std::size_t N>
QString nameOf(const std::string& id, const std::array<NamedId, N>& names) {
  for (const NamedId& name : names) {
    if (id == name.id) return t(name.key, name.english);
  }
  return q(id);
}

QString statusName(const std::string& status) {
  static constexpr std::array<NamedId, 5> kNames = {{
      {"new", "macos.task_board.status_new", "New"},
      {"inProgress", "macos.task_board.status_in_progress", "In progress"},
      {"workerDone", "macos.task_board.status_worker_done", "Worker done"},
      {"verified", "macos.task_board.status_verified", "Verified"},
      {"needsFix", "macos.task_board.status_needs_fix", "Needs fix"},
  }};
  return nameOf(status, kNames);
}

QString eventName(const std::string& type) {
  static constexpr std::array<NamedId, 4> kNames = {{
      {"created", "macos.task_board.event_created", "Created"},
      {"statusChange", "macos.task_board.event_status_change", "Status"},
      {"note", "macos.task_board.event_note", "Note"},
      {"dispatched", "macos.task_board.event_dispatched", "Dispatched"},
  }};
  return nameOf(type, kNames);
}

// A status change's body reads "from → to" in status ids.
QString eventBody(const std::string& type, const std::string& body) {
  static const std::string kArrow = " → ";
  const auto arrow = body.find(kArrow);
  if (type != "statusChange" || arrow == std::string::npos) return q(body);
  return statusName(body.substr(0, arrow)) + QStringLiteral(" → ") + statusName(body.substr(arrow + kArrow.size()));
}

// Narrower columns than this scroll sideways instead; cards elide their lines to fit.
constexpr int kMinColumnWidth = 150;
constexpr int kSpacing = 12;

// A column that takes cards dropped from the others; the board decides what a drop does.
class BoardColumnList : public QListWidget {
 public:
  BoardColumnList(BoardColumn column, TaskBoardView* board, QWidget* parent)
      : QListWidget(parent), m_column(column), m_board(board) {
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSpacing(4);
  }

 protected:
  void dropEvent(QDropEvent* event) override {
    auto* source = dynamic_cast<QListWidget*>(event->source());
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    if (!source || source == this || !source->currentItem()) return;
    m_board->dropCard(source->currentItem()->data(Qt::UserRole).toString().toStdString(), m_column);
  }

 private:
  BoardColumn m_column;
  TaskBoardView* m_board;
};

}  // namespace

TaskBoardView::TaskBoardView(inbox::MacTaskBoardStore& store, QWidget* parent) : QWidget(parent), m_store(store) {
  auto* layout = new QVBoxLayout(this);
  auto* create = new QHBoxLayout();
  m_title = new QLineEdit(this);
  m_title->setObjectName("newTaskTitle");
  m_title->setPlaceholderText(t("macos.task_board.new_task_placeholder", "New task…"));
  m_team = new QLineEdit(this);
  m_team->setPlaceholderText(t("macos.task_board.team_placeholder", "Team"));
  m_team->setMaximumWidth(160);
  auto* add = new QPushButton(t("macos.task_board.add", "Add"), this);
  auto createTask = [this] {
    if (m_title->text().trimmed().isEmpty() || m_team->text().trimmed().isEmpty()) return;
    m_store.createTask(m_title->text().trimmed(), m_team->text().trimmed(), std::nullopt);
    m_title->clear();
  };
  connect(add, &QPushButton::clicked, this, createTask);
  connect(m_title, &QLineEdit::returnPressed, this, createTask);
  create->addWidget(m_title, 1);
  create->addWidget(m_team);
  create->addWidget(add);
  layout->addLayout(create);
  m_notice = new QLabel(this);
  m_notice->setObjectName("boardNotice");
  m_notice->setStyleSheet("color: #c98a12;");
  m_notice->hide();
  layout->addWidget(m_notice);

  auto* splitter = new QSplitter(this);
  auto* scroll = new QScrollArea(splitter);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // The columns follow the width the splitter leaves them, not the board's.
  scroll->viewport()->installEventFilter(this);
  m_columnsArea = new QWidget(scroll);
  auto* columns = new QHBoxLayout(m_columnsArea);
  columns->setSpacing(kSpacing);
  static const std::array<std::pair<const char*, const char*>, 4> kTitles = {
      std::pair{"macos.task_board.to_do", "To Do"}, std::pair{"macos.task_board.in_progress", "In Progress"},
      std::pair{"macos.task_board.needs_review", "Needs Review"}, std::pair{"macos.task_board.done", "Done"}};
  for (int i = 0; i < 4; ++i) {
    auto* holder = new QWidget(m_columnsArea);
    auto* holderLayout = new QVBoxLayout(holder);
    holderLayout->setContentsMargins(0, 0, 0, 0);
    m_headers[i] = new QLabel(t(kTitles[i].first, kTitles[i].second), holder);
    m_headers[i]->setStyleSheet("font-weight: 600;");
    holderLayout->addWidget(m_headers[i]);
    m_columns[i] = new BoardColumnList(static_cast<BoardColumn>(i), this, holder);
    m_columns[i]->setObjectName(QStringLiteral("column%1").arg(i));
    connect(m_columns[i], &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { select(item->data(Qt::UserRole).toString().toStdString()); });
    holderLayout->addWidget(m_columns[i], 1);
    columns->addWidget(holder);
  }
  scroll->setWidget(m_columnsArea);
  // On the tab's background, as the details beside it.
  scroll->viewport()->setAutoFillBackground(false);
  m_columnsArea->setAutoFillBackground(false);

  auto* details = new QWidget(splitter);
  auto* detailsLayout = new QVBoxLayout(details);
  m_details = new QLabel(details);
  m_details->setWordWrap(true);
  m_details->setTextFormat(Qt::RichText);
  detailsLayout->addWidget(m_details);
  auto* actions = new QHBoxLayout();
  m_reopen = new QPushButton(t("macos.task_board.reopen", "Reopen"), details);
  m_delete = new QPushButton(t("macos.task_board.delete", "Delete"), details);
  connect(m_reopen, &QPushButton::clicked, this, [this] { m_store.reopenTask(m_selected, QString()); });
  connect(m_delete, &QPushButton::clicked, this, [this] {
    m_store.deleteTask(m_selected);
    m_selected.clear();
    renderDetails();
  });
  actions->addWidget(m_reopen);
  actions->addWidget(m_delete);
  actions->addStretch(1);
  detailsLayout->addLayout(actions);
  detailsLayout->addWidget(new QLabel(t("macos.task_board.timeline", "Timeline"), details));
  m_timeline = new QListWidget(details);
  m_timeline->setObjectName("timeline");
  m_timeline->setWordWrap(true);
  m_timeline->setSpacing(3);
  detailsLayout->addWidget(m_timeline, 1);
  splitter->addWidget(scroll);
  splitter->addWidget(details);
  splitter->setStretchFactor(0, 3);
  splitter->setStretchFactor(1, 1);
  layout->addWidget(splitter, 1);

  connect(&m_store, &inbox::MacTaskBoardStore::changed, this, &TaskBoardView::render);
  render();
  renderDetails();
}

void TaskBoardView::dropCard(const std::string& id, BoardColumn to) {
  auto dropping = [](QPointer<TaskBoardView> self, std::string task, BoardColumn column) -> QCoro::Task<void> {
    auto handling = self->m_store.handleDrag(std::move(task), column);
    const inbox::BoardDragOutcome outcome = co_await std::move(handling);
    if (!self) co_return;
    using K = inbox::BoardDragOutcome::Kind;
    if (outcome.kind == K::blockedNotAdjacent) {
      self->m_notice->setText(t("macos.task_board.blocked_not_adjacent", "Move a card one column at a time."));
    } else if (outcome.kind == K::blockedHasChildren) {
      self->m_notice->setText(t("macos.task_board.blocked_has_children", "This task has subtasks: move them instead."));
    }
    self->m_notice->setVisible(outcome.kind == K::blockedNotAdjacent || outcome.kind == K::blockedHasChildren);
  };
  dropping(this, id, to);
}

void TaskBoardView::select(const std::string& id) {
  m_selected = id;
  for (QListWidget* column : m_columns) {
    QListWidgetItem* card = listItem(column, q(id));
    if (card && column->currentItem() != card) column->setCurrentItem(card);
    // One card is selected on the whole board: the other columns let go of theirs.
    if (!card && column->currentItem()) column->setCurrentItem(nullptr);
  }
  renderDetails();
  auto loading = [](QPointer<TaskBoardView> self, std::string task) -> QCoro::Task<void> {
    std::vector<inbox::TaskTimelineEntry> entries;
    try {
      auto fetching = self->m_store.loadTimeline(task);
      entries = co_await std::move(fetching);
    } catch (const std::exception&) {
    }
    if (!self || self->m_selected != task) co_return;
    self->m_timeline->clear();
    for (const auto& entry : entries) {
      QString line = readableTime(entry.createdAt()) + QStringLiteral("  ");
      if (const auto* event = std::get_if<inbox::RelayTaskEvent>(&entry.entry)) {
        line += eventName(event->type) + (event->body ? QStringLiteral(": ") + eventBody(event->type, *event->body) : QString());
      } else {
        const auto& child = std::get<inbox::RelayTaskItem>(entry.entry);
        line += QStringLiteral("↳ ") + q(child.title) + QStringLiteral(" (") + statusName(child.status) + u')';
      }
      self->m_timeline->addItem(line);
    }
  };
  loading(this, id);
}

void TaskBoardView::render() {
  m_notice->setVisible(!m_notice->text().isEmpty() && m_notice->isVisible());
  if (!m_store.refreshWarning().isEmpty() || !m_store.actionMessage().isEmpty()) {
    m_notice->setText(m_store.actionMessage().isEmpty() ? m_store.refreshWarning() : m_store.actionMessage());
    m_notice->show();
  }
  // Cards are updated in place, so that a column keeps its scroll position and its current card.
  QListWidget* focusedColumn = nullptr;
  for (int i = 0; i < 4; ++i) {
    const auto cards = m_store.column(static_cast<BoardColumn>(i));
    std::vector<ListRow> rows;
    for (const auto& task : cards) {
      QString text = q(task.title) + u'\n' + q(task.agentTeam);
      if (task.priority) text += QStringLiteral(" · ") + q(*task.priority);
      if (const auto rollup = m_store.rollupTextByParent().find(task.id); rollup != m_store.rollupTextByParent().end()) {
        text += QStringLiteral(" · ") + q(rollup->second);
      }
      if (task.status == inbox::RelayTaskStatus::needsFix) text += QStringLiteral(" · ↺");
      // A narrow column elides the card's lines; the tooltip has the whole title.
      rows.push_back({q(task.id), text, q(task.title) + (task.note ? QStringLiteral("\n\n") + q(*task.note) : QString())});
    }
    if (m_columns[i]->hasFocus()) focusedColumn = m_columns[i];
    updateListRows(m_columns[i], rows);
    m_headers[i]->setText(m_headers[i]->text().section(QStringLiteral("  ("), 0, 0) + QStringLiteral("  (%1)").arg(cards.size()));
  }
  // The selected card that moved to another column is the current one there, and takes the
  // focus along when the column it left had it.
  for (QListWidget* column : m_columns) {
    QListWidgetItem* card = m_selected.empty() ? nullptr : listItem(column, q(m_selected));
    if (!card || column->currentItem() == card) continue;
    column->setCurrentItem(card);
    if (focusedColumn && focusedColumn != column) column->setFocus();
  }
  renderDetails();
  relayout();
}

void TaskBoardView::renderDetails() {
  const inbox::RelayTaskItem* task = m_selected.empty() ? nullptr : m_store.task(m_selected);
  m_delete->setEnabled(task != nullptr);
  m_reopen->setEnabled(task && task->status != inbox::RelayTaskStatus::newTask);
  if (!task) {
    m_details->setText(m_store.tasks().empty() ? t("macos.task_board.empty", "No tasks yet.") : QString());
    m_timeline->clear();
    return;
  }
  m_details->setText(QStringLiteral("<b>%1</b><br>%2 · %3%4%5")
                         .arg(q(task->title).toHtmlEscaped(), q(task->agentTeam).toHtmlEscaped(), statusName(task->status),
                              task->priority ? QStringLiteral(" · ") + q(*task->priority) : QString(),
                              task->note ? QStringLiteral("<br><i>%1</i>").arg(q(*task->note).toHtmlEscaped()) : QString()));
}

bool TaskBoardView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Resize && m_columnsArea && watched == m_columnsArea->parentWidget()) relayout();
  return QWidget::eventFilter(watched, event);
}

// The four columns share the viewport's width; below their minimum they keep it and the
// area scrolls sideways.
void TaskBoardView::relayout() {
  if (!m_columnsArea || !m_columnsArea->parentWidget()) return;
  const QMargins margins = m_columnsArea->layout()->contentsMargins();
  const int available = m_columnsArea->parentWidget()->width() - margins.left() - margins.right();
  const auto layout = inbox::KanbanLayout::compute(available, 4, kSpacing, kMinColumnWidth);
  for (QListWidget* column : m_columns) column->parentWidget()->setFixedWidth(static_cast<int>(layout.columnWidth));
}

}  // namespace vesket::ui
