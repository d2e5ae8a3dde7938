// The configuration dialog's row for retention: how many days messages
// stay, how many days alerts stay, and the most the store may take on disk.
#pragma once

#include <QWidget>

#include "config/settings.h"

class QLineEdit;
class QSpinBox;

namespace corvane::config {

class RetentionBox : public QWidget {
  Q_OBJECT

 public:
  explicit RetentionBox(QWidget* parent);

  // Shows KeepDays, KeepAlertDays and KeepSize.
  void Load(const Settings& settings);
  // Puts what the boxes show into the settings; false (the settings
  // untouched) when the size cannot be read.
  [[nodiscard]] bool Take(Settings& settings) const;
  // The box of the size, to go back to when it cannot be read.
  [[nodiscard]] QLineEdit* SizeBox() const { return size_; }

 signals:
  void Edited();

 private:
  QSpinBox* AddDays(const QString& name, const QString& tooltip);

  QSpinBox* days_ = nullptr;
  QSpinBox* alertDays_ = nullptr;
  QLineEdit* size_ = nullptr;
};

}  // namespace corvane::config
