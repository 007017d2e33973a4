#pragma once

// The settings of the pane's display (auto-fit in the text view, the live terminal's mirror
// or takeover), of the live terminal's history (how much scroll-back an attach loads, and
// the experimental reflow of Claude Code's hard-wrapped lines) and the application's
// language. Each is read where it acts; changes are stored at once.

#include <QDialog>

#include <optional>
#include <utility>

#include "ui/account_section.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QVBoxLayout;

namespace vesket::shell {
class SettingsStore;
}

namespace vesket::ui {

class SettingsDialog : public QDialog {
  Q_OBJECT

 public:
  // With account services the dialog opens with the Account section.
  explicit SettingsDialog(shell::SettingsStore& settings, QWidget* parent = nullptr,
                          std::optional<AccountServices> account = std::nullopt);

  AccountSection* accountSection() const { return m_account; }

  // The history limit choices, in order, with the value each stores (0: no cap).
  static constexpr int kHistoryLimits[] = {200, 500, 1000, 0};

  QButtonGroup* historyLimitGroup() const { return m_historyLimit; }
  QCheckBox* deHardWrapBox() const { return m_deHardWrap; }
  QComboBox* languagePicker() const { return m_language; }
  QCheckBox* autoFitBox() const { return m_autoFit; }
  QButtonGroup* displayModeGroup() const { return m_displayMode; }  // 0: mirror, 1: takeover
  // Collecting crash and hang reports (<home>/diagnostics.json).
  QCheckBox* crashReportsBox() const { return m_crashReports; }

  // The language choices, in order: the value stored under "durnvale.appLanguage" (empty:
  // the system's) and the language's own name.
  static constexpr std::pair<const char*, const char*> kLanguages[] = {
      {"", nullptr}, {"en", "English"}, {"de", "Deutsch"}, {"ko", "\xED\x95\x9C\xEA\xB5\xAD\xEC\x96\xB4"},
      {"zh_CN", "\xE7\xAE\x80\xE4\xBD\x93\xE4\xB8\xAD\xE6\x96\x87"}};

 private:
  void addLanguageSection(QVBoxLayout* layout);
  void addDiagnosticsSection(QVBoxLayout* layout);
  void addDisplaySection(QVBoxLayout* layout);

  shell::SettingsStore& m_settings;
  QButtonGroup* m_historyLimit = nullptr;
  QCheckBox* m_deHardWrap = nullptr;
  AccountSection* m_account = nullptr;
  QComboBox* m_language = nullptr;
  QCheckBox* m_autoFit = nullptr;
  QCheckBox* m_crashReports = nullptr;
  QButtonGroup* m_displayMode = nullptr;
};

}  // namespace vesket::ui
