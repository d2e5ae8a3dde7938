// The message area's caption labels: each one the window builds carries the
// text of the caption table (pinned in the decoding tests) and sits on the
// panel it belongs to, so two captions swapped or a row put on the wrong
// panel shows here.
#include "shell/message_area.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QWidget>

namespace corvane::shell {
namespace {

QString FromView(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

TEST(MessageArea, EveryCaptionLabelCarriesItsTextOnItsPanel) {
  QWidget window;
  const MessageArea area(&window, QRect(0, 40, 640, 420), 60);
  for (const decoding::CaptionLabel& caption : decoding::CaptionLabels()) {
    const QString name = FromView(caption.objectName);
    const QList<QLabel*> labels = window.findChildren<QLabel*>(name);
    ASSERT_EQ(labels.size(), 1) << name.toStdString();
    EXPECT_EQ(labels.front()->text().toStdString(), caption.text) << name.toStdString();
    EXPECT_EQ(labels.front()->parentWidget(), area.Panel(caption.panel)) << name.toStdString();
  }
}

}  // namespace
}  // namespace corvane::shell
