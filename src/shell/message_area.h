// The widgets of the message area: the decoder panels with their heading,
// caption and value labels, and the two text panels. They are created over
// the base frame and show a panel state as the decoders left it.
#pragma once

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <array>
#include <map>

#include "decoding/panel_state.h"
#include "shell/message_menu.h"

namespace corvane::shell {

class MessageArea {
 public:
  // Creates every panel as a child of parent, hidden, with the base frame's
  // left edge and width; the tops and heights come from the panel layout.
  MessageArea(QWidget* parent, const QRect& baseFrame, int separator);

  // Shows which panels are visible, the value captions, the optional rows
  // and the two texts.
  void Render(const decoding::PanelState& state);

  // The one context menu of every panel: a text action goes after Copy and
  // Select All, a window action below them.
  void AddTextAction(QAction* action) { menu_->AddTextAction(action); }
  void AddWindowAction(QAction* action) { menu_->AddWindowAction(action); }
  // The same menu on another part of the message area (the header frame
  // under the panels), so that a message without text has it too.
  void CoverWithMenu(QWidget* widget) { menu_->Cover(widget); }
  [[nodiscard]] MessageMenu& Menu() { return *menu_; }

  // Frames the message shown in red when it matched the watch list.
  void MarkAlert(bool alert);
  [[nodiscard]] bool AlertMarked() const { return alertMarked_; }

  [[nodiscard]] QWidget* Panel(decoding::Panel panel) const { return panels_[static_cast<std::size_t>(panel)]; }
  [[nodiscard]] QLabel* Value(decoding::Value value) const { return values_[static_cast<std::size_t>(value)]; }

  // The fixed-pitch fonts of the value labels and of the text panels.
  static QFont ValueFont();
  static QFont TerminalFont();

 private:
  QFrame* MakeFrame(QWidget* parent, decoding::Panel panel, int rows);
  void AddRow(QFrame* frame, int row, const char* captionName, const char* caption, decoding::Value value);
  QPlainTextEdit* MakeTextPanel(QWidget* parent, decoding::Panel panel);
  void PlaceFrames(const QRect& baseFrame, int separator);

  std::array<QWidget*, decoding::kPanelCount> panels_{};
  std::array<QLabel*, decoding::kValueCount> values_{};
  std::map<std::string, QLabel*, std::less<>> labels_;  // every label by object name
  QPlainTextEdit* inf_ = nullptr;
  QPlainTextEdit* msg_ = nullptr;
  bool alertMarked_ = false;
  MessageMenu* menu_ = nullptr;  // owned by the parent widget
};

}  // namespace corvane::shell
