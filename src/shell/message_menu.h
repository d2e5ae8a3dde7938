// The message area's one context menu: whatever part of the area is
// right-clicked (a text panel, a decoder panel, the header, or an empty
// area when the message has no text), the same menu opens with the text
// actions (Copy, Select All, and the text actions the window adds) above
// the window's actions, each showing its keyboard shortcut.
#pragma once

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <memory>
#include <vector>

namespace corvane::shell {

class MessageMenu : public QObject {
  Q_OBJECT

 public:
  explicit MessageMenu(QObject* parent = nullptr) : QObject(parent) {}

  // An action on the message's text (Readable text), listed after Copy and
  // Select All.
  void AddTextAction(QAction* action) { textActions_.emplace_back(action); }
  // An action of the window (Search..., Watch list..., ...), listed below.
  void AddWindowAction(QAction* action) { windowActions_.emplace_back(action); }

  // Right-clicks on widget, and on its children that have no menu of their
  // own, open this menu. Selectable labels give up their own small menu.
  void Cover(QWidget* widget);

  // The menu for a right-click at `at` (widget coordinates): Copy and
  // Select All act on the text panel or selectable label there.
  [[nodiscard]] std::unique_ptr<QMenu> MenuFor(QWidget* widget, const QPoint& at) const;

 private:
  void Open(QWidget* widget, const QPoint& at);

  std::vector<QPointer<QAction>> textActions_;
  std::vector<QPointer<QAction>> windowActions_;
};

}  // namespace corvane::shell
