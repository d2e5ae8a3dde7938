// The traffic log's check box: three states, but a click only ever goes from
// unchecked to checked and from checked or grayed to unchecked; the grayed
// state is set by the program.
#pragma once

#include <QCheckBox>

namespace corvane::shell {

class LogCheckBox : public QCheckBox {
  Q_OBJECT

 public:
  using QCheckBox::QCheckBox;

 protected:
  void nextCheckState() override { setCheckState(checkState() == Qt::Unchecked ? Qt::Checked : Qt::Unchecked); }
};

}  // namespace corvane::shell
