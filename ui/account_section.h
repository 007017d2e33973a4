#pragma once

// The Account section of the settings: sign in with an e-mail or username and a password,
// create an account, see who is signed in and sign out, and choose the relay (automatic,
// or a custom URL) with its measured latency. Failures show the account store's sentence
// and, where one helps, an action button; never a bare status code.

#include <QWidget>

#include <optional>

#include "relay/core/relay_error_explainer.h"

class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;

namespace vesket::relay {
class AccountSession;
class RelayAccountStore;
class RelaySettings;
}  // namespace vesket::relay

namespace vesket::ui {

// The long-lived account objects the window hands to its views.
struct AccountServices {
  relay::RelayAccountStore* store = nullptr;
  relay::AccountSession* session = nullptr;
  relay::RelaySettings* settings = nullptr;
};

class AccountSection : public QWidget {
  Q_OBJECT

 public:
  AccountSection(AccountServices services, QWidget* parent = nullptr);

  enum class Mode { signIn, createAccount };
  void setMode(Mode mode);
  Mode mode() const { return m_mode; }

  QLineEdit* identifierField() const { return m_identifier; }
  QLineEdit* passwordField() const { return m_password; }
  QLineEdit* confirmField() const { return m_confirm; }
  QPushButton* submitButton() const { return m_submit; }
  QPushButton* signOutButton() const { return m_signOut; }
  QPushButton* actionButton() const { return m_actionButton; }
  QLabel* errorLabel() const { return m_error; }
  QLabel* signedInLabel() const { return m_signedInAs; }
  QComboBox* endpointChoice() const { return m_endpointChoice; }
  QLineEdit* customURLField() const { return m_customURL; }
  QPushButton* applyEndpointButton() const { return m_applyEndpoint; }
  QLabel* endpointLabel() const { return m_endpointLabel; }
  QLabel* latencyLabel() const { return m_latency; }

 signals:
  // An action that belongs to another screen (setup, devices).
  void actionRequested(relay::RelayErrorAction action);

 private:
  QWidget* buildForm();
  QWidget* buildEndpoint();
  void submit();
  void runAction();
  void showPage(QWidget* page);
  void renderAuth();
  void renderEndpoint();
  void applyEndpointChoice();

  AccountServices m_services;
  Mode m_mode = Mode::signIn;
  QStackedWidget* m_pages = nullptr;
  QWidget* m_formPage = nullptr;
  QWidget* m_busyPage = nullptr;
  QWidget* m_signedInPage = nullptr;
  QPushButton* m_signInTab = nullptr;
  QPushButton* m_createTab = nullptr;
  QFormLayout* m_form = nullptr;
  QLineEdit* m_identifier = nullptr;
  QLineEdit* m_password = nullptr;
  QLineEdit* m_confirm = nullptr;
  QPushButton* m_submit = nullptr;
  QLabel* m_error = nullptr;
  QPushButton* m_actionButton = nullptr;
  std::optional<relay::RelayErrorAction> m_action;
  QLabel* m_busy = nullptr;
  QLabel* m_signedInAs = nullptr;
  QPushButton* m_signOut = nullptr;
  QComboBox* m_endpointChoice = nullptr;
  QLineEdit* m_customURL = nullptr;
  QPushButton* m_applyEndpoint = nullptr;
  QPushButton* m_measure = nullptr;
  QLabel* m_endpointLabel = nullptr;
  QLabel* m_latency = nullptr;
};

}  // namespace vesket::ui
