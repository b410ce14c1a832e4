#include "ui/hook_event_filter.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWidget>
#include <cstdlib>
#include <memory>

#include "hook/hook_message.h"
#include "hook/hook_protocol.h"
#include "ui/window_message.h"

namespace vantix {

void HookEventFilter::Install() {
  static HookEventFilter* installed = nullptr;
  if (installed != nullptr) return;
  const auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                                       : nullptr;
  if (x11 == nullptr || x11->connection() == nullptr) return;  // not on X11

  auto filter = std::make_unique<HookEventFilter>();
  xcb_connection_t* conn = x11->connection();
  const xcb_intern_atom_cookie_t cookie =
      xcb_intern_atom(conn, 0, sizeof kHookMessageAtom - 1, kHookMessageAtom);
  if (xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(conn, cookie, nullptr)) {
    filter->hook_atom_ = reply->atom;
    std::free(reply);
  }
  if (filter->hook_atom_ == XCB_ATOM_NONE) return;
  installed = filter.release();  // lives as long as the application's event loop
  qGuiApp->installNativeEventFilter(installed);
}

bool HookEventFilter::nativeEventFilter(const QByteArray& event_type, void* message, qintptr*) {
  if (event_type != "xcb_generic_event_t" || message == nullptr) return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & 0x7F) != XCB_CLIENT_MESSAGE) return false;
  const auto* client = static_cast<const xcb_client_message_event_t*>(message);

  ClientMessage fields;
  fields.type = client->type;
  fields.format = client->format;
  for (std::size_t i = 0; i < fields.data.size(); ++i) fields.data[i] = client->data.data32[i];
  const std::optional<WindowMessage> key = HookKeyMessage(fields, hook_atom_);
  if (!key) return false;
  // A message for a window that has gone is dropped, as the window would
  // have dropped it.
  if (QWidget* target = QWidget::find(static_cast<WId>(client->window))) {
    DeliverWindowMessage(target, *key);
  }
  return true;
}

}  // namespace vantix
