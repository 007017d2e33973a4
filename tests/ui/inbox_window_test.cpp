// The Inbox window against the real relay and a real linked daemon: an agent's
// `vesket inbox ask --wait` in a tmux pane reaches the window through the change stream,
// the user's click on an option unblocks it with that option, a second answer is refused
// as already decided; the stream comes back after a relay restart and refetches without
// duplicates; a new message and a card answered elsewhere leave the other cards, the view
// and the focus where they were; a long list of notifications scrolls to its last row and
// keeps its place as rows come and change; the Board moves cards by its rules, keeps its four
// columns in reach at any width, and a column keeps the cards it shows where they are and its
// current card while cards above them leave and come back.
// Screenshots of the inbox and the board.
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QApplication>
#include <QPointer>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>

#include <gtest/gtest.h>

#include "inbox/inbox_store.h"
#include "inbox/mac_task_board_store.h"
#include "tests/support/linked_daemon_fixture.h"
#include "tests/support/screenshot.h"
#include "ui/inbox_window.h"
#include "ui/list_row.h"
#include "ui/task_board_view.h"

namespace vesket::testing {
namespace {

using nlohmann::json;

class InboxWindowTest : public LinkedDaemonTest {
 protected:
  void SetUp() override {
    LinkedDaemonTest::SetUp();
    if (HasFatalFailure()) return;
    std::tie(m_token, std::ignore, m_daemonId) = linkNewAccount("inbox@example.org");
    const QUrl base(m_relay->baseUrl());
    const QString bearer = QString::fromStdString(m_token);
    auto client = [base, bearer] { return relay::RelayClient(base, relay::RelayClient::Credential::fixed(bearer)); };
    m_store = std::make_unique<inbox::InboxStore>(inbox::InboxStore::Dependencies{client, 300});
    m_board = std::make_unique<inbox::MacTaskBoardStore>(client);
  }

  void TearDown() override {
    m_window.reset();
    m_store.reset();
    m_board.reset();
    LinkedDaemonTest::TearDown();
  }

  std::unique_ptr<QProcess> startCli(const QStringList& args) {
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment environment = DaemonMachine::environment();
    environment.insert("TMUX_PANE", m_paneId);
    process->setProcessEnvironment(environment);
    process->start(binary(), QStringList{"inbox"} + args);
    EXPECT_TRUE(process->waitForStarted(5000));
    return process;
  }

  int runCli(const QStringList& args) {
    auto process = startCli(args);
    EXPECT_TRUE(waitUntil([&] { return process->state() == QProcess::NotRunning; }, 20000));
    return process->exitCode();
  }

  // Tasks of the team "core" with these titles, then the window shown on its Board with
  // them in To Do; whether all of that happened.
  bool openBoard(const std::vector<std::string>& titles, int width) {
    for (const auto& title : titles) {
      if (m_http->post("/api/tasks", {{"title", title}, {"agentTeam", "core"}}, m_token).status != 200) return false;
    }
    m_window = std::make_unique<ui::InboxWindow>(*m_store, *m_board);
    m_window->resize(width, 600);
    m_window->show();
    m_window->activateWindow();
    m_window->tabs()->setCurrentWidget(m_window->board());
    QListWidget* toDo = m_window->board()->column(inbox::BoardColumn::toDo);
    return waitUntil([&] { return toDo->count() == static_cast<int>(titles.size()); }, 10000);
  }

  QPushButton* optionButton(const std::string& key) {
    return m_window->messageArea()->findChild<QPushButton*>(QString::fromStdString("option-" + key));
  }

  std::string m_token;
  qint64 m_daemonId = 0;
  std::unique_ptr<inbox::InboxStore> m_store;
  std::unique_ptr<inbox::MacTaskBoardStore> m_board;
  std::unique_ptr<ui::InboxWindow> m_window;
};

TEST_F(InboxWindowTest, AnAgentsQuestionIsAnsweredFromTheWindowOnce) {
  m_window = std::make_unique<ui::InboxWindow>(*m_store, *m_board);
  m_store->load();
  ASSERT_TRUE(waitUntil([&] { return m_store->streamConnected(); }, 10000));
  ASSERT_EQ(runCli({"post", "Tests are green; 2 flaky ones retried.", "--title", "Build report", "--kind", "report"}), 0);

  auto asking = startCli({"ask", "Deploy to production?", "--option", "yes: Ship it", "--option", "no: Hold", "--recommended",
                          "yes", "--wait", "--timeout", "60"});
  ASSERT_TRUE(waitUntil([&] { return m_store->openDecisions().size() == 1; }, 10000)) << m_store->liveSignals();
  EXPECT_GE(m_store->liveSignals(), 1);
  const inbox::OpenInboxDecision decision = m_store->openDecisions().front();
  EXPECT_EQ(decision.message.decision()->question, "Deploy to production?");
  EXPECT_EQ(m_store->threads().size(), 1u);

  m_window->resize(1000, 640);
  m_window->show();
  m_window->openThread(decision.slug);
  ASSERT_TRUE(waitUntil([&] { return optionButton("yes") != nullptr; }, 10000));
  spinFor(200);
  saveScreenshot(*m_window, "inbox-window-decision");
  EXPECT_EQ(asking->state(), QProcess::Running);

  optionButton("yes")->click();
  ASSERT_TRUE(waitUntil([&] { return asking->state() == QProcess::NotRunning; }, 10000));
  EXPECT_EQ(asking->exitCode(), 0);
  EXPECT_TRUE(asking->readAllStandardOutput().endsWith("\nyes\n"));
  ASSERT_TRUE(waitUntil([&] { return m_window->messageArea()->findChild<QLabel*>("decided") != nullptr; }, 10000));
  EXPECT_TRUE(m_store->openDecisions().empty());

  // The same decision answered again (another device got there first): refused, and the
  // card says why.
  const inbox::InboxDecisionRef ref{decision.slug, decision.message.id};
  m_store->answerDecision(decision.slug, decision.message.id, "no", QDateTime::currentMSecsSinceEpoch());
  ASSERT_TRUE(waitUntil([&] { return m_store->decisionFailure(ref).has_value(); }, 10000));
  EXPECT_EQ(*m_store->decisionFailure(ref), inbox::DecisionAnswerFailure::alreadyDecided);

  // A reply goes into the agent's pane.
  m_window->replyField()->setText("echo from-the-inbox-$((6*7))");
  emit m_window->replyField()->returnPressed();
  EXPECT_TRUE(captureShows(m_paneId, "from-the-inbox-42"));
  ASSERT_TRUE(waitUntil([&] { return m_store->messages().size() == 3; }, 10000));
  spinFor(200);
  saveScreenshot(*m_window, "inbox-window-answered");
}

TEST_F(InboxWindowTest, TheDecisionStripBringsAnOlderDecisionIntoView) {
  const json asked = m_http->post("/api/agent/decisions",
                                  {{"thread", "deploys"}, {"question", "Roll back?"}, {"options", {{{"k", "y"}, {"label", "Yes"}}, {{"k", "n"}, {"label", "No"}}}}},
                                  m_daemonToken)
                         .json();
  ASSERT_TRUE(asked.contains("id")) << asked.dump();
  // More than a page of newer messages buries it.
  for (int i = 0; i < 55; ++i) {
    ASSERT_EQ(m_http->post("/api/agent/messages", {{"thread", "deploys"}, {"body", "log " + std::to_string(i)}}, m_daemonToken).status,
              200);
  }
  m_window = std::make_unique<ui::InboxWindow>(*m_store, *m_board);
  m_window->resize(1000, 640);
  m_window->show();
  m_store->load();
  ASSERT_TRUE(waitUntil([&] { return m_store->openDecisions().size() == 1; }, 10000));
  auto* strip = m_window->findChild<QLabel*>("decisionStrip");
  const inbox::OpenInboxDecision decision = m_store->openDecisions().front();
  emit strip->linkActivated(QString::fromStdString(decision.slug + "#" + inbox::formatMessageId(decision.message.id)));

  // The thread opens at its newest page, pages back to the decision and shows its card.
  ASSERT_TRUE(waitUntil([&] { return optionButton("y") != nullptr && !m_store->pendingDecisionJump(); }, 10000));
  EXPECT_EQ(m_store->messages().size(), 56u);
  spinFor(100);
  QWidget* button = optionButton("y");
  const QRect viewport = m_window->messageScroll()->viewport()->rect();
  const QPoint at = button->mapTo(m_window->messageScroll()->viewport(), QPoint(0, 0));
  EXPECT_TRUE(viewport.contains(at)) << at.y() << " outside 0.." << viewport.height();
  spinFor(200);
  saveScreenshot(*m_window, "inbox-window-decision-jump");
}

TEST_F(InboxWindowTest, UpdatesKeepUnchangedCardsTheViewAndTheFocus) {
  const json asked = m_http->post("/api/agent/decisions",
                                  {{"thread", "builds"}, {"question", "Retry the flaky job?"},
                                   {"options", {{{"k", "y"}, {"label", "Retry"}}, {{"k", "n"}, {"label", "Skip"}}}}},
                                  m_daemonToken)
                         .json();
  ASSERT_TRUE(asked.contains("id")) << asked.dump();
  for (int i = 0; i < 20; ++i) {
    ASSERT_EQ(m_http->post("/api/agent/messages", {{"thread", "builds"}, {"body", "step " + std::to_string(i) + " passed"}}, m_daemonToken).status,
              200);
  }
  m_window = std::make_unique<ui::InboxWindow>(*m_store, *m_board);
  m_window->resize(1000, 640);
  m_window->show();
  m_window->activateWindow();
  m_store->load();
  ASSERT_TRUE(waitUntil([&] { return m_store->streamConnected() && m_store->threads().size() == 1; }, 10000));
  m_window->openThread(m_store->threads().front().agentSlug);
  ASSERT_TRUE(waitUntil([&] { return m_store->messages().size() == 21 && optionButton("y") != nullptr; }, 10000));
  spinFor(100);

  // Part way up the thread, the decision's first button focused.
  QScrollBar* bar = m_window->messageScroll()->verticalScrollBar();
  ASSERT_GT(bar->maximum(), 200);
  bar->setValue(bar->maximum() / 2);
  const int scrolled = bar->value();
  optionButton("y")->setFocus();
  QListWidgetItem* threadRow = m_window->threadList()->currentItem();
  ASSERT_NE(threadRow, nullptr);
  std::vector<QPointer<QFrame>> before;
  for (QFrame* card : m_window->messageArea()->findChildren<QFrame*>(QRegularExpression("^message-"))) before.emplace_back(card);
  ASSERT_EQ(before.size(), 21u);

  ASSERT_EQ(m_http->post("/api/agent/messages", {{"thread", "builds"}, {"body", "all green"}}, m_daemonToken).status, 200);
  ASSERT_TRUE(waitUntil([&] { return m_store->messages().size() == 22; }, 10000));
  spinFor(100);
  EXPECT_EQ(std::count_if(before.begin(), before.end(), [](const QPointer<QFrame>& card) { return card.isNull(); }), 0)
      << "cards that did not change were rebuilt";
  EXPECT_EQ(m_window->messageArea()->findChildren<QFrame*>(QRegularExpression("^message-")).size(), 22u);
  EXPECT_EQ(bar->value(), scrolled);
  EXPECT_EQ(QApplication::focusWidget(), optionButton("y"));
  // The thread's row is the same row, with the newest message in it.
  ASSERT_EQ(m_window->threadList()->count(), 1);
  EXPECT_EQ(m_window->threadList()->currentItem(), threadRow);
  EXPECT_TRUE(threadRow->text().contains("all green")) << threadRow->text().toStdString();

  // Answered on another device: the decision's card, above the view, changes its height in
  // place; the view stays on the message it showed.
  auto* decisionCard = qobject_cast<QFrame*>(optionButton("y")->parentWidget());
  ASSERT_NE(decisionCard, nullptr);
  const QPointer<QFrame> watched(decisionCard);
  const int heightBefore = decisionCard->height();
  QWidget* viewport = m_window->messageScroll()->viewport();
  QFrame* topCard = nullptr;
  for (const auto& card : before) {
    if (card->mapTo(viewport, QPoint(0, card->height())).y() > 0) {
      topCard = card;
      break;
    }
  }
  ASSERT_NE(topCard, nullptr);
  const int topBefore = topCard->mapTo(viewport, QPoint(0, 0)).y();
  const QString answerPath = QStringLiteral("/api/inbox/threads/%1/messages/%2/decision")
                                 .arg(QString::fromStdString(m_store->threads().front().agentSlug),
                                      QString::fromStdString(inbox::formatMessageId(asked["id"].get<double>())));
  ASSERT_EQ(m_http->post(answerPath, {{"k", "y"}, {"device", "Phone"}}, m_token).status, 200);
  ASSERT_TRUE(waitUntil([&] { return m_window->messageArea()->findChild<QLabel*>("decided") != nullptr; }, 10000));
  spinFor(100);
  ASSERT_FALSE(watched.isNull());
  EXPECT_NE(decisionCard->height(), heightBefore);
  EXPECT_EQ(topCard->mapTo(viewport, QPoint(0, 0)).y(), topBefore);
}

TEST_F(InboxWindowTest, ALongNotificationListScrollsToItsLastRowAndKeepsItsPlace) {
  for (int i = 0; i < 60; ++i) {
    ASSERT_EQ(m_http->post("/api/agent/notifications", {{"title", "Build " + std::to_string(i)}, {"body", "finished"}}, m_daemonToken).status,
              200);
  }
  m_window = std::make_unique<ui::InboxWindow>(*m_store, *m_board);
  m_window->resize(980, 700);
  m_window->show();
  m_window->tabs()->setCurrentIndex(2);
  m_store->load();
  ASSERT_TRUE(waitUntil([&] { return m_store->notifications().size() == 60; }, 10000));
  spinFor(100);
  saveScreenshot(*m_window, "inbox-window-notifications");
  auto row = [&](const std::string& id) -> QWidget* {
    auto* button = m_window->findChild<QPushButton*>(QString::fromStdString("markRead-" + id));
    return button ? button->parentWidget() : nullptr;
  };
  QScrollArea* area = m_window->notificationScroll();
  ASSERT_NE(area, nullptr);
  QScrollBar* bar = area->verticalScrollBar();
  const auto inView = [&](QWidget* widget) {
    return area->viewport()->rect().contains(QRect(widget->mapTo(area->viewport(), QPoint(0, 0)), widget->size()));
  };

  // The oldest, last in the list, is reached by scrolling to the end.
  QWidget* last = row(m_store->notifications().back().id);
  ASSERT_NE(last, nullptr);
  EXPECT_FALSE(inView(last));
  bar->setValue(bar->maximum());
  spinFor(50);
  EXPECT_TRUE(inView(last)) << last->mapTo(area->viewport(), QPoint(0, 0)).y() << " in 0.." << area->viewport()->height();
  saveScreenshot(*m_window, "inbox-window-notifications-end");

  // Part way down: a newer notification comes in at the top and one above the view is marked
  // read (its row alone is built anew); the row at the top of the view stays, and stays there.
  const QPointer<QWidget> top(row(m_store->notifications()[30].id));
  bar->setValue(top->y() + 3);
  spinFor(50);
  const int topBefore = top->mapTo(area->viewport(), QPoint(0, 0)).y();
  const std::string readId = m_store->notifications()[2].id;
  ASSERT_EQ(m_http->post("/api/agent/notifications", {{"title", "Deploy"}, {"body", "finished"}}, m_daemonToken).status, 200);
  m_store->refreshNotifications();
  ASSERT_TRUE(waitUntil([&] { return m_store->notifications().size() == 61; }, 10000));
  row(readId)->findChild<QPushButton*>()->click();
  ASSERT_TRUE(waitUntil([&] { return row(readId) == nullptr; }, 10000));
  spinFor(100);
  ASSERT_FALSE(top.isNull());
  EXPECT_EQ(top->mapTo(area->viewport(), QPoint(0, 0)).y(), topBefore);
}

TEST_F(InboxWindowTest, TheBoardsFourColumnsAreReachableAtEveryWidth) {
  ASSERT_TRUE(openBoard({"Ship search across every workspace the account can see", "Fix login", "Write docs"}, 700));
  ui::TaskBoardView& board = *m_window->board();
  auto* area = board.findChild<QScrollArea*>();
  QWidget* done = board.column(inbox::BoardColumn::done)->parentWidget();
  for (const int width : {700, 900, 1100, 1600}) {
    m_window->resize(width, 600);
    spinFor(100);
    // Wide enough windows share their width among the columns; any narrower one scrolls to the last column.
    EXPECT_EQ(area->horizontalScrollBar()->isVisible(), width < 900) << width;
    area->horizontalScrollBar()->setValue(area->horizontalScrollBar()->maximum());
    spinFor(50);
    const QRect shown(done->mapTo(area->viewport(), QPoint(0, 0)), done->size());
    EXPECT_TRUE(area->viewport()->rect().contains(shown)) << width << ": the Done column ends at " << shown.right()
                                                          << " of " << area->viewport()->width();
    saveScreenshot(*m_window, QStringLiteral("inbox-window-board-%1").arg(width));
  }
}

TEST_F(InboxWindowTest, AMachineTheRelayHasNotApprovedSeesALocalOnlyInbox) {
  RealRelay strict(m_root.filePath("strict-relay"), {"--require-device-enrolment"});
  ASSERT_TRUE(strict.start());
  RelayHttp http(strict.baseUrl());
  const auto [token, userId] = http.registerAccount("unapproved@example.org");
  const QUrl base(strict.baseUrl());
  const QString bearer = QString::fromStdString(token);
  inbox::InboxStore store({[base, bearer] { return relay::RelayClient(base, relay::RelayClient::Credential::fixed(bearer)); }, 300});
  m_window = std::make_unique<ui::InboxWindow>(store, *m_board);
  store.refreshThreads();
  ASSERT_TRUE(waitUntil([&] { return store.deviceNotApproved(); }, 10000)) << store.threadsError().toStdString();
  const auto* banner = m_window->findChild<QLabel*>("inboxBanner");
  EXPECT_FALSE(banner->isHidden());
  EXPECT_TRUE(banner->text().contains("Inbox is local-only for now"));
  EXPECT_FALSE(store.sessionExpired());
  m_window.reset();
}

TEST_F(InboxWindowTest, TheStreamComesBackAfterARelayRestartWithoutDuplicates) {
  m_store->load();
  ASSERT_TRUE(waitUntil([&] { return m_store->streamConnected(); }, 10000));
  ASSERT_EQ(runCli({"post", "first"}), 0);
  ASSERT_TRUE(waitUntil([&] { return m_store->threads().size() == 1; }, 10000));
  m_store->openThread(m_store->threads().front().agentSlug);
  ASSERT_TRUE(waitUntil([&] { return m_store->messages().size() == 1; }, 10000));

  const quint16 port = m_relay->port();
  EXPECT_EQ(m_relay->stop(), 0);
  ASSERT_TRUE(waitUntil([&] { return !m_store->streamConnected(); }, 10000));
  ASSERT_TRUE(m_relay->start(port));
  ASSERT_TRUE(waitUntil([&] { return m_store->streamConnected(); }, 15000));
  ASSERT_EQ(runCli({"post", "second"}), 0);
  ASSERT_TRUE(waitUntil([&] { return m_store->messages().size() == 2; }, 10000));
  spinFor(500);  // any late refetch would show a duplicate now
  ASSERT_EQ(m_store->messages().size(), 2u);
  EXPECT_EQ(m_store->messages()[0].body, "first");
  EXPECT_EQ(m_store->messages()[1].body, "second");
  EXPECT_EQ(m_store->threads().size(), 1u);
}

TEST_F(InboxWindowTest, TheBoardMovesCardsOneColumnAtATime) {
  ASSERT_TRUE(openBoard({"Ship search", "Fix login", "Write docs"}, 1100));
  ui::TaskBoardView& board = *m_window->board();
  const std::string id = board.column(inbox::BoardColumn::toDo)->item(0)->data(Qt::UserRole).toString().toStdString();

  board.dropCard(id, inbox::BoardColumn::done);
  ASSERT_TRUE(waitUntil([&] { return !board.notice()->isHidden(); }, 5000));
  EXPECT_EQ(board.notice()->text().toStdString(), "Move a card one column at a time.");
  EXPECT_EQ(m_http->get(QString::fromStdString("/api/tasks/" + id), m_token).json()["task"]["status"], "new");

  board.dropCard(id, inbox::BoardColumn::inProgress);
  ASSERT_TRUE(waitUntil([&] { return board.column(inbox::BoardColumn::inProgress)->count() == 1; }, 10000));
  board.dropCard(id, inbox::BoardColumn::needsReview);
  ASSERT_TRUE(waitUntil([&] { return board.column(inbox::BoardColumn::needsReview)->count() == 1; }, 10000));
  board.dropCard(id, inbox::BoardColumn::done);
  ASSERT_TRUE(waitUntil([&] { return board.column(inbox::BoardColumn::done)->count() == 1; }, 10000));
  // The card moves at once; the relay hears of it just after.
  EXPECT_TRUE(waitUntil([&] {
    return m_http->get(QString::fromStdString("/api/tasks/" + id), m_token).json()["task"]["status"] == "verified";
  }, 10000));
  // Selecting a card in another column takes the selection from the To Do card.
  board.select(board.column(inbox::BoardColumn::toDo)->item(0)->data(Qt::UserRole).toString().toStdString());
  board.select(id);
  EXPECT_EQ(board.column(inbox::BoardColumn::toDo)->currentItem(), nullptr);
  EXPECT_TRUE(board.column(inbox::BoardColumn::toDo)->selectedItems().isEmpty());
  EXPECT_EQ(board.column(inbox::BoardColumn::done)->currentItem()->data(Qt::UserRole).toString().toStdString(), id);
  auto* timeline = m_window->findChild<QListWidget*>("timeline");
  ASSERT_TRUE(waitUntil([&] { return timeline->count() == 4; }, 10000));
  EXPECT_TRUE(timeline->item(3)->text().endsWith("Status: Worker done → Verified")) << timeline->item(3)->text().toStdString();
  spinFor(200);
  saveScreenshot(*m_window, "inbox-window-board");
}

TEST_F(InboxWindowTest, ABoardColumnKeepsItsViewAndCurrentCardWhenCardsAboveItComeAndGo) {
  std::vector<std::string> titles;
  for (int i = 0; i < 30; ++i) titles.push_back("Task " + std::to_string(i));
  ASSERT_TRUE(openBoard(titles, 1100));
  ui::TaskBoardView& board = *m_window->board();
  QListWidget* toDo = board.column(inbox::BoardColumn::toDo);
  QListWidget* inProgress = board.column(inbox::BoardColumn::inProgress);
  spinFor(100);
  const auto idOf = [&](int row) { return toDo->item(row)->data(Qt::UserRole).toString().toStdString(); };
  const auto setStatus = [&](const std::string& id, const char* status) {
    return m_http->call("PATCH", QString::fromStdString("/api/tasks/" + id), QByteArray(R"({"status": ")") + status + "\"}", m_token).status;
  };

  // The column scrolls by rows or by pixels as the style has it; either way, what it shows stays put.
  int count = 30;
  for (const auto mode : {QAbstractItemView::ScrollPerItem, QAbstractItemView::ScrollPerPixel}) {
    // Scrolled half way down the column, a card there current and the column focused.
    toDo->setVerticalScrollMode(mode);
    QScrollBar* bar = toDo->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 4);
    spinFor(50);
    bar->setValue(bar->maximum() / 2);
    spinFor(50);
    QListWidgetItem* card = nullptr;
    for (int row = 0; !card && row < toDo->count(); ++row) {
      if (toDo->visualItemRect(toDo->item(row)).top() >= toDo->viewport()->height() / 2) card = toDo->item(row);
    }
    ASSERT_NE(card, nullptr) << bar->value() << " of " << bar->maximum();
    ASSERT_LT(toDo->visualItemRect(toDo->item(2)).bottom(), 0);
    toDo->setCurrentItem(card);
    toDo->setFocus();
    const int top = toDo->visualItemRect(card).top();
    const QString title = card->text();
    const auto stays = [&](const char* after) {
      EXPECT_EQ(toDo->visualItemRect(card).top(), top) << after;
      EXPECT_EQ(toDo->currentItem(), card) << after;
      EXPECT_EQ(card->text(), title) << after;
      EXPECT_EQ(QApplication::focusWidget(), toDo) << after;
    };

    // Above the view, one task moves on and another is deleted, below it another moves on;
    // the board refreshes its feed.
    const std::string moved = idOf(1);
    ASSERT_EQ(setStatus(moved, "inProgress"), 200);
    ASSERT_EQ(setStatus(idOf(toDo->count() - 1), "inProgress"), 200);
    ASSERT_EQ(m_http->call("DELETE", QString::fromStdString("/api/tasks/" + idOf(2)), {}, m_token).status, 200);
    count -= 3;
    m_board->load();
    ASSERT_TRUE(waitUntil([&] { return toDo->count() == count; }, 10000));
    spinFor(50);
    stays("cards above left");

    // The task comes back to its place above the view.
    ASSERT_EQ(setStatus(moved, "new"), 200);
    ++count;
    m_board->load();
    ASSERT_TRUE(waitUntil([&] { return toDo->count() == count; }, 10000));
    spinFor(50);
    stays("a card came back above");
    ASSERT_EQ(ui::listItem(toDo, QString::fromStdString(moved)), toDo->item(1));
  }
  EXPECT_EQ(inProgress->count(), 2);
  saveScreenshot(*m_window, "inbox-window-board-scrolled");
  m_window->resize(700, 420);
  spinFor(100);
  saveScreenshot(*m_window, "inbox-window-board-scrolled-small");
}

}  // namespace
}  // namespace vesket::testing
