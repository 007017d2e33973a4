#pragma once

#include <QWidget>

#include <vector>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vesket::ui {

// Where the user writes to the selected pane's agent. Enter sends, Shift+Enter starts a new
// line, Up and Down at the edges walk through what was sent to this pane before. A row of
// buttons sends the keys agents' menus need (Esc, arrows, Enter, Tab, Ctrl-C) as named keys.
class Composer : public QWidget {
  Q_OBJECT

 public:
  explicit Composer(QWidget* parent = nullptr);

  // What was sent to the current pane, oldest first (Up recalls the newest).
  void setHistory(std::vector<QString> sent);
  void setSending(bool sending);
  void setError(const QString& error);  // empty hides it
  void setTargetName(const QString& name);
  void focusEditor();
  QString text() const;
  void clearText();

 signals:
  void submitted(const QString& text);
  // A named key for the daemon's send-key: "escape", "up", "down", "enter", "tab", "C-c".
  void navKeyRequested(const QString& key);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void submit();
  void recall(int step);
  void applyStyle();

  QPlainTextEdit* m_editor;
  QPushButton* m_send;
  QLabel* m_error;
  std::vector<QString> m_history;
  int m_historyIndex = -1;  // -1: not browsing
  QString m_draft;
  bool m_sending = false;
};

}  // namespace vesket::ui
