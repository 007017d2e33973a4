#pragma once

#include <QFrame>

#include <optional>

#include "viewer/core/awaiting_prompt.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QHBoxLayout;
class QVBoxLayout;

namespace vesket::ui {

// The card shown above the composer when the selected pane waits for the user: the
// question, one button per option (digits 1-9 choose them), a free-text field where the
// style asks for one, the team signal's kind, and the last answer's error.
class AnswerPanel : public QFrame {
  Q_OBJECT

 public:
  explicit AnswerPanel(QWidget* parent = nullptr);

  void setPrompt(const std::optional<viewer::AwaitingPrompt>& prompt);
  void setAnswering(bool answering);
  void setError(const std::optional<QString>& error);

  const std::optional<viewer::AwaitingPrompt>& prompt() const { return m_prompt; }

  // Chooses the option with this 1-based index, as its digit key does; false when none.
  bool chooseIndex(int index);
  // Whether the digits 1-9 choose an option now (a prompt with choices, no answer running).
  bool acceptsDigits() const;

 signals:
  void optionChosen(const vesket::viewer::ApprovalOption& option);
  void freeTextSubmitted(const QString& text);
  void dismissRequested();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void rebuild();
  void applyStyle();

  std::optional<viewer::AwaitingPrompt> m_prompt;
  bool m_answering = false;
  QLabel* m_kindLabel;
  QLabel* m_question;
  QWidget* m_optionsBox;
  QVBoxLayout* m_optionsLayout;
  QLineEdit* m_freeText;
  QPushButton* m_sendFreeText;
  QPushButton* m_dismiss;
  QLabel* m_error;
  std::vector<QPushButton*> m_optionButtons;
};

}  // namespace vesket::ui

Q_DECLARE_METATYPE(vesket::viewer::ApprovalOption)
