#include "ui/settings_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "maintenance/crash_reporting_settings.h"
#include "shell/localisation.h"
#include "shell/settings_key.h"
#include "shell/vesket_identity.h"
#include "shell/settings_store.h"
#include "terminal/live_terminal_view.h"

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

SettingsDialog::SettingsDialog(shell::SettingsStore& settings, QWidget* parent, std::optional<AccountServices> account)
    : QDialog(parent), m_settings(settings) {
  using namespace shell::SettingsKeys;
  setWindowTitle(qtTrId("macos.settings_view.settings"));
  setMinimumSize(520, 320);
  resize(560, 680);
  // The sections scroll when the window is shorter than their wrapped help texts, rather than
  // squeezing the texts over each other; Close stays in reach below them.
  auto* outer = new QVBoxLayout(this);
  auto* scroll = new QScrollArea(this);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll->viewport()->setAutoFillBackground(false);
  auto* content = new QWidget(scroll);
  auto* layout = new QVBoxLayout(content);
  layout->setContentsMargins(0, 0, 0, 0);
  if (account) {
    m_account = new AccountSection(*account, this);
    layout->addWidget(m_account);
    layout->addSpacing(14);
  }

  addDisplaySection(layout);

  layout->addWidget(new QLabel(QStringLiteral("<b>%1</b>").arg(qtTrId("macos.settings_view.terminal_history_limit").toHtmlEscaped()), this));
  auto* picker = new QHBoxLayout;
  picker->setSpacing(0);
  m_historyLimit = new QButtonGroup(this);
  const int current = m_settings.get(terminalHistoryLimit);
  int index = 0;
  for (int limit : kHistoryLimits) {
    auto* button = new QPushButton(limit == 0 ? qtTrId("macos.settings_view.all") : QString::number(limit), this);
    button->setCheckable(true);
    button->setChecked(limit == current);
    m_historyLimit->addButton(button, index++);
    picker->addWidget(button);
  }
  picker->addStretch(1);
  layout->addLayout(picker);
  layout->addWidget(helpLabel(qtTrId("macos.settings_view.caps_how_much_scrollback_loads"), this));
  connect(m_historyLimit, &QButtonGroup::idClicked, this, [this](int id) {
    m_settings.set(shell::SettingsKeys::terminalHistoryLimit, kHistoryLimits[id]);
  });

  layout->addSpacing(10);
  m_deHardWrap = new QCheckBox(qtTrId("macos.settings_view.reflow_claude_output_in_scrollback_experimental"), this);
  m_deHardWrap->setChecked(m_settings.get(desktopHistoryDeHardWrapEnabled));
  layout->addWidget(m_deHardWrap);
  layout->addWidget(helpLabel(qtTrId("macos.settings_view.rejoins_lines_that_claude_code_hard_wrapped"), this));
  connect(m_deHardWrap, &QCheckBox::toggled, this, [this](bool on) {
    m_settings.set(shell::SettingsKeys::desktopHistoryDeHardWrapEnabled, on);
  });

  addLanguageSection(layout);
  addDiagnosticsSection(layout);

  layout->addStretch(1);
  scroll->setWidget(content);
  // As wide as the widest control, with room for the scroll bar.
  scroll->setMinimumWidth(content->minimumSizeHint().width() + scroll->verticalScrollBar()->sizeHint().width());
  outer->addWidget(scroll, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  buttons->button(QDialogButtonBox::Close)->setText(qtTrId("macos.settings_view.close"));
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  outer->addWidget(buttons);
}

// --- Pane display ------------------------------------------------------------------------

void SettingsDialog::addDisplaySection(QVBoxLayout* layout) {
  layout->addWidget(new QLabel(QStringLiteral("<b>%1</b>").arg(qtTrId("macos.settings_view.pane_display").toHtmlEscaped()), this));
  m_autoFit = new QCheckBox(qtTrId("macos.settings_view.auto_fit"), this);
  m_autoFit->setObjectName("autoFitBox");
  m_autoFit->setChecked(m_settings.get(shell::SettingsKeys::macAutoFitEnabled));
  layout->addWidget(m_autoFit);
  layout->addWidget(helpLabel(qtTrId("macos.settings_view.auto_fit_help"), this));
  connect(m_autoFit, &QCheckBox::toggled, this, [this](bool on) { m_settings.set(shell::SettingsKeys::macAutoFitEnabled, on); });

  layout->addSpacing(6);
  m_displayMode = new QButtonGroup(this);
  const bool takeover = m_settings.get(terminal::LiveTerminalView::kDisplayModeKey) == QLatin1String("takeover");
  const char* choices[] = {"macos.settings_view.display_mirror", "macos.settings_view.display_takeover"};
  for (int i = 0; i < 2; ++i) {
    auto* button = new QRadioButton(qtTrId(choices[i]), this);
    button->setChecked((i == 1) == takeover);
    m_displayMode->addButton(button, i);
    layout->addWidget(button);
  }
  layout->addWidget(helpLabel(qtTrId("macos.settings_view.display_mode_help"), this));
  connect(m_displayMode, &QButtonGroup::idClicked, this, [this](int id) {
    const auto& key = terminal::LiveTerminalView::kDisplayModeKey;
    m_settings.setValue(QString::fromLatin1(key.name.data(), static_cast<qsizetype>(key.name.size())),
                        id == 1 ? QStringLiteral("takeover") : QStringLiteral("mirror"));
  });
  layout->addSpacing(10);
}

// --- Language ----------------------------------------------------------------------------

void SettingsDialog::addLanguageSection(QVBoxLayout* layout) {
  layout->addSpacing(10);
  layout->addWidget(new QLabel(QStringLiteral("<b>%1</b>").arg(qtTrId("macos.settings_view.language").toHtmlEscaped()), this));
  m_language = new QComboBox(this);
  m_language->setObjectName("languagePicker");
  const QString current = m_settings.get(shell::Localisation::appLanguage);
  for (const auto& [value, name] : kLanguages) {
    m_language->addItem(name ? QString::fromUtf8(name) : qtTrId("macos.settings_view.language_system"),
                        QString::fromLatin1(value));
    if (current == QLatin1String(value)) m_language->setCurrentIndex(m_language->count() - 1);
  }
  layout->addWidget(m_language, 0, Qt::AlignLeft);
  layout->addWidget(helpLabel(qtTrId("macos.settings_view.language_takes_effect"), this));
  connect(m_language, &QComboBox::currentIndexChanged, this, [this](int index) {
    m_settings.setValue(QString::fromLatin1(shell::Localisation::appLanguage.name.data(),
                                            static_cast<qsizetype>(shell::Localisation::appLanguage.name.size())),
                        m_language->itemData(index).toString());
  });
}

// --- Diagnostics -------------------------------------------------------------------------

void SettingsDialog::addDiagnosticsSection(QVBoxLayout* layout) {
  layout->addSpacing(10);
  layout->addWidget(new QLabel(QStringLiteral("<b>%1</b>").arg(qtTrId("macos.settings_view.diagnostics").toHtmlEscaped()), this));
  auto* diagnostics = new maintenance::CrashReportingSettings(shell::VesketIdentity::resolveHome(), this);
  m_crashReports = new QCheckBox(qtTrId("macos.settings_view.share_crash_reports"), this);
  m_crashReports->setObjectName("crashReportsBox");
  m_crashReports->setChecked(diagnostics->isEnabled());
  layout->addWidget(m_crashReports);
  layout->addWidget(helpLabel(qtTrId("macos.settings_view.share_crash_reports_help").arg(diagnostics->spoolDirectory()), this));
  connect(m_crashReports, &QCheckBox::toggled, diagnostics, &maintenance::CrashReportingSettings::setEnabled);
}

}  // namespace vesket::ui
