#include "ui/update_banner.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "maintenance/update_checker.h"
#include "maintenance/update_installer.h"

namespace vesket::ui {
namespace {

// The updater's lines begin with the tool's name; the card reads better without it.
QString withoutToolName(const QString& line) {
  return line.startsWith(QLatin1String("vesket: ")) ? line.mid(8) : line;
}

}  // namespace

using maintenance::UpdateInstaller;
using maintenance::UpdateResult;

UpdateBanner::UpdateBanner(maintenance::UpdateChecker& checker, maintenance::UpdateInstaller& installer,
                           QWidget* parent)
    : QFrame(parent), m_checker(checker), m_installer(installer) {
  setObjectName("updateBanner");
  setFrameShape(QFrame::StyledPanel);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 8, 12, 10);
  layout->setSpacing(4);
  m_title = new QLabel(this);
  m_title->setObjectName("updateTitle");
  m_title->setWordWrap(true);
  QFont bold = m_title->font();
  bold.setBold(true);
  m_title->setFont(bold);
  layout->addWidget(m_title);
  m_detail = new QLabel(this);
  m_detail->setObjectName("updateDetail");
  m_detail->setWordWrap(true);
  m_detail->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(m_detail);
  m_progress = new QProgressBar(this);
  m_progress->setRange(0, 100);
  m_progress->setTextVisible(false);
  m_progress->setMaximumHeight(6);
  layout->addWidget(m_progress);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  m_secondary = new QPushButton(this);
  m_secondary->setObjectName("updateSecondary");
  m_primary = new QPushButton(this);
  m_primary->setObjectName("updatePrimary");
  buttons->addWidget(m_secondary);
  buttons->addWidget(m_primary);
  layout->addLayout(buttons);

  connect(m_primary, &QPushButton::clicked, this, [this] {
    switch (m_installer.state().kind) {
      case UpdateInstaller::State::Kind::pendingRestart:
        if (const auto failed = m_installer.restartToFinish()) QMessageBox::warning(this, QStringLiteral("Vesket"), *failed);
        return;
      case UpdateInstaller::State::Kind::failed:
        m_installer.reset();
        m_installer.install(true);
        return;
      default:
        if (m_checker.result().kind == UpdateResult::Kind::pendingRestart) {
          if (const auto failed = m_installer.restartToFinish()) QMessageBox::warning(this, QStringLiteral("Vesket"), *failed);
          return;
        }
        m_installer.install(false);
    }
  });
  connect(m_secondary, &QPushButton::clicked, this, [this] { m_installer.reset(); });
  connect(&m_checker, &maintenance::UpdateChecker::resultChanged, this, &UpdateBanner::sync);
  connect(&m_installer, &UpdateInstaller::stateChanged, this, &UpdateBanner::sync);
  connect(&m_installer, &UpdateInstaller::progressFractionChanged, this, &UpdateBanner::sync);
  sync();
}

bool UpdateBanner::confirmInstall(QWidget* parent) {
  QMessageBox box(QMessageBox::Question, qtTrId("macos.update_installer.install_update"),
                  qtTrId("macos.update_installer.vesket_will_download_and_install_the_update_the"), QMessageBox::NoButton,
                  parent);
  QPushButton* install = box.addButton(qtTrId("macos.update_installer.install"), QMessageBox::AcceptRole);
  box.addButton(qtTrId("macos.update_installer.later"), QMessageBox::RejectRole);
  box.exec();
  return box.clickedButton() == install;
}

void UpdateBanner::sync() {
  const auto& state = m_installer.state();
  const auto& result = m_checker.result();
  m_progress->hide();
  m_detail->hide();
  m_secondary->hide();
  m_primary->show();
  setToolTip({});
  bool shown = true;
  switch (state.kind) {
    case UpdateInstaller::State::Kind::installing: {
      const auto fraction = m_installer.progressFraction();
      m_title->setText(fraction ? qtTrId("macos.update_banner.installing_update_percent")
                                      .arg(static_cast<int>(*fraction * 100 + 0.5))
                                : qtTrId("macos.update_banner.installing_update"));
      m_detail->setText(withoutToolName(state.progress));
      m_detail->show();
      m_progress->setRange(0, fraction ? 100 : 0);
      m_progress->setValue(fraction ? static_cast<int>(*fraction * 100 + 0.5) : 0);
      m_progress->show();
      m_primary->hide();
      break;
    }
    case UpdateInstaller::State::Kind::pendingRestart:
      m_title->setText(qtTrId("macos.update_banner.restart_to_finish_the_update"));
      m_primary->setText(qtTrId("macos.update_banner.restart"));
      break;
    case UpdateInstaller::State::Kind::failed:
      m_title->setText(qtTrId("macos.update_banner.update_failed"));
      m_detail->setText(m_installer.isPermsError()
                            ? qtTrId("macos.update_banner.no_write_access") + "\n" + withoutToolName(state.message)
                            : withoutToolName(state.message));
      m_detail->show();
      setToolTip(state.output);
      m_primary->setText(qtTrId("macos.update_banner.retry"));
      m_secondary->setText(qtTrId("macos.update_banner.dismiss"));
      m_secondary->show();
      break;
    case UpdateInstaller::State::Kind::idle:
    case UpdateInstaller::State::Kind::upToDate:
      if (result.kind == UpdateResult::Kind::updateAvailable && state.kind == UpdateInstaller::State::Kind::idle) {
        m_title->setText(qtTrId("macos.update_banner.update_available").arg(QString::fromStdString(result.version)));
        m_detail->setText(qtTrId("macos.update_banner.build").arg(result.build));
        m_detail->show();
        m_primary->setText(qtTrId("macos.update_banner.install"));
      } else if (result.kind == UpdateResult::Kind::pendingRestart) {
        m_title->setText(qtTrId("macos.update_banner.restart_to_finish_the_update"));
        m_primary->setText(qtTrId("macos.update_banner.restart"));
      } else {
        shown = false;
      }
      break;
  }
  setVisible(shown);
}

}  // namespace vesket::ui
