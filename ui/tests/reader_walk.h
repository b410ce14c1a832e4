// What a screen reader finds in a window: the tree of Qt's accessibility
// interfaces, walked as AT-SPI walks it.
#pragma once

#include <QAccessible>
#include <QWidget>

#include <vector>

namespace vantix::test {

// Every interface under root that shows, depth first.
inline void ShownInterfaces(QAccessibleInterface* root, std::vector<QAccessibleInterface*>* out) {
  for (int i = 0; i < root->childCount(); ++i) {
    QAccessibleInterface* child = root->child(i);
    if (child == nullptr || child->state().invisible) continue;
    out->push_back(child);
    ShownInterfaces(child, out);
  }
}

// The shown controls of a window that Tab reaches but a reader could not
// name.
inline std::vector<QWidget*> UnnamedControls(QWidget* window) {
  std::vector<QAccessibleInterface*> seen;
  ShownInterfaces(QAccessible::queryAccessibleInterface(window), &seen);
  std::vector<QWidget*> unnamed;
  for (QAccessibleInterface* a : seen) {
    auto* w = qobject_cast<QWidget*>(a->object());
    if (w == nullptr || !(w->focusPolicy() & Qt::TabFocus)) continue;
    if (a->text(QAccessible::Name).trimmed().isEmpty()) unnamed.push_back(w);
  }
  return unnamed;
}

}  // namespace vantix::test
