// The plain configuration dialog: host, card type and number, input and
// IF translation.
#include "shell/placeholder_config_dialog.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QSpinBox>

namespace corvane::shell {

bool RunPlaceholderConfigDialog(QWidget* parent, config::Settings& settings) {
  QDialog dialog(parent);
  dialog.setObjectName("Config");
  dialog.setWindowTitle("Configuration");
  auto* form = new QFormLayout(&dialog);

  auto* host = new QLineEdit(QString::fromLatin1(settings.HostName.c_str()), &dialog);
  host->setObjectName("vHostNam");
  auto* type = new QComboBox(&dialog);
  type->setObjectName("vCardTyp");
  type->addItems({"W40PC", "W41PC", "W51PC"});
  type->setCurrentIndex(settings.CardType >= 0 && settings.CardType <= 2 ? settings.CardType : 1);
  auto* number = new QSpinBox(&dialog);
  number->setObjectName("vCardNum");
  number->setRange(1, 8);
  number->setValue(settings.CardNumber >= 1 && settings.CardNumber <= 8 ? settings.CardNumber : 1);
  auto* input = new QComboBox(&dialog);
  input->setObjectName("vIFInp");
  input->addItems({"AF", "HF", "IF1", "IF2"});
  input->setCurrentIndex(settings.IFInput >= 1 && settings.IFInput <= 4 ? settings.IFInput - 1 : 0);
  auto* translation = new QSpinBox(&dialog);
  translation->setObjectName("vIFFrq");
  translation->setRange(-100000000, 100000000);
  translation->setValue(settings.IFFreqs);
  form->addRow("&Host", host);
  form->addRow("Card &type", type);
  form->addRow("Card &number", number);
  form->addRow("&Input", input);
  form->addRow("IF &translation (Hz)", translation);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  form->addRow(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

  if (dialog.exec() != QDialog::Accepted) {
    return false;
  }
  settings.HostName = host->text().toLatin1().toStdString();
  settings.CardType = static_cast<std::int16_t>(type->currentIndex());
  settings.CardNumber = static_cast<std::int16_t>(number->value());
  settings.IFInput = static_cast<std::int16_t>(input->currentIndex() + 1);
  settings.IFFreqs = translation->value();
  return true;
}

}  // namespace corvane::shell
