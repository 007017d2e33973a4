#pragma once

// The settings of the live terminal's history: how much scroll-back an attach loads, and
// the two experimental reflows. Changes are stored at once.

#include <QDialog>

#include <optional>

#include "ui/account_section.h"

class QButtonGroup;
class QCheckBox;

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
  QCheckBox* rewrapBox() const { return m_rewrap; }

 private:
  shell::SettingsStore& m_settings;
  QButtonGroup* m_historyLimit = nullptr;
  QCheckBox* m_deHardWrap = nullptr;
  QCheckBox* m_rewrap = nullptr;
  AccountSection* m_account = nullptr;
};

}  // namespace vesket::ui
