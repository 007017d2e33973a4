#include "ui/viewer_state_view.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/theme.h"

namespace vesket::ui {

using Kind = viewer::ViewerState::Kind;

ViewerStateView::Texts ViewerStateView::textsFor(const viewer::ViewerState& state) {
  switch (state.kind) {
    case Kind::connecting:
      return {"Connecting to the Vesket daemon\u2026", "Looking for your tmux panes.", ""};
    case Kind::reconnecting:
      return {QString("Reconnecting to the daemon (attempt %1)\u2026").arg(state.attempt),
              "The connection to the daemon dropped. Your agents keep running in tmux.", ""};
    case Kind::daemonNotRunning:
      return {"The Vesket daemon is not running",
              "Vesket talks to tmux through its daemon. Start it with \u201cvesket daemon start\u201d (scripts/run "
              "starts it for you); this window connects as soon as it is up.",
              "Try again"};
    case Kind::noPanes:
      return {"No tmux panes yet",
              "Start an agent or a shell in tmux and it appears in the sidebar within a second.", ""};
    case Kind::paneEnded:
      return {"This pane has ended", "Its process exited or the pane was closed. Pick another pane in the sidebar.",
              ""};
    case Kind::signedOut:
      return {"Signed out", "Sign in again to see this machine's panes.", ""};
    case Kind::localAccountMismatch:
      return {"The daemon belongs to another account",
              "The daemon on this machine is signed in with a different account than this app.", ""};
    case Kind::localAccountUnreachable:
      return {QString("Checking the daemon's account (attempt %1)\u2026").arg(state.attempt),
              "The daemon could not confirm its account yet.", ""};
    case Kind::streamingRunning:
    case Kind::streamingIdle:
      return {"Select a pane", "Choose a pane in the sidebar to follow it here.", ""};
  }
  return {};
}

ViewerStateView::ViewerStateView(QWidget* parent) : QWidget(parent) {
  setObjectName("viewerStateView");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(60, 40, 60, 40);
  layout->addStretch(3);
  m_glyph = new QLabel(this);
  m_glyph->setObjectName("stateGlyph");
  m_glyph->setAlignment(Qt::AlignCenter);
  layout->addWidget(m_glyph);
  m_title = new QLabel(this);
  m_title->setObjectName("stateTitle");
  m_title->setAlignment(Qt::AlignCenter);
  m_title->setWordWrap(true);
  layout->addWidget(m_title);
  m_detail = new QLabel(this);
  m_detail->setObjectName("stateDetail");
  m_detail->setAlignment(Qt::AlignCenter);
  m_detail->setWordWrap(true);
  m_detail->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::MinimumExpanding);
  layout->addWidget(m_detail);
  m_action = new QPushButton(this);
  m_action->setObjectName("stateAction");
  m_action->setCursor(Qt::PointingHandCursor);
  connect(m_action, &QPushButton::clicked, this, [this] { emit actionRequested(m_state.kind); });
  layout->addSpacing(8);
  layout->addWidget(m_action, 0, Qt::AlignHCenter);
  layout->addStretch(4);
  applyStyle();
  connect(&Theme::current(), &Theme::schemeChanged, this, &ViewerStateView::applyStyle);
  setState(viewer::ViewerState::of(Kind::connecting));
}

void ViewerStateView::applyStyle() {
  const auto& c = Theme::current().colors();
  setStyleSheet(QString(R"(
    QLabel#stateGlyph { color: %1; font-size: 30px; }
    QLabel#stateTitle { color: %2; font-size: 17px; font-weight: 600; }
    QLabel#stateDetail { color: %3; font-size: 13px; }
    QPushButton#stateAction { background: %4; color: %5; border: none; border-radius: 7px; padding: 7px 18px; font-weight: 600; }
  )")
                    .arg(c.faintText.name(), c.text.name(), c.secondaryText.name(), c.accent.name(),
                         c.accentText.name()));
}

void ViewerStateView::setState(const viewer::ViewerState& state) {
  m_state = state;
  const Texts texts = textsFor(state);
  const char* glyph = "\u25cc";
  switch (state.kind) {
    case Kind::daemonNotRunning: glyph = "\u26a0"; break;
    case Kind::noPanes: glyph = "\u25a1"; break;
    case Kind::paneEnded: glyph = "\u25a0"; break;
    case Kind::signedOut:
    case Kind::localAccountMismatch: glyph = "\u26bf"; break;
    default: break;
  }
  m_glyph->setText(QString::fromUtf8(glyph));
  m_title->setText(texts.title);
  m_detail->setText(texts.detail);
  m_action->setText(texts.action);
  m_action->setVisible(!texts.action.isEmpty());
}

}  // namespace vesket::ui
