#pragma once

// The pairing window: the checklist (pair, permissions, the background service, the link),
// the QR code a phone scans with its countdown and short code, a new code once it expired,
// pairing with the signed-in account directly, replacing an older machine of the account
// when the relay asks for it, and pairing with a code made on another machine.

#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QVBoxLayout;

namespace vesket::relay {
class PairQRFlow;
class RelayClient;
}  // namespace vesket::relay

namespace vesket::ui {

class PairingWindow : public QWidget {
  Q_OBJECT

 public:
  // `accountClient` gives a client of the signed-in account, or nothing when signed out.
  PairingWindow(relay::PairQRFlow& flow, std::function<std::optional<relay::RelayClient>()> accountClient,
                QWidget* parent = nullptr);

  QLabel* qrImage() const { return m_qr; }
  QLabel* countdownLabel() const { return m_countdown; }
  QLabel* shortCodeLabel() const { return m_shortCode; }
  QLabel* statusLabel() const { return m_status; }
  QWidget* replacementPanel() const { return m_replacement; }
  QListWidget* candidateList() const { return m_candidates; }
  QLabel* stepDetail(int index) const { return m_stepDetails[index]; }

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void render();
  void renderCountdown();
  void renderChecklist();

  relay::PairQRFlow& m_flow;
  std::function<std::optional<relay::RelayClient>()> m_accountClient;
  QLabel* m_qr = nullptr;
  QLabel* m_countdown = nullptr;
  QLabel* m_shortCode = nullptr;
  QLabel* m_status = nullptr;
  QPushButton* m_newCode = nullptr;
  QPushButton* m_withAccount = nullptr;
  QLineEdit* m_codeField = nullptr;
  QPushButton* m_useCode = nullptr;
  QWidget* m_replacement = nullptr;
  QListWidget* m_candidates = nullptr;
  QLineEdit* m_password = nullptr;
  QPushButton* m_replace = nullptr;
  QLabel* m_stepIcons[4] = {};
  QLabel* m_stepTitles[4] = {};
  QLabel* m_stepDetails[4] = {};
};

}  // namespace vesket::ui
