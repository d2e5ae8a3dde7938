// The main window's behaviours: compact mode and the topmost lock from the
// status bar, the registration and label filters on the header fields, and
// the history window docked beside the main window.
#include <QStatusBar>
#include <algorithm>

#include "config/latin1.h"
#include "shell/log_check_box.h"
#include "shell/main_window.h"
#include "shell/main_window_layout.h"
#include "shell/panel_layout.h"
#include "shell/plane_window.h"
#include "shell/window_controls.h"

namespace corvane::shell {

using config::Bytes;
using namespace layout;

void MakeWindowAlwaysTop(QWidget* window, bool on) {
  if (window == nullptr || window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on) {
    return;
  }
  const QRect geometry = window->geometry();
  const bool visible = window->isVisible();
  window->setWindowFlag(Qt::WindowStaysOnTopHint, on);
  window->setGeometry(geometry);
  if (visible) {
    window->show();
  }
}

// Once the main window has left its start-up position, the history window
// follows its right edge (unless another window opened it beside itself).
void MainWindow::DockPlaneWindow() {
  if (plane_ == nullptr || !plane_->isVisible() || !planeFollows_) {
    return;
  }
  if (ToTwips(x()) == X && ToTwips(y()) == Y) {
    return;
  }
  const QRect frame = frameGeometry();
  plane_->move(frame.right() + 1 + ToPixels(2), frame.top());
}

// Panel 2 only: a left double click switches compact mode and the topmost
// lock together, a right one the lock alone.
void MainWindow::OnStatusPanelDoubleClick(int panel) {
  if (panel != 2) {
    return;
  }
  Locked = !Locked;
  if (LastButton != 2) {
    if (Locked) {
      EnterCompactMode();
    } else {
      LeaveCompactMode();
    }
  }
  MakeWindowAlwaysTop(this, Locked);
}

// Only the header stays: the base frame goes to the top with the height of
// its header, and the window shrinks to it and the status bar.
void MainWindow::EnterCompactMode() {
  const auto toInt16 = [](int twips) { return static_cast<std::int16_t>(std::clamp(twips, -32768, 32767)); };
  SavedLayout = {toInt16(ToTwips(base_->y())), toInt16(ToTwips(base_->height())), toInt16(ToTwips(height()))};
  base_->setGeometry(base_->x(), 0, base_->width(), kSeparator);
  setFixedSize(width(), statusBar()->height() + kSeparator + base_->y());
  logData_->hide();
}

// Back to the saved layout; before any compaction there is none, and the
// window keeps its size.
void MainWindow::LeaveCompactMode() {
  if (SavedLayout[2] > 0) {
    base_->setGeometry(base_->x(), ToPixels(SavedLayout[0]), base_->width(), ToPixels(SavedLayout[1]));
    setFixedSize(width(), ToPixels(SavedLayout[2]));
  }
  logData_->show();
}

void MainWindow::SetBackground(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, colour);
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

void MainWindow::ToggleRegFilter() {
  if (!Path().RegFilter.empty()) {
    Path().RegFilter.clear();
    SetBackground(vReg_, palette().color(QPalette::Button));
  } else if (!vReg_->text().isEmpty()) {
    Path().RegFilter = Bytes(vReg_->text());
    SetBackground(vReg_, QColor(255, 255, 0));
  }
}

// The filter takes the label as the message path compares it: an uplink
// acknowledgement ("_" and DEL as received) compares as "_ ".
void MainWindow::ToggleLabelFilter() {
  if (!Path().LabelFilter.empty()) {
    Path().LabelFilter.clear();
    SetBackground(vLbl_, palette().color(QPalette::Button));
  } else if (!vLbl_->text().isEmpty()) {
    std::string label = Path().CurrentLabel();
    if (label.size() >= 2 && label[1] == '\x7f') {
      label = "_ ";
    }
    Path().LabelFilter = label;
    SetBackground(vLbl_, QColor(255, 255, 0));
  }
}

}  // namespace corvane::shell
