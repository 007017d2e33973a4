#include "ui/composer.h"

#include <algorithm>

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QMimeData>
#include <QTemporaryFile>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QVBoxLayout>

#include "ui/theme.h"

namespace vesket::ui {

namespace {
struct NavKey {
  const char* label;
  const char* key;
  const char* tip;  // localisation key
};
constexpr NavKey kNavKeys[] = {
    {"Esc", "escape", QT_TRID_NOOP("macos.composer.send_escape")},
    {"\u2191", "up", QT_TRID_NOOP("macos.composer.send_up")},
    {"\u2193", "down", QT_TRID_NOOP("macos.composer.send_down")},
    {"\u23ce", "enter", QT_TRID_NOOP("macos.composer.send_enter")},
    {"Tab", "tab", QT_TRID_NOOP("macos.composer.send_tab")},
    {"^C", "C-c", QT_TRID_NOOP("macos.composer.send_ctrl_c_interrupt")},
};
}  // namespace

Composer::Composer(QWidget* parent) : QWidget(parent) {
  setObjectName("composer");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 8, 12, 10);
  layout->setSpacing(6);

  auto* keys = new QHBoxLayout;
  keys->setSpacing(4);
  for (const auto& nav : kNavKeys) {
    auto* button = new QPushButton(QString::fromUtf8(nav.label), this);
    button->setObjectName("navKey");
    button->setToolTip(qtTrId(nav.tip));
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::PointingHandCursor);
    const QString key = nav.key;
    connect(button, &QPushButton::clicked, this, [this, key] { emit navKeyRequested(key); });
    keys->addWidget(button);
  }
  keys->addStretch(1);
  m_error = new QLabel(this);
  m_error->setObjectName("composerError");
  m_error->hide();
  keys->addWidget(m_error);
  layout->addLayout(keys);

  auto* attached = new QHBoxLayout;
  attached->setSpacing(6);
  m_attachmentList = new QLabel(this);
  m_attachmentList->setObjectName("composerAttachments");
  m_attachmentList->setTextFormat(Qt::PlainText);
  attached->addWidget(m_attachmentList, 1);
  m_clearAttachments = new QPushButton(qtTrId("macos.composer.remove_attachments"), this);
  m_clearAttachments->setObjectName("composerClearAttachments");
  m_clearAttachments->setFocusPolicy(Qt::NoFocus);
  connect(m_clearAttachments, &QPushButton::clicked, this, &Composer::clearAttachments);
  attached->addWidget(m_clearAttachments);
  layout->addLayout(attached);

  auto* row = new QHBoxLayout;
  row->setSpacing(8);
  m_attach = new QPushButton(QStringLiteral("+"), this);
  m_attach->setObjectName("composerAttach");
  m_attach->setToolTip(qtTrId("macos.composer.attach_files"));
  m_attach->setFocusPolicy(Qt::NoFocus);
  m_attach->setCursor(Qt::PointingHandCursor);
  connect(m_attach, &QPushButton::clicked, this, &Composer::chooseFiles);
  row->addWidget(m_attach, 0, Qt::AlignBottom);
  m_editor = new QPlainTextEdit(this);
  m_editor->setObjectName("composerEditor");
  m_editor->setPlaceholderText(qtTrId("macos.composer.message_the_agent_enter_to_send"));
  m_editor->setTabChangesFocus(true);
  m_editor->setFixedHeight(64);
  m_editor->installEventFilter(this);
  row->addWidget(m_editor, 1);
  m_send = new QPushButton(qtTrId("macos.composer.send"), this);
  m_send->setObjectName("composerSend");
  m_send->setCursor(Qt::PointingHandCursor);
  connect(m_send, &QPushButton::clicked, this, &Composer::submit);
  row->addWidget(m_send, 0, Qt::AlignBottom);
  layout->addLayout(row);

  setAcceptDrops(true);
  // Files dropped on the text go with the message, not into it as their URLs.
  m_editor->viewport()->installEventFilter(this);
  syncAttachments();

  applyStyle();
  connect(&Theme::current(), &Theme::schemeChanged, this, &Composer::applyStyle);
}

void Composer::applyStyle() {
  const auto& c = Theme::current().colors();
  setStyleSheet(QString(R"(
    QWidget#composer { background: %1; border-top: 1px solid %2; }
    QPlainTextEdit#composerEditor { background: %3; color: %4; border: 1px solid %2; border-radius: 8px; padding: 4px 6px; }
    QPlainTextEdit#composerEditor:focus { border-color: %5; }
    QPushButton#composerSend { background: %5; color: %6; border: none; border-radius: 8px; padding: 8px 16px; font-weight: 600; }
    QPushButton#composerSend:disabled { background: %2; color: %7; }
    QPushButton#composerAttach { background: %8; color: %9; border: 1px solid %2; border-radius: 8px; padding: 4px 10px; font-size: 16px; font-weight: 600; }
    QPushButton#composerAttach:hover { border-color: %5; color: %4; }
    QPushButton#composerClearAttachments { background: transparent; color: %9; border: none; text-decoration: underline; }
    QLabel#composerAttachments { color: %9; }
    QPushButton#navKey { background: %8; color: %9; border: 1px solid %2; border-radius: 5px; padding: 2px 9px; min-width: 22px; }
    QPushButton#navKey:hover { border-color: %5; color: %4; }
    QLabel#composerError { color: %10; }
  )")
                    .arg(c.panel.name(), c.border.name(), c.base.name(), c.text.name(), c.accent.name(),
                         c.accentText.name(), c.faintText.name(), c.raised.name(), c.secondaryText.name(),
                         c.danger.name()));
}

void Composer::setHistory(std::vector<QString> sent) {
  m_history = std::move(sent);
  m_historyIndex = -1;
}

void Composer::setSending(bool sending) {
  m_sending = sending;
  m_send->setEnabled(!sending);
  m_send->setText(sending ? qtTrId("macos.composer.sending") : qtTrId("macos.composer.send"));
}

void Composer::setUploadProgress(std::optional<double> fraction) {
  if (!m_sending) return;
  m_send->setText(fraction ? qtTrId("macos.composer.uploading_percent").arg(static_cast<int>(*fraction * 100))
                           : qtTrId("macos.composer.sending"));
}

void Composer::setError(const QString& error) {
  m_error->setText(error);
  m_error->setVisible(!error.isEmpty());
}

void Composer::setTargetName(const QString& name) {
  m_editor->setPlaceholderText(name.isEmpty() ? qtTrId("macos.composer.message_the_agent_enter_to_send")
                                              : qtTrId("macos.composer.message_target_enter_to_send").arg(name));
}

void Composer::focusEditor() { m_editor->setFocus(); }
QString Composer::text() const { return m_editor->toPlainText(); }
void Composer::clearText() {
  m_editor->clear();
  m_historyIndex = -1;
}

void Composer::submit() {
  const QString text = m_editor->toPlainText();
  if ((text.trimmed().isEmpty() && m_attachments.isEmpty()) || m_sending) return;
  emit submitted(text);
}

// --- Attachments ---------------------------------------------------------------------------

void Composer::chooseFiles() {
  const QStringList paths = QFileDialog::getOpenFileNames(this, qtTrId("macos.composer.attach_files"));
  addAttachments(paths);
}

void Composer::addAttachments(const QStringList& paths) {
  for (const QString& path : paths) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (QFileInfo(absolute).isFile() && !m_attachments.contains(absolute)) m_attachments << absolute;
  }
  syncAttachments();
}

void Composer::clearAttachments() {
  m_attachments.clear();
  removeImageCopies();
  syncAttachments();
}

// Images that came as data (dropped or pasted, not as files) were written to temporary
// files; they go once they are no longer attached.
void Composer::removeImageCopies() {
  for (const QString& path : std::as_const(m_imageCopies)) QFile::remove(path);
  m_imageCopies.clear();
}

Composer::~Composer() { removeImageCopies(); }

void Composer::syncAttachments() {
  QStringList names;
  for (const QString& path : m_attachments) {
    //: An image attached from the clipboard or dropped as data, which has no name of its own.
    names << (m_imageCopies.contains(path) ? qtTrId("macos.composer.pasted_image") : QFileInfo(path).fileName());
  }
  //: The files that go with the next message, e.g. "Attached: notes.md, shot.png".
  m_attachmentList->setText(names.isEmpty() ? QString() : qtTrId("macos.composer.attached_files").arg(names.join(QStringLiteral(", "))));
  m_attachmentList->setToolTip(m_attachments.join('\n'));
  m_attachmentList->setVisible(!names.isEmpty());
  m_clearAttachments->setVisible(!names.isEmpty());
}

bool Composer::carriesFiles(const QMimeData& data) {
  const QList<QUrl> urls = data.urls();
  return data.hasImage() || std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

bool Composer::takeDrop(const QMimeData& data) {
  QStringList paths;
  for (const QUrl& url : data.urls()) {
    if (url.isLocalFile()) paths << url.toLocalFile();
  }
  if (paths.isEmpty() && data.hasImage()) {
    const QImage image = qvariant_cast<QImage>(data.imageData());
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/vesket-image-XXXXXX.png"));
    file.setAutoRemove(false);
    if (!image.isNull() && file.open() && image.save(&file, "PNG")) {
      paths << file.fileName();
      m_imageCopies << file.fileName();
    }
  }
  if (paths.isEmpty()) return false;
  addAttachments(paths);
  return true;
}

void Composer::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls() || event->mimeData()->hasImage()) event->acceptProposedAction();
}

void Composer::dropEvent(QDropEvent* event) {
  if (takeDrop(*event->mimeData())) event->acceptProposedAction();
}

void Composer::recall(int step) {
  if (m_history.empty()) return;
  if (m_historyIndex == -1) {
    if (step > 0) return;
    m_draft = m_editor->toPlainText();
    m_historyIndex = static_cast<int>(m_history.size());
  }
  const int next = m_historyIndex + step;
  if (next < 0) return;
  if (next >= static_cast<int>(m_history.size())) {
    m_historyIndex = -1;
    m_editor->setPlainText(m_draft);
  } else {
    m_historyIndex = next;
    m_editor->setPlainText(m_history[static_cast<std::size_t>(next)]);
  }
  m_editor->moveCursor(QTextCursor::End);
}

bool Composer::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_editor->viewport() && (event->type() == QEvent::DragEnter || event->type() == QEvent::Drop)) {
    auto* drop = static_cast<QDropEvent*>(event);
    const QMimeData* data = drop->mimeData();
    if (carriesFiles(*data)) {
      if (event->type() == QEvent::Drop) takeDrop(*data);
      drop->acceptProposedAction();
      return true;
    }
  }
  if (watched == m_editor && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    // A pasted image or copied files are attached, as if dropped; text pastes as text.
    if (key->matches(QKeySequence::Paste)) {
      const QMimeData* clipboard = QGuiApplication::clipboard()->mimeData();
      if (clipboard && carriesFiles(*clipboard) && takeDrop(*clipboard)) return true;
    }
    const bool plain = !(key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && plain) {
      submit();
      return true;
    }
    const QTextCursor cursor = m_editor->textCursor();
    if (key->key() == Qt::Key_Up && plain && cursor.blockNumber() == 0) {
      recall(-1);
      return true;
    }
    if (key->key() == Qt::Key_Down && plain && m_historyIndex != -1 &&
        cursor.blockNumber() == m_editor->document()->blockCount() - 1) {
      recall(+1);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace vesket::ui
