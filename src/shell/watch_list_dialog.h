// The watch list's dialog: the entries, one a line in the search language,
// and whether an alert plays a sound. Lines that cannot be read are named
// and the dialog stays open until they are mended or removed.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <string>

namespace corvane::shell {

class WatchListDialog : public QDialog {
  Q_OBJECT

 public:
  WatchListDialog(QWidget* owner, const std::string& entries, bool sound);

  // What the dialog holds (UTF-8, one entry a line).
  [[nodiscard]] std::string Entries() const;
  [[nodiscard]] bool Sound() const { return sound_->isChecked(); }

  // OK: taken when every line can be read, else the lines are named.
  void accept() override;

 private:
  QPlainTextEdit* entries_ = nullptr;
  QCheckBox* sound_ = nullptr;
  QLabel* problems_ = nullptr;
};

}  // namespace corvane::shell
