// Window messages between the program's own windows: the private messages of
// the skinned controls, and the messages that arrive from outside (the device
// agent's endpoint, the keyboard hook) once they are turned into events.
//
// A message is a number with two 64-bit parameters. Posting queues it on the
// receiver's event queue (handled after the sender's handler has returned);
// sending calls the receiver at once and returns its result. A window that
// receives messages derives from MessageWindow<QtBase> and implements
// OnWindowMessage. Where a message carries a window, it carries that window's
// WindowHandle. docs/messages.md describes how each message maps onto this.
#pragma once

#include <QEvent>
#include <QObject>

#include <cstdint>
#include <functional>

#include "settings/window_message.h"

namespace vantix {

// Private messages of the skinned controls (parameters in docs/messages.md).
inline constexpr std::uint32_t WM_EDIT_KEYUP = 0x1402;
inline constexpr std::uint32_t WM_EDIT_FOCUS = 0x1403;
inline constexpr std::uint32_t WM_BUTTON_HOVER = 0x1511;

// Stands for a window in a message parameter. Handles are never reused while
// the program runs, so a handle that arrives after its window was destroyed
// matches no window instead of a newer one at the same address.
using WindowHandle = std::int64_t;
inline constexpr WindowHandle kNoWindow = 0;

// The window's handle, assigned on first use; kNoWindow for null.
WindowHandle HandleOf(const QObject* window);
// The live window of a handle, or null.
QObject* WindowFromHandle(WindowHandle handle);

class WindowMessageEvent final : public QEvent {
 public:
  WindowMessageEvent(std::uint32_t message, std::int64_t wparam, std::int64_t lparam);
  static QEvent::Type EventType();

  std::uint32_t Message() const { return message_; }
  std::int64_t WParam() const { return wparam_; }
  std::int64_t LParam() const { return lparam_; }

 private:
  std::uint32_t message_;
  std::int64_t wparam_;
  std::int64_t lparam_;
};

class WindowMessageReceiver {
 public:
  virtual ~WindowMessageReceiver() = default;
  // Messages the window does not handle return 0.
  virtual std::int64_t OnWindowMessage(std::uint32_t message, std::int64_t wparam,
                                       std::int64_t lparam) = 0;
};

// Queues the message for target; it is dropped if target is destroyed first
// or does not receive messages. Safe from any thread.
void PostWindowMessage(QObject* target, std::uint32_t message, std::int64_t wparam,
                       std::int64_t lparam);

// Calls target's handler now and returns its result; 0 when target is null
// or receives no messages. The program has one user-interface thread: a
// message for a window of another thread cannot be answered synchronously,
// so it is posted instead and 0 is returned.
std::int64_t SendWindowMessage(QObject* target, std::uint32_t message, std::int64_t wparam,
                               std::int64_t lparam);

// Runs `signal` (the emission of one of sender's signals) from the event
// queue of sender's parent, the window its reports go to, as a posted
// message arrives there: after the handler that called this has returned,
// and not at all when sender is gone by then.
void PostSignal(QObject* sender, std::function<void()> signal);

// A message from another process (the endpoint) or from the keyboard hook:
// sent ones are answered with the handler's result, posted ones are queued
// and answered with 0.
std::int64_t DeliverWindowMessage(QObject* target, const WindowMessage& message);

// Base of every window that receives messages: QtBase is the Qt class the
// window would otherwise derive from (QWidget, QDialog, ...).
template <class QtBase>
class MessageWindow : public QtBase, public WindowMessageReceiver {
 public:
  using QtBase::QtBase;

 protected:
  bool event(QEvent* e) override {
    if (e->type() == WindowMessageEvent::EventType()) {
      const auto* m = static_cast<const WindowMessageEvent*>(e);
      OnWindowMessage(m->Message(), m->WParam(), m->LParam());
      return true;
    }
    return QtBase::event(e);
  }
};

}  // namespace vantix
