#pragma once

#include <QWidget>

#include "viewer/core/viewer_state.h"

class QLabel;
class QPushButton;

namespace vesket::ui {

// The full-size message the window shows when there is no pane text to show: connecting,
// reconnecting (with its attempt), no daemon, no panes, a pane that ended, account trouble.
class ViewerStateView : public QWidget {
  Q_OBJECT

 public:
  explicit ViewerStateView(QWidget* parent = nullptr);

  void setState(const viewer::ViewerState& state);

  struct Texts {
    QString title;
    QString detail;
    QString action;  // empty: no button
  };
  static Texts textsFor(const viewer::ViewerState& state);

 signals:
  void actionRequested(vesket::viewer::ViewerState::Kind kind);

 private:
  void applyStyle();

  viewer::ViewerState m_state;
  QLabel* m_glyph;
  QLabel* m_title;
  QLabel* m_detail;
  QPushButton* m_action;
};

}  // namespace vesket::ui
