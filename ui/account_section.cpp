#include "ui/account_section.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "relay/account_session.h"
#include "relay/relay_account_store.h"
#include "relay/relay_error_presentation.h"
#include "relay/relay_settings.h"
#include "ui/window_requests.h"

namespace vesket::ui {
namespace {

using relay::AuthState;

QString t(const char* key, const char* english) { return relay::localizedText(key, QString::fromUtf8(english)); }

QLabel* secondaryLabel(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setWordWrap(true);
  label->setStyleSheet("color: palette(placeholder-text); font-size: 11px;");
  return label;
}

}  // namespace

AccountSection::AccountSection(AccountServices services, QWidget* parent) : QWidget(parent), m_services(services) {
  setObjectName("accountSection");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new QLabel("<b>" + t("macos.account_section.title", "Account") + "</b>", this));

  m_pages = new QStackedWidget(this);
  m_formPage = buildForm();
  m_pages->addWidget(m_formPage);

  m_busyPage = new QWidget(this);
  auto* busyLayout = new QVBoxLayout(m_busyPage);
  busyLayout->setContentsMargins(0, 0, 0, 0);
  m_busy = new QLabel(m_busyPage);
  busyLayout->addWidget(m_busy);
  busyLayout->addStretch(1);
  m_pages->addWidget(m_busyPage);

  m_signedInPage = new QWidget(this);
  auto* signedInLayout = new QHBoxLayout(m_signedInPage);
  signedInLayout->setContentsMargins(0, 0, 0, 0);
  m_signedInAs = new QLabel(m_signedInPage);
  m_signedInAs->setObjectName("signedInAs");
  m_signedInAs->setWordWrap(true);
  m_signOut = new QPushButton(t("macos.account_section.sign_out", "Sign Out"), m_signedInPage);
  m_signOut->setObjectName("signOut");
  auto* devices = new QPushButton(t("macos.desktop_shell.devices", "Devices…"), m_signedInPage);
  devices->setObjectName("openDevices");
  connect(devices, &QPushButton::clicked, &WindowRequests::shared(), &WindowRequests::devicesRequested);
  signedInLayout->addWidget(m_signedInAs, 1);
  signedInLayout->addWidget(devices, 0, Qt::AlignTop);
  signedInLayout->addWidget(m_signOut, 0, Qt::AlignTop);
  m_pages->addWidget(m_signedInPage);
  layout->addWidget(m_pages);

  layout->addSpacing(8);
  layout->addWidget(buildEndpoint());
  layout->addStretch(1);

  connect(m_signOut, &QPushButton::clicked, this, [this] { m_services.store->logout(); });
  connect(m_services.store, &relay::RelayAccountStore::authChanged, this, &AccountSection::renderAuth);
  connect(m_services.settings, &relay::RelaySettings::endpointChanged, this, &AccountSection::renderEndpoint);
  connect(m_services.settings, &relay::RelaySettings::probesChanged, this, &AccountSection::renderEndpoint);
  setMode(Mode::signIn);
  renderAuth();
  renderEndpoint();
}

QWidget* AccountSection::buildForm() {
  auto* page = new QWidget(this);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);

  auto* tabs = new QHBoxLayout;
  tabs->setSpacing(0);
  m_signInTab = new QPushButton(t("macos.account_section.sign_in_tab", "Sign In"), page);
  m_createTab = new QPushButton(t("macos.account_section.create_account_tab", "Create Account"), page);
  auto* group = new QButtonGroup(page);
  for (QPushButton* tab : {m_signInTab, m_createTab}) {
    tab->setCheckable(true);
    group->addButton(tab);
    tabs->addWidget(tab);
  }
  tabs->addStretch(1);
  layout->addLayout(tabs);
  connect(m_signInTab, &QPushButton::clicked, this, [this] {
    setMode(Mode::signIn);
    m_services.store->clearFailure();
  });
  connect(m_createTab, &QPushButton::clicked, this, [this] {
    setMode(Mode::createAccount);
    m_services.store->clearFailure();
  });

  auto* form = m_form = new QFormLayout;
  m_identifier = new QLineEdit(page);
  m_identifier->setObjectName("accountIdentifier");
  m_password = new QLineEdit(page);
  m_password->setObjectName("accountPassword");
  m_password->setEchoMode(QLineEdit::Password);
  m_confirm = new QLineEdit(page);
  m_confirm->setObjectName("accountConfirm");
  m_confirm->setEchoMode(QLineEdit::Password);
  m_confirm->setPlaceholderText(t("macos.account_section.confirm_placeholder", "Repeat the password"));
  form->addRow(t("macos.account_section.identifier_label", "E-mail or username"), m_identifier);
  form->addRow(t("macos.account_section.password_label", "Password"), m_password);
  form->addRow(t("macos.account_section.confirm_label", "Confirm"), m_confirm);
  layout->addLayout(form);

  auto* buttons = new QHBoxLayout;
  m_submit = new QPushButton(page);
  m_submit->setObjectName("accountSubmit");
  m_submit->setDefault(true);
  auto* google = new QPushButton(t("macos.account_section.google", "Sign in with Google"), page);
  auto* apple = new QPushButton(t("macos.account_section.apple", "Sign in with Apple"), page);
  buttons->addWidget(m_submit);
  buttons->addStretch(1);
  buttons->addWidget(google);
  buttons->addWidget(apple);
  layout->addLayout(buttons);

  // The failure's sentence, then the action that helps, left-aligned under it.
  m_error = new QLabel(page);
  m_error->setObjectName("accountError");
  m_error->setWordWrap(true);
  m_error->setStyleSheet("color: #d9534f;");
  layout->addWidget(m_error);
  m_actionButton = new QPushButton(page);
  m_actionButton->setObjectName("accountErrorAction");
  layout->addWidget(m_actionButton, 0, Qt::AlignLeft);
  layout->addStretch(1);

  connect(m_submit, &QPushButton::clicked, this, &AccountSection::submit);
  connect(m_identifier, &QLineEdit::returnPressed, this, &AccountSection::submit);
  connect(m_password, &QLineEdit::returnPressed, this, &AccountSection::submit);
  connect(m_confirm, &QLineEdit::returnPressed, this, &AccountSection::submit);
  connect(m_actionButton, &QPushButton::clicked, this, &AccountSection::runAction);
  // No provider flow runs on this machine: the store asks the relay, and a relay without
  // the provider says so.
  connect(google, &QPushButton::clicked, this, [this] { m_services.store->signInWithGoogle(std::nullopt); });
  connect(apple, &QPushButton::clicked, this, [this] { m_services.store->signInWithApple(std::nullopt); });
  return page;
}

QWidget* AccountSection::buildEndpoint() {
  auto* box = new QWidget(this);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new QLabel("<b>" + t("macos.account_section.relay_title", "Relay") + "</b>", box));
  auto* row = new QHBoxLayout;
  m_endpointChoice = new QComboBox(box);
  m_endpointChoice->setObjectName("relayEndpointChoice");
  m_endpointChoice->addItem(t("macos.account_section.relay_automatic", "Automatic (fastest relay)"));
  m_endpointChoice->addItem(t("macos.account_section.relay_custom", "Custom URL"));
  m_customURL = new QLineEdit(box);
  m_customURL->setObjectName("relayCustomURL");
  m_customURL->setPlaceholderText("https://relay.example.org");
  m_applyEndpoint = new QPushButton(t("macos.account_section.relay_apply", "Use"), box);
  m_measure = new QPushButton(t("macos.account_section.relay_measure", "Measure"), box);
  row->addWidget(m_endpointChoice);
  row->addWidget(m_customURL, 1);
  row->addWidget(m_applyEndpoint);
  row->addWidget(m_measure);
  layout->addLayout(row);
  m_endpointLabel = secondaryLabel(box);
  m_endpointLabel->setObjectName("relayEndpoint");
  m_latency = secondaryLabel(box);
  m_latency->setObjectName("relayLatency");
  layout->addWidget(m_endpointLabel);
  layout->addWidget(m_latency);

  connect(m_endpointChoice, &QComboBox::currentIndexChanged, this, [this](int index) {
    m_customURL->setEnabled(index == 1);
    if (index == 0 && m_services.settings->endpoint().isCustom()) applyEndpointChoice();
  });
  connect(m_applyEndpoint, &QPushButton::clicked, this, &AccountSection::applyEndpointChoice);
  connect(m_customURL, &QLineEdit::returnPressed, this, &AccountSection::applyEndpointChoice);
  connect(m_measure, &QPushButton::clicked, this, [this] { m_services.settings->measure(); });
  return box;
}

void AccountSection::setMode(Mode mode) {
  m_mode = mode;
  const bool create = mode == Mode::createAccount;
  m_signInTab->setChecked(!create);
  m_createTab->setChecked(create);
  m_confirm->setVisible(create);
  m_form->setRowVisible(m_confirm, create);
  m_identifier->setPlaceholderText(create ? t("macos.account_section.email_placeholder", "you@example.org")
                                          : t("macos.account_section.identifier_placeholder",
                                              "E-mail address or username"));
  m_submit->setText(create ? t("macos.account_section.create_account", "Create Account")
                           : t("macos.account_section.sign_in", "Sign In"));
}

void AccountSection::submit() {
  if (m_mode == Mode::createAccount) {
    m_services.store->registerAccount(m_identifier->text(), m_password->text(), m_confirm->text());
  } else {
    m_services.store->login(m_identifier->text(), m_password->text());
  }
}

void AccountSection::runAction() {
  if (!m_action) return;
  switch (*m_action) {
    case relay::RelayErrorAction::signIn:
      m_services.store->clearFailure();
      setMode(Mode::signIn);
      m_password->clear();
      m_identifier->setFocus();
      break;
    case relay::RelayErrorAction::tryAgain:
      submit();
      break;
    case relay::RelayErrorAction::openDevices:
      emit WindowRequests::shared().devicesRequested();
      emit actionRequested(*m_action);
      break;
    case relay::RelayErrorAction::finishMacSetup:
    case relay::RelayErrorAction::registerThisMac:
      emit WindowRequests::shared().pairingRequested();
      emit actionRequested(*m_action);
      break;
    default:
      emit actionRequested(*m_action);
      break;
  }
}

// The stack takes the height of the page shown, not of its tallest page.
void AccountSection::showPage(QWidget* page) {
  for (int i = 0; i < m_pages->count(); ++i) {
    QWidget* each = m_pages->widget(i);
    each->setSizePolicy(QSizePolicy::Preferred, each == page ? QSizePolicy::Preferred : QSizePolicy::Ignored);
  }
  m_pages->setCurrentWidget(page);
  m_pages->updateGeometry();
}

void AccountSection::renderAuth() {
  const AuthState& auth = m_services.store->auth();
  m_error->clear();
  m_error->setVisible(false);
  m_actionButton->setVisible(false);
  m_action.reset();
  switch (auth.kind) {
    case AuthState::Kind::loggedOut:
      showPage(m_formPage);
      break;
    case AuthState::Kind::failed: {
      showPage(m_formPage);
      QString text = auth.failure;
      if (auth.sessionExpired) {
        text += "\n" + t("macos.account_section.session_expired_detail",
                         "Your session expired (sessions last 7 days). Sign in again to restore your Board & Inbox.");
      }
      m_error->setText(text);
      m_error->setVisible(true);
      if (auth.action) {
        m_action = auth.action;
        m_actionButton->setText(relay::localizedText(relay::RelayErrorExplainer::actionTitleKey(*auth.action),
                                                     relay::RelayErrorPresentation::englishActionTitle(*auth.action)));
        m_actionButton->setVisible(true);
      }
      break;
    }
    case AuthState::Kind::checkingStoredSession:
      m_busy->setText(t("macos.account_section.checking", "Checking your saved sign-in…"));
      showPage(m_busyPage);
      break;
    case AuthState::Kind::authenticating:
      m_busy->setText(t("macos.account_section.signing_in", "Signing in…"));
      showPage(m_busyPage);
      break;
    case AuthState::Kind::needsPhonePairing:
      m_busy->setText(t("macos.account_section.needs_phone_pairing",
                        "This account already has a Mac. Add this one by scanning its QR code with your phone."));
      showPage(m_busyPage);
      break;
    case AuthState::Kind::authenticated: {
      QString who = auth.name.toHtmlEscaped();
      if (auth.email && *auth.email != auth.name) who += " &lt;" + auth.email->toHtmlEscaped() + "&gt;";
      m_signedInAs->setText(relay::localizedText("macos.account_section.signed_in_as", "Signed in as %1", {who}));
      m_password->clear();
      m_confirm->clear();
      showPage(m_signedInPage);
      break;
    }
  }
}

void AccountSection::renderEndpoint() {
  const relay::RelaySettings& settings = *m_services.settings;
  const bool custom = settings.endpoint().isCustom();
  {
    const QSignalBlocker blocker(m_endpointChoice);
    m_endpointChoice->setCurrentIndex(custom ? 1 : 0);
  }
  m_customURL->setEnabled(custom);
  if (custom && !m_customURL->hasFocus()) m_customURL->setText(settings.baseURL());
  m_endpointLabel->setText(relay::localizedText("macos.account_section.relay_current", "Using %1", {settings.baseURL()}));
  QStringList parts;
  for (const auto& probe : settings.lastProbes()) {
    const QString host = QUrl(QString::fromStdString(probe.base)).authority();
    parts << (probe.latencyMs ? relay::localizedText("macos.account_section.relay_latency_ms", "%1: %2 ms",
                                                     {host, QString::number(qRound(*probe.latencyMs))})
                              : relay::localizedText("macos.account_section.relay_unreachable", "%1: unreachable",
                                                     {host}));
  }
  m_latency->setText(parts.isEmpty() ? t("macos.account_section.relay_not_measured", "Latency not measured yet.")
                                     : parts.join(QStringLiteral(" · ")));
}

void AccountSection::applyEndpointChoice() {
  if (m_endpointChoice->currentIndex() == 1) {
    const QUrl url(m_customURL->text().trimmed());
    if (!url.isValid() || (url.scheme() != "https" && url.scheme() != "http") || url.host().isEmpty()) {
      m_latency->setText(t("macos.account_section.relay_invalid_url",
                           "Enter a relay address that starts with https:// or http://."));
      return;
    }
    m_services.settings->applyCustomEndpoint(m_customURL->text().trimmed());
    m_services.settings->measure();
  } else {
    m_services.settings->clearCustomAndReselect();
  }
}

}  // namespace vesket::ui
