#include "ui/pairing_window.h"

#include <QFrame>
#include <QDateTime>
#include <QLocale>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "relay/pairing_flow.h"
#include "relay/relay_error_presentation.h"
#include "ui/qr_code.h"

namespace vesket::ui {
namespace {

using Phase = relay::PairQRFlow::Phase;
using StepKind = relay::PairFlowStepStatus::Kind;

QString t(const std::string& key, const char* english, const QStringList& arguments = {}) {
  return relay::localizedText(key, QString::fromUtf8(english), arguments);
}

constexpr int kQRSide = 232;

// An ISO time of the relay in the user's locale; as sent when it does not read.
QString readableTime(const std::string& iso) {
  const QDateTime time = QDateTime::fromString(QString::fromStdString(iso), Qt::ISODate);
  return time.isValid() ? QLocale().toString(time.toLocalTime(), QLocale::ShortFormat) : QString::fromStdString(iso);
}

const char* englishTitle(relay::PairFlowStepID id) {
  switch (id) {
    case relay::PairFlowStepID::pair: return "Pair with your account";
    case relay::PairFlowStepID::permission: return "Permissions";
    case relay::PairFlowStepID::daemonReady: return "Background service";
    case relay::PairFlowStepID::connected: return "Connected";
  }
  return "";
}

// The text under a step: its reason when it has one, else what its state means.
QString detailText(const relay::PairFlowStepResult& step, const relay::PairFlowSnapshot& snapshot) {
  switch (step.reason) {
    case relay::PairFlowReason::qrExpired:
      return t(relay::PairFlow::reasonKey(step.reason), "The code expired or the pairing failed. Ask for a new code.");
    case relay::PairFlowReason::waitingForDaemonStart:
      return t(relay::PairFlow::reasonKey(step.reason), "Waiting for the Vesket background service to start.");
    case relay::PairFlowReason::tmuxMissing:
      return t(relay::PairFlow::reasonKey(step.reason), "tmux is not installed. Install it with your package manager.");
    default: break;
  }
  const bool done = step.status.kind == StepKind::done;
  switch (step.id) {
    case relay::PairFlowStepID::pair:
      return done ? t("checklist.row.pair.detail.done", "This machine is paired with your account.")
                  : t("checklist.row.pair.detail.active",
                      "Scan the code with your phone's camera, or type the short code on the pairing page.");
    case relay::PairFlowStepID::permission: {
      const std::string key(relay::PairFlow::permissionDetailKey(snapshot.automationGranted, snapshot.accessibilityGranted));
      if (key == "checklist.row.permission.detail.granted") {
        return t(key, "Nothing to grant: the background service has what it needs.");
      }
      if (key == "checklist.row.permission.detail.checking") return t(key, "Checking permissions…");
      if (key == "checklist.row.permission.detail.automationOnly") {
        return t(key, "Automation is allowed; accessibility is still missing.");
      }
      return t(key, "The background service still needs its permissions.");
    }
    case relay::PairFlowStepID::daemonReady:
      return t("checklist.row.daemonReady.detail.done", "The background service is running with tmux.");
    case relay::PairFlowStepID::connected:
      if (done) return t("checklist.row.connected.detail.done", "Linked to the relay: your other devices reach this machine.");
      if (step.status.kind == StepKind::active) {
        return t("checklist.row.connected.detail.active", "Waiting for the background service to link to the relay.");
      }
      return t("checklist.row.connected.detail.pending", "Follows once the background service runs.");
  }
  return {};
}

QString stepIcon(StepKind kind) {
  switch (kind) {
    case StepKind::done: return "<span style='color:#3aa85a'>✔</span>";
    case StepKind::failed: return "<span style='color:#d04a3a'>✖</span>";
    case StepKind::active: return "<span style='color:#3b82d9'>●</span>";
    case StepKind::waiting: return "<span style='color:#d9a13b'>◐</span>";
    case StepKind::pending: return "<span style='color:gray'>○</span>";
  }
  return {};
}

}  // namespace

PairingWindow::PairingWindow(relay::PairQRFlow& flow, std::function<std::optional<relay::RelayClient>()> accountClient,
                             QWidget* parent)
    : QWidget(parent), m_flow(flow), m_accountClient(std::move(accountClient)) {
  setObjectName("pairingWindow");
  setWindowTitle(t("macos.pairing_window.title", "Pair this machine"));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(16, 16, 16, 16);
  layout->setSpacing(20);

  // Left: the code.
  auto* left = new QVBoxLayout;
  m_qr = new QLabel(this);
  m_qr->setObjectName("pairingQR");
  m_qr->setFixedSize(kQRSide, kQRSide);
  m_qr->setAlignment(Qt::AlignCenter);
  m_qr->setStyleSheet("background: white; border-radius: 8px; color: #444;");
  left->addWidget(m_qr, 0, Qt::AlignHCenter);
  m_countdown = new QLabel(this);
  m_countdown->setObjectName("pairingCountdown");
  m_countdown->setAlignment(Qt::AlignHCenter);
  left->addWidget(m_countdown);
  m_shortCode = new QLabel(this);
  m_shortCode->setObjectName("pairingShortCode");
  m_shortCode->setAlignment(Qt::AlignHCenter);
  m_shortCode->setTextInteractionFlags(Qt::TextSelectableByMouse);
  m_shortCode->setWordWrap(true);
  left->addWidget(m_shortCode);
  m_newCode = new QPushButton(t("macos.pairing_window.new_code", "New code"), this);
  m_newCode->setObjectName("pairingNewCode");
  left->addWidget(m_newCode, 0, Qt::AlignHCenter);
  left->addStretch(1);
  layout->addLayout(left);

  // Right: the checklist and the other ways to pair.
  auto* right = new QVBoxLayout;
  for (int i = 0; i < 4; ++i) {
    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    m_stepIcons[i] = new QLabel(this);
    m_stepIcons[i]->setFixedWidth(16);
    m_stepTitles[i] = new QLabel(this);
    m_stepDetails[i] = new QLabel(this);
    m_stepDetails[i]->setObjectName(QStringLiteral("pairingStepDetail%1").arg(i));
    m_stepDetails[i]->setWordWrap(true);
    m_stepDetails[i]->setStyleSheet("color: palette(placeholder-text); font-size: 11px;");
    auto* text = new QVBoxLayout;
    text->setSpacing(1);
    text->addWidget(m_stepTitles[i]);
    text->addWidget(m_stepDetails[i]);
    row->addWidget(m_stepIcons[i], 0, Qt::AlignTop);
    row->addLayout(text, 1);
    right->addLayout(row);
    right->addSpacing(4);
  }

  m_status = new QLabel(this);
  m_status->setObjectName("pairingStatus");
  m_status->setWordWrap(true);
  right->addWidget(m_status);

  m_withAccount = new QPushButton(t("macos.pairing_window.pair_with_account", "Pair with my account"), this);
  m_withAccount->setObjectName("pairWithAccount");
  right->addWidget(m_withAccount, 0, Qt::AlignLeft);

  auto* codeRow = new QHBoxLayout;
  m_codeField = new QLineEdit(this);
  m_codeField->setObjectName("pairingCodeField");
  m_codeField->setPlaceholderText(t("macos.pairing_window.code_placeholder", "Code from your other machine"));
  m_useCode = new QPushButton(t("macos.pairing_window.use_code", "Use code"), this);
  m_useCode->setObjectName("pairingUseCode");
  codeRow->addWidget(m_codeField, 1);
  codeRow->addWidget(m_useCode);
  right->addLayout(codeRow);

  m_replacement = new QFrame(this);
  m_replacement->setObjectName("pairingReplacement");
  auto* replacement = new QVBoxLayout(m_replacement);
  replacement->setContentsMargins(0, 8, 0, 0);
  auto* explain = new QLabel(t("macos.pairing_window.replace_explanation",
                               "This account already has machines. Pick the machine this one replaces. Sign in "
                               "again, or enter your account password to replace this Mac."),
                             m_replacement);
  explain->setWordWrap(true);
  replacement->addWidget(explain);
  m_candidates = new QListWidget(m_replacement);
  m_candidates->setObjectName("pairingCandidates");
  m_candidates->setMaximumHeight(110);
  replacement->addWidget(m_candidates);
  m_password = new QLineEdit(m_replacement);
  m_password->setEchoMode(QLineEdit::Password);
  m_password->setPlaceholderText(t("macos.pairing_window.password_placeholder", "Account password (if asked)"));
  replacement->addWidget(m_password);
  m_replace = new QPushButton(t("macos.pairing_window.replace", "Replace the selected machine"), m_replacement);
  m_replace->setObjectName("pairingReplace");
  replacement->addWidget(m_replace, 0, Qt::AlignLeft);
  right->addWidget(m_replacement);
  right->addStretch(1);
  layout->addLayout(right, 1);
  // The steps' wrapped texts and the code field need this width beside the QR code.
  setMinimumWidth(640);
  resize(720, 440);

  connect(m_newCode, &QPushButton::clicked, this, [this] {
    relay::PairQRFlow::tokenCache().reset();
    m_flow.start();
  });
  connect(m_withAccount, &QPushButton::clicked, this, [this] {
    if (auto client = m_accountClient()) m_flow.pairWithAccount(*client);
  });
  connect(m_useCode, &QPushButton::clicked, this, [this] {
    if (!m_codeField->text().trimmed().isEmpty()) m_flow.pairWithCode(m_codeField->text());
  });
  connect(m_replace, &QPushButton::clicked, this, [this] {
    auto client = m_accountClient();
    QListWidgetItem* item = m_candidates->currentItem();
    if (!client || !item) return;
    std::optional<QString> password;
    if (!m_password->text().isEmpty()) password = m_password->text();
    m_flow.replace(*client, item->data(Qt::UserRole).toLongLong(), password);
  });
  connect(&m_flow, &relay::PairQRFlow::changed, this, &PairingWindow::render);
  connect(&m_flow, &relay::PairQRFlow::tick, this, &PairingWindow::renderCountdown);
  render();
}

void PairingWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (m_flow.phase() == Phase::idle || m_flow.phase() == Phase::expired) m_flow.start();
  m_flow.refreshChecklist();
}

void PairingWindow::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (m_flow.phase() == Phase::ready || m_flow.phase() == Phase::loading) m_flow.cancel();
}

void PairingWindow::render() {
  const Phase phase = m_flow.phase();
  const auto token = m_flow.token();
  const bool showQR = phase == Phase::ready && token && !token->qrPayload.empty();
  if (showQR) {
    const QImage image = QrCode::render(QByteArray::fromStdString(token->qrPayload), 5, 3);
    m_qr->setPixmap(QPixmap::fromImage(image).scaled(kQRSide - 8, kQRSide - 8, Qt::KeepAspectRatio, Qt::FastTransformation));
  } else {
    m_qr->setPixmap(QPixmap());
    QString text;
    if (phase == Phase::loading) text = t("macos.pairing_window.loading", "Asking the relay for a code…");
    if (phase == Phase::expired) text = t("macos.pairing_window.expired", "This code expired.");
    if (phase == Phase::paired) text = t("macos.pairing_window.paired", "Paired ✔");
    if (phase == Phase::ready && token && token->qrPayload.empty()) {
      text = t("macos.pairing_window.collecting", "Pairing with your account…");
    }
    m_qr->setText(text);
  }
  m_qr->setVisible(showQR || !m_qr->text().isEmpty());
  m_shortCode->setVisible(showQR && !token->shortCode.empty());
  if (showQR) {
    m_shortCode->setText(t("macos.pairing_window.short_code", "Or type this code on the pairing page: %1",
                           {"<b>" + QString::fromStdString(token->shortCode).toHtmlEscaped() + "</b>"}));
  }
  m_newCode->setVisible(phase == Phase::expired || phase == Phase::failed);
  const bool signedIn = m_accountClient && m_accountClient().has_value();
  m_withAccount->setVisible(signedIn && phase != Phase::paired);
  m_withAccount->setEnabled(phase != Phase::loading);

  QString status;
  if (phase == Phase::failed || !m_flow.message().isEmpty()) status = m_flow.message();
  if (phase == Phase::paired) status = t("macos.pairing_window.paired_status", "This machine is paired. It links to the relay now.");
  m_status->setText(status);
  m_status->setStyleSheet(phase == Phase::failed ? "color: #d04a3a;" : "");
  m_status->setVisible(!status.isEmpty());

  m_replacement->setVisible(phase == Phase::replacementRequired);
  m_candidates->clear();
  for (const auto& candidate : m_flow.candidates()) {
    QString label = QString::fromStdString(candidate.machineName.value_or("#" + std::to_string(candidate.id)));
    if (candidate.lastSeenAt) {
      label += " · " + t("macos.devices_window.last_seen", "last seen %1", {readableTime(*candidate.lastSeenAt)});
    }
    auto* item = new QListWidgetItem(label, m_candidates);
    item->setData(Qt::UserRole, static_cast<qlonglong>(candidate.id));
  }
  if (m_candidates->count() > 0) m_candidates->setCurrentRow(0);
  renderCountdown();
  renderChecklist();
}

void PairingWindow::renderCountdown() {
  const bool counting = m_flow.phase() == Phase::ready && m_flow.token() && !m_flow.token()->qrPayload.empty();
  m_countdown->setVisible(counting);
  if (counting) {
    m_countdown->setText(t("macos.pairing_window.expires_in", "Expires in %1",
                           {QString::fromStdString(relay::PairFlowFormat::countdown(m_flow.secondsLeft()))}));
  }
}

void PairingWindow::renderChecklist() {
  const auto& steps = m_flow.steps();
  for (int i = 0; i < 4 && i < static_cast<int>(steps.size()); ++i) {
    const auto& step = steps[static_cast<std::size_t>(i)];
    m_stepIcons[i]->setText(stepIcon(step.status.kind));
    const QString title = t(relay::PairFlow::stepTitleKey(step.id), englishTitle(step.id));
    m_stepTitles[i]->setText(step.status.kind == StepKind::pending ? title : "<b>" + title.toHtmlEscaped() + "</b>");
    m_stepDetails[i]->setText(detailText(step, m_flow.snapshot()));
  }
}

}  // namespace vesket::ui
