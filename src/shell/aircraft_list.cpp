// The aircraft list and the history window: a click opens the day of the
// aircraft, the Delete key removes its messages.
#include "config/latin1.h"
#include "shell/log_check_box.h"
#include "shell/main_window.h"
#include "shell/panel_layout.h"
#include "shell/plane_window.h"
#include "shell/window_controls.h"

namespace corvane::shell {

using config::Bytes;

PlaneWindow& MainWindow::EnsurePlaneWindow() {
  if (plane_ == nullptr) {
    plane_ = new PlaneWindow(this, [this](std::int32_t type, const std::string& name, const std::string& address) {
      return database_->PlaneHistory(type, name, address);
    });
  }
  return *plane_;
}

// The history window opens beside the main window with the clicked
// aircraft's day; the list keeps the focus for the Delete key.
void MainWindow::OnPlanesClicked() {
  QListWidgetItem* item = planes_->currentItem();
  if (item == nullptr) {
    return;
  }
  PlaneWindow& plane = EnsurePlaneWindow();
  const QRect frame = frameGeometry();
  plane.resize(plane.width(), height());
  plane.move(frame.right() + 1 + ToPixels(2), frame.top());
  plane.DBName = path_->DBName;
  plane.DBType = path_->DBType;
  plane.Address = Bytes(item->text());
  plane.show();
  plane.raise();
  plane.activateWindow();
  plane.Refill();
  activateWindow();
  planes_->setFocus();
}

// Every stored message of the selected aircraft goes, all days, without a
// question; the history window hides.
void MainWindow::OnPlanesDeleteKey() {
  PlaneWindow& plane = EnsurePlaneWindow();
  plane.hide();
  QListWidgetItem* item = planes_->currentItem();
  if (item == nullptr || !item->isSelected()) {
    return;
  }
  const std::string address = Bytes(item->text());
  database_->DeletePlane(path_->DBType, path_->DBName, address);
  path_->Planes().Remove(address);
  delete planes_->takeItem(planes_->row(item));
}

}  // namespace corvane::shell
