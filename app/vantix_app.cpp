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

// How long deferred start-up work waits after the first paint. The server
// exposes the new window a moment after Qt has painted it, and Qt flushes the
// frame once more for that; work run right behind the paint held that flush
// back, so the window took longer to settle on screen.
constexpr int kSettleMs = 150;

// Runs `work` after the window's first paint is done, delay_ms later. It is
// queued: the paint event starts a pass that paints every child and flushes
// the frame before the event loop runs the timer.
class AfterFirstPaint final : public QObject {
 public:
  AfterFirstPaint(CVantixDlg& dlg, int delay_ms, std::function<void()> work)
      : dlg_(dlg), delay_ms_(delay_ms), work_(std::move(work)) {
    dlg.installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &dlg_ && event->type() == QEvent::Paint && !armed_) {
      armed_ = true;
      QTimer::singleShot(delay_ms_, &dlg_, work_);
    }
    return false;
  }

 private:
  CVantixDlg& dlg_;
  int delay_ms_;
  std::function<void()> work_;
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
  // The window waits only briefly for another writer's lock, and says so.
  const DlgContext context{ResolveFolders(), live, bus, SystemProcessLauncher(), WindowFileIo()};
  CVantixDlg dlg(context);
  std::unique_ptr<AfterFirstPaint> later;
  if (after_first_paint_) {
    later = std::make_unique<AfterFirstPaint>(dlg, kSettleMs, after_first_paint_);
  }
  std::unique_ptr<AfterFirstPaint> closer;
  if (exit_after_first_paint_) {
    closer = std::make_unique<AfterFirstPaint>(dlg, 0, [&dlg] { dlg.done(IDCANCEL); });
  }
  dlg.show();
  dlg.exec();
  return 0;
}

void CVantixApp::ExitInstance() { lock_.reset(); }

}  // namespace vantix
