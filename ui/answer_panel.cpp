#include "ui/answer_panel.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/theme.h"

namespace vesket::ui {

using viewer::ApprovalSelectionStyle;

namespace {

QString styleCaption(const viewer::AwaitingPrompt& prompt) {
  switch (prompt.selectionStyle) {
    case ApprovalSelectionStyle::crewSignal:
      return prompt.crewSignalKind ? qtTrId("macos.answer_panel.team_signal_kind")
                                         .arg(QString::fromStdString(*prompt.crewSignalKind))
                                   : qtTrId("macos.answer_panel.team_signal");
    case ApprovalSelectionStyle::attention: return qtTrId("macos.answer_panel.needs_your_attention");
    case ApprovalSelectionStyle::freeTextPrompt:
    case ApprovalSelectionStyle::freeTextOptions: return qtTrId("macos.answer_panel.waiting_for_your_answer");
    default: return qtTrId("macos.answer_panel.waiting_for_your_decision");
  }
}

bool wantsFreeText(ApprovalSelectionStyle style) {
  return style == ApprovalSelectionStyle::freeTextPrompt || style == ApprovalSelectionStyle::freeTextOptions ||
         style == ApprovalSelectionStyle::crewSignal || style == ApprovalSelectionStyle::attention;
}

}  // namespace

AnswerPanel::AnswerPanel(QWidget* parent) : QFrame(parent) {
  setObjectName("answerPanel");
  setFocusPolicy(Qt::StrongFocus);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(14, 12, 14, 12);
  layout->setSpacing(8);

  auto* header = new QHBoxLayout;
  m_kindLabel = new QLabel(this);
  m_kindLabel->setObjectName("answerKind");
  header->addWidget(m_kindLabel, 1);
  m_dismiss = new QPushButton(qtTrId("macos.answer_panel.dismiss"), this);
  m_dismiss->setObjectName("answerDismiss");
  m_dismiss->setFlat(true);
  m_dismiss->setCursor(Qt::PointingHandCursor);
  m_dismiss->setToolTip(qtTrId("macos.answer_panel.hide_this_prompt_until_the_agent_asks_again"));
  connect(m_dismiss, &QPushButton::clicked, this, &AnswerPanel::dismissRequested);
  header->addWidget(m_dismiss);
  layout->addLayout(header);

  m_question = new QLabel(this);
  m_question->setObjectName("answerQuestion");
  m_question->setWordWrap(true);
  m_question->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(m_question);

  m_optionsBox = new QWidget(this);
  m_optionsLayout = new QVBoxLayout(m_optionsBox);
  m_optionsLayout->setContentsMargins(0, 2, 0, 0);
  m_optionsLayout->setSpacing(6);
  layout->addWidget(m_optionsBox);

  auto* freeRow = new QHBoxLayout;
  m_freeText = new QLineEdit(this);
  m_freeText->setObjectName("answerFreeText");
  m_freeText->setPlaceholderText(qtTrId("macos.answer_panel.type_an_answer_and_press_enter"));
  m_sendFreeText = new QPushButton(qtTrId("macos.answer_panel.send"), this);
  m_sendFreeText->setObjectName("answerSend");
  auto submit = [this] {
    const QString text = m_freeText->text().trimmed();
    if (text.isEmpty() || m_answering) return;
    emit freeTextSubmitted(text);
  };
  connect(m_freeText, &QLineEdit::returnPressed, this, submit);
  connect(m_sendFreeText, &QPushButton::clicked, this, submit);
  freeRow->addWidget(m_freeText, 1);
  freeRow->addWidget(m_sendFreeText);
  layout->addLayout(freeRow);

  m_error = new QLabel(this);
  m_error->setObjectName("answerError");
  m_error->setWordWrap(true);
  m_error->hide();
  layout->addWidget(m_error);

  applyStyle();
  connect(&Theme::current(), &Theme::schemeChanged, this, &AnswerPanel::applyStyle);
  hide();
}

void AnswerPanel::applyStyle() {
  const auto& c = Theme::current().colors();
  setStyleSheet(QString(R"(
    QFrame#answerPanel { background: %1; border: 1px solid %2; border-left: 3px solid %3; border-radius: 8px; }
    QLabel#answerKind { color: %3; font-weight: 600; font-size: 11px; }
    QLabel#answerQuestion { color: %4; font-size: 14px; }
    QLabel#answerError { color: %5; }
    QPushButton#answerOption { text-align: left; padding: 7px 12px; border: 1px solid %2; border-radius: 6px;
                               background: %6; color: %4; }
    QPushButton#answerOption:hover { border-color: %7; }
    QPushButton#answerOption:disabled { color: %8; }
    QPushButton#answerDismiss { color: %8; border: none; padding: 2px 6px; }
    QPushButton#answerDismiss:hover { color: %4; }
  )")
                    .arg(c.raised.name(), c.border.name(), c.awaiting.name(), c.text.name(), c.danger.name(),
                         c.panel.name(), c.accent.name(), c.faintText.name()));
}

void AnswerPanel::setPrompt(const std::optional<viewer::AwaitingPrompt>& prompt) {
  if (prompt == m_prompt) return;
  const bool samePrompt = prompt && m_prompt && prompt->id == m_prompt->id;
  m_prompt = prompt;
  if (!samePrompt) {
    m_freeText->clear();
    setError(std::nullopt);
  }
  rebuild();
}

void AnswerPanel::rebuild() {
  for (auto* button : m_optionButtons) button->deleteLater();
  m_optionButtons.clear();
  if (!m_prompt) {
    hide();
    return;
  }
  const auto& prompt = *m_prompt;
  m_kindLabel->setText(styleCaption(prompt));
  m_question->setText(prompt.question.empty() ? qtTrId("macos.answer_panel.the_agent_is_waiting_for_you")
                                              : QString::fromStdString(prompt.question));
  const bool choices = viewer::ApprovalSelectionStyles::hasChoices(prompt.selectionStyle);
  m_optionsBox->setVisible(choices && !prompt.options.empty());
  if (choices) {
    for (const auto& option : prompt.options) {
      const QString digit = option.index >= 1 && option.index <= 9 ? QString::number(option.index) + "  " : QString();
      auto* button = new QPushButton(digit + QString::fromStdString(option.label), m_optionsBox);
      button->setObjectName("answerOption");
      button->setCursor(Qt::PointingHandCursor);
      button->setEnabled(!m_answering);
      if (option.index >= 1 && option.index <= 9) button->setToolTip(qtTrId("macos.answer_panel.press_digit").arg(option.index));
      connect(button, &QPushButton::clicked, this, [this, option] {
        if (!m_answering) emit optionChosen(option);
      });
      m_optionsLayout->addWidget(button);
      m_optionButtons.push_back(button);
    }
  }
  const bool freeText = wantsFreeText(prompt.selectionStyle);
  m_freeText->setVisible(freeText);
  m_sendFreeText->setVisible(freeText);
  m_freeText->setEnabled(!m_answering);
  m_sendFreeText->setEnabled(!m_answering);
  show();
}

void AnswerPanel::setAnswering(bool answering) {
  if (answering == m_answering) return;
  m_answering = answering;
  for (auto* button : m_optionButtons) button->setEnabled(!answering);
  m_freeText->setEnabled(!answering);
  m_sendFreeText->setEnabled(!answering);
  if (!answering) m_freeText->clear();
}

void AnswerPanel::setError(const std::optional<QString>& error) {
  m_error->setVisible(error.has_value());
  m_error->setText(error.value_or(QString()));
}

bool AnswerPanel::acceptsDigits() const {
  return m_prompt && !m_answering && viewer::ApprovalSelectionStyles::hasChoices(m_prompt->selectionStyle) &&
         !m_prompt->options.empty();
}

bool AnswerPanel::chooseIndex(int index) {
  if (!acceptsDigits()) return false;
  for (const auto& option : m_prompt->options) {
    if (option.index == index) {
      emit optionChosen(option);
      return true;
    }
  }
  return false;
}

void AnswerPanel::keyPressEvent(QKeyEvent* event) {
  if (event->modifiers() == Qt::NoModifier && event->key() >= Qt::Key_1 && event->key() <= Qt::Key_9 &&
      chooseIndex(event->key() - Qt::Key_0)) {
    return;
  }
  QFrame::keyPressEvent(event);
}

}  // namespace vesket::ui
