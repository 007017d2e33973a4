#pragma once

// The Inbox window: tabs for Messages (the threads on the left; the open thread's messages
// with their cards, decision buttons answerable once, "load older" and the reply box on the
// right; the decisions waiting across threads above, each a link that brings its card into
// view; a banner when the session expired or the relay has not approved this machine),
// Files (shared files to open), Notifications (to mark read) and the task Board. Everything comes from the InboxStore and
// the MacTaskBoardStore; the window only shows them and hands the user's actions back.

#include <QPointer>
#include <QWidget>

#include <optional>
#include <string>
#include <vector>

#include "inbox/inbox_store.h"

class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollArea;
class QStackedWidget;
class QTabWidget;
class QVBoxLayout;

namespace vesket::inbox {
class MacTaskBoardStore;
}  // namespace vesket::inbox

namespace vesket::ui {

class TaskBoardView;

class InboxWindow : public QWidget {
  Q_OBJECT

 public:
  InboxWindow(inbox::InboxStore& store, inbox::MacTaskBoardStore& board, QWidget* parent = nullptr);

  QListWidget* threadList() const { return m_threads; }
  QWidget* messageArea() const { return m_messageArea; }
  QTabWidget* tabs() const { return m_tabs; }
  TaskBoardView* board() const { return m_board; }
  QLineEdit* replyField() const { return m_reply; }
  // Opens the thread (as a click on it would).
  void openThread(const std::string& slug);
  // Opens the decision's thread and brings its card into view, outlined.
  void openDecision(const inbox::OpenInboxDecision& decision);
  QScrollArea* messageScroll() const { return m_scroll; }
  QScrollArea* fileScroll() const { return m_files.scroll; }
  QScrollArea* notificationScroll() const { return m_notifications.scroll; }

 private:
  QWidget* buildMessagesTab();
  QWidget* buildFilesTab();
  QWidget* buildNotificationsTab();
  void renderThreads();
  void renderMessages();
  void renderDecisionStrip();
  void renderFiles();
  void renderNotifications();

  // What a message card shows; a card is rebuilt only when this changes.
  struct CardContent {
    inbox::InboxMessage message;
    bool outlined = false;
    bool answering = false;
    std::optional<inbox::DecisionAnswerFailure> failure;
    bool operator==(const CardContent&) const = default;
  };
  struct MessageCard {
    inbox::InboxDecisionRef ref;  // the thread and the message id
    QFrame* frame = nullptr;
    CardContent content;
  };
  // Brings the cards in line with the open thread's messages: new ones added, gone ones
  // removed, changed ones refilled, all in the store's order; gives the card a pending jump
  // asked for, if it is there now.
  QFrame* updateCards(const std::string& slug);
  void fillCard(QFrame* frame, const std::string& slug, const CardContent& content);
  // Where a scrolled view goes once the layout has taken in its widgets' changes.
  struct ViewScroll {
    enum class Kind { bottom, widget, anchor } kind = Kind::bottom;
    QPointer<QWidget> widget;  // the widget to show, or the one to keep in place
    int offset = 0;            // for anchor: how far into the widget the view starts
  };
  // The widget the top of the view is on and how far into it the view starts (no widget
  // when none of them reaches the top).
  static ViewScroll anchorOf(const QScrollArea* area, const std::vector<QWidget*>& widgets);
  // Schedules the scroll; `pending` holds it until the layout has run. The first one asked for
  // stands, as later ones would measure widgets not yet laid out, unless one to show a widget
  // comes.
  void scrollView(QScrollArea* area, std::optional<ViewScroll>& pending, ViewScroll scroll);
  // A row of the Files or the Notifications tab and the notification it shows (none for the
  // line that says the list is empty).
  struct NotificationRow {
    inbox::PlatformNotification notification;
    QWidget* widget = nullptr;
  };
  // The Files or the Notifications tab's rows, in a view of their own that scrolls.
  struct RowList {
    QScrollArea* scroll = nullptr;
    QVBoxLayout* rows = nullptr;
    std::vector<NotificationRow> shown;
    std::optional<ViewScroll> pendingScroll;
  };
  QScrollArea* buildRowList(QWidget* page, RowList& list, const QString& name);
  // Brings the rows in line with the notifications: a row is built anew only when its
  // notification changed, the others stay as they are, all in the notifications' order. The
  // view stays on the row at its top, or at the top when it was there (the newest come first).
  void updateRows(RowList& list, const std::vector<inbox::PlatformNotification>& wanted,
                  QWidget* (InboxWindow::*build)(const inbox::PlatformNotification&), const QString& none);
  QWidget* fileRow(const inbox::PlatformNotification& notification);
  QWidget* notificationRow(const inbox::PlatformNotification& notification);

  inbox::InboxStore& m_store;
  inbox::MacTaskBoardStore& m_boardStore;
  QTabWidget* m_tabs = nullptr;
  QLabel* m_banner = nullptr;
  QLabel* m_decisionStrip = nullptr;
  QListWidget* m_threads = nullptr;
  QStackedWidget* m_threadPane = nullptr;
  QLabel* m_threadTitle = nullptr;
  QScrollArea* m_scroll = nullptr;
  QWidget* m_messageArea = nullptr;
  QVBoxLayout* m_messageLayout = nullptr;
  QPushButton* m_loadOlder = nullptr;
  QLineEdit* m_reply = nullptr;
  QPushButton* m_send = nullptr;
  QLabel* m_replyError = nullptr;
  RowList m_files;
  QLabel* m_fileError = nullptr;
  RowList m_notifications;
  TaskBoardView* m_board = nullptr;
  // The decision the last jump went to; its card stays outlined.
  std::optional<inbox::InboxDecisionRef> m_outlined;
  // The message cards on screen, in the layout's order.
  std::vector<MessageCard> m_cards;
  // A scroll of the messages waiting for the layout.
  std::optional<ViewScroll> m_pendingScroll;
};

}  // namespace vesket::ui
