#include "ui/window_message.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>
#include <QVariant>

#include <mutex>
#include <unordered_map>

namespace vantix {
namespace {

constexpr const char* kHandleProperty = "vantixWindowHandle";

struct HandleTable {
  std::mutex mutex;
  WindowHandle next = 1;
  std::unordered_map<WindowHandle, QPointer<QObject>> windows;
};

HandleTable& Handles() {
  static HandleTable table;
  return table;
}

}  // namespace

WindowHandle HandleOf(const QObject* window) {
  if (window == nullptr) return kNoWindow;
  const QVariant known = window->property(kHandleProperty);
  if (known.isValid()) return known.value<WindowHandle>();

  auto* object = const_cast<QObject*>(window);
  HandleTable& table = Handles();
  WindowHandle handle;
  {
    std::lock_guard lock(table.mutex);
    handle = table.next++;
    table.windows.emplace(handle, QPointer<QObject>(object));
  }
  object->setProperty(kHandleProperty, QVariant::fromValue(handle));
  QObject::connect(object, &QObject::destroyed, [handle] {
    HandleTable& t = Handles();
    std::lock_guard lock(t.mutex);
    t.windows.erase(handle);
  });
  return handle;
}

QObject* WindowFromHandle(WindowHandle handle) {
  HandleTable& table = Handles();
  std::lock_guard lock(table.mutex);
  const auto it = table.windows.find(handle);
  return it == table.windows.end() ? nullptr : it->second.data();
}

WindowMessageEvent::WindowMessageEvent(std::uint32_t message, std::int64_t wparam,
                                       std::int64_t lparam)
    : QEvent(EventType()), message_(message), wparam_(wparam), lparam_(lparam) {}

QEvent::Type WindowMessageEvent::EventType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

void PostWindowMessage(QObject* target, std::uint32_t message, std::int64_t wparam,
                       std::int64_t lparam) {
  if (target == nullptr) return;
  // Qt removes the posted events of a destroyed object, so a message to a
  // window that goes away in the meantime is never delivered.
  QCoreApplication::postEvent(target, new WindowMessageEvent(message, wparam, lparam));
}

void PostSignal(QObject* sender, std::function<void()> signal) {
  QObject* queue = sender->parent() != nullptr ? sender->parent() : sender;
  QMetaObject::invokeMethod(
      queue,
      [guard = QPointer<QObject>(sender), signal = std::move(signal)] {
        if (guard) signal();
      },
      Qt::QueuedConnection);
}

std::int64_t SendWindowMessage(QObject* target, std::uint32_t message, std::int64_t wparam,
                               std::int64_t lparam) {
  if (target == nullptr) return 0;
  if (target->thread() != QThread::currentThread()) {
    PostWindowMessage(target, message, wparam, lparam);
    return 0;
  }
  auto* receiver = dynamic_cast<WindowMessageReceiver*>(target);
  return receiver == nullptr ? 0 : receiver->OnWindowMessage(message, wparam, lparam);
}

std::int64_t DeliverWindowMessage(QObject* target, const WindowMessage& message) {
  if (message.sent) return SendWindowMessage(target, message.message, message.wparam, message.lparam);
  PostWindowMessage(target, message.message, message.wparam, message.lparam);
  return 0;
}

}  // namespace vantix
