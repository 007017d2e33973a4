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
      return {qtTrId("macos.viewer_state_view.connecting_to_the_vesket_daemon"),
              qtTrId("macos.viewer_state_view.looking_for_your_tmux_panes"), ""};
    case Kind::reconnecting:
      return {qtTrId("macos.viewer_state_view.reconnecting_to_the_daemon_attempt").arg(state.attempt),
              qtTrId("macos.viewer_state_view.the_connection_to_the_daemon_dropped"), ""};
    case Kind::daemonNotRunning:
      return {qtTrId("macos.viewer_state_view.the_vesket_daemon_is_not_running"),
              qtTrId("macos.viewer_state_view.vesket_talks_to_tmux_through_its_daemon"),
              qtTrId("macos.viewer_state_view.try_again")};
    case Kind::noPanes:
      return {qtTrId("macos.viewer_state_view.no_tmux_panes_yet"),
              qtTrId("macos.viewer_state_view.start_an_agent_or_a_shell_in_tmux"), ""};
    case Kind::paneEnded:
      return {qtTrId("macos.viewer_state_view.this_pane_has_ended"),
              qtTrId("macos.viewer_state_view.its_process_exited_or_the_pane_was_closed"), ""};
    case Kind::signedOut:
      return {qtTrId("macos.viewer_state_view.signed_out"),
              qtTrId("macos.viewer_state_view.sign_in_again_to_see_this_machine_s_panes"), ""};
    case Kind::localAccountMismatch:
      return {qtTrId("macos.viewer_state_view.the_daemon_belongs_to_another_account"),
              qtTrId("macos.viewer_state_view.the_daemon_on_this_machine_is_signed_in"), ""};
    case Kind::localAccountUnreachable:
      return {qtTrId("macos.viewer_state_view.checking_the_daemon_s_account_attempt").arg(state.attempt),
              qtTrId("macos.viewer_state_view.the_daemon_could_not_confirm_its_account_yet"), ""};
    case Kind::streamingRunning:
    case Kind::streamingIdle:
      return {qtTrId("macos.viewer_state_view.select_a_pane"),
              qtTrId("macos.viewer_state_view.choose_a_pane_in_the_sidebar"), ""};
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
