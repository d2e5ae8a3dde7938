// The watch list's dialog.
#include "shell/watch_list_dialog.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>
#include <vector>

#include "store/search/watch_list.h"

namespace corvane::shell {

WatchListDialog::WatchListDialog(QWidget* owner, const std::string& entries, bool sound) : QDialog(owner) {
  setObjectName("WatchListDialog");
  setWindowTitle("Watch list");
  auto* layout = new QVBoxLayout(this);
  auto* help = new QLabel(
      "One entry a line; a message that matches an entry is marked, counted and stored as an alert.\n"
      "Words or \"phrases\" of the text, flight:BA306, tail:G-EUPT, address:.N123UA, label:H1,\n"
      "kind:cpdlc_message, has:position, several on one line when all must hold, - to exclude.",
      this);
  layout->addWidget(help);
  entries_ = new QPlainTextEdit(QString::fromStdString(entries), this);
  entries_->setObjectName("Entries");
  entries_->setMinimumSize(480, 200);
  layout->addWidget(entries_);
  problems_ = new QLabel(this);
  problems_->setObjectName("Problems");
  problems_->setStyleSheet("color: #c00000");
  problems_->hide();
  layout->addWidget(problems_);
  sound_ = new QCheckBox("Play a sound on an alert", this);
  sound_->setObjectName("Sound");
  sound_->setChecked(sound);
  layout->addWidget(sound_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &WatchListDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &WatchListDialog::reject);
  layout->addWidget(buttons);
}

std::string WatchListDialog::Entries() const { return entries_->toPlainText().toStdString(); }

void WatchListDialog::accept() {
  std::vector<store::search::WatchError> errors;
  store::search::WatchList::FromLines(Entries(), &errors);
  if (errors.empty()) {
    QDialog::accept();
    return;
  }
  QString text = "Mend or remove these lines:";
  for (const auto& error : errors) {
    text += QString("\nline %1: %2").arg(error.line).arg(QString::fromStdString(error.message));
  }
  problems_->setText(text);
  problems_->show();
}

}  // namespace corvane::shell
