#include "app/vantix_app.h"

#include <QEvent>
#include <QTimer>

#include <cstdio>

#include "app/vantix_dlg.h"
#include "devicelink/device_link.h"
#include "settings/folders.h"
#include "ui/hook_event_filter.h"
#include "ui/warning_dlg.h"

namespace vantix {
namespace {

// Closes the window once its first paint is done. The close is queued: the
// paint event starts a pass that paints every child and flushes the frame
// before the event loop runs the timer.
class FirstPaintCloser final : public QObject {
 public:
  explicit FirstPaintCloser(CVantixDlg& dlg) : dlg_(dlg) { dlg.installEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &dlg_ && event->type() == QEvent::Paint && !armed_) {
      armed_ = true;
      QTimer::singleShot(0, &dlg_, [this] { dlg_.done(IDCANCEL); });
    }
    return false;
  }

 private:
  CVantixDlg& dlg_;
  bool armed_ = false;
};

}  // namespace

bool CVantixApp::InitInstance() {
  const Status folder = PrepareEndpointFolder(endpoint_folder_);
  if (!folder.ok()) {
    // Without a private folder there is no lock to take; run anyway rather
    // than refuse to start, and say why.
    std::fprintf(stderr, "vantix: %s\n", folder.reason().c_str());
    return true;
  }
  lock_ = InstanceLock::Acquire(endpoint_folder_, kMainInstanceLockName);
  return lock_ != nullptr;
}

int CVantixApp::Run() {
  HookEventFilter::Install();
  SettingsBlock live;
  const MessageBus bus(endpoint_folder_);
  const DlgContext context{ResolveFolders(), live, bus, SystemProcessLauncher()};
  CVantixDlg dlg(context);
  std::unique_ptr<FirstPaintCloser> closer;
  if (exit_after_first_paint_) closer = std::make_unique<FirstPaintCloser>(dlg);
  dlg.show();
  dlg.exec();
  return 0;
}

void CVantixApp::ExitInstance() { lock_.reset(); }

}  // namespace vantix
