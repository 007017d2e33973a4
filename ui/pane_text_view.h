#pragma once

#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "viewer/core/line_differ.h"
#include "viewer/core/pane_content_state.h"

class QDateTime;
class QUrl;
class QLabel;
class QPlainTextEdit;
class QToolButton;

namespace vesket::viewer {
class AnsiTextDocumentBuilder;
}

namespace vesket::ui {

// The selected pane's text: ANSI-styled lines from the content store, in the canvas font.
// While the user follows (scrolled to the bottom) new lines keep it pinned there; once they
// scroll up it stays where it is and a button counts the lines that arrived since, taking
// them back to the bottom on a click. Above the text it says when the text is loading,
// cannot be read, is blank, or has stopped updating (then the text is dimmed and the banner
// gives the time it was last read).
class PaneTextView : public QWidget {
  Q_OBJECT

 public:
  explicit PaneTextView(QWidget* parent = nullptr);
  ~PaneTextView() override;

  // Applies one content change (append with head trimming, replace, or none).
  void applyChange(const viewer::LineDiffer::Change& change);
  void clearText();
  // How current the shown text is; `lastUpdate` is when it was last read.
  void setFeed(viewer::PaneTextFeed feed, const QDateTime& lastUpdate);
  viewer::PaneTextFeed feed() const { return m_feed; }
  // The centred note over the text (loading, unreadable, blank) and the stale banner.
  QLabel* placeholder() const { return m_placeholder; }
  QLabel* staleBanner() const { return m_staleBanner; }
  bool isDimmed() const;

  bool isPinnedToBottom() const { return m_pinned; }
  int pausedNewLineCount() const { return m_pausedNewLines; }
  int lineCount() const;
  QString plainText() const;

  void scrollToBottom();
  // Opens an http(s) link clicked in the text (the user's browser unless replaced).
  std::function<void(const QUrl&)> openUrl;
  QPlainTextEdit* editor() const { return m_editor; }

 signals:
  void pinnedChanged(bool pinned);
  void pausedNewLineCountChanged(int count);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The scroll position that shows the last written line at the bottom.
  int bottomPosition() const;
  void rebuildBuilder();
  void onScrolled();
  void setPausedNewLines(int count);
  void placeNewLinesButton();
  void appendLines(const std::vector<std::string>& lines, std::size_t trimmedFromHead);
  void replaceLines(const std::vector<std::string>& lines);
  void styleFeedNotes();

  QPlainTextEdit* m_editor;
  QToolButton* m_newLinesButton;
  QLabel* m_staleBanner;
  QLabel* m_placeholder;
  QWidget* m_veil;
  viewer::PaneTextFeed m_feed = viewer::PaneTextFeed::live;
  std::unique_ptr<viewer::AnsiTextDocumentBuilder> m_builder;
  bool m_pinned = true;
  bool m_applying = false;
  int m_pausedNewLines = 0;
};

}  // namespace vesket::ui
