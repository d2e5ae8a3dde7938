// Building the message area's one context menu and opening it wherever the
// area is right-clicked.
#include "shell/message_menu.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>

namespace corvane::shell {

namespace {

// The text a right-click can copy from: a text panel, a selectable label,
// or nothing (a caption, the empty area).
struct TextUnder {
  QPlainTextEdit* edit = nullptr;
  QLabel* label = nullptr;
};

TextUnder FindTextUnder(QWidget* widget, const QPoint& at) {
  for (QWidget* w = widget->childAt(at) != nullptr ? widget->childAt(at) : widget; w != nullptr;
       w = w == widget ? nullptr : w->parentWidget()) {
    if (auto* edit = qobject_cast<QPlainTextEdit*>(w)) {
      return {edit, nullptr};
    }
    if (auto* label = qobject_cast<QLabel*>(w);
        label != nullptr && label->textInteractionFlags() != Qt::NoTextInteraction) {
      return {nullptr, label};
    }
  }
  return {};
}

void AddCopy(QMenu& menu, const TextUnder& under) {
  QAction* copy = menu.addAction("Copy");
  copy->setObjectName("CopyText");
  copy->setShortcut(QKeySequence::Copy);
  if (under.edit != nullptr) {
    copy->setEnabled(under.edit->textCursor().hasSelection());
    QObject::connect(copy, &QAction::triggered, under.edit, &QPlainTextEdit::copy);
  } else if (under.label != nullptr) {
    // A label without a selection copies its whole value.
    QPointer<QLabel> label = under.label;
    copy->setEnabled(!label->text().isEmpty());
    QObject::connect(copy, &QAction::triggered, label, [label] {
      QApplication::clipboard()->setText(label->hasSelectedText() ? label->selectedText() : label->text());
    });
  } else {
    copy->setEnabled(false);
  }
}

void AddSelectAll(QMenu& menu, const TextUnder& under) {
  QAction* all = menu.addAction("Select All");
  all->setObjectName("SelectAllText");
  all->setShortcut(QKeySequence::SelectAll);
  if (under.edit != nullptr) {
    all->setEnabled(!under.edit->document()->isEmpty());
    QObject::connect(all, &QAction::triggered, under.edit, &QPlainTextEdit::selectAll);
  } else if (under.label != nullptr) {
    QPointer<QLabel> label = under.label;
    all->setEnabled(!label->text().isEmpty());
    QObject::connect(all, &QAction::triggered, label,
                     [label] { label->setSelection(0, static_cast<int>(label->text().size())); });
  } else {
    all->setEnabled(false);
  }
}

}  // namespace

void MessageMenu::Cover(QWidget* widget) {
  widget->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(widget, &QWidget::customContextMenuRequested, this, [this, widget](const QPoint& at) { Open(widget, at); });
  // Selectable labels would open their own Copy menu; they defer to this one.
  for (QLabel* label : widget->findChildren<QLabel*>()) {
    if (label->textInteractionFlags() != Qt::NoTextInteraction) {
      label->setContextMenuPolicy(Qt::NoContextMenu);
    }
  }
}

std::unique_ptr<QMenu> MessageMenu::MenuFor(QWidget* widget, const QPoint& at) const {
  auto menu = std::make_unique<QMenu>(widget);
  menu->setObjectName("MessageMenu");
  const TextUnder under = FindTextUnder(widget, at);
  AddCopy(*menu, under);
  AddSelectAll(*menu, under);
  for (const QPointer<QAction>& action : textActions_) {
    if (action) {
      menu->addAction(action);
    }
  }
  menu->addSeparator();
  for (const QPointer<QAction>& action : windowActions_) {
    if (action) {
      menu->addAction(action);
    }
  }
  return menu;
}

void MessageMenu::Open(QWidget* widget, const QPoint& at) {
  const std::unique_ptr<QMenu> menu = MenuFor(widget, at);
  // A scroll area tells where in its viewport it was clicked.
  const auto* area = qobject_cast<QAbstractScrollArea*>(widget);
  menu->exec((area != nullptr ? area->viewport() : widget)->mapToGlobal(at));
}

}  // namespace corvane::shell
