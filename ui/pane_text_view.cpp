#include "ui/pane_text_view.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>
#include <QEvent>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/theme.h"
#include "viewer/ansi_canvas_font.h"
#include "viewer/ansi_text_document_builder.h"

namespace vesket::ui {

namespace {
constexpr qreal kCanvasPointSize = 10.5;

std::string joinLines(const std::vector<std::string>& lines) {
  std::string text;
  std::size_t size = 0;
  for (const auto& l : lines) size += l.size() + 1;
  text.reserve(size);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) text += '\n';
    text += lines[i];
  }
  return text;
}
}  // namespace

PaneTextView::PaneTextView(QWidget* parent) : QWidget(parent) {
  openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  m_staleBanner = new QLabel(this);
  m_staleBanner->setObjectName("staleBanner");
  m_staleBanner->setWordWrap(true);
  m_staleBanner->hide();
  layout->addWidget(m_staleBanner);
  m_editor = new QPlainTextEdit(this);
  m_editor->setReadOnly(true);
  m_editor->setLineWrapMode(QPlainTextEdit::NoWrap);
  m_editor->setFrameShape(QFrame::NoFrame);
  m_editor->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard |
                                    Qt::LinksAccessibleByMouse);
  m_editor->setFont(viewer::AnsiCanvasFont::canvasFont(kCanvasPointSize, QFont::Normal));
  m_editor->document()->setDocumentMargin(10);
  m_editor->setMaximumBlockCount(0);
  layout->addWidget(m_editor);

  m_newLinesButton = new QToolButton(this);
  m_newLinesButton->setObjectName("newLinesButton");
  m_newLinesButton->setCursor(Qt::PointingHandCursor);
  m_newLinesButton->hide();
  connect(m_newLinesButton, &QToolButton::clicked, this, &PaneTextView::scrollToBottom);

  connect(m_editor->verticalScrollBar(), &QScrollBar::valueChanged, this, &PaneTextView::onScrolled);
  connect(m_editor->verticalScrollBar(), &QScrollBar::rangeChanged, this, [this] {
    if (m_pinned) m_editor->verticalScrollBar()->setValue(bottomPosition());
  });
  m_editor->viewport()->installEventFilter(this);

  m_placeholder = new QLabel(m_editor->viewport());
  m_placeholder->setObjectName("feedPlaceholder");
  m_placeholder->setAlignment(Qt::AlignCenter);
  m_placeholder->setWordWrap(true);
  m_placeholder->setAttribute(Qt::WA_TransparentForMouseEvents);
  m_placeholder->hide();
  m_veil = new QWidget(m_editor->viewport());
  m_veil->setObjectName("staleVeil");
  m_veil->setAttribute(Qt::WA_TransparentForMouseEvents);
  m_veil->setAttribute(Qt::WA_StyledBackground);
  m_veil->hide();
  rebuildBuilder();
}

PaneTextView::~PaneTextView() = default;

void PaneTextView::rebuildBuilder() {
  const auto& theme = Theme::current();
  viewer::AnsiTextOptions options;
  options.fontPointSize = kCanvasPointSize;
  options.defaultForeground = theme.colors().text;
  options.darkAppearance = theme.isDark();
  options.onDarkCanvas = theme.isDark();
  options.accentColor = theme.colors().accent;
  m_builder = std::make_unique<viewer::AnsiTextDocumentBuilder>(options);
  const auto& c = theme.colors();
  QPalette canvas = m_editor->palette();
  canvas.setColor(QPalette::Base, c.base);
  canvas.setColor(QPalette::Text, c.text);
  m_editor->setPalette(canvas);
  m_newLinesButton->setStyleSheet(QString("QToolButton { background-color: %1; color: %2; border: none;"
                                          " border-radius: 12px; padding: 4px 12px; font-weight: 600; }")
                                      .arg(c.accent.name(), c.accentText.name()));
  styleFeedNotes();
}

void PaneTextView::styleFeedNotes() {
  const auto& c = Theme::current().colors();
  m_staleBanner->setStyleSheet(QString("QLabel#staleBanner { background: %1; color: %2; padding: 6px 14px;"
                                       " border-bottom: 1px solid %3; font-weight: 600; }")
                                   .arg(c.raised.name(), c.awaiting.name(), c.border.name()));
  m_veil->setStyleSheet(QString("QWidget#staleVeil { background: rgba(%1, %2, %3, 150); }")
                            .arg(c.base.red())
                            .arg(c.base.green())
                            .arg(c.base.blue()));
  const QColor note = m_feed == viewer::PaneTextFeed::failed ? c.danger : c.faintText;
  m_placeholder->setStyleSheet(QString("QLabel#feedPlaceholder { color: %1; font-size: 13px; background: transparent; }")
                                   .arg(note.name()));
}

void PaneTextView::setFeed(viewer::PaneTextFeed feed, const QDateTime& lastUpdate) {
  using Feed = viewer::PaneTextFeed;
  m_feed = feed;
  QString note;
  switch (feed) {
    case Feed::loading: note = qtTrId("macos.pane_text_view.loading"); break;
    case Feed::failed: note = qtTrId("macos.pane_text_view.could_not_be_read"); break;
    case Feed::empty: note = qtTrId("macos.pane_text_view.no_text_yet"); break;
    case Feed::live:
    case Feed::stale: break;
  }
  m_placeholder->setText(note);
  m_placeholder->setGeometry(m_editor->viewport()->rect());
  m_placeholder->setVisible(!note.isEmpty());
  const bool stale = feed == Feed::stale;
  if (stale) {
    const QString since = lastUpdate.isValid() ? QLocale().toString(lastUpdate.time(), QStringLiteral("HH:mm:ss"))
                                               : QStringLiteral("\u2014");
    m_staleBanner->setText(QStringLiteral("\u26a0  ") + qtTrId("macos.pane_text_view.not_updating_since").arg(since));
  }
  m_staleBanner->setVisible(stale);
  // Stale text is dimmed (a veil of the canvas colour over it) so that it never passes for
  // the pane as it is now.
  m_veil->setGeometry(m_editor->viewport()->rect());
  m_veil->setVisible(stale);
  if (stale) m_veil->raise();
  styleFeedNotes();
}

int PaneTextView::lineCount() const {
  return m_editor->document()->isEmpty() ? 0 : m_editor->document()->blockCount();
}

bool PaneTextView::isDimmed() const { return m_veil->isVisibleTo(m_editor->viewport()); }

QString PaneTextView::plainText() const { return m_editor->toPlainText(); }

void PaneTextView::applyChange(const viewer::LineDiffer::Change& change) {
  using Kind = viewer::LineDiffer::Change::Kind;
  switch (change.kind) {
    case Kind::none: return;
    case Kind::append: appendLines(change.lines, change.trimmedFromHead); return;
    case Kind::replace: replaceLines(change.lines); return;
  }
}

void PaneTextView::clearText() {
  m_editor->clear();
  setPausedNewLines(0);
  m_pinned = true;
}

void PaneTextView::replaceLines(const std::vector<std::string>& lines) {
  auto* bar = m_editor->verticalScrollBar();
  const int keep = bar->value();
  m_applying = true;
  m_builder->setContent(*m_editor->document(), joinLines(lines));
  m_applying = false;
  if (m_pinned) {
    bar->setValue(bottomPosition());
  } else {
    bar->setValue(std::min(keep, bar->maximum()));
  }
}

void PaneTextView::appendLines(const std::vector<std::string>& lines, std::size_t trimmedFromHead) {
  auto* bar = m_editor->verticalScrollBar();
  auto* document = m_editor->document();
  m_applying = true;
  int removedPixels = 0;
  if (trimmedFromHead > 0) {
    // Drop the oldest blocks; a reader scrolled up keeps their place by the same amount.
    QTextCursor head(document);
    head.movePosition(QTextCursor::Start);
    const int blocks = std::min<int>(static_cast<int>(trimmedFromHead), document->blockCount() - 1);
    if (blocks > 0) {
      const int before = bar->maximum();
      head.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, blocks);
      head.removeSelectedText();
      removedPixels = before - bar->maximum();
    }
  }
  const int keep = bar->value() - removedPixels;
  QTextCursor end(document);
  end.movePosition(QTextCursor::End);
  const std::string text = (document->isEmpty() ? "" : "\n") + joinLines(lines);
  m_builder->insert(end, text);
  m_applying = false;
  if (m_pinned) {
    bar->setValue(bottomPosition());
  } else {
    bar->setValue(std::max(0, keep));
    setPausedNewLines(m_pausedNewLines + static_cast<int>(lines.size()));
  }
}

void PaneTextView::scrollToBottom() { m_editor->verticalScrollBar()->setValue(bottomPosition()); }

// A pane's capture ends with its screen's empty rows below the cursor. The bottom the view
// follows is its last written line, so a shell that printed three lines on a tall screen
// shows them instead of a page of blank rows (each blank row is one line of scrolling).
int PaneTextView::bottomPosition() const {
  int blankRows = 0;
  for (QTextBlock block = m_editor->document()->lastBlock(); block.isValid(); block = block.previous()) {
    if (!block.text().trimmed().isEmpty()) break;
    ++blankRows;
  }
  return std::max(0, m_editor->verticalScrollBar()->maximum() - blankRows);
}

void PaneTextView::onScrolled() {
  if (m_applying) return;
  auto* bar = m_editor->verticalScrollBar();
  const bool atBottom = bar->value() >= bottomPosition() - 2;
  if (atBottom == m_pinned) return;
  m_pinned = atBottom;
  if (m_pinned) setPausedNewLines(0);
  emit pinnedChanged(m_pinned);
}

void PaneTextView::setPausedNewLines(int count) {
  if (count == m_pausedNewLines) return;
  m_pausedNewLines = count;
  if (count > 0) {
    m_newLinesButton->setText(qtTrId("macos.pane_text_view.new_lines", count));
    m_newLinesButton->adjustSize();
    placeNewLinesButton();
    m_newLinesButton->show();
    m_newLinesButton->raise();
  } else {
    m_newLinesButton->hide();
  }
  emit pausedNewLineCountChanged(count);
}

void PaneTextView::placeNewLinesButton() {
  const QSize size = m_newLinesButton->sizeHint();
  m_newLinesButton->move((width() - size.width()) / 2, height() - size.height() - 14);
}

void PaneTextView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  placeNewLinesButton();
}

bool PaneTextView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_editor->viewport() && event->type() == QEvent::PaletteChange) rebuildBuilder();
  if (watched == m_editor->viewport()) {
    // Links: the hand over them, a click (not the end of a selection) opens http(s) ones.
    if (event->type() == QEvent::MouseMove) {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      const bool overLink = !m_editor->anchorAt(mouse->position().toPoint()).isEmpty();
      m_editor->viewport()->setCursor(overLink ? Qt::PointingHandCursor : Qt::IBeamCursor);
    } else if (event->type() == QEvent::MouseButtonRelease) {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      const QUrl url(m_editor->anchorAt(mouse->position().toPoint()));
      const bool web = url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
      if (mouse->button() == Qt::LeftButton && web && !m_editor->textCursor().hasSelection() && openUrl) openUrl(url);
    }
  }
  if (watched == m_editor->viewport() && event->type() == QEvent::Resize) {
    m_placeholder->setGeometry(m_editor->viewport()->rect());
    m_veil->setGeometry(m_editor->viewport()->rect());
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace vesket::ui
