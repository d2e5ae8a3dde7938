// Retention's row: two day counts (0 shown as "for ever") and a size box
// read the way corvaned's --keep-size is.
#include "config/retention_box.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

#include "config/byte_size.h"

namespace corvane::config {

namespace {

constexpr int kMostDays = 100000;

}  // namespace

RetentionBox::RetentionBox(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("vRetention"));
  days_ = AddDays(QStringLiteral("vKeepDays"),
                  QStringLiteral("Messages received more than this many days ago leave the store, a few at a time"));
  alertDays_ = AddDays(QStringLiteral("vKeepAlertDays"),
                       QStringLiteral("Messages that raised an alert stay this many days instead, when longer"));
  size_ = new QLineEdit(this);
  size_->setObjectName(QStringLiteral("vKeepSize"));
  size_->setPlaceholderText(QStringLiteral("no limit"));
  size_->setToolTip(
      QStringLiteral("Once the store takes more than this on disk (e.g. 500M or 2G), the oldest "
                     "messages leave it, alerts too"));
  connect(size_, &QLineEdit::textEdited, this, &RetentionBox::Edited);

  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(days_);
  row->addWidget(new QLabel(QStringLiteral("alerts"), this));
  row->addWidget(alertDays_);
  row->addWidget(new QLabel(QStringLiteral("at most"), this));
  row->addWidget(size_);
}

QSpinBox* RetentionBox::AddDays(const QString& name, const QString& tooltip) {
  auto* box = new QSpinBox(this);
  box->setObjectName(name);
  box->setRange(0, kMostDays);
  box->setSuffix(QStringLiteral(" days"));
  box->setSpecialValueText(QStringLiteral("for ever"));
  box->setToolTip(tooltip);
  connect(box, &QSpinBox::valueChanged, this, &RetentionBox::Edited);
  return box;
}

void RetentionBox::Load(const Settings& settings) {
  const QSignalBlocker quietDays(days_);
  const QSignalBlocker quietAlerts(alertDays_);
  days_->setValue(settings.KeepDays);
  alertDays_->setValue(settings.KeepAlertDays);
  // A size kept as written by hand is shown as written.
  size_->setText(QString::fromStdString(settings.KeepSize == "0" ? std::string() : settings.KeepSize));
}

bool RetentionBox::Take(Settings& settings) const {
  const std::string typed = size_->text().trimmed().toStdString();
  const std::optional<std::uint64_t> bytes = ParseByteSize(typed);
  if (!bytes) {
    return false;
  }
  settings.KeepDays = days_->value();
  settings.KeepAlertDays = alertDays_->value();
  settings.KeepSize = *bytes == 0 ? std::string() : typed;
  return true;
}

}  // namespace corvane::config
