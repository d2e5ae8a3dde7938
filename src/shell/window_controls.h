// Small controls of the main window that say what the user did to them as
// signals, so that each behaviour of the window has its own handler: the
// status bar's panels (mouse down and double click, with the button), the
// header fields the filters hang on (double click), and the aircraft list
// (the Delete key).
#pragma once

#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>

namespace corvane::shell {

// The status bar reports buttons as 1 left, 2 right, 4 middle.
inline int ButtonCode(Qt::MouseButton button) {
  return button == Qt::RightButton ? 2 : button == Qt::MiddleButton ? 4 : 1;
}

class StatusPanel : public QLabel {
  Q_OBJECT

 public:
  using QLabel::QLabel;

 signals:
  void MouseDown(int button);
  void DoubleClicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    emit MouseDown(ButtonCode(event->button()));
    QLabel::mousePressEvent(event);
  }
  // The second press of a double click is a mouse-down too.
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    emit MouseDown(ButtonCode(event->button()));
    emit DoubleClicked();
  }
};

class HeaderField : public QLabel {
  Q_OBJECT

 public:
  using QLabel::QLabel;

 signals:
  void DoubleClicked();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* /*event*/) override { emit DoubleClicked(); }
};

class PlanesList : public QListWidget {
  Q_OBJECT

 public:
  using QListWidget::QListWidget;

 signals:
  void DeletePressed();

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Delete) {
      emit DeletePressed();
      return;
    }
    QListWidget::keyPressEvent(event);
  }
};

}  // namespace corvane::shell
