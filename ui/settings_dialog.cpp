#include "ui/settings_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/settings_key.h"
#include "shell/settings_store.h"

namespace vesket::ui {

namespace {

QLabel* helpLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setWordWrap(true);
  label->setObjectName("settingsHelp");
  label->setStyleSheet("color: palette(placeholder-text); font-size: 11px;");
  return label;
}

}  // namespace

SettingsDialog::SettingsDialog(shell::SettingsStore& settings, QWidget* parent) : QDialog(parent), m_settings(settings) {
  using namespace shell::SettingsKeys;
  setWindowTitle("Settings");
  setMinimumWidth(520);
  auto* layout = new QVBoxLayout(this);

  layout->addWidget(new QLabel("<b>Terminal history limit</b>", this));
  auto* picker = new QHBoxLayout;
  picker->setSpacing(0);
  m_historyLimit = new QButtonGroup(this);
  const int current = m_settings.get(terminalHistoryLimit);
  int index = 0;
  for (int limit : kHistoryLimits) {
    auto* button = new QPushButton(limit == 0 ? QStringLiteral("All") : QString::number(limit), this);
    button->setCheckable(true);
    button->setChecked(limit == current);
    m_historyLimit->addButton(button, index++);
    picker->addWidget(button);
  }
  picker->addStretch(1);
  layout->addLayout(picker);
  layout->addWidget(helpLabel("Caps how much scrollback loads when you scroll up in a terminal. Lower is faster for "
                              "panes with a lot of history.",
                              this));
  connect(m_historyLimit, &QButtonGroup::idClicked, this, [this](int id) {
    m_settings.set(shell::SettingsKeys::terminalHistoryLimit, kHistoryLimits[id]);
  });

  layout->addSpacing(10);
  m_deHardWrap = new QCheckBox("Reflow Claude output in scrollback (experimental)", this);
  m_deHardWrap->setChecked(m_settings.get(desktopHistoryDeHardWrapEnabled));
  layout->addWidget(m_deHardWrap);
  layout->addWidget(helpLabel(
      "Rejoins lines that Claude Code hard-wrapped at an earlier window width, inside its own output blocks only, so "
      "scrollback reflows at the current width and again on every resize. Your typed commands, shell output and other "
      "agents' output are never touched. Applies to newly loaded history.",
      this));
  connect(m_deHardWrap, &QCheckBox::toggled, this, [this](bool on) {
    m_settings.set(shell::SettingsKeys::desktopHistoryDeHardWrapEnabled, on);
  });

  layout->addSpacing(10);
  m_rewrap = new QCheckBox("Re-wrap scrollback on scroll-up (experimental)", this);
  m_rewrap->setChecked(m_settings.get(desktopHistoryRewrapEnabled));
  layout->addWidget(m_rewrap);
  layout->addWidget(helpLabel(
      "When scrolling up hits the top of what's on screen, replace older history with a version re-wrapped at the "
      "terminal's CURRENT width, instead of tmux's original (possibly narrower) scrollback. Only ever replaces history "
      "ABOVE what's already visible, once per attach — never touches typed commands or non-Claude output that isn't in "
      "the Claude transcript.",
      this));
  connect(m_rewrap, &QCheckBox::toggled, this, [this](bool on) {
    m_settings.set(shell::SettingsKeys::desktopHistoryRewrapEnabled, on);
  });

  layout->addStretch(1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

}  // namespace vesket::ui
