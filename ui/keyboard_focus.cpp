#include "ui/keyboard_focus.h"

#include <QKeyEvent>
#include <QVariant>

#include <algorithm>
#include <vector>

namespace vantix {

namespace {
constexpr char kActivatesProperty[] = "vantix_activation_keys";
constexpr char kArrowGroupProperty[] = "vantix_arrow_group";

QPoint TopLeftIn(const QWidget* w, const QWidget* window) { return w->mapTo(window, QPoint(0, 0)); }
}  // namespace

bool IsActivationKey(int qt_key) {
  return qt_key == Qt::Key_Space || qt_key == Qt::Key_Return || qt_key == Qt::Key_Enter;
}

void SetTakesActivationKeys(QWidget* control, bool takes) {
  control->setProperty(kActivatesProperty, takes);
  control->setFocusPolicy(takes ? Qt::TabFocus : Qt::NoFocus);
}

bool TakesActivationKeys(const QWidget* control) {
  return control->property(kActivatesProperty).toBool();
}

bool KeyBelongsToFocusedControl(const QObject* receiver, int qt_key) {
  if (!IsActivationKey(qt_key) || !receiver->isWidgetType()) return false;
  const auto* w = static_cast<const QWidget*>(receiver);
  return w->hasFocus() && TakesActivationKeys(w);
}

bool FilterWindowKey(const QWidget* window, QObject* watched, QEvent* event,
                     const std::function<bool(int qt_key)>& own) {
  if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride) return false;
  if (!watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != window) return false;
  const int key = static_cast<QKeyEvent*>(event)->key();
  if (own && own(key)) return true;
  if (KeyBelongsToFocusedControl(watched, key)) return false;
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Space:
      event->accept();
      return true;
    default:
      return false;
  }
}

void SetArrowGroup(QWidget* control, int group) { control->setProperty(kArrowGroupProperty, group); }

bool MoveFocusInArrowGroup(QWidget* from, int qt_key) {
  int direction = 0;
  if (qt_key == Qt::Key_Left || qt_key == Qt::Key_Up) direction = -1;
  if (qt_key == Qt::Key_Right || qt_key == Qt::Key_Down) direction = 1;
  const int group = from->property(kArrowGroupProperty).toInt();
  if (direction == 0 || group <= 0 || from->parentWidget() == nullptr) return false;
  std::vector<QWidget*> row;
  for (QWidget* w : from->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (w->property(kArrowGroupProperty).toInt() == group) row.push_back(w);
  }
  std::sort(row.begin(), row.end(), [](const QWidget* a, const QWidget* b) {
    return std::pair(a->x(), a->y()) < std::pair(b->x(), b->y());
  });
  const auto here = std::find(row.begin(), row.end(), from);
  const int n = static_cast<int>(row.size());
  int i = static_cast<int>(here - row.begin());
  for (int step = 1; step < n; ++step) {
    i = (i + direction + n) % n;
    QWidget* next = row[static_cast<std::size_t>(i)];
    if (next->isVisible() && next->isEnabled() && next->focusPolicy() != Qt::NoFocus) {
      next->setFocus(Qt::TabFocusReason);
      return true;
    }
  }
  return true;  // a row with no other member: the key is still the row's
}

void SetReadingTabOrder(QWidget* window, int row_slack) {
  std::vector<QWidget*> chain;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (w->window() == window && (w->focusPolicy() & Qt::TabFocus)) chain.push_back(w);
  }
  // Rows first: sort by top, then cut a new row wherever the top jumps.
  std::stable_sort(chain.begin(), chain.end(), [window](const QWidget* a, const QWidget* b) {
    return TopLeftIn(a, window).y() < TopLeftIn(b, window).y();
  });
  std::vector<int> row_of(chain.size());
  int row = 0;
  for (std::size_t k = 1; k < chain.size(); ++k) {
    if (TopLeftIn(chain[k], window).y() - TopLeftIn(chain[k - 1], window).y() > row_slack) ++row;
    row_of[k] = row;
  }
  std::vector<std::size_t> order(chain.size());
  for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    if (row_of[a] != row_of[b]) return row_of[a] < row_of[b];
    return TopLeftIn(chain[a], window).x() < TopLeftIn(chain[b], window).x();
  });
  for (std::size_t k = 1; k < order.size(); ++k) {
    QWidget::setTabOrder(chain[order[k - 1]], chain[order[k]]);
  }
}

void SetTabChain(const std::vector<QWidget*>& chain) {
  QWidget* previous = nullptr;
  for (QWidget* w : chain) {
    if (previous != nullptr) QWidget::setTabOrder(previous, w);
    previous = w;
  }
}

}  // namespace vantix
