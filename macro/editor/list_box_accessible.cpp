#include "macro/editor/list_box_accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>

#include <vector>

#include "macro/editor/list_box_ex.h"
#include "macro/event_rows.h"

namespace vantix {
namespace {

class RowAccessible final : public QAccessibleInterface {
 public:
  RowAccessible(CListBoxEx* list, int row) : list_(list), row_(row) {}

  bool isValid() const override { return list_ != nullptr && row_ < list_->GetCount(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return parent() != nullptr ? parent()->window() : nullptr; }
  QAccessibleInterface* parent() const override {
    return list_ != nullptr ? QAccessible::queryAccessibleInterface(list_.data()) : nullptr;
  }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessible::Role role() const override { return QAccessible::ListItem; }
  QString text(QAccessible::Text t) const override {
    if (t != QAccessible::Name || !isValid()) return QString();
    const QString text = list_->GetText(row_);
    const std::int64_t data = list_->GetItemData(row_);
    if (data == kRowPress) return list_->press_row_text.arg(text);
    if (data == kRowRelease) return list_->release_row_text.arg(text);
    return text;
  }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override {
    if (!isValid()) return QRect();
    const QRect r = list_->ItemRect(row_);
    return QRect(list_->viewport()->mapToGlobal(r.topLeft()), r.size());
  }
  QAccessible::State state() const override {
    QAccessible::State s;
    s.selectable = true;
    if (!isValid()) {
      s.invalid = true;
      return s;
    }
    s.selected = list_->GetCurSel() == row_;
    s.focused = s.selected && list_->hasFocus();
    const int top = list_->TopIndex();
    s.invisible = !list_->isVisible() || row_ < top ||
                  list_->ItemRect(row_).top() >= list_->viewport()->height();
    s.offscreen = s.invisible;
    return s;
  }

 private:
  QPointer<CListBoxEx> list_;
  int row_;
};

class ListAccessible final : public QAccessibleWidget {
 public:
  explicit ListAccessible(CListBoxEx* list) : QAccessibleWidget(list, QAccessible::List) {}
  ~ListAccessible() override {
    for (QAccessible::Id id : rows_) QAccessible::deleteAccessibleInterface(id);
  }

  CListBoxEx* List() const { return static_cast<CListBoxEx*>(widget()); }

  int childCount() const override { return List()->GetCount(); }
  QAccessibleInterface* child(int index) const override {
    if (index < 0 || index >= childCount()) return nullptr;
    // One interface per row number, made when first asked for and kept
    // while the list lives: readers hold on to what they were given.
    while (static_cast<int>(rows_.size()) <= index) {
      rows_.push_back(QAccessible::registerAccessibleInterface(
          new RowAccessible(List(), static_cast<int>(rows_.size()))));
    }
    return QAccessible::accessibleInterface(rows_[static_cast<std::size_t>(index)]);
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      if (QAccessible::accessibleInterface(rows_[i]) == child) return static_cast<int>(i);
    }
    return -1;
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    const QPoint at = List()->viewport()->mapFromGlobal(QPoint(x, y));
    if (!List()->viewport()->rect().contains(at)) return nullptr;
    bool outside = true;
    const int row = List()->ItemFromPoint(at, &outside);
    return outside ? nullptr : child(row);
  }

 private:
  mutable std::vector<QAccessible::Id> rows_;
};

QAccessibleInterface* ListFactory(const QString& class_name, QObject* object) {
  // The list carries no meta-object of its own: asked as its base class.
  if (class_name != QLatin1String("QAbstractScrollArea")) return nullptr;
  if (auto* list = dynamic_cast<CListBoxEx*>(object)) return new ListAccessible(list);
  return nullptr;
}

}  // namespace

void InstallListBoxAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(ListFactory);
    return true;
  }();
  (void)installed;
}

}  // namespace vantix
