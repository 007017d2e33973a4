#pragma once

// A line edit for a folder path. Out of focus, a path longer than the field shows its start
// and its end with the middle elided, so that both where it lives and the folder's own name
// are seen; in focus it is edited whole. While part of it is hidden, the tooltip has it all.

#include <QLineEdit>

namespace vesket::ui {

class PathField : public QLineEdit {
  Q_OBJECT

 public:
  explicit PathField(QWidget* parent = nullptr);

  // The text as the field shows it now.
  QString shownText() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool event(QEvent* event) override;

 private:
  QRect textArea() const;
  void syncToolTip();
};

}  // namespace vesket::ui
