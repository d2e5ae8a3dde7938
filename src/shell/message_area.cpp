// Building the decoder panels and rendering a panel state onto them.
#include "shell/message_area.h"

#include <QFontDatabase>

#include "config/latin1.h"
#include "shell/panel_layout.h"

namespace corvane::shell {

using config::Latin1;

namespace {

using decoding::Panel;
using decoding::Value;

constexpr int kRowHeight = 19;
constexpr int kHeadingWidth = 80;
constexpr int kCaptionWidth = 70;
constexpr int kMargin = 6;

}  // namespace

QFont MessageArea::ValueFont() {
  QFont font("Courier New");
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  font.setPointSize(9);
  return font;
}

QFont MessageArea::TerminalFont() {
  QFont font("Terminal");
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  font.setPointSize(9);
  return font;
}

MessageArea::MessageArea(QWidget* parent, const QRect& baseFrame, int separator) {
  QFrame* pxx = MakeFrame(parent, Panel::fPXX, 5);
  AddRow(pxx, 0, "lVer_1", "Plane", Value::vVER_1);
  AddRow(pxx, 1, "lVer_2", "Flight", Value::vSCH_0);
  AddRow(pxx, 2, "lSCH_1", "Departure", Value::vSCH_1);
  AddRow(pxx, 3, "lSCH_2", "From", Value::vSCH_2);
  AddRow(pxx, 4, "lSCH_3", "To", Value::vSCH_3);

  QFrame* eta = MakeFrame(parent, Panel::fETA, 2);
  AddRow(eta, 0, "lETA_1", "Arrival", Value::vETA_1);
  AddRow(eta, 1, "lETA_2", "Runway", Value::vETA_2);

  QFrame* rel = MakeFrame(parent, Panel::fREL, 3);
  AddRow(rel, 0, "lREL_1", "Release", Value::vREL_1);
  AddRow(rel, 1, "lREL_2", "From", Value::vREL_2);
  AddRow(rel, 2, "lREL_3", "To", Value::vREL_3);

  QFrame* mtr = MakeFrame(parent, Panel::fMTR, 3);
  AddRow(mtr, 0, "lMTR_1", "At", Value::vMTR_1);
  AddRow(mtr, 1, "lMTR_2", "Airp1", Value::vMTR_2);
  AddRow(mtr, 2, "lMTR_3", "Airp2", Value::vMTR_3);

  QFrame* wxr = MakeFrame(parent, Panel::fWXR, 4);
  AddRow(wxr, 0, "lWXR_1", "Mode", Value::vWXR_1);
  AddRow(wxr, 1, "lWXR_2", "Airp1", Value::vWXR_2);
  AddRow(wxr, 2, "lWXR_3", "Airp2", Value::vWXR_3);
  AddRow(wxr, 3, "lWXR_4", "Airp3", Value::vWXR_4);

  QFrame* pqs = MakeFrame(parent, Panel::fPQS, 5);
  AddRow(pqs, 0, "lSQT_1", "Code", Value::vSQT_1);
  AddRow(pqs, 1, "lSQT_2", "From", Value::vSQT_2);
  AddRow(pqs, 2, "lSQT_3", "Lat.", Value::vSQT_3);
  AddRow(pqs, 3, "lSQT_4", "Lon.", Value::vSQT_4);
  AddRow(pqs, 4, "lSQT_5", "Freq.", Value::vSQT_5);

  QFrame* pb9 = MakeFrame(parent, Panel::fPB9, 1);
  AddRow(pb9, 0, "lATIS_1", "Req.", Value::vATIS_1);

  // Headings (index 0) stand at the left of their panels; the SCH heading
  // shares the flight row of the VER/SCH panel.
  for (const auto& caption : decoding::CaptionLabels()) {
    const std::string name(caption.objectName);
    if (name.size() < 2 || name.substr(name.size() - 2) != "_0") {
      continue;
    }
    auto* heading = new QLabel(Latin1(caption.text), Panel(caption.panel));
    heading->setObjectName(QString::fromStdString(name));
    const int row = name == "lSCH_0" ? 1 : 0;
    heading->setGeometry(kMargin, kMargin + row * kRowHeight, kHeadingWidth, kRowHeight);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    labels_[name] = heading;
  }

  inf_ = MakeTextPanel(parent, Panel::fINF);
  msg_ = MakeTextPanel(parent, Panel::fMSG);
  PlaceFrames(baseFrame, separator);
  menu_ = new MessageMenu(parent);
  for (QWidget* panel : panels_) {
    menu_->Cover(panel);
  }
}

QFrame* MessageArea::MakeFrame(QWidget* parent, decoding::Panel panel, int rows) {
  auto* frame = new QFrame(parent);
  frame->setObjectName(Latin1(decoding::PanelName(panel)));
  frame->setFrameShape(QFrame::NoFrame);
  frame->setAutoFillBackground(true);
  frame->resize(frame->width(), 2 * kMargin + rows * kRowHeight);
  frame->hide();
  panels_[static_cast<std::size_t>(panel)] = frame;
  return frame;
}

void MessageArea::AddRow(QFrame* frame, int row, const char* captionName, const char* caption, decoding::Value value) {
  auto* captionLabel = new QLabel(caption, frame);
  captionLabel->setObjectName(captionName);
  captionLabel->setGeometry(kMargin + kHeadingWidth, kMargin + row * kRowHeight, kCaptionWidth, kRowHeight);
  labels_[captionName] = captionLabel;

  auto* valueLabel = new QLabel(frame);
  valueLabel->setObjectName(Latin1(decoding::ValueName(value)));
  valueLabel->setFont(ValueFont());
  valueLabel->setTextFormat(Qt::PlainText);
  valueLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  valueLabel->setGeometry(kMargin + kHeadingWidth + kCaptionWidth, kMargin + row * kRowHeight, 400, kRowHeight);
  values_[static_cast<std::size_t>(value)] = valueLabel;
  labels_[std::string(decoding::ValueName(value))] = valueLabel;
}

QPlainTextEdit* MessageArea::MakeTextPanel(QWidget* parent, decoding::Panel panel) {
  auto* text = new QPlainTextEdit(parent);
  text->setObjectName(Latin1(decoding::PanelName(panel)));
  text->setReadOnly(true);
  text->setFont(TerminalFont());
  text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  text->hide();
  panels_[static_cast<std::size_t>(panel)] = text;
  return text;
}

// The layout arithmetic runs in twips, as the window's own measures do.
void MessageArea::PlaceFrames(const QRect& baseFrame, int separator) {
  const PanelLayout layout = LayOutPanels(ToTwips(baseFrame.top()), ToTwips(baseFrame.height()), ToTwips(separator),
                                          ToTwips(Panel(Panel::fPXX)->height()));
  const auto place = [&](decoding::Panel panel, const PanelGeometry& geometry) {
    QWidget* widget = Panel(panel);
    const int height = geometry.height > 0 ? ToPixels(geometry.height) : widget->height();
    widget->setGeometry(baseFrame.left(), ToPixels(geometry.top), baseFrame.width(), height);
  };
  place(Panel::fPXX, layout.pxx);
  for (const auto panel : {Panel::fETA, Panel::fREL, Panel::fMTR, Panel::fWXR}) {
    place(panel, layout.lower);
  }
  place(Panel::fINF, layout.inf);
  place(Panel::fPB9, layout.topPanels);
  place(Panel::fPQS, layout.topPanels);
  place(Panel::fMSG, layout.msg);
}

void MessageArea::Render(const decoding::PanelState& state) {
  for (std::size_t v = 0; v < decoding::kValueCount; ++v) {
    values_[v]->setText(Latin1(state.captions[v]));
  }
  for (std::size_t r = 0; r < decoding::kRowCount; ++r) {
    const auto row = static_cast<decoding::Row>(r);
    labels_.at(std::string(decoding::RowValueName(row)))->setVisible(state.rowVisible[r]);
    labels_.at(std::string(decoding::RowCaptionName(row)))->setVisible(state.rowVisible[r]);
  }
  inf_->setPlainText(Latin1(state.infText));
  msg_->setPlainText(Latin1(state.msgText));
  for (std::size_t p = 0; p < decoding::kPanelCount; ++p) {
    panels_[p]->setVisible(state.visible[p]);
  }
}

void MessageArea::MarkAlert(bool alert) {
  if (alert == alertMarked_) {
    return;
  }
  alertMarked_ = alert;
  for (QWidget* panel : panels_) {
    if (panel != nullptr) {
      panel->setStyleSheet(alert ? QString("#%1 { border: 2px solid #c00000; }").arg(panel->objectName()) : QString());
    }
  }
}

}  // namespace corvane::shell
