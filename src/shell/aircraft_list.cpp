// The aircraft list and the history window: a click opens the day of the
// aircraft, the history follows the list's selection, and the Delete key
// removes the shown aircraft's messages once the user agrees. The store is
// read on the background worker; the window keeps working meanwhile and
// says when the store does not answer in time.
#include <QTimer>

#include "config/latin1.h"
#include "reference/reference_tables.h"
#include "shell/main_window.h"
#include "shell/panel_layout.h"
#include "shell/plane_history.h"
#include "shell/plane_window.h"
#include "shell/window_controls.h"
#include "shell/window_placement.h"

namespace corvane::shell {

using config::Bytes;
using config::Latin1;

namespace {

QString NoAnswerText(const char* what) {
  return QString(
             "The store did not answer within %1 seconds, so %2 cannot be shown now. Another program may be "
             "holding it locked, or its server may be slow or out of reach; the window goes on meanwhile.")
      .arg(kStoreAnswerLimit.count() / 1000)
      .arg(what);
}

}  // namespace

PlaneWindow& MainWindow::EnsurePlaneWindow() {
  if (plane_ == nullptr) {
    plane_ = new PlaneWindow(this, [this] { RequestHistory(); });
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
  SeePlane(Bytes(item->text()));
  ShowPlaneWindow(Bytes(item->text()), {});
  activateWindow();
  planes_->setFocus();
}

// The history window on one aircraft's day, as the list, the Search window
// and the alert list open it: at the main window's right edge, where it
// docks, or beside the other window it was opened from, on that window's
// screen and within it.
void MainWindow::ShowPlaneWindow(const std::string& address, const std::string& day, const std::string& mark,
                                 const QWidget* beside) {
  PlaneWindow& plane = EnsurePlaneWindow();
  planeFollows_ = beside == nullptr;
  if (beside == nullptr) {
    const QRect frame = frameGeometry();
    plane.resize(plane.width(), height());
    plane.move(frame.right() + 1 + ToPixels(2), frame.top());
  } else {
    plane.resize(plane.width(), beside->height());
    MoveBeside(plane, *beside);
  }
  plane.Address = address;
  plane.Day = day;
  plane.Mark = mark;
  plane.show();
  plane.raise();
  plane.activateWindow();
  plane.Refill();
}

// Arrow keys move the selection: the selected aircraft's alerts count as
// seen, and an open history window shows it, so what Delete removes is
// always what the user sees.
void MainWindow::OnPlanesSelectionMoved() {
  QListWidgetItem* item = planes_->currentItem();
  if (item != nullptr && item->isSelected()) {
    SeePlane(Bytes(item->text()));
  }
  if (plane_ == nullptr || !plane_->isVisible() || item == nullptr || Bytes(item->text()) == plane_->Address) {
    return;
  }
  plane_->Address = Bytes(item->text());
  plane_->Day.clear();
  plane_->Mark.clear();
  RequestHistory();
}

// One read at a time: a refill asked while one runs is made when it ends,
// so a locked store does not pile reads up behind it.
void MainWindow::RequestHistory() {
  if (plane_ == nullptr) {
    return;
  }
  if (historyReading_ || !storeReady_) {
    historyAgain_ = true;
    plane_->ShowWaiting();
    return;
  }
  historyReading_ = true;
  historyAgain_ = false;
  const std::uint64_t request = ++historyRequest_;
  const std::string address = plane_->Address;
  const std::string day = plane_->Day;
  plane_->ShowWaiting();
  store::Database& store = receiver_->Store();
  storeCalls_.Run([&store, type = DBType(), name = Path().DBName, address,
                   day] { return HistoryText(store.PlaneDay(type, name, address, day), reference::Global()); },
                  this,
                  [this, request, address, day](const std::string& history) {
                    historyReading_ = false;
                    if (request == historyRequest_ && address == plane_->Address && day == plane_->Day) {
                      plane_->ShowHistory(history);
                    }
                    if (historyAgain_ && plane_->isVisible()) {
                      RequestHistory();
                    }
                  });
  QTimer::singleShot(kStoreAnswerLimit, this, [this, request] {
    if (historyReading_ && request == historyRequest_) {
      plane_->ShowNoAnswer(NoAnswerText("the history"));
    }
  });
}

// The aircraft to delete is the one shown (the history follows the
// selection); how many of its messages go is asked of the store first, and
// the user says yes or no.
void MainWindow::OnPlanesDeleteKey() {
  QListWidgetItem* item = planes_->currentItem();
  if (item == nullptr || !item->isSelected()) {
    EnsurePlaneWindow().hide();
    return;
  }
  if (!storeReady_ || deleteAsking_) {
    return;
  }
  deleteAsking_ = true;
  const std::string address = Bytes(item->text());
  auto answered = std::make_shared<bool>(false);
  store::Database& store = receiver_->Store();
  storeCalls_.Run([&store, type = DBType(), name = Path().DBName,
                   address] { return store.CountPlaneMessages(type, name, address); },
                  this,
                  [this, address, answered](std::optional<std::uint64_t> count) {
                    if (!*answered) {
                      *answered = true;
                      AskAndDelete(address, count);
                    }
                  });
  QTimer::singleShot(kStoreAnswerLimit, this, [this, address, answered] {
    if (!*answered) {
      *answered = true;
      AskAndDelete(address, std::nullopt);
    }
  });
}

void MainWindow::AskAndDelete(const std::string& address, std::optional<std::uint64_t> count) {
  const QString messages = !count        ? QString("every stored message")
                           : *count == 1 ? QString("the one stored message")
                                         : QString("the %1 stored messages").arg(*count);
  const QString question =
      QString("Delete %1 of %2, of every day? This cannot be undone.").arg(messages, Latin1(address));
  const bool yes = seams_.question(this, question);
  deleteAsking_ = false;
  if (yes) {
    DeletePlane(address);
  }
}

// The deletion is handed to the store's writer like a message, in order
// with them, and never waits on the store; the history window hides.
void MainWindow::DeletePlane(const std::string& address) {
  EnsurePlaneWindow().hide();
  ++historyRequest_;  // a read still running shows nothing
  receiver_->Store().DeletePlane(DBType(), Path().DBName, address);
  Path().Planes().Remove(address);
  const QList<QListWidgetItem*> items = planes_->findItems(Latin1(address), Qt::MatchExactly);
  for (QListWidgetItem* item : items) {
    delete planes_->takeItem(planes_->row(item));
  }
}

}  // namespace corvane::shell
