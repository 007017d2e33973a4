#pragma once

#include <QWidget>

#include <optional>

#include <QStringList>

#include <vector>

class QLabel;
class QMimeData;
class QPlainTextEdit;
class QPushButton;

namespace vesket::ui {

// Where the user writes to the selected pane's agent. Enter sends, Shift+Enter starts a new
// line, Up and Down at the edges walk through what was sent to this pane before. A row of
// buttons sends the keys agents' menus need (Esc, arrows, Enter, Tab, Ctrl-C) as named keys.
// Files (and images) are attached with the + button, by dropping them on the composer or by
// pasting them; they go with the next message.
class Composer : public QWidget {
  Q_OBJECT

 public:
  explicit Composer(QWidget* parent = nullptr);
  ~Composer() override;

  // What was sent to the current pane, oldest first (Up recalls the newest).
  void setHistory(std::vector<QString> sent);
  void setSending(bool sending);
  // While attachments travel to another machine: the fraction sent, shown on the button.
  void setUploadProgress(std::optional<double> fraction);
  void setError(const QString& error);  // empty hides it
  void setTargetName(const QString& name);
  void focusEditor();
  QString text() const;
  void clearText();

  // Files of this machine attached to the next message, in the order added.
  const QStringList& attachments() const { return m_attachments; }
  void addAttachments(const QStringList& paths);
  void clearAttachments();
  // Takes what a drop carries: local files, or image data (stored in a temporary file).
  // False when it carries neither.
  bool takeDrop(const QMimeData& data);
  // Whether `data` holds local files or image data (what takeDrop takes).
  static bool carriesFiles(const QMimeData& data);

 signals:
  void submitted(const QString& text);
  // A named key for the daemon's send-key: "escape", "up", "down", "enter", "tab", "C-c".
  void navKeyRequested(const QString& key);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void submit();
  void recall(int step);
  void applyStyle();
  void chooseFiles();
  void syncAttachments();
  void removeImageCopies();

  QPlainTextEdit* m_editor;
  QPushButton* m_send;
  QLabel* m_error;
  QPushButton* m_attach;
  QLabel* m_attachmentList;
  QPushButton* m_clearAttachments;
  QStringList m_attachments;
  QStringList m_imageCopies;  // temporary files this composer wrote for image data
  std::vector<QString> m_history;
  int m_historyIndex = -1;  // -1: not browsing
  QString m_draft;
  bool m_sending = false;
};

}  // namespace vesket::ui
